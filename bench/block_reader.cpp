// One acquisition tick's block read: a message answer of 460 to 1656 bytes in
// several blocks, read with PAMX_CreadInstrDataBinary from a simulated PAM-A
// on GPIB and on a serial line (in-process, virtual clock).
#include <benchmark/benchmark.h>

#include <string>

#include "instrument/pamx.h"
#include "platform/clock.h"
#include "platform/visa/backend.h"
#include "sim/bench.h"

namespace {

void BlockRead(benchmark::State& state, bool gpib)
{
    visa::reset_visa();
    sim::reset_bench();
    sim::EnableSimulation(true);
    UseVirtualClock(true);
    auto dev = std::make_shared<sim::Analyser>();
    const char* name = gpib ? "GPIB::5" : "ASRL1::INSTR";
    sim::Attach(name, dev);
    size_t total = size_t(state.range(0));
    // The answer: blocks of 164 bytes (41 values) and the rest, then a line feed.
    std::string answer;
    for (size_t left = total; left > 0;) {
        size_t n = left < 164 ? left : 164;
        answer += sim::BlockHeader(n) + std::string(n, '\x42');
        left -= n;
    }
    answer += '\n';
    dev->registry().add("TICK?", [answer](sim::Analyser& a, const sim::Command&) {
        a.emit(answer, Timer());
        return sim::Answer::none();
    });
    ViSession rm = 0, vi = 0;
    viOpenDefaultRM(&rm);
    viOpen(rm, name, 0, 0, &vi);
    std::string dest(total, '\0');
    for (auto _ : state) {
        PAMX_writeInstrData(vi, "TICK?\n");
        ViInt32 count = 0;
        ViStatus st = PAMX_CreadInstrDataBinary(vi, ViInt32(total), reinterpret_cast<ViBuf>(dest.data()), &count);
        if (st < 0 || size_t(count) != total) state.SkipWithError("block read failed");
        benchmark::DoNotOptimize(dest.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(total));
    viClose(rm);
    sim::reset_bench();
    visa::reset_visa();
    reset_clock();
}

void BM_BlockReadGpib(benchmark::State& s) { BlockRead(s, true); }
void BM_BlockReadSerial(benchmark::State& s) { BlockRead(s, false); }

}  // namespace

BENCHMARK(BM_BlockReadGpib)->Arg(460)->Arg(1656);
BENCHMARK(BM_BlockReadSerial)->Arg(460)->Arg(1656);
