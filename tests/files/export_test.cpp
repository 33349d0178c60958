// Export lines and the frame-range cut.
#include "builder.h"
#include "state/names.h"

#include <cmath>
#include <sstream>
#include <unistd.h>

#include "files/reevaluation.h"
#include "files/export.h"
#include "panel_ids.h"
#include "platform/fmt.h"
#include "platform/ui/headless.h"
#include "platform/ui/ui.h"

using namespace tb;

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> v;
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l)) v.push_back(l);
    return v;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> v;
    size_t a = 0;
    for (;;) {
        size_t b = line.find('\t', a);
        v.push_back(line.substr(a, b == std::string::npos ? std::string::npos : b - a));
        if (b == std::string::npos) break;
        a = b + 1;
    }
    return v;
}

using ExportTest = FilesTest;

TEST_F(ExportTest, HarmonicLinesOfOnePhase)
{
    auto sets = HarmSets(3, 1);
    sets[1][0].hiam[7] = -0.0f;
    sets[1][0].limit[7] = NoLimit();
    sets[2][0].hiam[8] = std::numeric_limits<float>::infinity();
    sets[2][0].fltr = 3725;
    WriteCurrent(Path("h.qel"), MakePara(0, 1), sets, {HResult(0)});
    ASSERT_EQ(load_measurement(Path("h.qel").c_str(), -1, -1), 0);

    ExportOptions o;
    ASSERT_EQ(ExportFrames(Path("h.txt").c_str(), o), 3);
    auto lines = Lines(SlurpText(Path("h.txt")));
    ASSERT_EQ(lines.size(), 3u);
    for (size_t k = 0; k < lines.size(); ++k) {
        auto f = Fields(lines[k]);
        ASSERT_EQ(f.size(), 1u + 82 + 8 + 1) << k;  // each value followed by a tab
        EXPECT_EQ(f.back(), "");
        // Each value as the notation writes it; the last with four decimals.
        const HarmFrame& fr = sets[k][0];
        for (int n = 0; n <= MAX_ORDER; ++n) {
            char a[64], b[64];
            Fmt(a, "%f[p6]", double(fr.hiam[n]));
            Fmt(b, "%f[p6]", double(fr.limit[n]));
            EXPECT_EQ(f[size_t(1 + 2 * n)], a) << k << " " << n;
            EXPECT_EQ(f[size_t(2 + 2 * n)], b) << k << " " << n;
        }
        char t[64];
        Fmt(t, "%f[p4]", double(fr.hihd));
        EXPECT_EQ(f[90], t);
        Fmt(t, "%f[p6]", double(fr.itrms));
        EXPECT_EQ(f[83], t);
    }
    EXPECT_EQ(Fields(lines[0])[0], "00:02:30");
    EXPECT_EQ(Fields(lines[2])[0], "01:02:05");
    EXPECT_EQ(Fields(lines[1])[15], "-0.000000");
    EXPECT_EQ(Fields(lines[1])[16], "NaN");
    EXPECT_EQ(Fields(lines[2])[17], "Inf");
    EXPECT_EQ(Fields(lines[0])[90], "12.3457");
}

