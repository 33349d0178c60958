#include <cmath>

#include "state/records.h"
#include "evaluation/user_limits_panel.h"
#include "tests/support/settings_fixture.h"

using namespace ui;

namespace {

struct WizardTest : SettingsTest {
    // Opens the wizard for an edition and answers the questions in order.
    std::string Run(int edition, std::vector<int> answers)
    {
        Choose(SETTING_VERSION, edition);
        EXPECT_TRUE(Commit(setting, SETTING_WIZARD));
        EXPECT_TRUE(Dimmed(WIZARD_PREV, panelWizard));
        for (int a : answers) {
            int now = 0;
            GetCtrlVal(panelWizard, WIZARD_SWITCH, &now);
            EXPECT_EQ(now, 0);   // every question starts at "no"
            if (a) {
                EXPECT_TRUE(Click(panelWizard, WIZARD_SWITCH));
            }
            EXPECT_TRUE(Commit(panelWizard, WIZARD_NEXT));
        }
        return Str(panelWizard, WIZARD_RESULT);
    }
};

}  // namespace

TEST_F(WizardTest, ReachesEveryClassForBothEditionGroups)
{
    Start();
    struct Case { int edition; std::vector<int> answers; const char* name; int cls; };
    const Case cases[] = {
        {2, {1}, "Class A", 0},          {2, {0, 1}, "Class B", 1},          {2, {0, 0, 1}, "Class C", 2},
        {2, {0, 0, 0, 0}, "Class A", 0}, {2, {0, 0, 0, 1, 1}, "Class D", 3}, {2, {0, 0, 0, 1, 0}, "Class A", 0},
        {0, {1}, "Class A", 0},          {0, {0, 1}, "Class B", 1},          {0, {0, 0, 1}, "Class C", 2},
        {1, {0, 0, 0, 0}, "Class A", 0}, {1, {0, 0, 0, 1, 1}, "Class A", 0}, {0, {0, 0, 0, 1, 0}, "Class D", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "edition " << c.edition << " answers " << c.answers.size());
        EXPECT_EQ(Run(c.edition, c.answers), c.name);
        EXPECT_EQ(para.h_class, c.cls);
        EXPECT_TRUE(Dimmed(WIZARD_NEXT, panelWizard));
        ASSERT_TRUE(Commit(panelWizard, WIZARD_FINISH));
        int ring = -1;
        GetCtrlVal(setting, SETTING_CLASS, &ring);
        EXPECT_EQ(ring, c.cls);
    }
}

TEST_F(WizardTest, QuestionsFollowTheEditionAndBackStepsBack)
{
    Start();
    Run(3, {0, 0, 0, 1});
    EXPECT_EQ(Str(panelWizard, WIZARD_QUESTION),
              "Personal computers and personal computer monitors ?\nTelevision receivers ?");
    EXPECT_EQ(Str(panelWizard, WIZARD_STEP), "Step 5");
    ASSERT_TRUE(Commit(panelWizard, WIZARD_PREV));
    EXPECT_EQ(Str(panelWizard, WIZARD_QUESTION), "Equipment having P<600 W ?");
    ASSERT_TRUE(Commit(panelWizard, WIZARD_PREV));
    ASSERT_TRUE(Commit(panelWizard, WIZARD_PREV));
    ASSERT_TRUE(Commit(panelWizard, WIZARD_PREV));
    EXPECT_EQ(Str(panelWizard, WIZARD_STEP), "Step 1");
    EXPECT_NE(Str(panelWizard, WIZARD_QUESTION).find("Audio equipment ?"), std::string::npos);
    EXPECT_TRUE(Dimmed(WIZARD_PREV, panelWizard));
    // back from a decided class returns to the deciding question
    ASSERT_TRUE(Click(panelWizard, WIZARD_SWITCH));
    ASSERT_TRUE(Commit(panelWizard, WIZARD_NEXT));
    EXPECT_EQ(Str(panelWizard, WIZARD_RESULT), "Class A");
    ASSERT_TRUE(Commit(panelWizard, WIZARD_PREV));
    EXPECT_EQ(Str(panelWizard, WIZARD_RESULT), "");
    EXPECT_FALSE(Dimmed(WIZARD_NEXT, panelWizard));
    ASSERT_TRUE(Commit(panelWizard, WIZARD_FINISH));

    Run(0, {0, 0, 0});
    EXPECT_EQ(Str(panelWizard, WIZARD_QUESTION), "Equipment having the special wave shape and P<600 W ?");
    ASSERT_TRUE(Click(panelWizard, WIZARD_SWITCH));
    ASSERT_TRUE(Commit(panelWizard, WIZARD_NEXT));
    EXPECT_EQ(Str(panelWizard, WIZARD_QUESTION), "Motor driven ?");
}

