// Physics of the simulated bench: EUT models, supply, harmonic analysis and
// the analyser's own evaluation, checked against known results.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "sim/analysis/device_eval.h"
#include "sim/analysis/harmonics.h"
#include "sim/eut/circuit.h"

using namespace simphys;

namespace {

constexpr double kPi = std::numbers::pi;

struct Frames {
    std::vector<PhaseValues> frames[3];
    PhaseValues last(int p = 0) const { return frames[p].back(); }
};

// Runs `windows` measuring windows of an EUT on a supply and analyses them.
Frames Measure(const std::string& eut, int windows, const Supply& supply = Supply{}, int phases = 1,
            RefImpedance z = RefImpedance::Off, AnalyserSetup setup = {})
{
    std::string error;
    auto model = MakeEut(eut, &error);
    EXPECT_TRUE(model) << error;
    Frames r;
    if (!model) return r;
    Circuit c(supply, std::move(model), phases);
    c.set_impedance(z);
    HarmonicAnalyser a(setup);
    Window w;
    PhaseValues v[3];
    for (int k = 0; k < windows; ++k) {
        c.next(w, PeriodsPerWindow(supply.frequency));
        a.analyse(w, v);
        for (int p = 0; p < phases; ++p) r.frames[p].push_back(v[p]);
    }
    return r;
}

double Rel(double a, double b) { return std::fabs(a - b) / std::fabs(b); }

}  // namespace

TEST(SimPhysics, PureSineLoadHasNoHarmonicsAndUnityPowerFactor)
{
    PhaseValues v = Measure("heater:power=2000", 3).last();
    EXPECT_NEAR(v.utrms, 230, 0.01);
    EXPECT_NEAR(v.freq, 50, 1e-3);
    for (int n = 2; n <= 40; ++n) EXPECT_LT(v.hiam[n], 1e-4 * v.hiam[1]) << "order " << n;
    EXPECT_LT(v.hiam[0], 1e-4);
    EXPECT_NEAR(v.pf, 1, 1e-5);
    EXPECT_NEAR(v.q, 0, 1e-2 * v.s);
    EXPECT_LT(v.hihd, 0.01);
    EXPECT_LT(v.huhd, 0.01);
    EXPECT_NEAR(v.itrms, v.hiam[1], 1e-4);
    EXPECT_EQ(v.hust, 0);  // a clean supply meets every test condition
    EXPECT_NEAR(v.crest, std::numbers::sqrt2, 1e-3);
    EXPECT_NEAR(v.peak_angle, 90, 1.5);
}

TEST(SimPhysics, ResistivePowerIsUSquaredOverR)
{
    const double r = 230.0 * 230.0 / 1500;
    for (RefImpedance z : {RefImpedance::Off, RefImpedance::Loop}) {
        PhaseValues v = Measure("heater:power=1500", 3, Supply{}, 1, z).last();
        EXPECT_LT(Rel(v.p, double(v.utrms) * v.utrms / r), 1e-3) << int(z);
        EXPECT_LT(Rel(v.itrms, v.utrms / r), 1e-3);
    }
    // The loop impedance takes its share of the source voltage.
    PhaseValues v = Measure("heater:power=1500", 3, Supply{}, 1, RefImpedance::Loop).last();
    const double expect = 230 * r / std::hypot(r + 0.4, 0.25);
    EXPECT_LT(Rel(v.utrms, expect), 1e-3) << v.utrms;
}

