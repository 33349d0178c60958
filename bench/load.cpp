// Loading a three-phase 2.5-hour harmonic file against reading it once
// sequentially; the memory the frame lists hold against the file's size.
#include "bench/load_file.h"
#include "files/load.h"
#include "state/framelist.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <vector>

namespace {

void BM_ReadOnce(benchmark::State& state)
{
    const std::string& path = benchfile::HarmonicFile();
    std::vector<char> chunk(1 << 20);
    long long total = 0;
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_RDONLY);
        ssize_t n;
        while ((n = ::read(fd, chunk.data(), chunk.size())) > 0) total += n;
        ::close(fd);
        benchmark::DoNotOptimize(chunk.data());
    }
    state.SetBytesProcessed(total);
}
BENCHMARK(BM_ReadOnce)->Unit(benchmark::kMillisecond);

void BM_LoadMeasurement(benchmark::State& state)
{
    const std::string& path = benchfile::HarmonicFile();
    benchfile::StartPanels();
    for (auto _ : state) {
        if (load_measurement(path.c_str(), -1, -1) != 0 || size != benchfile::kFrames) {
            state.SkipWithError("load failed");
            break;
        }
    }
    const long long file = FileSize(path.c_str());
    size_t held = 0;
    for (auto* l : listbuf) held += l ? l->capacity * l->item_size : 0;
    state.SetBytesProcessed(state.iterations() * file);
    state.counters["lists_per_file_byte"] = double(held) / double(file);
}
BENCHMARK(BM_LoadMeasurement)->Unit(benchmark::kMillisecond);

// The same with the lists disposed of before every load (the first load of
// a program: the memory is mapped afresh).
void BM_LoadMeasurementFresh(benchmark::State& state)
{
    const std::string& path = benchfile::HarmonicFile();
    benchfile::StartPanels();
    for (auto _ : state) {
        state.PauseTiming();
        reset_load_state();
        state.ResumeTiming();
        if (load_measurement(path.c_str(), -1, -1) != 0 || size != benchfile::kFrames) {
            state.SkipWithError("load failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path.c_str()));
}
BENCHMARK(BM_LoadMeasurementFresh)->Unit(benchmark::kMillisecond);

// Both again with the file's pages dropped from the page cache before each
// iteration (where the file system allows it): reading from the storage.
void DropCache(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

void BM_ReadOnceCold(benchmark::State& state)
{
    const std::string& path = benchfile::HarmonicFile();
    std::vector<char> chunk(1 << 20);
    for (auto _ : state) {
        state.PauseTiming();
        DropCache(path);
        state.ResumeTiming();
        int fd = ::open(path.c_str(), O_RDONLY);
        while (::read(fd, chunk.data(), chunk.size()) > 0) {
        }
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path.c_str()));
}
BENCHMARK(BM_ReadOnceCold)->Unit(benchmark::kMillisecond);

void BM_LoadMeasurementCold(benchmark::State& state)
{
    const std::string& path = benchfile::HarmonicFile();
    benchfile::StartPanels();
    for (auto _ : state) {
        state.PauseTiming();
        DropCache(path);
        state.ResumeTiming();
        if (load_measurement(path.c_str(), -1, -1) != 0) {
            state.SkipWithError("load failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path.c_str()));
}
BENCHMARK(BM_LoadMeasurementCold)->Unit(benchmark::kMillisecond);

}  // namespace
