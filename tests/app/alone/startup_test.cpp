#include <cstdio>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

#include "app/config.h"
#include "app/startup.h"
#include "panel_ids.h"
#include "platform/lowfile.h"
#include "platform/ui/ui_testing.h"
#include "platform/ui/ui.h"
#include "tests/support/project_dir_test.h"
#include "state/para.h"
#include "state/workmode.h"
#include "state/panels.h"
#include "platform/fixed_text.h"
#include "state/names.h"
#include "state/reset.h"

using namespace ui;

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

struct StartupTest : ProjectDirTest {
    void SetUp() override
    {
        HeadlessUiTest::SetUp();
        ResetProgramState();
        EnterProjectDir("startup_test_");
    }
    int Start(std::vector<std::string> args = {}, bool simulate = false)
    {
        StartOptions o;
        o.args = std::move(args);
        o.simulate = simulate;
        return StartUp(o);
    }
    // Dimmed state of the six pages in the order intro, diagnos, protocol, setting, measure, results.
    std::string Pages()
    {
        std::string s;
        for (int p : {intro, diagnos, protocol, setting, measure, results}) {
            int d = -1;
            EXPECT_EQ(EasyTab_GetTabAttribute(panelHandle, tabCtrl, p, ATTR_EASY_TAB_DIMMED, &d), 0);
            s += d ? 'D' : 'U';
        }
        return s;
    }
    int Attr(int panel, int control, int attr)
    {
        int v = -1;
        EXPECT_EQ(GetCtrlAttribute(panel, control, attr, &v), 0);
        return v;
    }
    void WriteRecord(const std::string& path, const Para& p)
    {
        ASSERT_EQ(WriteConfigFile(path.c_str(), p), CFG_OK);
    }
};

}  // namespace

TEST_F(StartupTest, StartsInWorkModeThreeWithEveryPanelAndTheTabPagesInOrder)
{
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(workmode, 3);
    for (int h : {panelHandle, intro, setting, measure, results, protocol, diagnos, smallres, prepare, panelWizard,
                  panelLimits, advanced, advanced2, panelIO, panelEdit, panExport, panelError})
        EXPECT_GT(h, 0);
    EXPECT_EQ(FindPanel(panExport)->number, 5);   // the eleven panels load in the order of the table
    EXPECT_EQ(FindPanel(panelHandle)->number, 10);
    EXPECT_EQ(FindPanel(panelError)->number, 17);
    std::vector<int> order = FindCtrl(panelHandle, tabCtrl)->pages;
    EXPECT_EQ(order, (std::vector<int>{intro, setting, measure, results, protocol, diagnos}));
    EXPECT_EQ(FindPanel(intro)->number, 6);
    EXPECT_EQ(FindPanel(diagnos)->number, 3);
    EXPECT_EQ(Pages(), "UDDDDD");
    EXPECT_STREQ(qel_gsx, ".qel");
    EXPECT_STREQ(intro_picture, "orivan.bmp");
    std::string s;
    GetCtrlVal(intro, INTRO_NAME, &s);
    EXPECT_EQ(s, "ORIVAN");
    GetPanelAttribute(panelHandle, ATTR_TITLE, &s);
    EXPECT_EQ(s, "ORIVAN V3.0");
    EXPECT_TRUE(FindPanel(panelHandle)->visible);
    // the always-hidden controls and the three diagnosis fields of the start-up mode
    for (auto [p, c] : {std::pair{diagnos, DIAGNOS_SPARE}, {intro, INTRO_PARTNER}, {panExport, EXPORT_SPARE},
                        {diagnos, DIAGNOS_LABEL}, {diagnos, DIAGNOS_MIN}, {diagnos, DIAGNOS_MAX}})
        EXPECT_EQ(Attr(p, c, ATTR_VISIBLE), 0);
    // no default configuration: the zero record with the analog-input start values, no file created
    EXPECT_FLOAT_EQ(para.ai_high[3][2], 10.0f);
    EXPECT_STREQ(para.ai_name[0], "Ch 1");
    EXPECT_EQ(para.h_class, 0);
    EXPECT_FALSE(Exists(dir + "/default.cfg"));
    EXPECT_EQ(FindCtrl(intro, INTRO_PICTURE)->bitmap, 0);   // no picture file: the picture stays empty
    EXPECT_TRUE(PopupLog().empty());
}

