// An answer of the simulated analyser to one query, and its two renderings:
// ASCII text and the packed IEEE 488.2 definite-length block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct Value {
    bool is_int = false;
    float f = 0;
    int32_t i = 0;
    static Value real(double v) { Value x; x.f = float(v); return x; }
    static Value integer(int32_t v) { Value x; x.is_int = true; x.i = v; return x; }
};

struct Answer {
    enum Kind { None, Text, Numbers, Error } kind = None;
    std::string text;           // Text; Error: the error text
    std::vector<Value> values;  // Numbers
    int error = 0;              // Error: the error-queue code (-100 ...)

    static Answer none() { return {}; }
    static Answer of_text(std::string t) { Answer a; a.kind = Text; a.text = std::move(t); return a; }
    static Answer of_real(double v) { Answer a; a.kind = Numbers; a.values.push_back(Value::real(v)); return a; }
    static Answer of_int(int32_t v) { Answer a; a.kind = Numbers; a.values.push_back(Value::integer(v)); return a; }
    static Answer of_values(std::vector<Value> v) { Answer a; a.kind = Numbers; a.values = std::move(v); return a; }
    static Answer fail(int code, std::string t) { Answer a; a.kind = Error; a.error = code; a.text = std::move(t); return a; }
    bool answers() const { return kind == Text || kind == Numbers; }
};

// "1.5", "230", "-3": shortest C-locale form; integers in decimal; values
// separated by ",".
std::string RenderAscii(const Answer& a);
// "#" n L payload: text bytes as they are, numbers 4 bytes each, least
// significant byte first.
std::string RenderBlock(const Answer& a);
// Block header for a payload of the given length.
std::string BlockHeader(size_t length);

}  // namespace sim
