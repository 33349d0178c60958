#include "files/logfile.h"

#include "state/old_para.h"
#include "platform/lowfile.h"
#include "state/reset.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string g_error;
std::string g_reason;

void reset_log_errors()
{
    g_error.clear();
    g_reason.clear();
}
REGISTER_STATE_RESET(reset_log_errors);

void SetError(const std::string& what, int err)
{
    g_error = what;
    if (err) {
        g_error += ": ";
        g_error += std::strerror(err);
    }
    g_reason.clear();
}

int Refuse(const char* path, const std::string& reason)
{
    g_error = "Not a measurement logging file: ";
    g_error += path ? path : "";
    g_reason = reason;
    return LOG_ERR_FOREIGN;
}

int32_t GetI32(const unsigned char* p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// A text field holding a terminating zero and printable characters only.
bool PlausibleText(const char* field, size_t size)
{
    size_t n = FixedLen(field, size);
    if (n == size) return false;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(field[i]);
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

bool PlausiblePara(const Para& p)
{
    return (p.test_kind == 0 || p.test_kind == 1) && (p.phases == 1 || p.phases == 3) &&
           PlausibleText(p.sw_version, sizeof p.sw_version);
}

// The version text as a decimal number (C notation); false when it is none.
bool ParseVersion(const char* field, size_t size, float* out)
{
    size_t n = FixedLen(field, size);
    if (n == size) return false;
    const char* b = field;
    const char* e = field + n;
    while (b < e && *b == ' ') ++b;
    while (e > b && e[-1] == ' ') --e;
    if (b == e) return false;
    double v = 0;
    auto res = std::from_chars(b, e, v);
    if (res.ec != std::errc() || res.ptr != e) return false;
    *out = float(v);
    return true;
}

}  // namespace

const char* LogErrorText() { return g_error.c_str(); }
const char* LogErrorReason() { return g_reason.c_str(); }

int LogPread(int fd, void* data, size_t n, int64_t offset)
{
    auto* p = static_cast<unsigned char*>(data);
    while (n > 0) {
        ssize_t got = ::pread(fd, p, n, off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            SetError("Unable to read the logging file", errno);
            return LOG_ERR_IO;
        }
        if (got == 0) {
            SetError("Unable to read the logging file: unexpected end of file", 0);
            return LOG_ERR_IO;
        }
        p += got;
        n -= size_t(got);
        offset += got;
    }
    return LOG_OK;
}

int LogPwrite(int fd, const void* data, size_t n, int64_t offset)
{
    // A handle opened for appending would put every positioned write at the end.
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl != -1 && (fl & O_APPEND)) {
        SetError("Unable to write the logging file: it is open for appending only", 0);
        return LOG_ERR_IO;
    }
    auto* p = static_cast<const unsigned char*>(data);
    while (n > 0) {
        ssize_t put = ::pwrite(fd, p, n, off_t(offset));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            SetError("Unable to write the logging file", put < 0 ? errno : ENOSPC);
            return LOG_ERR_IO;
        }
        p += put;
        n -= size_t(put);
        offset += put;
    }
    return LOG_OK;
}

int64_t LogFileSize(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) return -1;
    return int64_t(st.st_size);
}

// ---- writers ----------------------------------------------------------------

int LogCreate(const char* path, const Para& p, int* fd)
{
    if (fd) *fd = -1;
    errno = 0;
    int f = OpenFile(path, VAL_READ_WRITE, VAL_TRUNCATE, VAL_BINARY);
    if (f < 0) {
        SetError(std::string("Unable to create the logging file ") + path, errno);
        return LOG_ERR_OPEN;
    }
    int rc = LogWriteHeader(f, 0, p);
    if (rc < 0) {
        LogClose(f);
        return rc;
    }
    if (fd) *fd = f;
    return LOG_OK;
}

int LogAppend(int fd, const void* data, size_t n)
{
    int64_t end = LogFileSize(fd);
    if (end < 0) {
        SetError("Unable to write the logging file", errno);
        return LOG_ERR_IO;
    }
    return LogPwrite(fd, data, n, end);
}

int LogWriteCount(int fd, int32_t count) { return LogPwrite(fd, &count, 4, LOG_COUNT_OFFSET); }

