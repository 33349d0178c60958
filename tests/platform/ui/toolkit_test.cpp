#include <climits>
#include <cmath>
#include <limits>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ui/ui_testing.h"
#include "platform/ui/ui.h"

using namespace ui;

namespace {

const std::string kData = std::string(ORIVAN_SOURCE_DIR) + "/tests/platform/ui/data";

std::vector<std::string> g_calls;

int Record(int panel, int control, int event, void*, int, int)
{
    Control* c = FindCtrl(panel, control);
    g_calls.push_back((c ? c->name : "?") + ":" + std::to_string(event));
    return 0;
}
int RecordPanel(int, int event, void*, int, int)
{
    g_calls.push_back("panel:" + std::to_string(event));
    return 0;
}

struct Demo : HeadlessUiTest {
    int p = 0;
    // control ids by name, as the generated header would give them
    int id(const char* name)
    {
        for (auto& c : FindPanel(p)->controls)
            if (c.name == name) return c.id;
        ADD_FAILURE() << "no control " << name;
        return 0;
    }
    void SetUp() override
    {
        HeadlessUiTest::SetUp();
        g_calls.clear();
        for (const char* n : {"cbCount", "cbRing", "cbCheck", "cbGo", "cbTick", "cbTick2"}) RegisterCallback(n, Record);
        RegisterPanelCallback("cbDemoPanel", RecordPanel);
        p = LoadPanel(0, kData.c_str(), 3);
        ASSERT_GT(p, 0);
        DisplayPanel(p);
    }
};

}  // namespace

TEST(UiResource, ControlsAreNumberedInDocumentOrderWithBuddyLabels)
{
    PanelSpec spec;
    std::string err;
    ASSERT_TRUE(ReadPanelFile(kData + "/demo.ui", &spec, &err)) << err;
    EXPECT_EQ(spec.name, "DEMO");
    EXPECT_EQ(spec.number, 3);
    EXPECT_EQ(spec.title, "Demo & test");
    ASSERT_GE(spec.controls.size(), 3u);
    EXPECT_EQ(spec.controls[0].name, "DEMO_COUNT");
    EXPECT_EQ(spec.controls[0].id, 2);
    EXPECT_EQ(spec.controls[0].label, "Count");
    EXPECT_EQ(spec.controls[1].id, 3);
    std::map<int, PanelSpec> all;
    ASSERT_TRUE(ReadResourceDir(kData, &all, &err)) << err;
    std::string h = PanelIdHeader(all);
    EXPECT_NE(h.find("inline constexpr int DEMO = 3;"), std::string::npos);
    EXPECT_NE(h.find("inline constexpr int DEMO_COUNT = 2;"), std::string::npos);
}

TEST(UiResource, MalformedOrForeignFilesAreRefusedWithAMessage)
{
    XmlNode n;
    std::string err;
    EXPECT_FALSE(ParseXml("<ui><widget></ui>", &n, &err));
    EXPECT_NE(err.find("mismatched"), std::string::npos);
    EXPECT_FALSE(ParseXml("<a x=1/>", &n, &err));
    EXPECT_FALSE(ParseXml("<a>&bogus;</a>", &n, &err));
    EXPECT_FALSE(ParseXml("<a>", &n, &err));
    ASSERT_TRUE(ParseXml("<a t='&#x41;&lt;'><![CDATA[x<y&]]></a>", &n, &err)) << err;
    EXPECT_EQ(n.attr("t"), "A<");
    EXPECT_EQ(n.text, "x<y&");

    std::string dir = std::string(ORIVAN_BINARY_DIR) + "/ui_bad_resource";
    std::string mk = "mkdir -p " + dir;
    ASSERT_EQ(std::system(mk.c_str()), 0);
    std::ofstream(dir + "/broken.ui") << "<ui><widget class='QWidget' name='X'>";
    ResetUi();
    EXPECT_EQ(LoadPanel(0, dir.c_str(), 1), UIE_BadFileFormat);
    EXPECT_EQ(LoadPanel(0, (dir + "/missing").c_str(), 1), UIE_CouldNotOpenFile);
    EXPECT_EQ(LoadPanel(0, kData.c_str(), 99), UIE_PanelNotFound);
}

