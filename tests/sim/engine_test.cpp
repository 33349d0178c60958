// The measuring engine at the device: configuration commands and their
// errors, the cycle clock (counter, lost cycles, wrap), the flicker cycle
// states and the power source.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "sim/engine.h"
#include "sim/power_source.h"
#include "tests/support/analyser_talk.h"
#include "state/reset.h"

namespace {

using simtalk::ask;
using simtalk::drain;

// Comma- or semicolon-separated numbers of an ASCII answer.
std::vector<double> numbers(const std::string& s)
{
    std::vector<double> v;
    const char* p = s.data();
    const char* end = s.data() + s.size();
    while (p < end) {
        double x;
        auto r = std::from_chars(p, end, x);
        if (r.ec != std::errc()) { ++p; continue; }
        v.push_back(x);
        p = r.ptr;
    }
    return v;
}

class Device : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        UseVirtualClock(true);
    }
    void TearDown() override { ResetProgramState(); }

    std::shared_ptr<sim::Plant> plant(const std::string& eut, const std::string& mains = "230/50", int phases = 1)
    {
        std::string error;
        auto p = sim::Plant::Make({eut, mains, phases}, &error);
        EXPECT_TRUE(p) << error;
        return p;
    }
    std::shared_ptr<sim::Analyser> analyser(std::shared_ptr<sim::Plant> p, sim::Kind k = sim::Kind::PamA,
                                            double speed = 1)
    {
        sim::EngineOptions o;
        o.speed = speed;
        auto a = std::make_shared<sim::Analyser>(k);
        engine = sim::Engine::Install(*a, std::move(p), o);
        return a;
    }
    std::shared_ptr<sim::Engine> engine;
};

TEST(Plant, DevicesSeeEveryWindowInTurnUnlessFarBehind)
{
    std::string error;
    auto plant = sim::Plant::Make({"heater:power=1000", "230/50", 3}, &error);
    ASSERT_TRUE(plant) << error;
    uint64_t a = 0, b = 0;
    std::vector<double> ta, tb;
    std::vector<float> ua;
    for (int k = 0; k < 3; ++k) {
        const simphys::Window& w = plant->next(&a, 16);
        ta.push_back(w.t0);
        ua.push_back(w.u[1][100]);
    }
    // The second device, three windows behind, gets the same windows in order.
    for (int k = 0; k < 3; ++k) {
        const simphys::Window& w = plant->next(&b, 16);
        EXPECT_EQ(b, uint64_t(k + 1));
        EXPECT_DOUBLE_EQ(w.t0, ta[size_t(k)]) << "window " << k;
        EXPECT_EQ(w.u[1][100], ua[size_t(k)]);
    }
    EXPECT_NEAR(ta[1] - ta[0], 16 / 50.0, 1e-9) << "consecutive";
    // One further behind than the plant holds goes on with the latest.
    for (size_t k = 0; k < sim::Plant::kHeld + 2; ++k) plant->next(&a, 16);
    const simphys::Window& w = plant->next(&b, 16);
    EXPECT_EQ(b, a);
    const double latest = w.t0;
    EXPECT_DOUBLE_EQ(plant->next(&a, 16).t0, latest + 16 / 50.0);
}

