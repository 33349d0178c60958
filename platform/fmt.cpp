#include "platform/fmt.h"

#include "platform/lowfile.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>

namespace fmtnote {

namespace {

thread_local int g_num_fmtd_bytes = 0;   // per thread: follows that thread's last call

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

constexpr int TERM_NONE = -1;
constexpr int TERM_DIGIT = -2;   // t#: ends before the first digit

// One conversion with its modifiers.
struct Spec {
    char conv = 0;        // 's', 'i', 'f', 'x'
    int width = -1;       // w<n>
    int prec = -1;        // p<n>
    bool append = false;  // a
    int term = TERM_NONE; // t<n> / t#
    bool consume = false; // x
    bool discard = false; // d
    bool offset = false;  // i*
    bool zero = false;    // C style "%05i": zero padding
    bool upper = false;   // %X
};

bool ParseMods(const char* fmt, size_t& pos, Spec& sp);

// C-style forms inside a specifier, as the C library writes them: flag '0',
// width, '.precision' and the length letters h, l, ll, e.g. "%6.3f", "%02X",
// "%li", "%hd", "%lf". Parses what follows the '%' at fmt[pos] up to the
// conversion letter; returns false when there is none of it.
bool ParseCStyle(const char* fmt, size_t& pos, Spec& sp)
{
    size_t p = pos;
    bool any = false;
    if (fmt[p] == '0') { sp.zero = true; ++p; any = true; }
    if (IsDigit(fmt[p])) {
        int w = 0;
        while (IsDigit(fmt[p]) && w < 10000) w = w * 10 + (fmt[p++] - '0');
        sp.width = w;
        any = true;
    }
    if (fmt[p] == '.' && IsDigit(fmt[p + 1])) {
        ++p;
        int pr = 0;
        while (IsDigit(fmt[p]) && pr < 10000) pr = pr * 10 + (fmt[p++] - '0');
        sp.prec = pr;
        any = true;
    }
    while (fmt[p] == 'l' || fmt[p] == 'h') { ++p; any = true; }
    if (any) pos = p;
    return any;
}

// Reads the conversion at fmt[pos] (just after '%'): C-style parts, the
// letter, then "[modifiers]". False for an unknown conversion.
bool ParseConversion(const char* fmt, size_t& pos, Spec& sp, bool formatting)
{
    bool cstyle = ParseCStyle(fmt, pos, sp);
    char n = fmt[pos];
    switch (n) {
    case 's': if (cstyle) return false; sp.conv = 's'; break;
    case 'i': case 'd': sp.conv = 'i'; if (sp.prec >= 0 && cstyle) sp.prec = -1; break;
    case 'f': sp.conv = 'f'; break;
    case 'x': sp.conv = 'x'; break;
    case 'X': sp.conv = 'x'; sp.upper = true; break;
    case 'c': if (!formatting) return false; sp.conv = 'c'; break;
    default: return false;
    }
    ++pos;
    return ParseMods(fmt, pos, sp);
}

// Parses "[...]" after a specifier at fmt[pos]; pos moves past it. False on a
// malformed modifier list.
bool ParseMods(const char* fmt, size_t& pos, Spec& sp)
{
    if (fmt[pos] != '[') return true;
    ++pos;
    auto number = [&](int& out) {
        if (!IsDigit(fmt[pos])) return false;
        long v = 0;
        while (IsDigit(fmt[pos])) {
            v = v * 10 + (fmt[pos++] - '0');
            if (v > 100000) return false;
        }
        out = int(v);
        return true;
    };
    while (fmt[pos] && fmt[pos] != ']') {
        char m = fmt[pos++];
        switch (m) {
        case 'w': if (!number(sp.width)) return false; break;
        case 'p': if (!number(sp.prec)) return false; break;
        case 'a': sp.append = true; break;
        case 'x': sp.consume = true; break;
        case 'd': sp.discard = true; break;
        case 't':
            if (fmt[pos] == '#') { sp.term = TERM_DIGIT; ++pos; }
            else if (!number(sp.term) || sp.term > 255) return false;
            break;
        case 'i':
            if (fmt[pos] != '*') return false;
            ++pos;
            sp.offset = true;
            break;
        default: return false;
        }
    }
    if (fmt[pos] != ']') return false;
    ++pos;
    return true;
}

// Splits "%s[mods]<rest" (or '>'): fills the target/source spec and returns
// the position of the other side. Without a leading "%s...<" the whole string
// is the other side and the specifier is a plain "%s".
bool SplitDirection(const char* fmt, char mark, Spec& side, size_t& rest)
{
    side = Spec{};
    side.conv = 's';
    rest = 0;
    if (fmt[0] == '%' && fmt[1] == 's') {
        size_t pos = 2;
        Spec sp;
        sp.conv = 's';
        if (ParseMods(fmt, pos, sp) && fmt[pos] == mark) {
            side = sp;
            rest = pos + 1;
        }
    }
    return true;
}

void AppendPadded(std::string& out, const char* digits, size_t len, bool negative, int width, bool zero)
{
    size_t total = len + (negative ? 1 : 0);
    size_t pad = (width > 0 && size_t(width) > total) ? size_t(width) - total : 0;
    if (!zero) out.append(pad, ' ');
    if (negative) out += '-';
    if (zero) out.append(pad, '0');
    out.append(digits, len);
}

void FormatInt(std::string& out, long long v, const Spec& sp)
{
    char tmp[32];
    bool neg = v < 0;
    unsigned long long mag = neg ? 0ull - (unsigned long long)v : (unsigned long long)v;
    auto r = std::to_chars(tmp, tmp + sizeof tmp, mag);
    AppendPadded(out, tmp, size_t(r.ptr - tmp), neg, sp.width, sp.prec == 0 || sp.zero);
}

void FormatHex(std::string& out, long long v, const Spec& sp)
{
    char tmp[32];
    unsigned long long u = (v >= INT32_MIN && v <= (long long)UINT32_MAX)
        ? (unsigned long long)uint32_t(v) : (unsigned long long)v;
    auto r = std::to_chars(tmp, tmp + sizeof tmp, u, 16);
    if (sp.upper)
        for (char* c = tmp; c < r.ptr; ++c)
            if (*c >= 'a' && *c <= 'f') *c = char(*c - 'a' + 'A');
    AppendPadded(out, tmp, size_t(r.ptr - tmp), false, sp.width, sp.prec == 0 || sp.zero);
}

void FormatReal(std::string& out, double v, const Spec& sp)
{
    int prec = sp.prec < 0 ? 6 : (sp.prec > 40 ? 40 : sp.prec);
    char tmp[400];
    size_t len;
    bool neg = std::signbit(v);
    if (std::isnan(v)) {
        std::memcpy(tmp, "NaN", 3); len = 3; neg = false;
    } else if (std::isinf(v)) {
        std::memcpy(tmp, "Inf", 3); len = 3;
    } else {
        auto r = std::to_chars(tmp, tmp + sizeof tmp, std::fabs(v), std::chars_format::fixed, prec);
        if (r.ec != std::errc()) { std::memcpy(tmp, "NaN", 3); len = 3; neg = false; }
        else len = size_t(r.ptr - tmp);
    }
    AppendPadded(out, tmp, len, neg, sp.width, sp.zero && std::isfinite(v));
}

// Formats the source side into out; returns the number of sources used, or
// -1 for a malformed format, a missing source or a source of the wrong kind.
int FormatSources(const char* fmt, const std::vector<Arg>& args, size_t argi, std::string& out)
{
    int used = 0;
    size_t pos = 0;
    while (fmt[pos]) {
        char c = fmt[pos];
        if (c != '%') { out += c; ++pos; continue; }
        char n = fmt[pos + 1];
        if (n == '%' || n == '<' || n == '>') { out += n; pos += 2; continue; }
        // A percent sign before the end, a blank or a control character
        // (labels such as "Iharm,%") is itself.
        if (n == '\0' || n == ' ' || (unsigned char)n < 32) { out += '%'; ++pos; continue; }
        Spec sp;
        ++pos;
        if (!ParseConversion(fmt, pos, sp, true)) return -1;
        if (argi >= args.size()) return -1;
        const Arg& a = args[argi++];
        switch (sp.conv) {
        case 's': {
            if (a.kind != Arg::Str) return -1;
            std::string_view s(a.s);
            if (sp.width >= 0) {
                if (s.size() > size_t(sp.width)) s = s.substr(0, size_t(sp.width));
                out.append(s);
                out.append(size_t(sp.width) - s.size(), ' ');
            } else {
                out.append(s);
            }
            break;
        }
        case 'c':
            if (a.kind != Arg::Int) return -1;
            out += char(a.i);
            break;
        case 'i':
        case 'x': {
            long long v;
            if (a.kind == Arg::Int) v = a.i;
            else if (a.kind == Arg::Real && std::isfinite(a.d) && std::fabs(a.d) < 9.2e18) v = (long long)a.d;
            else return -1;
            if (sp.conv == 'i') FormatInt(out, v, sp); else FormatHex(out, v, sp);
            break;
        }
        case 'f': {
            double v;
            if (a.kind == Arg::Real) v = a.d;
            else if (a.kind == Arg::Int) v = double(a.i);
            else return -1;
            FormatReal(out, v, sp);
            break;
        }
        }
        ++used;
    }
    return used;
}

// Runs the format: the target text (for append) comes in `existing`.
int Format(const char* format, const std::vector<Arg>& args, const std::string* existing,
           std::string& out, bool* append)
{
    out.clear();
    *append = false;
    if (!format) return -1;
    Spec target;
    size_t rest;
    SplitDirection(format, '<', target, rest);
    if (target.append) {
        *append = true;
        if (existing) out = *existing;
    }
    return FormatSources(format + rest, args, 0, out);
}

// ---- scanning ----

// A source of characters: a counted text (not copied), or a buffer that is
// refilled from a file.
struct Source {
    const char* text = nullptr;
    size_t size = 0;
    size_t pos = 0;
    std::string owned;                          // file contents read so far
    std::function<bool(std::string&)> refill;   // appends more, false at end

