#include "evaluation/flicker_limits.h"
#include "state/records.h"
#include "state/para.h"
#include "state/reset.h"

#include <gtest/gtest.h>

TEST(FlickerLimits, DerivedFromVariantAndDmax)
{
    ResetProgramState();
    CalculateFlLimits(0, 0.0f);  // base edition, no dmax entered
    EXPECT_FLOAT_EQ(para.dmax_limit, 4.0f);
    EXPECT_FLOAT_EQ(para.dc_limit, 3.0f);
    EXPECT_FLOAT_EQ(para.dt_limit, 3.0f);
    EXPECT_EQ(para.dt_time, 200);

    CalculateFlLimits(0, 6.0f);
    EXPECT_FLOAT_EQ(para.dmax_limit, 6.0f);
    EXPECT_FLOAT_EQ(para.dc_limit, 4.5f);
    EXPECT_FLOAT_EQ(para.dt_limit, 4.5f);

    for (int choice : {1, 2, 3}) {
        CalculateFlLimits(choice, 6.0f);
        EXPECT_FLOAT_EQ(para.dc_limit, 3.3f);
        EXPECT_FLOAT_EQ(para.dt_limit, 3.3f);
        EXPECT_EQ(para.dt_time, 500);
        EXPECT_FLOAT_EQ(para.dmax_limit, 6.0f);
    }
    ResetProgramState();
}

TEST(FlickerLimits, VariantRestoredFromStoredText)
{
    EXPECT_EQ(FlickerChoiceFromStandard("EN61000-3-3", 0), 0);
    EXPECT_EQ(FlickerChoiceFromStandard("EN61000-3-3 A1", 0), 1);
    EXPECT_EQ(FlickerChoiceFromStandard("EN61000-3-11", 0), 3);
    EXPECT_EQ(FlickerChoiceFromStandard("EN61000-3-3 A1", 1), 2);
    EXPECT_TRUE(IsFlicker3_11("EN61000-3-11"));
    EXPECT_FALSE(IsFlicker3_11("EN61000-3-3"));
    // A text without its terminating zero is not read past the field.
    char full[32];
    std::memset(full, 'x', sizeof full);
    EXPECT_EQ(FlickerChoiceFromStandard(full, 0), 0);
}

TEST(FlickerLimits, VerdictTexts)
{
    EXPECT_STREQ(FlickerVerdictText(FLRE_4, 2), "Plt %< 0.65 informative:");
    EXPECT_STREQ(FlickerVerdictText(FLRE_4, 12), "Plt %< 0.65           :");
    EXPECT_STREQ(FlickerVerdictText(FLRE_2, 12), "Pst always %< 1.0     :");
    EXPECT_STREQ(FlickerVerdictText(FLRE_DMAX, 12), "dmax %< %f%%            :");
    EXPECT_EQ(FlickerVerdictText(FLRE_1, 12), nullptr);
    EXPECT_STREQ(FlickerVerdict(0x28, FLRE_DMAX), "fail");
    EXPECT_STREQ(FlickerVerdict(0x28, FLRE_10), "ok");
    EXPECT_STREQ(ZrefText(1), "0,4+j0,25");
    EXPECT_STREQ(ZrefText(0), "0,24+j0,15");

    ResetProgramState();
    para.fl_minutes = 10;
    para.fl_seconds = 30;
    para.fl_periods = 12;
    EXPECT_EQ(FlickerPeriodSeconds(), 630);
    EXPECT_EQ(FlickerMeasTime(), 7560);
    ResetProgramState();
}
