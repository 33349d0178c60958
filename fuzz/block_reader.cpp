// libFuzzer target: the driver's block readers and the simulated analyser's
// message parser on arbitrary bytes. The answer is served by an in-process
// simulated analyser on the virtual clock; the destination sits between
// guard bytes that must stay untouched. Built by fuzz/CMakeLists.txt; run with
// fuzz/run.sh block_reader [seconds].
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "instrument/pamx.h"
#include "platform/clock.h"
#include "platform/visa/backend.h"
#include "sim/bench.h"

namespace {

constexpr int kRoom = 64;
constexpr int kGuard = 16;

void check_guards(const unsigned char* area)
{
    for (int k = 0; k < kGuard; ++k)
        if (area[k] != 0xA5 || area[kGuard + kRoom + k] != 0xA5) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = false;
    if (!ready) {
        UseVirtualClock(true);
        SetIoCost(0.05);
        ready = true;
    }
    visa::reset_visa();
    sim::reset_bench();
    sim::EnableSimulation(true);
    auto dev = std::make_shared<sim::Analyser>();
    sim::Attach("GPIB::5", dev);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    dev->registry().add("RAW?", [bytes](sim::Analyser& a, const sim::Command&) {
        a.emit(bytes, Timer());
        return sim::Answer::none();
    });
    ViSession rm = 0, vi = 0;
    viOpenDefaultRM(&rm);
    viOpen(rm, "GPIB::5", 0, 0, &vi);

    unsigned char area[kGuard + kRoom + kGuard];
    std::memset(area, 0xA5, sizeof area);
    unsigned char* dest = area + kGuard;
    ViInt32 count = 0;

    PAMX_writeInstrData(vi, "RAW?\n");
    ViStatus st = PAMX_CreadInstrDataBinary(vi, kRoom, dest, &count);
    if (count < 0 || count > kRoom || (st >= 0 && st != PAMX_NO_ANSWER && count > kRoom)) std::abort();
    check_guards(area);

    PAMX_flushInstrData(vi);
    PAMX_writeInstrData(vi, "RAW?\n");
    PAMX_readInstrDataBinary(vi, kRoom, dest, &count);
    if (count < 0 || count > kRoom) std::abort();
    check_guards(area);

    ReadDataFromBuffer(data, ViInt32(size), dest, kRoom, &count);
    if (count < 0 || count > kRoom) std::abort();
    check_guards(area);

    // The same bytes as a message to the analyser.
    dev->input(data, size, true);
    dev->pump();

    viClose(rm);
    return 0;
}
