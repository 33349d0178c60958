// Histograms, cumulative histograms and autocorrelations of stored runs.
#include "display_fixture.h"

#include "display/histogram.h"

#include <cmath>
#include <numeric>

using namespace dt;

namespace {

using HistogramTest = DisplayTest;

double Sum(const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0); }

TEST_F(HistogramTest, HarmonicHistogramInPercentOfTheFrames)
{
    // current of order 3: 1 A in 6 frames, 2 A in 2 frames
    LoadHarmonic(8, 1, [](int k, int, HarmFrame& f) { f.hiam[3] = k < 6 ? 1.0f : 2.0f; });
    PlotView({3});
    ui::UserSetValue(diagnos, DIAGNOS_KIND, PLOT_HISTOGRAM);
    auto h = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(h.size(), 1u);
    ASSERT_EQ(h[0]->y.size(), 256u);
    EXPECT_DOUBLE_EQ(h[0]->y[0], 75.0);     // 100 x 6 / 8
    EXPECT_DOUBLE_EQ(h[0]->y[255], 25.0);
    EXPECT_DOUBLE_EQ(Sum(h[0]->y), 100.0);
    EXPECT_DOUBLE_EQ(h[0]->x[0], 1.0 + 0.5 / 256);
    EXPECT_EQ(G().x.name, "A");
    EXPECT_EQ(G().y.name, "%");
    EXPECT_EQ(Text(DIAGNOS_LABEL), "A");
    EXPECT_EQ(Text(DIAGNOS_MIN), "mean value=1.250000");
    EXPECT_EQ(Text(DIAGNOS_MAX), "STD=0.433013");
    EXPECT_EQ(Title(), "Histogram:   1 HCurr(3)   Logging file: h.qel");

    ui::UserSetValue(diagnos, DIAGNOS_KIND, PLOT_CUMULATIVE);
    h = PlotsOf(PLOT_COLOR);
    EXPECT_DOUBLE_EQ(h[0]->y[0], 75.0);
    EXPECT_DOUBLE_EQ(h[0]->y[254], 75.0);
    EXPECT_DOUBLE_EQ(h[0]->y[255], 100.0);
}

TEST_F(HistogramTest, FlickerPstUsesOneSamplePerCompletedPeriodAndTheCumulativeEndsAtHundred)
{
    // 12 periods of 10 s; a period starts when FSTR reads 9
    const int periods = 12, L = 10;
    LoadFlicker(periods * L + 2, 1,
                [&](int k, int, FlkFrame& f) {
                    f.fltr = periods * L - k;
                    f.fstr = L - 1 - (k % L);
                    f.fsta = 2;
                    f.flst = 0.1f * float(k / L % 3);
                },
                [&](Para& p) {
                    p.fl_periods = periods;
                    p.fl_minutes = 0;
                    p.fl_seconds = L;
                });
    const auto samples = SampleSeries(FQ_PST);
    EXPECT_LE(samples.size(), size_t(periods));
    EXPECT_EQ(samples.size(), size_t(periods));
    PlotView({FQ_PST});
    ui::UserSetValue(diagnos, DIAGNOS_KIND, PLOT_CUMULATIVE);
    auto h = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(h.size(), 1u);
    EXPECT_DOUBLE_EQ(h[0]->y.back(), 100.0);
    ui::UserSetValue(diagnos, DIAGNOS_KIND, PLOT_HISTOGRAM);
    h = PlotsOf(PLOT_COLOR);
    for (double v : h[0]->y) EXPECT_DOUBLE_EQ(std::fmod(v * periods, 100.0), 0.0);   // 100 x count / 12
    EXPECT_EQ(G().x.name, "p.u.");
}

TEST_F(HistogramTest, FlickerArrayQuantitiesGiveThirtyTwoSamplesPerFrameOfEveryFrame)
{
    LoadFlicker(3, 1);
    EXPECT_EQ(SampleSeries(FQ_HWEFF).size(), 96u);
    EXPECT_EQ(SampleSeries(FQ_U).size(), 3u);
}

