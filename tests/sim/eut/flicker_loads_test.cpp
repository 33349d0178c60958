// Flicker loads across the reference impedance: the voltage changes they
// cause at their terminals, and what the flickermeter and the voltage-change
// meter make of them compared with the same fluctuation on the supply side.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/dsp/flicker_channel.h"
#include "sim/dsp/flickermeter.h"
#include "sim/dsp/fluctuation.h"
#include "sim/eut/circuit.h"
#include "sim/eut/eut.h"
#include "sim/eut/params.h"
#include "sim/eut/terminal_voltage.h"

using namespace simphys;
namespace dsp = orivan::dsp;

namespace {

constexpr double kU = 230;
const std::complex<double> kLoop(0.4, 0.25);

std::unique_ptr<Eut> Model(const std::string& text)
{
    std::string error;
    auto m = MakeEut(text, &error);
    EXPECT_TRUE(m) << text << ": " << error;
    return m;
}

// Terminal voltage (and current) of phase 1 over `seconds`.
struct Trace {
    std::vector<double> u, i;
    double fs = 0;
};
Trace Sample(const std::string& eut, double seconds, double fs = 4800, RefImpedance z = RefImpedance::Loop)
{
    TerminalSampler ts(Supply{}, Model(eut), 1, fs);
    ts.set_impedance(z);
    Trace r;
    r.fs = fs;
    const size_t n = size_t(std::lround(seconds * fs));
    r.u.resize(n);
    r.i.resize(n);
    double* u[3] = {r.u.data()};
    double* i[3] = {r.i.data()};
    ts.next(n, u, i);
    return r;
}

// Mean of the per-period values over whole periods between t0 and t1 (50 Hz).
struct Phasors {
    double u = 0, i = 0, p = 0, q = 0;
};
Phasors Over(const Trace& r, double t0, double t1)
{
    const int spp = int(std::lround(r.fs / 50));
    const int k0 = int(std::ceil(t0 * 50)) * spp, k1 = int(std::floor(t1 * 50)) * spp;
    double uu = 0, ii = 0, ui = 0;
    for (int k = k0; k < k1; ++k) {
        uu += r.u[k] * r.u[k];
        ii += r.i[k] * r.i[k];
        ui += r.u[k] * r.i[k];
    }
    const double n = k1 - k0;
    Phasors ph;
    ph.u = std::sqrt(uu / n);
    ph.i = std::sqrt(ii / n);
    ph.p = ui / n;
    ph.q = std::sqrt(std::max(0.0, ph.u * ph.u * ph.i * ph.i - ph.p * ph.p));
    return ph;
}

// Relative drop at the terminals of a load impedance zl behind the loop.
double ExactDrop(std::complex<double> zl, std::complex<double> zs = kLoop) { return 1 - std::abs(zl / (zl + zs)); }

// Resistance whose drop behind the loop is d (bisection on 1 - R/|R + Z|).
double ResistanceFor(double d)
{
    double lo = 0.1, hi = 1e5;
    for (int k = 0; k < 200; ++k) {
        const double mid = std::sqrt(lo * hi);
        (ExactDrop(mid) > d ? lo : hi) = mid;
    }
    return lo;
}

dsp::FlickermeterConfig MeterConfig(double period_s, double rate = 4800)
{
    dsp::FlickermeterConfig mc = dsp::FlickermeterConfig::For(dsp::Lamp::V230_50Hz);
    mc.period_s = period_s;
    mc.sample_rate = rate;
    return mc;
}

// Pst of the first period and the largest Pinst, of a load's terminal
// voltage behind the loop or of a supply-side fluctuation ("rect:...").
struct Flicker {
    double pst = -1, pinst_max = 0;
};
Flicker Meter(const std::function<void(double*, size_t)>& source, const dsp::FlickermeterConfig& mc, double seconds)
{
    dsp::Flickermeter m(mc);
    std::vector<double> block(size_t(mc.sample_rate / 10));
    for (long k = 0, n = std::lround(seconds * 10); k < n; ++k) {
        source(block.data(), block.size());
        m.feed(block);
    }
    return {m.periods().empty() ? -1 : m.periods()[0].stats.pst, m.pinst_max()};
}
Flicker MeterOnLoad(const std::string& eut, const dsp::FlickermeterConfig& mc, double seconds)
{
    TerminalSampler ts(Supply{}, Model(eut), 1, mc.sample_rate);
    ts.set_impedance(RefImpedance::Loop);
    return Meter([&](double* u, size_t n) { ts.next(u, n); }, mc, seconds);
}
Flicker MeterOnSupply(const std::string& fluctuation, const dsp::FlickermeterConfig& mc, double seconds)
{
    dsp::SupplyConfig sc;
    sc.sample_rate = mc.sample_rate;
    std::string error;
    EXPECT_TRUE(dsp::Fluctuation::Parse(fluctuation, &sc.fluctuation, &error)) << error;
    dsp::SupplyGenerator g(sc);
    return Meter([&](double* u, size_t n) { g.generate(u, n); }, mc, seconds);
}

std::string Num(double v) { return FormatNumber(v, 10); }

}  // namespace

