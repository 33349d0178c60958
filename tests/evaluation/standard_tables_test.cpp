// Worked examples taken from the EN61000-3-2 and EN61000-3-12 tables.
#include "evaluation/harmonic_eval.h"
#include "evaluation/limits.h"

#include <gtest/gtest.h>

namespace {

struct Table {
    float v[ORDERS];
};

// A frame whose harmonics are all well above the small-harmonics threshold.
HarmFrame Loaded(float i1)
{
    HarmFrame f{};
    for (float& h : f.hiam) h = 0.5f;
    f.hiam[1] = i1;
    return f;
}

Table Of(int32_t cls, const HarmFrame& f, float P, float pf, float I, float Rsce)
{
    Table t;
    ComputeLimits(t.v, cls, f, P, pf, I, f.hiam[1], Rsce, nullptr, 1);
    return t;
}

}  // namespace

TEST(StandardTables, ClassDPowerRelatedAndCapped)
{
    // 200 W: every odd order by its mA/W value.
    Table d = Of(CLASS_D, Loaded(1.0f), 200.0f, 0, 0, 0);
    EXPECT_FLOAT_EQ(d.v[3], 0.68f);
    EXPECT_FLOAT_EQ(d.v[5], 0.38f);
    EXPECT_FLOAT_EQ(d.v[7], 0.20f);
    EXPECT_FLOAT_EQ(d.v[9], 0.10f);
    EXPECT_FLOAT_EQ(d.v[11], 0.07f);
    EXPECT_FLOAT_EQ(d.v[13], float(3.85 / 13 * 0.2));
    EXPECT_FLOAT_EQ(d.v[39], float(3.85 / 39 * 0.2));
    EXPECT_TRUE(IsNaN(d.v[2]));
    EXPECT_TRUE(IsNaN(d.v[40]));
    // 1000 W: the class A maxima take over.
    Table big = Of(CLASS_D, Loaded(5.0f), 1000.0f, 0, 0, 0);
    EXPECT_FLOAT_EQ(big.v[3], 2.30f);
    EXPECT_FLOAT_EQ(big.v[5], 1.14f);
    EXPECT_FLOAT_EQ(big.v[7], 0.77f);
    EXPECT_FLOAT_EQ(big.v[9], 0.40f);
    EXPECT_FLOAT_EQ(big.v[11], 0.33f);
    EXPECT_FLOAT_EQ(big.v[13], 0.21f);
    EXPECT_FLOAT_EQ(big.v[15], 0.15f);
    // class C (Table 3) shares the class D table
    Table c3 = Of(CLASS_C_TABLE3, Loaded(0.1f), 20.0f, 0, 0, 0);
    EXPECT_FLOAT_EQ(c3.v[3], 0.068f);
}

