#include "sim/eut/params.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace simphys {

static std::string Lower(std::string_view s)
{
    std::string r;
    for (char c : s)
        if (!std::isspace(static_cast<unsigned char>(c)))
            r += char(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

static void SetError(std::string* error, std::string text)
{
    if (error) *error = std::move(text);
}

bool SplitParams(std::string_view text, ParamText& out, std::string* error)
{
    out = ParamText{};
    size_t colon = text.find(':');
    out.name = Lower(text.substr(0, colon));
    if (out.name.empty()) {
        SetError(error, "missing name in \"" + std::string(text) + "\"");
        return false;
    }
    if (colon == std::string_view::npos) return true;
    std::string_view rest = text.substr(colon + 1);
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        size_t eq = item.find('=');
        std::string key = Lower(item.substr(0, eq));
        std::string value = eq == std::string_view::npos ? "1" : Lower(item.substr(eq + 1));
        if (key.empty()) {
            if (eq == std::string_view::npos && value == "1") continue;  // stray comma
            SetError(error, "missing parameter name in \"" + std::string(text) + "\"");
            return false;
        }
        out.items.emplace_back(std::move(key), std::move(value));
    }
    return true;
}

bool ParseNumber(std::string_view text, double& value)
{
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

std::string FormatNumber(double value, int digits)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    if (ec != std::errc{}) return "?";
    return std::string(buf, end);
}

bool AssignParams(const ParamText& p, const std::vector<NumSlot>& slots, std::string* error)
{
    for (const auto& [key, text] : p.items) {
        const NumSlot* slot = nullptr;
        for (const NumSlot& s : slots)
            if (key == s.key) slot = &s;
        if (!slot) {
            SetError(error, p.name + ": unknown parameter \"" + key + "\"");
            return false;
        }
        double v;
        if (!ParseNumber(text, v)) {
            SetError(error, p.name + ": \"" + key + "\" needs a number, not \"" + text + "\"");
            return false;
        }
        if (v < slot->lo || v > slot->hi) {
            SetError(error, p.name + ": " + key + "=" + text + " outside " + FormatNumber(slot->lo) +
                                ".." + FormatNumber(slot->hi));
            return false;
        }
        *slot->value = v;
    }
    return true;
}

}  // namespace simphys
