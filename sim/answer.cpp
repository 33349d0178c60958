// Answer rendering.
#include "sim/answer.h"

#include <charconv>
#include <cstring>

namespace sim {

std::string RenderAscii(const Answer& a)
{
    if (a.kind == Answer::Text) return a.text;
    std::string out;
    for (size_t k = 0; k < a.values.size(); ++k) {
        if (k) out += ',';
        char buf[32];
        const Value& v = a.values[k];
        auto r = v.is_int ? std::to_chars(buf, buf + sizeof buf, v.i) : std::to_chars(buf, buf + sizeof buf, v.f);
        out.append(buf, r.ptr);
    }
    return out;
}

std::string BlockHeader(size_t length)
{
    std::string len = std::to_string(length);
    return "#" + std::to_string(len.size()) + len;
}

std::string RenderBlock(const Answer& a)
{
    std::string payload;
    if (a.kind == Answer::Text) {
        payload = a.text;
    } else {
        for (const Value& v : a.values) {
            uint32_t bits;
            if (v.is_int) std::memcpy(&bits, &v.i, 4);
            else std::memcpy(&bits, &v.f, 4);
            for (int b = 0; b < 4; ++b) payload += char((bits >> (8 * b)) & 0xFF);
        }
    }
    return BlockHeader(payload.size()) + payload;
}

}  // namespace sim