// Reals from foreign records (NaN, 1e300) reach integer-valued items and
// controls: their integer part is defined, and nothing is cut silently into
// another number.
TEST(UiValue, RealsOutsideTheIntegerRangeHaveADefinedIntegerPart)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Value::ofReal(nan).i, 0);
    EXPECT_TRUE(std::isnan(Value::ofReal(nan).d));
    EXPECT_EQ(Value::ofReal(1e300).i, LLONG_MAX);
    EXPECT_EQ(Value::ofReal(-1e300).i, LLONG_MIN);
    EXPECT_EQ(Value::ofReal(INFINITY).i, LLONG_MAX);
    EXPECT_EQ(Value::ofReal(9223372036854775808.0).i, LLONG_MAX);
    EXPECT_EQ(Value::ofReal(-9223372036854775808.0).i, LLONG_MIN);
    EXPECT_EQ(Value::ofReal(-2.7).i, -2);
    EXPECT_EQ(Value::ofReal(4e18).i, 4000000000000000000LL);
}

TEST_F(Demo, ValuesFollowTheControlKind)
{
    int count = id("DEMO_COUNT"), level = id("DEMO_LEVEL"), name = id("DEMO_NAME"), msg = id("DEMO_MSG");
    int i = 0;
    double d = 0;
    std::string s;
    EXPECT_EQ(GetCtrlVal(p, count, &i), 0);
    EXPECT_EQ(i, 7);
    SetCtrlVal(p, count, 250);   // coerced to the maximum
    GetCtrlVal(p, count, &i);
    EXPECT_EQ(i, 100);
    SetCtrlVal(p, count, 2.6);
    GetCtrlVal(p, count, &i);
    EXPECT_EQ(i, 3);
    float f = 0;
    SetCtrlVal(p, level, 0.5f);
    GetCtrlVal(p, level, &f);
    EXPECT_FLOAT_EQ(f, 0.5f);
    GetCtrlVal(p, level, &d);
    EXPECT_DOUBLE_EQ(d, 0.5);
    EXPECT_EQ(SetCtrlVal(p, name, "a rather long name"), 0);
    char buf[5];
    GetCtrlVal(p, name, buf);
    EXPECT_STREQ(buf, "a ra");   // cut to the buffer, always terminated
    GetCtrlVal(p, name, &s);
    EXPECT_EQ(s, "a rather");    // the field's maximum length
    EXPECT_EQ(SetCtrlVal(p, name, 5), UIE_OperationNotAllowed);
    EXPECT_EQ(SetCtrlVal(p, count, std::nan("")), UIE_OperationNotAllowed);   // no NaN in a whole-number field
    SetCtrlVal(p, level, 1e20);
    EXPECT_EQ(GetCtrlVal(p, level, &i), 0);
    EXPECT_EQ(i, 1000);   // the field's maximum
    SetCtrlAttribute(p, level, ATTR_MAX_VALUE, 1e12);
    SetCtrlVal(p, level, 1e11);
    EXPECT_EQ(GetCtrlVal(p, level, &i), UIE_OperationNotAllowed);   // too large for an int, never garbage
    EXPECT_EQ(GetCtrlVal(p, msg, &i), UIE_OperationNotAllowed);
    EXPECT_EQ(SetCtrlVal(p, 99, 1), UIE_InvalidControl);
    EXPECT_EQ(SetCtrlVal(999, count, 1), UIE_InvalidPanel);

    DefaultPanel(p);
    GetCtrlVal(p, count, &i);
    EXPECT_EQ(i, 7);
    GetCtrlVal(p, name, &s);
    EXPECT_EQ(s, "abc");
}

