// Low-level file I/O and path helpers used by the program logic: handle-based
// files (OpenFile ... CloseFile), file information, path splitting and the
// program's directory. Every call reports failure by its result: negative
// (or a short count) means the operation did not complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr int MAX_PATHNAME_LEN = 1024;

// OpenFile access modes
constexpr int VAL_READ_WRITE = 0;
constexpr int VAL_READ_ONLY = 1;
constexpr int VAL_WRITE_ONLY = 2;
// OpenFile actions (for modes that write)
constexpr int VAL_TRUNCATE = 0;
constexpr int VAL_APPEND = 1;
constexpr int VAL_OPEN_AS_IS = 2;
// OpenFile file types (no translation on this platform; kept for callers)
constexpr int VAL_BINARY = 0;
constexpr int VAL_ASCII = 1;

// SetFilePtr origins
constexpr int SEEK_FROM_START = 0;
constexpr int SEEK_FROM_CURRENT = 1;
constexpr int SEEK_FROM_END = 2;

// Opens a file and returns its handle (>= 0), or -1. Modes that write create
// the file when it does not exist; VAL_READ_ONLY needs an existing file.
int OpenFile(const char* path, int mode, int action, int type);
// Closes a handle; 0, or -1 for an unknown handle or a failed close.
int CloseFile(int handle);
// Reads up to count bytes; returns the number read (0 at end of file) or -1.
long long ReadFile(int handle, void* buffer, long long count);
// Writes count bytes; returns count when all were written, otherwise -1
// (full disk, closed handle, read-only file).
long long WriteFile(int handle, const void* buffer, long long count);
// Moves the file position; returns the new position or -1.
long long SetFilePtr(int handle, long long offset, int origin);
// Reads one line up to its line feed (the line feed and a carriage return
// before it are dropped). At most maxChars characters are stored, followed by
// a zero byte (the buffer holds maxChars + 1 bytes); the rest of a longer line
// is skipped. Returns the number of characters stored, -2 at end of file, -1
// on error.
int ReadLine(int handle, char* buffer, int maxChars);

// 1 when the file exists (its size in *size), 0 when not, -1 on error.
int GetFileInfo(const char* path, long long* size);
// 1 when the file exists (its size in *size, may be null), else 0.
int FileExists(const char* path, long long* size);
// Size of an existing file, or -1.
long long FileSize(const char* path);

// Splits a path into drive (always empty here), directory (with its trailing
// "/") and file name. Buffers may be null; each holds MAX_PATHNAME_LEN bytes
// and longer parts are cut.
void SplitPath(const char* path, char* drive, char* dir, char* file);
std::string PathDir(const std::string& path);   // "" when none, else ending in "/"
std::string PathFile(const std::string& path);

// Directory of the program (the directory of the executable, without a
// trailing "/"); returns 0, or -1 when it cannot be determined (then "."
// is stored). The buffer holds MAX_PATHNAME_LEN bytes.
int GetProjectDir(char* dir);
std::string ProjectDir();
// Overrides the program directory (tests); an empty text or null restores
// the executable's directory.
void SetProjectDir(const char* dir);
// dir + "/" + name
std::string ProjectFile(const char* name);
