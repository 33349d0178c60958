// One measuring cycle of a simulated PAM-C through the whole engine: window
// synthesis, analysis and evaluation of three channels, and the packed
// answer to the three-channel cyclic query, read back as the driver reads it.
// Harmonic cycles (200 ms) and flicker cycles (320 ms, with the flickermeter).
#include <benchmark/benchmark.h>

#include <string>

#include "platform/clock.h"
#include "sim/engine.h"

namespace {

std::string harmonic_query()
{
    std::string q = "ACTN;";
    for (int c = 1; c <= 3; ++c) {
        std::string n = std::to_string(c);
        q += "FLTR?;HIAM" + n + "? (0:40);HIPH" + n + "? (0:40);UTRMS" + n + "?;ITRMS" + n + "?;HPAV?;HPFA?;FREQ?;HUHD" +
             n + "?;HIHD" + n + "?;S" + n + "?;Q" + n + "?;HTHC" + n + "?;HPOC" + n + "?;HIOV" + n + "? (0:3);HIST" + n +
             "?;HENS" + n + "?;HUOV" + n + "? (0:3);HUST" + n + "?;HUPH" + n + "? (1:1);EDIT?;COUNT?;OVRU" + n +
             "?;OVRI" + n + "?;HIMA" + n + "?;AIVA1?;AIVA2?;AIVA3?;AIVA4?;";
    }
    return q;
}

std::string flicker_query()
{
    std::string q = "ACTN;";
    for (int c = 1; c <= 3; ++c) {
        std::string n = std::to_string(c);
        q += "FLTR?;FSTR?;FSTA?;UTRMS" + n + "?;ITRMS" + n + "?;P" + n + "?;PF" + n + "?;FREQ" + n + "?;HUHD" + n +
             "?;HIHD" + n + "?;S" + n + "?;Q" + n + "?;FLST" + n + "?;FLLT" + n + "?;FLMO" + n + "?;FLMS" + n +
             "? (0:31);FLRM" + n + "? (0:31);FLDT" + n + "? (0:31);FLDC" + n + "?;FLDX" + n + "?;FLRE" + n +
             "?;EDIT?;COUNT?;OVRU" + n + "?;OVRI" + n + "?;AIVA1?;AIVA2?;AIVA3?;AIVA4?;";
    }
    return q;
}

void Run(benchmark::State& state, const char* eut, bool flicker)
{
    UseVirtualClock(true);
    std::string error;
    auto plant = sim::Plant::Make({eut, "230/50", 3}, &error);
    sim::Analyser a(sim::Kind::PamC);
    sim::Engine::Install(a, plant, {});
    std::string setup = flicker ? "SYST:LANG SHORT;DOCO2 1;DOCO4 0;MODE 2;FTIM 600;FLPS 12;FRMT PACKED\n"
                                : "SYST:LANG SHORT;HTIM 9000;EDIT 3;EVAL 3;SENS:CURR:RANG1 30;SENS:CURR:RANG2 30;"
                                  "SENS:CURR:RANG3 30;FRMT PACKED\n";
    a.input(setup);
    a.input((flicker ? flicker_query() : harmonic_query()) + "\n");
    a.input("START\nCONT ON\n");
    uint8_t buf[4096];
    visa::ReadEnd e;
    const double step = flicker ? 0.32 : 0.2;
    size_t bytes = 0;
    for (auto _ : state) {
        AdvanceClock(step);
        a.pump();
        while (!a.output().empty()) bytes += a.output().take(buf, sizeof buf, -1, &e);
    }
    state.counters["bytes/cycle"] = double(bytes) / double(state.iterations());
    reset_clock();
}

void BM_EngineHarmonicSmps(benchmark::State& s) { Run(s, "smps:power=250", false); }
void BM_EngineHarmonicDrive(benchmark::State& s) { Run(s, "drive:power=10000", false); }
void BM_EngineFlickerCycling(benchmark::State& s) { Run(s, "cycling", true); }

}  // namespace

BENCHMARK(BM_EngineHarmonicSmps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineHarmonicDrive)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineFlickerCycling)->Unit(benchmark::kMicrosecond);