TEST_F(Demo, RingsAndListsCarryLabelsAndValues)
{
    int ring = id("DEMO_RING"), list = id("DEMO_LIST");
    int v = -1, idx = -1, n = 0;
    std::string label;
    GetCtrlVal(p, ring, &v);
    EXPECT_EQ(v, 0);   // item 1 "3 x PAM-A" has value 0
    EXPECT_EQ(SetCtrlVal(p, ring, 2), 0);
    GetCtrlIndex(p, ring, &idx);
    EXPECT_EQ(idx, 3);
    GetLabelFromIndex(p, ring, idx, &label);
    EXPECT_EQ(label, "1 x PAM-B");
    EXPECT_EQ(SetCtrlVal(p, ring, 7), UIE_ItemNotFound);
    GetIndexFromValue(p, ring, &idx, 4);
    EXPECT_EQ(idx, 0);

    ClearListCtrl(p, list);
    InsertListItem(p, list, -1, "600 mA", 0.6);
    InsertListItem(p, list, -1, "1,2 A", 1.2);
    InsertListItem(p, list, 0, "300 mA", 0.3);
    GetNumListItems(p, list, &n);
    EXPECT_EQ(n, 3);
    double d = 0;
    GetCtrlVal(p, list, &d);
    EXPECT_DOUBLE_EQ(d, 0.6);   // the selection stays on the item it was on
    EXPECT_EQ(SetCtrlVal(p, list, 1.2), 0);
    GetCtrlIndex(p, list, &idx);
    EXPECT_EQ(idx, 2);
    DeleteListItem(p, list, 0, 1);
    GetCtrlIndex(p, list, &idx);
    EXPECT_EQ(idx, 1);
    ReplaceListItem(p, list, 1, "1.2 A", 1.25);
    GetValueFromIndex(p, list, 1, &d);
    EXPECT_DOUBLE_EQ(d, 1.25);
    // an integer ring's item replaced by values of a foreign record
    GetIndexFromValue(p, ring, &idx, 2);
    EXPECT_EQ(ReplaceListItem(p, ring, idx, "huge", 1e300), 0);
    GetValueFromIndex(p, ring, idx, &d);
    EXPECT_EQ(d, 1e300);
    EXPECT_EQ(ReplaceListItem(p, ring, idx, "none", std::numeric_limits<double>::quiet_NaN()), 0);
    GetValueFromIndex(p, ring, idx, &d);
    EXPECT_TRUE(std::isnan(d));
    EXPECT_EQ(DeleteListItem(p, list, 5, 1), UIE_IndexOutOfRange);
    DeleteListItem(p, list, 0, -1);
    GetNumListItems(p, list, &n);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(GetCtrlVal(p, list, &d), UIE_IndexOutOfRange);
}

TEST_F(Demo, TextBoxesAndTables)
{
    int text = id("DEMO_TEXT"), table = id("DEMO_TABLE");
    int n = 0;
    std::string line;
    GetNumTextBoxLines(p, text, &n);
    EXPECT_EQ(n, 2);
    ResetTextBox(p, text, "");
    for (const char* l : {"first", "second", "third"}) InsertTextBoxLine(p, text, -1, l);
    ReplaceTextBoxLine(p, text, 1, "middle");
    GetTextBoxLine(p, text, 1, &line);
    EXPECT_EQ(line, "middle");
    EXPECT_EQ(GetTextBoxLine(p, text, 3, &line), UIE_IndexOutOfRange);
    SetCtrlVal(p, text, "x\ny");   // appends
    GetNumTextBoxLines(p, text, &n);
    EXPECT_EQ(n, 4);
    GetTextBoxLine(p, text, 2, &line);
    EXPECT_EQ(line, "thirdx");

    int rows = 0, cols = 0;
    GetNumTableRows(p, table, &rows);
    GetNumTableColumns(p, table, &cols);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(cols, 2);
    InsertTableRows(p, table, -1, 39, VAL_CELL_NUMERIC);
    GetNumTableRows(p, table, &rows);
    EXPECT_EQ(rows, 41);
    SetTableCellVal(p, table, MakePoint(2, 41), 0.125);
    SetTableCellVal(p, table, MakePoint(1, 41), "40");
    double d = 0;
    GetTableCellVal(p, table, MakePoint(2, 41), &d);
    EXPECT_DOUBLE_EQ(d, 0.125);
    std::string s;
    GetTableCellVal(p, table, MakePoint(1, 41), &s);
    EXPECT_EQ(s, "40");
    EXPECT_EQ(SetTableCellVal(p, table, MakePoint(3, 1), 1.0), UIE_IndexOutOfRange);
    SetTableCellAttribute(p, table, MakePoint(2, 41), ATTR_TEXT_BGCOLOR, VAL_RED);
    int colour = 0;
    GetTableCellAttribute(p, table, MakePoint(2, 41), ATTR_TEXT_BGCOLOR, &colour);
    EXPECT_EQ(colour, VAL_RED);
    DeleteTableRows(p, table, 2, -1);
    GetNumTableRows(p, table, &rows);
    EXPECT_EQ(rows, 1);
}

