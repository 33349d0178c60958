// Re-evaluation of a three-phase 2.5-hour harmonic logging file (45,000
// frames per phase) against reading and writing the same file once.
#include "bench/load_file.h"
#include "evaluation/limits.h"
#include "files/reevaluation.h"
#include "files/logfile.h"
#include "state/para.h"
#include "platform/fixed_text.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string& FilePath()
{
    static const std::string path = [] {
        std::string p = "/tmp/orivan_bench_newlimits_" + std::to_string(::getpid()) + ".qel";
        Para head{};
        head.test_kind = 0;
        head.phases = 3;
        head.h_standard = 3;
        head.h_class = 0;
        head.h_hours = 2;
        head.h_minutes = 30;
        CopyFixed(head.sw_version, "3.00");
        benchfile::WriteHarmonicFile(p, head, [](HarmFrame& f, int i) {
            f.freq = 50.0f;
            f.hiam[1] = 8.0f;
            for (int n = 2; n <= 40; ++n) f.hiam[n] = 1.5f / n * (1.0f + 0.1f * ((i + n) % 7));
            for (int n = 0; n <= 40; ++n) f.limit[n] = ClassALimit(n);
        });
        std::atexit([] { ::unlink(FilePath().c_str()); });
        return p;
    }();
    return path;
}

void BM_ReadWriteOnce(benchmark::State& state)
{
    const std::string& path = FilePath();
    std::vector<unsigned char> block(1 << 20);
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_RDWR);
        const int64_t size = LogFileSize(fd);
        for (int64_t at = 0; at < size; at += int64_t(block.size())) {
            const size_t n = size_t(std::min<int64_t>(int64_t(block.size()), size - at));
            if (LogPread(fd, block.data(), n, at) != LOG_OK) std::abort();
            if (LogPwrite(fd, block.data(), n, at) != LOG_OK) std::abort();
        }
        ::close(fd);
        state.SetBytesProcessed(state.bytes_processed() + size);
    }
}
BENCHMARK(BM_ReadWriteOnce)->Unit(benchmark::kMillisecond);

void BM_NewLimitsThreePhases(benchmark::State& state)
{
    const std::string& path = FilePath();
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_RDWR);
        for (int ph = 0; ph < 3; ++ph)
            if (NewLimits(fd, ph, -1, -1) != LOG_OK) std::abort();
        ::close(fd);
    }
}
BENCHMARK(BM_NewLimitsThreePhases)->Unit(benchmark::kMillisecond);

void BM_NewLimitsAllOnePass(benchmark::State& state)
{
    const std::string& path = FilePath();
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_RDWR);
        if (NewLimitsAll(fd) != LOG_OK) std::abort();
        ::close(fd);
    }
}
BENCHMARK(BM_NewLimitsAllOnePass)->Unit(benchmark::kMillisecond);

}  // namespace
