// Inline tests of the no-limit mark for the per-frame loops.
#pragma once

#include "state/records.h"

#include <cstring>

inline bool Marked(float f)
{
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return (u & 0x7F800000u) == 0x7F800000u && (u & 0x007FFFFFu) != 0;
}

inline float Mark()
{
    const uint32_t u = NO_LIMIT_BITS;
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}
