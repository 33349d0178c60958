// Stand-in for the linux-gpib library (libgpib.so.0): the same C functions
// and status conventions, with instruments on a simulated bus (bus_device.h)
// instead of a board. Load it through QEL_GPIB_LIBRARY. Reads started with
// ibrda complete when an ibwait sees them due and the device talks, or fail
// with TIMO once the bus time-out has passed; writes complete at once.
#include "qelmodule/standin/bus_device.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

enum : int { ERR = 0x8000, TIMO = 0x4000, END = 0x2000, CMPL = 0x100 };
enum : int { EDVR = 0, ECIC = 1, ENOL = 2, EARG = 4, EABO = 6 };
enum : int { BOARDS = 2, FIRST_DEVICE = 16 };

using Clock = std::chrono::steady_clock;

struct Slot {
    std::unique_ptr<standin::BusDevice> dev;
    bool probed = false;
    int tmo = -1;
};

struct Board {
    bool ren = false;
    std::string last_command;  // hex of the last ibcmd bytes
    std::map<int, Slot> slots;
};

struct Desc {
    bool used = false;
    int board = 0, pad = 0, sad = 0, tmo = 0, eot = 1, eos = 0;
    int pending = 0;  // 1 read, 2 write
    char* buf = nullptr;
    long n = 0;
    long written = 0;
    bool fail = false;
    Clock::time_point due{};
    Clock::time_point started{};
};

std::recursive_mutex g_mutex;
Board g_boards[BOARDS];
std::vector<Desc> g_descs;

thread_local int t_sta = 0, t_err = 0;
thread_local long t_cnt = 0;

} // namespace

extern "C" {
int ibsta = 0, iberr = 0, ibcnt = 0;
long ibcntl = 0;
}

namespace {

int Done(int sta, int err, long cnt)
{
    t_sta = ibsta = sta;
    if (sta & ERR)
        t_err = iberr = err;
    t_cnt = ibcntl = cnt;
    ibcnt = static_cast<int>(cnt);
    return sta;
}

Desc* DescOf(int ud)
{
    const int i = ud - FIRST_DEVICE;
    if (i < 0 || i >= static_cast<int>(g_descs.size()) || !g_descs[i].used)
        return nullptr;
    return &g_descs[i];
}

// The bus time-out of a T-code (0: none).
Clock::duration TimeoutOf(int tmo)
{
    static const long us[18] = {0,       10,      30,       100,      300,       1000,
                                3000,    10000,   30000,    100000,   300000,    1000000,
                                3000000, 10000000, 30000000, 100000000, 300000000, 1000000000};
    return std::chrono::microseconds(tmo >= 0 && tmo < 18 ? us[tmo] : 0);
}

int BoardOf(int ud)
{
    if (ud >= 0 && ud < BOARDS)
        return ud;
    const Desc* d = DescOf(ud);
    return d ? d->board : -1;
}

Slot& SlotOf(int board, int pad)
{
    Slot& s = g_boards[board].slots[pad];
    if (!s.probed) {
        s.dev = standin::MakeDevice(board, pad);
        s.probed = true;
    }
    return s;
}

standin::BusDevice* DeviceOf(int ud)
{
    const Desc* d = DescOf(ud);
    return d ? SlotOf(d->board, d->pad).dev.get() : nullptr;
}

// Sleeps with the bus free for other threads; false when descriptor ud has
// gone or lost its read meanwhile (cleared, reset).
bool Sleep(int ud, Clock::time_point until)
{
    g_mutex.unlock();
    std::this_thread::sleep_until(until);
    g_mutex.lock();
    const Desc* d = DescOf(ud);
    return d && d->pending == 1;
}

// Ends the operation under way on descriptor ud when it is due.
int Finish(int ud, bool wait)
{
    Desc* d = DescOf(ud);
    if (!d)
        return Done(ERR, EDVR, 0);
    if (d->pending == 0)
        return Done(CMPL, 0, 0);
    if (d->pending == 2) {
        d->pending = 0;
        return Done(CMPL, 0, d->written);
    }
    if (Clock::now() < d->due) {
        if (!wait)
            return Done(0, 0, 0);
        if (!Sleep(ud, d->due))
            return Done(ERR | TIMO | CMPL, EABO, 0);
        d = DescOf(ud);
    }
    // A device with nothing to say yet keeps the read under way until it
    // talks or the bus time-out has passed.
    for (;;) {
        standin::BusDevice* dev = SlotOf(d->board, d->pad).dev.get();
        const Clock::duration limit = TimeoutOf(d->tmo);
        if (!dev || d->fail) {
            d->pending = 0;
            return Done(ERR | TIMO | CMPL, EABO, 0);
        }
        bool end = false;
        const std::size_t got = dev->Send(d->buf, static_cast<std::size_t>(d->n), &end);
        if (got > 0) {
            d->pending = 0;
            return Done(CMPL | (end ? END : 0), 0, static_cast<long>(got));
        }
        if (limit.count() > 0 && Clock::now() - d->started >= limit) {
            d->pending = 0;
            return Done(ERR | TIMO | CMPL, EABO, 0);
        }
        if (!wait)
            return Done(0, 0, 0);
        if (!Sleep(ud, Clock::now() + std::chrono::milliseconds(1)))
            return Done(ERR | TIMO | CMPL, EABO, 0);
        d = DescOf(ud);
    }
}

} // namespace

