#include "evaluation/harmonic_eval.h"
#include "evaluation/limits.h"
#include "state/para.h"
#include "state/reset.h"

#include <gtest/gtest.h>

namespace {

HarmFrame FrameWith(float all, float i1 = 1.0f)
{
    HarmFrame f{};
    for (float& h : f.hiam) h = all;
    f.hiam[1] = i1;
    return f;
}

struct Lim {
    float v[ORDERS];
    float operator[](int n) const { return v[n]; }
};

Lim Compute(int32_t cls, const HarmFrame& f, float P = 0, float pf = 0, float I = 0,
            float Iref = 0, float Rsce = 0, float* rec = nullptr, int drop = 1)
{
    Lim l;
    ComputeLimits(l.v, cls, f, P, pf, I, Iref, Rsce, rec, drop);
    return l;
}

#define EXPECT_MARKED(x) EXPECT_TRUE(IsNaN(x)) << #x << " = " << (x)

}  // namespace

TEST(Limits, ClassAMatchesTheStandardTable)
{
    Lim a = Compute(CLASS_A, FrameWith(1.0f));
    EXPECT_MARKED(a[0]);
    EXPECT_MARKED(a[1]);
    EXPECT_FLOAT_EQ(a[2], 1.08f);
    EXPECT_FLOAT_EQ(a[3], 2.30f);
    EXPECT_FLOAT_EQ(a[4], 0.43f);
    EXPECT_FLOAT_EQ(a[5], 1.14f);
    EXPECT_FLOAT_EQ(a[6], 0.30f);
    EXPECT_FLOAT_EQ(a[7], 0.77f);
    EXPECT_FLOAT_EQ(a[8], 0.23f);
    EXPECT_FLOAT_EQ(a[9], 0.40f);
    EXPECT_FLOAT_EQ(a[10], 0.184f);
    EXPECT_FLOAT_EQ(a[11], 0.33f);
    EXPECT_FLOAT_EQ(a[13], 0.21f);
    EXPECT_FLOAT_EQ(a[15], 0.15f);
    EXPECT_FLOAT_EQ(a[39], float(2.25 / 39));
    EXPECT_FLOAT_EQ(a[40], 0.046f);

    Lim b = Compute(CLASS_B, FrameWith(1.0f));
    EXPECT_FLOAT_EQ(b[3], 3.45f);
    EXPECT_FLOAT_EQ(b[5], 1.71f);
    EXPECT_FLOAT_EQ(b[8], 0.345f);
    EXPECT_MARKED(b[1]);
}

TEST(Limits, SmallHarmonicsAreDropped)
{
    // Every harmonic below 5 mA: nothing has a limit, so nothing can fail.
    HarmFrame tiny = FrameWith(0.0049f, 0.3f);
    Lim a = Compute(CLASS_A, tiny, 0, 0, 0, 0.3f);
    for (int n = 0; n < ORDERS; ++n) EXPECT_MARKED(a[n]);
    HarmFrame f = tiny;
    std::memcpy(f.limit, a.v, sizeof f.limit);
    f.hiam[3] = 0.0049f;
    HarmResult r{};
    // (a marked limit never fails, whatever the current)
    f.hiam[5] = 100.0f;
    CalculateActualResults(f, r);
    EXPECT_EQ(f.hist, 0);

    // 0.6 % of the reference current: 0.06 A for 10 A.
    HarmFrame g = FrameWith(0.0f, 10.0f);
    g.hiam[3] = 0.059f;
    g.hiam[5] = 0.061f;
    Lim d = Compute(CLASS_A, g, 0, 0, 0, 10.0f);
    EXPECT_MARKED(d[3]);
    EXPECT_FLOAT_EQ(d[5], 1.14f);
    // 16 A equipment: an order-40 current of 60 mA (above its 46 mA limit)
    // lies below 0.6 % of 16 A (96 mA) and is disregarded.
    HarmFrame big = FrameWith(0.0f, 16.0f);
    big.hiam[40] = 0.060f;
    big.hiam[39] = 0.097f;
    Lim e = Compute(CLASS_A, big, 0, 0, 0, 16.0f);
    EXPECT_MARKED(e[40]);
    EXPECT_FLOAT_EQ(e[39], float(2.25 / 39));
    // Not dropped when the caller asks for the full table.
    Lim full = Compute(CLASS_A, g, 0, 0, 0, 10.0f, 0, nullptr, 0);
    EXPECT_FLOAT_EQ(full[3], 2.30f);
}

