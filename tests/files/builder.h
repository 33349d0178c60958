// Logging files for the loading, export and cut tests: written with the
// logging-file writers (current layout) or byte by byte (old layout, damaged
// files), and a fixture with the program's panels on the headless back-end.
#pragma once

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "state/records.h"
#include "files/load.h"
#include "files/logfile.h"
#include "platform/lowfile.h"
#include "platform/ui/ui_testing.h"
#include "state/para.h"
#include "state/panels.h"
#include "platform/fixed_text.h"
#include "state/framelist.h"
#include "evaluation/flicker_periods.h"
#include "state/reset.h"

namespace tb {

using Bytes = std::vector<unsigned char>;

inline Bytes Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), {});
}
inline std::string SlurpText(const std::string& path)
{
    Bytes b = Slurp(path);
    return std::string(b.begin(), b.end());
}
inline void Spit(const std::string& path, const Bytes& b)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

inline Para MakePara(int32_t kind, int32_t phases)
{
    Para p{};
    p.test_kind = kind;
    p.phases = phases;
    CopyFixed(p.sw_version, "3.00");
    CopyFixed(p.log_file, "run.qel");
    p.h_standard = 1;
    p.h_class = 0;
    p.fl_periods = 12;
    p.fl_minutes = 10;
    p.fl_seconds = 0;
    p.dmax_limit = 4.0f;
    CopyFixed(p.fl_standard, "EN61000-3-3");
    return p;
}

// Harmonic frame k of a phase: currents 0.1 x (order + 1) + k / 100 + phase,
// limits 10 A (order 0 unmarked 0), FLTR counting down, COUNT 500 + k.
inline HarmFrame HFrame(int k, int phase)
{
    HarmFrame f{};
    f.fltr = 150 - k;
    for (int h = 0; h < ORDERS; ++h) {
        f.hiam[h] = 0.1f * float(h + 1) + 0.01f * float(k) + float(phase);
        f.limit[h] = h == 0 ? 0.0f : 10.0f;
    }
    f.utrms = 230.0f + float(phase);
    f.itrms = 1.5f + 0.1f * float(k);
    f.p = 300.0f + float(k);
    f.pf = 0.9f;
    f.s = 333.25f;
    f.q = 12.5f;
    f.huhd = 0.75f;
    f.hihd = 12.34567f;
    f.count = float(500 + k);
    return f;
}

inline HarmResult HResult(int phase)
{
    HarmResult r{};
    r.fltr = 0;
    for (int h = 0; h < ORDERS; ++h) r.hiav[h] = 0.05f * float(h) + float(phase);
    r.hpm = 300.0f + float(phase);
    r.hpfm = 0.9f;
    r.hifm = 1.5f;
    return r;
}

// Flicker frame tagged `tag` (FLTR = tag, COUNT = 100 + tag).
inline FlkFrame FFrame(int tag, int phase)
{
    FlkFrame f{};
    f.fltr = tag;
    f.fstr = 5;
    f.fsta = 2;
    f.utrms = 230.0f + float(phase);
    f.itrms = 2.0f;
    f.flst = 0.25f + 0.01f * float(tag);
    f.fllt = 0.2f;
    f.fldc = 1.25f;
    f.fldx = 2.5f;
    for (int j = 0; j < 32; ++j) {
        f.flms[j] = 0.001f * float(j);
        f.flrm[j] = 229.5f + 0.01f * float(j);
        f.fldt[j] = 0.125f;
    }
    f.count = float(100 + tag);
    return f;
}

template <class R>
using Set = std::array<R, 3>;

// Writes a current-format file: the sets in order, then the result records
// (harmonic runs, `results` of them). The writers keep the count current.
template <class R>
inline void WriteCurrent(const std::string& path, const Para& p, const std::vector<Set<R>>& sets,
                         const std::vector<HarmResult>& results = {})
{
    int fd = -1;
    ASSERT_EQ(LogCreate(path.c_str(), p, &fd), LOG_OK) << LogErrorText();
    int32_t count = 0;
    for (const auto& s : sets) {
        unsigned char b[3 * sizeof(R)];
        for (int i = 0; i < p.phases; ++i) std::memcpy(b + i * sizeof(R), &s[size_t(i)], sizeof(R));
        ASSERT_EQ(LogAppendSet(fd, b, p.phases, int(sizeof(R)), &count), LOG_OK);
    }
    for (const auto& r : results) ASSERT_EQ(LogAppendResult(fd, r), LOG_OK);
    ASSERT_EQ(LogClose(fd), LOG_OK);
}

