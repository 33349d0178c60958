// Flickermeter throughput: one hour of 50 Hz mains with an 8.8 Hz
// fluctuation at the meter's sample rate (target: under 2 s of CPU).
#include "sim/dsp/flicker_channel.h"
#include "sim/dsp/flickermeter.h"
#include "sim/dsp/fluctuation.h"

#include <benchmark/benchmark.h>

using namespace orivan::dsp;

namespace {

// Ten seconds of supply: a whole number of mains and modulation periods, so
// repeating the block gives a continuous signal.
std::vector<double> TenSeconds(double rate)
{
    SupplyConfig sc;
    sc.sample_rate = rate;
    sc.fluctuation.kind = Fluctuation::Sine;
    sc.fluctuation.hz = 8.8;
    sc.fluctuation.du_pct = 0.25;
    SupplyGenerator g(sc);
    return g.generate(size_t(rate * 10));
}

void BM_FlickermeterOneHour(benchmark::State& state)
{
    const double rate = double(state.range(0));
    std::vector<double> block = TenSeconds(rate);
    for (auto _ : state) {
        FlickermeterConfig c;
        c.sample_rate = rate;
        Flickermeter m(c);
        for (int i = 0; i < 360; ++i)
            m.feed(block);
        benchmark::DoNotOptimize(m.plt());
    }
    state.counters["realtime_x"] = benchmark::Counter(3600.0 * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FlickermeterOneHour)->Arg(4800)->Arg(1600)->Unit(benchmark::kMillisecond)->Iterations(3);

// The analyser channel: flickermeter plus voltage changes and frame histories.
void BM_FlickerChannelOneHour(benchmark::State& state)
{
    std::vector<double> block = TenSeconds(4800);
    for (auto _ : state) {
        FlickerChannel ch(FlickerChannelConfig::For(Lamp::V230_50Hz));
        for (int i = 0; i < 360; ++i)
            ch.feed(block.data(), block.size());
        benchmark::DoNotOptimize(ch.frame());
    }
}
BENCHMARK(BM_FlickerChannelOneHour)->Unit(benchmark::kMillisecond)->Iterations(3);

// Generating the supply itself (one hour at 4800 Hz).
void BM_SupplyOneHour(benchmark::State& state)
{
    std::vector<double> block(48000);
    for (auto _ : state) {
        SupplyConfig sc;
        sc.fluctuation.kind = Fluctuation::Rect;
        sc.fluctuation.cpm = 110;
        sc.fluctuation.du_pct = 0.722;
        SupplyGenerator g(sc);
        for (int i = 0; i < 360; ++i)
            g.generate(block.data(), block.size());
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(BM_SupplyOneHour)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
