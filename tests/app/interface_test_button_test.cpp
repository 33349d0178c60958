// The settings page's interface-test button against the simulated bench.
#include "tests/support/settings_fixture.h"

#include "instrument/notify.h"
#include "instrument/pamx.h"
#include "platform/clock.h"
#include "platform/visa/backend.h"
#include "app/simulation.h"
#include "sim/bench.h"
#include "state/reset.h"

namespace {

struct InterfaceButtonTest : SettingsTest {
    void SetUp() override
    {
        SettingsTest::SetUp();
        sim::FollowSettingsRecord();
        UseVirtualClock(true);
    }
    void TearDown() override
    {
        SetDriverMessageHandler(nullptr);
        ResetProgramState();
        SettingsTest::TearDown();
    }
};

TEST_F(InterfaceButtonTest, ThreeSimulatedAnalysersAreReady)
{
    Start();
    sim::EnableSimulation(true);
    Choose(SETTING_ANALYSER, 0);
    Choose(SETTING_PHASES, 3);
    ASSERT_TRUE(ui::UserSetValue(setting, SETTING_GPIB1, 7.0));
    ASSERT_TRUE(ui::UserSetValue(setting, SETTING_GPIB2, 8.0));
    ASSERT_TRUE(ui::UserSetValue(setting, SETTING_GPIB3, 9.0));
    ui::ClearPopupLog();
    ui::QueueMessageAck();
    ASSERT_TRUE(ui::Commit(setting, SETTING_IFTEST));
    ASSERT_EQ(ui::PopupLog().size(), 1u);
    EXPECT_EQ(ui::PopupLog()[0].title, "Welcome");
    EXPECT_EQ(ui::PopupLog()[0].text, "The measuring set-up is ready");
    EXPECT_EQ(para.gpib_address[2], 9);   // the page went into the record first
    const auto& opened = sim::OpenedResources();
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_NE(opened[1].find("8"), std::string::npos);
}

TEST_F(InterfaceButtonTest, SilentSecondAnalyserIsNamed)
{
    Start();
    sim::EnableSimulation(true);
    auto quiet = std::make_shared<sim::Analyser>(sim::Kind::PamA);
    quiet->faults.no_answer = true;
    sim::Attach("GPIB::2", quiet);
    Choose(SETTING_ANALYSER, 0);
    Choose(SETTING_PHASES, 3);
    ASSERT_TRUE(ui::UserSetValue(setting, SETTING_GPIB1, 1.0));
    ASSERT_TRUE(ui::UserSetValue(setting, SETTING_GPIB2, 2.0));
    ASSERT_TRUE(ui::UserSetValue(setting, SETTING_GPIB3, 3.0));
    ui::ClearPopupLog();
    ui::QueueMessageAck();
    ASSERT_TRUE(ui::Commit(setting, SETTING_IFTEST));
    ASSERT_EQ(ui::PopupLog().size(), 1u);
    EXPECT_EQ(ui::PopupLog()[0].title, "No communication possible");
    EXPECT_EQ(sim::OpenedResources().size(), 2u);   // stops at the failing analyser
}

}  // namespace
