#include "evaluation/harmonic_eval.h"
#include "state/para.h"
#include "state/reset.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
HarmFrame Frame(float limit3, float h3, int32_t fltr = 100)
{
    HarmFrame f{};
    for (float& l : f.limit) l = NoLimit();
    f.limit[3] = limit3;
    f.hiam[1] = 10.0f;
    f.hiam[3] = h3;
    f.fltr = fltr;
    return f;
}
}  // namespace

TEST(LiveEvaluation, HistAgainstTheFrameLimits)
{
    HarmResult r{};
    HarmFrame f = Frame(1.0f, 1.0f);
    f.hist = 0x7777;  // rebuilt from scratch
    CalculateActualResults(f, r);
    EXPECT_EQ(f.hist, 0);  // at the limit is not above it

    f = Frame(1.0f, 1.2f);
    CalculateActualResults(f, r);
    EXPECT_EQ(f.hist, 0x003);

    f = Frame(1.0f, 1.6f);
    CalculateActualResults(f, r);
    EXPECT_EQ(f.hist, 0x403);

    f = Frame(NoLimit(), 1000.0f);  // a marked limit never fails
    CalculateActualResults(f, r);
    EXPECT_EQ(f.hist, 0);
}

TEST(Pwhd, WeightedSumOfHighOrders)
{
    HarmFrame f{};
    f.hiam[1] = 10.0f;
    f.hiam[13] = 5.0f;  // not counted
    f.hiam[14] = 0.1f;
    f.hiam[40] = 0.05f;
    float v = 0;
    CalculatePWHD(f, &v);
    EXPECT_NEAR(v, 100.0 * std::sqrt(14 * 1e-4 + 40 * 25e-6), 1e-4);
    f.hiam[1] = 0.0f;
    EXPECT_TRUE(IsNaN(PWHD(f)));
}

TEST(Pwhd, ThdAndPwhdLimitTables)
{
    // Table 2: rows and the truncated formula.
    EXPECT_EQ(THDLimit(10, 33), 23);
    EXPECT_EQ(THDLimit(10, 34), 23);   // 23.55
    EXPECT_EQ(THDLimit(10, 66), 26);
    EXPECT_EQ(THDLimit(10, 67), 26);   // 26.025
    EXPECT_EQ(THDLimit(10, 350), 47);  // formula: 47.25
    EXPECT_EQ(THDLimit(10, 351), 47);
    EXPECT_EQ(PWHDLimit(10, 66), 26);
    EXPECT_EQ(PWHDLimit(10, 67), 26);
    // Table 3
    EXPECT_EQ(THDLimit(11, 33), 13);
    EXPECT_EQ(THDLimit(11, 100), 20);  // 0.11 * 100 + 9 exactly
    EXPECT_EQ(THDLimit(11, 1000), 48);
    EXPECT_EQ(PWHDLimit(11, 120), 28);
    EXPECT_EQ(PWHDLimit(11, 67), 25);  // 25.025
    // Table 4: rows at 33 and beyond 120
    EXPECT_EQ(THDLimit(12, 33), 13);
    EXPECT_EQ(THDLimit(12, 100), 40);
    EXPECT_EQ(THDLimit(12, 120), 48);
    EXPECT_EQ(THDLimit(12, 121), 48);
    EXPECT_EQ(PWHDLimit(12, 33), 22);   // row (the formula gives 21.91)
    EXPECT_EQ(PWHDLimit(12, 100), 40);  // 40.0 by the formula
    EXPECT_EQ(PWHDLimit(12, 121), 46);  // capped: the formula would give 45.67
    EXPECT_EQ(PWHDLimit(12, 300), 46);  // and 94 here
    // Other classes: THD by the Table 2 formula, PWHD not judged.
    EXPECT_EQ(THDLimit(3, 33), 23);
    EXPECT_EQ(PWHDLimit(3, 33), -1);

    int fail = 7;
    ComparePWHD(3, 99.0f, 33, &fail);
    EXPECT_EQ(fail, 7);  // not judged: unchanged
    ComparePWHD(10, 26.5f, 66, &fail);
    EXPECT_EQ(fail, 1);
    ComparePWHD(10, 26.0f, 66, &fail);
    EXPECT_EQ(fail, 0);
    CompareTHD(10, 26.01f, 67, &fail);
    EXPECT_EQ(fail, 1);
    CompareTHD(10, NoLimit(), 67, &fail);
    EXPECT_EQ(fail, 0);
}

