// Harmonic runs end to end: the start toggle, the ticks, the stop, the file
// and the verdicts, for each analyser type.
#include "tests/measure/run_fixture.h"

#include <algorithm>

namespace {

struct HarmonicRun : RunFixture {};

bool Has(const std::vector<std::string>& v, const std::string& s)
{
    return std::find(v.begin(), v.end(), s) != v.end();
}

size_t IndexOf(const std::vector<std::string>& v, const std::string& s)
{
    return size_t(std::find(v.begin(), v.end(), s) - v.begin());
}

}  // namespace

TEST_F(HarmonicRun, ClassDRectifierOnOnePamAFailsAndStoresEveryFrame)
{
    Para p = HarmonicSetUp(4, 1, 3, 3, 10);
    p.ctrl_power[0] = 250;
    Bench(p, "smps:power=250");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive()) << (Errors().empty() ? "" : Errors()[0]);
    EXPECT_EQ(workmode, 0);
    // Both timers run; the display timer shows the remaining time.
    int on = 0;
    GetCtrlAttribute(measure, MEASURE_TIMER, ATTR_ENABLED, &on);
    EXPECT_EQ(on, 1);
    GetCtrlAttribute(measure, MEASURE_TIMER1, ATTR_ENABLED, &on);
    EXPECT_EQ(on, 1);
    Run(4.05);
    std::string remaining;
    GetCtrlVal(measure, MEASURE_REMAINING, &remaining);
    EXPECT_TRUE(remaining == "00:00:06" || remaining == "00:00:07") << remaining;
    Run(30);
    ASSERT_FALSE(RunActive());
    EXPECT_TRUE(Errors().empty()) << Errors()[0];
    EXPECT_EQ(workmode, 1);

    // The file: header, every frame once, one result record.
    const int32_t C = Count();
    EXPECT_GE(C, 50);
    EXPECT_LE(C, 53);
    EXPECT_EQ(FileBytes().size(), size_t(4044 + C * 460));

    // The commands in their order.
    const auto r = Received(5);
    for (const char* c : {"SENS:CURR:RANG:AUTO1 0", "SENS:CURR:RANG1 20.000000", ":SOUR:DIG:COND1 1",
                          ":SOUR:DIG:COND4 1;:SOUR:DIG:COND2 0", ":SOUR:DIG:COND1 0", "SYST:LANG SHORT;*OPC?",
                          "FRZ OFF;*OPC?", "MODE 1;*OPC?", "HTIM 10;*OPC?", "PSO 250.000000;*OPC?",
                          "EDIT 3;EVAL 3;SMOO 1;CECD 1;SYSD 0;*OPC?", "FRMT PACKED;*OPC?", "CONT ON", "START",
                          "CONT OFF;STOP", "FRMT ASCII;*OPC?", "DOCO1 0;*OPC?", "CONT OFF;:GTL"})
        EXPECT_TRUE(Has(r, c)) << c;
    EXPECT_LT(IndexOf(r, "HTIM 10;*OPC?"), IndexOf(r, "PSO 250.000000;*OPC?"));
    EXPECT_LT(IndexOf(r, "CONT ON"), IndexOf(r, "START"));
    EXPECT_LT(IndexOf(r, "CONT OFF;STOP"), IndexOf(r, "FRMT ASCII;*OPC?"));
    // Direct supply, output 1 clear at the end.
    EXPECT_EQ(Device(5)->digital[4], 1);
    EXPECT_EQ(Device(5)->digital[2], 0);
    EXPECT_EQ(Device(5)->digital[1], 0);

    // The verdict: the 3rd harmonic of a rectifier fails class D.
    int iall = 0;
    GetCtrlVal(results, RESULTS_IALL1, &iall);
    EXPECT_EQ(iall, 1);
    EXPECT_TRUE(buf_result[0].higf & HIGF_FAIL);
    EXPECT_EQ(para.meas_time, 10);
    EXPECT_EQ(para.user_stopped, 0);
}

