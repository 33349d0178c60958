// Interface kind and session helpers of the driver.
#include "instrument/link.h"

#include "platform/clock.h"

namespace pamx {

Link LinkOf(ViSession vi)
{
    ViUInt16 t = 0;
    if (viGetAttribute(vi, VI_ATTR_INTF_TYPE, &t) < 0) return Link::Other;
    switch (t) {
    case VI_INTF_GPIB: return Link::Gpib;
    case VI_INTF_ASRL: return Link::Serial;
    case VI_INTF_TCPIP: return Link::Socket;
    default: return Link::Other;
    }
}

ViUInt32 SessionTimeout(ViSession vi)
{
    ViUInt32 t = 10000;
    if (viGetAttribute(vi, VI_ATTR_TMO_VALUE, &t) < 0) t = 10000;
    return t;
}

ViStatus BytesWaiting(ViSession vi, ViUInt32* n)
{
    *n = 0;
    return viGetAttribute(vi, VI_ATTR_ASRL_AVAIL_NUM, n);
}

ViStatus PollStatusByte(ViSession vi, double seconds, bool (*done)(ViUInt16 stb))
{
    double t0 = Timer();
    for (;;) {
        ViUInt16 stb = 0;
        ViStatus st = viReadSTB(vi, &stb);
        if (st < 0) return st;
        if (done(stb)) return stb;
        if (Timer() - t0 >= seconds) return -1;
        ClockIoTick(true);
    }
}

}  // namespace pamx
