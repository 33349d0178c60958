// The analyser's own evaluation of a harmonic test.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sim/analysis/device_eval.h"

using namespace simphys;

namespace {

uint64_t Bit(int n) { return uint64_t(1) << n; }

// Runs a test of `frames` windows through analyser and evaluation.
PhaseResult RunTest(const std::string& eut, const EvalSetup& es, int frames, const Supply& supply = Supply{},
                 int phases = 1, double* mean3 = nullptr, double* mean_p = nullptr)
{
    std::string error;
    auto model = MakeEut(eut, &error);
    EXPECT_TRUE(model) << error;
    if (!model) return {};
    Circuit c(supply, std::move(model), phases);
    AnalyserSetup as;
    as.grouping = GroupingForEdition(es.edition);
    as.smoothing = es.edition >= 2;  // forced on by the 2006 limits
    HarmonicAnalyser a(as);
    DeviceEvaluation ev(es);
    Window w;
    PhaseValues v[3];
    float limit[kOrders];
    int32_t hiov[4];
    double s3 = 0, sp = 0;
    for (int k = 0; k < frames; ++k) {
        c.next(w, 10);
        a.analyse(w, v);
        for (int p = 0; p < phases; ++p) ev.add(p, v[p], limit, hiov);
        s3 += v[0].hiam[3];
        sp += v[0].p;
    }
    if (mean3) *mean3 = s3 / frames;
    if (mean_p) *mean_p = sp / frames;
    return ev.result(0);
}

// A frame with only a fundamental and a third harmonic.
PhaseValues Frame(double i1, double i3)
{
    PhaseValues v{};
    v.hiam[1] = float(i1);
    v.hiam[3] = float(i3);
    v.hima = float(i1);
    v.p = float(230 * i1);
    v.pf = 1;
    v.hpav = v.p;
    v.hpfa = 1;
    return v;
}

}  // namespace

TEST(SimDeviceEval, ClassDRectifierFailsOnTheThirdAndPfcPasses)
{
    EvalSetup es;
    es.edition = 3;
    es.eval = 3;
    es.pso = 250;
    double mean3 = 0, mean_p = 0;
    PhaseResult plain = RunTest("smps:power=250", es, 50, Supply{}, 1, &mean3, &mean_p);
    EXPECT_EQ(plain.frames, 50);
    EXPECT_EQ(plain.higf & 0x003, 0x003) << std::hex << plain.higf;
    EXPECT_TRUE(plain.hilt & Bit(3));
    EXPECT_NEAR(plain.limit[3], 0.85, 1e-5);  // the set-point is within 10 % of the measured power
    EXPECT_EQ(plain.higf & 0x090, 0);
    EXPECT_NEAR(plain.hiav[3], mean3, 1e-5);
    EXPECT_NEAR(plain.hpm, mean_p, 1e-2);

    PhaseResult pfc = RunTest("smps:power=250,pfc=1", es, 50);
    EXPECT_EQ(pfc.higf, 0) << std::hex << pfc.higf;
    EXPECT_EQ(pfc.hilt, 0u);
    EXPECT_GT(pfc.hpfm, 0.95);

    es.pso = 100;  // set-point far from the measured power: the measured value counts
    PhaseResult off = RunTest("smps:power=250", es, 5);
    EXPECT_TRUE(off.higf & 0x010);
    EXPECT_NEAR(off.limit[3], 3.4e-3 * off.hpm, 1e-4);
}

TEST(SimDeviceEval, HeaterPassesClassAAndLightingIsJudgedRelativeToItsCurrent)
{
    EvalSetup es;
    es.eval = 0;
    PhaseResult heater = RunTest("heater", es, 10);
    EXPECT_EQ(heater.higf, 0);
    EXPECT_TRUE(IsNoValue(heater.limit[3]));  // no harmonic above 5 mA: none judged

    es.eval = 2;
    es.pfso = 0.99;
    es.iso = 0.13;
    PhaseResult led = RunTest("led:power=30,pfc=1", es, 20);
    EXPECT_EQ(led.higf & 0x001, 0) << std::hex << led.higf;
    EXPECT_NEAR(led.limit[3], 0.30 * 0.99 * 0.13, 1e-4);
    PhaseResult cheap = RunTest("led:power=30,pfc=0", es, 20);
    EXPECT_EQ(cheap.higf & 0x003, 0x003);
    EXPECT_TRUE(cheap.higf & 0x060) << "set-points far from the measured values";
}

TEST(SimDeviceEval, ShortExcursionsAbove150PercentAreForgivenBy2006Limits)
{
    // Class A, 3rd harmonic at 43 % of its limit, 5 % of the frames at 180 %.
    auto run = [](int edition, double peak) {
        EvalSetup es;
        es.edition = edition;
        es.eval = 0;
        DeviceEvaluation ev(es);
        for (int k = 0; k < 200; ++k) ev.add(0, Frame(5, k % 20 == 0 ? peak * 2.30 : 1.0), nullptr, nullptr);
        return ev.result(0);
    };
    PhaseResult r = run(3, 1.8);
    EXPECT_EQ(r.higf & 0x401, 0) << std::hex << r.higf;
    EXPECT_NEAR(r.hiav[3], (190 * 1.0 + 10 * 1.8 * 2.30) / 200, 1e-4);
    EXPECT_EQ(run(1, 1.8).higf & 0x401, 0x401);  // the 1995 limits do not
    EXPECT_EQ(run(3, 2.1).higf & 0x401, 0x401);  // never above 200 %
}