    void SetText(const char* t, size_t n) { text = t; size = n; }
    bool Ensure(size_t ahead)
    {
        while (pos + ahead >= size) {
            if (!refill || !refill(owned)) return pos + ahead < size;
            text = owned.data();
            size = owned.size();
        }
        return true;
    }
    bool AtEnd() { return !Ensure(0); }
    char Peek() { return Ensure(0) ? text[pos] : '\0'; }
    char PeekAt(size_t k) { return Ensure(k) ? text[pos + k] : '\0'; }
    void Skip() { ++pos; }
    void SkipSpace() { while (!AtEnd() && IsSpace(text[pos])) ++pos; }
};

bool StoreInt(const Arg& a, long long v)
{
    switch (a.kind) {
    case Arg::IntPtr: *static_cast<int*>(a.p) = int(v); return true;
    case Arg::RealPtr: *static_cast<double*>(a.p) = double(v); return true;
    case Arg::FloatPtr: *static_cast<float*>(a.p) = float(v); return true;
    default: return false;
    }
}

bool StoreReal(const Arg& a, double v)
{
    switch (a.kind) {
    case Arg::RealPtr: *static_cast<double*>(a.p) = v; return true;
    case Arg::FloatPtr: *static_cast<float*>(a.p) = float(v); return true;
    case Arg::IntPtr:
        if (!std::isfinite(v) || v < double(INT32_MIN) || v > double(INT32_MAX)) return false;
        *static_cast<int*>(a.p) = int(v);
        return true;
    default: return false;
    }
}

// Reads a decimal (or hexadecimal) integer; false when none starts here or
// it does not fit into 32 bits.
bool ScanInteger(Source& src, const Spec& sp, long long& value)
{
    src.SkipSpace();
    size_t limit = sp.width > 0 ? size_t(sp.width) : SIZE_MAX;
    size_t k = 0;
    bool neg = false;
    char c = src.PeekAt(0);
    if ((c == '+' || c == '-') && k < limit) { neg = c == '-'; ++k; }
    int base = sp.conv == 'x' ? 16 : 10;
    unsigned long long v = 0;
    size_t digits = 0;
    for (; k < limit; ++k) {
        char d = src.PeekAt(k);
        int dv;
        if (IsDigit(d)) dv = d - '0';
        else if (base == 16 && Lower(d) >= 'a' && Lower(d) <= 'f') dv = Lower(d) - 'a' + 10;
        else break;
        if (v > 0xFFFFFFFFull) return false;
        v = v * base + dv;
        ++digits;
    }
    if (digits == 0) return false;
    long long s = neg ? -(long long)v : (long long)v;
    if (base == 10 && (s < INT32_MIN || s > INT32_MAX)) return false;
    if (base == 16 && v > 0xFFFFFFFFull) return false;
    if (base == 16) s = (long long)int32_t(uint32_t(v)) * (neg ? -1 : 1);
    src.pos += k;
    value = s;
    return true;
}

// Reads a real number in C notation: [sign] digits [. digits] [e [sign] digits],
// or NaN / Inf.
bool ScanReal(Source& src, const Spec& sp, double& value)
{
    src.SkipSpace();
    size_t limit = sp.width > 0 ? size_t(sp.width) : SIZE_MAX;
    std::string t;
    size_t k = 0;
    auto at = [&](size_t i) { return i < limit ? src.PeekAt(i) : '\0'; };
    bool neg = false;
    if (at(k) == '+' || at(k) == '-') { neg = at(k) == '-'; ++k; }
    auto word = [&](const char* w) {
        size_t n = std::strlen(w);
        for (size_t i = 0; i < n; ++i)
            if (Lower(at(k + i)) != w[i]) return false;
        return true;
    };
    if (word("nan")) {
        src.pos += k + 3;
        value = neg ? -NAN : NAN;
        return true;
    }
    if (word("inf")) {
        k += word("infinity") ? 8 : 3;
        src.pos += k;
        value = neg ? -INFINITY : INFINITY;
        return true;
    }
    size_t mant = 0;
    while (IsDigit(at(k))) { t += at(k++); ++mant; }
    if (at(k) == '.') {
        t += '.';
        ++k;
        while (IsDigit(at(k))) { t += at(k++); ++mant; }
    }
    if (mant == 0) return false;
    if (Lower(at(k)) == 'e') {
        size_t e = k + 1;
        std::string ex = "e";
        if (at(e) == '+' || at(e) == '-') ex += at(e++);
        if (IsDigit(at(e))) {
            while (IsDigit(at(e))) ex += at(e++);
            t += ex;
            k = e;
        }
    }
    if (t[0] == '.') t.insert(t.begin(), '0');
    if (t.back() == '.') t += '0';
    double v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // Beyond the range of a double: underflow reads as 0, overflow as Inf.
        v = t.find("e-") != std::string::npos ? 0.0 : INFINITY;
    } else if (r.ec != std::errc()) {
        return false;
    }
    src.pos += k;
    value = neg ? -v : v;
    return true;
}

// Reads a string item; false when the source is already at its end.
bool ScanString(Source& src, const Spec& sp, std::string& s)
{
    s.clear();
    size_t limit = sp.width >= 0 ? size_t(sp.width) : SIZE_MAX;
    if (sp.term == TERM_NONE) {
        src.SkipSpace();
        if (src.AtEnd()) return false;
        while (s.size() < limit && !src.AtEnd() && !IsSpace(src.Peek())) { s += src.Peek(); src.Skip(); }
        return true;
    }
    if (src.AtEnd()) return false;
    bool at_term = false;
    while (s.size() < limit && !src.AtEnd()) {
        char c = src.Peek();
        if (sp.term == TERM_DIGIT ? IsDigit(c) : (unsigned char)c == unsigned(sp.term)) { at_term = true; break; }
        s += c;
        src.Skip();
    }
    if (!at_term && s.size() >= limit && !src.AtEnd()) {
        char c = src.Peek();
        at_term = sp.term == TERM_DIGIT ? IsDigit(c) : (unsigned char)c == unsigned(sp.term);
    }
    if (at_term && sp.consume && sp.term != TERM_DIGIT) src.Skip();
    return true;
}

bool StoreString(const Arg& a, const std::string& s)
{
    if (a.kind != Arg::StrBuf || !a.p || a.size == 0) return false;
    size_t n = s.size() < a.size ? s.size() : a.size - 1;
    std::memcpy(a.p, s.data(), n);
    static_cast<char*>(a.p)[n] = '\0';
    return true;
}

// Scans the target side; returns the number of targets filled, -1 for a
// malformed format or a target of the wrong kind.
int ScanTargets(Source& src, const char* fmt, const std::vector<Arg>& args, size_t argi)
{
    int filled = 0;
    size_t pos = 0;
    while (fmt[pos]) {
        char c = fmt[pos];
        if (c == '%' && (fmt[pos + 1] == '%' || fmt[pos + 1] == '<' || fmt[pos + 1] == '>')) {
            c = fmt[pos + 1];
            ++pos;
        } else if (c == '%') {
            Spec sp;
            ++pos;
            if (!ParseConversion(fmt, pos, sp, false)) return -1;
            const Arg* target = nullptr;
            if (!sp.discard) {
                if (argi >= args.size()) return -1;
                target = &args[argi++];
            }
            bool ok;
            if (sp.conv == 's') {
                if (target && target->kind != Arg::StrBuf) return -1;
                std::string s;
                ok = ScanString(src, sp, s);
                if (ok && target) StoreString(*target, s);
            } else if (sp.conv == 'f') {
                if (target && target->kind != Arg::IntPtr && target->kind != Arg::RealPtr &&
                    target->kind != Arg::FloatPtr) return -1;
                double v = 0;
                ok = ScanReal(src, sp, v);
                if (ok && target) ok = StoreReal(*target, v);
            } else {
                if (target && target->kind != Arg::IntPtr && target->kind != Arg::RealPtr &&
                    target->kind != Arg::FloatPtr) return -1;
                long long v = 0;
                ok = ScanInteger(src, sp, v);
                if (ok && target) ok = StoreInt(*target, v);
            }
            if (!ok) return filled;
            if (target) ++filled;
            continue;
        }
        // Literal text must match.
        if (src.AtEnd() || src.Peek() != c) return filled;
        src.Skip();
        ++pos;
    }
    return filled;
}

// Splits the format and applies the source spec's offset; returns the target
// side or null for a malformed source spec.
const char* PrepareScan(const char* format, const std::vector<Arg>& args, size_t& argi, long long& offset)
{
    argi = 0;
    offset = 0;
    if (!format) return nullptr;
    Spec source;
    size_t rest;
    SplitDirection(format, '>', source, rest);
    if (source.offset) {
        if (args.empty() || args[0].kind != Arg::Int) return nullptr;
        offset = args[0].i;
        argi = 1;
    }
    return format + rest;
}

}  // namespace

