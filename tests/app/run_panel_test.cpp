// The run's page buttons: a new measurement from the graph panel, and the
// introduction page's start button.
#include <gtest/gtest.h>

#include <string>

#include "app/run_panel.h"
#include "app/startup.h"
#include "panel_ids.h"
#include "platform/ui/headless.h"
#include "platform/ui/ui.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/reset.h"
#include "state/workmode.h"
#include "tests/support/project_dir_test.h"

namespace {

struct RunPanel : ProjectDirTest {
    void SetUp() override
    {
        HeadlessUiTest::SetUp();
        ResetProgramState();
        EnterProjectDir("run_panel_");
        ASSERT_EQ(StartUp(StartOptions{}), 0);
    }
    int Dimmed(int page)
    {
        int d = -1;
        EasyTab_GetTabAttribute(panelHandle, tabCtrl, page, ATTR_EASY_TAB_DIMMED, &d);
        return d;
    }
    int Active()
    {
        int p = 0;
        EasyTab_GetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, &p);
        return p;
    }
};

}  // namespace

TEST_F(RunPanel, StartOnTheIntroductionOpensTheSettingsOrLoadsAFile)
{
    ASSERT_EQ(workmode, 3);
    para.analyser = 1;
    SetCtrlVal(intro, INTRO_CHOICE, 0);
    ASSERT_EQ(cbStartMeas(intro, INTRO_START, EVENT_COMMIT, nullptr, 0, 0), 0);
    EXPECT_EQ(Dimmed(setting), 0);
    EXPECT_EQ(Active(), setting);
    int analyser = -1;
    GetCtrlVal(setting, SETTING_ANALYSER, &analyser);
    EXPECT_EQ(analyser, 1);

    // The other choice loads a stored measurement through the graph panel's load button.
    SetCtrlVal(intro, INTRO_CHOICE, 1);
    ui::QueueFileSelect("");   // the file dialog, cancelled
    ASSERT_EQ(cbStartMeas(intro, INTRO_START, EVENT_COMMIT, nullptr, 0, 0), 0);
    EXPECT_EQ(ui::PopupLog().back().kind, "file");
    EXPECT_EQ(ui::MouseCursorShape(), VAL_DEFAULT_CURSOR);
}

TEST_F(RunPanel, NewMeasurementReturnsToTheSettings)
{
    workmode = 1;
    SetPanelsToMode(1);
    SetCtrlVal(diagnos, DIAGNOS_FILE, "/lab/old.qel");
    ASSERT_EQ(cbNewMeas(diagnos, DIAGNOS_NEW, EVENT_COMMIT, nullptr, 0, 0), 0);
    EXPECT_EQ(workmode, 2);
    EXPECT_EQ(Active(), setting);
    EXPECT_EQ(Dimmed(results), 1);
    std::string f;
    GetCtrlVal(diagnos, DIAGNOS_FILE, &f);
    EXPECT_TRUE(f.empty());
}

TEST_F(RunPanel, SpeedOfTheSimulation)
{
    char a0[] = "orivan", s[] = "--simulate", v1[] = "--speed", v2[] = "20", bad[] = "--speed=0.5";
    char* ok[] = {a0, s, v1, v2, nullptr};
    StartOptions o = ParseStartOptions(4, ok);
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_DOUBLE_EQ(o.speed, 20.0);
    char* no[] = {a0, s, bad, nullptr};
    o = ParseStartOptions(3, no);
    EXPECT_NE(o.error.find("--speed"), std::string::npos);
}
