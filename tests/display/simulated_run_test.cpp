// Graphs of runs recorded by the simulated bench: the run's own loading
// leaves the graph panel with the stored run, and every plot is checked
// against the frames of the logging file.
#include "tests/measure/run_fixture.h"

#include <cmath>
#include <numeric>

#include "display/cursors.h"
#include "display/histogram.h"
#include "display/plot.h"
#include "display/plot_list.h"
#include "display/plot_quantities.h"
#include "display/plot_series.h"
#include "display/views.h"
#include "platform/ui/model.h"

namespace {

struct SimulatedRunGraphs : RunFixture {
    // A harmonic run of a switched-mode supply, class A, recorded to its end.
    void HarmonicRun(int phases, int seconds)
    {
        Para p = HarmonicSetUp(phases == 1 ? 4 : 0, phases, 3, 0, seconds);
        Bench(p, "smps:power=250");
        Confirm(p);
        Start();
        Run(seconds + 20);
        ASSERT_FALSE(RunActive());
        ASSERT_TRUE(Errors().empty()) << Errors().front();
        ASSERT_EQ(LoadedRunKind(), RUN_HARMONIC);
    }
    void FlickerRun(int periods, int period_seconds, int variant, const char* eut)
    {
        Para p = FlickerSetUp(4, 1, periods, period_seconds, variant);
        Bench(p, eut);
        Confirm(p);
        Start();
        Run(periods * period_seconds + 30);
        ASSERT_FALSE(RunActive());
        ASSERT_TRUE(Errors().empty()) << Errors().front();
        ASSERT_EQ(LoadedRunKind(), RUN_FLICKER);
    }
    void Plots(std::initializer_list<int> codes, int kind)
    {
        SetCtrlVal(diagnos, DIAGNOS_VIEWMODE, 0);
        SetViewMode(0);
        for (int c : {DIAGNOS_PLOTLIST, DIAGNOS_OPERAND1, DIAGNOS_OPERAND2}) ClearListCtrl(diagnos, c);
        const int step = PlotCodeStep(LoadedRunKind());
        for (int c : codes) ASSERT_GE(InsertPlot(c / step, c % step), 0) << c;
        SetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, 0);
        SetCtrlVal(diagnos, DIAGNOS_KIND, kind);
        RedrawPlotList(kind);
    }
    const ui::Graph& G() { return ui::FindCtrl(diagnos, DIAGNOS_GRAPH)->graph; }
    std::vector<const ui::Plot*> Of(int color)
    {
        std::vector<const ui::Plot*> v;
        for (const auto& p : G().plots)
            if (p.color == color) v.push_back(&p);
        return v;
    }
};

TEST_F(SimulatedRunGraphs, HarmonicCurvesLimitsAndHistogramFollowTheStoredFrames)
{
    HarmonicRun(1, 30);
    const int n = FrameCount(0);
    ASSERT_GE(n, 20);
    SetCtrlVal(diagnos, DIAGNOS_SHOWLIMITS, 1);
    Plots({3}, PLOT_TIME);
    auto cur = Of(PLOT_COLOR);
    ASSERT_EQ(cur.size(), 1u);
    ASSERT_EQ(int(cur[0]->y.size()), n);
    HarmFrame f;
    for (int k = 0; k < n; k += 7) {
        ASSERT_TRUE(HarmFrameAt(0, k, &f));
        EXPECT_EQ(cur[0]->y[size_t(k)], double(f.hiam[3])) << k;
    }
    // class A limit of the third order in every frame: one limit curve, one 150 % curve
    auto lim = Of(LIMIT_COLOR), l150 = Of(LIMIT150_COLOR);
    ASSERT_EQ(lim.size(), 1u);
    ASSERT_EQ(l150.size(), 1u);
    EXPECT_NEAR(lim[0]->y[0], 2.30, 1e-6);
    EXPECT_NEAR(l150[0]->y[0], 3.45, 1e-6);

    SetCtrlVal(diagnos, DIAGNOS_PERCENT, 1);
    RedrawPlotList(PLOT_TIME);
    cur = Of(PLOT_COLOR);
    ASSERT_TRUE(HarmFrameAt(0, 5, &f));
    EXPECT_NEAR(cur[0]->y[5], 100.0 * f.hiam[3] / f.limit[3], 1e-3);

    SetCtrlVal(diagnos, DIAGNOS_PERCENT, 0);
    SetCtrlVal(diagnos, DIAGNOS_KIND, PLOT_CUMULATIVE);
    CallCtrlCallback(diagnos, DIAGNOS_KIND, EVENT_COMMIT, 0, 0, nullptr);
    cur = Of(PLOT_COLOR);
    ASSERT_EQ(cur.size(), 1u);
    EXPECT_NEAR(cur[0]->y.back(), 100.0, 1e-9);
    SetCtrlVal(diagnos, DIAGNOS_KIND, PLOT_CORRELATION);
    CallCtrlCallback(diagnos, DIAGNOS_KIND, EVENT_COMMIT, 0, 0, nullptr);
    EXPECT_EQ(int(Of(PLOT_COLOR).at(0)->y.size()), n / 2);
}

