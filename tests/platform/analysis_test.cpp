#include "platform/analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(MaxMin1D, FirstOccurrenceOfRepeatedExtremaAndMarkedSamplesLeftOut)
{
    const double a[] = {NaN, 3, -1, 7, -1, 7, INFINITY, NaN};
    double hi = 0, lo = 0;
    int ihi = 0, ilo = 0;
    ASSERT_EQ(MaxMin1D(a, 8, &hi, &ihi, &lo, &ilo), ANALYSIS_OK);
    EXPECT_EQ(hi, 7);
    EXPECT_EQ(ihi, 3);
    EXPECT_EQ(lo, -1);
    EXPECT_EQ(ilo, 2);
}

TEST(MaxMin1D, NoFiniteValueOrNoArrayGivesZerosAndNoIndex)
{
    const double a[] = {NaN, NaN};
    double hi = 5, lo = 5;
    int ihi = 5, ilo = 5;
    EXPECT_EQ(MaxMin1D(a, 2, &hi, &ihi, &lo, &ilo), ANALYSIS_NO_VALUES);
    EXPECT_EQ(hi, 0);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(ihi, -1);
    EXPECT_EQ(ilo, -1);
    EXPECT_EQ(MaxMin1D(nullptr, 3, &hi, &ihi, nullptr, nullptr), ANALYSIS_BAD_ARGUMENT);
    EXPECT_EQ(MaxMin1D(a, 0, nullptr, nullptr, &lo, &ilo), ANALYSIS_BAD_ARGUMENT);
    EXPECT_EQ(ilo, -1);
}

TEST(Histogram, EqualIntervalsWithTheTopInTheLastAndMiddlesOnTheAxis)
{
    const double a[] = {0, 0.99, 1, 2.5, 4, NaN, -0.1, 4.1};
    int counts[4];
    double axis[4];
    ASSERT_EQ(Histogram(a, 8, 0, 4, counts, axis, 4), ANALYSIS_OK);
    EXPECT_EQ(counts[0], 2);
    EXPECT_EQ(counts[1], 1);
    EXPECT_EQ(counts[2], 1);
    EXPECT_EQ(counts[3], 1);   // 4 itself; -0.1, 4.1 and NaN are not counted
    EXPECT_DOUBLE_EQ(axis[0], 0.5);
    EXPECT_DOUBLE_EQ(axis[3], 3.5);
}

TEST(Histogram, ZeroWidthRangePutsEverySampleIntoOneInterval)
{
    std::vector<double> a(10, 2.0);
    std::vector<int> counts(256, -1);
    std::vector<double> axis(256);
    ASSERT_EQ(Histogram(a.data(), 10, 2.0, 2.0, counts.data(), axis.data(), 256), ANALYSIS_OK);
    EXPECT_EQ(counts[0], 10);
    for (int i = 1; i < 256; ++i) ASSERT_EQ(counts[size_t(i)], 0);
    for (double x : axis) ASSERT_EQ(x, 2.0);
}

TEST(Histogram, RefusesUnusableArguments)
{
    int counts[2] = {7, 7};
    const double a[] = {1};
    EXPECT_EQ(Histogram(a, 1, 0, 1, counts, nullptr, 0), ANALYSIS_BAD_ARGUMENT);
    EXPECT_EQ(Histogram(nullptr, 1, 0, 1, counts, nullptr, 2), ANALYSIS_BAD_ARGUMENT);
    EXPECT_EQ(counts[0], 0);
    EXPECT_EQ(Histogram(a, 1, 0, NaN, counts, nullptr, 2), ANALYSIS_BAD_ARGUMENT);
}

TEST(StdDev, PopulationDeviationOverFiniteSamples)
{
    const double a[] = {2, 4, NaN, 4, 4, 5, 5, 7, 9};
    double mean = 0, sd = 0;
    ASSERT_EQ(StdDev(a, 9, &mean, &sd), ANALYSIS_OK);
    EXPECT_DOUBLE_EQ(mean, 5.0);
    EXPECT_DOUBLE_EQ(sd, 2.0);
    const double c[] = {3, 3, 3};
    ASSERT_EQ(StdDev(c, 3, &mean, &sd), ANALYSIS_OK);
    EXPECT_EQ(sd, 0.0);
    const double none[] = {NaN};
    EXPECT_EQ(StdDev(none, 1, &mean, &sd), ANALYSIS_NO_VALUES);
    EXPECT_EQ(mean, 0.0);
}

TEST(StdDev, LargeOffsetKeepsPrecision)
{
    // two passes: a large common offset does not swallow the deviation
    const double a[] = {1e9 + 1, 1e9 - 1, 1e9 + 1, 1e9 - 1};
    double mean = 0, sd = 0;
    ASSERT_EQ(StdDev(a, 4, &mean, &sd), ANALYSIS_OK);
    EXPECT_DOUBLE_EQ(sd, 1.0);
}

}  // namespace
