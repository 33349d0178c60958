// The standard and plot views, the frame selector with its over-range
// indicator and frame-values popup, and the bars of a stored flicker run.
#include "display_fixture.h"

#include <set>

#include "display/live_display.h"
#include "files/load.h"
#include "state/flicker_bars.h"
#include "state/workmode.h"

using namespace dt;

namespace {

using ViewTest = DisplayTest;

TEST_F(ViewTest, ViewModeDimsTheToolsOfTheOtherView)
{
    LoadHarmonic(4, 3);
    EXPECT_EQ(my_dummy, VIEW_STANDARD);
    EXPECT_EQ(workmode, 1);
    for (int c : {DIAGNOS_REDCURSOR, DIAGNOS_ZOOMX, DIAGNOS_KIND, DIAGNOS_PERCENT, DIAGNOS_PLOTLIST})
        EXPECT_EQ(Dimmed(c), 1) << c;
    EXPECT_EQ(Attr(diagnos, DIAGNOS_FRAME, ATTR_VISIBLE), 1);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_OVERRANGE, ATTR_VISIBLE), 1);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_LABEL, ATTR_VISIBLE), 0);
    EXPECT_EQ(Title(), "Harmonics of phase  L1    Frame 0. Logging file: h.qel");

    ui::UserSetValue(diagnos, DIAGNOS_VIEWMODE, 0);
    EXPECT_EQ(my_dummy, VIEW_PLOTS);
    for (int c : {DIAGNOS_REDCURSOR, DIAGNOS_ZOOMX, DIAGNOS_PERCENT, DIAGNOS_PLOTLIST, DIAGNOS_INSERT})
        EXPECT_EQ(Dimmed(c), 0) << c;
    EXPECT_EQ(Dimmed(DIAGNOS_KIND), 1);      // no plot yet
    EXPECT_EQ(Dimmed(DIAGNOS_RED_X), 1);     // the red cursor is off
    EXPECT_EQ(Attr(diagnos, DIAGNOS_FRAME, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_OVERRANGE, ATTR_VISIBLE), 0);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_LABEL, ATTR_VISIBLE), 1);
    EXPECT_TRUE(G().plots.empty());
}

TEST_F(ViewTest, FrameSelectorShowsTheFrameAndItsOverRange)
{
    LoadHarmonic(4, 3, [](int k, int p, HarmFrame& f) {
        f.ovri = k == 1 ? 99.9f : k == 2 ? 99.91f : 10.0f;
        f.itrms = float(10 * p + k);
    });
    ui::UserSetValue(diagnos, DIAGNOS_PHASE, 2);
    ui::UserSetValue(diagnos, DIAGNOS_FRAME, 1);
    EXPECT_EQ(buf[2].itrms, 21.0f);
    EXPECT_EQ(Text(DIAGNOS_OVERRANGE), "No");   // exactly 99.9 is not over range
    EXPECT_EQ(Attr(diagnos, DIAGNOS_OVERRANGE, ATTR_TEXT_COLOR), VAL_GREEN);
    EXPECT_EQ(Title(), "Harmonics of phase  L3    Frame 1. Logging file: h.qel");
    ui::UserSetValue(diagnos, DIAGNOS_FRAME, 2);
    EXPECT_EQ(Text(DIAGNOS_OVERRANGE), "Yes");
    EXPECT_EQ(Attr(diagnos, DIAGNOS_OVERRANGE, ATTR_TEXT_COLOR), VAL_RED);

    // right-click: the frame-values popup with that frame, closed by its button
    ui::UserSetValue(diagnos, DIAGNOS_FRAME, 3);
    buf[2] = HarmFrame{};
    ASSERT_TRUE(ui::RightClick(diagnos, DIAGNOS_FRAME));
    EXPECT_EQ(buf[2].itrms, 23.0f);
    EXPECT_TRUE(ui::FindPanel(smallres)->visible);
    ASSERT_TRUE(ui::Commit(smallres, SMALLRES_CLOSE));
    EXPECT_FALSE(ui::FindPanel(smallres)->visible);
}

TEST_F(ViewTest, FramesOutsideTheRunChangeNothing)
{
    LoadHarmonic(2, 1);
    buf[0].itrms = -5.0f;
    EXPECT_FALSE(ShowFrame(0, 2));
    EXPECT_FALSE(ShowFrame(1, 0));   // a one-phase run
    EXPECT_EQ(buf[0].itrms, -5.0f);
}