TEST(SimPhysics, SquareWaveGivesOddSpectrumInverseToOrder)
{
    // Sampled finely enough that aliasing stays far below the tolerance.
    for (bool grouping : {false, true}) {
        std::string error;
        Circuit c(Supply{}, MakeEut("square:current=2", &error), 1, 8192);
        AnalyserSetup s;
        s.grouping = grouping;
        s.smoothing = false;
        HarmonicAnalyser a(s);
        Window w;
        PhaseValues v;
        c.next(w, 10);
        a.analyse(w, &v);
        EXPECT_NEAR(v.itrms, 2, 1e-3);
        EXPECT_NEAR(v.hiam[1], 2 * 2 * std::numbers::sqrt2 / kPi, 1e-3);
        for (int n = 2; n <= 40; ++n) {
            if (n % 2) {
                EXPECT_LT(Rel(v.hiam[n], v.hiam[1] / n), 0.005) << "order " << n;
            } else {
                EXPECT_LT(v.hiam[n], 1e-3 * v.hiam[1]) << "order " << n;
            }
        }
        // THD of a square wave: sqrt(pi^2/8 - 1), cut off at order 40.
        double thd = 0;
        for (int n = 3; n <= 39; n += 2) thd += 1.0 / (n * n);
        EXPECT_NEAR(v.hihd, 100 * std::sqrt(thd), 0.2);
    }
}

TEST(SimPhysics, CapacitorInputRectifierFailsClassDWhilePfcPasses)
{
    PhaseValues plain = Measure("smps:power=250", 20).last();
    EXPECT_GT(plain.hiam[3], 0.85) << "3.4 mA/W x 250 W";
    const double i1 = plain.hiam[1];
    EXPECT_GT(plain.hiam[3] / i1, 0.75);
    EXPECT_LT(plain.hiam[3] / i1, 0.90);
    EXPECT_GT(plain.hiam[5] / i1, 0.50);
    EXPECT_LT(plain.hiam[5] / i1, 0.72);
    EXPECT_GT(plain.hiam[7] / i1, 0.25);
    EXPECT_LT(plain.hiam[7] / i1, 0.50);
    EXPECT_GT(plain.pf, 0.55);
    EXPECT_LT(plain.pf, 0.70);
    EXPECT_NEAR(plain.p, 250, 10);
    EXPECT_LT(plain.hiam[2], 1e-3);  // half-wave symmetric: no even orders

    PhaseValues pfc = Measure("smps:power=250,pfc=1", 20).last();
    EXPECT_LT(pfc.hiam[3], 0.85);
    EXPECT_LT(pfc.hiam[3] / pfc.hiam[1], 0.1);
    EXPECT_GT(pfc.pf, 0.95);
    EXPECT_NEAR(pfc.p, 250, 1);
}

TEST(SimPhysics, PhaseAngleDimmerMatchesTheFourierSeriesOfTheCutSine)
{
    // Resistive lamp cut at 90 degrees: I1 = 0.593, I3 = 1/pi of the
    // full-conduction current.
    const double full = 230.0 / (230.0 * 230.0 / 500);
    PhaseValues v = Measure("dimmer:angle=90,power=500", 10).last();
    EXPECT_LT(Rel(v.hiam[1], full * std::sqrt(0.25 + 1 / (kPi * kPi))), 0.01);
    EXPECT_LT(Rel(v.hiam[3], full / kPi), 0.02);
    EXPECT_LT(Rel(v.p, 250), 0.01);  // half the energy of each half-wave
    EXPECT_GT(v.q, 0);               // the fundamental lags
    PhaseValues off = Measure("dimmer:angle=180", 2).last();
    EXPECT_LT(off.itrms, 1e-6);
}

TEST(SimPhysics, GroupingAddsTheNeighbouringInterharmonicBins)
{
    // 50 Hz, 10 periods: bins every 5 Hz; 155 Hz sits next to the 3rd
    // harmonic (bin 31), 275 Hz midway between the 5th and 6th (bin 55).
    const int n = 2560;
    const double fs = 12800;
    std::vector<float> u(n), i(n);
    for (int k = 0; k < n; ++k) {
        double t = k / fs;
        u[k] = float(325 * std::sin(2 * kPi * 50 * t));
        i[k] = float(std::sin(2 * kPi * 50 * t) + 0.3 * std::sin(2 * kPi * 150 * t) +
                     0.2 * std::sin(2 * kPi * 155 * t) + 0.1 * std::sin(2 * kPi * 275 * t));
    }
    AnalyserSetup s;
    s.smoothing = false;
    s.grouping = false;
    HarmonicAnalyser single(s);
    s.grouping = true;
    HarmonicAnalyser grouped(s);
    PhaseValues a, b;
    single.analyse_phase(u.data(), i.data(), n, 10, fs, 0, a);
    grouped.analyse_phase(u.data(), i.data(), n, 10, fs, 0, b);
    const double r2 = std::numbers::sqrt2;
    EXPECT_NEAR(a.hiam[3], 0.3 / r2, 1e-4);
    EXPECT_NEAR(b.hiam[3], std::hypot(0.3, 0.2) / r2, 1e-4);
    for (int h : {5, 6}) {  // the midway interharmonic belongs to no subgroup
        EXPECT_LT(a.hiam[h], 1e-4);
        EXPECT_LT(b.hiam[h], 1e-4);
    }
    EXPECT_NEAR(b.hiam[1], 1 / r2, 1e-4);
    EXPECT_NEAR(a.hiph[3], 0, 0.1);  // sine reference
}

