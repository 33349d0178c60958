// libFuzzer target: the logging-file reader and the re-evaluation on
// arbitrary file contents. Build and run (from the source directory):
//
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. -Ibuild/generated \
//     fuzz/logfile_reader.cpp files/logfile.cpp \
//     evaluation/{flicker_limits,harmonic_eval,limits,records,reevaluation}.cpp \
//     app/para.cpp app/config.cpp platform/lowfile.cpp platform/fmt.cpp \
//     -o build/fuzz_logfile_reader
//   build/fuzz_logfile_reader -max_len=20000 -max_total_time=180
#include "files/reevaluation.h"
#include "files/logfile.h"
#include "state/para.h"
#include "state/panels.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int fd = ::memfd_create("logfile", 0);
    if (fd < 0) std::abort();
    if (size && ::write(fd, data, size) != ssize_t(size)) std::abort();

    LogLayout L;
    if (LogRecognise(fd, "fuzz.qel", &L) == LOG_OK) {
        // Everything the layout promises lies inside the file.
        const int64_t set_bytes = int64_t(L.phases) * L.record_size;
        if (L.data_offset + int64_t(L.sets) * set_bytes > L.size) std::abort();
        if (L.results_offset + int64_t(L.results) * LOG_RESULT_RECORD > L.size) std::abort();
        LogFrameReader r;
        LogReaderInit(&r, fd, L);
        unsigned char recs[3 * LOG_FLK_RECORD];
        int n = 0, rc;
        while ((rc = LogReadNextFrame(&r, recs)) == 1) ++n;
        if (rc != 0 || n != L.frames) std::abort();
        HarmResult res[3];
        if (LogReadResults(fd, L, res) < 0) std::abort();
    }
    // The re-evaluation of whatever the head claims never grows the file.
    const int64_t before = LogFileSize(fd);
    for (int phase = 0; phase < 3; ++phase) NewLimits(fd, phase, -1, -1);
    if (LogFileSize(fd) != before) std::abort();
    ::close(fd);
    reset_para_state();
    return 0;
}