TEST_F(ExportTest, HeaderAndDecimalComma)
{
    WriteCurrent(Path("h3.qel"), MakePara(0, 3), HarmSets(2, 3), {HResult(0), HResult(1), HResult(2)});
    ASSERT_EQ(load_measurement(Path("h3.qel").c_str(), -1, -1), 0);
    ExportOptions o;
    o.header = true;
    ASSERT_EQ(ExportFrames(Path("dot.txt").c_str(), o), 3);
    o.comma = true;
    ASSERT_EQ(ExportFrames(Path("comma.txt").c_str(), o), 3);
    auto dot = Lines(SlurpText(Path("dot.txt")));
    auto comma = Lines(SlurpText(Path("comma.txt")));
    ASSERT_EQ(dot.size(), 3u);
    EXPECT_EQ(dot[0].rfind("Time\tI(1)0,A\tIlim(1)0,A\tI(1)1,A\t", 0), 0u);
    EXPECT_NE(dot[0].find("\tI(3)40,A\tIlim(3)40,A\tI3/A\tU3/V\tP3/W\tPF3\tS3/VA\tQ3/VAr\t,THD(U)3/%\tTHD(I)3/%\t"),
              std::string::npos);
    EXPECT_EQ(Fields(dot[0]).size(), 1u + 3 * (82 + 8) + 1);
    EXPECT_EQ(Fields(dot[1]).size(), 1u + 3 * (82 + 8) + 1);
    for (size_t i = 0; i < dot.size(); ++i) {
        std::string expect = dot[i];
        for (char& c : expect)
            if (c == '.') c = ',';
        EXPECT_EQ(comma[i], expect);
        EXPECT_EQ(comma[i].find('.'), std::string::npos);
        EXPECT_EQ(Fields(comma[i]).size(), Fields(dot[i]).size());
    }
}

TEST_F(ExportTest, FlickerFrameAnd10msData)
{
    auto stored = FlkStored(4, 3);
    stored.back()[0].fsta = 3;  // the closing frame: finished
    stored[stored.size() - 2][0].fsta = 3;
    WriteCurrent(Path("f.qel"), MakePara(1, 3), stored);
    ASSERT_EQ(load_measurement(Path("f.qel").c_str(), -1, -1), 0);
    ASSERT_EQ(size, 4);

    ExportOptions o;
    o.kind = EXPORT_FRAME_DATA;
    o.header = true;
    ASSERT_EQ(ExportFrames(Path("frame.txt").c_str(), o), 5);
    auto lines = Lines(SlurpText(Path("frame.txt")));
    EXPECT_EQ(lines[0].rfind("Long time\tShort time\tI1/A\tU1/V\tP1/W\tPF1\tS1/VA\tQ1/VAr\tf1/Hz\tPm1\tdc1\tdmax1/%\tPst1\tI2/A", 0),
              0u);
    auto first = Fields(lines[1]);
    ASSERT_EQ(first.size(), 2u + 3 * 11 + 1);
    for (int p = 0; p < 3; ++p) EXPECT_EQ(first[size_t(2 + 11 * p + 10)], "NaN") << p;
    auto second = Fields(lines[2]);
    EXPECT_EQ(second[12], "0.270000");
    EXPECT_EQ(second[0], "00:00:02");
    EXPECT_EQ(second[1], "00:00:05");

    o.kind = EXPORT_10MS_DATA;
    ASSERT_EQ(ExportFrames(Path("10ms.txt").c_str(), o), 1 + 3 * 32);  // the finished frame is left out
    lines = Lines(SlurpText(Path("10ms.txt")));
    EXPECT_EQ(lines[0], "Long time\tShort time\tPmom1\tU10ms1/V\tdt\tPmom2\tU10ms2/V\tdt\tPmom3\tU10ms3/V\tdt\t");
    auto l = Fields(lines[32]);
    ASSERT_EQ(l.size(), 2u + 9 + 1);
    EXPECT_EQ(l[2], "0.031000");
    EXPECT_EQ(l[3], "229.809998");
}

