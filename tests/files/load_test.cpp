// Loading stored measurements: frame lists, maxima, results, flicker
// statistics, verdict indicators, refused files and the load callbacks.
#include "builder.h"
#include "state/workmode.h"

#include <cmath>

#include "app/settings_panel.h"
#include "panel_ids.h"
#include "platform/ui/headless.h"
#include "platform/ui/ui.h"
#include "state/reset.h"

// The load button of the diagnosis page is driven below (the programs link
// every callback file).
UI_LINK_CALLBACK_FILE(app_load_panel);

using namespace tb;

namespace {

using LoadTest = FilesTest;

TEST_F(LoadTest, HarmonicFramesMaximaAndResults)
{
    Para p = MakePara(0, 3);
    auto sets = HarmSets(10, 3);
    // Order 0 never has a limit (0 or the no-limit mark): its maximum is NaN.
    for (auto& s : sets) s[0].limit[0] = NoLimit();
    // Order 1 of L1 has a usable limit only in frame 4.
    for (auto& s : sets) s[0].limit[1] = NoLimit();
    sets[4][0].limit[1] = 2.0f;
    // Order 2 of L1: the same utilisation in frames 2 and 5, the largest one.
    sets[2][0].hiam[2] = 9.0f;
    sets[5][0].hiam[2] = 9.0f;
    // Order 3 of L2: the largest current in frame 7 has the smallest utilisation.
    sets[7][1].hiam[3] = 50.0f;
    sets[7][1].limit[3] = 1000.0f;
    sets[1][1].limit[3] = 1.0f;
    std::vector<HarmResult> res = {HResult(0), HResult(1), HResult(2)};
    WriteCurrent(Path("h3.qel"), p, sets, res);
    ASSERT_EQ(FileSize(Path("h3.qel").c_str()), 5148 + 10 * 1380);

    ASSERT_EQ(load_measurement(Path("h3.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(size, 10);
    for (int ph = 0; ph < 3; ++ph) {
        ASSERT_EQ(ListNumItems(listbuf[ph]), 10);
        for (int k = 0; k < 10; ++k) {
            HarmFrame f;
            ASSERT_EQ(ListGetItem(listbuf[ph], &f, k + 1), 0);
            EXPECT_EQ(std::memcmp(&f, &sets[size_t(k)][size_t(ph)], sizeof f), 0) << ph << " " << k;
        }
    }
    EXPECT_EQ(firstframe, 500.0);
    EXPECT_EQ(std::memcmp(&buf[2], &sets[9][2], sizeof(HarmFrame)), 0);
    EXPECT_EQ(std::memcmp(&buf_result[1], &res[1], sizeof(HarmResult)), 0);
    EXPECT_EQ(LastLoadReport().results, 3);
    EXPECT_FALSE(LastLoadReport().interrupted);

    EXPECT_TRUE(IsNaN(max[0][0]));
    EXPECT_EQ(IsLimNaN[0][0], 1);
    EXPECT_FLOAT_EQ(max[0][1], 100.0f * sets[4][0].hiam[1] / 2.0f);
    EXPECT_EQ(fr_max[0][1], 4);
    EXPECT_FLOAT_EQ(max[0][2], 90.0f);
    EXPECT_EQ(fr_max[0][2], 2);  // the earlier of two equal values
    EXPECT_FLOAT_EQ(h_max[1][3], 50.0f);
    EXPECT_EQ(fr_max[1][3], 1);
    EXPECT_FLOAT_EQ(max[1][3], 100.0f * sets[1][1].hiam[3]);
    EXPECT_FLOAT_EQ(h_max[2][40], sets[9][2].hiam[40]);
    EXPECT_EQ(IsLimNaN[2][40], 0);

    EXPECT_EQ(std::string(para.log_file), Path("h3.qel"));
    std::string field;
    GetCtrlVal(diagnos, DIAGNOS_FILE, &field);
    EXPECT_EQ(field, Path("h3.qel"));
    EXPECT_EQ(Attr(diagnos, DIAGNOS_FRAME, ATTR_MAX_VALUE), 9);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_FRAME, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_FRAMETABLE, ATTR_VISIBLE), 1);
    EXPECT_EQ(Attr(panExport, EXPORT_PST, ATTR_DIMMED), 1);
}

TEST_F(LoadTest, HarmonicVerdictIndicatorsFollowTheResultRecords)
{
    Para p = MakePara(0, 3);
    std::vector<HarmResult> res = {HResult(0), HResult(1), HResult(2)};
    res[0].higf = HIGF_OVER150;                 // alone: only the 2006 lamp mask sees it
    res[1].higf = HIGF_FAIL | HIGF_AVG_OVER;
    res[1].hugf = HUGF_UALL | HUGF_FREQ | HUGF_PHI;
    res[2].hens = HENS_MIN | HENS_POW;
    res[2].hugf = HUGF_U100 | HUGF_AMP | HUGF_CREST;
    WriteCurrent(Path("v.qel"), p, HarmSets(2, 3), res);

    ASSERT_EQ(load_measurement(Path("v.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(Val(results, RESULTS_IALL1), 0);
    EXPECT_EQ(Val(results, RESULTS_IALL2), 1);
    EXPECT_EQ(Val(results, RESULTS_I1002), 1);
    EXPECT_EQ(Val(results, RESULTS_I1001), 0);
    EXPECT_EQ(Val(results, RESULTS_UALL2), 1);
    EXPECT_EQ(Val(results, RESULTS_FREQ2), 1);
    EXPECT_EQ(Val(results, RESULTS_PHI2), 1);
    EXPECT_EQ(Val(results, RESULTS_AMP2), 0);
    EXPECT_EQ(Val(results, RESULTS_U1003), 1);
    EXPECT_EQ(Val(results, RESULTS_AMP3), 1);
    EXPECT_EQ(Val(results, RESULTS_CREST3), 1);
    EXPECT_EQ(Val(results, RESULTS_ACDC_MIN3), 1);
    EXPECT_EQ(Val(results, RESULTS_ACDC_POW3), 1);
    EXPECT_EQ(Val(results, RESULTS_ACDC_MAX3), 0);
    EXPECT_EQ(Val(results, RESULTS_ACDC_ALL3), 0);

    // EN61000-3-2:2006: the current lamp tests 0x401; THD, PWHD and the
    // four ACDC indicators are hidden.
    p.h_standard = 2;
    WriteCurrent(Path("v2006.qel"), p, HarmSets(2, 3), res);
    ASSERT_EQ(load_measurement(Path("v2006.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(Val(results, RESULTS_IALL1), 1);
    for (int c : {RESULTS_THD1, RESULTS_PWHD3, RESULTS_ACDC_ALL2, RESULTS_ACDC_POW1})
        EXPECT_EQ(Attr(results, c, ATTR_VISIBLE), 0) << c;
}

TEST_F(LoadTest, CountZeroReadsNoFramesButTheResults)
{
    Para p = MakePara(0, 1);
    HarmResult r = HResult(0);
    r.higf = HIGF_FAIL;
    WriteCurrent<HarmFrame>(Path("c0.qel"), p, {}, {r});
    ASSERT_EQ(FileSize(Path("c0.qel").c_str()), 4044);
    ASSERT_EQ(load_measurement(Path("c0.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(ListNumItems(listbuf[0]), 0);
    EXPECT_EQ(std::memcmp(&buf_result[0], &r, sizeof r), 0);
    EXPECT_EQ(Val(results, RESULTS_IALL1), 1);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_FRAME, ATTR_DIMMED), 1);
    for (int h = 0; h < ORDERS; ++h) EXPECT_TRUE(IsNaN(max[0][h]));
}

TEST_F(LoadTest, FlickerFilesTakeTheOddPositions)
{
    Para p = MakePara(1, 1);
    // C = 7: sets 1, 2, 2, 3, 3, 4, 4 -> frames 1..4.
    WriteCurrent(Path("f7.qel"), p, FlkStored(4, 1));
    ASSERT_EQ(load_measurement(Path("f7.qel").c_str(), -1, -1), 0);
    ASSERT_EQ(size, 4);
    for (int k = 1; k <= 4; ++k) {
        FlkFrame f;
        ListGetItem(listbuf[0], &f, k);
        EXPECT_EQ(f.fltr, k);
    }
    EXPECT_EQ(firstframe, 101.0);
    EXPECT_EQ(lastframe, 105.0);

    // C = 6 (stopped by the user: the last frame three times) -> 1, 2, 3, 3.
    auto sets = FlkStored(3, 1);
    sets.push_back(sets.back());
    ASSERT_EQ(sets.size(), 6u);
    WriteCurrent(Path("f6.qel"), p, sets);
    ASSERT_EQ(load_measurement(Path("f6.qel").c_str(), -1, -1), 0);
    ASSERT_EQ(size, 4);
    int tags[4];
    for (int k = 1; k <= 4; ++k) {
        FlkFrame f;
        ListGetItem(listbuf[0], &f, k);
        tags[k - 1] = f.fltr;
    }
    EXPECT_EQ(tags[0], 1);
    EXPECT_EQ(tags[1], 2);
    EXPECT_EQ(tags[2], 3);
    EXPECT_EQ(tags[3], 3);
    EXPECT_EQ(flkbuf[0].fltr, 3);
    EXPECT_EQ(Attr(panExport, EXPORT_PST, ATTR_DIMMED), 0);
    EXPECT_EQ(Val(panExport, EXPORT_10MS), 1);
    EXPECT_EQ(Val(panExport, EXPORT_FRAME), 0);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_FRAMETABLE, ATTR_VISIBLE), 0);
}

// A flicker run with a period end (FSTR 1) every third frame, dmax per period.
std::vector<Set<FlkFrame>> PeriodRun(const std::vector<float>& dmax, int phases, int32_t flre_last = 0)
{
    std::vector<Set<FlkFrame>> frames;
    int tag = 1;
    for (size_t i = 0; i < dmax.size(); ++i) {
        for (int j = 0; j < 3; ++j, ++tag) {
            Set<FlkFrame> s{};
            for (int p = 0; p < phases; ++p) {
                s[size_t(p)] = FFrame(tag, p);
                s[size_t(p)].fstr = j == 2 ? 1 : 10 - j;
                s[size_t(p)].fldx = dmax[i] + float(p);
            }
            frames.push_back(s);
        }
    }
    for (int p = 0; p < phases; ++p) frames.back()[size_t(p)].flre = flre_last;
    std::vector<Set<FlkFrame>> stored;
    for (size_t k = 0; k < frames.size(); ++k) {
        stored.push_back(frames[k]);
        if (k) stored.push_back(frames[k]);
    }
    return stored;
}

TEST_F(LoadTest, FlickerPeriodStatisticsAndSwitchingMean)
{
    Para p = MakePara(1, 3);
    p.switching = 1;
    p.dmax_limit = 3.0f;
    // Twelve equal periods: the mean is that value.
    WriteCurrent(Path("eq.qel"), p, PeriodRun(std::vector<float>(12, 2.75f), 3));
    ASSERT_EQ(load_measurement(Path("eq.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(fl_stats.periods, 12);
    EXPECT_FLOAT_EQ(fl_stats.mean[0], 2.75f);
    EXPECT_FLOAT_EQ(fl_stats.mean[2], 4.75f);
    EXPECT_EQ(Val(results, RESULTS_DMAX1), 0);
    EXPECT_EQ(Val(results, RESULTS_DMAX2), 1);  // 3.75 > 3.0
    for (int c : {RESULTS_PST1, RESULTS_PLT2, RESULTS_DC3, RESULTS_DT1, RESULTS_FOVER2})
        EXPECT_EQ(Attr(results, c, ATTR_VISIBLE), 0);

    // Distinct values: the largest and the smallest are left out.
    std::vector<float> v = {2, 9, 3, 1, 4, 5, 6, 2, 3, 4, 5, 6};
    WriteCurrent(Path("d.qel"), p, PeriodRun(v, 3));
    ASSERT_EQ(load_measurement(Path("d.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(fl_stats.imax[0], 1);
    EXPECT_EQ(fl_stats.imin[0], 3);
    EXPECT_FLOAT_EQ(fl_stats.mean[0], (2 + 3 + 4 + 5 + 6 + 2 + 3 + 4 + 5 + 6) / 10.0f);

    // A run stopped after five periods averages the three middle ones.
    WriteCurrent(Path("early.qel"), p, PeriodRun({1, 2, 3, 4, 8}, 3));
    ASSERT_EQ(load_measurement(Path("early.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(fl_stats.periods, 5);
    EXPECT_FLOAT_EQ(fl_stats.mean[0], 3.0f);

    // Without the switching procedure dmax follows bit 0x8 of FLRE and the
    // fifteen further indicators show their bits.
    p.switching = 0;
    WriteCurrent(Path("bits.qel"), p, PeriodRun({1, 9}, 3, FLRE_DMAX | FLRE_PST | FLRE_DC));
    ASSERT_EQ(load_measurement(Path("bits.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(Val(results, RESULTS_DMAX1), 1);
    EXPECT_EQ(Val(results, RESULTS_PST2), 1);
    EXPECT_EQ(Val(results, RESULTS_DC3), 1);
    EXPECT_EQ(Val(results, RESULTS_PLT1), 0);
    EXPECT_EQ(Val(results, RESULTS_FOVER1), 0);
    for (int c : {RESULTS_PST1, RESULTS_PLT2, RESULTS_DC3, RESULTS_DT1, RESULTS_FOVER2})
        EXPECT_EQ(Attr(results, c, ATTR_VISIBLE), 1);
}

TEST_F(LoadTest, SettingsPageAndFlickerLimitsFollowTheFile)
{
    // set_parameter is part of this program (as in orivan): the settings page
    // shows the loaded record and the flicker limits follow its variant.
    ASSERT_NE(&set_parameter, nullptr);
    Para p = MakePara(1, 1);
    CopyFixed(p.fl_standard, "EN61000-3-3 A1");
    p.dmax_limit = 0;
    p.dt_time = 0;
    WriteCurrent(Path("a1.qel"), p, FlkStored(3, 1));
    ASSERT_EQ(load_measurement(Path("a1.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(Val(setting, SETTING_FL_STANDARD), 1);
    EXPECT_EQ(para.dt_time, 500);
    EXPECT_FLOAT_EQ(para.dmax_limit, 4.0f);
    EXPECT_FLOAT_EQ(para.dc_limit, 3.3f);

    Para h = MakePara(0, 3);
    h.h_standard = 2;
    h.h_class = 2;
    h.ctrl_pf[1] = 0.93f;
    h.ctrl_current[2] = 4.5f;
    WriteCurrent(Path("c.qel"), h, HarmSets(2, 3), {HResult(0), HResult(1), HResult(2)});
    ASSERT_EQ(load_measurement(Path("c.qel").c_str(), -1, -1), 0);
    double v = 0;
    GetCtrlVal(setting, SETTING_PF_SOLL2, &v);
    EXPECT_NEAR(v, 0.93, 1e-6);
    GetCtrlVal(setting, SETTING_I_SOLL3, &v);
    EXPECT_NEAR(v, 4.5, 1e-6);
}

TEST(SwitchingMean, EdgeCounts)
{
    const float v[3] = {5, 7, 6};
    EXPECT_FLOAT_EQ(SwitchingMean(v, 0, 0, 0), 0.0f);
    EXPECT_FLOAT_EQ(SwitchingMean(v, 1, 0, 0), 5.0f);
    EXPECT_FLOAT_EQ(SwitchingMean(v, 2, 1, 0), 6.0f);
    EXPECT_FLOAT_EQ(SwitchingMean(v, 3, 1, 0), 6.0f);
}

TEST_F(LoadTest, HarmonicLengthWithFlickerTestKindIsReadAsFlicker)
{
    // The record's test kind decides: harmonic-sized sets read as flicker sets.
    Para h = MakePara(0, 1);
    WriteCurrent(Path("mix.qel"), h, HarmSets(4, 1), {HResult(0)});
    Bytes b = Slurp(Path("mix.qel"));
    const int32_t flicker = 1;
    std::memcpy(b.data() + 4 + 2272, &flicker, 4);
    Spit(Path("mix.qel"), b);
    ASSERT_EQ(load_measurement(Path("mix.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(para.test_kind, 1);
    EXPECT_EQ(size, 3);  // 4 sets of 488 bytes fit: 4 / 2 + 1 frames
    EXPECT_EQ(listbuf[0]->item_size, sizeof(FlkFrame));
}

// Old single-phase file: count, 3160-byte block, records, result record.
Bytes OldFile(int32_t kind, const char* version, const std::vector<Bytes>& records)
{
    Bytes b(4 + 3160, 0);
    const int32_t C = int32_t(records.size());
    std::memcpy(b.data(), &C, 4);
    std::memcpy(b.data() + 4 + 2124, &kind, 4);
    std::memcpy(b.data() + 4 + 2153, version, std::strlen(version) + 1);
    const int32_t periods = 12;
    std::memcpy(b.data() + 4 + 32, &periods, 4);
    for (const auto& r : records) b.insert(b.end(), r.begin(), r.end());
    if (kind == 0) {
        Bytes res(552, 0);
        const int32_t higf = HIGF_AVG_OVER;
        std::memcpy(res.data() + 520, &higf, 4);
        b.insert(b.end(), res.begin(), res.end());
    }
    return b;
}

TEST_F(LoadTest, OldFilesByVersion)
{
    // 2.03: 424-byte records (368 + 56), converted; HTHC and HPOC become NaN.
    std::vector<Bytes> recs;
    for (int k = 0; k < 3; ++k) {
        Bytes r(424, 0);
        HarmFrame f = HFrame(k, 0);
        std::memcpy(r.data(), &f, 368);
        std::memcpy(r.data() + 368 + 16, &f.hist, 4);
        std::memcpy(r.data() + 368 + 52, &f.count, 4);
        recs.push_back(r);
    }
    Spit(Path("old203.qel"), OldFile(0, "2.03", recs));
    ASSERT_EQ(load_measurement(Path("old203.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(para.phases, 1);
    EXPECT_EQ(size, 3);
    HarmFrame f;
    ListGetItem(listbuf[0], &f, 3);
    EXPECT_FLOAT_EQ(f.hiam[5], HFrame(2, 0).hiam[5]);
    EXPECT_FLOAT_EQ(f.count, 502.0f);
    EXPECT_TRUE(IsNaN(f.hthc));
    EXPECT_TRUE(IsNaN(f.hpoc));
    EXPECT_EQ(Val(results, RESULTS_I1001), 1);
    EXPECT_EQ(firstframe, 500.0);

    // 2.04: 436-byte records, the first 436 bytes of the current record.
    recs.clear();
    for (int k = 0; k < 2; ++k) {
        HarmFrame h = HFrame(k, 0);
        Bytes r(436);
        std::memcpy(r.data(), &h, 436);
        recs.push_back(r);
    }
    Spit(Path("old204.qel"), OldFile(0, "2.04", recs));
    ASSERT_EQ(load_measurement(Path("old204.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(size, 2);
    ListGetItem(listbuf[0], &f, 2);
    EXPECT_FLOAT_EQ(f.itrms, HFrame(1, 0).itrms);
    EXPECT_FLOAT_EQ(f.count, 501.0f);

    // Old flicker file: 464-byte records, every set once.
    recs.clear();
    for (int k = 1; k <= 3; ++k) {
        FlkFrame fl = FFrame(k, 0);
        Bytes r(464);
        std::memcpy(r.data(), &fl, 464);
        recs.push_back(r);
    }
    Spit(Path("oldflk.qel"), OldFile(1, "2.04", recs));
    ASSERT_EQ(load_measurement(Path("oldflk.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(size, 3);
    EXPECT_EQ(flkbuf[0].fltr, 3);
}

TEST_F(LoadTest, InterruptedRunLoadsItsFrames)
{
    // The run died before its stop step: count current, no result records.
    Para p = MakePara(0, 3);
    WriteCurrent(Path("crash.qel"), p, HarmSets(6, 3));
    ui::QueueMessageAck();
    ASSERT_EQ(load_measurement(Path("crash.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(size, 6);
    EXPECT_TRUE(LastLoadReport().interrupted);
    EXPECT_EQ(LastLoadReport().results, 0);
    ASSERT_FALSE(ui::PopupLog().empty());
    EXPECT_EQ(ui::PopupLog().back().text, LOG_INTERRUPTED_TEXT);

    // Half a set more (the power failed during a write): the whole sets load.
    Bytes b = Slurp(Path("crash.qel"));
    b.resize(b.size() + 700, 0xAB);
    Spit(Path("crash2.qel"), b);
    ui::QueueMessageAck();
    ASSERT_EQ(load_measurement(Path("crash2.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(size, 6);
}

TEST_F(LoadTest, MissingForeignAndTruncatedFilesLeaveTheStateAlone)
{
    WriteCurrent(Path("good.qel"), MakePara(0, 1), HarmSets(3, 1), {HResult(0)});
    ASSERT_EQ(load_measurement(Path("good.qel").c_str(), -1, -1), 0);
    const State before = Capture();

    ui::QueueMessageAck();
    EXPECT_LT(load_measurement(Path("none.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(ui::PopupLog().back().title, "ERROR");
    EXPECT_EQ(ui::PopupLog().back().text, "File does not exist!");
    EXPECT_TRUE(Capture() == before);

    Bytes junk(5000);
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<unsigned char>(i * 7 + 3);
    Spit(Path("junk.qel"), junk);
    ui::QueueMessageAck();
    EXPECT_LT(load_measurement(Path("junk.qel").c_str(), -1, -1), 0);
    EXPECT_EQ(ui::PopupLog().back().text.rfind("Not a measurement logging file: " + Path("junk.qel"), 0), 0u);
    EXPECT_TRUE(Capture() == before);

    // Truncated inside the sets it counts.
    WriteCurrent(Path("t.qel"), MakePara(0, 3), HarmSets(5, 3), {HResult(0), HResult(1), HResult(2)});
    Bytes t = Slurp(Path("t.qel"));
    t.resize(3492 + 2 * 1380 + 100);
    Spit(Path("t.qel"), t);
    ui::QueueMessageAck();
    EXPECT_LT(load_measurement(Path("t.qel").c_str(), -1, -1), 0);
    EXPECT_TRUE(Capture() == before);

    // Too short for a settings record; empty.
    Spit(Path("short.qel"), Bytes(100, 0));
    Spit(Path("empty.qel"), Bytes());
    for (const char* n : {"short.qel", "empty.qel"}) {
        ui::QueueMessageAck();
        EXPECT_LT(load_measurement(Path(n).c_str(), -1, -1), 0) << n;
    }
    EXPECT_TRUE(Capture() == before);
}

TEST_F(LoadTest, LoadingTwiceGivesTheStateOfLoadingOnce)
{
    WriteCurrent(Path("a.qel"), MakePara(0, 3), HarmSets(8, 3), {HResult(0), HResult(1), HResult(2)});
    WriteCurrent(Path("b.qel"), MakePara(1, 1), FlkStored(5, 1));
    WriteCurrent(Path("c.qel"), MakePara(0, 1), HarmSets(2, 1), {HResult(0)});

    ASSERT_EQ(load_measurement(Path("c.qel").c_str(), -1, -1), 0);
    const State once = Capture();
    ASSERT_EQ(load_measurement(Path("c.qel").c_str(), -1, -1), 0);
    EXPECT_TRUE(Capture() == once);
    ASSERT_EQ(load_measurement(Path("a.qel").c_str(), -1, -1), 0);
    ASSERT_EQ(load_measurement(Path("b.qel").c_str(), -1, -1), 0);
    ASSERT_EQ(load_measurement(Path("c.qel").c_str(), -1, -1), 0);
    EXPECT_TRUE(Capture() == once);
}

TEST_F(LoadTest, ChoiceBoxesStayExclusive)
{
    ASSERT_TRUE(ui::Click(intro, INTRO_CHOICE));
    EXPECT_EQ(Val(intro, INTRO_CHOICE) + Val(intro, INTRO_CHOICE_MEAS), 1);
    const int load_on = Val(intro, INTRO_CHOICE);
    ASSERT_TRUE(ui::Click(intro, INTRO_CHOICE_MEAS));
    EXPECT_EQ(Val(intro, INTRO_CHOICE_MEAS), load_on);
    EXPECT_EQ(Val(intro, INTRO_CHOICE), 1 - load_on);
    ASSERT_TRUE(ui::Click(intro, INTRO_CHOICE_MEAS));
    EXPECT_EQ(Val(intro, INTRO_CHOICE) + Val(intro, INTRO_CHOICE_MEAS), 1);
}

TEST_F(LoadTest, LoadControlThroughTheDialogAndTheFileField)
{
    WriteCurrent(Path("d.qel"), MakePara(0, 3), HarmSets(4, 3), {HResult(0), HResult(1), HResult(2)});
    WriteCurrent(Path("e.qel"), MakePara(1, 1), FlkStored(3, 1));
    SetPanelsToMode(1);

    ui::QueueFileSelect(Path("d.qel"));
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_LOAD));
    EXPECT_EQ(size, 4);
    EXPECT_EQ(workmode, 1);
    const auto& req = ui::PopupLog().back();
    EXPECT_EQ(req.title, "Select data file");
    int active = 0;
    EasyTab_GetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, &active);
    EXPECT_EQ(active, diagnos);

    // Cancelled: nothing changes.
    ui::QueueFileSelect("");
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_LOAD));
    EXPECT_EQ(size, 4);

    // The file-name field (as the cut uses it).
    SetCtrlVal(diagnos, DIAGNOS_USEFILE, 1);
    SetCtrlVal(diagnos, DIAGNOS_FILE, Path("e.qel").c_str());
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_LOAD));
    EXPECT_EQ(para.test_kind, 1);
    EXPECT_EQ(size, 3);
    EXPECT_EQ(Val(diagnos, DIAGNOS_USEFILE), 0);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_USEFILE, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_SHOWLIMITS, ATTR_DIMMED), 1);
}

TEST_F(LoadTest, StartUpWithOneArgumentLoadsTheMeasurement)
{
    WriteCurrent(Path("arg.qel"), MakePara(0, 1), HarmSets(5, 1), {HResult(0)});
    ui::ResetUi();
    ResetProgramState();
    StartOptions o;
    o.args = {Path("arg.qel")};
    ASSERT_EQ(StartUp(o), 0);
    EXPECT_EQ(workmode, 1);
    EXPECT_EQ(viewmode, 3);
    EXPECT_EQ(size, 5);
    int active = 0;
    EasyTab_GetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, &active);
    EXPECT_EQ(active, diagnos);
    std::string field;
    GetCtrlVal(diagnos, DIAGNOS_FILE, &field);
    EXPECT_EQ(field, Path("arg.qel"));
}

}  // namespace