TEST(Limits, ClassCTable2LimitsOddOrdersAboveTenOnly)
{
    Lim c = Compute(CLASS_C, FrameWith(1.0f), 0, 0.9f, 2.0f);
    EXPECT_FLOAT_EQ(c[2], 0.04f);
    EXPECT_FLOAT_EQ(c[3], 0.54f);  // 30 % * 0.9 of 2 A
    EXPECT_FLOAT_EQ(c[5], 0.20f);
    EXPECT_FLOAT_EQ(c[7], 0.14f);
    EXPECT_FLOAT_EQ(c[9], 0.10f);
    for (int n = 11; n <= 39; n += 2) EXPECT_FLOAT_EQ(c[n], 0.06f) << n;
    for (int n = 4; n <= 40; n += 2) EXPECT_MARKED(c[n]);
    EXPECT_MARKED(c[1]);
    // A negative power factor or current does not turn into a negative limit.
    Lim neg = Compute(CLASS_C, FrameWith(1.0f), 0, -0.9f, -2.0f);
    EXPECT_FLOAT_EQ(neg[3], 0.54f);
}

TEST(Limits, ClassDUsesAbsolutePowerCappedByClassA)
{
    Lim d = Compute(CLASS_D, FrameWith(1.0f), -100.0f);
    EXPECT_FLOAT_EQ(d[3], 0.34f);
    EXPECT_FLOAT_EQ(d[5], 0.19f);
    EXPECT_FLOAT_EQ(d[7], 0.10f);
    EXPECT_FLOAT_EQ(d[9], 0.05f);
    EXPECT_FLOAT_EQ(d[11], 0.035f);
    EXPECT_FLOAT_EQ(d[13], float(0.1 * 3.85 / 13));
    EXPECT_FLOAT_EQ(d[39], float(0.1 * 3.85 / 39));
    for (int n = 2; n <= 40; n += 2) EXPECT_MARKED(d[n]);

    Lim big = Compute(CLASS_D, FrameWith(1.0f), 1000.0f);
    EXPECT_FLOAT_EQ(big[3], 2.30f);
    EXPECT_FLOAT_EQ(big[5], 1.14f);
    EXPECT_FLOAT_EQ(big[7], 0.77f);
    EXPECT_FLOAT_EQ(big[9], 0.40f);
    EXPECT_FLOAT_EQ(big[11], 0.33f);
    EXPECT_FLOAT_EQ(big[13], 0.21f);
    EXPECT_FLOAT_EQ(big[15], 0.15f);

    Lim t3 = Compute(CLASS_C_TABLE3, FrameWith(1.0f), 20.0f);
    EXPECT_FLOAT_EQ(t3[3], 0.068f);
    EXPECT_FLOAT_EQ(t3[5], 0.038f);
}

TEST(Limits, SpecificWaveformAndClassesWithoutLimits)
{
    Lim w = Compute(CLASS_C_WAVEFORM, FrameWith(0.001f, 0.2f));  // not dropped below 5 mA
    EXPECT_FLOAT_EQ(w[3], 0.172f);
    EXPECT_FLOAT_EQ(w[5], 0.122f);
    for (int n = 0; n < ORDERS; ++n)
        if (n != 3 && n != 5) {
            EXPECT_MARKED(w[n]);
        }

    for (int32_t cls : {6, 7, 8, 9, 13, -1}) {
        float rec = 12.5f;
        Lim none = Compute(cls, FrameWith(1.0f, 1.0f), 100, 1, 1, 1, 33, &rec);
        for (int n = 0; n < ORDERS; ++n) EXPECT_MARKED(none[n]);
        EXPECT_EQ(rec, 12.5f) << cls;
    }
    // Classes of EN61000-3-2 clear the recommended Rsce.
    float rec = 12.5f;
    Compute(CLASS_A, FrameWith(1.0f), 0, 0, 0, 0, 0, &rec);
    EXPECT_EQ(rec, 0.0f);
}