extern "C" {

int ibdev(int board, int pad, int sad, int tmo, int eot, int eos)
{
    std::lock_guard lock(g_mutex);
    if (board < 0 || board >= BOARDS) {
        Done(ERR, EDVR, 0);
        return -1;
    }
    if (pad < 0 || pad > 30 || tmo < 0 || tmo > 17) {
        Done(ERR, EARG, 0);
        return -1;
    }
    std::size_t i = 0;
    while (i < g_descs.size() && g_descs[i].used)
        ++i;
    if (i == g_descs.size())
        g_descs.emplace_back();
    Desc& d = g_descs[i];
    d = Desc{};
    d.used = true;
    d.board = board;
    d.pad = pad;
    d.sad = sad;
    d.tmo = tmo;
    d.eot = eot;
    d.eos = eos;
    SlotOf(board, pad).tmo = tmo;
    Done(CMPL, 0, 0);
    return FIRST_DEVICE + static_cast<int>(i);
}

int ibln(int ud, int pad, int, short* found)
{
    std::lock_guard lock(g_mutex);
    const int board = BoardOf(ud);
    if (board < 0 || !found)
        return Done(ERR, board < 0 ? EDVR : EARG, 0);
    *found = (pad >= 0 && pad <= 30 && SlotOf(board, pad).dev) ? 1 : 0;
    return Done(CMPL, 0, 0);
}

int ibclr(int ud)
{
    std::lock_guard lock(g_mutex);
    Desc* d = DescOf(ud);
    standin::BusDevice* dev = DeviceOf(ud);
    if (!dev)
        return Done(ERR, d ? ENOL : EDVR, 0);
    d->pending = 0;
    dev->Clear();
    return Done(CMPL, 0, 0);
}

int ibonl(int ud, int online)
{
    std::lock_guard lock(g_mutex);
    if (ud >= 0 && ud < BOARDS)
        return Done(CMPL, 0, 0);
    Desc* d = DescOf(ud);
    if (!d)
        return Done(ERR, EDVR, 0);
    if (!online)
        d->used = false;
    return Done(CMPL, 0, 0);
}

int ibloc(int ud)
{
    std::lock_guard lock(g_mutex);
    standin::BusDevice* dev = DeviceOf(ud);
    if (!dev)
        return Done(ERR, DescOf(ud) ? ENOL : EDVR, 0);
    dev->GoToLocal();
    return Done(CMPL, 0, 0);
}

int ibrsp(int ud, char* poll)
{
    std::lock_guard lock(g_mutex);
    standin::BusDevice* dev = DeviceOf(ud);
    if (!dev || !poll)
        return Done(ERR, DescOf(ud) ? ENOL : EDVR, 0);
    *poll = static_cast<char>(dev->SerialPoll());
    return Done(CMPL, 0, 0);
}

int ibrda(int ud, void* buf, long n)
{
    std::lock_guard lock(g_mutex);
    Desc* d = DescOf(ud);
    standin::BusDevice* dev = DeviceOf(ud);
    if (!dev)
        return Done(ERR, d ? ENOL : EDVR, 0);
    if (d->pending)
        return Done(ERR, 10 /* EOIP */, 0);
    d->pending = 1;
    d->buf = static_cast<char*>(buf);
    d->n = n;
    d->fail = dev->TakeReadFailure();
    d->started = Clock::now();
    d->due = d->started + std::chrono::milliseconds(dev->ReadDelayMs());
    return Done(0, 0, 0);
}

int ibrd(int ud, void* buf, long n)
{
    std::lock_guard lock(g_mutex);
    if (ibrda(ud, buf, n) & ERR)
        return t_sta;
    return Finish(ud, true);
}

int ibwrta(int ud, const void* buf, long n)
{
    std::lock_guard lock(g_mutex);
    Desc* d = DescOf(ud);
    standin::BusDevice* dev = DeviceOf(ud);
    if (!dev)
        return Done(ERR, d ? ENOL : EDVR, 0);
    if (d->pending)
        return Done(ERR, 10 /* EOIP */, 0);
    dev->Receive(static_cast<const char*>(buf), static_cast<std::size_t>(n), d->eot != 0);
    d->pending = 2;
    d->written = n;
    return Done(0, 0, 0);
}

int ibwrt(int ud, const void* buf, long n)
{
    std::lock_guard lock(g_mutex);
    if (ibwrta(ud, buf, n) & ERR)
        return t_sta;
    return Finish(ud, true);
}

int ibwait(int ud, int mask)
{
    std::lock_guard lock(g_mutex);
    return Finish(ud, (mask & (CMPL | TIMO | END)) != 0);
}

int ibtmo(int ud, int v)
{
    std::lock_guard lock(g_mutex);
    Desc* d = DescOf(ud);
    if (!d)
        return Done(ERR, EDVR, 0);
    if (v < 0 || v > 17)
        return Done(ERR, EARG, 0);
    d->tmo = v;
    SlotOf(d->board, d->pad).tmo = v;
    return Done(CMPL, 0, 0);
}

int iblines(int ud, short* lines)
{
    std::lock_guard lock(g_mutex);
    const int board = BoardOf(ud);
    if (board < 0 || !lines)
        return Done(ERR, EDVR, 0);
    // Every line is valid; of the bus lines only REN is modelled.
    *lines = static_cast<short>(0x00FF | (g_boards[board].ren ? 0x1000 : 0));
    return Done(CMPL, 0, 0);
}

int ibsre(int ud, int v)
{
    std::lock_guard lock(g_mutex);
    const int board = BoardOf(ud);
    if (board < 0)
        return Done(ERR, EDVR, 0);
    g_boards[board].ren = v != 0;
    return Done(CMPL, 0, 0);
}

int ibcmd(int ud, const void* buf, long n)
{
    std::lock_guard lock(g_mutex);
    const int board = BoardOf(ud);
    if (board < 0)
        return Done(ERR, EDVR, 0);
    std::string hex;
    for (long i = 0; i < n; ++i) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", static_cast<const unsigned char*>(buf)[i]);
        hex += two;
    }
    g_boards[board].last_command = hex;
    return Done(CMPL, 0, n);
}

