// Appending formatted text: `format` holds only the source side of the
// formatting notation (no "%s<" target); the result is added to `out`.
#pragma once

#include <string>
#include <utility>

#include "platform/fmt.h"

template <class... A>
void Put(std::string& out, const char* format, A&&... a)
{
    std::string t;
    Fmt(t, format, std::forward<A>(a)...);
    out += t;
}

// The formatted text of one number.
inline std::string Formatted(const char* format, double v)
{
    std::string s;
    Put(s, format, v);
    return s;
}