TEST_F(HarmonicRun, ThreePamAHeaterPassesClassAWithACommandSetEach)
{
    Para p = HarmonicSetUp(0, 3, 3, 0, 4);
    Bench(p, "heater:power=2000");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    Run(20);
    ASSERT_FALSE(RunActive());
    EXPECT_TRUE(Errors().empty());
    const int32_t C = Count();
    EXPECT_GE(C, 20);
    EXPECT_EQ(FileBytes().size(), size_t(5148 + C * 1380));
    for (int a = 5; a <= 7; ++a) {
        const auto r = Received(a);
        EXPECT_TRUE(Has(r, "SENS:CURR:RANG1 20.000000")) << a;
        EXPECT_TRUE(Has(r, "HTIM 4;*OPC?")) << a;
        EXPECT_TRUE(Has(r, "START")) << a;
        EXPECT_TRUE(Has(r, "CONT OFF;:GTL")) << a;
        // Only the first analyser switches the reference impedance.
        EXPECT_EQ(Has(r, ":SOUR:DIG:COND1 0"), a == 5) << a;
        EXPECT_EQ(Has(r, "DOCO1 0;*OPC?"), a == 5) << a;
    }
    const int iall[3] = {RESULTS_IALL1, RESULTS_IALL2, RESULTS_IALL3};
    for (int ph = 0; ph < 3; ++ph) {
        int v = -1;
        GetCtrlVal(results, iall[ph], &v);
        EXPECT_EQ(v, 0) << ph;
        EXPECT_EQ(buf_result[ph].higf & HIGF_FAIL, 0) << ph;
        EXPECT_NEAR(buf_result[ph].hpm, 2000, 100) << ph;   // each analyser measured its own phase
    }
}

TEST_F(HarmonicRun, PamCDriveUnderEN61000_3_12SendsItsCommandsOnceAndGroupsPerChannel)
{
    Para p = HarmonicSetUp(1, 3, 4, 10, 3);
    p.rsce = 33;
    Bench(p, "drive:power=10000");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    Run(20);
    ASSERT_FALSE(RunActive());
    const auto r = Received(5);
    for (const char* c : {"SENS:CURR:RANG1 20.000000", "SENS:CURR:RANG2 20.000000", "SENS:CURR:RANG3 20.000000",
                          ":SENS:CURR:DET1 0", ":SENS:CURR:DET3 0"})
        EXPECT_TRUE(Has(r, c)) << c;
    for (const char* c : {"MODE 1;*OPC?", "HTIM 3;*OPC?", "FRMT PACKED;*OPC?", "START",
                          "EDIT 4;EVAL 10;SMOO 1;CECD 1;SYSD 0;RSCE 33.000000;*OPC?"})
        EXPECT_EQ(std::count(r.begin(), r.end(), c), 1) << c;
    const auto cyclic = std::count_if(r.begin(), r.end(), [](const std::string& m) { return m.rfind("ACTN;", 0) == 0; });
    EXPECT_EQ(cyclic, 1);
    const std::string q = *std::find_if(r.begin(), r.end(), [](const std::string& m) { return m.rfind("ACTN;", 0) == 0; });
    EXPECT_NE(q.find("UTRMS1?;ITRMS1?;P?;PF?;FREQ?"), std::string::npos) << q;
    EXPECT_NE(q.find("UTRMS2?;ITRMS2?;P2?;PF2?;FREQ?"), std::string::npos) << q;
    EXPECT_NE(q.find("UTRMS3?;ITRMS3?;P3?;PF3?;FREQ?"), std::string::npos) << q;
    const int32_t C = Count();
    EXPECT_GE(C, 15);
    EXPECT_EQ(FileBytes().size(), size_t(5148 + C * 1380));
    // Each phase's record holds its own power.
    for (int ph = 0; ph < 3; ++ph) EXPECT_NEAR(buf[ph].p, 10000.0 / 3, 800) << ph;
    int visible = -1;
    GetCtrlAttribute(results, RESULTS_THD2, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 1);
}

