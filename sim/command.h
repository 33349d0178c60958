// Splitting a message of the analyser's command language into commands.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct Command {
    std::string header;        // upper case, without a leading ':' ("SOUR:DIG:COND4", "UAC?")
    std::string key;           // header without numeric suffixes ("SOUR:DIG:COND", "UAC?")
    std::vector<int> suffixes; // per header node; -1 where the node has none
    std::string args;          // text after the header, trimmed ("1", "(0:40)", "PACKED")
    bool query = false;
    bool common = false;       // "*IDN?", "*RST" ...

    // Numeric suffix of the last node, or `def` without one.
    int suffix(int def = -1) const { return suffixes.empty() || suffixes.back() < 0 ? def : suffixes.back(); }
    // First argument as an integer; false when there is none or it is not one.
    bool int_arg(int* v) const;
    // Argument in upper case.
    std::string word_arg() const;
};

// Splits at ";" outside quotes and parentheses; empty commands are dropped.
// A command whose header holds other characters than letters, digits, ':',
// '*', '?' and '_' is returned with an empty key (syntax error).
std::vector<Command> ParseMessage(const std::string& message);

}  // namespace sim
