// The live display: values, lamps, colours, the spectrum and the flicker
// bars, and the visibility of the controls of a test kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "app/config.h"
#include "app/startup.h"
#include "display/live_display.h"
#include "panel_ids.h"
#include "platform/ui/headless.h"
#include "platform/ui/model.h"
#include "platform/ui/ui.h"
#include "state/channels.h"
#include "state/framelist.h"
#include "state/names.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/records.h"
#include "state/reset.h"
#include "state/workmode.h"
#include "tests/support/project_dir_test.h"

namespace {

struct LiveDisplay : ProjectDirTest {
    void SetUp() override
    {
        HeadlessUiTest::SetUp();
        ResetProgramState();
        EnterProjectDir("live_display_");
        ASSERT_EQ(StartUp(StartOptions{}), 0);
        workmode = 0;
    }
    const ui::Graph& Graph(int panel, int control) { return ui::FindCtrl(panel, control)->graph; }
    int Attr(int panel, int control, int attr)
    {
        int v = -1;
        GetCtrlAttribute(panel, control, attr, &v);
        return v;
    }
    double YMax(int panel, int control)
    {
        int xm, ym;
        double x0, x1, y0, y1;
        GetAxisRange(panel, control, &xm, &x0, &x1, &ym, &y0, &y1);
        return y1;
    }
    void FlickerBar(int phase, float value)
    {
        ++number[phase];
        flkbuf[phase].flst = value;
        DrawData(phase);
    }
};

}  // namespace

TEST_F(LiveDisplay, SpectrumColoursEachOrderAgainstItsLimit)
{
    HarmFrame& r = buf[0];
    for (int h = 0; h < ORDERS; ++h) r.limit[h] = NoLimit();
    r.hiam[1] = 8.0f;                    // no limit: green, whatever its size
    r.hiam[3] = 2.30f; r.limit[3] = 2.30f;   // at its limit: green
    r.hiam[5] = 1.20f; r.limit[5] = 1.14f;   // above: red
    r.hiam[7] = 0.30f; r.limit[7] = 0.77f;
    SetCtrlVal(measure, MEASURE_LIMITS1, 1);
    DrawData(0);
    const auto& g = Graph(measure, MEASURE_GRAPH1);
    ASSERT_EQ(g.plots.size(), 3u);
    const auto& red = g.plots[0];
    const auto& lim = g.plots[1];
    const auto& green = g.plots[2];
    EXPECT_EQ(red.color, 0xFF0000);
    EXPECT_EQ(lim.color, 0x808000);
    EXPECT_EQ(green.color, 0x00FF00);
    EXPECT_EQ(green.y[1], 8.0);
    EXPECT_EQ(lim.y[1], 0.0);
    EXPECT_FLOAT_EQ(float(green.y[3]), 2.30f);
    EXPECT_EQ(red.y[3], 0.0);
    EXPECT_FLOAT_EQ(float(red.y[5]), 1.20f);
    EXPECT_EQ(green.y[5], 0.0);
    EXPECT_FLOAT_EQ(drawn_limits[7], 0.77f);
    EXPECT_EQ(drawn_limits[1], 0.0f);
    EXPECT_DOUBLE_EQ(YMax(measure, MEASURE_GRAPH1), 8.0);
    EXPECT_EQ(Attr(measure, MEASURE_GRAPH1, ATTR_PLOT_BGCOLOR), VAL_BLACK);

    // Without the limits the order 0 (DC) does not set the scale.
    r.hiam[0] = 20.0f;
    SetCtrlVal(measure, MEASURE_LIMITS1, 0);
    DrawData(0);
    EXPECT_EQ(Graph(measure, MEASURE_GRAPH1).plots.size(), 2u);
    EXPECT_DOUBLE_EQ(YMax(measure, MEASURE_GRAPH1), 8.0);
}

