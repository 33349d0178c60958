#include <fstream>

#include "evaluation/ranges.h"
#include "tests/support/settings_fixture.h"

using namespace ui;

namespace {

struct RangesTest : SettingsTest {
    void WriteClamps(const std::string& text)
    {
        std::ofstream out(dir + "/CLAMPS.INF", std::ios::binary);
        out << text;
    }
    std::vector<double> Values(int control)
    {
        std::vector<double> v;
        for (int i = 0; i < Items(setting, control); ++i) {
            double x = 0;
            GetValueFromIndex(setting, control, i, &x);
            v.push_back(x);
        }
        return v;
    }
};

}  // namespace

TEST_F(RangesTest, ClampValueTwentyGivesSixRangesFromMilliamperes)
{
    CopySampleClamps();
    Start();
    Choose(SETTING_ANALYSER, 1);
    ASSERT_TRUE(Click(setting, SETTING_EXT1));
    EXPECT_FALSE(Dimmed(SETTING_CLAMP1));
    EXPECT_EQ(Items(setting, SETTING_CLAMP1), 4);
    EXPECT_EQ(Label(setting, SETTING_CLAMP1, 1), "100 A clamp");
    Choose(SETTING_CLAMP1, 20);
    EXPECT_EQ(Values(SETTING_IRANGE1), (std::vector<double>{0.625, 1.25, 2.5, 5, 10, 20}));
    EXPECT_EQ(Label(setting, SETTING_IRANGE1, 0), "625.000000 mA");
    EXPECT_EQ(Label(setting, SETTING_IRANGE1, 1), "1.250000 A");
    EXPECT_EQ(Label(setting, SETTING_IRANGE1, 5), "20.000000 A");
    Choose(SETTING_IRANGE1, 2.5);
    ASSERT_TRUE(Commit(setting, SETTING_OK));
    EXPECT_EQ(para.ext_sensor[0], 1);
    EXPECT_FLOAT_EQ(para.ext_sensor_value[0], 20.0f);
    EXPECT_FLOAT_EQ(para.i_range[0], 2.5f);

    // clearing the box dims the clamp list and gives back the analyser's own ranges
    SetPanelsToMode(2);
    ASSERT_TRUE(Click(setting, SETTING_EXT1));
    EXPECT_TRUE(Dimmed(SETTING_CLAMP1));
    EXPECT_EQ(Items(setting, SETTING_IRANGE1), 12);
    EXPECT_EQ(Label(setting, SETTING_IRANGE1, 0), "32 A");

    // three PAM-A have no sensor inputs: controls hidden, boxes cleared
    ASSERT_TRUE(Click(setting, SETTING_EXT1));
    Choose(SETTING_PHASES, 3);
    ASSERT_TRUE(Click(setting, SETTING_EXT3));
    Choose(SETTING_ANALYSER, 0);
    for (int p = 0; p < 3; ++p) {
        int on = 1;
        GetCtrlVal(setting, SETTING_EXT_ID[p], &on);
        EXPECT_EQ(on, 0);
        EXPECT_FALSE(Visible(SETTING_EXT_ID[p]));
        EXPECT_FALSE(Visible(SETTING_CLAMP_ID[p]));
    }
    EXPECT_EQ(Label(setting, SETTING_IRANGE1, 0), "20 A");
}

TEST_F(RangesTest, MissingClampFileLeavesEmptyListsAndNoRanges)
{
    Start();
    EXPECT_EQ(ReadClampInfo(setting, SETTING_CLAMP2), -1);
    Choose(SETTING_ANALYSER, 2);
    EXPECT_EQ(Items(setting, SETTING_CLAMP1), 0);
    ASSERT_TRUE(Click(setting, SETTING_EXT1));
    EXPECT_EQ(Items(setting, SETTING_IRANGE1), 0);
    ASSERT_TRUE(Click(setting, SETTING_EXT1));   // the box still works
    EXPECT_EQ(Items(setting, SETTING_IRANGE1), 6);
}

TEST_F(RangesTest, ClampFileLinesWithoutTabAreSkippedAndAnEmptyLineEndsTheList)
{
    Start();
    std::string longLine(2000, 'z');
    WriteClamps("50\tFifty\r\nno tab here\n" + longLine + "\nabc\tnot a number\n30\t" + longLine +
                "\n10\tTen\n\n5\tafter the end\n");
    EXPECT_EQ(ReadClampInfo(setting, SETTING_CLAMP1), 0);
    ASSERT_EQ(Items(setting, SETTING_CLAMP1), 3);
    EXPECT_EQ(Label(setting, SETTING_CLAMP1, 0), "Fifty");
    EXPECT_EQ(Label(setting, SETTING_CLAMP1, 2), "Ten");
    double v = 0;
    GetValueFromIndex(setting, SETTING_CLAMP1, 1, &v);
    EXPECT_EQ(v, 30.0);   // an over-long label is cut, its line still counts once
    WriteClamps("");
    EXPECT_EQ(ReadClampInfo(setting, SETTING_CLAMP1), 0);
    EXPECT_EQ(Items(setting, SETTING_CLAMP1), 0);
}

TEST_F(RangesTest, ListsPerAnalyserAndTheDefaultList)
{
    Start();
    AdaptURanges(setting, SETTING_URANGE1, 0);
    EXPECT_EQ(Values(SETTING_URANGE1), (std::vector<double>{600, 400, 250, 130, 60, 25, 12.5, 6}));
    AdaptIRanges(setting, SETTING_IRANGE1, 4);
    EXPECT_EQ(Values(SETTING_IRANGE1), (std::vector<double>{20, 10, 5, 2.5, 1.2, 0.6, 0.3, 0.15}));
    AdaptIRanges(setting, SETTING_IRANGE1, 1);
    EXPECT_EQ(Label(setting, SETTING_IRANGE1, 11), "10 mA");
    SetDefaultRanges(setting, SETTING_IRANGE1);
    EXPECT_EQ(Values(SETTING_IRANGE1), (std::vector<double>{0.6, 1.2, 2.5, 5, 10, 16}));
    EXPECT_EQ(Label(setting, SETTING_IRANGE1, 1), "1,2 A");
    AdaptTypeOfAnalyser(1, setting, SETTING_ANALYSER);
    EXPECT_EQ(Label(setting, SETTING_ANALYSER, 0), "1 x PAM-A");
    EXPECT_EQ(Label(setting, SETTING_ANALYSER, 3), "1 x PAM-B");
}