TEST(FluctuatingHarmonics, WindowCountsAndShare)
{
    for (int window : {FLUCT_WINDOW_1995, FLUCT_WINDOW_2006}) {
        FluctHistory h;
        ResetFluctHistory(h);
        HarmResult r{};
        InitHFMX(r);
        const int tenth = window / 10;
        // Between 100 % and 150 %: flagged; 10 % of the window is still allowed.
        for (int k = 0; k < tenth; ++k) {
            HarmFrame f = Frame(1.0f, 1.2f);
            EXPECT_EQ(EvalFluctHarmonics(h, f, r, window), 0) << window << " frame " << k;
            EXPECT_EQ(f.hist, 0);
        }
        HarmFrame f = Frame(1.0f, 1.2f);
        EXPECT_EQ(EvalFluctHarmonics(h, f, r, window), 1);
        EXPECT_EQ(f.hist, 0x005);
        EXPECT_FLOAT_EQ(r.hfmx[3], float(tenth + 1) / window);
        EXPECT_EQ(h.count[3], tenth + 1);

        // Above 150 % is no fluctuation; the flags slide out of the window.
        for (int k = 0; k < window - tenth - 1; ++k) {
            HarmFrame g = Frame(1.0f, 2.0f);
            EvalFluctHarmonics(h, g, r, window);
        }
        EXPECT_EQ(h.count[3], tenth + 1);
        HarmFrame g = Frame(1.0f, 0.5f);
        EvalFluctHarmonics(h, g, r, window);
        EXPECT_EQ(h.count[3], tenth);  // the first flag left the window
        EXPECT_FLOAT_EQ(r.hfmx[3], float(tenth + 1) / window);  // the largest share stays

        // A frame with FLTR 0 ends the history.
        HarmFrame last = Frame(1.0f, 1.2f, 0);
        EvalFluctHarmonics(h, last, r, window);
        for (int n = 0; n < ORDERS; ++n) EXPECT_EQ(h.count[n], 0);
        for (auto& w : h.flags[3]) EXPECT_EQ(w, 0u);
    }
}

TEST(FluctuatingHarmonics, OrdersJudgedAndInitialShares)
{
    HarmResult r{};
    InitHFMX(r);
    for (int n : {2, 3, 11, 13, 15, 17, 19, 20}) EXPECT_EQ(r.hfmx[n], 0.0f) << n;
    for (int n : {0, 1, 12, 14, 16, 18, 21, 40}) EXPECT_TRUE(IsNaN(r.hfmx[n])) << n;

    FluctHistory h;
    ResetFluctHistory(h);
    HarmFrame f{};
    for (int n = 0; n < ORDERS; ++n) {
        f.limit[n] = 1.0f;
        f.hiam[n] = 1.2f;
    }
    f.fltr = 5;
    EvalFluctHarmonics(h, f, r, 500);
    for (int n = 0; n < ORDERS; ++n) EXPECT_EQ(h.count[n], IsFluctOrder(n) ? 1 : 0) << n;
    EXPECT_TRUE(IsNaN(r.hfmx[12]));
    EXPECT_FLOAT_EQ(r.hfmx[19], 1.0f / 500);

    // The program's entry keeps one history per phase and takes the window
    // from the edition.
    ResetProgramState();
    para.h_standard = 3;
    InitHFMX(buf_result[2]);
    HarmFrame g = f;
    EvalFluctHarmonics(g, buf_result[2]);
    EXPECT_EQ(fluct_history[2].count[3], 1);
    EXPECT_EQ(fluct_history[0].count[3], 0);
    EXPECT_FLOAT_EQ(buf_result[2].hfmx[3], 1.0f / 750);
    ResetProgramState();
}

TEST(Utilisation, MomentaryAndMaximum)
{
    HarmFrame f = Frame(2.0f, 1.0f);
    EXPECT_FLOAT_EQ(MomentaneAusnutzung(3, f), 50.0f);
    f.limit[3] = 0.0f;
    EXPECT_EQ(MomentaneAusnutzung(3, f), 0.0f);
    EXPECT_TRUE(IsNaN(MomentaneAusnutzung(4, f)));

    HarmFrame frames[3] = {Frame(2.0f, 1.0f), Frame(1.0f, 0.8f), Frame(NoLimit(), 9.0f)};
    EXPECT_FLOAT_EQ(MaximaleAusnutzung(3, frames, 3), 80.0f);
    HarmFrame none[2] = {Frame(NoLimit(), 1.0f), Frame(0.0f, 1.0f)};
    EXPECT_EQ(MaximaleAusnutzung(3, none, 2), 0.0f);  // the last frame's limit
    EXPECT_TRUE(IsNaN(MaximaleAusnutzung(3, frames, 0)));
}