TEST(SimPhysics, SixtyHertzUsesTwelvePeriodWindows)
{
    EXPECT_EQ(PeriodsPerWindow(50), 10);
    EXPECT_EQ(PeriodsPerWindow(60), 12);
    Supply s;
    ASSERT_TRUE(ParseSupply("120/60:h3=0.5", s, nullptr));
    std::string error;
    Circuit c(s, MakeEut("heater:power=1000", &error), 1);
    Window w;
    c.next(w, PeriodsPerWindow(60));
    EXPECT_EQ(w.periods, 12);
    EXPECT_NEAR(w.n / w.fs, 0.2, 1e-9);
    AnalyserSetup as;
    as.nominal_voltage = 120;
    as.nominal_frequency = 60;
    HarmonicAnalyser a(as);
    PhaseValues v;
    a.analyse(w, &v);
    EXPECT_NEAR(v.freq, 60, 1e-3);
    EXPECT_NEAR(100 * v.huam[3] / v.huam[1], 0.5, 1e-3);  // found at bin 36
    EXPECT_NEAR(v.huam[1], 120, 0.01);
    EXPECT_EQ(v.hust, 0);
}

TEST(SimPhysics, SmoothingFollowsTheFirstOrderLowPass)
{
    const int n = 2560;
    const double fs = 12800;
    std::vector<float> u(n), quiet(n), loud(n);
    for (int k = 0; k < n; ++k) {
        double th = 2 * kPi * 50 * k / fs;
        u[k] = float(325 * std::sin(th));
        quiet[k] = float(std::sin(th));
        loud[k] = float(std::sin(th) + std::sin(3 * th));
    }
    HarmonicAnalyser a;
    PhaseValues v;
    a.analyse_phase(u.data(), quiet.data(), n, 10, fs, 0, v);
    for (int w = 1; w <= 10; ++w) {
        a.analyse_phase(u.data(), loud.data(), n, 10, fs, 0, v);
        const double expect = (1 - std::exp(-w * 0.2 / 1.5)) / std::numbers::sqrt2;
        EXPECT_NEAR(v.hiam[3], expect, 1e-4) << "window " << w;
    }
    a.restart();
    a.analyse_phase(u.data(), loud.data(), n, 10, fs, 0, v);
    EXPECT_NEAR(v.hiam[3], 1 / std::numbers::sqrt2, 1e-4);
    EXPECT_EQ(v.frames, 1);
}

TEST(SimPhysics, SupplyVerdictBitsOfABadSupply)
{
    PhaseValues bad = Measure("heater", 2, BadSupply()).last();
    EXPECT_EQ(bad.hust & 0x1F, 0x1F) << std::hex << bad.hust;  // harmonics, voltage, frequency, crest
    EXPECT_EQ(bad.u_over, (uint64_t(1) << 3) | (uint64_t(1) << 5) | (uint64_t(1) << 11));
    EXPECT_LT(bad.crest, 1.40);

    Supply shifted;  // third harmonic moving the peak away from 90 degrees
    ASSERT_TRUE(ParseSupply("230/50:h3=2,p3=90", shifted, nullptr));
    PhaseValues late = Measure("heater", 2, shifted).last();
    EXPECT_EQ(late.hust, 0x01 | 0x02 | 0x20) << std::hex << late.hust;  // crest factor still fine
    EXPECT_GT(late.peak_angle, 93);

    Supply nearly;  // within every tolerance
    ASSERT_TRUE(ParseSupply("228/50.2:h3=0.8,h5=0.3", nearly, nullptr));
    AnalyserSetup as;
    EXPECT_EQ(Measure("heater", 2, nearly, 1, RefImpedance::Off, as).last().hust, 0);
}

