// Panels, popups, tab pages and cursors of the headless back-end.
#include "platform/ui/ui_testing.h"
#include "platform/ui/ui.h"

using namespace ui;

namespace {

const std::string kData = std::string(ORIVAN_SOURCE_DIR) + "/tests/platform/ui/data";
std::vector<int> g_events;

int Events(int, int, int event, void*, int, int)
{
    g_events.push_back(event);
    return 0;
}

struct Panels : HeadlessUiTest {
    int p = 0;
    int id(const char* name)
    {
        for (auto& c : FindPanel(p)->controls)
            if (c.name == name) return c.id;
        return 0;
    }
    void SetUp() override
    {
        HeadlessUiTest::SetUp();
        g_events.clear();
        p = LoadPanel(0, kData.c_str(), 3);
        ASSERT_GT(p, 0);
        DisplayPanel(p);
    }
};

}  // namespace

TEST_F(Panels, PopupPanelsAndChildrenComeAndGo)
{
    int q = LoadPanel(0, kData.c_str(), 3);
    int child = LoadPanel(q, kData.c_str(), 3);
    ASSERT_GT(child, q);
    EXPECT_NE(q, p);   // every load is a panel of its own
    int visible = 1;
    GetPanelAttribute(q, ATTR_VISIBLE, &visible);
    EXPECT_EQ(visible, 0);   // loaded hidden
    InstallPopup(q);
    EXPECT_TRUE(FindPanel(q)->popup);
    EXPECT_EQ(RemovePopup(VAL_REMOVE_TOPMOST), 0);
    EXPECT_FALSE(FindPanel(q)->popup);
    EXPECT_FALSE(FindPanel(q)->visible);
    SetPanelAttribute(q, ATTR_TITLE, "Frame values");
    std::string title;
    GetPanelAttribute(q, ATTR_TITLE, &title);
    EXPECT_EQ(title, "Frame values");
    EXPECT_EQ(DiscardPanel(q), 0);
    EXPECT_EQ(FindPanel(child), nullptr);   // children go with their parent
    EXPECT_EQ(DisplayPanel(q), UIE_InvalidPanel);
    EXPECT_EQ(LoadPanel(12345, kData.c_str(), 3), UIE_InvalidPanel);
    // controls of a dimmed panel cannot be operated
    SetPanelAttribute(p, ATTR_DIMMED, 1);
    EXPECT_FALSE(Commit(p, id("DEMO_GO")));
}

TEST_F(Panels, RangesAndDefaultsOfNumericAndRingControls)
{
    int count = id("DEMO_COUNT"), ring = id("DEMO_RING");
    SetCtrlVal(p, count, 90);
    SetCtrlAttribute(p, count, ATTR_MAX_VALUE, 50);   // a lower maximum pulls the value in
    int v = 0;
    GetCtrlVal(p, count, &v);
    EXPECT_EQ(v, 50);
    SetCtrlAttribute(p, count, ATTR_MIN_VALUE, 60.0);
    GetCtrlVal(p, count, &v);
    EXPECT_EQ(v, 50);   // the maximum is applied last
    SetCtrlIndex(p, ring, 3);
    DefaultCtrl(p, ring);
    int idx = -1;
    GetCtrlIndex(p, ring, &idx);
    EXPECT_EQ(idx, 1);
    // a ring keeps its items on reset, a list box gets the resource items back
    ClearListCtrl(p, ring);
    InsertListItem(p, ring, -1, "Class A", 0);
    DefaultCtrl(p, ring);
    GetCtrlIndex(p, ring, &idx);
    EXPECT_EQ(idx, 0);
    EXPECT_EQ(SetCtrlIndex(p, ring, 1), UIE_IndexOutOfRange);
    EXPECT_EQ(SetCtrlAttribute(p, id("DEMO_TIMER"), ATTR_INTERVAL, 0.0), UIE_OperationNotAllowed);
    EXPECT_EQ(SetCtrlIndex(p, count, 0), UIE_OperationNotAllowed);
}

