// Flicker runs end to end: the record sets stored twice, the periods and
// their bars, the switching procedure's countdowns, the impedance commands.
#include "tests/measure/run_fixture.h"

#include <algorithm>

namespace {

struct FlickerRun : RunFixture {
    bool Has(const std::vector<std::string>& v, const std::string& s)
    {
        return std::find(v.begin(), v.end(), s) != v.end();
    }
    size_t IndexOf(const std::vector<std::string>& v, const std::string& s)
    {
        return size_t(std::find(v.begin(), v.end(), s) - v.begin());
    }
    // Record set k (0-based) of phase p.
    std::vector<unsigned char> Set(const std::vector<unsigned char>& f, int k, int phases, int p = 0)
    {
        const size_t at = 3492 + (size_t(k) * phases + p) * 488;
        return std::vector<unsigned char>(f.begin() + long(at), f.begin() + long(at + 488));
    }
    int Visible(int control)
    {
        int v = -1;
        GetCtrlAttribute(measure, control, ATTR_VISIBLE, &v);
        return v;
    }
};

}  // namespace

TEST_F(FlickerRun, SwitchedLoadStoresLaterCyclesTwiceAndDrawsABarPerPeriod)
{
    Para p = FlickerSetUp(4, 1, 2, 10, 1);
    Bench(p, "switch:power=960.4,cpm=110");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    Run(60);
    ASSERT_FALSE(RunActive());
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(workmode, 1);

    const auto r = Received(5);
    for (const char* c : {"MODE 2;*OPC?", "FLPS 2;*OPC?", "FTIM 10;FNRM 1;FLDL 4.000000;*OPC?",
                          "EDIT 2;EVAL 0;SYSD 0;*OPC?", ":SOUR:DIG:COND2 1;:SOUR:DIG:COND4 0"})
        EXPECT_TRUE(Has(r, c)) << c;
    EXPECT_FALSE(std::any_of(r.begin(), r.end(), [](const std::string& m) { return m.rfind("ZREF", 0) == 0; }));
    // The reference impedance in the supply path, output 1 clear at the end.
    EXPECT_EQ(Device(5)->digital[2], 1);
    EXPECT_EQ(Device(5)->digital[4], 0);
    EXPECT_EQ(Device(5)->digital[1], 0);

    // The first running cycle once, every later one twice, the closing set
    // once more: an odd count, and the sets pair up after the first.
    const auto f = FileBytes();
    const int32_t C = Count();
    ASSERT_EQ(C % 2, 1);
    ASSERT_EQ(f.size(), size_t(3492 + C * 488));
    EXPECT_GE(C, 2 * 55);
    for (int k = 1; k + 1 < C; k += 2) ASSERT_EQ(Set(f, k, 1), Set(f, k + 1, 1)) << "sets " << k << ", " << k + 1;
    EXPECT_NE(Set(f, 0, 1), Set(f, 1, 1));
    EXPECT_EQ(size, C / 2 + 1);   // frames loaded

    // A bar with its value on the measuring page when the first period was
    // complete (the run ends at the tick that reports the last one).
    const auto& plots = ui::FindCtrl(measure, MEASURE_GRAPH1)->graph.plots;
    EXPECT_EQ(std::count_if(plots.begin(), plots.end(), [](const auto& pl) { return pl.kind == VAL_PLOT_RECT; }), 1);
    EXPECT_EQ(std::count_if(plots.begin(), plots.end(), [](const auto& pl) { return pl.kind == VAL_PLOT_TEXT; }), 1);
    // 0.722 % at 110 changes a minute: Pst about 1.
    EXPECT_NEAR(flkbuf[0].flst, 1.0, 0.15);
    EXPECT_EQ(flkbuf[0].fsta, 3);
}

TEST_F(FlickerRun, UserStopStoresTheLastCycleThreeTimes)
{
    Para p = FlickerSetUp(4, 1, 2, 10, 0);
    Bench(p, "switch:power=960.4,cpm=110");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    while (RunActive() && !(running && flkbuf[0].fltr <= 12)) Run(0.1);
    ASSERT_TRUE(RunActive());
    const int32_t remaining = flkbuf[0].fltr;
    ASSERT_TRUE(ui::Click(measure, MEASURE_START));
    EXPECT_FALSE(RunActive());
    EXPECT_EQ(para.meas_time, 20 - remaining);
    const auto f = FileBytes();
    const int32_t C = Count();
    ASSERT_EQ(C % 2, 0);
    ASSERT_EQ(f.size(), size_t(3492 + C * 488));
    EXPECT_EQ(Set(f, C - 1, 1), Set(f, C - 2, 1));
    EXPECT_EQ(Set(f, C - 2, 1), Set(f, C - 3, 1));
}