TEST(FlickerLoads, SwitchedResistorDropsTheTerminalVoltageByPROverUSquared)
{
    // 2000 W, changes every 3 s: off until 1.5 s, on until 4.5 s.
    const double r = kU * kU / 2000;
    const double first_order = 2000 * 0.4 / (kU * kU), exact = ExactDrop(r);
    for (double fs : {4800.0, 3200.0}) {
        Trace run = Sample("switch:power=2000,cpm=20", 4.4, fs);
        const Phasors off = Over(run, 0.2, 1.4), on = Over(run, 1.7, 4.3);
        EXPECT_NEAR(off.u, kU, 1e-3) << fs;
        EXPECT_LT(off.i, 1e-6) << fs;
        const double d = 1 - on.u / off.u;
        EXPECT_NEAR(d, exact, 2e-3 * exact) << fs;
        EXPECT_NEAR(d, first_order, 0.03 * first_order) << fs;
        EXPECT_NEAR(on.p, on.u * on.u / r, 1e-3 * on.p) << fs;  // the load's own resistance
        // Zero-crossing switching: no sample beyond the source peak, no notch.
        double worst = 0;
        for (size_t k = 1; k < run.u.size(); ++k) worst = std::max(worst, std::fabs(run.u[k] - run.u[k - 1]));
        EXPECT_LT(worst, 2 * std::numbers::pi * 50 * kU * std::numbers::sqrt2 / fs * 1.02) << fs;
    }

    // The harmonic path (256 points per period, window by window) and a
    // three-phase circuit with the phase conductor's 0.24 + j0.15 Ohm.
    Circuit c(Supply{}, Model("switch:power=2000,cpm=20"), 3);
    c.set_impedance(RefImpedance::Phase);
    Window w;
    std::vector<double> rms[3];
    for (int k = 0; k < 22; ++k) {
        c.next(w, 10);
        for (int p = 0; p < 3; ++p) {
            double s = 0;
            for (float x : w.u[p]) s += double(x) * x;
            rms[p].push_back(std::sqrt(s / w.n));
        }
    }
    const double exact_phase = ExactDrop(r, {0.24, 0.15});
    for (int p = 0; p < 3; ++p) {
        EXPECT_NEAR(rms[p][3], kU, 1e-3) << p;                        // 0.6 .. 0.8 s: off
        EXPECT_NEAR(1 - rms[p][15] / rms[p][3], exact_phase, 3e-3 * exact_phase) << p;  // 3.0 .. 3.2 s: on
    }
}

