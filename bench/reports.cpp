// The protocol and the report script of a three-phase 2.5-hour harmonic
// file (45,000 frames per phase), and the conversion of a two-page report
// by txt2pdf.
#include "bench/load_file.h"
#include "files/load.h"
#include "platform/lowfile.h"
#include "reports/converter.h"
#include "reports/protocol.h"
#include "reports/report.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

namespace {

void Loaded()
{
    static const bool loaded = [] {
        benchfile::StartPanels();
        return load_measurement(benchfile::HarmonicFile().c_str(), -1, -1) == 0;
    }();
    (void)loaded;
}

// Text protocol (both pages, shown on the protocol page) and the detailed protocol.
void BM_CreateProtocol(benchmark::State& state)
{
    Loaded();
    for (auto _ : state) {
        CreateProtocol();
        benchmark::DoNotOptimize(bufTable.data());
    }
    state.counters["bytes"] = double(bufTable.size());
}
BENCHMARK(BM_CreateProtocol)->Unit(benchmark::kMillisecond);

void BM_ReportScript(benchmark::State& state)
{
    Loaded();
    std::string script;
    for (auto _ : state) {
        BuildReportScript(&script);
        benchmark::DoNotOptimize(script.data());
    }
    state.counters["bytes"] = double(script.size());
}
BENCHMARK(BM_ReportScript)->Unit(benchmark::kMillisecond);

// Both, as after a load: protocol, then the script written beside the file.
void BM_ProtocolAndScriptFile(benchmark::State& state)
{
    Loaded();
    std::string path;
    for (auto _ : state) {
        CreateProtocol();
        MakeReport(false, &path);
    }
    ::unlink(path.c_str());
}
BENCHMARK(BM_ProtocolAndScriptFile)->Unit(benchmark::kMillisecond);

// txt2pdf on the two-page report of that file (the converter beside the
// benchmark program, build/bin/txt2pdf).
void BM_ConvertTwoPages(benchmark::State& state)
{
    Loaded();
    std::string script, pdf;
    MakeReport(false, &script, &pdf);
    std::string error;
    for (auto _ : state) {
        if (ConvertReport(script, pdf, &error) != 0) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    ::unlink(script.c_str());
    ::unlink(pdf.c_str());
}
BENCHMARK(BM_ConvertTwoPages)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
