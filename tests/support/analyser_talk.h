// Talking to a simulated analyser model directly (no VISA session): send a
// message, collect everything it has answered.
#pragma once

#include <string>

#include "sim/analyser.h"

namespace simtalk {

// Everything the analyser has sent so far.
inline std::string drain(sim::Analyser& a)
{
    a.pump();
    std::string s;
    unsigned char b[8192];
    visa::ReadEnd e;
    while (!a.output().empty()) {
        size_t n = a.output().take(b, sizeof b, -1, &e);
        s.append(reinterpret_cast<char*>(b), n);
    }
    return s;
}

// Sends one message (a line feed is added) and returns the answer.
inline std::string ask(sim::Analyser& a, const std::string& msg)
{
    a.input(msg + "\n");
    return drain(a);
}

}  // namespace simtalk