TEST_F(SettingsTest, OwnLimitTableLinesAreInsertedReplacedDeletedAndRead)
{
    Start();
    ASSERT_TRUE(Click(setting, SETTING_LIMITS_ON));
    EXPECT_EQ(LIM_ON, 1);
    EXPECT_EQ(para.custom_limits, 1);
    for (int c : {SETTING_VERSION, SETTING_CLASS, SETTING_WIZARD}) EXPECT_TRUE(Dimmed(c)) << c;
    EXPECT_FALSE(Dimmed(SETTING_LIMITS));
    ASSERT_TRUE(Commit(setting, SETTING_LIMITS));

    auto insert = [&](int order, double limit) {
        ASSERT_TRUE(UserSetValue(panelLimits, LIMITS_ORDER, double(order)));
        ASSERT_TRUE(UserSetValue(panelLimits, LIMITS_VALUE, limit));
        ASSERT_TRUE(Commit(panelLimits, LIMITS_INSERT));
    };
    insert(3, 2.3);
    insert(5, 1.14);
    insert(7, 0.77);
    insert(3, 1.5);   // same order: replaced in place
    ASSERT_EQ(Items(panelLimits, LIMITS_LIST), 3);
    EXPECT_EQ(Label(panelLimits, LIMITS_LIST, 0), "7\033p80l0.770000");   // new lines go on top
    EXPECT_EQ(Label(panelLimits, LIMITS_LIST, 2), "3\033p80l1.500000");
    ASSERT_TRUE(UserSelectIndex(panelLimits, LIMITS_LIST, 1));
    ASSERT_TRUE(Commit(panelLimits, LIMITS_DELETE));   // order 5
    ASSERT_EQ(Items(panelLimits, LIMITS_LIST), 2);
    limits[9] = 0.4f;   // a previous table is replaced as a whole
    ASSERT_TRUE(Commit(panelLimits, LIMITS_OK));
    EXPECT_FLOAT_EQ(limits[3], 1.5f);
    EXPECT_FLOAT_EQ(limits[7], 0.77f);
    for (int n : {0, 1, 2, 5, 9, 40}) EXPECT_TRUE(IsNaN(limits[n])) << n;

    // cancel leaves the table alone
    ASSERT_TRUE(Commit(setting, SETTING_LIMITS));
    insert(11, 9.0);
    ASSERT_TRUE(Commit(panelLimits, LIMITS_CANCEL));
    EXPECT_TRUE(IsNaN(limits[11]));

    // confirming asks; yes keeps the table in use
    QueueConfirm(1);
    ASSERT_TRUE(Commit(setting, SETTING_OK));
    EXPECT_EQ(para.custom_limits, 1);
    EXPECT_EQ(PopupLog().back().text, "Custom limits are active. Would you like to use it?");
    EXPECT_EQ(PopupLog().back().title, "Warning");
    // no clears it and enables the edition again
    SetPanelsToMode(2);
    QueueConfirm(0);
    ASSERT_TRUE(Commit(setting, SETTING_OK));
    EXPECT_EQ(para.custom_limits, 0);
    EXPECT_EQ(LIM_ON, 0);
    EXPECT_FALSE(Dimmed(SETTING_VERSION));
}

TEST_F(SettingsTest, AnEmptyOwnLimitTableIsNotUsed)
{
    Start();
    ASSERT_TRUE(Click(setting, SETTING_LIMITS_ON));
    QueueConfirm(1);
    QueueMessageAck();
    ASSERT_TRUE(Commit(setting, SETTING_OK));
    EXPECT_EQ(para.custom_limits, 0);
    EXPECT_NE(PopupLog().back().text.find("own limit table is empty"), std::string::npos);
    ASSERT_TRUE(Commit(setting, SETTING_OK));   // no further question
}

TEST_F(SettingsTest, AnalogInputDialogMirrorsNamesAndSavesOnlyOnOk)
{
    Start();
    set_parameter(para);   // the start values of the record on the dialog
    ASSERT_TRUE(Commit(setting, SETTING_ANALOG));
    EXPECT_TRUE(Dimmed(PANELIO_LOW2_3, panelIO));   // switches off: fields dimmed
    ASSERT_TRUE(Click(panelIO, PANELIO_GROUP1));
    ASSERT_TRUE(Click(panelIO, PANELIO_GROUP3));
    EXPECT_FALSE(Dimmed(PANELIO_NAME3_2, panelIO));
    EXPECT_EQ(ai_on[0], 1);
    EXPECT_EQ(ai_on[1], 0);
    ASSERT_TRUE(UserSetValue(panelIO, PANELIO_NAME1_2, std::string("Torque")));
    EXPECT_EQ(Str(panelIO, PANELIO_NAME3_2), "Torque");
    EXPECT_EQ(Str(panelIO, PANELIO_NAME2_2), "Ch 2");   // analyser 2 is off
    ASSERT_TRUE(UserSetValue(panelIO, PANELIO_HIGH3_4, 250.0));
    ASSERT_TRUE(UserSetValue(panelIO, PANELIO_LOW1_1, -5.0));
    ASSERT_TRUE(Commit(panelIO, PANELIO_CANCEL));
    EXPECT_EQ(para.ai_on[0], 0);
    EXPECT_FLOAT_EQ(para.ai_high[3][2], 10.0f);

    ASSERT_TRUE(Commit(setting, SETTING_ANALOG));
    ASSERT_TRUE(Commit(panelIO, PANELIO_OK));
    EXPECT_EQ((std::vector<int>{para.ai_on[0], para.ai_on[1], para.ai_on[2]}), (std::vector<int>{1, 0, 1}));
    EXPECT_FLOAT_EQ(para.ai_high[3][2], 250.0f);
    EXPECT_FLOAT_EQ(para.ai_low[0][0], -5.0f);
    EXPECT_STREQ(para.ai_name[1], "Torque");
    EXPECT_STREQ(para.ai_name[0], "Ch 1");
}