TEST(FlickerLoads, TerminalVoltageAgreesWithTheImpedanceDropOfTheMeasuredCurrent)
{
    // From the terminal voltage and the current alone: U_source =
    // |U_t + (R + jX)(P - jQ)/U_t|. Holds for the inductive motor while it
    // starts and while it runs, which checks the L di/dt part.
    Trace run = Sample("motor:power=1500,start=1,hold=0.4,tau=0.1", 3, 4800);
    for (auto [t0, t1] : {std::pair{1.1, 1.38}, std::pair{2.2, 2.9}}) {
        const Phasors ph = Over(run, t0, t1);
        const std::complex<double> us = ph.u + kLoop * std::complex<double>(ph.p, -ph.q) / ph.u;
        EXPECT_NEAR(std::abs(us), kU, 0.05) << t0;
    }
}

TEST(FlickerLoads, MotorStartGivesDmaxAndDcOfItsInrushAndRunningCurrents)
{
    const std::string text = "motor:power=1000,pf=0.8,inrush=6,spf=0.4,hold=0.2,tau=0.1,start=2";
    Trace run = Sample(text, 6);
    const Phasors start = Over(run, 2.02, 2.18), running = Over(run, 4, 6), before = Over(run, 0.5, 1.9);
    EXPECT_NEAR(before.u, kU, 1e-3);
    EXPECT_NEAR(start.i / running.i, 6 * start.u / running.u, 0.02 * 6);

    // First order: d = I (R cos phi + X sin phi) / U, with the currents and
    // power factors measured at the terminals.
    auto drop = [](const Phasors& ph) { return (0.4 * ph.p + 0.25 * ph.q) / (ph.u * kU); };
    const double d_start = 1 - start.u / kU, d_run = 1 - running.u / kU;
    EXPECT_NEAR(d_start, drop(start), 0.04 * d_start);
    EXPECT_NEAR(d_run, drop(running), 0.02 * d_run);
    EXPECT_NEAR(start.p / (start.u * start.i), 0.4, 0.01);
    EXPECT_NEAR(running.p / (running.u * running.i), 0.8, 0.01);
    // From the model's impedances alone.
    const std::complex<double> z_start = std::polar(kU / (6 * 1000 / (kU * 0.8)), std::acos(0.4));
    const std::complex<double> z_run = std::polar(kU / (1000 / (kU * 0.8)), std::acos(0.8));
    EXPECT_NEAR(d_start, ExactDrop(z_start), 0.01 * d_start);
    EXPECT_NEAR(d_run, ExactDrop(z_run), 0.01 * d_run);

    // The voltage-change meter on the same samples.
    dsp::FlickerChannel ch(dsp::FlickerChannelConfig::For(dsp::Lamp::V230_50Hz));
    ch.feed(run.u.data(), run.u.size());
    const dsp::VoltageChangeMaxima m = ch.voltage_change().total();
    EXPECT_EQ(m.changes, 1);
    EXPECT_NEAR(m.dmax, 100 * d_start, 0.02 * 100 * d_start);
    EXPECT_NEAR(m.dc, 100 * d_run, 0.05 * 100 * d_run);
}

TEST(FlickerLoads, MotorClosingAtTheCurrentZeroStartsWithoutOffset)
{
    // Closing at the voltage zero (start=1 s is a whole number of periods)
    // gives an inductive load its full DC offset; the zero-crossing switch
    // waits for the current zero of the starting current and gives none.
    // Mean of the first period of current over its peak.
    auto offset = [](const std::string& text, double start = 1) {
        Trace run = Sample(text, start + 0.08);
        const size_t spp = size_t(run.fs / 50);
        size_t k0 = size_t(start * run.fs);
        while (k0 < run.i.size() && run.i[k0] == 0) ++k0;
        double mean = 0, peak = 0;
        for (size_t k = k0; k < k0 + spp; ++k) {
            peak = std::max(peak, std::fabs(run.i[k]));
            mean += run.i[k] / spp;
        }
        return std::fabs(mean) / peak;
    };
    EXPECT_LT(offset("motor:start=1,zc=1"), 0.01);
    EXPECT_LT(offset("motor:start=0,zc=1", 0), 0.01);  // also when it starts with the supply
    EXPECT_GT(offset("motor:start=1,zc=0"), 0.05);
}

