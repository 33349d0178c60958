// Three-phase 2.5-hour harmonic logging files (45,000 frames per phase) for
// the loading, export and re-evaluation benchmarks, and the program's panels
// headless.
#pragma once

#include "app/startup.h"
#include "state/records.h"
#include "files/logfile.h"
#include "platform/ui/headless.h"
#include "state/para.h"
#include "platform/fixed_text.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace benchfile {

constexpr int kFrames = 45000;

// Writes a three-phase harmonic logging file of kFrames frames per phase with
// this header; `fill(frame, index)` sets each frame after its index and
// remaining-frame count. Aborts on any write error.
template <class Fill>
void WriteHarmonicFile(const std::string& path, const Para& head, Fill fill)
{
    int fd = -1;
    if (LogCreate(path.c_str(), head, &fd) != LOG_OK) std::abort();
    std::vector<HarmFrame> block(3 * 1000);
    for (int first = 0; first < kFrames; first += 1000) {
        for (int k = 0; k < 1000; ++k)
            for (int ph = 0; ph < 3; ++ph) {
                HarmFrame& f = block[size_t(k) * 3 + ph];
                f = HarmFrame{};
                f.fltr = kFrames - 1 - (first + k);
                fill(f, first + k);
            }
        if (LogAppend(fd, block.data(), block.size() * sizeof(HarmFrame)) != LOG_OK) std::abort();
    }
    if (LogWriteHeader(fd, kFrames, head) != LOG_OK) std::abort();
    HarmResult r[3] = {};
    if (LogAppend(fd, r, sizeof r) != LOG_OK) std::abort();
    LogClose(fd);
}

inline const std::string& HarmonicFile()
{
    static const std::string path = [] {
        std::string p = "/tmp/orivan_bench_load_" + std::to_string(::getpid()) + ".qel";
        Para head{};
        head.test_kind = 0;
        head.phases = 3;
        head.h_standard = 1;
        head.h_hours = 2;
        head.h_minutes = 30;
        CopyFixed(head.sw_version, "3.00");
        WriteHarmonicFile(p, head, [](HarmFrame& f, int i) {
            f.count = float(i + 1);
            f.utrms = 230.1f;
            f.itrms = 8.25f;
            f.p = 1803.5f;
            f.pf = 0.951f;
            f.s = 1898.2f;
            f.q = 590.4f;
            f.huhd = 0.31f;
            f.hihd = 31.7f;
            f.hiam[1] = 8.0f;
            for (int n = 2; n <= 40; ++n) f.hiam[n] = 1.5f / n * (1.0f + 0.1f * ((i + n) % 7));
            for (int n = 0; n <= 40; ++n) f.limit[n] = n < 2 ? NoLimit() : 2.3f / n;
        });
        std::atexit([] { ::unlink(HarmonicFile().c_str()); });
        return p;
    }();
    return path;
}

// The panels the loading updates (resource beside the program).
inline void StartPanels()
{
    static const bool started = [] {
        ui::SetHeadlessMode(ui::HeadlessMode::Batch);
        return StartUp(StartOptions{}) == 0;
    }();
    (void)started;
}

}  // namespace benchfile