TEST(SimPhysics, SixPulseDriveHasCharacteristicOrdersOnly)
{
    Frames r = Measure("drive:power=10000,choke=10", 10, Supply{}, 3);
    for (int p = 0; p < 3; ++p) {
        PhaseValues v = r.last(p);
        const double i1 = v.hiam[1];
        EXPECT_NEAR(v.p, 10000.0 / 3, 150) << p;
        for (int n : {5, 7, 11, 13}) EXPECT_LT(Rel(v.hiam[n] / i1, 1.0 / n), 0.15) << "order " << n;
        for (int n : {3, 9, 15}) EXPECT_LT(v.hiam[n] / i1, 0.02) << "order " << n;
        EXPECT_LT(Rel(v.itrms, r.last(0).itrms), 0.01);  // balanced
    }
    // On a single-phase circuit it draws nothing.
    EXPECT_LT(Measure("drive", 1).last().itrms, 1e-6);
}

TEST(SimPhysics, RangeUtilisationFromPeak)
{
    AnalyserSetup s;
    s.u_range[0] = 300;
    s.i_range[0] = 1;
    PhaseValues v = Measure("smps:power=250", 2, Supply{}, 1, RefImpedance::Off, s).last();
    EXPECT_NEAR(v.ovru, 100 * 230 / 300.0, 0.01);
    EXPECT_GT(v.ovri, 99.9);  // the rectifier's current peaks overload a 1 A range
    EXPECT_NEAR(v.ovri, 100 * v.ipeak / std::numbers::sqrt2, 1e-3);
}