TEST(FlickerLoads, SwitchingAt110PerMinuteGivesThePstOfTheSupplySideFluctuation)
{
    // Scaled so that the drop across the loop is 0.722 %: Pst = 1.00.
    const double power = kU * kU / ResistanceFor(0.00722);
    EXPECT_NEAR(power, 0.00722 * kU * kU / 0.4, 0.02 * power);
    const dsp::FlickermeterConfig mc = MeterConfig(60);
    const double seconds = mc.settle_s + mc.period_s + 0.2;
    const Flicker load = MeterOnLoad("switch:power=" + Num(power) + ",cpm=110", mc, seconds);
    const Flicker supply = MeterOnSupply("rect:cpm=110,du=0.722", mc, seconds);
    EXPECT_NEAR(load.pst, 1.0, 0.05);
    EXPECT_NEAR(load.pst, supply.pst, 0.03 * supply.pst);

    // Twice the power: twice the drop, twice the Pst.
    const Flicker twice = MeterOnLoad("switch:power=" + Num(2 * power) + ",cpm=110", mc, seconds);
    EXPECT_NEAR(twice.pst / load.pst, ExactDrop(kU * kU / (2 * power)) / 0.00722, 0.04);
}

TEST(FlickerLoads, RectangularChangesAtOtherRatesAndSampleRates)
{
    // 1620 changes per minute at 0.407 % and 7 per minute at 1.450 % (Pst 1
    // on the supply side), the latter with a contact at 3200 Hz.
    struct Point {
        double cpm, du, period, rate;
        int zc;
    };
    for (const Point& pt : {Point{1620, 0.407, 30, 4800, 1}, Point{1620, 0.407, 30, 4800, 0},
                            Point{7, 1.450, 60, 3200, 0}}) {
        const double power = kU * kU / ResistanceFor(pt.du / 100);
        const dsp::FlickermeterConfig mc = MeterConfig(pt.period, pt.rate);
        const double seconds = mc.settle_s + mc.period_s + 0.2;
        const std::string text = "switch:power=" + Num(power) + ",cpm=" + Num(pt.cpm) +
                                 ",zc=" + Num(pt.zc);
        const Flicker load = MeterOnLoad(text, mc, seconds);
        const Flicker supply = MeterOnSupply("rect:cpm=" + Num(pt.cpm) + ",du=" + Num(pt.du), mc, seconds);
        EXPECT_NEAR(load.pst, supply.pst, 0.04 * supply.pst) << text;
    }
}

TEST(FlickerLoads, SinusoidalLoadGivesThePinstOfTheSupplySideFluctuation)
{
    // Swing chosen so that the terminal voltage swings by 0.250 % peak to
    // peak at 8.8 Hz: Pinst,max = 1.00.
    const double mean = 2000;
    double lo = 0, hi = 2 * mean;
    for (int k = 0; k < 100; ++k) {
        const double s = (lo + hi) / 2;
        const double du = ExactDrop(kU * kU / (mean + s / 2)) - ExactDrop(kU * kU / (mean - s / 2));
        (du < 0.0025 * (1 - ExactDrop(kU * kU / mean)) ? lo : hi) = s;
    }
    dsp::FlickermeterConfig mc = MeterConfig(600);
    mc.settle_s = 15;
    const Flicker load = MeterOnLoad("sineload:power=2000,hz=8.8,swing=" + Num(lo), mc, 35);
    const Flicker supply = MeterOnSupply("sine:hz=8.8,du=0.25", mc, 35);
    EXPECT_NEAR(load.pinst_max, 1.0, 0.08);
    EXPECT_NEAR(load.pinst_max, supply.pinst_max, 0.03 * supply.pinst_max);
}

