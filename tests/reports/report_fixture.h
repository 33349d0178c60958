// Logging files for the protocol and report tests and a fixture with the
// program's panels on the headless back-end, the virtual clock and the
// report converter of the build.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/time.h>
#include <vector>

#include "app/config.h"
#include "state/workmode.h"
#include "state/panels.h"
#include "app/startup.h"
#include "state/records.h"
#include "files/load.h"
#include "files/logfile.h"
#include "platform/clock.h"
#include "platform/lowfile.h"
#include "platform/ui/ui_testing.h"
#include "reports/converter.h"
#include "state/para.h"
#include "platform/fixed_text.h"
#include "state/reset.h"

namespace rt {

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) out.push_back(line);
    if (!text.empty() && text.back() == '\n') out.push_back("");
    return out;
}

// printf in the C locale for expected lines.
template <class... A>
std::string F(const char* format, A... a)
{
    char b[512];
    std::snprintf(b, sizeof b, format, a...);
    return b;
}

// A settings record for a run: harmonic (kind 0) or flicker (kind 1).
inline Para RunPara(int32_t kind, int32_t phases, const std::string& path)
{
    Para p{};
    p.test_kind = kind;
    p.phases = phases;
    p.analyser = phases == 3 ? 0 : 4;
    CopyFixed(p.sw_version, "3.0");
    CopyFixed(p.log_file, path.c_str());
    p.h_standard = 1;
    p.h_class = 0;
    p.smoothing = 0;
    p.h_hours = 0;
    p.h_minutes = 2;
    p.h_seconds = 30;
    p.meas_time = 150;
    const char* eut[7] = {"PSU 230", "EMC lab", "Korvel Test", "Power supply", "Acme Power", "PS-100", "SN 4711"};
    for (int i = 0; i < 7; ++i) CopyFixed(p.test_data[i], eut[i]);
    CopyFixed(p.comment[0], "Input 230 V / 50 Hz");
    CopyFixed(p.comment[2], "Full load");
    for (int a = 0; a < 3; ++a) {
        CopyFixed(p.model[a], "PAM-A");
        char sn[9];
        std::snprintf(sn, sizeof sn, "SIM0000%d", a + 1);
        CopyFixed(p.serial_no[a], sn);
        CopyFixed(p.revision[a], "2.10");
        p.u_range[a] = 250.0f;
        p.i_range[a] = 20.0f;
        p.u_scale[a] = 1.0f;
        p.i_scale[a] = 1.0f;
        p.ctrl_power[a] = 150.0f + 10.0f * float(a);
        p.ctrl_pf[a] = 0.95f;
        p.ctrl_current[a] = 0.7f;
    }
    p.fl_periods = 3;
    p.fl_minutes = 1;
    p.fl_seconds = 0;
    p.dmax_limit = 4.0f;
    p.dc_limit = 3.3f;
    p.dt_limit = 3.3f;
    p.dt_time = 500;
    CopyFixed(p.fl_standard, "EN61000-3-3 A1");
    return p;
}

// Harmonic frame k of phase p: a fundamental of 2 A, order h >= 2 at
// (0.4 + 0.05 p) / h A growing 10 % per frame, the class-A-like limits 1/h A
// (orders 0 and 1 without a limit).
inline HarmFrame HFrame(int k, int p, int frames)
{
    HarmFrame f{};
    f.fltr = frames - 1 - k;
    for (int h = 0; h < ORDERS; ++h) {
        const float grow = 1.0f + 0.1f * float(k);
        f.hiam[h] = h == 0 ? 0.001f : h == 1 ? 2.0f : (0.4f + 0.05f * float(p)) / float(h) * grow;
        f.limit[h] = h <= 1 ? NoLimit() : 1.0f / float(h);
    }
    f.utrms = 230.125f + float(p);
    f.itrms = 2.25f;
    f.p = 450.5f;
    f.pf = 0.875f;
    f.freq = 50.0f;
    f.s = 517.5f;
    f.q = 120.25f;
    f.count = float(1000 + k);
    return f;
}

