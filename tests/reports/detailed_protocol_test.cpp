// The detailed protocol: both pages of a harmonic and a flicker run, one and
// three phases, and the result graphs.
#include "tests/reports/report_fixture.h"

#include "panel_ids.h"
#include "reports/advanced.h"

using namespace rt;

namespace {

struct DetailedProtocol : ReportTest {
    std::string path;
    std::vector<std::string> Items(int panel, int list)
    {
        std::vector<std::string> v;
        int n = 0;
        GetNumListItems(panel, list, &n);
        for (int i = 0; i < n; ++i) {
            std::string s;
            GetLabelFromIndex(panel, list, i, &s);
            v.push_back(s);
        }
        return v;
    }
    std::string Info(int line)
    {
        std::string s;
        GetTextBoxLine(advanced, ADVANCED_INFO, line, &s);
        return s;
    }
    std::string Text(int panel, int control)
    {
        std::string s;
        GetCtrlVal(panel, control, &s);
        return s;
    }
};

}  // namespace

TEST_F(DetailedProtocol, HarmonicOnePhaseEdition2ClassD)
{
    path = Path("h.qel");
    Para p = RunPara(0, 1, path);
    p.h_standard = 2;
    p.h_class = 3;
    WriteHarmonic(path, p, 3);
    Load(path);
    EXPECT_EQ(Text(advanced, ADVANCED_TITLE), "Harmonics testing according EN61000-3-2");
    std::string header;
    GetTextBoxLine(advanced, ADVANCED_HEADER, 1, &header);
    EXPECT_EQ(header, "Measuring loggfile " + path + " is dated 07. March 2026 14:05:09");
    EXPECT_EQ(Text(advanced, ADVANCED_SERIAL), "SN 4711");
    EXPECT_EQ(Info(0), "Input 230 V / 50 Hz");
    EXPECT_EQ(Info(7), "ORIVAN Version 3.0 from QEL KORVEL Darezorovi Systems was used.");
    EXPECT_EQ(Info(8), "Compliance was tested against EN61000-3-2:2006 limits, according to the standard EN61000-4-7:1993");
    EXPECT_EQ(Info(9), "The smoothing filter was switched on. Class D was chosen. Grouping off");
    EXPECT_EQ(Info(10), "Measuring time was : 00:02:30");
    EXPECT_EQ(Info(11), "The control values of power:   P1= 150.000 W. ");
    EXPECT_EQ(Info(12), "The limits were calculated according to the control value  150.000 W.");
    EXPECT_EQ(Info(13), "");
    const std::vector<std::string> d = Items(advanced, ADVANCED_DESCRIPTION);
    ASSERT_EQ(d.size(), 10u);
    EXPECT_EQ(d[0], "Measuring instrument\033p120cPAM-A");
    EXPECT_EQ(d[3], "Voltage range\033p120c250.000000 V");
    EXPECT_EQ(d[7], "Control value of power\033p120c 150.000 W");
    EXPECT_EQ(d[9], "Power values used:\033p120ccontrol");
    const std::vector<std::string> r = Items(advanced, ADVANCED_RESULTS);
    ASSERT_EQ(r.size(), 7u);
    EXPECT_EQ(r[0], "Voltage harmonics < lim\033p120cok  ");
    EXPECT_EQ(r[3], "Crestfactor\033p120cok  ");
    EXPECT_EQ(r[6], "All fluctuating harmonics<limit\033p120cok  ");
    std::string label;
    GetCtrlAttribute(advanced, ADVANCED_VALUES, ATTR_LABEL_TEXT, &label);
    EXPECT_EQ(label, "Values at 00:00:00 before end of measuring (informative)");
    const std::vector<std::string> v = Items(advanced, ADVANCED_VALUES);
    ASSERT_EQ(v.size(), 7u);
    EXPECT_EQ(v[0], "U=\033p120c  230.125 V");
    EXPECT_EQ(v[3], "S=\033p120c  517.500");
    // Page 2: the one-phase header of editions 2-4 and rows in its format.
    const std::vector<std::string> t = Items(advanced2, ADVANCED2_TABLE);
    ASSERT_EQ(t.size(), 42u);
    EXPECT_EQ(t[0], "n\033p25cIaver\033p50cImax\033p75cImax/Ilim%\033p100cFrame\033p115cUmax");
    EXPECT_EQ(t[4], " 3\033p23c0.150000\033p53c0.160000!\033p80c 48.00\033p100c2\033p115c  0.750 ");
    EXPECT_EQ(t[1], " 0\033p23c0.001000\033p53c0.001000 \033p80c---\033p100c---\033p115c  0.000 ");
    std::string title;
    GetCtrlVal(advanced2, ADVANCED2_GRAPHTITLE, &title);
    EXPECT_EQ(title, "Maximum usage of the limits, %");
    const auto& plots = ui::FindCtrl(advanced2, ADVANCED2_GRAPH1)->graph.plots;
    ASSERT_EQ(plots.size(), 1u);
    ASSERT_EQ(plots[0].y.size(), 41u);
    EXPECT_EQ(plots[0].y[0], 0.0);            // no limit: 0
    EXPECT_NEAR(plots[0].y[3], 48.0, 1e-4);
    int visible = 1;
    GetCtrlAttribute(advanced2, ADVANCED2_GRAPH2, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 0);
    EXPECT_EQ(Text(advanced, ADVANCED_PHASES), "");
}