TEST(FlickerLoads, HobThermostatCyclesAsItsThermalModelPredicts)
{
    const double tau = 20, rise = 400, hi = 260, lo = 240, seconds = 50;
    Trace run = Sample("hob:power=2000,tau=20,rise=400,set=250,hyst=20", seconds);

    // Plate temperature: the element draws about (R/|R + Z|)^2 of its rated
    // power; the thermal model sees the power of its current.
    const double r = kU * kU / 2000;
    const double i_on = Over(run, 1, 20).i;
    EXPECT_NEAR(i_on * i_on * r / 2000, std::pow(1 - ExactDrop(r), 2), 5e-4);
    const double top = rise * i_on * i_on * r / 2000;
    std::vector<double> expected = {tau * std::log(top / (top - hi))};
    for (bool heating = false; expected.back() < seconds;) {
        expected.push_back(expected.back() + tau * (heating ? std::log((top - lo) / (top - hi)) : std::log(hi / lo)));
        heating = !heating;
    }
    expected.pop_back();

    // Changes seen in the half-period RMS values of the terminal voltage.
    std::vector<double> seen;
    const int half = int(run.fs / 100);
    const double mid = kU * (1 - ExactDrop(r) / 2);
    bool on = true;
    for (size_t k = 0; k + half <= run.u.size(); k += half) {
        double s = 0;
        for (int j = 0; j < half; ++j) s += run.u[k + j] * run.u[k + j];
        const bool now_on = std::sqrt(s / half) < mid;
        if (now_on != on) seen.push_back(double(k) / run.fs);
        on = now_on;
    }
    // Each on and off time within the resolution of the half-periods and the
    // opening at the current zero (up to 10 ms more heating per cycle).
    ASSERT_EQ(seen.size(), expected.size());
    EXPECT_GE(seen.size(), 11u);
    EXPECT_NEAR(seen[0], expected[0], 0.02);
    for (size_t k = 1; k < seen.size(); ++k)
        EXPECT_NEAR(seen[k] - seen[k - 1], expected[k] - expected[k - 1], 0.025) << k;

    // The voltage-change meter counts each change once its new steady state
    // (one second) is found, and the switch-on at 0 s (from the nominal
    // voltage to the first steady state).
    dsp::FlickerChannel ch(dsp::FlickerChannelConfig::For(dsp::Lamp::V230_50Hz));
    ch.feed(run.u.data(), run.u.size());
    int complete = 1;
    for (double t : expected) complete += t + 1.1 < seconds;
    EXPECT_EQ(ch.voltage_change().total().changes, complete);
    EXPECT_NEAR(ch.voltage_change().total().dc, 100 * ExactDrop(r), 0.05 * 100 * ExactDrop(r));
}

TEST(FlickerLoads, SamplerStreamDoesNotDependOnTheCallersBlocks)
{
    auto take = [](size_t block) {
        TerminalSampler ts(Supply{}, Model("switch:power=1500,cpm=300,zc=0"), 1, 4800);
        ts.set_impedance(RefImpedance::Loop);
        std::vector<double> all, part(block);
        while (all.size() < 9600) {
            ts.next(part.data(), part.size());
            all.insert(all.end(), part.begin(), part.end());
        }
        all.resize(9600);
        return all;
    };
    const std::vector<double> ref = take(9600);
    for (size_t block : {1u, 37u, 961u}) EXPECT_EQ(take(block), ref) << block;
}

