// The harmonic text protocol line by line: one and three phases, editions
// 0-4, classes A-D and the EN61000-3-12 tables with their informative lines.
#include "tests/reports/report_fixture.h"

#include <algorithm>

#include "panel_ids.h"
#include "reports/protocol.h"

using namespace rt;

namespace {

struct HarmonicProtocol : ReportTest {
    std::string path;
    Para Setup(int phases)
    {
        path = Path("run.qel");
        return RunPara(0, phases, path);
    }
    std::vector<std::string> Run(const Para& p, int frames = 5)
    {
        WriteHarmonic(path, p, frames);
        Load(path);
        std::string text;
        GetCtrlVal(protocol, PROTOCOL_TEXT, &text);
        EXPECT_EQ(text, bufTable) << "the protocol page shows the protocol";
        return Lines(bufTable);
    }
    static bool Has(const std::vector<std::string>& lines, const std::string& line)
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    static size_t Index(const std::vector<std::string>& lines, const std::string& line)
    {
        return size_t(std::find(lines.begin(), lines.end(), line) - lines.begin());
    }
};

}  // namespace

TEST_F(HarmonicProtocol, OnePhaseEdition1ClassAWholeText)
{
    const std::vector<std::string> got = Run(Setup(1));
    std::vector<std::string> want = {
        "               Measuring protocol printed at 01. January 2026 00:00:00",
        "",
        "       Measuring loggfile " + path + " ",
        "       is dated 07. March 2026 14:05:09",
        "",
        "            Test data:",
        "",
        "       Name:                PSU 230",
        "       Department:          EMC lab",
        "       Company:             Korvel Test",
        "       Device:              Power supply",
        "       Manufacturer:        Acme Power",
        "       Type:                PS-100",
        "       Input 230 V / 50 Hz",
        "       ",
        "       Full load",
        "       ",
        "       ",
        "       ",
        "       ",
        "",
        "       ORIVAN Version 3.0 was used",
        "       The measuring setup consists of  ",
        "       a PAM-A, SN SIM00001, Rev. 2.10",
        "       according to the standard: EN61000-4-7:2002",
        "       Compliance was tested against EN61000-3-2:1995 limits",
        "       The smoothing filter was switched off. Grouping on",
        "       The measuring ranges 250.000000 V, scaling 1.000000 for voltage ",
        "       and 20.000000 A,scaling 1.000000 for current were used.",
        "       Class A was chosen",
        "       Measuring time was : 00:02:30",
        "",
        "       Voltage check:                                   Phase 1    Phase 2     Phase 3",
        "       All voltage harmonics within the limit          :  ok     ",
        "       Voltage +/-2% of nominal value                  :  ok     ",
        "       Frequency within +/-0.5%                        :   ok     ",
        "",
        "",
        "",
        "       Current check:",
        "       All current harmonics within the limit          :   ok     ",
        "       All fluctuating harmonics within the time limit :   ok     ",
        "",
        "       Global values from chosen frame at 00:00:00 before end of measuring (informative):",
        "                       Phase 1    ",
        "     U =                  230.1250 V    ",
        "     I =                    2.2500 A    ",
        "     P =                  450.5000 W    ",
        "     PF =                   0.8750      ",
        "     f =                   50.0000 Hz   ",
        "",
        "",
        "  Phase  1",
        "",
        "         n    Iaver     fluc%  Imax      Iall     I/Ilim,%    Umax",
        "       ----------------------------------------------------------",
    };
    // Orders: average 0.45/h A, maximum 0.4/h * 1.4 A in the last frame,
    // 56 % of the limit 1/h; orders 0 and 1 without a limit. Marks: current
    // of orders 3 and 35, voltage of order 5, fluctuation of order 3 (12.5 %).
    for (int n = 0; n <= 40; ++n) {
        const double iaver = n == 0 ? 0.001 : n == 1 ? 2.0 : double(0.45f / float(n));
        const double imax = n == 0 ? 0.001 : n == 1 ? 2.0 : double(0.4f / float(n) * 1.4f);
        const double fluct = n == 3 ? 12.5 : 0.0, umax = 0.25 * (n % 7);
        const char* a = n == 3 || n == 35 ? "!" : " ";
        const char* b = n == 5 ? "!" : " ";
        const char* c = n == 3 ? "!" : " ";
        if (n <= 1) want.push_back(F("       %2d %9.4f %9.4f   %9.4f%s   %s              %9.4f%s", n, iaver, fluct, imax, c, a, umax, b));
        else want.push_back(F("       %2d %9.4f %9.4f   %9.4f%s   %s   %9.4f  %9.4f%s", n, iaver, fluct, imax, c, a, 56.0, umax, b));
    }
    want.push_back("");
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "line " << i;
}

