#include "platform/clock.h"

#include "platform/fmt.h"
#include "platform/state_reset.h"

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

#include <sys/stat.h>

namespace {

// 0.1 ms per instrument I/O call: a PAM-C record set (a few hundred calls)
// reads well within one 200 ms measuring cycle.
constexpr double DEFAULT_IO_COST = 0.0001;

struct ClockState {
    std::mutex mutex;
    bool virt = false;
    long long virt_ns = 0;                   // virtual Timer(), nanoseconds
    std::time_t epoch = 1767225600;
    long long io_cost_ns = 100000;           // DEFAULT_IO_COST
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

ClockState& State()
{
    static ClockState s;
    return s;
}

// Program start is fixed when the library is loaded, not at first use.
[[maybe_unused]] const bool g_started = (State(), true);

long long ToNs(double seconds)
{
    if (!(seconds > 0) || !std::isfinite(seconds)) return 0;
    if (seconds > 9.0e9) seconds = 9.0e9;
    return (long long)std::llround(seconds * 1e9);
}

void BrokenDown(std::time_t t, bool utc, std::tm* out)
{
    if (utc) gmtime_r(&t, out);
    else localtime_r(&t, out);
}

}  // namespace

double Timer()
{
    ClockState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.virt) return double(s.virt_ns) / 1e9;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - s.start).count();
}

void Delay(double seconds)
{
    long long ns = ToNs(seconds);
    if (ns == 0) return;
    ClockState& s = State();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.virt) {
            s.virt_ns += ns;
            return;
        }
    }
    std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
}

void UseVirtualClock(bool on, std::time_t epoch)
{
    ClockState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.virt = on;
    s.virt_ns = 0;
    s.epoch = epoch;
}

bool IsVirtualClock()
{
    ClockState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.virt;
}

void AdvanceClock(double seconds)
{
    long long ns = ToNs(seconds);
    ClockState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.virt) s.virt_ns += ns;
}

void SetIoCost(double seconds)
{
    ClockState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.io_cost_ns = ToNs(seconds);
}

void ClockIoTick(bool idle)
{
    ClockState& s = State();
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (s.virt) {
            s.virt_ns += s.io_cost_ns;
            return;
        }
    }
    if (idle) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::time_t ClockNow()
{
    ClockState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.virt) return s.epoch + std::time_t(s.virt_ns / 1000000000LL);
    return std::time(nullptr);
}

// The virtual clock's calendar is UTC (tests do not depend on the time zone);
// the real clock shows local time.
static void NowBrokenDown(std::tm* tm)
{
    std::time_t t = ClockNow();
    BrokenDown(t, IsVirtualClock(), tm);
}

void GetSystemDate(int* month, int* day, int* year)
{
    std::tm tm{};
    NowBrokenDown(&tm);
    if (month) *month = tm.tm_mon + 1;
    if (day) *day = tm.tm_mday;
    if (year) *year = tm.tm_year + 1900;
}

void GetSystemTime(int* hours, int* minutes, int* seconds)
{
    std::tm tm{};
    NowBrokenDown(&tm);
    if (hours) *hours = tm.tm_hour;
    if (minutes) *minutes = tm.tm_min;
    if (seconds) *seconds = tm.tm_sec;
}

const char* TimeStr()
{
    static thread_local char text[16];
    int h, m, s;
    GetSystemTime(&h, &m, &s);
    Fmt(text, "%s<%i[w2p0]:%i[w2p0]:%i[w2p0]", h, m, s);
    return text;
}

const char* DateStr()
{
    static thread_local char text[16];
    int mo, d, y;
    GetSystemDate(&mo, &d, &y);
    Fmt(text, "%s<%i[w2p0]-%i[w2p0]-%i[w4p0]", mo, d, y);
    return text;
}

static int FileBrokenDown(const char* path, std::tm* tm)
{
    struct stat st;
    if (!path || ::stat(path, &st) != 0) return -1;
    BrokenDown(st.st_mtime, false, tm);
    return 0;
}

int GetFileDate(const char* path, int* month, int* day, int* year)
{
    std::tm tm{};
    if (FileBrokenDown(path, &tm) != 0) return -1;
    if (month) *month = tm.tm_mon + 1;
    if (day) *day = tm.tm_mday;
    if (year) *year = tm.tm_year + 1900;
    return 0;
}

int GetFileTime(const char* path, int* hours, int* minutes, int* seconds)
{
    std::tm tm{};
    if (FileBrokenDown(path, &tm) != 0) return -1;
    if (hours) *hours = tm.tm_hour;
    if (minutes) *minutes = tm.tm_min;
    if (seconds) *seconds = tm.tm_sec;
    return 0;
}

void reset_clock()
{
    ClockState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.virt = false;
    s.virt_ns = 0;
    s.epoch = 1767225600;
    s.io_cost_ns = ToNs(DEFAULT_IO_COST);
}
REGISTER_STATE_RESET(reset_clock);
