// The flicker text protocol line by line: base edition, amendment A1, the
// switching procedure (dmax only), EN61000-3-11 with its impedance line,
// fewer than three periods and a run stopped before its first period.
#include "tests/reports/report_fixture.h"

#include <algorithm>

#include "panel_ids.h"
#include "reports/protocol.h"

using namespace rt;

namespace {

struct FlickerProtocol : ReportTest {
    std::string path;
    Para Setup(int phases, const char* standard = "EN61000-3-3")
    {
        path = Path("flicker.qel");
        Para p = RunPara(1, phases, path);
        CopyFixed(p.fl_standard, standard);
        return p;
    }
    std::vector<std::string> Run(const Para& p, int stopAfter = -1)
    {
        WriteFlicker(path, p, FlickerEntries(p, 2, stopAfter));
        Load(path);
        return Lines(bufTable);
    }
    static bool Has(const std::vector<std::string>& lines, const std::string& line)
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

}  // namespace

TEST_F(FlickerProtocol, OnePhaseBaseEditionWholeText)
{
    Para p = Setup(1);
    const std::vector<std::string> got = Run(p);
    // Loading derived the limits of the base edition: dc and d(t) 0.75 x dmax, 200 ms.
    const std::vector<std::string> want = {
        "               Measuring protocol printed at 01. January 2026 00:00:00",
        "",
        "       Measuring loggfile " + path + " ",
        "       is dated 07. March 2026 14:05:09",
        "",
        "",
        "       Name:                PSU 230",
        "       Department:          EMC lab",
        "       Company:             Korvel Test",
        "       Device:              Power supply",
        "       Manufacturer:        Acme Power",
        "       Type:                PS-100       Input 230 V / 50 Hz",
        "       ",
        "       Full load",
        "       ",
        "       ",
        "       ",
        "       ",
        "",
        "       ORIVAN Version 3.0 was used",
        "       The measuring setup consists of  ",
        "       a PAM-A, SN SIM00001, Rev. 2.10       according to the standard: EN61000-4-15",
        "       Compliance was tested against EN61000-3-3 limits",
        "       The measuring ranges 250.000000 V, scaling 1.000000 for voltage ",
        "       and 20.000000 A,scaling 1.000000 for current were used.",
        "       Short time        : 00:01:00",
        "       Number of periods : 3",
        "",
        "       Flicker check:              Phase 1       ",
        "       Pst always < 1.0     :       fail     ",
        "       Plt < 0.65           :       ok     ",
        "       dmax < 4.000000%            :       ok     ",
        "       d(t) < 3.000000% for <200ms :      ok     ",
        "       dc  < 3.000000%             :      ok     ",
        "       Values from chosen frame at 00:00:00 before end of long time interval (informative):",
        "                     Phase 1       ",
        "       Pst  =        0.8750           ",
        "       Plt  =        0.6300           ",
        "       dmax =        2.5000 %         ",
        "       dc   =        0.7500 %         ",
        "       U    =      229.5000 V         ",
        "       I    =        4.1250 A         ",
        "       P    =      940.0000 W         ",
        "       PF   =        0.9900           ",
        "       f    =       50.0000 Hz        ",
        "",
        "    n      Pst 1       Plt 1      ",
        "     ___________________________________________________________________________________",
        "",
        "    1      0.6250                    ",
        "    2      0.7500                    ",
        "    3      0.8750       0.6300       ",
    };
    ASSERT_EQ(got.size(), want.size()) << bufTable;
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "line " << i;
}

TEST_F(FlickerProtocol, ThreePhasesAmendmentA1)
{
    Para p = Setup(3, "EN61000-3-3 A1");
    const std::vector<std::string> l = Run(p);
    EXPECT_TRUE(Has(l, "       a PAM-A, SN SIM00001, Rev. 2.10       a PAM-A, SN SIM00002, Rev. 2.10       a PAM-A, SN SIM00003, "
                       "Rev. 2.10       according to the standard: EN61000-4-15"));
    EXPECT_TRUE(Has(l, "       The measuring ranges 250.000000, 250.000000, 250.000000 V, scaling 1.000000, 1.000000, 1.000000 "
                       "for voltage "));
    EXPECT_TRUE(Has(l, "       and 20.000000, 20.000000, 20.000000 A,scaling 1.000000, 1.000000, 1.000000 for current were used."));
    EXPECT_TRUE(Has(l, "       Flicker check:              Phase 1       Phase 2       Phase 3       "));
    EXPECT_TRUE(Has(l, "       Pst always < 1.0     :       fail            ok            ok     "));
    EXPECT_TRUE(Has(l, "       d(t) < 3.300000% for <500ms :      ok           ok           ok     "));
    EXPECT_TRUE(Has(l, "       dc  < 3.300000%             :      ok           ok           ok     "));
    EXPECT_TRUE(Has(l, "                     Phase 1              Phase 2              Phase 3       "));
    EXPECT_TRUE(Has(l, "       U    =      229.5000 V            230.5000 V            231.5000 V         "));
    EXPECT_TRUE(Has(l, "    n      Pst 1       Plt 1            Pst 2       Plt 2            Pst 3       Plt 3      "));
    EXPECT_TRUE(Has(l, "    1      0.6250                       0.6875                       0.7500                    "));
    EXPECT_TRUE(Has(l, "    3      0.8750       0.6300          0.9375       0.6300          1.0000       0.6300       "));
    EXPECT_EQ(bufTable.find("Ztest"), std::string::npos);
}

TEST_F(FlickerProtocol, SwitchingProcedureHasTheDmaxBlockOnly)
{
    Para p = Setup(3, "EN61000-3-3 A1 switching");
    p.switching = 1;
    p.fl_periods = 4;
    p.dmax_limit = 2.0f;
    const std::vector<std::string> l = Run(p);
    // At the period ends the analyser shows the dmax of the period before
    // (0, 1.5, 2.0, 2.5 %, +0.25 % per phase); the switching-procedure mean
    // without the largest and the smallest is 1.75, 2.0 and 2.25 %.
    EXPECT_TRUE(Has(l, "       dmax < 2.000000 :              "));
    EXPECT_TRUE(Has(l, "Phase 1       Phase 2       Phase 3              ok            ok            fail     "));
    EXPECT_EQ(bufTable.find("Flicker check"), std::string::npos);
    EXPECT_EQ(bufTable.find("Pst always"), std::string::npos);
    EXPECT_TRUE(Has(l, "    n      dmax 1                         dmax 2                         dmax 3                   "));
    // One row per period end: the dmax then shown is that of the period before.
    EXPECT_TRUE(Has(l, "    2      1.5000          1.7500          2.0000       "));
    EXPECT_TRUE(Has(l, "    4      2.5000          2.7500          3.0000       "));
}

TEST_F(FlickerProtocol, En61000_3_11ImpedanceLine)
{
    Para p = Setup(1, "EN61000-3-11");
    p.z_test = 0.3125f;
    p.z_ref = 1;
    std::vector<std::string> l = Run(p);
    EXPECT_TRUE(Has(l, "       Compliance was tested against EN61000-3-11 limits"));
    EXPECT_TRUE(Has(l, "       for the test impedance Ztest=0.312500 Ohm and for the reference one Zref=0,4+j0,25 Ohm"));
    para.z_ref = 0;
    CreateProtocol();
    l = Lines(bufTable);
    EXPECT_TRUE(Has(l, "       for the test impedance Ztest=0.312500 Ohm and for the reference one Zref=0,24+j0,15 Ohm"));
}

TEST_F(FlickerProtocol, TwoPeriodsMakePltInformative)
{
    Para p = Setup(1, "EN61000-3-3 A1");
    p.fl_periods = 2;
    const std::vector<std::string> l = Run(p);
    EXPECT_TRUE(Has(l, "       Plt < 0.65 informative:       ok     "));
    EXPECT_TRUE(Has(l, "    2      0.7500       0.6200       "));
}

TEST_F(FlickerProtocol, StoppedBeforeTheFirstPeriodEnded)
{
    Para p = Setup(1);
    p.user_stopped = 1;
    p.meas_time = 45;
    const std::vector<std::string> l = Run(p, 45);
    EXPECT_TRUE(Has(l, "     Measuring time was 00:00:45 (terminated by user)."));
    ASSERT_GE(l.size(), 2u);
    EXPECT_EQ(l.back(), "");
    EXPECT_EQ(l[l.size() - 2], "     ___________________________________________________________________________________");
}