TEST(Limits, En61000_3_12RowsAndFormulas)
{
    const HarmFrame f = FrameWith(0.0f, 10.0f);
    // Table 2, order 3: a row at exactly 33, the formula at 34, the last row beyond 350.
    EXPECT_FLOAT_EQ(Compute(CLASS_3_12_TABLE2, f, 0, 0, 0, 0, 33)[3], 2.16f);
    EXPECT_NEAR(Compute(CLASS_3_12_TABLE2, f, 0, 0, 0, 0, 34)[3], 2.204f, 1e-5);
    EXPECT_FLOAT_EQ(Compute(CLASS_3_12_TABLE2, f, 0, 0, 0, 0, 400)[3], 4.1f);
    EXPECT_FLOAT_EQ(Compute(CLASS_3_12_TABLE2, f, 0, 0, 0, 0, 66)[5], 1.3f);  // row, formula 12.64 %
    EXPECT_NEAR(Compute(CLASS_3_12_TABLE2, f, 0, 0, 0, 0, 350)[13], 0.84f, 1e-5);  // formula at 350
    EXPECT_FLOAT_EQ(Compute(CLASS_3_12_TABLE2, f, 0, 0, 0, 0, 351)[13], 0.8f);      // last row
    EXPECT_NEAR(Compute(CLASS_3_12_TABLE2, f, 0, 0, 0, 0, 33.0001f)[3], 2.198f, 1e-4);

    Lim t2 = Compute(CLASS_3_12_TABLE2, f, 0, 0, 0, 0, 120);
    EXPECT_FLOAT_EQ(t2[2], 0.8f);                // 16/2 % of 10 A
    EXPECT_FLOAT_EQ(t2[12], float(0.16 / 12 * 10));
    for (int n = 14; n <= 40; n += 2) EXPECT_MARKED(t2[n]);  // in THD/PWHD only
    EXPECT_MARKED(t2[15]);
    EXPECT_MARKED(t2[1]);
    EXPECT_FLOAT_EQ(t2[9], 0.6f);

    Lim t3 = Compute(CLASS_3_12_TABLE3, f, 0, 0, 0, 0, 33);
    EXPECT_MARKED(t3[3]);
    EXPECT_MARKED(t3[9]);
    EXPECT_FLOAT_EQ(t3[5], 1.07f);
    EXPECT_FLOAT_EQ(t3[13], 0.2f);

    // Table 4: 120 still uses the formula, 121 the last row.
    EXPECT_NEAR(Compute(CLASS_3_12_TABLE4, f, 0, 0, 0, 0, 120)[5], 3.96f, 1e-5);
    EXPECT_FLOAT_EQ(Compute(CLASS_3_12_TABLE4, f, 0, 0, 0, 0, 121)[5], 4.0f);
    EXPECT_NEAR(Compute(CLASS_3_12_TABLE4, f, 0, 0, 0, 0, 100)[11], 1.25f, 1e-5);
    // Small harmonics are not dropped under EN61000-3-12.
    EXPECT_FALSE(IsNaN(Compute(CLASS_3_12_TABLE2, f, 0, 0, 0, 1000, 33, nullptr, 1)[3]));
}