TEST_F(DetailedProtocol, HarmonicThreePhasesEdition1AndEn61000_3_12)
{
    path = Path("h3.qel");
    WriteHarmonic(path, RunPara(0, 3, path), 3);
    Load(path);
    EXPECT_EQ(Text(advanced, ADVANCED_PHASES), "Phase                   1             2             3");
    const std::vector<std::string> d = Items(advanced, ADVANCED_DESCRIPTION);
    // The rows as specified, the phase numbers in the heading line.
    ASSERT_EQ(d.size(), 7u);
    EXPECT_EQ(d[0], "Measuring instrument\033p120cPAM-A\033p165cPAM-A\033p210cPAM-A");
    EXPECT_EQ(d[1], "Serial number\033p120cSIM00001\033p165cSIM00002\033p210cSIM00003");
    const std::vector<std::string> r = Items(advanced, ADVANCED_RESULTS);
    EXPECT_EQ(r[0], "Voltage harmonics < lim\033p120cok  \033p165cok  \033p210cok  ");
    EXPECT_EQ(r[2], "Frequency within +/-0.5%\033p120cok  \033p165cok  \033p210cfail");
    EXPECT_EQ(r[3], "Current harmonics<limit\033p120cok  \033p165cfail\033p210cok  ");
    EXPECT_EQ(Items(advanced, ADVANCED_VALUES)[0], "U=\033p120c  230.125 V\033p165c  231.125 V\033p210c  232.125 V");
    const std::vector<std::string> t = Items(advanced2, ADVANCED2_TABLE);
    EXPECT_EQ(t[0], "n\033p20cIaver\033p40cfluc%\033p55cIall\033p80cI/Imax%\033p105cUmax\033p135cIaver\033p155cfluc%"
                    "\033p170cIall\033p195cI/Imax%\033p220cUmax\033p245cIaver\033p265cfluc%\033p280cIall\033p305cI/Imax%"
                    "\033p330cUmax");
    // Order 3, phase 2: positions of the second group of the header.
    EXPECT_NE(t[4].find("\033p135c0.150000\033p155c 12.50!\033p170c0.180000!\033p195c 54.00\033p220c  1.750 "),
              std::string::npos) << t[4];
    std::string label;
    GetCtrlAttribute(advanced2, ADVANCED2_GRAPH3, ATTR_LABEL_TEXT, &label);
    EXPECT_EQ(label, "Phase 3");

    para.h_standard = 4;
    para.h_class = 12;
    buf_result[1].higf |= HIGF_PHASE5;
    SetAdvancedPanel();
    EXPECT_EQ(Text(advanced, ADVANCED_TITLE), "Harmonics testing according EN61000-3-12");
    EXPECT_EQ(Info(9), "The smoothing filter was switched off. Table 4 was chosen. Grouping on");
    EXPECT_EQ(Info(11), "Informative: Third harmonics<5%: pass");
    EXPECT_EQ(Info(12), "             Phase of the fifth harmonics 90\u00b0-150\u00b0: fail");
    EXPECT_EQ(Info(13), "              Fifth and seventh harmonics<5%: pass");
}

