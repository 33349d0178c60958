// Single-value reads by the query table, and splitting text answers.
#include <cstring>
#include <string>

#include "instrument/link.h"
#include "instrument/pamx.h"
#include "platform/fmt.h"

using namespace pamx;

ViStatus PAMX_readMeasurement(ViSession vi, ViInt32 index, ViReal64* value)
{
    if (index < 0 || index > 41) return PAMX_ERROR_PARAMETER2;
    std::string msg;
    Fmt(msg, "%s<%s\n", queryname[index]);
    ViUInt32 n = 0;
    ViStatus st = viWrite(vi, reinterpret_cast<ViConstBuf>(msg.data()), ViUInt32(msg.size()), &n);
    if (st < 0) return st;
    if (n < msg.size()) return -1;
    st = PAMX_waitMAV(vi, SessionTimeout(vi));
    if (st < 0) return st;
    unsigned char answer[4097];
    st = viRead(vi, answer, 4096, &n);
    if (st < 0) return st;
    answer[n] = '\0';
    if (Scan(reinterpret_cast<const char*>(answer), "%s>%f", value) != 1) return PAMX_ERROR_INTERPRETING_RESPONSE;
    return st;
}

ViStatus PAMX_read_vals(ViSession vi, const ViInt32* indices, ViInt32 n, ViChar* out, size_t outSize)
{
    if (!out || outSize == 0) return -1;
    out[0] = '\0';
    std::string all;
    for (ViInt32 first = 0; first < n; first += 20) {
        std::string msg;
        for (ViInt32 k = first; k < n && k < first + 20; ++k) {
            if (indices[k] < 0 || indices[k] > 41) return PAMX_ERROR_PARAMETER2;
            if (k > first) msg += ';';
            msg += queryname[indices[k]];
        }
        msg += '\n';
        ViUInt32 w = 0;
        ViStatus st = viWrite(vi, reinterpret_cast<ViConstBuf>(msg.data()), ViUInt32(msg.size()), &w);
        if (st < 0) return st;
        st = PAMX_waitMAV(vi, SessionTimeout(vi));
        if (st < 0) return st;
        unsigned char answer[4097];
        ViUInt32 got = 0;
        st = viRead(vi, answer, 4096, &got);
        if (st < 0) return st;
        // The answer's line feed is not kept.
        while (got > 0 && (answer[got - 1] == '\n' || answer[got - 1] == '\r')) --got;
        if (first > 0) all += ';';
        all.append(reinterpret_cast<const char*>(answer), got);
    }
    if (all.size() >= outSize) return -1;
    std::memcpy(out, all.data(), all.size() + 1);
    return VI_SUCCESS;
}

ViInt32 PAMX_string_to_array(const char* text, ViInt32 count, ViReal64* out)
{
    int offset = 0;
    int len = int(std::strlen(text));
    for (ViInt32 k = 0; k < count; ++k) {
        double v = 0;
        if (offset > len || Scan(text, "%s[i*]>%f", offset, &v) != 1) return PAMX_SCAN_FAILED;
        out[k] = v;
        const char* sep = std::strpbrk(text + offset, ",;");
        offset = sep ? int(sep - text) + 1 : len + 1;
    }
    return 0;
}