TEST_F(Demo, GraphsKeepTheirPlotsAsData)
{
    int g = id("DEMO_GRAPH");
    double y[41];
    for (int i = 0; i < 41; ++i) y[i] = i == 3 ? 2.0 : 0.1;
    int bars = PlotY(p, g, y, 41, VAL_DOUBLE, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, VAL_GREEN);
    float fx[2] = {1, 2}, fy[2] = {5, -1};
    int curve = PlotXY(p, g, fx, fy, 2, VAL_FLOAT, VAL_FLOAT, VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, VAL_RED);
    int rect = PlotRectangle(p, g, 0.9, 0, 1.1, 0.7, VAL_RED, VAL_RED);
    int text = PlotText(p, g, 0.7, 0.35, "0.70", VAL_MENU_META_FONT, VAL_RED, VAL_TRANSPARENT);
    EXPECT_GT(bars, 0);
    EXPECT_NE(bars, curve);
    Graph& gr = FindCtrl(p, g)->graph;
    ASSERT_EQ(gr.plots.size(), 4u);
    EXPECT_EQ(gr.plots[1].y[0], 5.0);
    EXPECT_EQ(gr.plots[3].text, "0.70");
    int colour = 0;
    GetPlotAttribute(p, g, rect, ATTR_TRACE_COLOR, &colour);
    EXPECT_EQ(colour, VAL_RED);

    int mode = -1;
    double lo, hi;
    GetAxisScalingMode(p, g, VAL_LEFT_YAXIS, &mode, &lo, &hi);
    EXPECT_EQ(mode, VAL_AUTOSCALE);
    EXPECT_DOUBLE_EQ(lo, -2);   // automatic scaling ends on round numbers around -1..5
    EXPECT_DOUBLE_EQ(hi, 6);
    SetAxisScalingMode(p, g, VAL_XAXIS, VAL_MANUAL, 0, 40);
    GetAxisScalingMode(p, g, VAL_XAXIS, &mode, &lo, &hi);
    EXPECT_EQ(mode, VAL_MANUAL);
    EXPECT_DOUBLE_EQ(hi, 40);
    EXPECT_EQ(SetAxisScalingMode(p, g, VAL_XAXIS, VAL_MANUAL, 3, 3), UIE_OperationNotAllowed);

    // cursors snap to the nearest plot point
    SetGraphCursor(p, g, 1, 3.2, 1.8);
    double cx, cy;
    GetGraphCursor(p, g, 1, &cx, &cy);
    EXPECT_DOUBLE_EQ(cx, 3);
    EXPECT_DOUBLE_EQ(cy, 2);
    int plot, index;
    GetGraphCursorIndex(p, g, 1, &plot, &index);
    EXPECT_EQ(plot, bars);
    EXPECT_EQ(index, 3);
    SetCursorAttribute(p, g, 2, ATTR_CURSOR_MODE, VAL_FREE_FORM);
    SetGraphCursor(p, g, 2, 3.2, 1.8);
    GetGraphCursorIndex(p, g, 2, &plot, &index);
    EXPECT_EQ(plot, -1);
    EXPECT_EQ(SetGraphCursor(p, g, 5, 0, 0), UIE_IndexOutOfRange);

    DeleteGraphPlot(p, g, curve, 1);
    EXPECT_EQ(gr.plots.size(), 3u);
    EXPECT_EQ(DeleteGraphPlot(p, g, curve, 1), UIE_OperationNotAllowed);
    DeleteGraphPlot(p, g, -1, 1);
    EXPECT_TRUE(gr.plots.empty());
    GetGraphCursorIndex(p, g, 1, &plot, &index);
    EXPECT_EQ(plot, -1);   // a deleted plot releases the cursor
    (void)text;
}