TEST_F(HistogramTest, ConstantQuantityFallsIntoOneInterval)
{
    LoadHarmonic(4, 1);
    const HistogramData h = HistogramOf(SampleSeries(HQ_PF), false);
    ASSERT_EQ(h.samples, 4);
    EXPECT_DOUBLE_EQ(h.percent[0], 100.0);
    EXPECT_DOUBLE_EQ(Sum(h.percent), 100.0);
    EXPECT_EQ(h.sd, 0.0);
    for (double x : h.axis) EXPECT_TRUE(std::isfinite(x));
}

TEST_F(HistogramTest, AutocorrelationLengthsAndAConstantHarmonicQuantity)
{
    LoadHarmonic(9, 1, [](int k, int, HarmFrame& f) { f.freq = k % 2 ? 51.0f : 49.0f; });
    PlotView({HQ_FREQ, HQ_PF});
    ui::UserSetValue(diagnos, DIAGNOS_KIND, PLOT_CORRELATION);
    auto r = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(r.size(), 1u);   // the selected line only
    ASSERT_EQ(r[0]->y.size(), 4u);   // 9 / 2
    EXPECT_NEAR(r[0]->y[0], 1.0, 1e-12);   // standardised: R(0) = 1
    EXPECT_LT(r[0]->y[1], 0.0);
    EXPECT_EQ(G().x.name, "offset");
    EXPECT_EQ(G().y.name, "f,Hz");
    EXPECT_EQ(Title(), "Correlation:   1 Freq   Logging file: h.qel");   // the one drawn

    // the power factor is constant: no deviation, a correlation of 0
    ui::UserSelectIndex(diagnos, DIAGNOS_PLOTLIST, 1);
    r = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(r.size(), 1u);
    for (double v : r[0]->y) EXPECT_EQ(v, 0.0);
    EXPECT_EQ(Title(), "Correlation:   1 PF   Logging file: h.qel");

    EXPECT_TRUE(AutocorrelationOf({5.0}, true).empty());   // one frame: nothing to plot
    EXPECT_EQ(AutocorrelationOf({1, 2, 3}, false), (std::vector<double>{(1 + 4 + 9) / 3.0}));
}

TEST_F(HistogramTest, FlickerCorrelationIsNotStandardised)
{
    LoadFlicker(4, 1, [](int, int, FlkFrame& f) { f.utrms = 2.0f; });
    PlotView({FQ_U});
    ui::UserSetValue(diagnos, DIAGNOS_KIND, PLOT_CORRELATION);
    auto r = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0]->y, (std::vector<double>{4.0, 4.0}));
}

TEST_F(HistogramTest, KindOfPlotClearsAndDimsTheSwitchesAndTheFields)
{
    LoadHarmonic(4, 1);
    PlotView({3});
    SetSwitch(DIAGNOS_PERCENT, 1);
    SetSwitch(DIAGNOS_SHOWLIMITS, 1);
    ui::UserSetValue(diagnos, DIAGNOS_KIND, PLOT_HISTOGRAM);
    EXPECT_EQ(Text(DIAGNOS_LABEL), "A");
    for (int c : {DIAGNOS_PERCENT, DIAGNOS_SHOWLIMITS}) {
        EXPECT_EQ(Attr(diagnos, c, ATTR_DIMMED), 1);
        int v = 1;
        GetCtrlVal(diagnos, c, &v);
        EXPECT_EQ(v, 0);
    }
    for (int c : {DIAGNOS_OPERAND1, DIAGNOS_OPERAND2, DIAGNOS_OPERATION}) EXPECT_EQ(Dimmed(c), 1);
    ui::Commit(diagnos, DIAGNOS_SCALEGRAPH);
    EXPECT_EQ(CurrentPlotKind(), PLOT_TIME);
    EXPECT_EQ(Dimmed(DIAGNOS_PERCENT), 0);
    EXPECT_EQ(PlotsOf(PLOT_COLOR)[0]->y.size(), 4u);

    ui::Click(diagnos, DIAGNOS_YSCALE);
    EXPECT_EQ(G().y.map, VAL_LOG);
    ui::Click(diagnos, DIAGNOS_YSCALE);
    EXPECT_EQ(G().y.map, VAL_LINEAR);
}

}  // namespace
