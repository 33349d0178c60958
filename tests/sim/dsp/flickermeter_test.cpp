// Flickermeter verification against the points of EN61000-4-15 (2010).
// Class F1 allows +-8 % on Pinst,max and +-5 % on Pst; the design reaches
// about 1 %, and the tests hold it to 2 % (sinusoidal Pinst), 3 % (Pinst of
// rectangular steps, which depends a little on where the steps fall in the
// mains period) and 3 % (Pst), so that a drift in a filter constant shows up
// before it breaks compliance.
#include "run_supply.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

using namespace flicker_test;

namespace {

double LampWeighting230(double f);

constexpr double kPinstTol = 0.02;
constexpr double kRectPinstTol = 0.03;
constexpr double kPstTol = 0.03;

struct Point {
    double rate;   // Hz (sine / rect Pinst tables) or changes per minute
    double du;     // % peak to peak
};

// Analogue blocks 3 of the 230 V lamp: 0.05 Hz high-pass, 35 Hz
// Butterworth and the lamp-eye weighting filter.
double AnalogueWeighting230(double f)
{
    std::complex<double> s(0, 2 * M_PI * f);
    const double wh = 2 * M_PI * 0.05, wl = 2 * M_PI * 35;
    std::complex<double> h = s / (s + wh);
    for (double q : {1.93185, 0.70711, 0.51764})
        h *= wl * wl / (s * s + wl / q * s + wl * wl);
    return std::abs(h) * LampWeighting230(f);
}

double LampWeighting230(double f)
{
    const double tp = 2 * M_PI;
    const double k = 1.74802, lam = tp * 4.05981, w1 = tp * 9.15494, w2 = tp * 2.27979,
                 w3 = tp * 1.22535, w4 = tp * 21.9;
    std::complex<double> s(0, tp * f);
    return std::abs(k * w1 * s / (s * s + 2 * lam * s + w1 * w1) * (1.0 + s / w2) /
                    ((1.0 + s / w3) * (1.0 + s / w4)));
}

}  // namespace

TEST(FlickermeterFilters, DigitalResponsesMatchTheAnalogueDesign)
{
    Flickermeter m(FlickermeterConfig::For(Lamp::V230_50Hz));
    for (double f : {0.1, 0.5, 1.0, 3.0, 8.8, 15.0, 25.0, 33.3})
        EXPECT_NEAR(m.weighting_gain(f) / AnalogueWeighting230(f), 1.0, 0.001) << f << " Hz";

    // Corners: the pre-warped -3 dB points sit where designed.
    const double fs = m.config().sample_rate;
    Biquad hp = Bilinear(0, 1, 0, 0, 1, 2 * M_PI * 0.05, fs, 0.05);
    EXPECT_NEAR(hp.gain(0.05, fs), std::sqrt(0.5), 1e-9);
    double lp35 = 1;
    for (int k = 0; k < 3; ++k) {
        double q = 1 / (2 * std::sin((2 * k + 1) * M_PI / 12));
        double wc = 2 * M_PI * 35;
        Biquad s = Bilinear(0, 0, 1, 1 / (wc * wc), 1 / (q * wc), 1, fs, 35);
        lp35 *= s.gain(35, fs);
    }
    EXPECT_NEAR(lp35, std::sqrt(0.5), 1e-9);
    // The 100 Hz carrier of the demodulator is gone.
    EXPECT_LT(m.weighting_gain(100) / m.weighting_gain(8.8), 1e-4);
}

TEST(FlickermeterFilters, PrimedSectionStartsInSteadyState)
{
    Biquad q = Bilinear(0, 1, 0, 0, 1, 2 * M_PI * 0.05, 4800, 0.05);
    q.prime(0.5);
    EXPECT_NEAR(q.step(0.5), 0.0, 1e-12);
    Biquad lp = Bilinear(0, 0, 1, 1e-3, 0.05, 1, 4800, 5);
    lp.prime(2.0);
    EXPECT_NEAR(lp.step(2.0), 2.0, 1e-9);
}

