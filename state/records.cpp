#include "state/records.h"

#include "state/reset.h"

alignas(8) HarmFrame buf[3];   // records are 4-byte multiples: fields stay aligned
alignas(8) FlkFrame flkbuf[3];
alignas(8) HarmResult buf_result[3];
float max[3][ORDERS];
float h_max[3][ORDERS];
int32_t fr_max[3][ORDERS];
int32_t IsLimNaN[3][ORDERS];
float limits[ORDERS];
int32_t LIM_ON = 0;

namespace {
struct LimitsInit {
    LimitsInit() { reset_records(); }
} limits_init;
}

uint32_t FloatBits(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

float BitsFloat(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

int IsNaN(uint32_t bits)
{
    return ((bits & 0x7F800000u) == 0x7F800000u) && (bits & 0x007FFFFFu) ? 1 : 0;
}

int IsNaN(float value) { return IsNaN(FloatBits(value)); }

float NoLimit() { return BitsFloat(NO_LIMIT_BITS); }

uint64_t OrderMask(const int32_t words[2])
{
    return (uint64_t(uint32_t(words[0])) << 32) | uint64_t(uint32_t(words[1]));
}

void SetOrderMaskWords(int32_t words[2], uint64_t mask)
{
    words[0] = int32_t(uint32_t(mask >> 32));
    words[1] = int32_t(uint32_t(mask & 0xFFFFFFFFu));
}

void reset_records()
{
    std::memset(buf, 0, sizeof buf);
    std::memset(flkbuf, 0, sizeof flkbuf);
    std::memset(buf_result, 0, sizeof buf_result);
    std::memset(max, 0, sizeof max);
    std::memset(h_max, 0, sizeof h_max);
    std::memset(fr_max, 0, sizeof fr_max);
    std::memset(IsLimNaN, 0, sizeof IsLimNaN);
    for (float& l : limits) l = NoLimit();
    LIM_ON = 0;
}
REGISTER_STATE_RESET(reset_records);
