// The flicker values of one analyser phase, as they go into the flicker frame.
#include "sim/dsp/flicker_channel.h"

#include "run_supply.h"

#include <gtest/gtest.h>

using namespace flicker_test;

namespace {

void FeedChannel(FlickerChannel& ch, SupplyGenerator& g, double seconds)
{
    std::vector<double> block(480);
    for (long i = 0, n = std::lround(seconds * 10); i < n; ++i) {
        g.generate(block.data(), block.size());
        ch.feed(block.data(), block.size());
    }
}

FlickerChannelConfig OneMinutePeriods(int periods)
{
    FlickerChannelConfig c = FlickerChannelConfig::For(Lamp::V230_50Hz);
    c.meter.period_s = 60;
    c.meter.plt_periods = periods;
    c.variant = 1;
    return c;
}

}  // namespace

TEST(FlickerChannel, HistoriesHoldTheLatestHalfPeriodsOldestFirst)
{
    FlickerChannelConfig c = FlickerChannelConfig::For(Lamp::V230_50Hz);
    c.variant = 1;
    FlickerChannel ch(c);
    SupplyConfig sc = SupplyFor(ch.meter().config(), Fluctuation{});
    // 3 % lower from 2.0 s on.
    sc.envelope = [](double t) { return t >= 2.0 ? 0.97 : 1.0; };
    SupplyGenerator g(sc);
    FeedChannel(ch, g, 2.2);
    FlickerFrameValues f = ch.frame();
    // 2.2 s = 219 completed half-periods (the first begins at 10 ms, the
    // running one is open): the last 32 end at 1.89 .. 2.20 s, 20 after the step.
    for (int i = 0; i < 32; ++i) {
        bool after = i >= 32 - 19;
        EXPECT_NEAR(f.flrm[i], after ? 223.1 : 230.0, 0.05) << i;
        EXPECT_NEAR(f.fldt[i], after ? 3.0 : 0.0, 0.01) << i;
    }
    EXPECT_NEAR(f.fldx, 3.0, 0.01);          // change in progress
    EXPECT_EQ(f.fldc, 0.0f);                 // no new steady state yet
    FeedChannel(ch, g, 1.5);
    f = ch.frame();
    EXPECT_NEAR(f.fldc, 3.0, 0.01);
    EXPECT_EQ(f.flre, 0);                    // 3 % passes the 3.3 % of amendment A1
}

TEST(FlickerChannel, FrameValuesAndVerdictOfAFlickerRun)
{
    // Twice the 110 changes/min reference: Pst 2 in every period.
    FlickerChannel ch(OneMinutePeriods(2));
    SupplyGenerator g(SupplyFor(ch.meter().config(), Rect(110, 2 * 0.722)));
    FeedChannel(ch, g, 5 + 30);
    FlickerFrameValues f = ch.frame();
    // During the first period FLST is the running Pst, Plt not yet known.
    EXPECT_EQ(ch.completed_periods(), 0);
    EXPECT_NEAR(f.flst, 2.0, 0.15);
    EXPECT_EQ(f.fllt, 0.0f);
    EXPECT_EQ(f.flre & kVerdictPst, 0);
    // The changes come every 0.55 s: no steady state, d(t) against the
    // nominal voltage swings by the full du.
    EXPECT_NEAR(f.fldx, 1.444, 0.01);
    EXPECT_EQ(f.fldc, 0.0f);
    for (float p : f.flms)
        EXPECT_GT(p, 0.0f);

    FeedChannel(ch, g, 60);
    f = ch.frame();
    ASSERT_EQ(ch.completed_periods(), 1);
    EXPECT_NEAR(f.flst, 2.0, 2 * 0.03);
    EXPECT_NEAR(f.fllt, f.flst, 1e-6);
    EXPECT_EQ(f.flre, kVerdictFail | kVerdictPst | kVerdictPlt);
}

TEST(FlickerChannel, QuietSupplyPassesAndDipFailsDmax)
{
    FlickerChannel ch(OneMinutePeriods(1));
    SupplyConfig sc = SupplyFor(ch.meter().config(), Rect(110, 0.722 / 2));
    // One 5 % dip of 100 ms in the second period.
    sc.envelope = [](double t) { return t >= 80 && t < 80.1 ? 0.95 : 1.0; };
    SupplyGenerator g(sc);
    FeedChannel(ch, g, 65.5);
    FlickerFrameValues f = ch.frame();
    ASSERT_EQ(ch.completed_periods(), 1);
    EXPECT_NEAR(f.flst, 0.5, 0.03);
    EXPECT_EQ(f.flre, 0);
    FeedChannel(ch, g, 20);
    f = ch.frame();
    EXPECT_GT(f.fldx, 4.0);
    EXPECT_EQ(f.flre & (kVerdictFail | kVerdictDmax), kVerdictFail | kVerdictDmax);
    EXPECT_EQ(f.flre & kVerdictDt, 0);       // 100 ms are within 500 ms
}