int ThreadIbsta(void) { return t_sta; }
int ThreadIberr(void) { return t_err; }
int ThreadIbcnt(void) { return static_cast<int>(t_cnt); }
long ThreadIbcntl(void) { return t_cnt; }

// Test side: one line about the instrument at (board, pad) and the bus,
// "pad=.. clears=.. locals=.. commands=.. tmo=.. open=.. ren=.. cmd=..";
// -1 when nothing listens there.
int standin_describe(int board, int pad, char* text, int size)
{
    std::lock_guard lock(g_mutex);
    if (board < 0 || board >= BOARDS || !text || size <= 0)
        return -1;
    Slot& s = SlotOf(board, pad);
    if (!s.dev)
        return -1;
    char dev[160];
    s.dev->Describe(dev, sizeof dev);
    int open = 0;
    for (const Desc& d : g_descs)
        open += (d.used && d.board == board && d.pad == pad) ? 1 : 0;
    return std::snprintf(text, static_cast<std::size_t>(size), "%s tmo=%i open=%i ren=%i cmd=%s",
                         dev, s.tmo, open, g_boards[board].ren ? 1 : 0,
                         g_boards[board].last_command.c_str());
}

// Test side: forget every instrument, descriptor and bus state.
void standin_reset(void)
{
    std::lock_guard lock(g_mutex);
    for (Board& b : g_boards)
        b = Board{};
    g_descs.clear();
}

} // extern "C"