TEST_F(LiveDisplay, FlickerBarsAreJudgedLabelledAndNeverShrinkTheAxis)
{
    para.test_kind = 1;
    para.fl_periods = 12;
    FlickerBar(1, 1.0f);
    FlickerBar(1, 1.01f);
    overflag[1] = 1;
    FlickerBar(1, 2.0f);
    overflag[1] = 0;
    FlickerBar(1, 0.5f);
    const auto& g = Graph(measure, MEASURE_GRAPH2);
    std::vector<const ui::Plot*> bars, texts;
    for (const auto& p : g.plots) (p.kind == VAL_PLOT_RECT ? bars : texts).push_back(&p);
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[0]->color, 0x00FF00);   // a Pst of exactly 1.0 passes
    EXPECT_EQ(bars[1]->color, 0xFF0000);
    EXPECT_EQ(bars[2]->fillColor, VAL_BLACK);   // over range: an outline on the background
    EXPECT_EQ(bars[3]->fillColor, 0x00FF00);
    EXPECT_DOUBLE_EQ(bars[0]->x[0], 0.9);
    EXPECT_DOUBLE_EQ(bars[0]->x[1], 1.1);
    ASSERT_EQ(texts.size(), 3u);   // no value on the outlined bar
    EXPECT_EQ(texts[1]->text, "1.01");
    // The axis grew with the 2.0 bar and stays there for the 0.5 one.
    EXPECT_NEAR(YMax(measure, MEASURE_GRAPH2), 1.1 * 2.0 + 0.1, 1e-6);

    // From 15 configured periods on the bars carry no value.
    para.fl_periods = 15;
    FlickerBar(1, 0.7f);
    EXPECT_EQ(Graph(measure, MEASURE_GRAPH2).plots.size(), g.plots.size());
    EXPECT_EQ(Graph(measure, MEASURE_GRAPH2).plots.back().kind, VAL_PLOT_RECT);

    // A new run starts its axis with its own first bar.
    ClearGraph();
    number[1] = 0;
    FlickerBar(1, 0.4f);
    EXPECT_NEAR(YMax(measure, MEASURE_GRAPH2), 1.1 * 0.4 + 0.1, 1e-6);

    // Under the switching procedure the bars are dmax against its limit.
    para.switching = 1;
    para.dmax_limit = 4;
    flkbuf[2].fldx = 4.5f;
    ++number[2];
    DrawData(2);
    EXPECT_EQ(Graph(measure, MEASURE_GRAPH3).plots.front().color, 0xFF0000);
}

TEST_F(LiveDisplay, ValuesLampsAndOverRangeOfALiveRun)
{
    para.test_kind = 0;
    para.h_standard = 4;
    HarmFrame& r = buf[2];
    r.utrms = 230.1f;
    r.ovru = 99.9f;
    r.ovri = 99.91f;
    r.hist = HIST_OVER100;
    r.hust = HUGF_UALL | HUGF_CREST;
    r.hens = HENS_MIN;
    r.hpoc = 12.5f;
    ShowData(2);
    double u = 0, pwhd = 0;
    GetCtrlVal(measure, MEASURE_U3, &u);
    GetCtrlVal(measure, MEASURE_PWHD3, &pwhd);
    EXPECT_NEAR(u, 230.1, 1e-4);
    EXPECT_DOUBLE_EQ(pwhd, 12.5);
    EXPECT_EQ(Attr(measure, MEASURE_U3, ATTR_TEXT_BGCOLOR), VAL_TRANSPARENT);   // exactly 99.9: in range
    EXPECT_EQ(Attr(measure, MEASURE_I3, ATTR_TEXT_BGCOLOR), VAL_RED);
    auto lamp = [&](int c) {
        int v = -1;
        GetCtrlVal(measure, c, &v);
        return v;
    };
    EXPECT_EQ(lamp(MEASURE_IALL3), 1);
    EXPECT_EQ(lamp(MEASURE_UALL3), 1);
    EXPECT_EQ(lamp(MEASURE_CREST3), 1);
    EXPECT_EQ(lamp(MEASURE_PHI3), 0);
    EXPECT_EQ(lamp(MEASURE_ACDC_MIN3), 1);
    EXPECT_EQ(lamp(MEASURE_ACDC_MAX3), 0);
    EXPECT_EQ(Attr(measure, MEASURE_IALL3, ATTR_ON_COLOR), VAL_RED);

    // Flicker: the six verdict bits, or dmax alone under the switching procedure.
    para.test_kind = 1;
    flkbuf[0].flre = FLRE_PST | FLRE_DC;
    flkbuf[0].fldx = 5;
    flkbuf[0].fldt[0] = 1.25f;
    ShowData(0);
    EXPECT_EQ(lamp(MEASURE_FL_PST1), 1);
    EXPECT_EQ(lamp(MEASURE_FL_DC1), 1);
    EXPECT_EQ(lamp(MEASURE_FL_DMAX1), 0);
    double dt = 0;
    GetCtrlVal(measure, MEASURE_DT1, &dt);
    EXPECT_DOUBLE_EQ(dt, 1.25);
    para.switching = 1;
    para.dmax_limit = 4;
    ShowData(0);
    EXPECT_EQ(lamp(MEASURE_FL_PST1), 0);
    EXPECT_EQ(lamp(MEASURE_FL_DMAX1), 1);
}