TEST_F(SimulatedRunGraphs, StandardViewShowsTheSelectedFrameAndItsOverRange)
{
    HarmonicRun(3, 20);
    ui::UserSetValue(diagnos, DIAGNOS_PHASE, 1);
    ui::UserSetValue(diagnos, DIAGNOS_FRAME, 4);
    HarmFrame f;
    ASSERT_TRUE(HarmFrameAt(1, 4, &f));
    EXPECT_EQ(std::memcmp(&buf[1], &f, sizeof f), 0);
    // the spectrum of that frame: current bars green or red, the limits olive
    double bars = 0;
    for (const auto& p : G().plots)
        if (p.style == VAL_VERTICAL_BAR && (p.color == VAL_GREEN || p.color == VAL_RED)) bars += p.y[1];
    EXPECT_NEAR(bars, f.hiam[1], 1e-6);
    std::string over;
    GetCtrlVal(diagnos, DIAGNOS_OVERRANGE, &over);
    EXPECT_EQ(over, f.ovri > 99.9f ? "Yes" : "No");
    std::string title;
    GetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, &title);
    EXPECT_EQ(title, "Harmonics of phase  L2    Frame 4. Logging file: run.qel");
}

TEST_F(SimulatedRunGraphs, FlickerBarsPstSamplesAndCumulativeHistogram)
{
    FlickerRun(3, 10, 0, "switch:power=960.4,cpm=110");
    // the bar chart the loading drew: one bar per completed period, and the final one
    int bars = 0;
    for (const auto& p : G().plots) bars += p.kind == VAL_PLOT_RECT;
    const auto expected = FlickerBars(0);
    EXPECT_EQ(bars, int(expected.size()));
    EXPECT_GE(bars, 3);
    const auto pst = SampleSeries(FQ_PST);
    EXPECT_LE(pst.size(), 3u);
    EXPECT_GE(pst.size(), 2u);
    Plots({FQ_PST}, PLOT_CUMULATIVE);
    EXPECT_NEAR(Of(PLOT_COLOR).at(0)->y.back(), 100.0, 1e-9);
    // Pmom: 32 points for every frame but the last
    Plots({FQ_PMOM}, PLOT_TIME);
    size_t points = 0;
    for (const auto* p : Of(PLOT_COLOR)) points += p->y.size();
    EXPECT_EQ(points, size_t(32 * (FrameCount(0) - 1)));
}

TEST_F(SimulatedRunGraphs, MeasuringPanelSwitchesDimTheirPhaseColumn)
{
    HarmonicRun(1, 5);
    SetCtrlVal(measure, MEASURE_SHOWGRAPH1, 0);
    CallCtrlCallback(measure, MEASURE_SHOWGRAPH1, EVENT_COMMIT, 0, 0, nullptr);
    int dim = 0;
    GetCtrlAttribute(measure, MEASURE_GRAPH1, ATTR_DIMMED, &dim);
    EXPECT_EQ(dim, 1);
    SetCtrlVal(measure, MEASURE_SHOWDATA1, 0);
    CallCtrlCallback(measure, MEASURE_SHOWDATA1, EVENT_COMMIT, 0, 0, nullptr);
    GetCtrlAttribute(measure, MEASURE_U1, ATTR_DIMMED, &dim);
    EXPECT_EQ(dim, 1);
    SetCtrlVal(measure, MEASURE_SHOWGRAPH1, 1);
    CallCtrlCallback(measure, MEASURE_SHOWGRAPH1, EVENT_COMMIT, 0, 0, nullptr);
    GetCtrlAttribute(measure, MEASURE_GRAPH1, ATTR_DIMMED, &dim);
    EXPECT_EQ(dim, 0);
    EXPECT_EQ(CallCtrlCallback(measure, MEASURE_LIMITS1, EVENT_COMMIT, 0, 0, nullptr), 0);
}

}  // namespace