TEST(FlickermeterVerification, SinusoidalFluctuations230V)
{
    // Table of the sinusoidal fluctuations giving Pinst,max = 1 (230 V lamp).
    const Point table[] = {
        {0.5, 2.325}, {1.0, 1.397}, {1.5, 1.067}, {2.0, 0.879}, {2.5, 0.747}, {3.0, 0.645},
        {3.5, 0.564}, {4.0, 0.497}, {4.5, 0.442}, {5.0, 0.396}, {5.5, 0.357}, {6.0, 0.325},
        {6.5, 0.300}, {7.0, 0.280}, {7.5, 0.265}, {8.0, 0.256}, {8.8, 0.250}, {9.5, 0.254},
        {10.0, 0.261}, {10.5, 0.271}, {11.0, 0.283}, {11.5, 0.298}, {12.0, 0.314},
        {13.0, 0.351}, {14.0, 0.393}, {15.0, 0.438}, {16.0, 0.486}, {17.0, 0.537},
        {18.0, 0.590}, {19.0, 0.646}, {20.0, 0.704}, {21.0, 0.764}, {22.0, 0.828},
        {23.0, 0.894}, {24.0, 0.964}, {25.0, 1.037}, {33.33, 2.128}};
    for (const Point& p : table) {
        double seconds = p.rate < 2 ? 12 : 4;
        EXPECT_NEAR(PinstMaxOf(Lamp::V230_50Hz, Sine(p.rate, p.du), seconds), 1.0, kPinstTol)
            << p.rate << " Hz at " << p.du << " %";
    }
}

TEST(FlickermeterVerification, RectangularFluctuationsPinst230V)
{
    // Rectangular modulation at f Hz (120 f changes per minute) giving Pinst,max = 1.
    const Point table[] = {{0.5, 0.514}, {1.0, 0.471}, {1.5, 0.432}, {2.0, 0.401},
                           {2.5, 0.374}, {3.0, 0.355}, {3.5, 0.345}, {4.0, 0.333},
                           {4.5, 0.316}, {5.0, 0.293}, {5.5, 0.269}, {6.0, 0.249},
                           {6.5, 0.231}, {7.0, 0.217}, {7.5, 0.207}, {8.0, 0.200},
                           {8.8, 0.196}};
    for (const Point& p : table)
        EXPECT_NEAR(PinstMaxOf(Lamp::V230_50Hz, Rect(120 * p.rate, p.du), 8), 1.0, kRectPinstTol)
            << p.rate << " Hz at " << p.du << " %";
}

TEST(FlickermeterVerification, Lamp120VReferencePoint)
{
    EXPECT_NEAR(PinstMaxOf(Lamp::V120_60Hz, Sine(8.8, 0.321), 5), 1.0, kPinstTol);
    // The 120 V lamp is less sensitive at 1 Hz than the 230 V lamp.
    double p1 = PinstMaxOf(Lamp::V120_60Hz, Sine(1.0, 1.397), 12);
    EXPECT_LT(p1, 0.95);
    EXPECT_GT(p1, 0.8);
}

TEST(FlickermeterVerification, RectangularChangesPst230V)
{
    // Changes per minute and du giving Pst = 1.00 (230 V lamp). The high
    // rates are stationary within a minute; the low ones need ten.
    const Point table[] = {{1, 2.715},  {2, 2.191},   {7, 1.450},  {39, 0.894},
                           {110, 0.722}, {1620, 0.407}, {4000, 2.343}};
    for (const Point& p : table) {
        double period = p.rate >= 110 ? 60 : 600;
        EXPECT_NEAR(PstOf(Lamp::V230_50Hz, Rect(p.rate, p.du), period), 1.0, kPstTol)
            << p.rate << " changes/min at " << p.du << " %";
    }
}

TEST(FlickermeterVerification, RectangularChangesPst120V)
{
    const Point table[] = {{1, 3.178},  {2, 2.561},   {7, 1.694},  {39, 1.045},
                           {110, 0.844}, {1620, 0.545}, {4800, 4.837}};
    for (const Point& p : table) {
        double period = p.rate >= 110 && p.rate <= 1620 ? 60 : 600;
        EXPECT_NEAR(PstOf(Lamp::V120_60Hz, Rect(p.rate, p.du), period), 1.0, kPstTol)
            << p.rate << " changes/min at " << p.du << " %";
    }
}