TEST_F(LiveDisplay, StoredMeasurementGoesToTheGraphPanelAndTheFrameValues)
{
    workmode = 1;
    para.test_kind = 0;
    buf[0].itrms = 4.5f;
    buf[0].hiam[1] = 4.4f;
    for (float& l : buf[0].limit) l = NoLimit();
    ShowData(0);
    double i = 0;
    GetCtrlVal(smallres, SMALLRES_I, &i);
    EXPECT_DOUBLE_EQ(i, 4.5);
    DrawData(0);
    const auto& g = Graph(diagnos, DIAGNOS_GRAPH);
    EXPECT_EQ(g.x.name, "Harmonics");
    EXPECT_EQ(g.y.name, "I,A");
    EXPECT_EQ(g.x.mode, VAL_MANUAL);
    EXPECT_DOUBLE_EQ(g.x.max, 40.0);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_GRAPH, ATTR_PLOT_BGCOLOR), VAL_WHITE);
    EXPECT_TRUE(Graph(measure, MEASURE_GRAPH1).plots.empty());

    para.test_kind = 1;
    para.fl_periods = 6;
    ClearGraph();
    FlickerBar(0, 0.8f);
    EXPECT_EQ(Graph(diagnos, DIAGNOS_GRAPH).x.name, "Number of measurement");
    EXPECT_EQ(Graph(diagnos, DIAGNOS_GRAPH).y.name, "Pst");
    EXPECT_DOUBLE_EQ(Graph(diagnos, DIAGNOS_GRAPH).x.max, 6.0);
}

