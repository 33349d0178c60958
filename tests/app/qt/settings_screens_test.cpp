// The settings page on the Qt back-end, offscreen: a harmonic and a flicker
// three-phase set-up as a user makes them, with a screenshot of each.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>

#include "app/config.h"
#include "app/settings_panel.h"
#include "app/startup.h"
#include "panel_ids.h"
#include "platform/lowfile.h"
#include "platform/ui/headless.h"
#include "platform/ui/model.h"
#include "platform/ui/qt/qtbackend.h"
#include "platform/ui/ui.h"
#include "state/para.h"
#include "state/panels.h"
#include "state/reset.h"

using namespace ui;

namespace {

const std::string kShots = std::string(ORIVAN_BINARY_DIR) + "/screenshots";

void Settle()
{
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool Shown(int control) { return ControlWidget(setting, control) && ControlWidget(setting, control)->isVisible(); }

struct SettingsScreens : ::testing::Test {
    static void SetUpTestSuite()
    {
        ResetProgramState();
        SetResourceDir(std::string(ORIVAN_SOURCE_DIR) + "/resources");
        std::string dir = std::string(ORIVAN_BINARY_DIR) + "/settings_screens_project";
        QDir().mkpath(QString::fromStdString(dir));
        QFile::remove(QString::fromStdString(dir + "/default.cfg"));
        QFile::remove(QString::fromStdString(dir + "/CLAMPS.INF"));
        QFile::copy(QString::fromStdString(std::string(ORIVAN_SOURCE_DIR) + "/resources/CLAMPS.INF"),
                    QString::fromStdString(dir + "/CLAMPS.INF"));
        SetProjectDir(dir.c_str());
        ASSERT_EQ(StartUp(StartOptions{}), 0);
        cbSettings(setting, 0, EVENT_COMMIT, nullptr, 0, 0);
        ASSERT_TRUE(Commit(setting, SETTING_NEW));   // the page's own defaults
        EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, setting);
        SetCtrlVal(setting, SETTING_NAME, "J. Miller");
        SetCtrlVal(setting, SETTING_COMPANY, "EMC test lab");
        SetCtrlVal(setting, SETTING_DEVICE, "Power supply");
        SetCtrlVal(setting, SETTING_MANUFACTURER, "ACME");
        SetCtrlVal(setting, SETTING_TYPE, "PSU-600");
        SetCtrlVal(setting, SETTING_SERIAL, "0815");
        ResetTextBox(setting, SETTING_COMMENT, "Input 230 V / 50 Hz\nFull load");
        Settle();
    }
    void Save(const char* name)
    {
        EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, setting);
        Settle();
        QDir().mkpath(QString::fromStdString(kShots));
        QImage shot = PanelWidget(panelHandle)->grab().toImage();
        EXPECT_GE(shot.width(), 1000);
        ASSERT_TRUE(shot.save(QString::fromStdString(kShots + "/" + name + ".png")));
    }
};

}  // namespace

TEST_F(SettingsScreens, HarmonicThreePhaseSetUp)
{
    ASSERT_TRUE(UserSetValue(setting, SETTING_ANALYSER, 1.0));   // PAM-C with clamps
    ASSERT_TRUE(UserSetValue(setting, SETTING_PHASES, 3.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_MODE, 0.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_VERSION, 3.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_CLASS, 3.0));
    ASSERT_TRUE(Click(setting, SETTING_EXT2));
    ASSERT_TRUE(UserSetValue(setting, SETTING_CLAMP2, 100.0));
    for (int c : {SETTING_P_SOLL1, SETTING_P_SOLL2, SETTING_P_SOLL3}) SetCtrlVal(setting, c, 450.0);
    Settle();
    EXPECT_TRUE(Shown(SETTING_HARM_GROUP));
    EXPECT_FALSE(Shown(SETTING_FLK_GROUP));
    EXPECT_TRUE(Shown(SETTING_P_SOLL3));
    EXPECT_FALSE(Shown(SETTING_PF_SOLL1));
    EXPECT_TRUE(Shown(SETTING_CLAMP3));
    auto* irange = qobject_cast<QComboBox*>(ControlWidget(setting, SETTING_IRANGE2));
    ASSERT_NE(irange, nullptr);
    EXPECT_EQ(irange->count(), 6);
    EXPECT_EQ(irange->itemText(0).toStdString(), "3.125000 A");
    Save("settings_harmonic_3phase");
}

TEST_F(SettingsScreens, FlickerThreePhaseSetUp)
{
    ASSERT_TRUE(UserSetValue(setting, SETTING_ANALYSER, 0.0));   // three PAM-A
    ASSERT_TRUE(UserSetValue(setting, SETTING_PHASES, 3.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_MODE, 1.0));
    ASSERT_TRUE(UserSetValue(setting, SETTING_FL_STANDARD, 3.0));
    Settle();
    EXPECT_FALSE(Shown(SETTING_HARM_GROUP));
    EXPECT_TRUE(Shown(SETTING_FLK_GROUP));
    EXPECT_TRUE(Shown(SETTING_GPIB3));
    EXPECT_FALSE(Shown(SETTING_IFTYPE));
    EXPECT_FALSE(Shown(SETTING_CLAMP1));
    EXPECT_TRUE(Shown(SETTING_ZTEST));
    EXPECT_FALSE(Shown(SETTING_SWITCH_INTERVAL));
    Save("settings_flicker_3phase");
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    if (!UseQtBackend(argc, argv)) return 1;
    return RUN_ALL_TESTS();
}