TEST(SimPhysics, ParametersAndSupplyTexts)
{
    std::string error;
    auto m = MakeEut("SMPS:Power=250", &error);
    ASSERT_TRUE(m) << error;
    EXPECT_EQ(m->text(), "smps:power=250,pfc=0,c=0,r=0,l=0");
    EXPECT_EQ(MakeEut("dimmer:angle=90", &error)->text(), "dimmer:angle=90,power=500");
    for (const char* bad : {"toaster", "smps:watts=3", "smps:power=abc", "smps:power=1e9", "dimmer:angle=200",
                            ":power=3", "smps:=4", "heater:power=1,5"}) {
        error.clear();
        EXPECT_FALSE(MakeEut(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    std::string list = ListEut();
    for (const char* name : {"heater", "smps", "dimmer", "led", "drive", "cycling", "fluct", "square"})
        EXPECT_NE(list.find(std::string(name) + "  "), std::string::npos) << name;

    Supply s;
    ASSERT_TRUE(ParseSupply("230/50", s, &error));
    EXPECT_EQ(SupplyText(s), "230/50");
    ASSERT_TRUE(ParseSupply("120/60:h3=1.5,p3=180", s, &error));
    EXPECT_EQ(SupplyText(s), "120/60:h3=1.5,p3=180");
    ASSERT_TRUE(ParseSupply("bad", s, &error));
    EXPECT_EQ(SupplyText(s), SupplyText(BadSupply()));
    for (const char* bad : {"230", "230/x", "230/50:h41=1", "230/50:h3=-1", "230/50:q=1", "0/50", "230/500"})
        EXPECT_FALSE(ParseSupply(bad, s, &error)) << bad;
}

TEST(SimPhysics, SupplySwitchedOffGivesZerosNotNaN)
{
    for (const char* eut : {"heater", "smps", "smps:pfc=1", "dimmer", "led:pfc=0", "cycling", "fluct"}) {
        std::string error;
        Circuit c(Supply{}, MakeEut(eut, &error), 1);
        HarmonicAnalyser a;
        Window w;
        PhaseValues v;
        c.next(w, 10);
        a.analyse(w, &v);
        Supply off;
        off.voltage = 0;
        c.set_supply(off);
        for (int k = 0; k < 3; ++k) {
            c.next(w, 10);
            a.analyse(w, &v);
        }
        for (float f : {v.utrms, v.itrms, v.p, v.s, v.q, v.pf, v.freq, v.huhd, v.hihd, v.hthc, v.hpoc, v.crest,
                        v.peak_angle, v.ovru, v.ovri, v.hpav, v.hpfa, v.hima})
            EXPECT_TRUE(std::isfinite(f)) << eut;
        for (int n = 0; n <= 40; ++n) EXPECT_TRUE(std::isfinite(v.hiam[n]) && std::isfinite(v.hiph[n])) << eut;
        EXPECT_LT(v.itrms, 1e-3) << eut;
        EXPECT_EQ(v.freq, 0);
        EXPECT_TRUE(v.hust & 0x04);
    }
}

TEST(SimPhysics, ImpedanceDropFollowsTheLoad)
{
    // The rectifier's current peaks flatten the voltage top at the terminals.
    PhaseValues v = Measure("smps:power=1000", 5, Supply{}, 1, RefImpedance::Loop).last();
    EXPECT_LT(v.crest, 1.40);
    EXPECT_TRUE(v.hust & 0x10);
    EXPECT_GT(v.huam[3], 0.002 * v.huam[1]);
    EXPECT_LT(v.utrms, 230);

    // A load switching between 750 W and 200 W moves the terminal voltage by
    // roughly the change of current times the loop resistance.
    Frames r = Measure("cycling:power=750,low=200,period=4,duty=0.5", 20, Supply{}, 1, RefImpedance::Loop,
                       [] { AnalyserSetup s; s.smoothing = false; return s; }());
    float hi = r.frames[0][4].utrms, lo = r.frames[0][14].utrms;  // 0.8-1.0 s high, 2.8-3.0 s low
    const double di = (r.frames[0][4].hiam[1] - r.frames[0][14].hiam[1]);
    EXPECT_GT(lo - hi, 0.7 * di * 0.4);
    EXPECT_LT(lo - hi, 1.5 * di * 0.4);
    // Without the impedance the supply is stiff.
    Frames stiff = Measure("cycling:power=750,low=200,period=4,duty=0.5", 20);
    EXPECT_NEAR(stiff.frames[0][4].utrms, stiff.frames[0][14].utrms, 1e-3);
}

TEST(SimPhysics, SimulatorSamplingAgreesWithAFinelySampledReference)
{
    // 256 samples per period against 4096: the models' switching instants
    // must not alias into the orders that limits judge.
    for (const char* eut : {"smps", "dimmer:angle=60", "drive", "led:pfc=0", "cycling"}) {
        const int phases = std::string(eut) == "drive" ? 3 : 1;
        PhaseValues v[2][3];
        for (int j = 0; j < 2; ++j) {
            std::string error;
            Circuit c(Supply{}, MakeEut(eut, &error), phases, j ? 4096 : 256);
            AnalyserSetup s;
            s.smoothing = false;
            HarmonicAnalyser a(s);
            Window w;
            for (int k = 0; k < 6; ++k) {
                c.next(w, 10);
                a.analyse(w, v[j]);
            }
        }
        const PhaseValues &coarse = v[0][0], &fine = v[1][0];
        for (int n = 1; n <= 13; ++n) {
            if (fine.hiam[n] > 0.02 * fine.hiam[1]) {
                EXPECT_LT(Rel(coarse.hiam[n], fine.hiam[n]), 0.03) << eut << " order " << n;
            }
        }
        EXPECT_LT(Rel(Pwhd(coarse.hiam), Pwhd(fine.hiam)), 0.05) << eut;
        EXPECT_LT(Rel(coarse.p, fine.p), 0.005) << eut;
    }
}
