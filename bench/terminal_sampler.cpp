// One minute of terminal voltage at 4800 Hz from the continuous sampler
// (supply, flicker load, reference impedance), as the flicker test feeds the
// flickermeter, single-phase and three-phase; and the same minute through
// the flickermeter for the whole flicker path of one phase.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "sim/dsp/flickermeter.h"
#include "sim/eut/terminal_voltage.h"

using namespace simphys;

static void Minute(benchmark::State& state, const char* eut, int phases, bool meter)
{
    std::string error;
    TerminalSampler ts(Supply{}, MakeEut(eut, &error), phases, 4800);
    ts.set_impedance(phases == 3 ? RefImpedance::Phase : RefImpedance::Loop);
    orivan::dsp::Flickermeter m(orivan::dsp::FlickermeterConfig::For(orivan::dsp::Lamp::V230_50Hz));
    std::vector<double> u[3];
    for (auto& v : u) v.resize(480);
    double* up[3] = {u[0].data(), u[1].data(), u[2].data()};
    for (auto _ : state) {
        for (int k = 0; k < 600; ++k) {  // 60 s in blocks of 0.1 s
            ts.next(480, up);
            if (meter) m.feed(u[0].data(), 480);
        }
        benchmark::DoNotOptimize(u[0][0]);
    }
}

static void BM_SamplerSwitch1(benchmark::State& s) { Minute(s, "switch:power=1000,cpm=110", 1, false); }
static void BM_SamplerSwitch3(benchmark::State& s) { Minute(s, "switch:power=1000,cpm=110", 3, false); }
static void BM_SamplerMotor1(benchmark::State& s) { Minute(s, "motor:period=10", 1, false); }
static void BM_SamplerSine1(benchmark::State& s) { Minute(s, "sineload:power=1000,swing=300", 1, false); }
static void BM_SamplerSwitchMeter1(benchmark::State& s) { Minute(s, "switch:power=1000,cpm=110", 1, true); }
BENCHMARK(BM_SamplerSwitch1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SamplerSwitch3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SamplerMotor1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SamplerSine1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SamplerSwitchMeter1)->Unit(benchmark::kMillisecond);