TEST_F(StartupTest, RestoresTheDefaultConfigurationAndShowsTheIntroductionPicture)
{
    Para p{};
    p.h_class = 3;
    p.h_standard = 2;
    p.phases = 3;
    CopyFixed(p.test_data[0], "Miller");
    p.ai_high[0][0] = 55.0f;
    WriteRecord(dir + "/default.cfg", p);
    std::string src = std::string(ORIVAN_SOURCE_DIR) + "/resources/orivan.bmp";
    std::string cmd = "cp '" + src + "' '" + dir + "/orivan.bmp'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(para.h_class, 3);
    EXPECT_EQ(para.phases, 3);
    EXPECT_STREQ(para.test_data[0], "Miller");
    EXPECT_FLOAT_EQ(para.ai_high[0][0], 10.0f);   // default_para runs after the load
    int bmp = FindCtrl(intro, INTRO_PICTURE)->bitmap;
    ASSERT_GT(bmp, 0);
    EXPECT_GT(FindBitmap(bmp)->width, 100);
}

TEST_F(StartupTest, SimulationIsMarkedInTheTitleAndKeepsTheVersionAfterTheLastV)
{
    ASSERT_EQ(Start({}, true), 0);
    std::string title;
    GetPanelAttribute(panelHandle, ATTR_TITLE, &title);
    EXPECT_NE(title.find("SIMULATION"), std::string::npos);
    EXPECT_EQ(title.substr(title.rfind('V') + 1), "3.0");

    char a0[] = "orivan", a1[] = "--simulate=resistive", a2[] = "a.qel", b1[] = "--bogus";
    char* argv1[] = {a0, a1, a2, nullptr};
    char* argv2[] = {a0, b1, nullptr};
    StartOptions o = ParseStartOptions(3, argv1);
    EXPECT_TRUE(o.simulate);
    EXPECT_EQ(o.simulate_eut, "resistive");
    EXPECT_EQ(o.args, (std::vector<std::string>{"a.qel"}));
    EXPECT_TRUE(o.error.empty());
    o = ParseStartOptions(2, argv2);
    EXPECT_NE(o.error.find("--bogus"), std::string::npos);
}

TEST_F(StartupTest, OneArgumentIsReportedUntilLoadingExistsAndMoreAreIgnored)
{
    QueueMessageAck();
    ASSERT_EQ(Start({"/data/test.qel"}), 0);
    ASSERT_EQ(PopupLog().size(), 1u);
    EXPECT_NE(PopupLog()[0].text.find("not yet supported"), std::string::npos);
    EXPECT_NE(PopupLog()[0].text.find("/data/test.qel"), std::string::npos);
    EXPECT_EQ(workmode, 3);

    ResetUi();
    ResetProgramState();
    SetUnexpectedPopupHandler([](const std::string& w) { ADD_FAILURE() << w; });
    ASSERT_EQ(Start({"a.qel", "b.qel"}), 0);
    EXPECT_EQ(workmode, 3);
    EXPECT_EQ(Pages(), "UDDDDD");
}

TEST_F(StartupTest, AMissingPanelEndsTheStartBeforeAnyWindowIsShown)
{
    std::string res = dir + "/res";
    std::string cmd = "mkdir -p '" + res + "' && cp " + ORIVAN_SOURCE_DIR + "/resources/p0*.ui '" + res + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);   // panels 1..9 only: the main window (10) is missing
    SetResourceDir(res);
    EXPECT_EQ(Start(), -1);
    for (int h : PanelHandles()) EXPECT_FALSE(FindPanel(h)->visible);
}