int LogAppendSet(int fd, const void* records, int phases, int record_size, int32_t* size)
{
    if ((phases != 1 && phases != 3) || record_size <= 0 || !size) {
        SetError("Invalid record set", 0);
        return LOG_ERR_ARG;
    }
    int rc = LogAppend(fd, records, size_t(phases) * size_t(record_size));
    if (rc < 0) return rc;
    ++*size;
    return LogWriteCount(fd, *size);
}

int LogWriteHeader(int fd, int32_t count, const Para& p)
{
    unsigned char head[4 + sizeof(Para)];
    std::memcpy(head, &count, 4);
    std::memcpy(head + 4, &p, sizeof(Para));
    return LogPwrite(fd, head, sizeof head, 0);
}

int LogAppendResult(int fd, const HarmResult& r) { return LogAppend(fd, &r, sizeof r); }

int LogRewritePara(const char* path, const Para& p)
{
    int fd = ::open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        SetError(std::string("Unable to open the logging file ") + path, errno);
        return LOG_ERR_OPEN;
    }
    LogLayout layout;
    int rc = LogRecognise(fd, path, &layout);
    if (rc == LOG_OK && layout.format == LOG_OLD) {
        // The old block is not a settings record: writing one would corrupt it.
        rc = Refuse(path, "old single-phase files are read only");
    }
    if (rc == LOG_OK) rc = LogPwrite(fd, &p, sizeof p, LOG_PARA_OFFSET);
    int crc = LogClose(fd);
    return rc < 0 ? rc : crc;
}

