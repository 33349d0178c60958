// Message parser.
#include "sim/command.h"

#include <cctype>
#include <charconv>

namespace sim {
namespace {

std::string trim(const std::string& s)
{
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

std::string upper(std::string s)
{
    for (char& c : s) c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

Command parse_one(const std::string& text)
{
    Command c;
    std::string t = text;
    if (!t.empty() && t[0] == ':') t.erase(0, 1);
    size_t sp = t.find_first_of(" \t");
    std::string head = upper(sp == std::string::npos ? t : t.substr(0, sp));
    c.args = sp == std::string::npos ? "" : trim(t.substr(sp));
    c.header = head;
    for (char ch : head)
        if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != ':' && ch != '*' && ch != '?' && ch != '_')
            return c;
    c.query = !head.empty() && head.back() == '?';
    c.common = !head.empty() && head[0] == '*';
    std::string body = c.query ? head.substr(0, head.size() - 1) : head;
    size_t pos = 0;
    std::string key;
    for (;;) {
        size_t colon = body.find(':', pos);
        std::string node = body.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        if (node.empty()) { c.key.clear(); return c; }
        size_t d = node.size();
        while (d > 0 && std::isdigit(static_cast<unsigned char>(node[d - 1]))) --d;
        if (d == 0) { c.key.clear(); return c; }
        int suffix = -1;
        if (d < node.size()) std::from_chars(node.data() + d, node.data() + node.size(), suffix);
        c.suffixes.push_back(suffix);
        if (!key.empty()) key += ':';
        key += node.substr(0, d);
        if (colon == std::string::npos) break;
        pos = colon + 1;
    }
    c.key = key + (c.query ? "?" : "");
    return c;
}

}  // namespace

bool Command::int_arg(int* v) const
{
    std::string a = args;
    size_t end = a.find_first_of(" ,\t");
    if (end != std::string::npos) a.erase(end);
    if (a.empty()) return false;
    const char* b = a.data();
    if (*b == '+') ++b;
    auto r = std::from_chars(b, a.data() + a.size(), *v);
    return r.ec == std::errc() && r.ptr == a.data() + a.size();
}

std::string Command::word_arg() const { return upper(args); }

std::vector<Command> ParseMessage(const std::string& message)
{
    std::vector<Command> out;
    std::string cur;
    int paren = 0;
    bool quote = false;
    auto flush = [&] {
        std::string t = trim(cur);
        if (!t.empty()) out.push_back(parse_one(t));
        cur.clear();
    };
    for (char ch : message) {
        if (ch == '"') quote = !quote;
        else if (!quote && ch == '(') ++paren;
        else if (!quote && ch == ')' && paren > 0) --paren;
        if (ch == ';' && !quote && paren == 0) { flush(); continue; }
        cur += ch;
    }
    flush();
    return out;
}

}  // namespace sim
