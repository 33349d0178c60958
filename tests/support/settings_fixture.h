// Start-up on the headless back-end in a project directory of its own, so
// that the settings page can be driven like a user.
#pragma once

#include <cstdlib>
#include <string>

#include "app/config.h"
#include "app/settings_panel.h"
#include "app/startup.h"
#include "state/records.h"
#include "measure/interface_controls.h"
#include "panel_ids.h"
#include "platform/lowfile.h"
#include "platform/ui/ui.h"
#include "platform/ui/ui_testing.h"
#include "tests/support/project_dir_test.h"
#include "state/para.h"
#include "state/panels.h"
#include "state/reset.h"

struct SettingsTest : ProjectDirTest {
    void SetUp() override
    {
        HeadlessUiTest::SetUp();
        ResetProgramState();
        EnterProjectDir("settings_test_");
    }
    // Start-up, then the set-up tab opened for editing.
    void Start()
    {
        ASSERT_EQ(StartUp(StartOptions{}), 0);
        cbSettings(setting, 0, EVENT_COMMIT, nullptr, 0, 0);
    }
    void CopySampleClamps()
    {
        std::string cmd = "cp '" + std::string(ORIVAN_SOURCE_DIR) + "/resources/CLAMPS.INF' '" + dir + "/'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    int Attr(int panel, int control, int attr)
    {
        int v = -1;
        EXPECT_EQ(GetCtrlAttribute(panel, control, attr, &v), 0) << "control " << control;
        return v;
    }
    bool Visible(int control, int panel = 0) { return Attr(panel ? panel : setting, control, ATTR_VISIBLE) != 0; }
    bool Dimmed(int control, int panel = 0) { return Attr(panel ? panel : setting, control, ATTR_DIMMED) != 0; }
    // The user picks the item with this value in a ring.
    void Choose(int control, double value, int panel = 0)
    {
        ASSERT_TRUE(ui::UserSetValue(panel ? panel : setting, control, value)) << "control " << control;
    }
    std::string Label(int panel, int control, int index)
    {
        std::string s;
        EXPECT_EQ(GetLabelFromIndex(panel, control, index, &s), 0);
        return s;
    }
    int Items(int panel, int control)
    {
        int n = -1;
        GetNumListItems(panel, control, &n);
        return n;
    }
    std::string Str(int panel, int control)
    {
        std::string s;
        GetCtrlVal(panel, control, &s);
        return s;
    }
};
