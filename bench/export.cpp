// Exporting a loaded three-phase 2.5-hour harmonic run as text.
#include "bench/load_file.h"
#include "files/export.h"
#include "files/load.h"
#include "platform/lowfile.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

void BM_ExportHarmonics(benchmark::State& state)
{
    const std::string& path = benchfile::HarmonicFile();
    benchfile::StartPanels();
    if (load_measurement(path.c_str(), -1, -1) != 0) {
        state.SkipWithError("load failed");
        return;
    }
    const std::string out = "/tmp/orivan_bench_export_" + std::to_string(::getpid()) + ".txt";
    ExportOptions o;
    o.header = true;
    o.comma = state.range(0) != 0;
    long long bytes = 0;
    for (auto _ : state) {
        if (ExportFrames(out.c_str(), o) < 0) {
            state.SkipWithError("export failed");
            break;
        }
        bytes += FileSize(out.c_str());
    }
    state.SetBytesProcessed(bytes);
    ::unlink(out.c_str());
}
BENCHMARK(BM_ExportHarmonics)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
