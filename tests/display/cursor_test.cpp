// Measuring cursors, their fields and extremes, the zoom cursors, zoom and
// restore on the graph panel's plot view.
#include "display_fixture.h"

using namespace dt;

namespace {

struct CursorTest : DisplayTest {
    void SetUp() override
    {
        DisplayTest::SetUp();
        // current of order 2: 5 4 1 3 1 6 2 (the minimum twice)
        LoadHarmonic(7, 1, [](int k, int, HarmFrame& f) {
            const float v[] = {5, 4, 1, 3, 1, 6, 2};
            f.hiam[2] = v[k];
        });
        PlotView({2});
    }
    double Range(int axis, bool max)
    {
        int mode = 0;
        double lo = 0, hi = 0;
        GetAxisScalingMode(diagnos, DIAGNOS_GRAPH, axis, &mode, &lo, &hi);
        return max ? hi : lo;
    }
    void ZoomCursors(double x3, double y3, double x4, double y4)
    {
        ASSERT_TRUE(ui::UserMoveCursor(diagnos, DIAGNOS_GRAPH, CURSOR_ZOOM1, x3, y3));
        ASSERT_TRUE(ui::UserMoveCursor(diagnos, DIAGNOS_GRAPH, CURSOR_ZOOM2, x4, y4));
    }
};

TEST_F(CursorTest, MinimumOfARepeatedValueIsItsFirstOccurrence)
{
    ui::Click(diagnos, DIAGNOS_REDCURSOR);
    EXPECT_EQ(Dimmed(DIAGNOS_REDMIN), 0);
    EXPECT_EQ(G().cursors[0].color, VAL_RED);
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_REDMIN));
    int plot = 0, index = -1;
    GetGraphCursorIndex(diagnos, DIAGNOS_GRAPH, CURSOR_RED, &plot, &index);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(Text(DIAGNOS_RED_X), "2");
    EXPECT_EQ(Text(DIAGNOS_RED_Y), "1.000000");
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_REDMAX));
    EXPECT_EQ(Text(DIAGNOS_RED_X), "5");
    EXPECT_EQ(Text(DIAGNOS_RED_Y), "6.000000");

    // on a correlation too the x field holds the point's index (its offset)
    ui::UserSetValue(diagnos, DIAGNOS_KIND, PLOT_CORRELATION);
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_REDMAX));
    EXPECT_EQ(Text(DIAGNOS_RED_X), "0");   // R(0) of a standardised series is its largest value
    EXPECT_EQ(Text(DIAGNOS_RED_Y), "1.000000");
}

TEST_F(CursorTest, DifferenceOnlyWhileBothCursorsAreOn)
{
    ui::Click(diagnos, DIAGNOS_REDCURSOR);
    ui::Click(diagnos, DIAGNOS_BLACKCURSOR);
    ui::Click(diagnos, DIAGNOS_DIFFERENCE);
    EXPECT_EQ(Dimmed(DIAGNOS_DIFF_X), 0);
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_REDMIN));
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_BLACKMAX));
    EXPECT_EQ(Text(DIAGNOS_DIFF_X), "3.000000");
    EXPECT_EQ(Text(DIAGNOS_DIFF_Y), "5.000000");
    // moving a cursor by hand updates its fields and the difference
    ASSERT_TRUE(ui::UserMoveCursor(diagnos, DIAGNOS_GRAPH, CURSOR_BLACK, 3.1, 3.2));
    EXPECT_EQ(Text(DIAGNOS_BLACK_X), "3");
    EXPECT_EQ(Text(DIAGNOS_DIFF_Y), "2.000000");

    ui::Click(diagnos, DIAGNOS_BLACKCURSOR);   // off
    EXPECT_EQ(Dimmed(DIAGNOS_DIFF_X), 1);
    EXPECT_EQ(Text(DIAGNOS_DIFF_X), "");
    EXPECT_EQ(Text(DIAGNOS_BLACK_X), "");
    EXPECT_EQ(Dimmed(DIAGNOS_BLACKMIN), 1);
    int diff = 1;
    GetCtrlVal(diagnos, DIAGNOS_DIFFERENCE, &diff);
    EXPECT_EQ(diff, 0);
    EXPECT_EQ(G().cursors[1].color, 0xE0E0E0);
    EXPECT_EQ(G().cursors[1].crossHair, VAL_NO_CROSS);
    // a cursor that is off shows nothing when it moves
    ASSERT_TRUE(ui::UserMoveCursor(diagnos, DIAGNOS_GRAPH, CURSOR_BLACK, 1, 4));
    EXPECT_EQ(Text(DIAGNOS_BLACK_X), "");
}

TEST_F(CursorTest, ZoomInReverseCursorOrderGivesTheSameRange)
{
    ui::Click(diagnos, DIAGNOS_ZOOMXY);
    EXPECT_EQ(G().cursors[2].crossHair, VAL_LONG_CROSS);
    ZoomCursors(1, 2, 4, 5);
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_ZOOM));
    const double in_order[4] = {Range(VAL_XAXIS, false), Range(VAL_XAXIS, true), Range(VAL_LEFT_YAXIS, false),
                                Range(VAL_LEFT_YAXIS, true)};
    EXPECT_EQ(in_order[0], 1);
    EXPECT_EQ(in_order[1], 4);
    EXPECT_EQ(in_order[2], 2);
    EXPECT_EQ(in_order[3], 5);
    ui::Commit(diagnos, DIAGNOS_RESTORE);
    ui::Click(diagnos, DIAGNOS_ZOOMXY);
    ZoomCursors(4, 5, 1, 2);
    ASSERT_TRUE(ui::Commit(diagnos, DIAGNOS_ZOOM));
    EXPECT_EQ(Range(VAL_XAXIS, false), in_order[0]);
    EXPECT_EQ(Range(VAL_XAXIS, true), in_order[1]);
    EXPECT_EQ(Range(VAL_LEFT_YAXIS, false), in_order[2]);
    EXPECT_EQ(Range(VAL_LEFT_YAXIS, true), in_order[3]);
    // the zoom cursors move to the corners of the new range
    EXPECT_EQ(G().cursors[2].x, 1);
    EXPECT_EQ(G().cursors[3].y, 5);
}