TEST_F(DetailedProtocol, FlickerPagesAndGraph)
{
    path = Path("f.qel");
    Para p = RunPara(1, 1, path);
    CopyFixed(p.fl_standard, "EN61000-3-11");
    p.z_test = 0.5f;
    p.z_ref = 1;
    p.fl_periods = 2;
    p.user_stopped = 1;
    p.meas_time = 100;
    WriteFlicker(path, p, FlickerEntries(p));
    Load(path);
    EXPECT_EQ(Text(advanced, ADVANCED_TITLE), "Flicker testing according EN61000-3-11");
    EXPECT_EQ(Info(8), "Compliance was tested against EN61000-3-11 limits, according to the standard EN61000-4-15");
    EXPECT_EQ(Info(9), "Test impedance: Ztest=0.500000 Ohm. Reference impedance: Zref=0,4+j0,25 Ohm");
    EXPECT_EQ(Info(10), "Short time: 00:01:00. Number of periods: 2.. Measuring time was 00:01:40 (terminated by user)");
    const std::vector<std::string> r = Items(advanced, ADVANCED_RESULTS);
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0], "Pst always<1.0\033p120cfail");
    EXPECT_EQ(r[1], "Plt<0.65 informative\033p120cok");
    EXPECT_EQ(r[3], "d(t)<3.300000%for 500ms\033p120cok");
    const std::vector<std::string> v = Items(advanced, ADVANCED_VALUES);
    EXPECT_EQ(v[0], "Pst\033p120c    0.750");
    EXPECT_EQ(v[4], "U=\033p120c  229.500 V");
    const std::vector<std::string> t = Items(advanced2, ADVANCED2_TABLE);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0], "n\033p20cPst\033p45cPlt\033p70cd(t)max\033p95cd(t)min");
    EXPECT_EQ(t[1], "1\033p20c   0.6250\033p45c\033p70c 0.800\033p95c 0.000");
    EXPECT_EQ(t[2], "2\033p20c   0.7500\033p45c   0.6200\033p70c 0.800\033p95c 0.000");
    std::string title;
    GetCtrlVal(advanced2, ADVANCED2_GRAPHTITLE, &title);
    EXPECT_EQ(title, "Short-time flicker values, p.u");
    const auto& plots = ui::FindCtrl(advanced2, ADVANCED2_GRAPH1)->graph.plots;
    ASSERT_EQ(plots.size(), 1u);
    ASSERT_EQ(plots[0].y.size(), 3u);   // 0, then the Pst of each period
    EXPECT_EQ(plots[0].y[0], 0.0);
    EXPECT_FLOAT_EQ(float(plots[0].y[1]), PeriodPst(1, 0));
    EXPECT_FLOAT_EQ(float(plots[0].y[2]), PeriodPst(2, 0));
    int mode = -1;
    double lo = -1, hi = -1;
    GetAxisScalingMode(advanced2, ADVANCED2_GRAPH1, VAL_XAXIS, &mode, &lo, &hi);
    EXPECT_EQ(mode, VAL_MANUAL);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 2.0);   // 0 to the number of periods
}

TEST_F(DetailedProtocol, DmaxOnlyThreePhases)
{
    path = Path("d.qel");
    Para p = RunPara(1, 3, path);
    p.switching = 1;
    p.fl_periods = 4;
    p.dmax_limit = 2.0f;
    WriteFlicker(path, p, FlickerEntries(p));
    Load(path);
    const std::vector<std::string> r = Items(advanced, ADVANCED_RESULTS);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], "dmax<2.000000\033p120cok\033p165cok\033p210cfail");
    const std::vector<std::string> t = Items(advanced2, ADVANCED2_TABLE);
    EXPECT_EQ(t[0], "n\033p20cdmax1\033p45cdmax2\033p70cdmax3");
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t[2], "2\033p20c   1.5000\033p45c   1.7500\033p70c   2.0000");
    std::string title;
    GetCtrlVal(advanced2, ADVANCED2_GRAPHTITLE, &title);
    EXPECT_EQ(title, "dmax values, %");
    const auto& plots = ui::FindCtrl(advanced2, ADVANCED2_GRAPH2)->graph.plots;
    ASSERT_EQ(plots.size(), 1u);
    EXPECT_EQ(plots[0].y.size(), 5u);
    EXPECT_FLOAT_EQ(float(plots[0].y[4]), 2.75f);
}
