#include "platform/clock.h"
#include "platform/lowfile.h"
#include "state/reset.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <sys/time.h>

namespace {

class ClockTest : public ::testing::Test {
protected:
    void TearDown() override { ResetProgramState(); }
};

TEST_F(ClockTest, VirtualClockAdvancesInstantlyOnDelayAndIo)
{
    UseVirtualClock(true, 1767225600);   // 2026-01-01 00:00:00 UTC
    EXPECT_TRUE(IsVirtualClock());
    EXPECT_DOUBLE_EQ(Timer(), 0.0);
    double before = Timer();
    Delay(9000.0);                        // a 2.5-hour test, at once
    EXPECT_DOUBLE_EQ(Timer() - before, 9000.0);
    Delay(-1.0);                          // ignored
    EXPECT_DOUBLE_EQ(Timer(), 9000.0);

    SetIoCost(0.002);
    for (int i = 0; i < 500; ++i) ClockIoTick(true);
    EXPECT_NEAR(Timer(), 9001.0, 1e-9);   // no drift from summing small steps

    AdvanceClock(0.5);
    EXPECT_NEAR(Timer(), 9001.5, 1e-9);

    // Calendar follows the virtual time: 9001.5 s after midnight.
    int mo, d, y, h, m, s;
    GetSystemDate(&mo, &d, &y);
    GetSystemTime(&h, &m, &s);
    EXPECT_EQ(y, 2026); EXPECT_EQ(mo, 1); EXPECT_EQ(d, 1);
    EXPECT_EQ(h, 2); EXPECT_EQ(m, 30); EXPECT_EQ(s, 1);
    EXPECT_STREQ(TimeStr(), "02:30:01");
    EXPECT_STREQ(DateStr(), "01-01-2026");
    EXPECT_EQ(ClockNow(), std::time_t(1767225600 + 9001));

    AdvanceClock(86400.0 * 40);
    GetSystemDate(&mo, &d, &y);
    EXPECT_EQ(mo, 2); EXPECT_EQ(d, 10);
}

TEST_F(ClockTest, RealClockWaitsAndFollowsTheSystem)
{
    EXPECT_FALSE(IsVirtualClock());
    double t0 = Timer();
    Delay(0.02);
    double dt = Timer() - t0;
    EXPECT_GE(dt, 0.019);
    AdvanceClock(100.0);                  // no effect on the real clock
    EXPECT_LT(Timer() - t0, 50.0);
    std::time_t now = std::time(nullptr);
    EXPECT_LE(std::llabs((long long)(ClockNow() - now)), 1);

    UseVirtualClock(true);
    Delay(5.0);
    reset_clock();
    EXPECT_FALSE(IsVirtualClock());
    EXPECT_GE(Timer(), t0);               // back on the real clock's scale
}

TEST_F(ClockTest, FileDateAndTime)
{
    char tmpl[] = "/tmp/orivan_clock_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    std::string path = std::string(tmpl) + "/f.qel";
    int h = OpenFile(path.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    ASSERT_GE(h, 0);
    CloseFile(h);
    // 2026-03-04 05:06:07 local time
    std::tm tm{};
    tm.tm_year = 126; tm.tm_mon = 2; tm.tm_mday = 4;
    tm.tm_hour = 5; tm.tm_min = 6; tm.tm_sec = 7; tm.tm_isdst = -1;
    std::time_t t = mktime(&tm);
    struct timeval tv[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(utimes(path.c_str(), tv), 0);
    int mo, d, y, hh, mm, ss;
    EXPECT_EQ(GetFileDate(path.c_str(), &mo, &d, &y), 0);
    EXPECT_EQ(GetFileTime(path.c_str(), &hh, &mm, &ss), 0);
    EXPECT_EQ(y, 2026); EXPECT_EQ(mo, 3); EXPECT_EQ(d, 4);
    EXPECT_EQ(hh, 5); EXPECT_EQ(mm, 6); EXPECT_EQ(ss, 7);
    EXPECT_EQ(GetFileDate((std::string(tmpl) + "/missing").c_str(), &mo, &d, &y), -1);
    EXPECT_EQ(GetFileTime((std::string(tmpl) + "/missing").c_str(), &hh, &mm, &ss), -1);
    std::system(("rm -rf '" + std::string(tmpl) + "'").c_str());
}

}  // namespace