TEST(FlickermeterVerification, PstIsLinearInTheFluctuation)
{
    const double base = PstOf(Lamp::V230_50Hz, Rect(110, 0.722), 60);
    for (double factor : {0.25, 0.5, 2.0, 4.0, 10.0}) {
        double pst = PstOf(Lamp::V230_50Hz, Rect(110, 0.722 * factor), 60);
        EXPECT_NEAR(pst / (factor * base), 1.0, 0.02) << "factor " << factor;
    }
    // The same holds for a slow rate, whose Pst rests on the top percentiles.
    EXPECT_NEAR(PstOf(Lamp::V230_50Hz, Rect(7, 2 * 1.450), 600), 2.0, 2 * kPstTol);
}

TEST(FlickermeterVerification, IndependentOfTheSampleRate)
{
    for (double rate : {1600.0, 3200.0, 10000.0}) {
        EXPECT_NEAR(PstOf(Lamp::V230_50Hz, Rect(110, 0.722), 60, rate), 1.0, kPstTol) << rate;
        EXPECT_NEAR(PstOf(Lamp::V230_50Hz, Rect(1620, 0.407), 60, rate), 1.0, kPstTol) << rate;
    }
}

TEST(FlickermeterPlt, TwelveEqualPeriodsGiveTheirPst)
{
    FlickermeterConfig mc;
    mc.period_s = 60;
    Flickermeter m(mc);
    int reported = 0;
    m.on_period = [&](const PeriodResult& r) {
        EXPECT_EQ(r.index, reported);
        ++reported;
    };
    SupplyGenerator g(SupplyFor(mc, Rect(1620, 0.407)));
    Feed(m, g, mc.settle_s + 12 * 60 + 0.1);
    ASSERT_EQ(m.periods().size(), 12u);
    EXPECT_EQ(reported, 12);
    const double first = m.periods()[0].stats.pst;
    EXPECT_NEAR(first, 1.0, kPstTol);
    for (const PeriodResult& r : m.periods())
        EXPECT_NEAR(r.stats.pst, first, 0.005 * first) << "period " << r.index;
    EXPECT_NEAR(m.plt(), first, 0.005 * first);
}

TEST(FlickermeterPlt, CubicMeanOverTheLastPeriods)
{
    // Rectangular changes whose amplitude doubles in the second and triples
    // in the third period; Plt over the last two periods.
    FlickermeterConfig mc;
    mc.period_s = 60;
    mc.plt_periods = 2;
    Flickermeter m(mc);
    SupplyConfig sc = SupplyFor(mc, Fluctuation{});
    const double settle = mc.settle_s;
    sc.envelope = [settle](double t) {
        double interval = 60.0 / 1620;
        int period = t < settle ? 0 : int((t - settle) / 60);
        double du = 0.407 / 100 * (period + 1);
        long change = long(std::floor(t / interval + 0.5));
        return 1 + du / 2 * ((change % 2) ? -1 : 1);
    };
    SupplyGenerator g(sc);
    Feed(m, g, settle + 3 * 60 + 0.1);
    ASSERT_EQ(m.periods().size(), 3u);
    double p1 = m.periods()[0].stats.pst, p2 = m.periods()[1].stats.pst,
           p3 = m.periods()[2].stats.pst;
    EXPECT_NEAR(p1, 1.0, kPstTol);
    EXPECT_NEAR(p2 / p1, 2.0, 0.05);
    EXPECT_NEAR(p3 / p1, 3.0, 0.08);
    EXPECT_NEAR(m.periods()[0].plt, p1, 1e-12);
    EXPECT_NEAR(m.periods()[1].plt, std::cbrt((p1 * p1 * p1 + p2 * p2 * p2) / 2), 1e-9);
    EXPECT_NEAR(m.plt(), std::cbrt((p2 * p2 * p2 + p3 * p3 * p3) / 2), 1e-9);
}

