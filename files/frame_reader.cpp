#include "files/frame_reader.h"

#include <csetjmp>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <memory>
#include <sys/mman.h>
#include <unistd.h>

#include "evaluation/maxima.h"
#include "state/framelist.h"
#include "state/records.h"

void FirstFrameFrom(const unsigned char* rec)
{
    if (firstframe != 0) return;
    float c;
    std::memcpy(&c, rec + offsetof(HarmFrame, count), 4);
    firstframe = c;
}

namespace {

// Copies n sets (P records each) into the lists and takes their maxima.
void TakeHarmonicSets(const unsigned char* sets, int32_t n, int P, int32_t done)
{
    const size_t R = sizeof(HarmFrame);
    const size_t set_bytes = size_t(P) * R;
    unsigned char* dst[3] = {};
    for (int p = 0; p < P; ++p) dst[p] = ListReserveItems(listbuf[p], size_t(n));
    for (int32_t i = 0; i < n; ++i) {
        const unsigned char* set = sets + size_t(i) * set_bytes;
        FirstFrameFrom(set);
        for (int p = 0; p < P; ++p) {
            std::memcpy(dst[p] + size_t(i) * R, set + size_t(p) * R, R);
            HarmonicMaxima(set + size_t(p) * R, p, done + i);
        }
    }
    for (int p = 0; p < P; ++p) {
        ListCommitItems(listbuf[p], size_t(n));
        std::memcpy(&buf[p], dst[p] + size_t(n - 1) * R, R);
    }
}

// A file mapped while it is read: a file cut short by another program in
// the meantime raises SIGBUS, which ends the reading as a failed read.
sigjmp_buf* g_bus_jump = nullptr;
void OnBusError(int)
{
    if (g_bus_jump) siglongjmp(*g_bus_jump, 1);
    std::signal(SIGBUS, SIG_DFL);
    std::raise(SIGBUS);
}

}  // namespace

int ReadHarmonicSets(int fd, const LogLayout& L, void (*progress)(int32_t))
{
    const int P = L.phases;
    const size_t set_bytes = size_t(P) * sizeof(HarmFrame);
    constexpr int32_t kChunkSets = 512;  // stays in the cache between read and copy
    if (L.sets <= 0) return 1;

    // Mapped a window at a time, so that the mapped pages and the lists
    // together stay well within 1.5 times the file's size.
    constexpr int32_t kWindowSets = 8192;
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    struct sigaction act {}, old {};
    act.sa_handler = OnBusError;
    sigemptyset(&act.sa_mask);
    ::sigaction(SIGBUS, &act, &old);
    sigjmp_buf jump;
    volatile int32_t done = 0;
    void* volatile map = MAP_FAILED;
    volatile size_t map_len = 0;
    int rc = 1;
    if (sigsetjmp(jump, 1) == 0) {
        g_bus_jump = &jump;
        while (done < L.sets) {
            const int32_t w = L.sets - done < kWindowSets ? L.sets - done : kWindowSets;
            const size_t from = size_t(L.data_offset) + size_t(done) * set_bytes;
            const size_t start = from / page * page;
            map_len = from - start + size_t(w) * set_bytes;
            map = ::mmap(nullptr, map_len, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, off_t(start));
            if (map == MAP_FAILED) break;
            const unsigned char* base = static_cast<const unsigned char*>(map) + (from - start);
            for (int32_t i = 0; i < w;) {
                const int32_t n = w - i < kChunkSets ? w - i : kChunkSets;
                TakeHarmonicSets(base + size_t(i) * set_bytes, n, P, done + i);
                i += n;
                size = done + i;
                progress(size);
            }
            ::munmap(map, map_len);
            map = MAP_FAILED;
            done = done + w;
        }
    } else {
        rc = LOG_ERR_IO;   // the file was cut short meanwhile: the frames taken so far stay
        size = ListNumItems(listbuf[0]);
    }
    g_bus_jump = nullptr;
    ::sigaction(SIGBUS, &old, nullptr);
    if (map != MAP_FAILED) ::munmap(map, map_len);
    if (rc < 0 || done >= L.sets) return rc;

    // No mapping: by reads.
    static std::unique_ptr<unsigned char[]> chunk(new unsigned char[size_t(kChunkSets) * 3 * sizeof(HarmFrame)]);
    int32_t next = done;
    int64_t offset = L.data_offset + int64_t(next) * int64_t(set_bytes);
    while (next < L.sets) {
        const int32_t n = L.sets - next < kChunkSets ? L.sets - next : kChunkSets;
        if (LogPread(fd, chunk.get(), size_t(n) * set_bytes, offset) < 0) return LOG_ERR_IO;
        TakeHarmonicSets(chunk.get(), n, P, next);
        next += n;
        offset += int64_t(n) * int64_t(set_bytes);
        size = next;
        progress(size);
    }
    return 1;
}