TEST_F(Device, ConfigurationIsStoredAndOutOfRangeValuesAreExecutionErrors)
{
    auto a = analyser(plant("heater"), sim::Kind::PamC);
    EXPECT_EQ(ask(*a, "SENS:CURR:RANG:AUTO2 0;SENS:CURR:RANG2 0.600000;SENS:VOLT:SCAL3 2.5;:SENS:CURR:DET3 1"), "");
    EXPECT_EQ(ask(*a, "SENS:CURR:RANG2?;SENS:CURR:RANG:AUTO2?;SENS:VOLT:SCAL3?;SENS:CURR:DET3?;SENS:CURR:RANG1?"),
              "0.6;0;2.5;1;10\n");
    EXPECT_EQ(ask(*a, "SYST:LANG SHORT"), "");
    EXPECT_EQ(ask(*a, "FRZ OFF;AIHI1 10.000000;AILO1 -5.000000;MODE 2;*OPC?"), "1\n");
    EXPECT_EQ(ask(*a, "FTIM 600;FNRM 1;FLDL 4.000000;*OPC?"), "1\n");
    EXPECT_EQ(ask(*a, "ZREF 1;ZTST 0.300000;*OPC?"), "1\n");
    EXPECT_EQ(ask(*a, "EDIT 4;EVAL 11;SMOO 1;CECD 0;SYSD 0;RSCE 120.000000;*OPC?"), "1\n");
    EXPECT_EQ(ask(*a, "PFSO 0.950000;ISO 1.200000;PSO 250.000000;HTIM 9000;FLPS 12;*OPC?"), "1\n");
    const sim::DeviceConfig& c = engine->config();
    EXPECT_EQ(c.ftim, 600);
    EXPECT_EQ(c.fnrm, 1);
    EXPECT_EQ(c.zref, 1);
    EXPECT_DOUBLE_EQ(c.ztst, 0.3);
    EXPECT_EQ(c.eval, 11);
    EXPECT_DOUBLE_EQ(c.rsce, 120);
    EXPECT_DOUBLE_EQ(c.pfso, 0.95);
    EXPECT_EQ(c.htim, 9000);
    EXPECT_DOUBLE_EQ(c.ai_low[0], -5);
    EXPECT_EQ(ask(*a, "EDIT?;EVAL?;HTIM?;ZREF?;FLDL?"), "4;11;9000;1;4\n");
    a->errors.clear();
    a->esr = 0;

    // Out of range: an execution error, the setting keeps its value, *OPC? still answers.
    for (const char* bad : {"EVAL 4", "EDIT 5", "HTIM -1", "FNRM 7", "PFSO 1.5", "SMOO 2", "FLPS 0", "RSCE 0.5",
                            "SENS:CURR:RANG1 -1", "MODE 3"}) {
        EXPECT_EQ(ask(*a, std::string(bad) + ";*OPC?"), "1\n") << bad;
        ASSERT_FALSE(a->errors.empty()) << bad;
        EXPECT_EQ(a->errors.back().first, -222) << bad;
    }
    EXPECT_TRUE(a->esr & 0x10);
    EXPECT_EQ(c.eval, 11);
    EXPECT_EQ(c.htim, 9000);
    // Channel numbers beyond the device's channels, analog inputs beyond 4.
    a->errors.clear();
    EXPECT_EQ(ask(*a, "SENS:CURR:RANG4 1;AIHI5 1;HIAM4? (0:40);HIAM1? (0:41)"), "");
    ASSERT_EQ(a->errors.size(), 4u);
    EXPECT_EQ(a->errors[0].first, -114);
    EXPECT_EQ(a->errors[1].first, -114);
    EXPECT_EQ(a->errors[2].first, -114);
    EXPECT_EQ(a->errors[3].first, -222);
    a->errors.clear();
    EXPECT_EQ(ask(*a, "HTIM;HTIM x"), "");
    ASSERT_EQ(a->errors.size(), 2u);
    EXPECT_EQ(a->errors[0].first, -109);

    // *RST returns to the power-on configuration.
    ask(*a, "*RST");
    EXPECT_EQ(engine->config().htim, 150);
    EXPECT_EQ(engine->config().eval, 0);
}

TEST_F(Device, CyclesCountLoseUnreadAnswersAndWrap)
{
    auto a = analyser(plant("heater"));
    ask(*a, "ACTN;COUNT?;FLTR?");
    ask(*a, "CONT ON");
    AdvanceClock(0.2);
    std::vector<double> c1 = numbers(drain(*a));
    ASSERT_EQ(c1.size(), 2u);
    EXPECT_EQ(c1[1], 0) << "FLTR is 0 before START";
    // Three cycles pass unread: the first is answered, two are lost.
    uint32_t lost = engine->lost();
    for (int k = 0; k < 3; ++k) {
        AdvanceClock(0.2);
        a->pump();
    }
    std::vector<double> c2 = numbers(drain(*a));
    EXPECT_EQ(engine->lost() - lost, 2u);
    ASSERT_EQ(c2.size(), 2u);
    EXPECT_EQ(c2[0], c1[0] + 1);
    AdvanceClock(0.2);
    EXPECT_EQ(numbers(drain(*a))[0], c1[0] + 4) << "the counter went on through the lost cycles";
    // An answer that is being read is followed by the next one.
    AdvanceClock(0.2);
    a->pump();
    uint8_t b[2];
    visa::ReadEnd e;
    ASSERT_EQ(a->output().take(b, 2, -1, &e), 2u);
    lost = engine->lost();
    AdvanceClock(0.2);
    std::string rest = drain(*a);
    EXPECT_EQ(engine->lost(), lost);
    EXPECT_EQ(std::count(rest.begin(), rest.end(), '\n'), 2);

    // An idle analyser counts on; the counter wraps at 65536.
    ask(*a, "CONT OFF");
    double before = numbers(ask(*a, "COUNT?"))[0];
    AdvanceClock(65536 * 0.2);
    double after = numbers(ask(*a, "COUNT?"))[0];
    EXPECT_EQ(after, before);
    AdvanceClock(0.2 * 10);
    EXPECT_EQ(numbers(ask(*a, "COUNT?"))[0], std::fmod(before + 10, 65536));
    EXPECT_LT(numbers(ask(*a, "COUNT?"))[0], 65536);
}