TEST_F(HarmonicRun, ClassCLampOnPamBSendsItsSetPointsAndRefusesThreePhases)
{
    Para p = HarmonicSetUp(2, 1, 3, 2, 3);
    p.ctrl_pf[0] = 0.95f;
    p.ctrl_current[0] = 0.14f;
    Bench(p, "led:power=30");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    Run(20);
    ASSERT_FALSE(RunActive());
    auto r = Received(5);
    EXPECT_TRUE(Has(r, ":SENS:CURR:DET1 0"));
    EXPECT_TRUE(Has(r, "PFSO 0.950000;ISO 0.140000;*OPC?"));
    // The set-points are taken from the settings page's fields into the record.
    Confirm(p);
    SetCtrlVal(setting, A14_PF_SOLL[0], 0.9);
    SetCtrlVal(setting, A14_I_SOLL[0], 0.125);
    Start("again.qel");
    ASSERT_TRUE(RunActive());
    FinishRun();
    r = Received(5);
    EXPECT_TRUE(Has(r, "PFSO 0.900000;ISO 0.125000;*OPC?"));
    EXPECT_FLOAT_EQ(para.ctrl_pf[0], 0.9f);
    EXPECT_FLOAT_EQ(para.ctrl_current[0], 0.125f);
    EXPECT_TRUE(Has(r, "EDIT 3;EVAL 2;SMOO 1;CECD 1;SYSD 0;*OPC?"));

    // A PAM-B measures one phase: a three-phase set-up is refused before anything is opened.
    p.phases = 3;
    Confirm(p);
    ui::QueueFileSelect(dir + "/three.qel");
    ui::QueueMessageAck();
    ASSERT_TRUE(ui::Click(measure, MEASURE_START));
    EXPECT_FALSE(RunActive());
    ASSERT_FALSE(Errors().empty());
    EXPECT_EQ(Errors().back(), "The PAM-B measures one phase.\nPlease set the number of phases to 1.");
    int toggle = -1;
    GetCtrlVal(measure, MEASURE_START, &toggle);
    EXPECT_EQ(toggle, 0);
    EXPECT_EQ(workmode, 2);
}

TEST_F(HarmonicRun, TwoAndAHalfHoursAreSentAsSecondsAndClassFourAsClassC)
{
    Para p = HarmonicSetUp(4, 1, 2, 4, 9000);
    Bench(p, "led:power=30");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    Run(1);
    const auto r = Received(5);
    EXPECT_TRUE(Has(r, "HTIM 9000;*OPC?"));
    EXPECT_TRUE(Has(r, "EDIT 2;EVAL 2;SMOO 1;CECD 1;SYSD 0;*OPC?"));
    // Table 3 of class C sends no set-point.
    EXPECT_FALSE(std::any_of(r.begin(), r.end(), [](const std::string& m) { return m.rfind("PFSO", 0) == 0; }));
    ASSERT_TRUE(ui::Click(measure, MEASURE_START));   // the user's stop
    EXPECT_FALSE(RunActive());
    EXPECT_EQ(workmode, 2);
    EXPECT_EQ(para.user_stopped, 1);
}

TEST_F(HarmonicRun, UserStopLeavesTheElapsedTimeAndLoadsTheFile)
{
    Para p = HarmonicSetUp(1, 3, 3, 0, 600);
    Bench(p, "heater:power=1000", 0);
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    while (RunActive() && !(buf[0].fltr > 0 && buf[0].fltr <= 250)) Run(0.1);
    ASSERT_EQ(buf[0].fltr, 250);
    ASSERT_TRUE(ui::Click(measure, MEASURE_START));
    EXPECT_FALSE(RunActive());
    EXPECT_EQ(para.meas_time, 350);
    EXPECT_EQ(para.user_stopped, 1);
    EXPECT_EQ(workmode, 2);
    // The file was loaded: a complete three-phase harmonic file.
    EXPECT_FALSE(LastLoadReport().interrupted);
    EXPECT_EQ(LastLoadReport().results, 3);
    const int32_t C = Count();
    EXPECT_EQ(size, C);
    EXPECT_EQ(FileBytes().size(), size_t(5148 + C * 1380));
    LogLayout L;
    int fd = -1;
    ASSERT_EQ(LogOpenRead(file.c_str(), &fd, &L), 0);
    LogClose(fd);
    EXPECT_EQ(L.para.meas_time, 350);
    EXPECT_EQ(L.para.user_stopped, 1);

    // The next start measures the whole time again.
    Start("second.qel");
    ASSERT_TRUE(RunActive());
    EXPECT_EQ(para.meas_time, 600);
    FinishRun();
}