TEST_F(LiveDisplay, ColumnsPagesAndTimes)
{
    ShowPanelB(0, 0);
    for (int c : {MEASURE_U2, MEASURE_Q2, MEASURE_PWHD_OK2, MEASURE_FL_OVER2, MEASURE_PMOM2, MEASURE_GRAPH2,
                  MEASURE_LIMITS2})
        EXPECT_EQ(Attr(measure, c, ATTR_DIMMED), 1) << c;
    EXPECT_EQ(Attr(measure, MEASURE_U1, ATTR_DIMMED), 0);
    ShowPanelB(1, 1);
    EXPECT_EQ(Attr(measure, MEASURE_GRAPH2, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(measure, MEASURE_U2, ATTR_DIMMED), 0);

    para.h_standard = 3;
    para.h_class = 3;
    SetResultsPanel(0);
    EXPECT_EQ(Attr(results, RESULTS_IALL2, ATTR_VISIBLE), 1);
    EXPECT_EQ(Attr(results, RESULTS_PST2, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(results, RESULTS_THD2, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(results, RESULTS_ACDC_POW1, ATTR_VISIBLE), 0);   // not judged under the 2006 limits
    para.h_standard = 4;
    para.h_class = 10;
    SetResultsPanel(0);
    EXPECT_EQ(Attr(results, RESULTS_THD2, ATTR_VISIBLE), 1);
    EXPECT_EQ(Attr(results, RESULTS_ACDC_POW1, ATTR_VISIBLE), 1);
    para.h_class = 0;
    SetResultsPanel(0);
    EXPECT_EQ(Attr(results, RESULTS_ACDC_POW1, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(results, RESULTS_ACDC_MAX1, ATTR_VISIBLE), 1);
    SetResultsPanel(1);
    EXPECT_EQ(Attr(results, RESULTS_IALL1, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(results, RESULTS_PLT3, ATTR_VISIBLE), 1);

    SetCtrlAttribute(measure, MEASURE_MESSAGE, ATTR_VISIBLE, 1);
    SetMeasPanel(1);
    EXPECT_EQ(Attr(setting, SETTING_CLASS, ATTR_DIMMED), 1);
    EXPECT_EQ(Attr(setting, SETTING_FL_PERIODS, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(measure, MEASURE_MESSAGE, ATTR_VISIBLE), 0);
    SetMeasPanel(0);
    EXPECT_EQ(Attr(setting, SETTING_CLASS, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(setting, SETTING_FL_PERIODS, ATTR_DIMMED), 1);

    std::string t;
    Time2Asc(3725, &t);
    EXPECT_EQ(t, "01:02:05");
    Time2Asc(-3, &t);
    EXPECT_EQ(t, "00:00:00");
    Time2Asc(360000, &t);
    EXPECT_EQ(t, "100:00:00");
    display_time(61, 9000);
    std::string run, period;
    GetCtrlVal(measure, MEASURE_REMAINING, &run);
    GetCtrlVal(measure, MEASURE_PERIOD, &period);
    EXPECT_EQ(run, "02:30:00");
    EXPECT_EQ(period, "00:01:01");
}

TEST_F(LiveDisplay, ResultsPageSaysWhetherTheTestPassed)
{
    workmode = 1;
    para.phases = 3;
    CopyFixed(para.log_file, "/lab/run.qel");
    for (auto& r : buf_result) r.eval = 3;   // result records were read
    buf_result[1].higf = HIGF_FAIL | HIGF_AVG_OVER;
    buf_result[2].higf = HIGF_FAIL;
    SetResultsPanel(0);
    std::string v, f;
    GetCtrlVal(results, RESULTS_VERDICT, &v);
    GetCtrlVal(results, RESULTS_FILE, &f);
    EXPECT_EQ(v, "Test failed: phases L2, L3");
    EXPECT_EQ(f, "/lab/run.qel");
    EXPECT_EQ(Attr(results, RESULTS_IALL2, ATTR_ON_COLOR), VAL_RED);
    EXPECT_EQ(Attr(results, RESULTS_IALL2, ATTR_OFF_COLOR), VAL_GREEN);
    buf_result[1].higf = buf_result[2].higf = 0;
    SetResultsPanel(0);
    GetCtrlVal(results, RESULTS_VERDICT, &v);
    EXPECT_EQ(v, "Test passed");
    std::memset(buf_result, 0, sizeof buf_result);   // a run stopped before its results
    SetResultsPanel(0);
    GetCtrlVal(results, RESULTS_VERDICT, &v);
    EXPECT_EQ(v, "No final results: the measurement was interrupted");

    para.phases = 1;
    flkbuf[0].flre = FLRE_FAIL | FLRE_PST;
    SetResultsPanel(1);
    GetCtrlVal(results, RESULTS_VERDICT, &v);
    EXPECT_EQ(v, "Test failed: phase L1");
    workmode = 2;   // settings: no verdict shown
    SetResultsPanel(1);
    GetCtrlVal(results, RESULTS_VERDICT, &v);
    EXPECT_EQ(v, "");
}

TEST_F(LiveDisplay, ALiveRunDrawsOnTheMeasuringPageWhateverTheGraphPanelShows)
{
    // the measuring page's axes count orders and periods in whole numbers
    for (int g : {MEASURE_GRAPH1, MEASURE_GRAPH2, MEASURE_GRAPH3}) EXPECT_EQ(Attr(measure, g, ATTR_XPRECISION), 0);
    my_dummy = 4;   // the graph panel was left in the plot view
    para.test_kind = 0;
    for (int h = 0; h < ORDERS; ++h) buf[0].limit[h] = NoLimit();
    buf[0].hiam[1] = 4.0f;
    DrawData(0);
    EXPECT_GE(Graph(measure, MEASURE_GRAPH1).plots.size(), 2u);
    EXPECT_EQ(Graph(measure, MEASURE_GRAPH1).plots.back().y[1], 4.0);
}
