// The program's own panel resource: every panel loads, and the controls the
// logic addresses by role are there with the right kind.
#include <set>

#include "panel_ids.h"
#include "platform/ui/ui_testing.h"
#include "platform/ui/ui.h"

using namespace ui;

namespace {

const std::string kRes = std::string(ORIVAN_SOURCE_DIR) + "/resources";

struct Resource : HeadlessUiTest {
    std::map<int, int> handle;
    void SetUp() override
    {
        HeadlessUiTest::SetUp();
        SetResourceDir(kRes);
        for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 18}) {
            handle[n] = LoadPanel(0, "ORV3.uir", n);
            ASSERT_GT(handle[n], 0) << "panel " << n;
        }
    }
    Kind kind(int number, int id) { return FindCtrl(handle[number], id)->kind; }
};

}  // namespace

TEST_F(Resource, EveryPanelLoadsWithUniqueNamesAndValidCallbacks)
{
    std::set<std::string> names;
    for (auto [n, h] : handle) {
        Panel* p = FindPanel(h);
        EXPECT_FALSE(p->title.empty()) << p->name;
        for (auto& c : p->controls) {
            EXPECT_TRUE(names.insert(c.name).second) << "duplicate " << c.name;
            const std::string& cb = c.callbackName;
            if (cb.empty()) continue;
            EXPECT_TRUE(cb.rfind("cb", 0) == 0 || cb.rfind("CALL", 0) == 0 || cb == "cdBlackMax") << c.name << " " << cb;
        }
    }
    EXPECT_EQ(PANEL_CANVAS, 2);   // the tab control is canvas control 2 of the main window
    EXPECT_EQ(kind(10, PANEL_CANVAS), Kind::Tab);
    EXPECT_EQ(FindPanel(handle[10])->callbackName, "cbPanel");
}

TEST_F(Resource, SettingsPageHasAControlForEverySetting)
{
    const int s = 15;
    for (int id : {SETTING_ANALYSER, SETTING_PHASES, SETTING_IFTYPE, SETTING_BAUDRATE, SETTING_VERSION, SETTING_CLASS,
                   SETTING_MODE, SETTING_FL_STANDARD, SETTING_ZREF, SETTING_URANGE1, SETTING_IRANGE3, SETTING_CLAMP2})
        EXPECT_EQ(kind(s, id), Kind::Ring);
    for (int id : {SETTING_GPIB, SETTING_GPIB1, SETTING_GPIB2, SETTING_GPIB3, SETTING_COMPORT, SETTING_SYSCODE,
                   SETTING_H_HOURS, SETTING_H_MINUTES, SETTING_H_SECONDS, SETTING_FL_PERIODS, SETTING_FL_MINUTES,
                   SETTING_FL_SECONDS, SETTING_SWITCH_INTERVAL, SETTING_RSCE, SETTING_DMAX, SETTING_ZTEST,
                   SETTING_USCALE1, SETTING_ISCALE3, SETTING_P_SOLL1, SETTING_PF_SOLL2, SETTING_I_SOLL3})
        EXPECT_EQ(kind(s, id), Kind::Numeric);
    for (int id : {SETTING_SMOOTHING, SETTING_HMODE, SETTING_EXT1, SETTING_EXT2, SETTING_EXT3, SETTING_LIMITS_ON})
        EXPECT_EQ(kind(s, id), Kind::CheckBox);
    for (int id : {SETTING_NAME, SETTING_DEPARTMENT, SETTING_COMPANY, SETTING_DEVICE, SETTING_MANUFACTURER,
                   SETTING_TYPE, SETTING_SERIAL, SETTING_PRINTER, SETTING_LOGO})
        EXPECT_EQ(kind(s, id), Kind::String);
    EXPECT_EQ(kind(s, SETTING_COMMENT), Kind::TextBox);
    // test data fields keep the terminating zero inside their 20 bytes
    int maxLen = 0;
    GetCtrlAttribute(handle[s], SETTING_NAME, ATTR_MAX_VALUE, &maxLen);
    EXPECT_EQ(maxLen, 19);
    // the analyser list in the order and with the values of the set-up list
    int v = -1;
    const int expected[4] = {4, 0, 1, 2};
    for (int i = 0; i < 4; ++i) {
        GetValueFromIndex(handle[s], SETTING_ANALYSER, i, &v);
        EXPECT_EQ(v, expected[i]);
    }
    std::string label;
    GetLabelFromIndex(handle[s], SETTING_FL_STANDARD, 1, &label);
    EXPECT_NE(label.find("A1"), std::string::npos);
    GetLabelFromIndex(handle[s], SETTING_FL_STANDARD, 3, &label);
    EXPECT_NE(label.find("3-11"), std::string::npos);
    GetLabelFromIndex(handle[s], SETTING_FL_STANDARD, 0, &label);
    EXPECT_EQ(label.find("A1"), std::string::npos);
}

TEST_F(Resource, MeasuringAndResultsPagesHaveThreePhaseColumns)
{
    const int m = 9, r = 14;
    EXPECT_EQ(kind(m, MEASURE_TIMER), Kind::Timer);
    EXPECT_EQ(kind(m, MEASURE_TIMER1), Kind::Timer);
    int enabled = 1;
    GetCtrlAttribute(handle[m], MEASURE_TIMER, ATTR_ENABLED, &enabled);
    EXPECT_EQ(enabled, 0);   // a run switches the acquisition timer on
    EXPECT_EQ(kind(m, MEASURE_START), Kind::Toggle);
    for (int id : {MEASURE_GRAPH1, MEASURE_GRAPH2, MEASURE_GRAPH3}) EXPECT_EQ(kind(m, id), Kind::Graph);
    for (int id : {MEASURE_U1, MEASURE_I2, MEASURE_PST3, MEASURE_PWHD1}) EXPECT_EQ(kind(m, id), Kind::Numeric);
    for (int id : {MEASURE_IALL1, MEASURE_ACDC_POW2, MEASURE_FL_DMAX3, MEASURE_ACTIVE}) EXPECT_EQ(kind(m, id), Kind::Led);
    for (int id : {RESULTS_IALL1, RESULTS_I1002, RESULTS_PWHD3, RESULTS_THD1, RESULTS_PST2, RESULTS_ACDC_MIN3})
        EXPECT_EQ(kind(r, id), Kind::Led);
    for (int id : {RESULTS_TABLE1, RESULTS_TABLE2, RESULTS_TABLE3}) EXPECT_EQ(kind(r, id), Kind::Table);
    EXPECT_EQ(kind(3, DIAGNOS_GRAPH), Kind::Graph);
    EXPECT_EQ(FindCtrl(handle[3], DIAGNOS_GRAPH)->graph.numCursors, 4);
    EXPECT_EQ(kind(3, DIAGNOS_PLOTLIST), Kind::ListBox);
}
