#include "platform/lowfile.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_mutex;
std::set<int> g_open;          // handles handed out by OpenFile
std::string g_project_override;

bool IsOurs(int handle)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_open.count(handle) != 0;
}

void CopyCut(char* dst, const std::string& src)
{
    if (!dst) return;
    size_t n = src.size() < size_t(MAX_PATHNAME_LEN) ? src.size() : size_t(MAX_PATHNAME_LEN - 1);
    std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
}

}  // namespace

int OpenFile(const char* path, int mode, int action, int /*type*/)
{
    if (!path || !*path) return -1;
    int flags = O_CLOEXEC;
    switch (mode) {
    case VAL_READ_ONLY: flags |= O_RDONLY; break;
    case VAL_WRITE_ONLY: flags |= O_WRONLY | O_CREAT; break;
    case VAL_READ_WRITE: flags |= O_RDWR | O_CREAT; break;
    default: return -1;
    }
    if (mode != VAL_READ_ONLY) {
        switch (action) {
        case VAL_TRUNCATE: flags |= O_TRUNC; break;
        case VAL_APPEND: flags |= O_APPEND; break;
        case VAL_OPEN_AS_IS: break;
        default: return -1;
        }
    }
    // Non-blocking only for the open itself: a FIFO then neither waits for
    // a writer (reads give end of file) nor for a reader (the open fails).
    int fd;
    do { fd = ::open(path, flags | O_NONBLOCK, 0666); } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat st;
    const int fl = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_open.insert(fd);
    return fd;
}

int CloseFile(int handle)
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_open.erase(handle)) return -1;
    }
    return ::close(handle) == 0 ? 0 : -1;
}

long long ReadFile(int handle, void* buffer, long long count)
{
    if (!IsOurs(handle) || count < 0 || (!buffer && count > 0)) return -1;
    auto* p = static_cast<char*>(buffer);
    long long done = 0;
    while (done < count) {
        ssize_t n = ::read(handle, p + done, size_t(count - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return done > 0 ? done : -1;
        }
        if (n == 0) break;
        done += n;
    }
    return done;
}

long long WriteFile(int handle, const void* buffer, long long count)
{
    if (!IsOurs(handle) || count < 0 || (!buffer && count > 0)) return -1;
    const auto* p = static_cast<const char*>(buffer);
    long long done = 0;
    while (done < count) {
        ssize_t n = ::write(handle, p + done, size_t(count - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) return -1;
        done += n;
    }
    return done;
}

long long SetFilePtr(int handle, long long offset, int origin)
{
    if (!IsOurs(handle)) return -1;
    int whence = origin == SEEK_FROM_START ? SEEK_SET
               : origin == SEEK_FROM_CURRENT ? SEEK_CUR
               : origin == SEEK_FROM_END ? SEEK_END : -1;
    if (whence < 0) return -1;
    off_t r = ::lseek(handle, off_t(offset), whence);
    return r < 0 ? -1 : (long long)r;
}

int ReadLine(int handle, char* buffer, int maxChars)
{
    if (!IsOurs(handle) || !buffer || maxChars < 0) return -1;
    int stored = 0;
    bool any = false;
    bool cr_pending = false;   // a CR seen but not yet stored
    char chunk[256];
    for (;;) {
        ssize_t n;
        do { n = ::read(handle, chunk, sizeof chunk); } while (n < 0 && errno == EINTR);
        if (n < 0) { buffer[stored] = '\0'; return -1; }
        if (n == 0) break;
        any = true;
        for (ssize_t i = 0; i < n; ++i) {
            char c = chunk[i];
            if (c == '\n') {
                // Give back what follows the line feed.
                off_t back = off_t(n - i - 1);
                if (back > 0 && ::lseek(handle, -back, SEEK_CUR) < 0) {
                    buffer[stored] = '\0';
                    return -1;
                }
                buffer[stored] = '\0';
                return stored;
            }
            if (cr_pending) {
                if (stored < maxChars) buffer[stored++] = '\r';
                cr_pending = false;
            }
            if (c == '\r') { cr_pending = true; continue; }
            if (stored < maxChars) buffer[stored++] = c;
        }
    }
    if (cr_pending && stored < maxChars) buffer[stored++] = '\r';
    buffer[stored] = '\0';
    return any ? stored : -2;
}

int GetFileInfo(const char* path, long long* size)
{
    if (size) *size = 0;
    if (!path || !*path) return 0;
    struct stat st;
    if (::stat(path, &st) != 0) return errno == ENOENT || errno == ENOTDIR ? 0 : -1;
    if (S_ISDIR(st.st_mode)) return 0;
    if (size) *size = (long long)st.st_size;
    return 1;
}

int FileExists(const char* path, long long* size)
{
    return GetFileInfo(path, size) == 1 ? 1 : 0;
}

long long FileSize(const char* path)
{
    long long size = 0;
    return GetFileInfo(path, &size) == 1 ? size : -1;
}

std::string PathDir(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string PathFile(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void SplitPath(const char* path, char* drive, char* dir, char* file)
{
    std::string p = path ? path : "";
    CopyCut(drive, "");
    CopyCut(dir, PathDir(p));
    CopyCut(file, PathFile(p));
}

static std::string ExeDir(bool* ok)
{
    char exe[4096];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) { *ok = false; return "."; }
    exe[n] = '\0';
    std::string d = PathDir(exe);
    while (d.size() > 1 && d.back() == '/') d.pop_back();
    *ok = !d.empty();
    return d.empty() ? "." : d;
}

std::string ProjectDir()
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_project_override.empty()) return g_project_override;
    }
    bool ok;
    return ExeDir(&ok);
}

int GetProjectDir(char* dir)
{
    bool ok = true;
    std::string d;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        d = g_project_override;
    }
    if (d.empty()) d = ExeDir(&ok);
    if (d.size() >= size_t(MAX_PATHNAME_LEN)) ok = false;
    CopyCut(dir, ok ? d : std::string("."));
    return ok ? 0 : -1;
}

void SetProjectDir(const char* dir)
{
    std::string d = dir ? dir : "";
    while (d.size() > 1 && d.back() == '/') d.pop_back();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_project_override = d;
}

std::string ProjectFile(const char* name)
{
    std::string d = ProjectDir();
    if (d.empty() || d.back() != '/') d += '/';
    return d + (name ? name : "");
}