TEST_F(Device, AsFastAsReadAnswersEveryCycleWithoutLoss)
{
    auto a = analyser(plant("smps:power=250"), sim::Kind::PamA, 0);
    ask(*a, "HTIM 20;ACTN;COUNT?;FLTR?");
    a->input("START;CONT ON\n");
    double t0 = Timer();
    std::vector<double> first = numbers(drain(*a));
    ASSERT_EQ(first.size(), 2u);
    double count = first[0];
    int frames = 1;
    for (;;) {
        std::vector<double> v = numbers(drain(*a));
        ASSERT_EQ(v.size(), 2u);
        EXPECT_EQ(v[0], std::fmod(count + 1, 65536));
        count = v[0];
        ++frames;
        if (v[1] == 0) break;
        ASSERT_LT(frames, 200);
    }
    EXPECT_EQ(frames, 100) << "20 s of 200 ms cycles";
    EXPECT_EQ(engine->lost(), 0u);
    EXPECT_EQ(Timer(), t0) << "no clock time passed";
}

TEST_F(Device, PackedRecordSizes)
{
    auto a = analyser(plant("heater"));
    ask(*a, "FRMT PACKED");
    auto payload = [](const std::string& blocks) {
        size_t n = 0, p = 0;
        while (p < blocks.size() && blocks[p] == '#') {
            int nd = blocks[p + 1] - '0';
            size_t len = std::stoul(blocks.substr(p + 2, size_t(nd)));
            n += len;
            p += 2 + size_t(nd) + len;
        }
        return n;
    };
    std::string flicker = "ACTN;FLTR?;FSTR?;FSTA?;UTRMS?;ITRMS?;P?;PF?;FREQ?;HUHD?;HIHD?;S?;Q?;FLST?;FLLT?;FLMO?;"
                          "FLMS? (0:31);FLRM? (0:31);FLDT? (0:31);FLDC?;FLDX?;FLRE?;EDIT?;COUNT?;OVRU?;OVRI?";
    EXPECT_EQ(payload(ask(*a, flicker + ";AIVA1?;AIVA2?;AIVA3?;AIVA4?")), 488u);
    EXPECT_EQ(payload(ask(*a, flicker)), 472u);
    EXPECT_EQ(payload(ask(*a, "INIM;FLTR?;HIAV? (0:40);HUMX? (0:40);HFMX? (0:40);HILT? (0:1);HULT? (0:1);"
                              "HIFL? (0:1);HIGF?;HUGF?;HENS?;EVAL?;EDIT?;HPM?;HPFM?;HIFM?")),
              552u);
}