inline std::vector<Set<HarmFrame>> HarmSets(int n, int phases)
{
    std::vector<Set<HarmFrame>> v;
    for (int k = 0; k < n; ++k) {
        Set<HarmFrame> s{};
        for (int p = 0; p < phases; ++p) s[size_t(p)] = HFrame(k, p);
        v.push_back(s);
    }
    return v;
}

// Stored flicker sets as a run the analyser ended: frame 1 once, later
// frames twice (tags 1..frames).
inline std::vector<Set<FlkFrame>> FlkStored(int frames, int phases)
{
    std::vector<Set<FlkFrame>> v;
    for (int k = 1; k <= frames; ++k) {
        Set<FlkFrame> s{};
        for (int p = 0; p < phases; ++p) s[size_t(p)] = FFrame(k, p);
        v.push_back(s);
        if (k > 1) v.push_back(s);
    }
    return v;
}

// Snapshot of everything loading fills.
struct State {
    Bytes lists[3];
    int32_t size;
    double firstframe, lastframe;
    Bytes records;
    Bytes para_bytes;
    Bytes stats;
};
inline State Capture()
{
    State s;
    for (int p = 0; p < 3; ++p) {
        int n = ListNumItems(listbuf[p]);
        for (int k = 1; k <= n; ++k) {
            const unsigned char* r = ListGetPtrToItem(listbuf[p], k);
            s.lists[p].insert(s.lists[p].end(), r, r + listbuf[p]->item_size);
        }
    }
    s.size = size;
    s.firstframe = firstframe;
    s.lastframe = lastframe;
    auto add = [&](const void* d, size_t n) {
        auto* c = static_cast<const unsigned char*>(d);
        s.records.insert(s.records.end(), c, c + n);
    };
    add(buf, sizeof buf);
    add(flkbuf, sizeof flkbuf);
    add(buf_result, sizeof buf_result);
    add(max, sizeof max);
    add(h_max, sizeof h_max);
    add(fr_max, sizeof fr_max);
    add(IsLimNaN, sizeof IsLimNaN);
    auto* pb = reinterpret_cast<const unsigned char*>(&para);
    s.para_bytes.assign(pb, pb + sizeof para);
    auto* fb = reinterpret_cast<const unsigned char*>(&fl_stats);
    s.stats.assign(fb, fb + sizeof fl_stats);
    return s;
}
inline bool operator==(const State& a, const State& b)
{
    for (int p = 0; p < 3; ++p)
        if (a.lists[p] != b.lists[p]) return false;
    return a.size == b.size && a.firstframe == b.firstframe && a.lastframe == b.lastframe && a.records == b.records &&
           a.para_bytes == b.para_bytes && a.stats == b.stats;
}

// The program's panels (start-up on the headless back-end) and a scratch
// directory per test.
struct FilesTest : ui::HeadlessUiTest {
    std::string dir;
    void SetUp() override
    {
        ui::HeadlessUiTest::SetUp();
        ResetProgramState();
        ui::SetResourceDir(std::string(ORIVAN_SOURCE_DIR) + "/resources");
        dir = std::string(ORIVAN_BINARY_DIR) + "/files_load_test/" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        SetProjectDir(dir.c_str());
        ASSERT_EQ(StartUp(StartOptions{}), 0);
    }
    void TearDown() override
    {
        ResetProgramState();
        SetProjectDir(nullptr);
        ui::SetResourceDir("");
        ui::HeadlessUiTest::TearDown();
    }
    std::string Path(const char* name) const { return dir + "/" + name; }
    int Val(int panel, int control)
    {
        int v = -1;
        EXPECT_EQ(GetCtrlVal(panel, control, &v), 0);
        return v;
    }
    int Attr(int panel, int control, int attr)
    {
        int v = -1;
        EXPECT_EQ(GetCtrlAttribute(panel, control, attr, &v), 0);
        return v;
    }
};

}  // namespace tb