bool LogSameFile(const char* a, const char* b)
{
    struct stat sa, sb;
    if (!a || !b || ::stat(a, &sa) != 0 || ::stat(b, &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int LogClose(int fd)
{
    if (fd < 0) return LOG_OK;
    if (CloseFile(fd) == 0) return LOG_OK;
    // Not a handle of OpenFile (or its close failed, which releases it too).
    if (::fcntl(fd, F_GETFD) == -1) {
        SetError("Unable to close the logging file", EIO);
        return LOG_ERR_IO;
    }
    if (::close(fd) != 0) {
        SetError("Unable to close the logging file", errno);
        return LOG_ERR_IO;
    }
    return LOG_OK;
}

// ---- reader -----------------------------------------------------------------

void ConvertOldHarmRecord(const unsigned char old[OLD_HARM_RECORD_203], HarmFrame* rec)
{
    auto* d = reinterpret_cast<unsigned char*>(rec);
    const unsigned char* b2 = old + 368;
    std::memcpy(d, old, 368);              // FLTR .. Q
    const uint32_t nan = NO_LIMIT_BITS;
    std::memcpy(d + 368, &nan, 4);         // HTHC: absent
    std::memcpy(d + 372, &nan, 4);         // HPOC: absent
    std::memcpy(d + 376, b2 + 0, 16);      // HIOV
    std::memcpy(d + 392, b2 + 16, 4);      // HIST
    std::memcpy(d + 396, b2 + 20, 4);      // HENS
    std::memcpy(d + 400, b2 + 24, 16);     // HUOV
    std::memcpy(d + 416, b2 + 40, 4);      // HUST
    std::memcpy(d + 424, b2 + 48, 4);      // EDIT
    std::memcpy(d + 428, b2 + 52, 4);      // COUNT
}

int LogRecognise(int fd, const char* path, LogLayout* out)
{
    LogLayout L;
    L.size = LogFileSize(fd);
    if (L.size < 0) {
        SetError(std::string("Unable to read the logging file ") + (path ? path : ""), errno);
        return LOG_ERR_IO;
    }
    const int64_t S = L.size;
    if (S < 4) return Refuse(path, "the file is too short");
    int32_t C = 0;
    if (LogPread(fd, &C, 4, 0) < 0) return LOG_ERR_IO;
    L.count = C;

    Para para{};
    bool have_para = false;
    if (S >= LOG_DATA_OFFSET) {
        if (LogPread(fd, &para, sizeof para, LOG_PARA_OFFSET) < 0) return LOG_ERR_IO;
        have_para = true;
    }
    const int64_t c = C;
    const bool fits_current =
        C >= 0 && (S == 5148 + c * 1380 || S == 4044 + c * 460 || S == 3492 + c * 1464 ||
                   S == 3492 + c * 488);

    auto fill_current = [&](LogFormat format) {
        L.format = format;
        L.para = para;
        L.test_kind = para.test_kind;
        L.phases = para.phases;
        L.record_size = para.test_kind == 0 ? LOG_HARM_RECORD : LOG_FLK_RECORD;
        L.data_offset = LOG_DATA_OFFSET;
    };
    auto finish = [&]() {
        const int64_t set_bytes = int64_t(L.phases) * L.record_size;
        if (L.test_kind == 1) {
            L.frames = L.format == LOG_OLD ? L.sets : (L.sets > 0 ? L.sets / 2 + 1 : 0);
            L.results = 0;
            L.results_offset = L.data_offset + L.sets * set_bytes;
        } else {
            L.frames = L.sets;
            L.results_offset = L.data_offset + L.sets * set_bytes;
            int64_t room = (S - L.results_offset) / LOG_RESULT_RECORD;
            L.results = int32_t(room < 0 ? 0 : room > L.phases ? L.phases : room);
        }
        if (out) *out = L;
        return LOG_OK;
    };

    // 1. Current layout: the length fits a formula and the record is plausible.
    if (fits_current && have_para && PlausiblePara(para)) {
        fill_current(LOG_CURRENT);
        // A harmonic file without any result record (3492 + C x P x 460,
        // which for C = 0 is also the empty flicker length) is an
        // interrupted run, not a complete one.
        if (L.test_kind == 0 && S == LOG_DATA_OFFSET + c * L.phases * LOG_HARM_RECORD)
            L.format = LOG_INTERRUPTED;
        const int64_t trailer =
            (L.test_kind == 0 && L.format == LOG_CURRENT) ? int64_t(L.phases) * LOG_RESULT_RECORD : 0;
        const int64_t set_bytes = int64_t(L.phases) * L.record_size;
        int64_t avail = (S - LOG_DATA_OFFSET - trailer) / set_bytes;
        if (S - LOG_DATA_OFFSET - trailer < 0) avail = 0;
        L.sets = int32_t(avail < c ? avail : c);
        return finish();
    }

    // 2. Old single-phase layout: its own length formula and a version text.
    if (S >= OLD_DATA_OFFSET && C >= 0) {
        unsigned char block[OLD_BLOCK_SIZE];
        if (LogPread(fd, block, sizeof block, 4) < 0) return LOG_ERR_IO;
        const int32_t kind = GetI32(block + 2124);
        float version = 0;
        if ((kind == 0 || kind == 1) &&
            ParseVersion(reinterpret_cast<const char*>(block + 2153), 7, &version)) {
            const int32_t R = kind == 1 ? OLD_FLK_RECORD
                              : version <= 2.03f ? OLD_HARM_RECORD_203 : OLD_HARM_RECORD;
            const int64_t expect = OLD_DATA_OFFSET + c * R + (kind == 0 ? LOG_RESULT_RECORD : 0);
            if (S == expect) {
                L.format = LOG_OLD;
                L.para = Para{};
                MapOldParameter(block, L.para);
                L.test_kind = kind;
                L.phases = 1;
                L.record_size = R;
                L.data_offset = OLD_DATA_OFFSET;
                L.sets = C;
                L.sw_version = version;
                return finish();
            }
        }
    }

    // 3. A current file without its trailer: an interrupted run. The count
    // is kept current during a run and may lag one set behind the data.
    if (have_para && PlausiblePara(para) && C >= 0) {
        fill_current(LOG_INTERRUPTED);
        const int64_t set_bytes = int64_t(L.phases) * L.record_size;
        const int64_t whole = (S - LOG_DATA_OFFSET) / set_bytes;
        if (c > whole) {
            char why[160];
            std::snprintf(why, sizeof why,
                          "the file is truncated: it holds %lld of the %d record sets it counts",
                          (long long)whole, C);
            return Refuse(path, why);
        }
        const int64_t rest = S - LOG_DATA_OFFSET - c * set_bytes;
        const bool whole_results = L.test_kind == 0 && rest > 0 && rest % LOG_RESULT_RECORD == 0 &&
                                   rest / LOG_RESULT_RECORD < L.phases;
        if (C == 0) {
            // No count was ever written: every complete set.
            L.sets = whole_results ? 0 : int32_t(whole);
        } else {
            // The count is rewritten right after each set, so it lags at most
            // one whole set. Anything else after the counted sets is a partly
            // written set or result record, never frames.
            L.sets = rest == set_bytes ? C + 1 : C;
        }
        const int rc = finish();
        if (out && !(whole_results && L.sets == C)) out->results = 0;
        return rc;
    }

    if (!have_para) return Refuse(path, "the file is shorter than a settings record");
    return Refuse(path, "its length fits no logging-file layout and its settings record is implausible");
}

int LogOpenRead(const char* path, int* fd, LogLayout* out)
{
    *fd = -1;
    errno = 0;
    int f = OpenFile(path, VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (f < 0) {
        SetError(std::string("Unable to open the logging file ") + path, errno);
        return LOG_ERR_OPEN;
    }
    int rc = LogRecognise(f, path, out);
    if (rc < 0) {
        LogClose(f);
        return rc;
    }
    *fd = f;
    return LOG_OK;
}

void LogReaderInit(LogFrameReader* r, int fd, const LogLayout& layout)
{
    r->fd = fd;
    r->layout = layout;
    r->next = 0;
    r->chunk.clear();
    r->chunk_first = 0;
    r->chunk_sets = 0;
    std::memset(r->prev, 0, sizeof r->prev);
}

int32_t LogFrameSet(const LogLayout& L, int32_t frame)
{
    if (L.test_kind == 1 && L.format != LOG_OLD) {
        const int64_t pos = int64_t(frame) * 2;
        return pos < L.sets ? int32_t(pos) : L.sets - 1;
    }
    return frame;
}

int LogReadNextFrame(LogFrameReader* r, void* records)
{
    const LogLayout& L = r->layout;
    if (r->next >= L.frames) return 0;
    const int32_t set = LogFrameSet(L, r->next);
    if (set < 0 || set >= L.sets) return 0;
    const int64_t set_bytes = int64_t(L.phases) * L.record_size;

    if (set < r->chunk_first || set >= r->chunk_first + r->chunk_sets) {
        constexpr int64_t kChunkBytes = 1 << 20;
        int64_t n = kChunkBytes / set_bytes;
        if (n < 1) n = 1;
        if (n > L.sets - set) n = L.sets - set;
        r->chunk.resize(size_t(n * set_bytes));
        if (LogPread(r->fd, r->chunk.data(), r->chunk.size(), L.data_offset + set * set_bytes) < 0)
            return LOG_ERR_IO;
        r->chunk_first = set;
        r->chunk_sets = int32_t(n);
    }
    const unsigned char* src = r->chunk.data() + (set - r->chunk_first) * set_bytes;
    auto* dst = static_cast<unsigned char*>(records);
    const int current = L.test_kind == 0 ? LOG_HARM_RECORD : LOG_FLK_RECORD;
    for (int p = 0; p < L.phases; ++p) {
        const unsigned char* rec = src + p * L.record_size;
        unsigned char* prev = r->prev[p];
        if (L.record_size == OLD_HARM_RECORD_203) {
            HarmFrame f;
            std::memcpy(&f, prev, sizeof f);
            ConvertOldHarmRecord(rec, &f);
            std::memcpy(prev, &f, sizeof f);
        } else {
            std::memcpy(prev, rec, size_t(L.record_size));  // shorter old records keep the rest
        }
        std::memcpy(dst + p * current, prev, size_t(current));
    }
    ++r->next;
    return 1;
}

int LogReadResults(int fd, const LogLayout& L, HarmResult out[3])
{
    if (L.test_kind != 0 || L.results <= 0) return 0;
    std::vector<unsigned char> b(size_t(L.results) * LOG_RESULT_RECORD);
    if (LogPread(fd, b.data(), b.size(), L.results_offset) < 0) return LOG_ERR_IO;
    for (int p = 0; p < L.results; ++p) std::memcpy(&out[p], b.data() + p * LOG_RESULT_RECORD, LOG_RESULT_RECORD);
    return L.results;
}