TEST_F(ViewTest, FlickerBarsOnePeriodInAndForTheFinalFrame)
{
    // periods of 10 s, 3 periods: frames 0 .. 31, FSTR counting 9 .. 0
    const int L = 10, periods = 3;
    LoadFlicker(periods * L + 2, 1,
                [&](int k, int, FlkFrame& f) {
                    f.fltr = periods * L - k;
                    f.fstr = L - 1 - (k % L);
                    f.fsta = k == periods * L + 1 ? 3 : 2;
                    f.ovru = k == 14 ? 100.0f : 50.0f;
                },
                [&](Para& p) {
                    p.fl_periods = periods;
                    p.fl_minutes = 0;
                    p.fl_seconds = L;
                });
    const auto bars = FlickerBars(0);
    // one second into periods 2 and 3 (frames 10, 20; frame 0 is never read),
    // again at frame 30 and once more for the final frame
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars[0].frame, 10);
    EXPECT_EQ(bars[1].frame, 20);
    EXPECT_EQ(bars[2].frame, 30);
    EXPECT_EQ(bars[3].frame, 31);
    EXPECT_FALSE(bars[0].overrange);
    EXPECT_TRUE(bars[1].overrange);    // frame 14 was over range
    EXPECT_FALSE(bars[2].overrange);   // cleared by the bar before
    EXPECT_EQ(Title(), "Pst of phase  L1. Logging file: f.qel");
    EXPECT_EQ(G().x.mode, VAL_MANUAL);
    EXPECT_EQ(G().x.max, 3.0);
    // drawn by the live display's bar: filled, or an outline after an over-range frame
    std::vector<const ui::Plot*> rects;
    for (const auto& p : G().plots)
        if (p.kind == VAL_PLOT_RECT) rects.push_back(&p);
    // each bar once: the load button draws no further bar after the chart
    ASSERT_EQ(rects.size(), 4u);
    std::set<double> at;
    for (const auto* r : rects) at.insert(r->x[0]);
    EXPECT_EQ(at.size(), 4u);
    for (const auto& p : G().plots) EXPECT_NE(p.kind, VAL_PLOT_Y);   // and no spectrum
    EXPECT_EQ(rects[0]->fillColor, rects[0]->color);
    EXPECT_EQ(rects[1]->fillColor, VAL_WHITE);
    EXPECT_EQ(rects[1]->x[0], 2 - 0.1);
    EXPECT_EQ(number[0], 4);
}

TEST_F(ViewTest, BackToThePlotViewDrawsTheSelectedPlot)
{
    LoadHarmonic(4, 1, [](int k, int, HarmFrame& f) { f.itrms = float(k); });
    PlotView({HQ_U, HQ_I});
    ui::UserSelectIndex(diagnos, DIAGNOS_PLOTLIST, 1);
    EXPECT_EQ(PlotsOf(PLOT_COLOR).size(), 2u);
    ui::UserSetValue(diagnos, DIAGNOS_VIEWMODE, 1);
    ui::UserSetValue(diagnos, DIAGNOS_VIEWMODE, 0);
    auto c = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0]->y, (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(c[0]->style, VAL_FAT_LINE);
    EXPECT_EQ(G().y.name, "I,A");
    // the combined plot, which has no line of its own, from its operands
    ui::UserSetValue(diagnos, DIAGNOS_KIND, PLOT_COMBINED);
    ui::UserSetValue(diagnos, DIAGNOS_VIEWMODE, 1);
    ui::UserSetValue(diagnos, DIAGNOS_VIEWMODE, 0);
    EXPECT_EQ(PlotsOf(PLOT_COLOR).size(), 1u);
    EXPECT_EQ(Title().rfind("Combined:   ", 0), 0u) << Title();
}

TEST_F(ViewTest, TheStandardViewDrawsTheLoadedRunNotTheSettingsPage)
{
    LoadFlicker(8, 1, {}, [](Para& p) { p.fl_periods = 5; });
    size_t bars = 0;
    for (const auto& p : G().plots) bars += p.kind == VAL_PLOT_RECT;
    // a harmonic set-up confirmed since the load
    para.test_kind = 0;
    para.fl_periods = 40;
    ++number[0];
    DrawData(0);
    size_t now = 0;
    for (const auto& p : G().plots) {
        now += p.kind == VAL_PLOT_RECT;
        EXPECT_NE(p.kind, VAL_PLOT_Y);   // no spectrum of flicker records
    }
    EXPECT_EQ(now, bars + 1);
    EXPECT_EQ(G().x.max, 5.0);
    EXPECT_EQ(G().x.name, "Number of measurement");
    EXPECT_EQ(Attr(diagnos, DIAGNOS_GRAPH, ATTR_XPRECISION), 0);   // whole periods
}

TEST_F(ViewTest, AFinishedRunsChartFollowsItsOwnSettings)
{
    LoadFlicker(8, 1, {}, [](Para& p) { p.fl_periods = 3; });
    // the next run, loaded as the end of a run loads it (no view switch after it)
    Para p = tb::MakePara(1, 1);
    p.fl_periods = 7;
    std::vector<tb::Set<FlkFrame>> v;
    for (int k = 1; k <= 8; ++k) {
        tb::Set<FlkFrame> set{};
        set[0] = tb::FFrame(k, 0);
        v.push_back(set);
        if (k > 1) v.push_back(set);
    }
    tb::WriteCurrent(Path("next.qel"), p, v);
    load_measurement(Path("next.qel").c_str(), -1, -1);
    EXPECT_EQ(G().x.max, 7.0);
}

TEST_F(ViewTest, SwitchingProcedureBarsAtTheLastSecondOfEachPeriod)
{
    LoadFlicker(12, 1, [](int k, int, FlkFrame& f) { f.fstr = (k % 4 == 2 || k % 4 == 3) ? 1 : 5; },
                [](Para& p) { p.switching = 1; });
    const auto bars = FlickerBars(0);
    ASSERT_EQ(bars.size(), 3u);   // frames 2, 6, 10: once per run of FSTR = 1
    EXPECT_EQ(bars[0].frame, 2);
    EXPECT_EQ(bars[1].frame, 6);
    EXPECT_EQ(bars[2].frame, 10);
    EXPECT_EQ(Title(), "dmax of phase  L1. Logging file: f.qel");
}

}  // namespace