TEST(FlickerLoads, SamplerMatchesTheWindowedCircuitOnItsGrid)
{
    // At 256 points per period both paths see the same samples; away from
    // the window edges (where the circuit extrapolates di/dt) they agree.
    const std::string eut = "heater:power=3000";
    Circuit c(Supply{}, Model(eut), 3);
    c.set_impedance(RefImpedance::Loop);
    TerminalSampler ts(Supply{}, Model(eut), 3, 256 * 50);
    ts.set_impedance(RefImpedance::Loop);
    std::vector<double> u[3];
    for (auto& v : u) v.resize(2560);
    double* up[3] = {u[0].data(), u[1].data(), u[2].data()};
    Window w;
    double worst = 0;
    for (int k = 0; k < 4; ++k) {
        c.next(w, 10);
        ts.next(2560, up);
        if (k == 0) continue;
        for (int p = 0; p < 3; ++p)
            for (int j = 1; j + 1 < 2560; ++j) worst = std::max(worst, std::fabs(u[p][j] - w.u[p][j]));
    }
    EXPECT_LT(worst, 2e-3);
}

TEST(FlickerLoads, SamplerFollowsSupplyChangesWithoutAPhaseJump)
{
    TerminalSampler ts(Supply{}, Model("heater:power=1000"), 1, 4800);
    std::vector<double> a(9600), b(9600);
    ts.next(a.data(), a.size());
    Supply s;
    s.voltage = 120;
    s.frequency = 60;
    ts.set_supply(s);
    ts.next(b.data(), b.size());
    a.insert(a.end(), b.begin(), b.end());
    double worst = 0;
    for (size_t k = 1; k < a.size(); ++k) worst = std::max(worst, std::fabs(a[k] - a[k - 1]));
    EXPECT_LT(worst, 2 * std::numbers::pi * 50 * kU * std::numbers::sqrt2 / 4800 * 1.01);
    // The last second: 120 V, 60 Hz (120 zero crossings).
    double ss = 0;
    int crossings = 0;
    for (size_t k = a.size() - 4800; k < a.size(); ++k) {
        ss += a[k] * a[k];
        crossings += (a[k - 1] < 0) != (a[k] < 0);
    }
    EXPECT_NEAR(std::sqrt(ss / 4800), 120, 0.01);
    EXPECT_EQ(crossings, 120);

    // An envelope scales the source; no equipment: the source itself.
    TerminalSampler bare(Supply{}, nullptr, 1, 4800);
    bare.set_envelope([](double t) { return t < 0.5 ? 1.0 : 0.9; });
    std::vector<double> v(4800);
    bare.next(v.data(), v.size());
    EXPECT_NEAR(v[1200], 0.0, 1e-9);
    EXPECT_NEAR(v[2400 + 24], 0.9 * kU * std::numbers::sqrt2, 1e-6);
    EXPECT_NEAR(v[24], kU * std::numbers::sqrt2, 1e-6);

    EXPECT_THROW(TerminalSampler(Supply{}, nullptr, 1, 700), std::invalid_argument);
    EXPECT_THROW(ts.set_supply(Supply{.voltage = 230, .frequency = 400}), std::invalid_argument);
}

TEST(FlickerLoads, CatalogueKnowsTheModelsAndRejectsBadParameters)
{
    const std::string list = ListEut();
    for (const char* name : {"\nswitch  ", "\nsineload  ", "\nmotor  ", "\nhob  ", "heater  "})
        EXPECT_NE(list.find(name), std::string::npos) << name;

    std::string error;
    auto m = MakeEut("SWITCH:Power=500,cpm=7", &error);
    ASSERT_TRUE(m) << error;
    EXPECT_EQ(m->text(), "switch:power=500,low=0,cpm=7,zc=1");
    auto again = MakeEut(m->text(), &error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(again->text(), m->text());
    EXPECT_FALSE(m->three_phase());

    for (const char* bad : {"switch:cpm=0", "switch:power=abc", "switch:speed=3", "sineload:power=100,swing=300",
                            "motor:period=10,run=12", "motor:pf=0", "hob:set=500", "hob:set=5,hyst=20",
                            "motors"}) {
        error.clear();
        EXPECT_FALSE(MakeEut(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}
