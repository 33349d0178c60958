// Resource-name parsing.
#include <cctype>
#include <charconv>
#include <string>
#include <vector>

#include "platform/visa/backend.h"

namespace visa {
namespace {

std::string upper(std::string s)
{
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> split(const std::string& s)
{
    std::vector<std::string> parts;
    size_t pos = 0;
    for (;;) {
        size_t f = s.find("::", pos);
        parts.push_back(s.substr(pos, f == std::string::npos ? std::string::npos : f - pos));
        if (f == std::string::npos) break;
        pos = f + 2;
    }
    return parts;
}

// Whole text is a decimal number without sign, at most 9 digits.
bool number(const std::string& s, int* v)
{
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    std::from_chars(s.data(), s.data() + s.size(), *v);
    return true;
}

// "GPIB", "GPIB0" ...: the board number after the prefix (default 0).
bool board(const std::string& head, const char* prefix, int* b)
{
    std::string p(prefix);
    if (head.compare(0, p.size(), p) != 0) return false;
    std::string rest = head.substr(p.size());
    if (rest.empty()) { *b = 0; return true; }
    return number(rest, b);
}

}  // namespace

bool ParseResource(const char* name, Resource* out)
{
    *out = Resource{};
    if (!name) return false;
    out->given = name;
    std::string s = upper(name);
    if (s.compare(0, 3, "SIM") == 0) {
        out->sim = true;
        s = s.substr(3);
        if (s.compare(0, 2, "::") == 0) s = s.substr(2);
    }
    std::vector<std::string> p = split(s);
    const std::string& head = p[0];
    int b = 0;
    if (board(head, "GPIB", &b)) {
        // GPIB[b]::primary[::secondary][::INSTR]
        if (p.size() < 2 || p.size() > 4) return false;
        if (!number(p[1], &out->number) || out->number > 30) return false;
        size_t i = 2;
        if (i < p.size() && p[i] != "INSTR") {
            if (!number(p[i], &out->secondary) || out->secondary > 30) return false;
            ++i;
        }
        if (i < p.size() && p[i] != "INSTR") return false;
        if (i + 1 < p.size()) return false;
        out->kind = Resource::Gpib;
        out->board = b;
        out->canonical = "GPIB" + std::to_string(b) + "::" + std::to_string(out->number) + "::INSTR";
        return true;
    }
    if (head.compare(0, 4, "ASRL") == 0) {
        if (!number(head.substr(4), &out->number) || out->number < 1) return false;
        if (p.size() > 2 || (p.size() == 2 && p[1] != "INSTR")) return false;
        out->kind = Resource::Asrl;
        out->canonical = "ASRL" + std::to_string(out->number) + "::INSTR";
        return true;
    }
    if (board(head, "TCPIP", &b)) {
        if (p.size() != 4 || p[3] != "SOCKET" || p[1].empty()) return false;
        if (!number(p[2], &out->port) || out->port < 1 || out->port > 65535) return false;
        out->kind = Resource::Tcpip;
        out->board = b;
        out->host = std::string(name).substr(std::string(name).size() - s.size()).substr(head.size() + 2, p[1].size());
        out->canonical = "TCPIP" + std::to_string(b) + "::" + out->host + "::" + p[2] + "::SOCKET";
        return true;
    }
    return false;
}

}  // namespace visa