TEST_F(StartupTest, EachWorkModeDimsThePagesOfItsRow)
{
    ASSERT_EQ(Start(), 0);
    SetPanelsToMode(0);
    EXPECT_EQ(Pages(), "DDDDUD");
    EXPECT_EQ(Attr(setting, SETTING_OK, ATTR_DIMMED), 1);

    SetCtrlAttribute(diagnos, DIAGNOS_PHASE, ATTR_DIMMED, 1);
    SetPanelsToMode(1);
    EXPECT_EQ(Pages(), "UUUUDU");
    EXPECT_EQ(Attr(setting, SETTING_OK, ATTR_DIMMED), 1);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_PHASE, ATTR_DIMMED), 0);

    // state of a finished run that the settings mode must clear
    SetCtrlAttribute(measure, MEASURE_U2, ATTR_TEXT_BGCOLOR, VAL_RED);
    SetCtrlAttribute(measure, MEASURE_I3, ATTR_TEXT_BGCOLOR, VAL_RED);
    SetCtrlVal(measure, MEASURE_FILE, "/tmp/logging.qel");
    SetCtrlVal(results, RESULTS_IALL1, 1);
    double y[3] = {1, 2, 3};
    PlotY(measure, MEASURE_GRAPH2, y, 3, VAL_DOUBLE, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, VAL_GREEN);
    PlotY(diagnos, DIAGNOS_GRAPH, y, 3, VAL_DOUBLE, VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, VAL_RED);
    InsertListItem(diagnos, DIAGNOS_PLOTLIST, -1, "1 U", 41);
    InsertTextBoxLine(protocol, PROTOCOL_TEXT, -1, "protocol line");
    SetCtrlAttribute(diagnos, DIAGNOS_LABEL, ATTR_VISIBLE, 1);
    SetCtrlAttribute(diagnos, DIAGNOS_PHASE, ATTR_DIMMED, 1);
    SetPanelsToMode(2);
    EXPECT_EQ(Pages(), "UUDUUD");
    EXPECT_EQ(Attr(setting, SETTING_OK, ATTR_DIMMED), 0);
    EXPECT_EQ(Attr(diagnos, DIAGNOS_PHASE, ATTR_DIMMED), 0);
    for (int c : {MEASURE_U1, MEASURE_U2, MEASURE_U3, MEASURE_I1, MEASURE_I2, MEASURE_I3})
        EXPECT_EQ(Attr(measure, c, ATTR_TEXT_BGCOLOR), VAL_TRANSPARENT);
    std::string s = "x";
    GetCtrlVal(measure, MEASURE_FILE, &s);
    EXPECT_EQ(s, "");
    int lamp = -1, n = -1;
    GetCtrlVal(results, RESULTS_IALL1, &lamp);
    EXPECT_EQ(lamp, 0);
    EXPECT_TRUE(FindCtrl(measure, MEASURE_GRAPH2)->graph.plots.empty());
    EXPECT_TRUE(FindCtrl(diagnos, DIAGNOS_GRAPH)->graph.plots.empty());
    GetNumListItems(diagnos, DIAGNOS_PLOTLIST, &n);
    EXPECT_EQ(n, 0);
    GetNumTextBoxLines(protocol, PROTOCOL_TEXT, &n);
    EXPECT_EQ(n, 0);
    for (int c : {DIAGNOS_LABEL, DIAGNOS_MIN, DIAGNOS_MAX}) EXPECT_EQ(Attr(diagnos, c, ATTR_VISIBLE), 0);
    for (int c : {DIAGNOS_PHASELIST, DIAGNOS_QUANTITY, DIAGNOS_PLOTLIST}) EXPECT_EQ(Attr(diagnos, c, ATTR_DIMMED), 1);

    SetPanelsToMode(3);
    EXPECT_EQ(Pages(), "UDDDDD");

    // another value only hides the always-hidden controls
    SetPanelsToMode(0);
    SetCtrlAttribute(intro, INTRO_PARTNER, ATTR_VISIBLE, 1);
    SetPanelsToMode(7);
    EXPECT_EQ(Pages(), "DDDDUD");
    EXPECT_EQ(Attr(intro, INTRO_PARTNER, ATTR_VISIBLE), 0);
}

TEST_F(StartupTest, OnlyTheCloseBoxSavesAnExistingDefaultConfiguration)
{
    std::string cfg = dir + "/default.cfg";
    ASSERT_EQ(Start(), 0);
    para.h_class = 11;
    // no default.cfg: closing creates none
    EXPECT_TRUE(ClosePanel(panelHandle));
    EXPECT_TRUE(QuitRequested());
    EXPECT_FALSE(Exists(cfg));

    WriteRecord(cfg, Para{});
    // the quit button ends the program without saving
    ResetUi();
    ResetProgramState();
    SetUnexpectedPopupHandler([](const std::string& w) { ADD_FAILURE() << w; });
    ASSERT_EQ(Start(), 0);
    para.h_class = 12;
    EXPECT_TRUE(Commit(panelHandle, PANEL_QUIT));
    EXPECT_TRUE(QuitRequested());
    Para back{};
    ASSERT_EQ(ReadConfigFile(cfg.c_str(), back), CFG_OK);
    EXPECT_EQ(back.h_class, 0);
    // the close box writes the record over it
    EXPECT_TRUE(ClosePanel(panelHandle));
    ASSERT_EQ(ReadConfigFile(cfg.c_str(), back), CFG_OK);
    EXPECT_EQ(back.h_class, 12);
    EXPECT_EQ(Slurp(cfg).size(), sizeof(Para));
}

TEST_F(StartupTest, ClosingWithoutARunningTestOnlyQuits)
{
    // (Closing during a run stops it: tests/measure, RunFailure.ClosingTheProgramStopsARunningTest.)
    ASSERT_EQ(Start(), 0);
    ProgramClose();
    EXPECT_EQ(Attr(measure, MEASURE_MESSAGE, ATTR_VISIBLE), 0);
    EXPECT_TRUE(QuitRequested());
}

