// Query texts of the cyclic and result answers and the sizes they fill.
#include <gtest/gtest.h>

#include <string>

#include "measure/commands.h"
#include "measure/prepare.h"
#include "state/channels.h"
#include "state/para.h"
#include "state/reset.h"
#include "state/workmode.h"

namespace {

struct Commands : ::testing::Test {
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }
    std::string Cyclic(int channel)
    {
        std::string t;
        PrepareCmd(t, channel);
        return t;
    }
    std::string Result()
    {
        std::string t;
        PrepareCmdResult(t);
        return t;
    }
};

}  // namespace

TEST_F(Commands, SeparateAnalysersAskPerChannelWithOrWithoutAnalogInputs)
{
    para.analyser = 0;
    para.h_standard = 1;
    para.ai_on[1] = 1;
    EXPECT_EQ(Cyclic(0),
              "ACTN;FLTR?;HIAM? (0:40);HIPH? (0:40);UTRMS?;ITRMS?;P?;PF?;FREQ?;HUHD?;HIHD?;S?;Q?;HTHC?;HPOC?;"
              "HIOV? (0:3);HIST?;HENS?;HUOV? (0:3);HUST?;HUPH1? (1:1);EDIT?;COUNT?;OVRU?;OVRI?\n");
    EXPECT_EQ(Cyclic(1),
              "ACTN;FLTR?;HIAM? (0:40);HIPH? (0:40);UTRMS?;ITRMS?;P?;PF?;FREQ?;HUHD?;HIHD?;S?;Q?;HTHC?;HPOC?;"
              "HIOV? (0:3);HIST?;HENS?;HUOV? (0:3);HUST?;HUPH? (1:1);EDIT?;COUNT?;OVRU?;OVRI?;HIMA?;AIVA1?;"
              "AIVA2?;AIVA3?;AIVA4?\n");
    EXPECT_EQ(CyclicAnswerSize(0), 440);
    EXPECT_EQ(CyclicAnswerSize(1), 460);
    para.h_standard = 3;   // the 2006 limits ask for the test's averages
    EXPECT_NE(Cyclic(0).find(";ITRMS?;HPAV?;HPFA?;FREQ?;"), std::string::npos);

    para.test_kind = 1;
    EXPECT_EQ(Cyclic(0),
              "ACTN;FLTR?;FSTR?;FSTA?;UTRMS?;ITRMS?;P?;PF?;FREQ?;HUHD?;HIHD?;S?;Q?;FLST?;FLLT?;FLMO?;FLMS? (0:31);"
              "FLRM? (0:31);FLDT? (0:31);FLDC?;FLDX?;FLRE?;EDIT?;COUNT?;OVRU?;OVRI?\n");
    EXPECT_EQ(Cyclic(1).substr(Cyclic(1).size() - 34), "OVRI?;AIVA1?;AIVA2?;AIVA3?;AIVA4?\n");
    EXPECT_EQ(CyclicAnswerSize(0), 472);
    EXPECT_EQ(CyclicAnswerSize(1), 488);
    EXPECT_EQ(Result(),
              "INIM;FLTR?;FSTR?;FSTA?;UTRMS?;ITRMS?;P?;PF?;FREQ?;HUHD?;HIHD?;S?;Q?;FLST?;FLLT?;FLMO?;FLMS? (0:31);"
              "FLRM? (0:31);FLDT? (0:31);FLDC?;FLDX?;FLRE?;EDIT?;COUNT?;\n");
    para.test_kind = 0;
    EXPECT_EQ(Result(), "INIM;FLTR?;HIAV? (0:40);HUMX? (0:40);HFMX? (0:40);HILT? (0:1);HULT? (0:1);HIFL? (0:1);HIGF?;"
                        "HUGF?;HENS?;EVAL?;EDIT?;HPM?;HPFM?;HIFM?\n");
    EXPECT_EQ(ResultAnswerSize(), 552);
}

TEST_F(Commands, PamCAsksForAllThreeGroupsOnChannelZero)
{
    para.analyser = 1;
    para.h_standard = 2;
    const std::string q = Cyclic(0);
    EXPECT_TRUE(Cyclic(1).empty());
    EXPECT_TRUE(Cyclic(2).empty());
    EXPECT_EQ(q.rfind("ACTN;FLTR?;HIAM1? (0:40);HIPH1? (0:40);UTRMS1?;ITRMS1?;HPAV?;HPFA?;FREQ?;HUHD1?;", 0), 0u);
    // Each group asks for its own channel's power.
    EXPECT_NE(q.find(";AIVA4?;FLTR?;HIAM2? (0:40);HIPH2? (0:40);UTRMS2?;ITRMS2?;HPAV2?;HPFA2?;FREQ?;HUHD2?;"),
              std::string::npos);
    EXPECT_NE(q.find("HUPH3? (1:1);EDIT?;COUNT?;OVRU3?;OVRI3?;HIMA3?;AIVA1?;AIVA2?;AIVA3?;AIVA4?;\n"), std::string::npos);
    EXPECT_EQ(q.back(), '\n');
    EXPECT_EQ(CyclicAnswerSize(0), 1380);
    EXPECT_EQ(CyclicAnswerSize(1), 0);
    EXPECT_EQ(ResultAnswerSize(), 1656);
    const std::string r = Result();
    EXPECT_EQ(r.rfind("INIM;FLTR?;HIAV1? (0:40);HUMX1? (0:40);HFMX1? (0:40);HILT1? (0:1);", 0), 0u);
    EXPECT_NE(r.find("HPFM3?;HIFM3?;\n"), std::string::npos);

    para.test_kind = 1;
    EXPECT_EQ(Cyclic(0).rfind("ACTN;FLTR?;FSTR?;FSTA?;UTRMS1?;ITRMS1?;P1?;PF1?;FREQ1?;", 0), 0u);
    EXPECT_NE(Cyclic(0).find("AIVA4?;FLTR?;FSTR?;FSTA?;UTRMS2?;"), std::string::npos);
    EXPECT_EQ(CyclicAnswerSize(0), 1464);
}

TEST_F(Commands, DerivedValues)
{
    EXPECT_EQ(EvalValue(4), 2);
    EXPECT_EQ(EvalValue(5), 2);
    EXPECT_EQ(EvalValue(11), 11);
    EXPECT_EQ(EvalValue(3), 3);
    CopyFixed(para.fl_standard, "EN61000-3-11");
    EXPECT_EQ(FlickerVariant(), 3);
    EXPECT_TRUE(SendsImpedance());
    CopyFixed(para.fl_standard, "EN61000-3-3 A1");
    EXPECT_EQ(FlickerVariant(), 1);
    para.h_standard = 2;
    EXPECT_FALSE(SendsImpedance());
    para.h_standard = 4;   // left by an EN61000-3-12 set-up
    EXPECT_TRUE(SendsImpedance());
}
