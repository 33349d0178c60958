// Command and query handlers of a simulated analyser, looked up by header.
// The measuring engine plugs its queries in here (add() replaces an entry).
#pragma once

#include <functional>
#include <map>
#include <string>

#include "sim/answer.h"
#include "sim/command.h"

namespace sim {

class Analyser;

using Handler = std::function<Answer(Analyser&, const Command&)>;

// Command languages in which a header is understood.
enum Language { kScpi = 1, kShort = 2, kBoth = 3 };

class Registry {
public:
    struct Entry {
        Handler handler;
        int languages = kBoth;
    };
    // name: header as sent, without numeric suffixes unless they are part of
    // the mnemonic ("*IDN?", "SOUR:DIG:COND", "UAC?"); case does not matter.
    void add(const std::string& name, Handler h, int languages = kBoth);
    // Exact header first ("AIVA1?"), then the header without suffixes.
    const Entry* find(const Command& c, int language) const;

private:
    std::map<std::string, Entry> entries_;
};

}  // namespace sim