TEST_F(Device, RemainingTimeCountsDownAfterStart)
{
    auto a = analyser(plant("heater"));
    ask(*a, "HTIM 2;CONT ON");
    AdvanceClock(1.0);
    EXPECT_EQ(ask(*a, "FLTR?"), "0\n");
    ask(*a, "START");
    std::vector<int> fltr;
    for (int k = 0; k < 14; ++k) {
        AdvanceClock(0.2);
        a->pump();
        fltr.push_back(int(numbers(ask(*a, "FLTR?"))[0]));
    }
    // 10 cycles of 200 ms: 2, 2, 2, 2, 1 ... 1, 0, then 0 (the test is over).
    std::vector<int> want = {2, 2, 2, 2, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(fltr, want);
    EXPECT_TRUE(engine->test_finished());
    ask(*a, "INIM");
    std::vector<double> hpm = numbers(ask(*a, "INIM;HPM?;HIFM?"));
    ASSERT_EQ(hpm.size(), 2u);
    EXPECT_NEAR(hpm[0], 2000, 5) << "heater: P = U^2/R";
    EXPECT_NEAR(hpm[1], 2000 / 230.0, 0.05);
}

TEST_F(Device, SingleValuesOfTheLatestCycle)
{
    auto a = analyser(plant("heater:power=2300"));
    std::vector<double> v = numbers(ask(*a, "UAC?;ITRMS?;P?;PF?;UCF?;UFF?;IDC?;PHI?;DIST?"));
    ASSERT_EQ(v.size(), 9u);
    EXPECT_NEAR(v[0], 230, 0.05);
    EXPECT_NEAR(v[1], 10, 0.01);
    EXPECT_NEAR(v[2], 2300, 2);
    EXPECT_NEAR(v[3], 1, 1e-4);
    EXPECT_NEAR(v[4], std::sqrt(2.0), 1e-3);
    EXPECT_NEAR(v[5], M_PI / (2 * std::sqrt(2.0)), 1e-3);
    EXPECT_NEAR(v[6], 0, 1e-3);
    EXPECT_NEAR(v[7], 0, 0.1);
    EXPECT_NEAR(v[8], 0, 0.1);
}

TEST_F(Device, FlickerCycleStatesAndHalfPeriodValues)
{
    // A load switching between 750 W and 200 W every 2 s behind the loop impedance.
    auto a = analyser(plant("cycling:power=2000,low=200,period=4,duty=0.5"));
    ask(*a, "SYST:LANG SHORT;DOCO2 1;DOCO4 0;MODE 2;FTIM 10;FLPS 2;FNRM 0;FLDL 4");
    std::string q = "ACTN;FLTR?;FSTR?;FSTA?;FLRM? (0:31);FLDT? (0:31);FLDC?;FLDX?;FLRE?;FLST?;FLMO?";
    std::vector<double> v = numbers(ask(*a, q));
    ASSERT_EQ(v.size(), 3 + 64 + 5u);
    EXPECT_EQ(v[2], 0) << "idle";
    ask(*a, "START");
    ask(*a, q);
    ask(*a, "CONT ON");
    std::vector<int> states;
    std::vector<int> fstr;
    double dmax = 0, rms_min = 1e9, rms_max = 0;
    int last_fltr = 1 << 30;
    for (int k = 0; k < 120 && (states.empty() || states.back() != 3); ++k) {
        AdvanceClock(0.32);  // 32 half-periods
        v = numbers(drain(*a));
        ASSERT_EQ(v.size(), 72u);
        int st = int(v[2]);
        if (states.empty() || states.back() != st) states.push_back(st);
        if (st == 2) {
            fstr.push_back(int(v[1]));
            EXPECT_LE(int(v[0]), last_fltr);
            last_fltr = int(v[0]);
            for (int j = 0; j < 32; ++j) {
                rms_min = std::min(rms_min, v[3 + j]);
                rms_max = std::max(rms_max, v[3 + j]);
            }
            dmax = std::max(dmax, v[3 + 64 + 1]);
        }
    }
    EXPECT_EQ(states, (std::vector<int>{1, 2, 3}));
    ASSERT_FALSE(fstr.empty());
    EXPECT_EQ(fstr.front(), 9) << "the period length minus 1 in its first second";
    EXPECT_EQ(*std::min_element(fstr.begin(), fstr.end()), 1);
    // Half-period RMS values follow the load: about 0.4 ohm x 8 A = 3 V lower at 2000 W.
    EXPECT_GT(rms_max - rms_min, 2.0);
    EXPECT_LT(rms_max, 231);
    EXPECT_GT(rms_min, 220);
    EXPECT_GT(dmax, 0.8) << "dmax from the voltage changes, %";
    EXPECT_EQ(numbers(ask(*a, "FLTR?;FSTR?"))[0], 0);
    EXPECT_GT(numbers(ask(*a, "FLST?"))[0], 0.1) << "Pst from the flickermeter";
}

TEST_F(Device, PowerSourceFeedsTheSupply)
{
    auto p = plant("heater:power=2300");
    auto a = analyser(p);
    sim::PowerSource src(p, 6);
    EXPECT_EQ(ask(src, "*IDN?"), "ORIVAN,SIM-SOURCE,SIM00006,1.0\n");
    EXPECT_EQ(ask(src, "VOLT?;FREQ?;OUTP?"), "230;50;1\n");
    ask(src, "VOLT 207;FREQ 60");
    AdvanceClock(0.5);
    std::vector<double> v = numbers(ask(*a, "UTRMS?;FREQ?;ITRMS?"));
    EXPECT_NEAR(v[0], 207, 0.1);
    EXPECT_NEAR(v[1], 60, 0.01);
    EXPECT_NEAR(v[2], 9, 0.01) << "the heater's resistance stays";
    ask(*a, "FRZ ON");
    ask(src, "VOLT 230");
    AdvanceClock(0.5);
    EXPECT_NEAR(numbers(ask(*a, "UTRMS?"))[0], 207, 0.1) << "frozen";
    ask(*a, "FRZ OFF");
    AdvanceClock(0.5);
    EXPECT_NEAR(numbers(ask(*a, "UTRMS?"))[0], 230, 0.1);
    ask(src, "OUTP OFF");
    AdvanceClock(0.5);
    EXPECT_NEAR(numbers(ask(*a, "UTRMS?"))[0], 0, 1e-3);
    // Unknown commands and bad values land in the error queue.
    EXPECT_EQ(ask(src, "CURR 5;VOLT 400;VOLT?;SYST:ERR?;SYST:ERR?;SYST:ERR?"), "230;-113,\"Undefined header\";"
                                                                                  "-222,\"Data out of range\";0,\"No error\"\n");
    EXPECT_EQ(ask(src, "*ESR?"), "48\n");
    EXPECT_EQ(ask(*a, "HIAM? (0:1)").empty(), false);
}

}  // namespace
