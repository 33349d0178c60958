// Run-time loading of linux-gpib.
#include "platform/gpib/linux_gpib.h"

#include <dlfcn.h>

#include <string>

namespace gpib {
namespace {

std::string lib_path = "libgpib.so.0";
bool tried = false;
Library lib{};
bool ok = false;

template <class F>
bool sym(void* h, const char* name, F* f)
{
    *f = reinterpret_cast<F>(dlsym(h, name));
    return *f != nullptr;
}

}  // namespace

void SetLibraryPath(const char* path)
{
    lib_path = path ? path : "libgpib.so.0";
    tried = false;
    ok = false;
}

const Library* Load()
{
    if (tried) return ok ? &lib : nullptr;
    tried = true;
    void* h = dlopen(lib_path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) return nullptr;
    ok = sym(h, "ibdev", &lib.ibdev) && sym(h, "ibwrt", &lib.ibwrt) && sym(h, "ibrd", &lib.ibrd) &&
         sym(h, "ibrsp", &lib.ibrsp) && sym(h, "ibclr", &lib.ibclr) && sym(h, "ibloc", &lib.ibloc) &&
         sym(h, "ibonl", &lib.ibonl) && sym(h, "ibtmo", &lib.ibtmo) && sym(h, "ibeos", &lib.ibeos) &&
         sym(h, "ibeot", &lib.ibeot) && sym(h, "ThreadIbsta", &lib.ThreadIbsta) &&
         sym(h, "ThreadIberr", &lib.ThreadIberr) && sym(h, "ThreadIbcntl", &lib.ThreadIbcntl);
    if (!ok) dlclose(h);
    return ok ? &lib : nullptr;
}

int TimeoutCode(unsigned ms)
{
    if (ms == 0xFFFFFFFFu) return 0;
    // Code k (1..17) stands for 10 us, 30 us, 100 us, ... 1000 s.
    static const double limit_ms[] = {0.01, 0.03, 0.1, 0.3, 1, 3, 10, 30, 100, 300,
                                      1000, 3000, 10000, 30000, 100000, 300000, 1000000};
    for (int k = 0; k < 17; ++k)
        if (limit_ms[k] >= ms) return k + 1;
    return 17;
}

}  // namespace gpib
