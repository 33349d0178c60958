// One measuring cycle of the simulated analyser on three phases: synthesis of
// the window (supply, EUT, impedance) plus harmonic analysis and the
// analyser's evaluation of every phase. Target: <= 0.2 ms per cycle.
#include <benchmark/benchmark.h>

#include <string>

#include "sim/analysis/device_eval.h"
#include "sim/analysis/harmonics.h"
#include "sim/eut/circuit.h"

using namespace simphys;

static void Cycle(benchmark::State& state, const char* eut, RefImpedance z)
{
    std::string error;
    Circuit c(Supply{}, MakeEut(eut, &error), 3);
    c.set_impedance(z);
    HarmonicAnalyser a;
    EvalSetup es;
    es.eval = 3;
    DeviceEvaluation ev(es);
    Window w;
    PhaseValues v[3];
    float limit[kOrders];
    int32_t hiov[4];
    for (auto _ : state) {
        c.next(w, 10);
        a.analyse(w, v);
        for (int p = 0; p < 3; ++p) ev.add(p, v[p], limit, hiov);
        benchmark::DoNotOptimize(v[0].hiam[3]);
    }
}

static void BM_CycleSmps3(benchmark::State& s) { Cycle(s, "smps:power=250", RefImpedance::Off); }
static void BM_CycleHeater3Zref(benchmark::State& s) { Cycle(s, "heater", RefImpedance::Phase); }
static void BM_CycleDrive(benchmark::State& s) { Cycle(s, "drive", RefImpedance::Off); }
static void BM_CycleCycling3Zref(benchmark::State& s) { Cycle(s, "cycling", RefImpedance::Phase); }
BENCHMARK(BM_CycleSmps3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CycleHeater3Zref)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CycleDrive)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CycleCycling3Zref)->Unit(benchmark::kMicrosecond);
