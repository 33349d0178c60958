// The linux-gpib library, loaded at run time (dlopen of "libgpib.so.0"), so
// the program runs on machines without a GPIB driver.
#pragma once

namespace gpib {

// Status bits of ibsta.
constexpr int ERR = 0x8000;
constexpr int TIMO = 0x4000;
constexpr int END = 0x2000;
// Error codes of iberr.
constexpr int EDVR = 0, ECIC = 1, ENOL = 2, EADR = 3, EARG = 4, ESAC = 5, EABO = 6, ENEB = 7;
// ibeos flags.
constexpr int REOS = 0x400, XEOS = 0x800, BIN = 0x1000;

struct Library {
    int (*ibdev)(int board, int pad, int sad, int tmo, int send_eoi, int eos);
    int (*ibwrt)(int ud, const void* data, long count);
    int (*ibrd)(int ud, void* buf, long count);
    int (*ibrsp)(int ud, char* spr);
    int (*ibclr)(int ud);
    int (*ibloc)(int ud);
    int (*ibonl)(int ud, int online);
    int (*ibtmo)(int ud, int tmo);
    int (*ibeos)(int ud, int eos);
    int (*ibeot)(int ud, int send_eoi);
    int (*ThreadIbsta)(void);
    int (*ThreadIberr)(void);
    long (*ThreadIbcntl)(void);
};

// The loaded library, or nullptr when it (or one of its functions) is
// missing. Tried once; the path can be overridden for tests before the first call.
const Library* Load();
void SetLibraryPath(const char* path);

// Smallest time-out code (T10us = 1 ... T1000s = 17) whose time is at least
// ms; 0 (no time-out) for 0xFFFFFFFF.
int TimeoutCode(unsigned ms);

}  // namespace gpib
