// libFuzzer target: loading, exporting and cutting arbitrary file contents
// through the program's own paths (headless panels). A refused file must
// leave the state alone; an accepted one must load consistently, export in
// every form and cut into a file that loads with the frames of its range.
// Build and run: fuzz/run.sh [seconds] (needs clang).
#include "app/startup.h"
#include "state/records.h"
#include "files/export.h"
#include "files/load.h"
#include "files/logfile.h"
#include "platform/lowfile.h"
#include "platform/ui/headless.h"
#include "state/para.h"
#include "state/framelist.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const std::string& Dir()
{
    static const std::string d = [] {
        char t[] = "/tmp/orivan_fuzz_XXXXXX";
        if (!::mkdtemp(t)) std::abort();
        return std::string(t);
    }();
    return d;
}

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Messages are expected (refused files): popups without answers pass.
    ui::SetHeadlessMode(ui::HeadlessMode::Test);
    ui::SetUnexpectedPopupHandler([](const std::string&) {});
    ui::SetResourceDir(ORIVAN_RESOURCE_DIR);
    SetProjectDir(Dir().c_str());
    if (StartUp(StartOptions{}) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t n)
{
    ui::ClearPopupLog();
    const std::string in = Dir() + "/in.qel", out = Dir() + "/out.txt", cut = Dir() + "/cut.qel";
    FILE* f = std::fopen(in.c_str(), "wb");
    if (!f) std::abort();
    if (n) std::fwrite(data, 1, n, f);
    std::fclose(f);

    const int32_t size_before = size;
    const Para para_before = para;
    LogLayout L;
    int fd = -1;
    const bool readable = LogOpenRead(in.c_str(), &fd, &L) == LOG_OK;
    if (fd >= 0) LogClose(fd);

    const int rc = load_measurement(in.c_str(), -1, -1);
    Check((rc == 0) == readable, "load result matches recognition");
    if (rc < 0) {
        Check(size == size_before && std::memcmp(&para, &para_before, sizeof para) == 0, "refused file keeps state");
        return 0;
    }
    Check(size == L.frames || LastLoadReport().short_read, "frames as the layout promises");
    for (int p = 0; p < para.phases && p < 3; ++p) Check(ListNumItems(listbuf[p]) == size, "lists hold size frames");

    ExportOptions o;
    o.header = n & 1;
    o.comma = n & 2;
    for (int kind = 0; kind <= 3; ++kind) {
        o.kind = kind;
        Check(ExportFrames(out.c_str(), o) >= 0, "export writes");
    }
    const int32_t frames = size;
    const int32_t first = frames ? int32_t(data[0]) % (frames + 1) : 0;
    const int32_t last = first + (n > 1 ? int32_t(data[1]) : 0);
    const int copied = CutMeasurement(in.c_str(), cut.c_str(), first, last);
    if (L.format != LOG_OLD || L.test_kind == 1 || copied >= 0) {
        Check(copied >= 0, "cut of a readable file works");
        const int32_t expect = (last < frames ? last : frames) - first;
        Check(copied == expect, "cut copies the range");
        Check(load_measurement(cut.c_str(), -1, -1) == 0, "cut file loads");
        Check(size == expect, "cut file holds the range");
    }
    return 0;
}