TEST_F(FlickerRun, SwitchingProcedureCountsDownOnAPamC)
{
    Para p = FlickerSetUp(1, 3, 1, 30, 2);
    p.switch_interval = 10;
    Bench(p, "motor:power=1000,period=10,run=5");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    bool waiting = false, countdown = false, period_end = false;
    int countdown_max = 0;
    float dmax_seen = 0;
    while (RunActive()) {
        Run(0.1);
        dmax_seen = std::max(dmax_seen, flkbuf[0].fldx);
        waiting = waiting || Visible(MEASURE_WAITING) == 1;
        if (Visible(MEASURE_SWITCH_COUNT) == 1) {
            countdown = true;
            GetCtrlAttribute(measure, MEASURE_SWITCH_COUNT, ATTR_MAX_VALUE, &countdown_max);
        }
        if (Visible(MEASURE_PERIOD_COUNT) == 1) {
            period_end = true;
            int v = 99;
            GetCtrlVal(measure, MEASURE_PERIOD_COUNT, &v);
            EXPECT_LE(v, 20);
        }
    }
    EXPECT_TRUE(Errors().empty());
    EXPECT_TRUE(waiting);
    EXPECT_TRUE(countdown);
    EXPECT_EQ(countdown_max, 10);
    EXPECT_TRUE(period_end);
    const auto r = Received(5);
    // The set-up's own period count and length, not the presets of the switching procedure.
    EXPECT_TRUE(Has(r, "FLPS 1;*OPC?"));
    EXPECT_TRUE(Has(r, "FTIM 30;FNRM 2;FLDL 4.000000;*OPC?"));
    const int32_t C = Count();
    EXPECT_EQ(FileBytes().size(), size_t(3492 + C * 1464));
    // The switching procedure judges dmax only: the other lamps are hidden.
    int v = -1;
    GetCtrlAttribute(results, RESULTS_PST2, ATTR_VISIBLE, &v);
    EXPECT_EQ(v, 0);
    GetCtrlAttribute(results, RESULTS_DMAX2, ATTR_VISIBLE, &v);
    EXPECT_EQ(v, 1);
    // Each start of the motor drops the phase by about 3 % behind the phase conductor's impedance.
    EXPECT_GT(dmax_seen, 3.0f);
}

TEST_F(FlickerRun, ImpedanceIsSentUnderEdition4OrForEN61000_3_11)
{
    auto zref = [](const std::vector<std::string>& r) {
        return std::count_if(r.begin(), r.end(), [](const std::string& m) { return m.rfind("ZREF", 0) == 0; });
    };
    // A harmonic set-up under EN61000-3-12 leaves h_standard 4 behind.
    Para p = FlickerSetUp(4, 1, 1, 10, 1);
    p.h_standard = 4;
    p.z_ref = 1;
    p.z_test = 0.3f;
    Bench(p, "switch:power=500,cpm=60");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    FinishRun();
    auto r = Received(5);
    ASSERT_EQ(zref(r), 1);
    EXPECT_EQ(IndexOf(r, "ZREF 1;ZTST 0.300000;*OPC?"), IndexOf(r, "FTIM 10;FNRM 1;FLDL 4.000000;*OPC?") + 1);
    LogLayout L;
    int fd = -1;
    ASSERT_GE(LogOpenRead(file.c_str(), &fd, &L), 0);
    LogClose(fd);
    EXPECT_EQ(L.para.h_standard, 2);
    EXPECT_EQ(para.h_standard, 2);

    // A second flicker preparation sees edition 2: no ZREF for EN61000-3-3.
    Start("again.qel");
    ASSERT_TRUE(RunActive());
    FinishRun();
    r = Received(5);
    EXPECT_EQ(zref(r), 1);
    EXPECT_EQ(std::count(r.begin(), r.end(), "FTIM 10;FNRM 1;FLDL 4.000000;*OPC?"), 2);

    // EN61000-3-11 sends it whatever the edition.
    p = FlickerSetUp(4, 1, 1, 10, 3);
    p.h_standard = 0;
    p.z_ref = 0;
    p.z_test = 0.25f;
    Confirm(p);
    // The confirmed variant counts, not the page control changed afterwards.
    SetCtrlVal(setting, SETTING_FL_STANDARD, 0);
    Start("second.qel");
    ASSERT_TRUE(RunActive());
    FinishRun();
    r = Received(5);
    EXPECT_TRUE(Has(r, "FTIM 10;FNRM 3;FLDL 4.000000;*OPC?"));
    EXPECT_TRUE(Has(r, "ZREF 0;ZTST 0.250000;*OPC?"));
    EXPECT_EQ(zref(r), 2);
}