TEST_F(Panels, TabPagesAreDimmedAndChosenByHandle)
{
    // any canvas-like control can carry the pages; the demo has none, so use a second panel's list
    int main = LoadPanel(0, kData.c_str(), 3);
    int canvas = 0;
    for (auto& c : FindPanel(main)->controls)
        if (c.name == "DEMO_MSG") canvas = c.id;
    EXPECT_EQ(EasyTab_ConvertFromCanvas(main, canvas), UIE_OperationNotAllowed);   // a text message is no canvas
    Control* deco = FindCtrl(main, canvas);
    deco->kind = Kind::Deco;
    ASSERT_EQ(EasyTab_ConvertFromCanvas(main, canvas), canvas);
    int a = 0, b = 0;
    ASSERT_EQ(EasyTab_LoadPanel(main, canvas, kData.c_str(), 3, &a), 0);
    ASSERT_EQ(EasyTab_LoadPanel(main, canvas, kData.c_str(), 3, &b), 0);
    int active = 0;
    EasyTab_GetAttribute(main, canvas, ATTR_EASY_TAB_ACTIVE_PANEL, &active);
    EXPECT_EQ(active, a);
    EXPECT_EQ(EasyTab_SetAttribute(main, canvas, ATTR_EASY_TAB_ACTIVE_PANEL, b), 0);
    EXPECT_EQ(EasyTab_SetAttribute(main, canvas, ATTR_EASY_TAB_ACTIVE_PANEL, p), UIE_InvalidPanel);
    EasyTab_SetTabAttribute(main, canvas, b, ATTR_EASY_TAB_DIMMED, 1);
    int dimmed = 0;
    GetPanelAttribute(b, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 1);
    DisplayPanel(main);
    int go = 0;
    for (auto& c : FindPanel(b)->controls)
        if (c.name == "DEMO_GO") go = c.id;
    EXPECT_FALSE(Commit(b, go));   // a dimmed page
    EXPECT_TRUE(Commit(a, go));
    DisplayPanel(main);
    HidePanel(main);
    EXPECT_FALSE(Commit(a, go));   // its window is hidden
}

TEST_F(Panels, UserCursorMovesSnapAndCommit)
{
    int g = id("DEMO_GRAPH");
    InstallCtrlCallback(p, g, Events, nullptr);
    double x[3] = {1, 2, 3}, y[3] = {10, 30, 20};
    int plot = PlotXY(p, g, x, y, 3, VAL_DOUBLE, VAL_DOUBLE, VAL_SCATTER, VAL_SOLID_CIRCLE, VAL_SOLID, 1, VAL_RED);
    EXPECT_TRUE(UserMoveCursor(p, g, 2, 2.2, 25));
    double cx, cy;
    GetGraphCursor(p, g, 2, &cx, &cy);
    EXPECT_DOUBLE_EQ(cx, 2);
    EXPECT_DOUBLE_EQ(cy, 30);
    int active = 0, pl = 0, index = 0;
    GetActiveGraphCursor(p, g, &active);
    EXPECT_EQ(active, 2);
    EXPECT_EQ(SetGraphCursorIndex(p, g, 1, plot, 2), 0);
    GetGraphCursorIndex(p, g, 1, &pl, &index);
    EXPECT_EQ(pl, plot);
    EXPECT_EQ(index, 2);
    GetGraphCursor(p, g, 1, &cx, &cy);
    EXPECT_DOUBLE_EQ(cy, 20);
    EXPECT_EQ(SetGraphCursorIndex(p, g, 1, plot, 3), UIE_IndexOutOfRange);
    EXPECT_TRUE(RightClick(p, g));
    EXPECT_EQ(g_events, (std::vector<int>{EVENT_COMMIT, EVENT_RIGHT_CLICK}));
    // logarithmic axes keep whole decades
    SetCtrlAttribute(p, g, ATTR_YMAP_MODE, VAL_LOG);
    double lo, hi;
    int mode;
    GetAxisScalingMode(p, g, VAL_LEFT_YAXIS, &mode, &lo, &hi);
    EXPECT_DOUBLE_EQ(lo, 10);
    EXPECT_DOUBLE_EQ(hi, 100);
}

namespace {
int g_inner = 0;
int Outer(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int ret = -1;
    // the logic calling another callback itself runs it at once
    int go = 0;
    for (auto& c : FindPanel(panel)->controls)
        if (c.name == "DEMO_CHECK") go = c.id;
    CallCtrlCallback(panel, go, EVENT_VAL_CHANGED, 0, 0, &ret);
    EXPECT_EQ(g_inner, 1);
    EXPECT_EQ(ret, 7);
    return 0;
}
int Inner(int, int, int, void*, int, int)
{
    ++g_inner;
    return 7;
}
}  // namespace

TEST_F(Panels, TheLogicMayCallCallbacksFromInsideACallback)
{
    g_inner = 0;
    InstallCtrlCallback(p, id("DEMO_GO"), Outer, nullptr);
    InstallCtrlCallback(p, id("DEMO_CHECK"), Inner, nullptr);
    EXPECT_TRUE(Commit(p, id("DEMO_GO")));
    EXPECT_EQ(g_inner, 1);
    EXPECT_EQ(CallbackDepth(), 0);
}