TEST(UiPlotModel, DecimationKeepsPeaksOfLongCurves)
{
    Plot pl;
    for (int i = 0; i < 45000; ++i) {
        pl.x.push_back(i);
        pl.y.push_back(i == 12345 ? 100.0 : (i == 30001 ? -50.0 : std::sin(i * 0.01)));
    }
    std::vector<int> idx = Decimate(pl, 0, 44999, 500);
    EXPECT_LE(idx.size(), 2100u);
    EXPECT_NE(std::find(idx.begin(), idx.end(), 12345), idx.end());
    EXPECT_NE(std::find(idx.begin(), idx.end(), 30001), idx.end());
    EXPECT_TRUE(std::is_sorted(idx.begin(), idx.end()));
    EXPECT_EQ(idx.front(), 0);
    EXPECT_EQ(idx.back(), 44999);
    Graph g;
    g.y.map = VAL_LOG;
    g.plots.push_back(pl);
    Range r = YRange(g);
    EXPECT_GT(r.min, 0);   // a logarithmic axis keeps positive values only
    EXPECT_DOUBLE_EQ(r.max, 100);
}

TEST_F(Demo, PopupsTakeQueuedAnswersInOrder)
{
    QueueMessageAck();
    QueueConfirm(1);
    QueueConfirm(0);
    QueueFileSelect("/tmp/x.cfg");
    QueueFileSelect("");
    EXPECT_EQ(MessagePopup("Error", "Lost connection"), 0);
    EXPECT_EQ(ConfirmPopup("Warning", "Use it?"), 1);
    EXPECT_EQ(ConfirmPopup("Warning", "Use it?"), 0);
    char path[MAX_PATHNAME_LEN];
    EXPECT_GT(FileSelectPopup("/tmp", "*.cfg", "*.cfg", "Select Configuration file!", VAL_SAVE_BUTTON, 0, 1, 1, 1, path), 0);
    EXPECT_STREQ(path, "/tmp/x.cfg");
    EXPECT_EQ(FileSelectPopup("/tmp", "*.cfg", "*.cfg", "Select Configuration file!", VAL_LOAD_BUTTON, 0, 1, 1, 0, path), VAL_NO_FILE_SELECTED);
    EXPECT_STREQ(path, "");
    ASSERT_EQ(PopupLog().size(), 5u);
    EXPECT_EQ(PopupLog()[0].title, "Error");
    EXPECT_EQ(PopupLog()[0].text, "Lost connection");
    EXPECT_EQ(PopupLog()[3].request.defaultSpec, "*.cfg");
    EXPECT_EQ(PopupLog()[3].request.button, VAL_SAVE_BUTTON);

    // a path longer than the caller's buffer is refused with a message, never cut
    QueueFileSelect("/tmp/" + std::string(40, 'a'));
    QueueMessageAck();
    char small[16];
    EXPECT_EQ(FileSelectPopup("", "*.cfg", "", "t", VAL_LOAD_BUTTON, 0, 0, 1, 0, small), VAL_NO_FILE_SELECTED);
    EXPECT_STREQ(small, "");
}

