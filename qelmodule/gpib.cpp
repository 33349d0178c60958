#include "qelmodule/gpib.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>

namespace qel {

namespace {

// Entry points of the driver library; null when it or the function is absent.
struct Driver {
    void* lib = nullptr;
    int (*ibdev)(int, int, int, int, int, int) = nullptr;
    int (*ibln)(int, int, int, short*) = nullptr;
    int (*ibclr)(int) = nullptr;
    int (*ibonl)(int, int) = nullptr;
    int (*ibloc)(int) = nullptr;
    int (*ibrsp)(int, char*) = nullptr;
    int (*ibrda)(int, void*, long) = nullptr;
    int (*ibwrta)(int, const void*, long) = nullptr;
    int (*ibwait)(int, int) = nullptr;
    int (*ibtmo)(int, int) = nullptr;
    int (*iblines)(int, short*) = nullptr;
    int (*ibsre)(int, int) = nullptr;
    int (*ibcmd)(int, const void*, long) = nullptr;
    int (*ThreadIbsta)() = nullptr;
    int (*ThreadIberr)() = nullptr;
    int (*ThreadIbcnt)() = nullptr;
};

Driver g_driver;
std::mutex g_driver_mutex;

template <typename F>
void Bind(void* lib, F& fn, const char* name)
{
    fn = reinterpret_cast<F>(::dlsym(lib, name));
}

const Driver& Drv()
{
    std::lock_guard lock(g_driver_mutex);
    if (!g_driver.lib) {
        const char* path = std::getenv("QEL_GPIB_LIBRARY");
        void* lib = ::dlopen(path && *path ? path : "libgpib.so.0", RTLD_NOW | RTLD_LOCAL);
        if (lib) {
            Driver d;
            d.lib = lib;
            Bind(lib, d.ibdev, "ibdev");
            Bind(lib, d.ibln, "ibln");
            Bind(lib, d.ibclr, "ibclr");
            Bind(lib, d.ibonl, "ibonl");
            Bind(lib, d.ibloc, "ibloc");
            Bind(lib, d.ibrsp, "ibrsp");
            Bind(lib, d.ibrda, "ibrda");
            Bind(lib, d.ibwrta, "ibwrta");
            Bind(lib, d.ibwait, "ibwait");
            Bind(lib, d.ibtmo, "ibtmo");
            Bind(lib, d.iblines, "iblines");
            Bind(lib, d.ibsre, "ibsre");
            Bind(lib, d.ibcmd, "ibcmd");
            Bind(lib, d.ThreadIbsta, "ThreadIbsta");
            Bind(lib, d.ThreadIberr, "ThreadIberr");
            Bind(lib, d.ThreadIbcnt, "ThreadIbcnt");
            g_driver = d;  // stays loaded from now on
        }
    }
    return g_driver;
}

// A call into a missing function fails like the driver does: status ERR.
template <typename F, typename... A>
int Call(F fn, A... args)
{
    return fn ? fn(args...) : GPIB_ERR;
}

int ThreadSta() { const auto& d = Drv(); return d.ThreadIbsta ? d.ThreadIbsta() : GPIB_ERR; }
int ThreadErr() { const auto& d = Drv(); return d.ThreadIberr ? d.ThreadIberr() : EDVR; }
int ThreadCnt() { const auto& d = Drv(); return d.ThreadIbcnt ? d.ThreadIbcnt() : 0; }

const char* const kTimeoutNames[18] = {"None", "10us", "30us", "100us", "300us", "1ms",
                                       "3ms", "10ms", "30ms", "100ms", "300ms", "1s",
                                       "3s", "10s", "30s", "100s", "300s", "1000s"};

} // namespace

bool GpibDriverLoaded()
{
    const Driver& d = Drv();
    return d.lib && d.ibdev && d.ibln && d.ibclr && d.ibonl && d.ibloc && d.ibrsp &&
           d.ibrda && d.ibwrta && d.ibwait && d.ibtmo && d.iblines && d.ibsre && d.ibcmd &&
           d.ThreadIbsta && d.ThreadIberr && d.ThreadIbcnt;
}

int GpibTimeoutCode(long ms)
{
    static const long limits[] = {1, 3, 10, 30, 100, 300, 1000, 3000, 10000,
                                  30000, 100000, 300000, 1000000};
    static const int codes[] = {0, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    for (std::size_t i = 0; i < sizeof limits / sizeof limits[0]; ++i)
        if (ms <= limits[i])
            return codes[i];
    return 17;
}

const char* GpibTimeoutName(int code)
{
    return (code >= 0 && code <= 17) ? kTimeoutNames[code] : "";
}

const char* GpibErrorMnemonic(int code)
{
    struct Entry { int code; const char* name; };
    static const Entry table[] = {
        {0, "EDVR"}, {1, "ECIC"}, {2, "ENOL"}, {3, "EADR"}, {4, "EARG"}, {5, "ESAC"},
        {6, "EABO"}, {7, "ENEB"}, {10, "EOIP"}, {11, "ECAP"}, {12, "EFSO"}, {14, "EBUS"},
        {15, "ESTB"}, {16, "ESQR"}, {20, "ETAB"}, {247, "EINT"}, {248, "EWMD"},
        {249, "EVDD"}, {250, "EOVR"}, {251, "ESML"}, {252, "ECFG"}, {253, "ETMR"},
        {254, "ESLC"}, {255, "EBRK"}};
    for (const Entry& e : table)
        if (e.code == code)
            return e.name;
    return nullptr;
}

wxGPIB::~wxGPIB() { Close(); }

void wxGPIB::Store(int sta)
{
    sta_ = sta;
    err_ = ThreadErr();
    cnt_ = ThreadCnt();
}

int wxGPIB::Close()
{
    if (ud_ >= 0) {
        const Driver& d = Drv();
        Store(Call(d.ibloc, ud_));
        Call(d.ibonl, ud_, 0);
        ud_ = -1;
    }
    pending_ = 0;
    leftover_.clear();
    return 0;
}

int wxGPIB::Open(const char* board, const void* settings)
{
    if (ud_ >= 0)
        Close();
    if (settings)
        settings_ = *static_cast<const GpibSettings*>(settings);
    board_ = -1;
    if (board && std::strncmp(board, "gpib1", 5) == 0)
        board_ = 0;
    else if (board && std::strncmp(board, "gpib2", 5) == 0)
        board_ = 1;
    else
        return -1;
    if (settings_.tmo > 17)
        settings_.tmo = 17;
    const Driver& d = Drv();
    const int ud = d.ibdev ? d.ibdev(board_, settings_.pad, settings_.sad, settings_.tmo,
                                     settings_.eot, settings_.eos | (settings_.eosmode << 8))
                           : -1;
    if (ud < 0) {
        Store(d.ibdev ? ThreadSta() : GPIB_ERR);
        return -2;
    }
    short found = 0;
    const int sta = Call(d.ibln, ud, settings_.pad, 0, &found);
    if ((sta & GPIB_ERR) || !found) {
        Store(sta);
        Call(d.ibonl, ud, 0);
        return -3;
    }
    ud_ = ud;
    Store(Call(d.ibclr, ud_));
    pending_ = 0;
    leftover_.clear();
    return 0;
}

// Polls the operation under way without waiting; true when it has ended.
bool wxGPIB::PollPending(int* sta)
{
    *sta = Call(Drv().ibwait, ud_, 0);
    if (!(*sta & (GPIB_ERR | GPIB_CMPL)))
        return false;
    pending_ = 0;
    Store(*sta);
    return true;
}

std::size_t wxGPIB::TakeLeftover(char* buf, std::size_t n)
{
    const std::size_t k = std::min(n, leftover_.size());
    std::memcpy(buf, leftover_.data(), k);
    leftover_.erase(0, k);
    return k;
}

int wxGPIB::Read(char* buf, std::size_t n)
{
    if (ud_ < 0)
        return -1;
    if (n == 0)
        return 0;
    if (!leftover_.empty())
        return static_cast<int>(TakeLeftover(buf, n));
    const Driver& d = Drv();
    int sta = 0;
    if (pending_ == 2 && !PollPending(&sta))
        return 0;  // an abandoned write is still going
    if (pending_ == 0) {
        char stb = 0;
        sta = Call(d.ibrsp, ud_, &stb);
        if (sta & GPIB_ERR) {
            Store(sta);
            return -1;
        }
        if (!(static_cast<unsigned char>(stb) & GPIB_STB_MAV))
            return 0;
        staging_.assign(n, 0);
        sta = Call(d.ibrda, ud_, static_cast<void*>(staging_.data()), static_cast<long>(n));
        if (sta & GPIB_ERR) {
            Store(sta);
            return -1;
        }
        pending_ = 1;
    }
    if (!PollPending(&sta))
        return 0;
    const std::size_t got = std::min<std::size_t>(static_cast<std::size_t>(std::max(cnt_, 0)),
                                                  staging_.size());
    if ((sta & GPIB_ERR) && got == 0)
        return -1;
    // A read started for a larger request keeps what this caller cannot take.
    const std::size_t k = std::min(n, got);
    std::memcpy(buf, staging_.data(), k);
    leftover_.append(staging_.data() + k, got - k);
    staging_.clear();
    return static_cast<int>(k);
}

int wxGPIB::Write(const char* buf, std::size_t n)
{
    if (ud_ < 0)
        return -1;
    if (n == 0)
        return 0;
    const Driver& d = Drv();
    int sta = 0;
    if (pending_ == 1) {
        if (!PollPending(&sta))
            return 0;
        const std::size_t got = std::min<std::size_t>(
            static_cast<std::size_t>(std::max(cnt_, 0)), staging_.size());
        leftover_.append(staging_.data(), got);
        staging_.clear();
    }
    if (pending_ == 2 &&
        (wstaging_.size() != n || std::memcmp(wstaging_.data(), buf, n) != 0)) {
        // The write under way belongs to an earlier call that gave up.
        if (!PollPending(&sta))
            return 0;
    }
    if (pending_ == 0) {
        wstaging_.assign(buf, buf + n);
        sta = Call(d.ibwrta, ud_, static_cast<const void*>(wstaging_.data()),
                   static_cast<long>(n));
        if (sta & GPIB_ERR) {
            Store(sta);
            return -1;
        }
        pending_ = 2;
    }
    if (!PollPending(&sta))
        return 0;
    if (sta & GPIB_ERR)
        return -1;
    return std::min(cnt_, static_cast<int>(n));
}

// Chunked read; finds the eos also when it is split across chunks and keeps
// the bytes after it for the next read.
int wxGPIB::ReadEos(std::string& result, const std::string& eos_in, int timeout_ms)
{
    const std::string eos = eos_in.empty() ? std::string(1, '\0') : eos_in;
    result.clear();
    Flag flag{0};
    OneShotTimer timer(timeout_ms, &flag);
    timer.Start();
    char chunk[1024];
    while (!flag.load()) {
        const int r = Read(chunk, 1023);
        if (r < 0)
            return -1;
        if (r == 0) {
            Pause(1);
            continue;
        }
        const std::size_t from = result.size() >= eos.size() - 1 ? result.size() - (eos.size() - 1) : 0;
        result.append(chunk, static_cast<std::size_t>(r));
        const std::size_t at = result.find(eos, from);
        if (at != std::string::npos) {
            leftover_.insert(0, result, at + eos.size(), std::string::npos);
            result.erase(at);
            return 1;
        }
    }
    return 0;
}

int wxGPIB::Ioctl(int code, void* value)
{
    const Driver& d = Drv();
    int* out = static_cast<int*>(value);
    switch (code) {
    case 0:
        if (ud_ < 0)
            return -1;
        Store(Call(d.ibclr, ud_));
        pending_ = 0;
        leftover_.clear();
        return 0;
    case 513: {
        if (ud_ < 0)
            return 1;
        char stb = 0;
        const int sta = Call(d.ibrsp, ud_, &stb);
        Store(sta);
        if (sta & GPIB_ERR)
            return -1;
        if (out)
            *out = static_cast<unsigned char>(stb);
        return 0;
    }
    case 514:
        if (out)
            *out = sta_;
        return 0;
    case 515:
        if (out)
            *out = err_;
        return 0;
    case 516: {
        if (ud_ < 0)
            return -1;
        short lines = 0;
        const int sta = Call(d.iblines, board_, &lines);
        if (sta & GPIB_ERR)
            return -1;
        if (out)
            *out = static_cast<unsigned short>(lines);
        return 0;
    }
    case 517: {
        if (ud_ < 0)
            return -1;
        const long ms = out ? *out : 0;
        settings_.tmo = GpibTimeoutCode(ms);
        Store(Call(d.ibtmo, ud_, settings_.tmo));
        return 0;
    }
    case 518:
        if (ud_ < 0)
            return -1;
        Store(Call(d.ibloc, ud_));
        return 0;
    case 519: {
        if (ud_ < 0)
            return -1;
        Call(d.ibsre, board_, 1);
        const unsigned char byte = static_cast<unsigned char>(settings_.pad & 0xFF);
        Store(Call(d.ibcmd, board_, static_cast<const void*>(&byte), 1L));
        return 0;
    }
    default:
        return -1;
    }
}

int wxGPIB::GetErrorName(char* text, std::size_t size)
{
    const char* name = GpibErrorMnemonic(err_);
    if (!name)
        return 0;
    return std::snprintf(text, size, "%s", name);
}

int wxGPIB::DescribeSettings(char* text, std::size_t size)
{
    char adr[64];
    std::snprintf(adr, sizeof adr, "Adr: (%i,%i) to:%s", static_cast<int>(settings_.pad),
                  static_cast<int>(settings_.sad), GpibTimeoutName(settings_.tmo));
    return std::snprintf(text, size, "%s GPIB%i", adr, board_);
}

} // namespace qel