TEST_F(CursorTest, RestoreAfterTwoZoomsReturnsToTheRangesBeforeTheFirst)
{
    const double x0 = Range(VAL_XAXIS, false), x1 = Range(VAL_XAXIS, true);
    const double y0 = Range(VAL_LEFT_YAXIS, false), y1 = Range(VAL_LEFT_YAXIS, true);
    ui::Click(diagnos, DIAGNOS_ZOOMX);
    EXPECT_EQ(G().cursors[2].crossHair, VAL_VERTICAL_LINE);
    ZoomCursors(1, 0, 5, 0);
    ui::Commit(diagnos, DIAGNOS_ZOOM);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_USEFILE, ATTR_VISIBLE), 1);   // harmonic runs may reload the range
    ui::Click(diagnos, DIAGNOS_ZOOMY);                           // switches zoom X off
    int zx = 1;
    GetCtrlVal(diagnos, DIAGNOS_ZOOMX, &zx);
    EXPECT_EQ(zx, 0);
    ZoomCursors(2, 1, 3, 3);
    ui::Commit(diagnos, DIAGNOS_ZOOM);
    EXPECT_EQ(Range(VAL_XAXIS, false), 1);
    EXPECT_EQ(Range(VAL_LEFT_YAXIS, true), 3);
    ui::Commit(diagnos, DIAGNOS_RESTORE);
    EXPECT_EQ(Range(VAL_XAXIS, false), x0);
    EXPECT_EQ(Range(VAL_XAXIS, true), x1);
    EXPECT_EQ(Range(VAL_LEFT_YAXIS, false), y0);
    EXPECT_EQ(Range(VAL_LEFT_YAXIS, true), y1);
    EXPECT_EQ(ZOMMED, 0);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_USEFILE, ATTR_VISIBLE), 0);
    for (int c : {DIAGNOS_ZOOMX, DIAGNOS_ZOOMY, DIAGNOS_ZOOMXY}) {
        int v = 1;
        GetCtrlVal(diagnos, c, &v);
        EXPECT_EQ(v, 0);
    }
    EXPECT_EQ(G().cursors[3].color, 0xE0E0E0);
}

TEST_F(CursorTest, ZoomOfZeroWidthChangesNothing)
{
    const double x0 = Range(VAL_XAXIS, false), x1 = Range(VAL_XAXIS, true);
    ui::Click(diagnos, DIAGNOS_ZOOMX);
    ZoomCursors(3, 1, 3, 5);
    ui::Commit(diagnos, DIAGNOS_ZOOM);
    EXPECT_EQ(ZOMMED, 0);
    EXPECT_EQ(Range(VAL_XAXIS, false), x0);
    EXPECT_EQ(Range(VAL_XAXIS, true), x1);
    // a manual axis whose maximum is not above its minimum is refused as well
    EXPECT_LT(SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_XAXIS, VAL_MANUAL, 4, 4), 0);
    EXPECT_EQ(Range(VAL_XAXIS, true), x1);
}

TEST_F(CursorTest, ZoomSwitchesAndTheirCursorLooks)
{
    SwitchZoomCursors(ZOOM_Y);
    EXPECT_EQ(G().cursors[3].crossHair, VAL_HORIZONTAL_LINE);
    EXPECT_EQ(G().cursors[3].pointStyle, VAL_DOTTED_EMPTY_SQUARE);
    SwitchZoomCursors(7);   // no such mode: unchanged
    EXPECT_EQ(G().cursors[3].crossHair, VAL_HORIZONTAL_LINE);
    ui::Click(diagnos, DIAGNOS_ZOOMY);
    ui::Click(diagnos, DIAGNOS_ZOOMY);   // off again
    EXPECT_EQ(G().cursors[2].crossHair, VAL_NO_CROSS);
    EXPECT_EQ(G().cursors[2].pointStyle, VAL_SMALL_SOLID_SQUARE);
    // zoom and restore act in the plot view only
    ui::UserSetValue(diagnos, DIAGNOS_VIEWMODE, 1);
    EXPECT_FALSE(ui::Commit(diagnos, DIAGNOS_ZOOM));   // dimmed in the standard view
}

}  // namespace

namespace {

TEST_F(CursorTest, CtrlCCopiesTheGraphWithItsTitle)
{
    ASSERT_TRUE(ui::KeyPress(diagnos, DIAGNOS_GRAPH, VAL_MENUKEY_MODIFIER | 'C'));
    const ui::Bitmap* b = ui::ClipboardBitmap();
    ASSERT_NE(b, nullptr);
    EXPECT_NE(b->description.find("\"Time curve:   1 HCurr(2)   Logging file: h.qel\""), std::string::npos) << b->description;
}

TEST_F(CursorTest, RightClickReloadsTheFileOnlyWithZoomX)
{
    size = 0;
    ASSERT_TRUE(ui::RightClick(diagnos, DIAGNOS_GRAPH));
    EXPECT_EQ(size, 0);
    ui::Click(diagnos, DIAGNOS_ZOOMX);
    ASSERT_TRUE(ui::RightClick(diagnos, DIAGNOS_GRAPH));
    EXPECT_EQ(size, 7);
}

}  // namespace