TEST_F(Demo, AnUnexpectedPopupIsReportedWithTitleAndText)
{
    std::vector<std::string> seen;
    SetUnexpectedPopupHandler([&](const std::string& w) { seen.push_back(w); });
    EXPECT_EQ(ConfirmPopup("Warning", "Custom limits are active."), 0);
    QueueConfirm(1);
    MessagePopup("Error", "No data read");   // next answer is for another kind
    ClearQueuedAnswers();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0].find("Warning"), std::string::npos);
    EXPECT_NE(seen[0].find("Custom limits are active."), std::string::npos);
    EXPECT_NE(seen[1].find("No data read"), std::string::npos);
    EXPECT_NE(seen[1].find("confirm"), std::string::npos);
}

TEST_F(Demo, BatchModePrintsMessagesAndAnswersNo)
{
    SetHeadlessMode(HeadlessMode::Batch);
    testing::internal::CaptureStderr();
    MessagePopup("Error", "Lost connection");
    EXPECT_EQ(ConfirmPopup("Warning", "Sure?"), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Error: Lost connection"), std::string::npos);
    char path[64];
    EXPECT_EQ(FileSelectPopup("", "*.qel", "", "Select data file!", VAL_SAVE_BUTTON, 0, 0, 1, 0, path), 0);
}

TEST_F(Demo, UserActionsReachCallbacksWithTheirEvents)
{
    EXPECT_TRUE(Click(p, id("DEMO_CHECK")));
    int v = 0;
    GetCtrlVal(p, id("DEMO_CHECK"), &v);
    EXPECT_EQ(v, 1);
    EXPECT_TRUE(UserSelectIndex(p, id("DEMO_RING"), 2));
    EXPECT_TRUE(Commit(p, id("DEMO_GO")));
    EXPECT_TRUE(ClosePanel(p));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"DEMO_CHECK:2", "DEMO_CHECK:1", "DEMO_RING:2", "DEMO_RING:1",
                                                 "DEMO_GO:1", "panel:11"}));
    // dimmed or hidden controls cannot be operated by a user
    g_calls.clear();
    SetCtrlAttribute(p, id("DEMO_GO"), ATTR_DIMMED, 1);
    EXPECT_FALSE(Commit(p, id("DEMO_GO")));
    SetCtrlAttribute(p, id("DEMO_GO"), ATTR_DIMMED, 0);
    SetCtrlAttribute(p, id("DEMO_GO"), ATTR_VISIBLE, 0);
    EXPECT_FALSE(Commit(p, id("DEMO_GO")));
    EXPECT_TRUE(g_calls.empty());
    // a callback called by the logic runs whatever its state
    int ret = -1;
    CallCtrlCallback(p, id("DEMO_GO"), EVENT_COMMIT, 0, 0, &ret);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"DEMO_GO:1"}));
}

TEST_F(Demo, TimersTickWhenEnabledAtTheirInterval)
{
    int t1 = id("DEMO_TIMER"), t2 = id("DEMO_TIMER2");
    EXPECT_TRUE(TickTimer(p, t1));
    EXPECT_FALSE(TickTimer(p, t2));   // not enabled
    g_calls.clear();
    SetCtrlAttribute(p, t2, ATTR_ENABLED, 1);
    EXPECT_EQ(AdvanceTimers(4.0), 8 + 2);
    EXPECT_EQ(std::count(g_calls.begin(), g_calls.end(), "DEMO_TIMER2:15"), 2);
    SetCtrlAttribute(p, t1, ATTR_INTERVAL, 1.0);
    double iv = 0;
    GetCtrlAttribute(p, t1, ATTR_INTERVAL, &iv);
    EXPECT_DOUBLE_EQ(iv, 1.0);
    SetCtrlAttribute(p, t1, ATTR_ENABLED, 0);
    SetCtrlAttribute(p, t2, ATTR_ENABLED, 0);
    EXPECT_EQ(AdvanceTimers(10), 0);
}