TEST_F(ExportTest, PstDataOneLinePerPeriodAndTheFinalOne)
{
    // Periods of 10 s, 3 periods: FSTR counts 9..0, FLTR counts down from 29.
    Para p = MakePara(1, 1);
    p.fl_periods = 3;
    p.fl_minutes = 0;
    p.fl_seconds = 10;
    std::vector<Set<FlkFrame>> frames;
    for (int t = 29; t >= 0; --t) {
        Set<FlkFrame> s{};
        s[0] = FFrame(t, 0);
        s[0].fstr = t % 10;
        s[0].flst = float(t / 10) + 0.5f;
        frames.push_back(s);
    }
    for (int i = 0; i < 3; ++i) {
        Set<FlkFrame> s = frames.back();
        s[0].fsta = 3;
        frames.push_back(s);
    }
    std::vector<Set<FlkFrame>> stored;
    for (size_t k = 0; k < frames.size(); ++k) {
        stored.push_back(frames[k]);
        if (k) stored.push_back(frames[k]);
    }
    WriteCurrent(Path("pst.qel"), p, stored);
    ASSERT_EQ(load_measurement(Path("pst.qel").c_str(), -1, -1), 0);
    ExportOptions o;
    o.kind = EXPORT_PST_DATA;
    o.header = true;
    ASSERT_EQ(ExportFrames(Path("pst.txt").c_str(), o), 4);
    auto lines = Lines(SlurpText(Path("pst.txt")));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Long time\tPst1\t");
    EXPECT_EQ(lines[1], "00:00:19\t1.500000\t");   // first second of period 2
    EXPECT_EQ(lines[2], "00:00:09\t0.500000\t");   // first second of period 3
    EXPECT_EQ(lines[3], "00:00:00\t0.500000\t");   // the final state, once
}

TEST_F(ExportTest, FailedWritesAreReportedAndThePanelDrivesTheExport)
{
    WriteCurrent(Path("h.qel"), MakePara(0, 1), HarmSets(2, 1), {HResult(0)});
    SetPanelsToMode(1);
    ASSERT_EQ(load_measurement(Path("h.qel").c_str(), -1, -1), 0);
    std::string err;
    if (FileExists("/dev/full", nullptr)) {
        EXPECT_EQ(ExportFrames("/dev/full", ExportOptions{}, &err), -1);
        EXPECT_NE(err.find("Unable to write the export file /dev/full"), std::string::npos) << err;
        // A failed output is removed only when it is a regular file.
        EXPECT_LT(CutMeasurement(Path("h.qel").c_str(), "/dev/full", 0, 2, &err), 0);
        EXPECT_TRUE(FileExists("/dev/full", nullptr));
    }
    EXPECT_EQ(ExportFrames((dir + "/missing/x.txt").c_str(), ExportOptions{}, &err), -1);
    EXPECT_NE(err.find("Unable to create the export file"), std::string::npos);

    // The proposed name cuts at the first "." of the file name.
    EXPECT_EQ(ExportNameFor("/data/run.1.qel"), "/data/run.txt");
    EXPECT_EQ(ExportNameFor("/data.d/run"), "/data.d/run.txt");

    ui::QueueFileSelect("");
    int r = 0;
    CallCtrlCallback(diagnos, DIAGNOS_EXPORT, EVENT_COMMIT, 0, 0, &r);
    EXPECT_EQ(r, -1);
    EXPECT_EQ(ui::PopupLog().back().title, "Select text file!");

    ui::QueueFileSelect(Path("panel.txt"));
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_EXPORT));
    SetCtrlVal(panExport, EXPORT_HEADER, 1);
    SetCtrlVal(panExport, EXPORT_DECIMAL, 1);
    ASSERT_TRUE(ui::Commit(panExport, EXPORT_OK));
    auto lines = Lines(SlurpText(Path("panel.txt")));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("Time\t", 0), 0u);
    EXPECT_EQ(lines[1].find('.'), std::string::npos);
    EXPECT_EQ(Attr(panExport, EXPORT_PROGRESS, ATTR_VISIBLE), 0);

    // The data choices: exactly one stays on.
    InstallPopup(panExport);
    SetCtrlVal(panExport, EXPORT_10MS, 1);
    SetCtrlVal(panExport, EXPORT_FRAME, 0);
    SetCtrlVal(panExport, EXPORT_PST, 0);
    SetCtrlAttribute(panExport, EXPORT_PST, ATTR_DIMMED, 0);
    SetCtrlAttribute(panExport, EXPORT_10MS, ATTR_DIMMED, 0);
    ASSERT_TRUE(ui::Click(panExport, EXPORT_PST));
    EXPECT_EQ(Val(panExport, EXPORT_PST), 1);
    EXPECT_EQ(Val(panExport, EXPORT_10MS), 0);
    ASSERT_TRUE(ui::Click(panExport, EXPORT_PST));
    EXPECT_EQ(Val(panExport, EXPORT_PST), 1);
}

