// Which instrument listens where on the stand-in's bus:
//   QEL_STANDIN_LISTENERS   comma-separated primary addresses (default "5")
//   QEL_STANDIN_INSTRUMENT  "analyser" (default: the simulated analyser) or
//                           "tiny" (tiny_instrument.cpp)
//   QEL_STANDIN_KIND        analyser kind A, B or C (default A)
//   QEL_STANDIN_EUT         what the analyser measures, as pam-sim --eut
//                           (default "heater:power=230")
// Read when an address is first used after load or standin_reset().
#include "qelmodule/standin/bus_device.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace standin {

namespace {

bool Listens(int pad)
{
    const char* list = std::getenv("QEL_STANDIN_LISTENERS");
    const std::string s = list ? list : "5";
    for (std::size_t at = 0; at <= s.size();) {
        const std::size_t comma = std::min(s.find(',', at), s.size());
        const std::string item = s.substr(at, comma - at);
        char* stop = nullptr;
        const long v = std::strtol(item.c_str(), &stop, 10);
        if (!item.empty() && *stop == '\0' && v == pad)
            return true;
        at = comma + 1;
    }
    return false;
}

} // namespace

std::unique_ptr<BusDevice> MakeDevice(int, int pad)
{
    if (!Listens(pad))
        return nullptr;
    const char* which = std::getenv("QEL_STANDIN_INSTRUMENT");
    if (which && std::strcmp(which, "tiny") == 0)
        return MakeTinyInstrument(pad);
    const char* kind = std::getenv("QEL_STANDIN_KIND");
    return MakeAnalyser(pad, kind && *kind ? kind[0] : 'A', std::getenv("QEL_STANDIN_EUT"));
}

} // namespace standin