namespace {
int g_panel = 0, g_timer = 0, g_go = 0, g_depth_max = 0, g_ticks = 0;
int TickCount(int, int, int event, void*, int, int)
{
    if (event == EVENT_TIMER_TICK) ++g_ticks;
    g_depth_max = std::max(g_depth_max, CallbackDepth());
    return 0;
}
int GoWithPopup(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    // the timer fires twice while the popup is up; the tick must wait
    QueueMessageAck([] { TickTimer(g_panel, g_timer); TickTimer(g_panel, g_timer); });
    MessagePopup("Ready to start", "Measuring setup is ready. You can start");
    EXPECT_EQ(g_ticks, 0);
    TickTimer(g_panel, g_timer);   // and while the callback itself still runs
    EXPECT_EQ(g_ticks, 0);
    EXPECT_EQ(PendingEvents(), 1u);   // merged into one held tick
    return 0;
}
int GoProcessing(int panel, int control, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    // a long operation lets events run; it is never entered again itself
    TickTimer(g_panel, g_timer);
    Deliver(Event{panel, control, EVENT_COMMIT});
    ProcessSystemEvents();
    EXPECT_EQ(g_ticks, 1);
    EXPECT_EQ(PendingEvents(), 1u);
    return 0;
}
}  // namespace

TEST_F(Demo, CallbacksNeverReEnter)
{
    g_panel = p;
    g_timer = id("DEMO_TIMER");
    g_go = id("DEMO_GO");
    g_ticks = 0;
    g_depth_max = 0;
    InstallCtrlCallback(p, g_timer, TickCount, nullptr);
    InstallCtrlCallback(p, g_go, GoWithPopup, nullptr);
    EXPECT_TRUE(Commit(p, g_go));
    EXPECT_EQ(g_ticks, 1);   // delivered once, after the callback returned
    EXPECT_EQ(g_depth_max, 1);
    EXPECT_EQ(PendingEvents(), 0u);

    g_ticks = 0;
    int commits = 0;
    static int* s_commits;
    s_commits = &commits;
    InstallCtrlCallback(p, g_go, [](int a, int b, int e, void* d, int x, int y) {
        ++*s_commits;
        return *s_commits == 1 ? GoProcessing(a, b, e, d, x, y) : 0;
    }, nullptr);
    Commit(p, g_go);
    EXPECT_EQ(commits, 2);   // the held commit ran after the first one returned
    EXPECT_EQ(PendingEvents(), 0u);
}

TEST_F(Demo, PrintingAndClipboardGoToMemoryOrFile)
{
    PrintTextBuffer("line 1\nline 2\n", "");
    EXPECT_EQ(PrintedText(), "line 1\nline 2\n");
    int g = id("DEMO_GRAPH");
    double y[3] = {1, 2, 3};
    PlotY(p, g, y, 3, VAL_DOUBLE, VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, VAL_BLUE);
    std::string out = std::string(ORIVAN_BINARY_DIR) + "/ui_print_test.txt";
    std::remove(out.c_str());
    SetPrintAttributeEx(ATTR_PRINT_OUTPUT_FILE, out.c_str());
    EXPECT_EQ(PrintCtrl(p, g, "", 1, 0), 0);
    std::ifstream in(out);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(all.find("DEMO_GRAPH"), std::string::npos);
    EXPECT_NE(all.find("1 plots"), std::string::npos);
    int bmp = 0;
    ASSERT_EQ(GetCtrlDisplayBitmap(p, g, 0, &bmp), 0);
    ClipboardPutBitmap(bmp);
    ASSERT_NE(ClipboardBitmap(), nullptr);
    EXPECT_NE(ClipboardBitmap()->description.find("DEMO_GRAPH"), std::string::npos);
    EXPECT_EQ(DiscardBitmap(bmp), 0);
    EXPECT_EQ(DiscardBitmap(bmp), UIE_OperationNotAllowed);
    EXPECT_LT(GetBitmapFromFile("/nonexistent.bmp", &bmp), 0);
}