TEST_F(HarmonicProtocol, ThreePhasesEdition3ClassD)
{
    Para p = Setup(3);
    p.h_standard = 3;
    p.h_class = 3;
    p.smoothing = 1;
    const std::vector<std::string> l = Run(p);
    EXPECT_TRUE(Has(l, "       a PAM-A, SN SIM00001, Rev. 2.10 a PAM-A, SN SIM00002, Rev. 2.10 a PAM-A, SN SIM00003, Rev. 2.10"));
    EXPECT_TRUE(Has(l, "       according to the standard: EN61000-4-7:2002"));
    EXPECT_TRUE(Has(l, "       Compliance was tested against EN61000-3-2:2006 limits"));
    EXPECT_TRUE(Has(l, "       The smoothing filter was switched on. Grouping on"));
    EXPECT_TRUE(Has(l, "       The measuring ranges: 250.000000, 250.000000, 250.000000 V, scaling 1.000000, 1.000000, 1.000000 for voltage "));
    EXPECT_TRUE(Has(l, "       and 20.000000, 20.000000, 20.000000 A,scaling 1.000000, 1.000000,1.000000 for current."));
    EXPECT_TRUE(Has(l, "       Class D was chosen"));
    EXPECT_TRUE(Has(l, "       The control values of the power were :  150.000 W,  160.000  W and  170.000  W"));
    // No phase used the measured power: the control values.
    EXPECT_TRUE(Has(l, "       the power values ::  150.000 W:  160.000 W:  170.000 W"));
    EXPECT_TRUE(Has(l, "       Frequency within +/-0.5%                        :   ok       ok       fail   "));
    EXPECT_TRUE(Has(l, "       Crestfactor                                     :   ok       ok       ok     "));
    EXPECT_TRUE(Has(l, "       Phi                                             :   ok       ok       ok     "));
    EXPECT_TRUE(Has(l, "       All current harmonics within the limit          :   ok       fail     ok     "));
    EXPECT_TRUE(Has(l, "       All current harmonics within 150/200% of limit :   ok       ok       ok     "));
    EXPECT_TRUE(Has(l, "                       Phase 1          Phase 2          Phase 3    "));
    EXPECT_TRUE(Has(l, "     U =                  230.1250 V         231.1250 V         232.1250 V    "));
    // Page 2: three tables with the edition 2-4 columns, page 3 before the third.
    const size_t page3 = Index(l, "                Page 3");
    ASSERT_LT(page3, l.size());
    EXPECT_EQ(l[page3 + 3], "  Phase  3");
    EXPECT_TRUE(Has(l, "         n    Iaver        Imax     Iall    I/Ilim,%  Frame      Umax"));
    // Order 3 of phase 2: 0.45/3 A average, 0.45/3 * 1.4 A maximum (63 %) in frame 4.
    EXPECT_TRUE(Has(l, F("        3 %9.4f   %9.4f      !   %9.4f  4    %9.4f ", 0.15, double(0.45f / 3.0f * 1.4f), 63.0, 1.75)));
    EXPECT_TRUE(Has(l, F("       %2d %9.4f   %9.4f      %s                      %9.4f%s", 1, 2.0, 2.0, " ", 1.25, " ")));
}

TEST_F(HarmonicProtocol, ClassDAndClassCControlValueLines)
{
    Para p = Setup(1);
    p.h_standard = 2;
    p.h_class = 3;
    std::vector<std::string> l = Run(p, 3);
    EXPECT_TRUE(Has(l, "       The control value of the power was :  150.000 W"));
    EXPECT_TRUE(Has(l, "       The limits were calculated according to this  value "));
    EXPECT_TRUE(Has(l, "         n    Iaver        Imax     Iall    I/Ilim,%  Frame      Umax"));
    buf_result[0].higf |= HIGF_D_POWER_MEASURED_2;   // the analyser took the measured power
    CreateProtocol();
    l = Lines(bufTable);
    EXPECT_TRUE(Has(l, "       The limits were calculated according "));
    EXPECT_TRUE(Has(l, "       the measured value of the power :  455.000 W"));

    para.h_class = 2;   // class C, one phase
    buf_result[0].higf = 0;
    CreateProtocol();
    l = Lines(bufTable);
    EXPECT_TRUE(Has(l, "       The control values of the power factor and current were  :"));
    EXPECT_TRUE(Has(l, "          0.950 and    0.700 A"));
    EXPECT_TRUE(Has(l, "       The limits were calculated according to these  values "));
    buf_result[0].higf = 0x020;
    CreateProtocol();
    l = Lines(bufTable);
    EXPECT_TRUE(Has(l, "       The limits was calculated according the values of"));
    EXPECT_TRUE(Has(l, "       the power factor and current     0.900 and    1.950 A"));
}

TEST_F(HarmonicProtocol, ClassCThreePhases)
{
    Para p = Setup(3);
    p.h_standard = 3;
    p.h_class = 2;
    std::vector<std::string> l = Run(p, 3);
    buf_result[1].higf |= 0x100;
    CreateProtocol();
    l = Lines(bufTable);
    EXPECT_TRUE(Has(l, "          0.950 and    0.700 A,    0.950 and    0.700 A,    0.950 and    0.700 A"));
    EXPECT_TRUE(Has(l, "       The limits for phase 1 were calculated according to the control  values "));
    EXPECT_TRUE(Has(l, "       The limits for phase 2 were calculated according the values of"));
    EXPECT_TRUE(Has(l, "       The limits for phase 3 were calculated according to the control  values "));
}