TEST(FlickermeterClassifier, ClassesCoverTheirValues)
{
    for (double v : {1e-7, 0.001, 0.2, 1.0, 1.0039, 3.7, 250.0, 1e6}) {
        int c = FlickerClassifier::ClassOf(v);
        EXPECT_LE(FlickerClassifier::LowerBound(c), v) << v;
        EXPECT_GT(FlickerClassifier::UpperBound(c), v) << v;
        EXPECT_LT(FlickerClassifier::UpperBound(c) / FlickerClassifier::LowerBound(c), 1.0079) << v;
    }
    EXPECT_EQ(FlickerClassifier::ClassOf(0), 0);
    EXPECT_EQ(FlickerClassifier::ClassOf(-1), 0);
    EXPECT_EQ(FlickerClassifier::ClassOf(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(FlickerClassifier::ClassOf(1e300), FlickerClassifier::kClasses - 1);
    EXPECT_GE(FlickerClassifier::kClasses, 1000);
}

TEST(FlickermeterClassifier, PercentilesOfAKnownDistribution)
{
    // Uniform levels 0.01 .. 10: P_x is the level exceeded x % of the time.
    FlickerClassifier c;
    EXPECT_EQ(c.percentile(1), 0.0);
    const int n = 100000;
    for (int i = 0; i < n; ++i)
        c.add(0.01 + 9.99 * (i + 0.5) / n);
    auto p = c.percentiles();
    for (size_t i = 0; i < kPercentiles.size(); ++i) {
        double expected = 0.01 + 9.99 * (1 - kPercentiles[i] / 100);
        EXPECT_NEAR(p[i], expected, 0.001 * expected) << "P" << kPercentiles[i];
        EXPECT_NEAR(c.percentile(kPercentiles[i]), p[i], 1e-12);
    }
    // A constant level gives Pst = sqrt(sum of the weights x level).
    FlickerClassifier k;
    for (int i = 0; i < 1000; ++i)
        k.add(2.0);
    EXPECT_NEAR(k.statistics().pst, std::sqrt(0.5096 * 2.0), 0.01);
    k.clear();
    EXPECT_EQ(k.total(), 0u);
    EXPECT_EQ(k.statistics().pst, 0.0);
}

TEST(FlickermeterStream, SteadySupplyShowsNoFlicker)
{
    // Also checks the start: no transient of the filters reaches the classifier.
    FlickermeterConfig mc;
    mc.period_s = 30;
    Flickermeter m(mc);
    SupplyGenerator g(SupplyFor(mc, Fluctuation{}));
    Feed(m, g, mc.settle_s + 30.1);
    ASSERT_EQ(m.periods().size(), 1u);
    EXPECT_LT(m.periods()[0].stats.pst, 0.01);
    EXPECT_LT(m.pinst_max(), 1e-3);
}

TEST(FlickermeterStream, HalfPeriodValues)
{
    struct Case {
        Lamp lamp;
        double hz, volts;
    };
    for (Case c : {Case{Lamp::V230_50Hz, 50, 230}, Case{Lamp::V230_50Hz, 50.3, 207},
                   Case{Lamp::V120_60Hz, 60, 120}}) {
        FlickermeterConfig mc = FlickermeterConfig::For(c.lamp);
        Flickermeter m(mc);
        std::vector<HalfPeriodValue> hv;
        m.on_half_period = [&](const HalfPeriodValue& v) { hv.push_back(v); };
        SupplyConfig sc = SupplyFor(mc, Fluctuation{});
        sc.mains_hz = c.hz;
        sc.u_rms = c.volts;
        SupplyGenerator g(sc);
        Feed(m, g, 10);
        // One value per half-period, the first starting at the first zero
        // crossing after the start (10 ms in), the last still open.
        EXPECT_NEAR(double(hv.size()), 10 * 2 * c.hz - 2, 1) << c.hz;
        for (size_t i = 0; i < hv.size(); ++i) {
            ASSERT_EQ(hv[i].index, i);
            EXPECT_NEAR(hv[i].u_rms, c.volts, 1e-4 * c.volts) << c.hz << " Hz, half-period " << i;
            if (i > 0) {
                EXPECT_NEAR(hv[i].end_time - hv[i - 1].end_time, 1 / (2 * c.hz), 1e-5);
            }
        }
        // Block 1 adapts to the actual voltage.
        EXPECT_NEAR(m.reference_rms(), c.volts, 1e-3 * c.volts);
        EXPECT_LT(m.pinst(), 1e-3);
    }
}

TEST(FlickermeterStream, PmomFollowsPinstPerHalfPeriod)
{
    FlickermeterConfig mc;
    Flickermeter m(mc);
    std::vector<HalfPeriodValue> hv;
    m.on_half_period = [&](const HalfPeriodValue& v) { hv.push_back(v); };
    SupplyGenerator g(SupplyFor(mc, Sine(8.8, 0.25)));
    // Sample by sample: a half-period ends with the sample before the one
    // that shows the zero crossing, and its Pmom is the Pinst after that sample.
    std::vector<double> u = g.generate(size_t(mc.sample_rate * 20));
    double largest = 0, before = 0;
    for (double v : u) {
        size_t n = hv.size();
        m.feed(&v, 1);
        if (hv.size() != n && hv.back().index > 0) {
            EXPECT_DOUBLE_EQ(hv.back().pinst, before);
            if (hv.back().end_time > 10)
                largest = std::max(largest, hv.back().pinst);
        }
        before = m.pinst();
    }
    // Sampled every 10 ms, the peaks of the 17.6 Hz Pinst ripple are met closely.
    EXPECT_NEAR(largest, 1.0, 0.05);
}

TEST(FlickermeterStream, ChunkSizeDoesNotMatter)
{
    FlickermeterConfig mc;
    mc.period_s = 20;
    Flickermeter a(mc), b(mc);
    SupplyGenerator g(SupplyFor(mc, Rect(110, 0.722)));
    std::vector<double> u = g.generate(size_t(mc.sample_rate * 25.5));
    a.feed(u);
    for (size_t i = 0; i < u.size();) {
        size_t n = std::min<size_t>(1 + i % 997, u.size() - i);
        b.feed(u.data() + i, n);
        i += n;
    }
    ASSERT_EQ(a.periods().size(), 1u);
    ASSERT_EQ(b.periods().size(), 1u);
    EXPECT_EQ(a.periods()[0].stats.pst, b.periods()[0].stats.pst);
    EXPECT_EQ(a.pinst(), b.pinst());
}

TEST(FlickermeterInput, RejectsBadConfiguration)
{
    FlickermeterConfig c;
    c.sample_rate = 1000;
    EXPECT_THROW(Flickermeter{c}, std::invalid_argument);
    c = {};
    c.period_s = 0;
    EXPECT_THROW(Flickermeter{c}, std::invalid_argument);
    c = {};
    c.plt_periods = 0;
    EXPECT_THROW(Flickermeter{c}, std::invalid_argument);
    c = {};
    c.sample_rate = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(Flickermeter{c}, std::invalid_argument);
}

TEST(FlickermeterInput, NonFiniteSamplesAndMissingSupplyStayFinite)
{
    FlickermeterConfig mc;
    mc.period_s = 10;
    Flickermeter m(mc);
    SupplyGenerator g(SupplyFor(mc, Fluctuation{}));
    std::vector<double> u = g.generate(size_t(mc.sample_rate * 8));
    u[1000] = std::numeric_limits<double>::quiet_NaN();
    u[20000] = std::numeric_limits<double>::infinity();
    m.feed(u);
    EXPECT_EQ(m.rejected_samples(), 2u);
    EXPECT_TRUE(std::isfinite(m.pinst()));

    // The supply fails: zero volts, no zero crossings.
    size_t halves = 0;
    m.on_half_period = [&](const HalfPeriodValue& v) {
        ++halves;
        EXPECT_TRUE(std::isfinite(v.u_rms));
        EXPECT_TRUE(std::isfinite(v.pinst));
    };
    std::vector<double> zero(size_t(mc.sample_rate * 8), 0.0);
    m.feed(zero);
    EXPECT_GT(halves, 8 * 100 / 2u);     // half-periods go on at about nominal length
    ASSERT_EQ(m.periods().size(), 1u);
    EXPECT_TRUE(std::isfinite(m.periods()[0].stats.pst));
    EXPECT_GT(m.periods()[0].stats.pst, 1.0);   // an interruption flickers
}