int FmtV(char* target, size_t size, const char* format, const std::vector<Arg>& args)
{
    std::string existing;
    if (target && size > 0) {
        const void* z = std::memchr(target, 0, size);
        existing.assign(target, z ? size_t(static_cast<const char*>(z) - target) : size - 1);
    }
    std::string out;
    bool append;
    int r = Format(format, args, &existing, out, &append);
    size_t n = 0;
    if (target && size > 0) {
        n = out.size() < size ? out.size() : size - 1;
        std::memcpy(target, out.data(), n);
        target[n] = '\0';
    }
    g_num_fmtd_bytes = int(n);
    return r;
}

int FmtStringV(std::string& target, const char* format, const std::vector<Arg>& args)
{
    std::string out;
    bool append;
    int r = Format(format, args, &target, out, &append);
    target = std::move(out);
    g_num_fmtd_bytes = int(target.size());
    return r;
}

int FmtFileV(int fileHandle, const char* format, const std::vector<Arg>& args)
{
    std::string out;
    bool append;
    int r = Format(format, args, nullptr, out, &append);
    g_num_fmtd_bytes = 0;
    if (r < 0 || out.empty()) return r;   // a malformed format writes nothing
    if (WriteFile(fileHandle, out.data(), (long long)out.size()) != (long long)out.size()) return -1;
    g_num_fmtd_bytes = int(out.size());
    return r;
}