TEST_F(HarmonicProtocol, En61000_3_12TablesAndInformativeLines)
{
    Para p = Setup(1);
    p.h_standard = 4;
    p.h_class = 12;
    p.rsce = 120;
    p.rsce_recommended = 33;
    std::vector<std::string> l = Run(p, 3);
    EXPECT_TRUE(Has(l, "       according to the standard: EN61000-4-7:2002"));
    EXPECT_TRUE(Has(l, "       Compliance was tested against EN61000-3-12 limits"));
    EXPECT_TRUE(Has(l, "       Table 4 and Rsce=120.000000 were chosen"));
    EXPECT_TRUE(Has(l, "       Recommended Rsce=33.000000"));
    EXPECT_TRUE(Has(l, "       Informative: Third harmonics < 5 % of the first one: pass"));
    EXPECT_TRUE(Has(l, "                    Phase of the fifth harmonics 90\u00b0-150\u00b0: pass"));
    EXPECT_TRUE(Has(l, "                    Fifth and seventh harmonics < 5 % : pass"));
    EXPECT_TRUE(Has(l, "       Crestfactor                                     : ") == false);
    buf_result[0].higf |= HIGF_H3 | HIGF_PHASE5 | HIGF_H5H7;
    CreateProtocol();
    l = Lines(bufTable);
    EXPECT_TRUE(Has(l, "       Informative: Third harmonics  < 5 % of the first one : fail"));
    EXPECT_TRUE(Has(l, "                    Phase of the fifth harmonics 90\u00b0-150\u00b0: fail"));
    EXPECT_TRUE(Has(l, "                    Fifth and seventh harmonics < 5 % : fail"));

    para.h_class = 11;   // Table 3: only the third-harmonic line
    CreateProtocol();
    l = Lines(bufTable);
    EXPECT_TRUE(Has(l, "       Table 3 and Rsce=120.000000 were chosen"));
    EXPECT_TRUE(Has(l, "       Informative: Third harmonics  < 5 % of the first one : fail"));
    EXPECT_FALSE(Has(l, "                    Fifth and seventh harmonics < 5 % : fail"));
    para.h_class = 10;   // Table 2: none
    CreateProtocol();
    l = Lines(bufTable);
    EXPECT_TRUE(Has(l, "       Table 2 and Rsce=120.000000 were chosen"));
    EXPECT_EQ(bufTable.find("Informative: "), std::string::npos);
}

TEST_F(HarmonicProtocol, Edition0ClassDCheckAndClassB)
{
    Para p = Setup(1);
    p.h_standard = 0;
    p.h_class = 3;
    std::vector<std::string> l = Run(p, 3);
    EXPECT_TRUE(Has(l, "       according to the standard: EN61000-4-7:1993"));
    EXPECT_TRUE(Has(l, "       The smoothing filter was switched off. Grouping off"));
    EXPECT_TRUE(Has(l, "       Class D was chosen"));
    EXPECT_EQ(bufTable.find("control value"), std::string::npos);   // editions 0 and 1 have none
    const size_t end = Index(l, "       The class D check was ok");
    ASSERT_LT(end + 1, l.size());
    EXPECT_EQ(l[end - 1].substr(0, 8), "     f =");
    EXPECT_EQ(l[end + 1], "");
    buf_result[0].hens |= HENS_ALL;
    CreateProtocol();
    EXPECT_NE(bufTable.find("\n       The class D check was fail\n\n"), std::string::npos);

    para.h_class = 1;   // class B: no crest factor or phi rows
    CreateProtocol();
    l = Lines(bufTable);
    EXPECT_TRUE(Has(l, "       Class B was chosen"));
    EXPECT_EQ(bufTable.find("Crestfactor"), std::string::npos);
    EXPECT_EQ(bufTable.find("Phi "), std::string::npos);
    EXPECT_EQ(bufTable.find("class D check"), std::string::npos);
}

TEST_F(HarmonicProtocol, StoppedRunAndFrameWindow)
{
    Para p = Setup(1);
    p.user_stopped = 1;
    p.meas_time = 3725;
    p.frame_window = 1;
    p.first_frame = 2;
    p.last_frame = 4;
    const std::vector<std::string> l = Run(p, 3);
    EXPECT_TRUE(Has(l, "       Measuring time was : 01:02:05 (terminated by user)"));
    EXPECT_TRUE(Has(l, "       Frames from 2 till 4 were analysed"));
}

TEST_F(HarmonicProtocol, EutFieldsComeFromTheSettingsPage)
{
    Para p = Setup(1);
    Run(p, 2);
    SetCtrlVal(setting, SETTING_NAME, "Edited name");
    CreateProtocol();
    EXPECT_NE(bufTable.find("\n       Name:                Edited name\n"), std::string::npos);
}

TEST_F(HarmonicProtocol, TheLoadedRunDecidesTheKind)
{
    Para p = Setup(1);
    Run(p, 2);
    para.test_kind = 1;   // the settings page changed since the run was loaded
    CreateProtocol();
    EXPECT_NE(bufTable.find("Test data:"), std::string::npos);
    EXPECT_NE(bufTable.find("I/Ilim,%"), std::string::npos);
}
