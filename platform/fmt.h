// The formatting and scanning notation: Fmt, FmtFile, Scan, ScanFile,
// NumFmtdBytes. Format strings are "target<sources" (formatting) and
// "source>targets" (scanning), e.g. "%s<%f[p2]" or "%s>%i,%s[t10]".
// Numbers are always written and read in the C locale.
//
// Without a leading "%s<" ("%s>") the whole string is the source (target)
// side and a plain "%s" target (source) is implied. The target may be one of
// the sources. See docs/foundation.md for the supported items.
//
// Arguments are type-checked: formatting sources are integers, reals or
// strings; scanning targets are int*, double*, float* or char arrays (their
// size is taken from the array, so a scan never writes past a target).
// Fmt/FmtFile return the number of sources formatted and Scan/ScanFile the
// number of targets filled; -1 means a malformed format, a missing argument
// or one of the wrong kind (and, for FmtFile, a failed write).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace fmtnote {

struct Arg {
    enum Kind { Int, Real, Str, IntPtr, RealPtr, FloatPtr, StrBuf } kind;
    long long i = 0;
    double d = 0;
    const char* s = nullptr;
    void* p = nullptr;
    size_t size = 0;  // StrBuf capacity, bytes
};

inline Arg make_src(const char* s) { Arg a{Arg::Str}; a.s = s ? s : ""; return a; }
inline Arg make_src(char* s) { return make_src(static_cast<const char*>(s)); }
inline Arg make_src(const std::string& s) { return make_src(s.c_str()); }
inline Arg make_src(std::string_view) = delete;  // not zero-terminated: pass std::string
template <class T>
Arg make_src(T v)
{
    if constexpr (std::is_floating_point_v<T>) { Arg a{Arg::Real}; a.d = double(v); return a; }
    else { static_assert(std::is_integral_v<T> || std::is_enum_v<T>, "Fmt source must be a number or string");
           Arg a{Arg::Int}; a.i = (long long)v; return a; }
}

inline Arg make_dst(int* p) { Arg a{Arg::IntPtr}; a.p = p; return a; }
inline Arg make_dst(double* p) { Arg a{Arg::RealPtr}; a.p = p; return a; }
inline Arg make_dst(float* p) { Arg a{Arg::FloatPtr}; a.p = p; return a; }
template <size_t N>
Arg make_dst(char (&b)[N]) { Arg a{Arg::StrBuf}; a.p = b; a.size = N; return a; }
// An integer value (the offset of an i* modifier) among the scan arguments.
inline Arg make_dst(int v) { Arg a{Arg::Int}; a.i = v; return a; }
// A character buffer of known size: use ScanBuf(ptr, size).
struct ScanBuf { char* p; size_t size; };
inline Arg make_dst(ScanBuf b) { Arg a{Arg::StrBuf}; a.p = b.p; a.size = b.size; return a; }

int FmtV(char* target, size_t size, const char* format, const std::vector<Arg>& args);
int FmtStringV(std::string& target, const char* format, const std::vector<Arg>& args);
int FmtFileV(int fileHandle, const char* format, const std::vector<Arg>& args);
int ScanV(const char* source, const char* format, const std::vector<Arg>& args);
// Scans a counted text (may hold zero bytes; they end a string like any other
// character that is not matched).
int ScanNV(const char* source, size_t length, const char* format, const std::vector<Arg>& args);
int ScanFileV(int fileHandle, const char* format, const std::vector<Arg>& args);

}  // namespace fmtnote

using fmtnote::ScanBuf;

// Formats into a character array; never writes past it (output is cut).
template <size_t N, class... A>
int Fmt(char (&target)[N], const char* format, A&&... a)
{
    return fmtnote::FmtV(target, N, format, {fmtnote::make_src(a)...});
}
// Formats into a buffer of given size.
template <class... A>
int FmtN(char* target, size_t size, const char* format, A&&... a)
{
    return fmtnote::FmtV(target, size, format, {fmtnote::make_src(a)...});
}
// Formats into a std::string (the append modifier keeps its contents).
template <class... A>
int Fmt(std::string& target, const char* format, A&&... a)
{
    return fmtnote::FmtStringV(target, format, {fmtnote::make_src(a)...});
}
// Formats into a file opened with OpenFile (the target spec stands for the file).
template <class... A>
int FmtFile(int fileHandle, const char* format, A&&... a)
{
    return fmtnote::FmtFileV(fileHandle, format, {fmtnote::make_src(a)...});
}
// Number of bytes produced by the last Fmt/FmtN/FmtFile: the length of the
// text now in the target (with the append modifier: the whole text), or the
// bytes written to the file.
int NumFmtdBytes();

// Scans a string; returns the number of targets filled.
template <class... A>
int Scan(const char* source, const char* format, A&&... a)
{
    return fmtnote::ScanV(source, format, {fmtnote::make_dst(a)...});
}
template <class... A>
int Scan(const std::string& source, const char* format, A&&... a)
{
    return fmtnote::ScanNV(source.data(), source.size(), format, {fmtnote::make_dst(a)...});
}
// Scans from the current position of a file opened with OpenFile; the file
// position ends just after the characters consumed.
template <class... A>
int ScanFile(int fileHandle, const char* format, A&&... a)
{
    return fmtnote::ScanFileV(fileHandle, format, {fmtnote::make_dst(a)...});
}
