// Combined plots of two quantities: the four arithmetic operations, the
// scatter plot and the cross-correlation, and the correlation itself.
#include "display_fixture.h"

#include <cmath>
#include <random>

using namespace dt;

namespace {

using CombinedTest = DisplayTest;

// U = 230 + k, I = k - 2 (so I is exactly 0 in frame 2).
void Frames(int k, int, HarmFrame& f)
{
    f.utrms = 230.0f + float(k);
    f.itrms = float(k) - 2.0f;
}

TEST_F(CombinedTest, EveryOperationThroughTheOperationSelector)
{
    LoadHarmonic(5, 1, Frames);
    PlotView({HQ_U, HQ_I});
    ui::UserSetValue(diagnos, DIAGNOS_KIND, PLOT_COMBINED);
    for (int c : {DIAGNOS_OPERAND1, DIAGNOS_OPERAND2, DIAGNOS_OPERATION}) EXPECT_EQ(Dimmed(c), 0);
    EXPECT_EQ(Dimmed(DIAGNOS_PERCENT), 1);
    SetCtrlVal(diagnos, DIAGNOS_OPERAND1, HQ_U);
    ui::UserSetValue(diagnos, DIAGNOS_OPERAND2, HQ_I);

    struct Case {
        int op;
        std::vector<double> y;
    };
    const Case cases[] = {
        {COMBINE_ADD, {228, 230, 232, 234, 236}},
        {COMBINE_SUBTRACT, {232, 232, 232, 232, 232}},
        {COMBINE_MULTIPLY, {-460, -231, 0, 233, 468}},
        {COMBINE_DIVIDE, {-115, -231, COMBINE_DIV_ZERO, 233, 117}},
    };
    for (const Case& c : cases) {
        ui::UserSetValue(diagnos, DIAGNOS_OPERATION, c.op);
        auto cur = PlotsOf(PLOT_COLOR);
        ASSERT_EQ(cur.size(), 1u) << c.op;
        EXPECT_EQ(cur[0]->x, (std::vector<double>{0, 1, 2, 3, 4})) << c.op;
        EXPECT_EQ(cur[0]->y, c.y) << c.op;
        EXPECT_EQ(G().x.mode, VAL_AUTOSCALE);
        EXPECT_EQ(G().y.mode, VAL_AUTOSCALE);
    }
    EXPECT_EQ(G().x.name, "Frames");
    EXPECT_EQ(G().y.name, "U,V / I,A");
    EXPECT_EQ(Title(), "Combined:   1 U / 1 I   Logging file: h.qel");

    ui::UserSetValue(diagnos, DIAGNOS_OPERATION, COMBINE_SCATTER);
    auto pts = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(pts.size(), 1u);
    EXPECT_EQ(pts[0]->style, VAL_SCATTER);
    // B across, A up, one point per frame except the last
    EXPECT_EQ(pts[0]->x, (std::vector<double>{-2, -1, 0, 1}));
    EXPECT_EQ(pts[0]->y, (std::vector<double>{230, 231, 232, 233}));
    EXPECT_EQ(G().x.name, "I,A");
    EXPECT_EQ(G().y.name, "U,V");

    ui::UserSetValue(diagnos, DIAGNOS_OPERATION, COMBINE_CORRELATION);
    auto r = PlotsOf(PLOT_COLOR);
    ASSERT_EQ(r.size(), 1u);
    ASSERT_EQ(r[0]->y.size(), 2u);   // the first half of 5 offsets
    EXPECT_DOUBLE_EQ(r[0]->y[0], (230 * -2 + 231 * -1 + 0 + 233 * 1 + 234 * 2) / 5.0);
    EXPECT_DOUBLE_EQ(r[0]->y[1], (230 * -1 + 231 * 0 + 232 * 1 + 233 * 2 + 234 * -2) / 5.0);
    EXPECT_EQ(G().x.name, "offset");
    EXPECT_EQ(G().y.name, "R(offset)");
}

TEST_F(CombinedTest, FlickerOperandsUseTheTimeCurvePoints)
{
    LoadFlicker(3, 3, [](int k, int p, FlkFrame& f) {
        for (int j = 0; j < 32; ++j) f.flms[j] = float(j + p);
        f.utrms = 200.0f + float(k);
    });
    CombinedCurve cc;
    ASSERT_TRUE(CombinedCurveOf(EncodePlotCode(RUN_FLICKER, 1, FQ_PMOM), FQ_PMOM, COMBINE_SUBTRACT, &cc));
    ASSERT_EQ(cc.y.size(), 64u);
    for (double v : cc.y) EXPECT_EQ(v, 1.0);
    ASSERT_TRUE(CombinedCurveOf(FQ_U, FQ_PMOM, COMBINE_SCATTER, &cc));
    EXPECT_EQ(cc.x.size(), 64u);
    EXPECT_EQ(cc.y[40], 201.0);
    EXPECT_FALSE(CombinedCurveOf(FQ_U, 14 + 1, COMBINE_ADD, &cc));   // no such quantity
}

TEST(Convolution, CircularCrossCorrelationFromZero)
{
    const double a[] = {1, 2, 3, 4}, b[] = {1, 0, 0, 2};
    double out[4] = {9, 9, 9, 9};
    Convolution(a, 4, b, 4, out);
    // out[i] = (1/4) sum a[j] b[(i + j) mod 4]
    EXPECT_DOUBLE_EQ(out[0], (1 * 1 + 4 * 2) / 4.0);
    EXPECT_DOUBLE_EQ(out[1], (3 * 2 + 4 * 1) / 4.0);
    EXPECT_DOUBLE_EQ(out[2], (2 * 2 + 3 * 1) / 4.0);
    EXPECT_DOUBLE_EQ(out[3], (1 * 2 + 2 * 1) / 4.0);
    double keep[4] = {9, 9, 9, 9};
    Convolution(a, 4, b, 3, keep);
    EXPECT_EQ(keep[0], 9.0);
}

TEST(Convolution, LongSeriesByTransformAgreeWithTheSum)
{
    std::mt19937 rng(7);
    std::normal_distribution<double> d(3.0, 2.0);
    const int n = 3001;   // not a power of two
    std::vector<double> a(n), b(n);
    for (int i = 0; i < n; ++i) { a[size_t(i)] = d(rng); b[size_t(i)] = d(rng); }
    std::vector<double> fast(n / 2), slow(n / 2);
    ConvolutionHead(a.data(), b.data(), n, fast.data(), n / 2);   // above the direct limit
    for (int i = 0; i < n / 2; ++i) {
        double s = 0;
        for (int j = 0; j < n; ++j) s += a[size_t(j)] * b[size_t((i + j) % n)];
        slow[size_t(i)] = s / n;
    }
    for (int i = 0; i < n / 2; ++i) ASSERT_NEAR(fast[size_t(i)], slow[size_t(i)], 1e-9) << i;
}

}  // namespace
