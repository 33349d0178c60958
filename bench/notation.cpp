// Cost of the notation on its hot paths: a protocol/export line, a command,
// and splitting an identification reply / reading numbers from a reply.
#include "platform/fmt.h"

#include <benchmark/benchmark.h>

#include <string>

static void BM_FmtExportLine(benchmark::State& state)
{
    // One flicker export line: eleven values with six decimals per phase.
    char line[2048];
    for (auto _ : state) {
        line[0] = '\0';
        for (int p = 0; p < 3; ++p)
            for (int k = 0; k < 11; ++k) Fmt(line, "%s[a]<%f[p6]\t", 230.123456 + k);
        benchmark::DoNotOptimize(line);
    }
    state.SetItemsProcessed(state.iterations() * 33);
}
BENCHMARK(BM_FmtExportLine);

static void BM_FmtCommand(benchmark::State& state)
{
    char cmd[128];
    for (auto _ : state) {
        Fmt(cmd, "EDIT %i;EVAL %i;SMOO %i;CECD %i;SYSD %i;RSCE %f;*OPC?\n", 3, 10, 1, 0, 7, 33.0);
        benchmark::DoNotOptimize(cmd);
    }
}
BENCHMARK(BM_FmtCommand);

static void BM_ScanIdentification(benchmark::State& state)
{
    char maker[32], model[20], serial[9], rev[7];
    for (auto _ : state) {
        int n = Scan("QEL,PAM-A,SN12345,1.2345\n", "%s>%s[xt44]%s[xt44]%s[xt44]%s[w6]", maker, model, serial, rev);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_ScanIdentification);

static void BM_ScanNumberList(benchmark::State& state)
{
    std::string reply;
    for (int i = 0; i < 41; ++i) reply += "1.234567E+00;";
    for (auto _ : state) {
        double sum = 0, v = 0;
        for (int i = 0, off = 0; i < 41; ++i, off += 13) {
            Scan(reply.c_str(), "%s[i*]>%f", off, &v);
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 41);
}
BENCHMARK(BM_ScanNumberList);