TEST_F(StartupTest, SavingASetUpWritesTheRecordWithThePanelsCommentsAndTestData)
{
    ASSERT_EQ(Start(), 0);
    workmode = 2;
    SetPanelsToMode(2);
    ResetTextBox(setting, SETTING_COMMENT, "first line\nsecond line");
    SetCtrlVal(setting, SETTING_NAME, "Miller");
    SetCtrlVal(setting, SETTING_SERIAL, "SN-0815");
    para.reserved1[3] = 0x5A;   // reserved bytes are stored unchanged
    std::strcpy(para.comment[5], "stale");
    std::string path = dir + "/setup.cfg";
    QueueFileSelect(path);
    EXPECT_TRUE(Commit(setting, SETTING_SAVE));
    ASSERT_EQ(PopupLog().size(), 1u);
    const FileRequest& rq = PopupLog()[0].request;
    EXPECT_EQ(rq.title, "Select Configuration file!");
    EXPECT_EQ(rq.defaultSpec, "*.cfg");
    EXPECT_EQ(rq.directory, dir);
    EXPECT_EQ(rq.button, VAL_SAVE_BUTTON);
    EXPECT_TRUE(rq.restrictExtension && rq.allowCancel && rq.allowMakeDirectory);
    std::string bytes = Slurp(path);
    ASSERT_EQ(bytes.size(), sizeof(Para));
    EXPECT_EQ(std::memcmp(bytes.data(), &para, sizeof(Para)), 0);
    EXPECT_STREQ(para.comment[1], "second line");
    EXPECT_STREQ(para.comment[5], "");
    EXPECT_STREQ(para.test_data[0], "Miller");
    EXPECT_STREQ(para.test_data[6], "SN-0815");

    // cancel: nothing is written, the record still takes the panel values
    ResetTextBox(setting, SETTING_COMMENT, "changed");
    QueueFileSelect("");
    workmode = 1;
    EXPECT_EQ(SaveConfiguration(), 0);
    EXPECT_EQ(workmode, 2);
    EXPECT_STREQ(para.comment[0], "changed");
    EXPECT_STREQ(para.comment[1], "");
    Para back{};
    ASSERT_EQ(ReadConfigFile(path.c_str(), back), CFG_OK);
    EXPECT_STREQ(back.comment[0], "first line");
}

TEST_F(StartupTest, LoadingASetUpReplacesTheRecordOrRefusesAShortFile)
{
    ASSERT_EQ(Start(), 0);
    Para p{};
    p.h_standard = 4;
    p.h_class = 10;
    p.rsce = 66.0f;
    p.reserved2[1] = 7;
    std::string path = dir + "/three.cfg";
    WriteRecord(path, p);
    QueueFileSelect(path);
    EXPECT_EQ(LoadConfiguration(), 1);
    EXPECT_EQ(std::memcmp(&p, &para, sizeof(Para)), 0);
    EXPECT_EQ(workmode, 2);
    EXPECT_EQ(PopupLog().back().request.button, VAL_LOAD_BUTTON);

    QueueFileSelect("");
    workmode = 3;
    EXPECT_EQ(LoadConfiguration(), 0);
    EXPECT_EQ(workmode, 3);

    std::string shortFile = dir + "/short.cfg";
    std::ofstream(shortFile, std::ios::binary) << std::string(100, 'x');
    QueueFileSelect(shortFile);
    QueueMessageAck();
    EXPECT_EQ(LoadConfiguration(), -1);
    EXPECT_EQ(PopupLog().back().title, "Error");
    EXPECT_NE(PopupLog().back().text.find("short.cfg"), std::string::npos);
    EXPECT_EQ(para.h_class, 10);   // the record is left as it was
    EXPECT_EQ(workmode, 3);
}

TEST_F(StartupTest, CliStartupReportsTheModeAndPages)
{
    char buf[4096] = {};
    std::FILE* out = fmemopen(buf, sizeof buf - 1, "w");
    EXPECT_EQ(CliStartup(0, nullptr, out), 0);
    std::fclose(out);
    std::string s(buf);
    EXPECT_NE(s.find("ORIVAN V3.0"), std::string::npos);
    EXPECT_NE(s.find("work mode 3"), std::string::npos);
    EXPECT_NE(s.find("Introduction  usable"), std::string::npos);
    EXPECT_NE(s.find("Settings      dimmed"), std::string::npos);
    EXPECT_TRUE(QuitRequested());
}