int ScanNV(const char* source, size_t length, const char* format, const std::vector<Arg>& args)
{
    size_t argi;
    long long offset;
    const char* targets = PrepareScan(format, args, argi, offset);
    if (!targets) return -1;
    if (!source) source = "";
    if (offset < 0 || (unsigned long long)offset > length) return 0;
    Source src;
    src.SetText(source + offset, length - size_t(offset));
    return ScanTargets(src, targets, args, argi);
}

int ScanV(const char* source, const char* format, const std::vector<Arg>& args)
{
    if (!source) source = "";
    return ScanNV(source, std::strlen(source), format, args);
}

int ScanFileV(int fileHandle, const char* format, const std::vector<Arg>& args)
{
    size_t argi;
    long long offset;
    const char* targets = PrepareScan(format, args, argi, offset);
    if (!targets) return -1;
    long long start = SetFilePtr(fileHandle, 0, SEEK_FROM_CURRENT);
    if (start < 0) return -1;
    if (offset < 0) return 0;
    if (offset > 0 && SetFilePtr(fileHandle, offset, SEEK_FROM_CURRENT) < 0) return 0;
    Source src;
    bool failed = false;
    src.refill = [&](std::string& data) {
        char chunk[4096];
        long long n = ReadFile(fileHandle, chunk, sizeof chunk);
        if (n < 0) failed = true;
        if (n <= 0) return false;
        data.append(chunk, size_t(n));
        return true;
    };
    int r = ScanTargets(src, targets, args, argi);
    // Leave the file just after what was consumed.
    if (SetFilePtr(fileHandle, start + offset + (long long)src.pos, SEEK_FROM_START) < 0) return -1;
    return failed && r == 0 ? -1 : r;
}

}  // namespace fmtnote

int NumFmtdBytes() { return fmtnote::g_num_fmtd_bytes; }