TEST(StandardTables, ClassCTable2AndSpecificWaveform)
{
    // Lighting, 0.5 A at a power factor of 0.95.
    HarmFrame f = Loaded(0.5f);
    for (int n = 2; n < ORDERS; ++n) f.hiam[n] = 0.01f;
    Table c = Of(CLASS_C, f, 0, 0.95f, 0.5f, 0);
    EXPECT_FLOAT_EQ(c.v[2], 0.010f);
    EXPECT_FLOAT_EQ(c.v[3], float(0.30 * 0.95 * 0.5));
    EXPECT_FLOAT_EQ(c.v[5], 0.050f);
    EXPECT_FLOAT_EQ(c.v[7], 0.035f);
    EXPECT_FLOAT_EQ(c.v[9], 0.025f);
    EXPECT_FLOAT_EQ(c.v[39], 0.015f);
    for (int n : {4, 6, 8, 10, 12, 38, 40}) EXPECT_TRUE(IsNaN(c.v[n])) << n;
    Table w = Of(CLASS_C_WAVEFORM, Loaded(0.2f), 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(w.v[3], 0.172f);
    EXPECT_FLOAT_EQ(w.v[5], 0.122f);
    EXPECT_TRUE(IsNaN(w.v[7]));
}

TEST(StandardTables, En61000_3_12RowsOfEveryTable)
{
    const float i1 = 10.0f;
    auto pct = [&](int32_t cls, float rsce, int n) { return Of(cls, Loaded(i1), 0, 0, 0, rsce).v[n] / i1 * 100; };
    // Table 2 at Rsce 250 and beyond 350
    EXPECT_NEAR(pct(CLASS_3_12_TABLE2, 250, 3), 35, 1e-4);
    EXPECT_NEAR(pct(CLASS_3_12_TABLE2, 250, 13), 6, 1e-4);
    EXPECT_NEAR(pct(CLASS_3_12_TABLE2, 351, 9), 12, 1e-4);
    EXPECT_NEAR(pct(CLASS_3_12_TABLE2, 351, 11), 10, 1e-4);
    // Table 3 rows 66, 120, 250, >350; orders 3 and 9 unlimited
    EXPECT_NEAR(pct(CLASS_3_12_TABLE3, 66, 5), 14, 1e-4);
    EXPECT_NEAR(pct(CLASS_3_12_TABLE3, 120, 7), 12, 1e-4);
    EXPECT_NEAR(pct(CLASS_3_12_TABLE3, 250, 11), 12, 1e-4);
    EXPECT_NEAR(pct(CLASS_3_12_TABLE3, 1000, 13), 10, 1e-4);
    EXPECT_TRUE(IsNaN(pct(CLASS_3_12_TABLE3, 66, 3)));
    EXPECT_TRUE(IsNaN(pct(CLASS_3_12_TABLE3, 66, 9)));
    // Table 4 row at 33, formula between the rows
    EXPECT_NEAR(pct(CLASS_3_12_TABLE4, 33, 11), 3.1, 1e-4);
    EXPECT_NEAR(pct(CLASS_3_12_TABLE4, 60, 5), 19.8, 1e-4);
    // even orders 16/n % up to order 12
    EXPECT_NEAR(pct(CLASS_3_12_TABLE2, 33, 2), 8, 1e-4);
    EXPECT_NEAR(pct(CLASS_3_12_TABLE4, 33, 12), 16.0 / 12, 1e-4);
    EXPECT_TRUE(IsNaN(pct(CLASS_3_12_TABLE2, 33, 14)));
}

TEST(StandardTables, ThdAndPwhdRowsOfEveryTable)
{
    const int rows[] = {33, 66, 120, 250, 351};
    const int thd2[] = {23, 26, 30, 40, 47}, pwhd2[] = {23, 26, 30, 40, 47};
    const int thd3[] = {13, 16, 22, 37, 48}, pwhd3[] = {22, 25, 28, 38, 46};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(THDLimit(CLASS_3_12_TABLE2, float(rows[i])), thd2[i]) << rows[i];
        EXPECT_EQ(PWHDLimit(CLASS_3_12_TABLE2, float(rows[i])), pwhd2[i]) << rows[i];
        EXPECT_EQ(THDLimit(CLASS_3_12_TABLE3, float(rows[i])), thd3[i]) << rows[i];
        EXPECT_EQ(PWHDLimit(CLASS_3_12_TABLE3, float(rows[i])), pwhd3[i]) << rows[i];
    }
    // Table 4: 13/22 at 33, 48/46 beyond 120
    EXPECT_EQ(THDLimit(CLASS_3_12_TABLE4, 33), 13);
    EXPECT_EQ(PWHDLimit(CLASS_3_12_TABLE4, 33), 22);
    EXPECT_EQ(THDLimit(CLASS_3_12_TABLE4, 500), 48);
    EXPECT_EQ(PWHDLimit(CLASS_3_12_TABLE4, 500), 46);
    // a PWHD of 50 % fails Table 4 at Rsce 200
    int fail = 0;
    ComparePWHD(CLASS_3_12_TABLE4, 50.0f, 200.0f, &fail);
    EXPECT_EQ(fail, 1);
    ComparePWHD(CLASS_3_12_TABLE4, 45.0f, 200.0f, &fail);
    EXPECT_EQ(fail, 0);
}