inline HarmResult HResult(int p)
{
    HarmResult r{};
    for (int h = 0; h < ORDERS; ++h) {
        r.hiav[h] = h == 1 ? 2.0f : h == 0 ? 0.001f : 0.45f / float(h);
        r.humx[h] = 0.25f * float(h % 7) + float(p);
        r.hfmx[h] = h == 3 ? 0.125f : 0.0f;
    }
    SetOrderMaskWords(r.hilt, OrderBit(3) | OrderBit(35));
    SetOrderMaskWords(r.hult, OrderBit(5));
    SetOrderMaskWords(r.hifl, OrderBit(3));
    r.higf = p == 1 ? (HIGF_FAIL | HIGF_AVG_OVER) : 0;
    r.hugf = p == 2 ? HUGF_FREQ : 0;
    r.hpm = 455.0f;
    r.hpfm = 0.9f;
    r.hifm = 1.95f;
    return r;
}

// Writes a harmonic logging file of `frames` frames with its result records.
inline void WriteHarmonic(const std::string& path, const Para& para0, int frames)
{
    int fd = -1;
    ASSERT_EQ(LogCreate(path.c_str(), para0, &fd), LOG_OK) << LogErrorText();
    int32_t count = 0;
    std::vector<unsigned char> set(3 * sizeof(HarmFrame));
    for (int k = 0; k < frames; ++k) {
        for (int p = 0; p < para0.phases; ++p) {
            HarmFrame f = HFrame(k, p, frames);
            std::memcpy(set.data() + size_t(p) * sizeof f, &f, sizeof f);
        }
        ASSERT_EQ(LogAppendSet(fd, set.data(), para0.phases, int(sizeof(HarmFrame)), &count), LOG_OK);
    }
    ASSERT_EQ(LogWriteHeader(fd, count, para0), LOG_OK);
    for (int p = 0; p < para0.phases; ++p) ASSERT_EQ(LogAppendResult(fd, HResult(p)), LOG_OK);
    ASSERT_EQ(LogClose(fd), LOG_OK);
}

// Flicker period i (1-based) of phase p: its Pst, dmax and the d(t) range.
inline float PeriodPst(int i, int p) { return 0.5f + 0.125f * float(i) + 0.0625f * float(p); }
inline float PeriodDmax(int i, int p) { return 1.0f + 0.5f * float(i) + 0.25f * float(p); }

// The entries of a flicker run as the analyser gives them, one every half
// second: FSTR the remaining seconds of the period minus one (at least 1),
// FLTR the remaining test time the same way, Pst of the last completed
// period; then `finished` entries in state 3. `stopAfter` seconds ends the
// run early (user stop, no state 3).
inline std::vector<std::vector<FlkFrame>> FlickerEntries(const Para& pr, int finished = 2, int stopAfter = -1)
{
    const int T = pr.fl_minutes * 60 + pr.fl_seconds, N = pr.fl_periods;
    const int P = pr.phases == 3 ? 3 : 1;
    std::vector<std::vector<FlkFrame>> sets;
    const int halfSeconds = stopAfter >= 0 ? 2 * stopAfter : 2 * T * N;
    auto entry = [&](int p, double t, int state) {
        FlkFrame f{};
        const int second = int(t);
        const int period = second / T;   // 0-based
        f.fsta = state;
        if (state == 2) {
            f.fstr = std::max(1, T - 1 - second % T);
            f.fltr = std::max(1, T * N - 1 - second);
        }
        const int done = state == 3 ? N : period;
        f.flst = done > 0 ? PeriodPst(done, p) : 0.0f;
        f.fllt = done > 0 ? 0.6f + 0.01f * float(done) : 0.0f;
        f.fldx = done > 0 ? PeriodDmax(done, p) : 0.0f;
        f.fldc = 0.75f;
        for (int j = 0; j < 32; ++j) f.fldt[j] = 0.1f * float((second + j) % 9) + 0.01f * float(p);
        f.utrms = 229.5f + float(p);
        f.itrms = 4.125f;
        f.p = 940.0f;
        f.pf = 0.99f;
        f.freq = 50.0f;
        f.s = 949.5f;
        f.q = 15.25f;
        f.flre = state == 3 && p == 0 ? (FLRE_FAIL | FLRE_PST) : 0;
        f.count = float(200 + t * 2);
        return f;
    };
    for (int i = 0; i < halfSeconds; ++i) {
        std::vector<FlkFrame> s;
        for (int p = 0; p < P; ++p) s.push_back(entry(p, i * 0.5, 2));
        sets.push_back(s);
    }
    if (stopAfter < 0)
        for (int i = 0; i < finished; ++i) {
            std::vector<FlkFrame> s;
            for (int p = 0; p < P; ++p) s.push_back(entry(p, T * N, 3));
            sets.push_back(s);
        }
    return sets;
}