TEST(SimDeviceEval, FluctuatingHarmonicsUseAWindowOfTwoAndAHalfMinutes)
{
    // 100 of 750 frames at 120 % of the limit: 13 % of the window.
    auto run = [](int edition) {
        EvalSetup es;
        es.edition = edition;
        es.eval = 0;
        DeviceEvaluation ev(es);
        int32_t status = 0;
        for (int k = 0; k < 750; ++k)
            status |= ev.add(0, Frame(5, k < 100 ? 1.2 * 2.30 : 0.5), nullptr, nullptr);
        EXPECT_TRUE(status & 0x004);
        return ev.result(0);
    };
    PhaseResult old = run(1);
    EXPECT_NEAR(old.hfmx[3], 100.0 / 750, 1e-6);
    EXPECT_EQ(old.hifl, Bit(3));
    EXPECT_EQ(old.higf & 0x005, 0x005);
    EXPECT_TRUE(old.hilt & Bit(3));
    PhaseResult later = run(3);  // reported, but the 2006 limits judge the mean
    EXPECT_EQ(later.higf & 0x005, 0x004);
}

TEST(SimDeviceEval, SixPulseDriveAgainstEn61000_3_12)
{
    EvalSetup es;
    es.edition = 4;
    es.eval = 10;
    es.rsce = 33;
    PhaseResult r = RunTest("drive:power=10000,choke=10", es, 10, Supply{}, 3);
    EXPECT_TRUE(r.hilt & Bit(5));  // 20 % against 10.7 %
    EXPECT_EQ(r.higf & 0x003, 0x003);
    EXPECT_TRUE(r.higf & 0x4000);
    EXPECT_FALSE(r.higf & 0x8000);  // no third harmonic
    EXPECT_NEAR(r.limit[5], 0.107 * r.hiav[1], 1e-4);

    float lim[kOrders];
    DeviceLimits(12, 0, 0, 10, 0, 120, nullptr, lim);
    EXPECT_NEAR(lim[5], 3.96, 1e-4);  // formula at 120
    DeviceLimits(12, 0, 0, 10, 0, 121, nullptr, lim);
    EXPECT_NEAR(lim[5], 4.0, 1e-4);   // last row above
    EXPECT_TRUE(IsNoValue(lim[3]));
    EXPECT_EQ(ThdLimit(10, 66), 26);
    EXPECT_EQ(ThdLimit(10, 67), 26);
    EXPECT_EQ(ThdLimit(11, 400), 48);
    EXPECT_EQ(PwhdLimit(11, 33), 22);
    EXPECT_EQ(PwhdLimit(12, 33), 22);    // Table 4 rows, as the program judges them
    EXPECT_EQ(PwhdLimit(12, 60), 29);
    EXPECT_EQ(PwhdLimit(12, 300), 46);
}

TEST(SimDeviceEval, SupplyVerdictsCollectOverTheTest)
{
    EvalSetup es;
    PhaseResult bad = RunTest("heater", es, 3, BadSupply());
    EXPECT_EQ(bad.hugf & 0x1F, 0x1F) << std::hex << bad.hugf;
    EXPECT_EQ(bad.hult, Bit(3) | Bit(5) | Bit(11));
    EXPECT_NEAR(bad.humx[3] / bad.humx[1], 0.02, 1e-4);
    EXPECT_EQ(RunTest("heater", es, 3).hugf, 0);
}

TEST(SimDeviceEval, ViolationWordsSplitOrdersLikeTheResultMasks)
{
    EvalSetup es;
    es.eval = 0;
    DeviceEvaluation ev(es);
    PhaseValues v = Frame(5, 4.0);  // 3rd at 174 %
    v.hiam[33] = 1.0;               // 33rd far above 2.25/33
    float lim[kOrders];
    int32_t hiov[4];
    int32_t st = ev.add(0, v, lim, hiov);
    EXPECT_EQ(st, 0x403);
    EXPECT_EQ(hiov[0], 1 << 1);
    EXPECT_EQ(hiov[1], 1 << 3);
    EXPECT_EQ(hiov[2], 1 << 1);
    EXPECT_EQ(hiov[3], 1 << 3);
    EXPECT_NEAR(lim[33], 2.25 / 33, 1e-6);
    EXPECT_TRUE(IsNoValue(lim[5]));  // below 5 mA
}

TEST(SimDeviceEval, FluctuatingLoadThroughTheWholeChain)
{
    // 3rd harmonic at 2.75 A (120 % of class A) for 3 s of every 20 s.
    EvalSetup es;
    es.edition = 1;
    es.eval = 0;
    PhaseResult old = RunTest("fluct", es, 1500);
    EXPECT_NEAR(old.hfmx[3], 0.15, 0.01);
    EXPECT_EQ(old.hifl, Bit(3));
    EXPECT_EQ(old.higf, 0x005) << std::hex << old.higf;
    EXPECT_NEAR(old.hiav[3], 5 * (0.15 * 0.55 + 0.85 * 0.20), 0.02);
    EXPECT_NEAR(old.hiav[5], 0.5, 1e-3);

    es.edition = 3;  // smoothed, judged on the mean: passes
    PhaseResult later = RunTest("fluct", es, 1500);
    EXPECT_EQ(later.higf & 0x403, 0) << std::hex << later.higf;
}