TEST(Limits, RecommendedRsceIsTheLargestMatchingRatio)
{
    HarmFrame f = FrameWith(0.0f, 10.0f);
    f.hiam[3] = 2.6f;  // 26 %: (26 - 20) / 0.06 = 100
    f.hiam[5] = 1.8f;  // 18 %: (18 - 10) / 0.04 = 200
    float rec = 0.0f;
    Compute(CLASS_3_12_TABLE2, f, 0, 0, 0, 0, 33, &rec);
    EXPECT_NEAR(rec, 200.0f, 1e-3);
    rec = 500.0f;  // keeps a larger previous value
    Compute(CLASS_3_12_TABLE2, f, 0, 0, 0, 0, 33, &rec);
    EXPECT_EQ(rec, 500.0f);

    HarmFrame g = FrameWith(0.0f, 10.0f);
    g.hiam[11] = 1.0f;  // 10 %: (10 + 1.5) / 0.14
    rec = 0.0f;
    Compute(CLASS_3_12_TABLE4, g, 0, 0, 0, 0, 33, &rec);
    EXPECT_NEAR(rec, 11.5f / 0.14f, 1e-3);

    // No fundamental: no ratio, nothing accumulated.
    HarmFrame z = FrameWith(1.0f, 0.0f);
    rec = 7.0f;
    Compute(CLASS_3_12_TABLE2, z, 0, 0, 0, 0, 33, &rec);
    EXPECT_EQ(rec, 7.0f);
}

TEST(Limits, ControlValueWithinTenPercent)
{
    EXPECT_EQ(ControlValue(100.0f, 105.0f), 105.0f);
    EXPECT_EQ(ControlValue(100.0f, 91.0f), 91.0f);
    EXPECT_EQ(ControlValue(100.0f, 110.0f), 100.0f);  // exactly 10 % is not within
    EXPECT_EQ(ControlValue(100.0f, 150.0f), 100.0f);
    EXPECT_EQ(ControlValue(-100.0f, 95.0f), 95.0f);
    EXPECT_EQ(ControlValue(0.0f, 95.0f), 0.0f);
}

TEST(Limits, UserTableWithOneOrderReplacesEveryPhase)
{
    ResetProgramState();
    limits[3] = 0.5f;
    HarmFrame frames[3];
    for (HarmFrame& f : frames) f = FrameWith(2.0f);
    ApplyUserLimits(frames, 3);
    for (const HarmFrame& f : frames) {
        for (int n = 0; n < ORDERS; ++n) {
            if (n == 3) EXPECT_EQ(f.limit[n], 0.5f);
            else EXPECT_MARKED(f.limit[n]);
        }
    }
    ResetProgramState();
}

TEST(Limits, LiveEntryUsesTheRecordAndNotesTheFifthPhaseAngle)
{
    ResetProgramState();
    para.h_class = CLASS_3_12_TABLE2;
    buf[1] = FrameWith(0.0f, 10.0f);
    buf[1].limit[5] = 100.0f;  // received phase angles
    buf[1].huph1 = -20.0f;     // 120 degrees: inside
    float out[ORDERS];
    Limits(out, 0, 0, 0, 0, 33, 1, nullptr, 1);
    EXPECT_FLOAT_EQ(out[3], 2.16f);
    EXPECT_EQ(phase5_outside[1], 0);
    buf[1].limit[5] = 200.0f;  // 220 degrees -> -140: outside
    Limits(out, 0, 0, 0, 0, 33, 1, nullptr, 1);
    EXPECT_EQ(phase5_outside[1], 1);
    EXPECT_EQ(phase5_outside[0], 0);
    HarmFrame g{};
    g.limit[5] = 45.0f;
    g.huph1 = -360.0f;
    EXPECT_FLOAT_EQ(Phase5Angle(g), 45.0f);

    int n = 0;
    const ClassItem* items = ClassItems(true, &n);
    ASSERT_EQ(n, 6);
    EXPECT_STREQ(items[4].label, "Class C (Table 3)");
    items = ClassItems(false, &n);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(items[2].value, 12);
    ResetProgramState();
}
