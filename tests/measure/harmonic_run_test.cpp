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
                          "CONT OFF;STOP", "FRMT ASCII;*OPC?", "DOCO1 1;*OPC?", "CONT OFF;:GTL"})
        EXPECT_TRUE(Has(r, c)) << c;
    EXPECT_LT(IndexOf(r, "HTIM 10;*OPC?"), IndexOf(r, "PSO 250.000000;*OPC?"));
    EXPECT_LT(IndexOf(r, "CONT ON"), IndexOf(r, "START"));
    EXPECT_LT(IndexOf(r, "CONT OFF;STOP"), IndexOf(r, "FRMT ASCII;*OPC?"));

    // The verdict: the 3rd harmonic of a rectifier fails class D.
    int iall = 0;
    GetCtrlVal(results, RESULTS_IALL1, &iall);
    EXPECT_EQ(iall, 1);
    EXPECT_TRUE(buf_result[0].higf & HIGF_FAIL);
    EXPECT_EQ(para.meas_time, 10);
    EXPECT_EQ(para.user_stopped, 0);
}