TEST_F(ExportTest, HarmonicCutKeepsTheRangeAndReEvaluates)
{
    WriteCurrent(Path("src.qel"), MakePara(0, 3), HarmSets(10, 3), {HResult(0), HResult(1), HResult(2)});
    const Bytes source = Slurp(Path("src.qel"));

    std::string err;
    ASSERT_EQ(CutMeasurement(Path("src.qel").c_str(), Path("cut.qel").c_str(), 2, 6, &err), 4) << err;
    EXPECT_EQ(Slurp(Path("src.qel")), source);
    ASSERT_EQ(FileSize(Path("cut.qel").c_str()), 5148 + 4 * 1380);
    ASSERT_EQ(load_measurement(Path("cut.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(size, 4);
    EXPECT_EQ(para.frame_window, 1);
    EXPECT_EQ(para.first_frame, 2);
    EXPECT_EQ(para.last_frame, 6);
    EXPECT_EQ(firstframe, 502.0);
    EXPECT_FLOAT_EQ(buf[0].count, 505.0f);
    EXPECT_NEAR(buf_result[1].hpm, (302 + 303 + 304 + 305) / 4.0, 1e-3);
    EXPECT_NEAR(buf_result[2].hifm, 1.5 + 0.1 * (2 + 3 + 4 + 5) / 4.0, 1e-4);
    EXPECT_FLOAT_EQ(buf_result[0].hiav[3], HResult(0).hiav[3]);

    // The same as re-evaluating a file holding just those frames.
    auto sets = HarmSets(10, 3);
    std::vector<Set<HarmFrame>> part(sets.begin() + 2, sets.begin() + 6);
    Para head = MakePara(0, 3);
    head.frame_window = 1;
    head.first_frame = 2;
    head.last_frame = 6;
    WriteCurrent(Path("ref.qel"), head, part);
    int fd = OpenFile(Path("ref.qel").c_str(), VAL_READ_WRITE, VAL_OPEN_AS_IS, VAL_BINARY);
    ASSERT_GE(fd, 0);
    HarmResult res[3] = {HResult(0), HResult(1), HResult(2)};
    for (int p = 0; p < 3; ++p) {
        res[p].higf = res[p].hugf = 0;
        res[p].hpm = buf_result[p].hpm;
        res[p].hpfm = buf_result[p].hpfm;
        res[p].hifm = buf_result[p].hifm;
    }
    std::memcpy(buf_result, res, sizeof res);
    ASSERT_EQ(NewLimitsAll(fd), 0);
    for (int p = 0; p < 3; ++p) ASSERT_EQ(LogAppendResult(fd, buf_result[p]), LOG_OK);
    CloseFile(fd);
    EXPECT_EQ(Slurp(Path("ref.qel")), Slurp(Path("cut.qel")));

    // first = last: count 0, the header and the result records only.
    ASSERT_EQ(CutMeasurement(Path("src.qel").c_str(), Path("empty.qel").c_str(), 5, 5, &err), 0);
    Bytes e = Slurp(Path("empty.qel"));
    ASSERT_EQ(e.size(), 5148u);
    int32_t c = -1;
    std::memcpy(&c, e.data(), 4);
    EXPECT_EQ(c, 0);
    ASSERT_EQ(load_measurement(Path("empty.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(size, 0);

    // A range beyond the file is limited to it; the source is never the target.
    ASSERT_EQ(CutMeasurement(Path("src.qel").c_str(), Path("tail.qel").c_str(), 8, 100, &err), 2);
    EXPECT_LT(CutMeasurement(Path("src.qel").c_str(), Path("src.qel").c_str(), 0, 3, &err), 0);
    // Nor through a hard or symbolic link: the source stays whole.
    const Bytes whole = Slurp(Path("src.qel"));
    ::unlink(Path("hard.qel").c_str());
    ::unlink(Path("soft.qel").c_str());
    ASSERT_EQ(::link(Path("src.qel").c_str(), Path("hard.qel").c_str()), 0);
    ASSERT_EQ(::symlink(Path("src.qel").c_str(), Path("soft.qel").c_str()), 0);
    EXPECT_EQ(CutMeasurement(Path("src.qel").c_str(), Path("hard.qel").c_str(), 0, 3, &err), LOG_ERR_ARG);
    EXPECT_EQ(CutMeasurement(Path("src.qel").c_str(), Path("soft.qel").c_str(), 0, 3, &err), LOG_ERR_ARG);
    EXPECT_TRUE(Slurp(Path("src.qel")) == whole);
    EXPECT_EQ(Slurp(Path("src.qel")), source);
    Spit(Path("junk.qel"), Bytes(4000, 0x55));
    EXPECT_EQ(CutMeasurement(Path("junk.qel").c_str(), Path("j2.qel").c_str(), 0, 3, &err), LOG_ERR_FOREIGN);
    EXPECT_FALSE(FileExists(Path("j2.qel").c_str(), nullptr));
}

TEST_F(ExportTest, FlickerCutLoadsLikeAnyFlickerFile)
{
    WriteCurrent(Path("f.qel"), MakePara(1, 3), FlkStored(6, 3));
    std::string err;
    ASSERT_EQ(CutMeasurement(Path("f.qel").c_str(), Path("fc.qel").c_str(), 1, 4, &err), 3) << err;
    ASSERT_EQ(FileSize(Path("fc.qel").c_str()), 3492 + 5 * 1464);
    ASSERT_EQ(load_measurement(Path("fc.qel").c_str(), -1, -1), 0);
    ASSERT_EQ(size, 3);
    for (int p = 0; p < 3; ++p)
        for (int k = 1; k <= 3; ++k) {
            FlkFrame f;
            ListGetItem(listbuf[p], &f, k);
            const FlkFrame want = FFrame(k + 1, p);
            EXPECT_EQ(std::memcmp(&f, &want, sizeof f), 0) << p << " " << k;
        }
    ASSERT_EQ(CutMeasurement(Path("f.qel").c_str(), Path("f0.qel").c_str(), 2, 2, &err), 0);
    EXPECT_EQ(FileSize(Path("f0.qel").c_str()), 3492);
    ASSERT_EQ(load_measurement(Path("f0.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(size, 0);
}

TEST_F(ExportTest, SubProjectCutsTheVisibleRangeAndLoadsIt)
{
    WriteCurrent(Path("s.qel"), MakePara(0, 1), HarmSets(12, 1), {HResult(0)});
    SetPanelsToMode(1);
    ASSERT_EQ(load_measurement(Path("s.qel").c_str(), -1, -1), 0);
    SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_XAXIS, VAL_MANUAL, 3.7, 9.2);
    CopyFixed(qel_gsx, ".qel");
    ui::QueueFileSelect(Path("part.qel"));
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_SUBPROJECT));
    EXPECT_EQ(ui::PopupLog().front().title, "Select data file!");
    EXPECT_EQ(size, 6);  // frames 3 .. 8
    EXPECT_EQ(std::string(para.log_file), Path("part.qel"));
    EXPECT_EQ(firstframe, 503.0);

    ui::QueueFileSelect("");
    EXPECT_EQ(ConvertFile(Path("s.qel").c_str(), 0, 2), -1);
}

}  // namespace
