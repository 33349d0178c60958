// Time curves of harmonic and flicker runs: values, limit segments, percent
// mode, normalisation, labels, styles and the fields of the selected plot.
#include "display_fixture.h"

#include <cmath>

using namespace dt;

namespace {

using TimeCurveTest = DisplayTest;

TEST_F(TimeCurveTest, HarmonicQuantityOverAllFramesWithLabelsAndFields)
{
    LoadHarmonic(6, 3, [](int k, int p, HarmFrame& f) { f.utrms = 230.0f + float(k) + 10.0f * float(p); });
    PlotView({EncodePlotCode(RUN_HARMONIC, 1, HQ_U), HQ_I});
    const auto curves = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(curves.size(), 2u);
    // the first line (L2 U) is selected: bold, its label and range in the fields
    EXPECT_EQ(curves[0]->style, VAL_FAT_LINE);
    EXPECT_EQ(curves[1]->style, VAL_THIN_LINE);
    EXPECT_EQ(curves[0]->x, (std::vector<double>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(curves[0]->y, (std::vector<double>{240, 241, 242, 243, 244, 245}));
    EXPECT_EQ(G().x.name, "Frames");
    EXPECT_EQ(G().y.name, "U,V");
    EXPECT_EQ(Text(DIAGNOS_LABEL), "U,V");
    EXPECT_EQ(Text(DIAGNOS_MIN), "min=240.000000");
    EXPECT_EQ(Text(DIAGNOS_MAX), "max=245.000000");
    EXPECT_EQ(G().y.mode, VAL_AUTOSCALE);
    EXPECT_EQ(Title(), "Time curve:   2 U,  1 I   Logging file: h.qel");

    // selecting the other line moves the bold style, the label and the fields
    ui::UserSelectIndex(diagnos, DIAGNOS_PLOTLIST, 1);
    EXPECT_EQ(PlotsOf(PLOT_COLOR)[1]->style, VAL_FAT_LINE);
    EXPECT_EQ(G().y.name, "I,A");
    EXPECT_EQ(Text(DIAGNOS_MIN), "min=1.500000");
}

TEST_F(TimeCurveTest, LimitAndOneAndAHalfTimesTheLimitAsSegmentsOverFramesWithALimit)
{
    // order 5 has no limit in frames 2 and 3 (the no-limit mark)
    LoadHarmonic(6, 1, [](int k, int, HarmFrame& f) {
        f.hiam[5] = 1.0f + float(k);
        f.limit[5] = (k == 2 || k == 3) ? NoLimit() : 4.0f;
    });
    PlotView({5});
    SetSwitch(DIAGNOS_SHOWLIMITS, 1);
    RedrawPlotList(PLOT_TIME);
    auto cur = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(cur.size(), 1u);   // the current over every frame
    EXPECT_EQ(cur[0]->y.size(), 6u);
    auto lim = PlotsOf(LIMIT_COLOR);
    auto l150 = PlotsOf(LIMIT150_COLOR);
    ASSERT_EQ(lim.size(), 2u);
    ASSERT_EQ(l150.size(), 2u);
    EXPECT_EQ(lim[0]->x, (std::vector<double>{0, 1}));
    EXPECT_EQ(lim[1]->x, (std::vector<double>{4, 5}));
    EXPECT_EQ(lim[1]->y, (std::vector<double>{4, 4}));
    EXPECT_EQ(l150[0]->y, (std::vector<double>{6, 6}));
    // a frame without limit dims the percent and show-limits switches
    EXPECT_EQ(Dimmed(DIAGNOS_PERCENT), 1);
    EXPECT_EQ(Dimmed(DIAGNOS_SHOWLIMITS), 1);
    EXPECT_EQ(G().y.name, "Iharm,A");

    // percent mode: utilisation segments only where a limit exists
    SetSwitch(DIAGNOS_PERCENT, 1);
    RedrawPlotList(PLOT_TIME);
    cur = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(cur.size(), 2u);
    EXPECT_EQ(cur[0]->y, (std::vector<double>{25, 50}));
    EXPECT_EQ(cur[1]->x, (std::vector<double>{4, 5}));
    EXPECT_EQ(cur[1]->y, (std::vector<double>{125, 150}));
    EXPECT_TRUE(PlotsOf(LIMIT_COLOR).empty());
    EXPECT_EQ(G().y.name, "Iharm,%");
    EXPECT_EQ(Text(DIAGNOS_MAX), "max=150.000000");
}

TEST_F(TimeCurveTest, PercentModeWithALimitInEveryFrameIsOneCurve)
{
    LoadHarmonic(4, 1, [](int k, int, HarmFrame& f) { f.hiam[3] = 2.0f * float(k); });
    PlotView({3});
    SetSwitch(DIAGNOS_PERCENT, 1);
    RedrawPlotList(PLOT_TIME);
    auto cur = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(cur.size(), 1u);
    EXPECT_EQ(cur[0]->y, (std::vector<double>{0, 20, 40, 60}));   // 100 x current / 10 A
    EXPECT_EQ(Dimmed(DIAGNOS_PERCENT), 0);
}

TEST_F(TimeCurveTest, NormalisedConstantCurveIsFlatAtZeroWithItsRealRange)
{
    LoadHarmonic(5, 1, [](int k, int, HarmFrame& f) { f.p = k == 4 ? NoLimit() : 300.0f; });
    PlotView({HQ_P});
    SetSwitch(DIAGNOS_NORMALISE, 1);
    RedrawPlotList(PLOT_TIME);
    auto cur = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(cur.size(), 1u);
    // the marked value of frame 4 is left out; the others normalise to 0
    EXPECT_EQ(cur[0]->y, (std::vector<double>{0, 0, 0, 0}));
    EXPECT_EQ(G().y.name, "Rated values");
    EXPECT_EQ(Text(DIAGNOS_MIN), "min=300.000000");
    EXPECT_EQ(Text(DIAGNOS_MAX), "max=300.000000");
    for (double v : cur[0]->y) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(TimeCurveTest, NormalisedCurveRunsFromZeroToOne)
{
    LoadHarmonic(3, 1, [](int k, int, HarmFrame& f) { f.freq = 49.0f + float(k); });
    PlotView({HQ_FREQ});
    SetSwitch(DIAGNOS_NORMALISE, 1);
    RedrawPlotList(PLOT_TIME);
    EXPECT_EQ(PlotsOf(PLOT_COLOR)[0]->y, (std::vector<double>{0, 0.5, 1}));
}

TEST_F(TimeCurveTest, FlickerCurveHasThirtyTwoPointsPerFrameAndLeavesTheLastFrameOut)
{
    LoadFlicker(3, 1, [](int k, int, FlkFrame& f) {
        for (int j = 0; j < 32; ++j) f.fldt[j] = float(k * 100 + j);
        f.utrms = 230.0f + float(k);
    });
    PlotView({FQ_DT, FQ_U});
    auto cur = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(cur.size(), 2u);
    ASSERT_EQ(cur[0]->y.size(), 64u);   // frames 0 and 1 of 3
    EXPECT_EQ(cur[0]->y[33], 101.0);
    EXPECT_DOUBLE_EQ(cur[0]->x[33], 1.0 + 1.0 / 32);
    EXPECT_EQ(cur[1]->y[31], 230.0);     // a single value repeated 32 times
    EXPECT_EQ(cur[1]->y[32], 231.0);
    EXPECT_EQ(G().y.name, "%");
    EXPECT_EQ(Text(DIAGNOS_MAX), "max=131.000000");
}

TEST_F(TimeCurveTest, FlickerRunOfTwoFramesShowsOnlyTheFirst)
{
    LoadFlicker(2, 1);
    PlotView({FQ_PMOM});
    auto cur = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(cur.size(), 1u);
    EXPECT_EQ(cur[0]->y.size(), 32u);
    EXPECT_EQ(G().y.name, "pu");
}

TEST_F(TimeCurveTest, RunWithoutPlottableFramesDrawsNothingAndClearsTheFields)
{
    LoadFlicker(1, 1);
    PlotView({FQ_U});
    SetCtrlVal(diagnos, DIAGNOS_MIN, "min=1");
    RedrawPlotList(PLOT_TIME);
    EXPECT_TRUE(PlotsOf(PLOT_COLOR).empty());
    EXPECT_EQ(Text(DIAGNOS_MIN), "");
}

TEST_F(TimeCurveTest, ZoomSwitchesHoldTheirAxis)
{
    LoadHarmonic(10, 1);
    PlotView({HQ_I});
    SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_XAXIS, VAL_MANUAL, 2, 5);
    SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 1);
    SetSwitch(DIAGNOS_ZOOMX, 1);
    RedrawPlotList(PLOT_TIME);
    EXPECT_EQ(G().x.mode, VAL_MANUAL);
    EXPECT_EQ(G().y.mode, VAL_AUTOSCALE);
}

TEST_F(TimeCurveTest, FrameWindowNarrowsTheCurve)
{
    LoadHarmonic(10, 1);
    SetPlotFrameWindow(3, 5);
    PlotView({HQ_P});
    EXPECT_EQ(PlotsOf(PLOT_COLOR)[0]->x, (std::vector<double>{3, 4, 5}));
    EXPECT_EQ(SampleSeries(HQ_P).size(), 3u);
}

}  // namespace
