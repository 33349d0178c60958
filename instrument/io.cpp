// Command writes, operation-complete waits and answer polling.
#include <cmath>
#include <cstring>

#include "instrument/link.h"
#include "instrument/notify.h"
#include "instrument/pamx.h"
#include "platform/clock.h"
#include "platform/fmt.h"

using namespace pamx;

ViStatus PAMX_writeInstrData(ViSession vi, const char* text)
{
    ViUInt32 n = 0;
    return viWrite(vi, reinterpret_cast<ViConstBuf>(text), ViUInt32(std::strlen(text)), &n);
}

ViStatus PAMX_setTimeout(ViSession vi, ViUInt32 ms) { return viSetAttribute(vi, VI_ATTR_TMO_VALUE, ms); }

ViStatus PAMX_writeCmdwithOPCwait(ViSession vi, const char* command)
{
    ViUInt32 tmo = SessionTimeout(vi);
    ViStatus st = viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
    if (st < 0) return st;
    st = PAMX_writeInstrData(vi, command);
    if (st < 0) return st;
    unsigned char answer[4097];
    ViUInt32 n = 0;
    st = viRead(vi, answer, 4096, &n);
    if (st < 0) return st;
    answer[n] = '\0';
    int v = 0;
    if (n > 2 || Scan(reinterpret_cast<const char*>(answer), "%s>%i", &v) != 1 || v != 1) {
        std::string title;
        Fmt(title, "%s<Answer to %s", command);
        DriverMessage(title.c_str(), "");
        return -1;
    }
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, tmo);
    return 1;
}

ViStatus PAMX_writeCmdwithOPCwaitB(ViSession vi, const char* command)
{
    ViUInt32 len = ViUInt32(std::strlen(command)), n = 0;
    ViStatus st = viWrite(vi, reinterpret_cast<ViConstBuf>(command), len, &n);
    if (st < 0) return st;
    if (n < len) return st;
    // The answer is awaited within the session time-out (an analyser that
    // never answers would otherwise keep the loop going for ever).
    double bound = Timer() + SessionTimeout(vi) / 1000.0;
    unsigned char one[1] = {0};
    ViInt32 count = 0;
    for (;;) {
        st = PAMX_CreadInstrDataBinary(vi, 1, one, &count);
        if (st != PAMX_NO_ANSWER) break;
        if (Timer() >= bound) return -1;
        ClockIoTick(true);
    }
    if (st < 0) return st;
    if (count != 1 || one[0] != '1') return -1;
    return 0;
}

ViStatus PAMX_readInstrData(ViSession vi, ViInt16 maximum, ViChar* buffer, ViUInt32* count)
{
    *count = 0;
    if (maximum > 0) buffer[0] = '\0';
    ViStatus st = PAMX_waitMAV(vi, SessionTimeout(vi));
    if (st < 0) return st;
    if (maximum <= 0) return VI_SUCCESS;
    st = viRead(vi, reinterpret_cast<ViBuf>(buffer), ViUInt32(maximum), count);
    if (*count < ViUInt32(maximum)) buffer[*count] = '\0';
    return st;
}

ViStatus PAMX_poll(ViSession vi, ViUInt16* stb)
{
    if (LinkOf(vi) != Link::Gpib) return VI_SUCCESS;
    return viReadSTB(vi, stb);
}

namespace {

// Polls the status byte until MAV or the bound; the last status byte or -1.
ViStatus wait_mav_gpib(ViSession vi, double bound_s)
{
    return PollStatusByte(vi, bound_s, [](ViUInt16 stb) { return (stb & 0x10) != 0; });
}

}  // namespace

ViStatus PAMX_waitMAV(ViSession vi, ViReal64 timeoutMs)
{
    Link l = LinkOf(vi);
    double bound = timeoutMs / 1000.0;
    if (l == Link::Gpib) return wait_mav_gpib(vi, bound);
    if (!ByteCounted(l)) return 0;
    double t0 = Timer();
    for (;;) {
        ViUInt32 n = 0;
        ViStatus st = BytesWaiting(vi, &n);
        if (st < 0) return st;
        if (n > 0) return ViStatus(n);
        // The elapsed time counts in whole seconds.
        if (std::floor(Timer() - t0) >= bound) return -1;
    }
}

ViStatus PAMX_waitEvMAV(ViSession vi, ViReal64 timeoutMs)
{
    Link l = LinkOf(vi);
    if (l == Link::Gpib) return wait_mav_gpib(vi, timeoutMs / 1000.0);
    if (ByteCounted(l)) {
        ViUInt32 n = 0;
        ViStatus st = BytesWaiting(vi, &n);
        return st < 0 ? st : ViStatus(n);
    }
    return 0;
}

ViStatus PAMX_CheckMAV(ViSession vi, ViReal64, ViInt32* word)
{
    *word = 0;
    Link l = LinkOf(vi);
    if (l == Link::Gpib) {
        ViUInt16 stb = 0;
        ViStatus st = viReadSTB(vi, &stb);
        *word = stb;
        return st;
    }
    if (ByteCounted(l)) {
        ViUInt32 n = 0;
        ViStatus st = BytesWaiting(vi, &n);
        if (st < 0) return st;
        *word = ViInt32(n);
    }
    return 0;
}

ViStatus PAMX_flushInstrData(ViSession vi)
{
    while (PAMX_waitMAV(vi, SessionTimeout(vi)) >= 0) {
        viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
        unsigned char junk[4096];
        ViUInt32 n = 0;
        ViStatus st = viRead(vi, junk, sizeof junk, &n);
        if (st < 0) return st;
    }
    return 0;
}