// Writes the entries as a flicker logging file (first set once, later ones
// twice, as the acquisition stores them).
inline void WriteFlicker(const std::string& path, const Para& pr, const std::vector<std::vector<FlkFrame>>& entries)
{
    int fd = -1;
    ASSERT_EQ(LogCreate(path.c_str(), pr, &fd), LOG_OK) << LogErrorText();
    int32_t count = 0;
    std::vector<unsigned char> set(3 * sizeof(FlkFrame));
    for (size_t k = 0; k < entries.size(); ++k) {
        for (size_t p = 0; p < entries[k].size(); ++p) std::memcpy(set.data() + p * sizeof(FlkFrame), &entries[k][p], sizeof(FlkFrame));
        const int copies = k == 0 ? 1 : 2;
        for (int c = 0; c < copies; ++c)
            ASSERT_EQ(LogAppendSet(fd, set.data(), int(entries[k].size()), int(sizeof(FlkFrame)), &count), LOG_OK);
    }
    ASSERT_EQ(LogWriteHeader(fd, count, pr), LOG_OK);
    ASSERT_EQ(LogClose(fd), LOG_OK);
}

// Sets a file's modification time (UTC seconds).
inline void Touch(const std::string& path, std::time_t when)
{
    struct timeval tv[2] = {{when, 0}, {when, 0}};
    ::utimes(path.c_str(), tv);
}

// 2026-03-07 14:05:09 UTC
constexpr std::time_t kFileTime = 1772892309;

struct ReportTest : ui::HeadlessUiTest {
    std::string dir;
    void SetUp() override
    {
        ui::HeadlessUiTest::SetUp();
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        ResetProgramState();
        UseVirtualClock(true);
        ui::SetResourceDir(std::string(ORIVAN_SOURCE_DIR) + "/resources");
        dir = std::string(ORIVAN_BINARY_DIR) + "/reports_test/" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        SetProjectDir(dir.c_str());
        SetConverterPath(std::string(ORIVAN_BINARY_DIR) + "/bin/txt2pdf");
        SetPdfViewer("");
        ASSERT_EQ(StartUp(StartOptions{}), 0);
    }
    void TearDown() override
    {
        if (!shortDir.empty() && shortDir != dir) std::system(("rm -rf '" + shortDir + "'").c_str());
        SetConverterPath("");
        SetPdfViewer("");
        SetProjectDir(nullptr);
        ui::SetResourceDir("");
        ResetProgramState();
        ui::HeadlessUiTest::TearDown();
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }
    // A short directory for files whose full path is printed in reports
    // (the build tree's path length varies).
    std::string ShortPath(const std::string& name)
    {
        if (shortDir.empty()) {
            char t[] = "/tmp/orvr.XXXXXX";
            shortDir = ::mkdtemp(t) ? t : dir;
        }
        return shortDir + "/" + name;
    }
    std::string shortDir;
    // Loads a file as the program does after a run.
    void Load(const std::string& path)
    {
        Touch(path, kFileTime);
        ASSERT_EQ(load_measurement(path.c_str(), -1, -1), 0) << LastLoadReport().message;
        SetPanelsToMode(1);
    }
};

}  // namespace rt
