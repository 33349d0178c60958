// The logging-file layout, checked against files built byte by byte.
#include "files/logfile.h"
#include "platform/lowfile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void PutI32(Bytes& b, size_t at, int32_t v) { std::memcpy(b.data() + at, &v, 4); }
void PutF32(Bytes& b, size_t at, float v) { std::memcpy(b.data() + at, &v, 4); }
void PutText(Bytes& b, size_t at, const char* t) { std::memcpy(b.data() + at, t, std::strlen(t) + 1); }
int32_t GetI32(const Bytes& b, size_t at) { int32_t v; std::memcpy(&v, b.data() + at, 4); return v; }

// A current-format settings record as bytes.
Bytes ParaBytes(int32_t test_kind, int32_t phases, const char* version = "3.00")
{
    Bytes p(3488, 0);
    PutI32(p, 2272, test_kind);
    PutI32(p, 2448, phases);
    PutText(p, 2393, version);
    PutText(p, 2016, "run.qel");
    PutI32(p, 40, 12);  // fl_periods
    return p;
}

// A record of `size` bytes: FLTR = tag, a real at offset 4 = tag / 10.
Bytes Record(int size, int32_t tag)
{
    Bytes r(size_t(size), 0);
    PutI32(r, 0, tag);
    PutF32(r, 4, float(tag) / 10.0f);
    return r;
}

void Append(Bytes& b, const Bytes& part) { b.insert(b.end(), part.begin(), part.end()); }

// Count, settings record, C sets of P records tagged 1000 * set + phase,
// and `results` result records tagged by their phase.
Bytes CurrentFile(int32_t kind, int32_t phases, int32_t C, int results, int32_t count_field = -1)
{
    Bytes b(4, 0);
    PutI32(b, 0, count_field < 0 ? C : count_field);
    Append(b, ParaBytes(kind, phases));
    const int R = kind == 0 ? 460 : 488;
    for (int s = 0; s < C; ++s)
        for (int p = 0; p < phases; ++p) Append(b, Record(R, 1000 * (s + 1) + p));
    for (int p = 0; p < results; ++p) {
        Bytes r = Record(552, 7000 + p);
        PutF32(r, 540, 100.0f + p);  // HPM
        Append(b, r);
    }
    return b;
}

class LogFileTest : public ::testing::Test {
protected:
    std::string path = ::testing::TempDir() + "orivan_log_" + std::to_string(::getpid()) + ".qel";
    void TearDown() override { ::unlink(path.c_str()); }

    void Write(const Bytes& b)
    {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, b.data(), b.size()), ssize_t(b.size()));
        LogClose(fd);
    }
    Bytes Read()
    {
        int fd = ::open(path.c_str(), O_RDONLY);
        EXPECT_GE(fd, 0);
        Bytes b(size_t(LogFileSize(fd)));
        if (!b.empty()) {
            EXPECT_EQ(LogPread(fd, b.data(), b.size(), 0), LOG_OK);
        }
        LogClose(fd);
        return b;
    }
    // Recognises the written bytes; returns the status.
    int Recognise(const Bytes& b, LogLayout* L)
    {
        Write(b);
        int fd = -1;
        int rc = LogOpenRead(path.c_str(), &fd, L);
        if (fd >= 0) LogClose(fd);
        return rc;
    }
    // FLTR tags of the frames the reader yields, phase `phase`.
    std::vector<int32_t> FrameTags(int phase = 0)
    {
        int fd = -1;
        LogLayout L;
        EXPECT_EQ(LogOpenRead(path.c_str(), &fd, &L), LOG_OK) << LogErrorText();
        std::vector<int32_t> tags;
        if (fd < 0) return tags;
        LogFrameReader r;
        LogReaderInit(&r, fd, L);
        unsigned char recs[3 * 488];
        const int R = L.test_kind == 0 ? 460 : 488;
        int rc;
        while ((rc = LogReadNextFrame(&r, recs)) == 1) {
            int32_t t;
            std::memcpy(&t, recs + phase * R, 4);
            tags.push_back(t);
        }
        EXPECT_EQ(rc, 0);
        LogClose(fd);
        return tags;
    }
};

using Tags = std::vector<int32_t>;

}  // namespace

TEST_F(LogFileTest, CurrentHarmonicFiles)
{
    Bytes three = CurrentFile(0, 3, 10, 3);
    ASSERT_EQ(three.size(), size_t(5148 + 10 * 1380));
    LogLayout L;
    ASSERT_EQ(Recognise(three, &L), LOG_OK);
    EXPECT_EQ(L.format, LOG_CURRENT);
    EXPECT_EQ(L.phases, 3);
    EXPECT_EQ(L.frames, 10);
    EXPECT_EQ(L.results, 3);
    EXPECT_EQ(L.results_offset, 3492 + 10 * 1380);
    EXPECT_EQ(FrameTags(2), (Tags{1002, 2002, 3002, 4002, 5002, 6002, 7002, 8002, 9002, 10002}));

    int fd = -1;
    ASSERT_EQ(LogOpenRead(path.c_str(), &fd, &L), LOG_OK);
    HarmResult res[3];
    ASSERT_EQ(LogReadResults(fd, L, res), 3);
    EXPECT_EQ(res[1].fltr, 7001);
    EXPECT_EQ(res[2].hpm, 102.0f);
    LogClose(fd);

    // A run stopped before its first frame: header and one result record.
    Bytes empty = CurrentFile(0, 1, 0, 1);
    ASSERT_EQ(empty.size(), 4044u);
    ASSERT_EQ(Recognise(empty, &L), LOG_OK);
    EXPECT_EQ(L.format, LOG_CURRENT);
    EXPECT_EQ(L.frames, 0);
    EXPECT_EQ(L.results, 1);
    EXPECT_EQ(L.results_offset, 3492);
    EXPECT_EQ(std::memcmp(&L.para, empty.data() + 4, 3488), 0);
}

TEST_F(LogFileTest, FlickerFilesTakeTheOddPositions)
{
    LogLayout L;
    ASSERT_EQ(Recognise(CurrentFile(1, 1, 7, 0), &L), LOG_OK);
    EXPECT_EQ(L.frames, 4);
    EXPECT_EQ(FrameTags(), (Tags{1000, 3000, 5000, 7000}));

    ASSERT_EQ(Recognise(CurrentFile(1, 1, 6, 0), &L), LOG_OK);
    EXPECT_EQ(L.frames, 4);
    EXPECT_EQ(FrameTags(), (Tags{1000, 3000, 5000, 6000}));  // the last set as the final frame

    ASSERT_EQ(Recognise(CurrentFile(1, 3, 5, 0), &L), LOG_OK);
    EXPECT_EQ(L.size, 3492 + 5 * 1464);
    EXPECT_EQ(FrameTags(1), (Tags{1001, 3001, 5001}));

    ASSERT_EQ(Recognise(CurrentFile(1, 1, 0, 0), &L), LOG_OK);
    EXPECT_EQ(L.frames, 0);
}

TEST_F(LogFileTest, TestKindOfTheRecordDecidesAgainstTheLength)
{
    // The length of a one-phase harmonic file with C = 10, but test kind 1.
    Bytes b = CurrentFile(0, 1, 10, 1);
    PutI32(b, 4 + 2272, 1);
    ASSERT_EQ(b.size(), size_t(4044 + 10 * 460));
    LogLayout L;
    ASSERT_EQ(Recognise(b, &L), LOG_OK);
    EXPECT_EQ(L.test_kind, 1);
    EXPECT_EQ(L.record_size, 488);
    EXPECT_EQ(L.sets, 10);  // (8644 - 3492) / 488 whole records
    EXPECT_EQ(L.frames, 6);
    Tags t = FrameTags();
    ASSERT_EQ(t.size(), 6u);
    // Flicker records are read at 488-byte steps: set 9 starts at 3492 + 8 * 488.
    EXPECT_EQ(t[4], GetI32(b, 3492 + 8 * 488));
}

namespace {

// Old single-phase file: 3160-byte block, C records of R bytes, result record.
Bytes OldBlock(int32_t kind, const char* version)
{
    Bytes o(3160, 0);
    PutI32(o, 0, 1);      // if_gpib
    PutI32(o, 4, 9600);   // baudrate
    PutI32(o, 8, 2);      // com_port
    PutI32(o, 12, 7);     // gpib_address
    PutI32(o, 32, 12);    // fl_periods
    const int32_t nine[9] = {10, 0, 5, 0, 2, 30, 1, 3, 1};
    std::memcpy(o.data() + 40, nine, sizeof nine);
    PutText(o, 76, "first comment");
    PutText(o, 76 + 6 * 256, "last comment");
    PutText(o, 1868, "old.qel");
    PutI32(o, 2124, kind);
    PutText(o, 2132, "LPT1");
    PutText(o, 2137, "12345678");
    PutText(o, 2146, "1.1");
    PutText(o, 2153, version);
    PutF32(o, 2160, 5.0f);
    PutF32(o, 2164, 250.0f);
    PutF32(o, 2168, 1.5f);
    PutF32(o, 2172, 2.0f);
    return o;
}

Bytes Old424(int32_t tag)
{
    Bytes r(424, 0);
    PutI32(r, 0, tag);
    PutF32(r, 4 + 4 * 3, 1.25f);      // HIAM[3]
    PutF32(r, 168 + 4 * 3, 2.30f);    // limit of order 3
    PutF32(r, 356, 12.5f);            // HIHD
    PutF32(r, 364, -3.0f);            // Q
    PutI32(r, 368 + 0, 0x11);         // HIOV[0]
    PutI32(r, 368 + 12, 0x44);        // HIOV[3]
    PutI32(r, 368 + 16, 0x403);       // HIST
    PutI32(r, 368 + 20, 0x8);         // HENS
    PutI32(r, 368 + 24, 0x55);        // HUOV[0]
    PutI32(r, 368 + 40, 0x21);        // HUST
    PutI32(r, 368 + 44, 0x7777);      // not used
    PutI32(r, 368 + 48, 2);           // EDIT
    PutF32(r, 368 + 52, float(tag));  // COUNT
    return r;
}

}  // namespace

TEST_F(LogFileTest, OldHarmonicFilesByVersion)
{
    for (const char* version : {"2.03", "2.04"}) {
        const bool short_records = std::strcmp(version, "2.03") == 0;
        Bytes b(4, 0);
        PutI32(b, 0, 3);
        Append(b, OldBlock(0, version));
        for (int k = 1; k <= 3; ++k) {
            if (short_records) {
                Append(b, Old424(k));
            } else {
                Bytes r = Record(436, k);
                PutF32(r, 432, 50.0f + k);  // OVRU, the last field of the old record
                Append(b, r);
            }
        }
        Append(b, Record(552, 99));
        LogLayout L;
        ASSERT_EQ(Recognise(b, &L), LOG_OK) << version << ": " << LogErrorReason();
        EXPECT_EQ(L.format, LOG_OLD);
        EXPECT_EQ(L.record_size, short_records ? 424 : 436);
        EXPECT_EQ(L.frames, 3);
        EXPECT_EQ(L.results, 1);
        EXPECT_EQ(L.results_offset, 3164 + 3 * L.record_size);

        const Para& p = L.para;
        EXPECT_EQ(p.if_gpib, 1);
        EXPECT_EQ(p.baudrate, 9600);
        EXPECT_EQ(p.com_port, 2);
        EXPECT_EQ(p.gpib_address[2], 7);
        EXPECT_EQ(p.fl_periods, 12);
        EXPECT_EQ(p.fl_minutes, 10);
        EXPECT_EQ(p.sys_code, 5);
        EXPECT_EQ(p.h_minutes, 2);
        EXPECT_EQ(p.h_seconds, 30);
        EXPECT_EQ(p.h_standard, 1);
        EXPECT_EQ(p.h_class, 3);
        EXPECT_EQ(p.smoothing, 1);
        EXPECT_STREQ(p.comment[0], "first comment");
        EXPECT_STREQ(p.comment[6], "last comment");
        EXPECT_STREQ(p.log_file, "old.qel");
        EXPECT_EQ(p.test_kind, 0);
        EXPECT_STREQ(p.printer_port, "LPT1");
        EXPECT_STREQ(p.serial_no[0], "12345678");
        EXPECT_STREQ(p.revision[0], "1.1");
        EXPECT_STREQ(p.sw_version, version);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(p.i_range[i], 5.0f);
            EXPECT_EQ(p.u_range[i], 250.0f);
            EXPECT_EQ(p.i_scale[i], 1.5f);
            EXPECT_EQ(p.u_scale[i], 2.0f);
        }
        EXPECT_EQ(p.phases, 1);
        EXPECT_EQ(p.analyser, 0);

        int fd = -1;
        ASSERT_EQ(LogOpenRead(path.c_str(), &fd, &L), LOG_OK);
        LogFrameReader r;
        LogReaderInit(&r, fd, L);
        HarmFrame f;
        for (int k = 1; k <= 3; ++k) {
            ASSERT_EQ(LogReadNextFrame(&r, &f), 1);
            EXPECT_EQ(f.fltr, k);
            if (short_records) {
                EXPECT_EQ(f.hiam[3], 1.25f);
                EXPECT_EQ(f.limit[3], 2.30f);
                EXPECT_EQ(f.hihd, 12.5f);
                EXPECT_EQ(f.q, -3.0f);
                EXPECT_EQ(FloatBits(f.hthc), NO_LIMIT_BITS);
                EXPECT_EQ(FloatBits(f.hpoc), NO_LIMIT_BITS);
                EXPECT_EQ(f.hiov[0], 0x11);
                EXPECT_EQ(f.hiov[3], 0x44);
                EXPECT_EQ(f.hist, 0x403);
                EXPECT_EQ(f.hens, 0x8);
                EXPECT_EQ(f.huov[0], 0x55);
                EXPECT_EQ(f.hust, 0x21);
                EXPECT_EQ(f.huph1, 0.0f);
                EXPECT_EQ(f.edit, 2);
                EXPECT_EQ(f.count, float(k));
                EXPECT_EQ(f.ovru, 0.0f);
            } else {
                EXPECT_EQ(f.ovru, 50.0f + k);
                EXPECT_EQ(f.ovri, 0.0f);  // absent: kept from the previous frame
                EXPECT_EQ(f.hima, 0.0f);
            }
        }
        EXPECT_EQ(LogReadNextFrame(&r, &f), 0);
        HarmResult res[3];
        ASSERT_EQ(LogReadResults(fd, L, res), 1);
        EXPECT_EQ(res[0].fltr, 99);
        LogClose(fd);
    }
}

TEST_F(LogFileTest, OldFlickerFileTakesEverySetOnce)
{
    Bytes b(4, 0);
    PutI32(b, 0, 4);
    Append(b, OldBlock(1, "2.10"));
    for (int k = 1; k <= 4; ++k) Append(b, Record(464, k));
    LogLayout L;
    ASSERT_EQ(Recognise(b, &L), LOG_OK);
    EXPECT_EQ(L.format, LOG_OLD);
    EXPECT_EQ(L.test_kind, 1);
    EXPECT_EQ(L.frames, 4);
    EXPECT_EQ(FrameTags(), (Tags{1, 2, 3, 4}));
}

TEST_F(LogFileTest, InterruptedRunsAreRecognised)
{
    LogLayout L;
    // Three sets, no result records: the run never reached its stop.
    ASSERT_EQ(Recognise(CurrentFile(0, 3, 3, 0), &L), LOG_OK);
    EXPECT_EQ(L.format, LOG_INTERRUPTED);
    EXPECT_EQ(L.frames, 3);
    EXPECT_EQ(L.results, 0);
    // The count lags one set behind the data.
    ASSERT_EQ(Recognise(CurrentFile(0, 3, 3, 0, 2), &L), LOG_OK);
    EXPECT_EQ(L.format, LOG_INTERRUPTED);
    EXPECT_EQ(L.frames, 3);
    // Stopped before the first frame.
    ASSERT_EQ(Recognise(CurrentFile(0, 1, 0, 0), &L), LOG_OK);
    EXPECT_EQ(L.format, LOG_INTERRUPTED);
    EXPECT_EQ(L.frames, 0);
    // Ended while the result records were appended.
    ASSERT_EQ(Recognise(CurrentFile(0, 3, 4, 1), &L), LOG_OK);
    EXPECT_EQ(L.format, LOG_INTERRUPTED);
    EXPECT_EQ(L.frames, 4);
    EXPECT_EQ(L.results, 1);
    // A half-written set at the end is left out.
    Bytes half = CurrentFile(0, 1, 5, 0);
    half.resize(half.size() - 200);
    ASSERT_EQ(Recognise(half, &L), LOG_ERR_FOREIGN);  // the count claims 5 sets
    PutI32(half, 0, 4);
    ASSERT_EQ(Recognise(half, &L), LOG_OK);
    EXPECT_EQ(L.frames, 4);
    EXPECT_EQ(FrameTags(), (Tags{1000, 2000, 3000, 4000}));
    // Flicker: four sets, frames at positions 1, 3 and the last.
    ASSERT_EQ(Recognise(CurrentFile(1, 1, 4, 0, 4), &L), LOG_OK);
    // (3492 + 4 * 488 also fits the current flicker formula: a complete file)
    EXPECT_EQ(L.frames, 3);
    ASSERT_EQ(Recognise(CurrentFile(1, 3, 4, 0, 3), &L), LOG_OK);
    EXPECT_EQ(L.format, LOG_INTERRUPTED);
    EXPECT_EQ(FrameTags(), (Tags{1000, 3000, 4000}));
}

TEST_F(LogFileTest, PartialTrailerOfAnInterruptedRunIsNeverReadAsFrames)
{
    LogLayout L;
    // Ten three-phase sets and their result records, the end cut off: the
    // remaining 1556 result bytes are more than a set, yet no frame.
    Bytes cut = CurrentFile(0, 3, 10, 3);
    cut.resize(cut.size() - 100);
    ASSERT_EQ(Recognise(cut, &L), LOG_OK);
    EXPECT_EQ(L.format, LOG_INTERRUPTED);
    EXPECT_EQ(L.sets, 10);
    EXPECT_EQ(L.frames, 10);
    EXPECT_EQ(L.results, 0);  // the records are incomplete
    // A set and a half after the counted ones: the count lags one set at most.
    Bytes more = CurrentFile(0, 1, 6, 0);
    PutI32(more, 0, 4);
    more.resize(more.size() - 230);
    ASSERT_EQ(Recognise(more, &L), LOG_OK);
    EXPECT_EQ(L.frames, 4);
    EXPECT_EQ(L.results, 0);
    // Part of a set is not a result record.
    Bytes part = CurrentFile(0, 3, 2, 0);
    part.resize(part.size() + 700, 0xAB);
    ASSERT_EQ(Recognise(part, &L), LOG_OK);
    EXPECT_EQ(L.frames, 2);
    EXPECT_EQ(L.results, 0);
}

TEST_F(LogFileTest, ForeignAndTruncatedFilesAreRefused)
{
    LogLayout L;
    std::mt19937 rng(7);
    std::vector<Bytes> foreign = {Bytes{}, Bytes(3, 1), Bytes(3492, 0), Bytes(5000, 0)};
    Bytes noise(10000);
    for (auto& c : noise) c = static_cast<unsigned char>(rng());
    foreign.push_back(noise);
    Bytes two_phases = CurrentFile(0, 3, 2, 3);
    PutI32(two_phases, 4 + 2448, 2);
    foreign.push_back(two_phases);
    Bytes bad_version = CurrentFile(0, 1, 2, 1);
    std::memset(bad_version.data() + 4 + 2393, 'x', 7);  // no terminating zero
    foreign.push_back(bad_version);
    Bytes old_wrong_length(4, 0);
    PutI32(old_wrong_length, 0, 2);
    Append(old_wrong_length, OldBlock(0, "2.04"));
    Append(old_wrong_length, Bytes(2 * 436 + 100, 0));
    foreign.push_back(old_wrong_length);
    Bytes negative = CurrentFile(0, 1, 2, 1);
    PutI32(negative, 0, -5);
    foreign.push_back(negative);

    for (size_t i = 0; i < foreign.size(); ++i) {
        EXPECT_EQ(Recognise(foreign[i], &L), LOG_ERR_FOREIGN) << i;
        EXPECT_EQ(std::string(LogErrorText()), "Not a measurement logging file: " + path) << i;
    }

    // A complete file cut in its frames.
    Bytes cut = CurrentFile(0, 3, 10, 3);
    cut.resize(3492 + 5 * 1380 + 100);
    EXPECT_EQ(Recognise(cut, &L), LOG_ERR_FOREIGN);
    EXPECT_NE(std::string(LogErrorReason()).find("truncated"), std::string::npos);

    // Every shorter length of a valid file is refused or read within the file.
    const Bytes whole = CurrentFile(0, 1, 3, 1);
    for (size_t n = 0; n < whole.size(); n += 7) {
        Bytes part(whole.begin(), whole.begin() + long(n));
        int rc = Recognise(part, &L);
        ASSERT_TRUE(rc == LOG_OK || rc == LOG_ERR_FOREIGN) << n;
        if (rc == LOG_OK) {
            EXPECT_LE(L.data_offset + int64_t(L.sets) * L.phases * L.record_size, int64_t(n));
            EXPECT_LE(L.results_offset + int64_t(L.results) * 552, int64_t(n));
            FrameTags();
        }
    }
}

TEST_F(LogFileTest, WritersProduceTheLayoutAndKeepTheCountCurrent)
{
    Para p{};
    p.test_kind = 0;
    p.phases = 1;
    CopyFixed(p.sw_version, "3.00");
    int fd = -1;
    ASSERT_EQ(LogCreate(path.c_str(), p, &fd), LOG_OK);
    Bytes b = Read();
    ASSERT_EQ(b.size(), 3492u);
    EXPECT_EQ(GetI32(b, 0), 0);
    EXPECT_EQ(std::memcmp(b.data() + 4, &p, 3488), 0);

    int32_t size = 0;
    HarmFrame f{};
    for (int k = 0; k < 2; ++k) {
        f.fltr = 10 + k;
        ASSERT_EQ(LogAppendSet(fd, &f, 1, 460, &size), LOG_OK);
        EXPECT_EQ(GetI32(Read(), 0), k + 1);  // current after every set
    }
    EXPECT_EQ(size, 2);
    p.meas_time = 42;
    ASSERT_EQ(LogWriteHeader(fd, size, p), LOG_OK);
    HarmResult r{};
    r.higf = 0x401;
    ASSERT_EQ(LogAppendResult(fd, r), LOG_OK);
    ASSERT_EQ(LogClose(fd), LOG_OK);
    b = Read();
    ASSERT_EQ(b.size(), size_t(4044 + 2 * 460));
    EXPECT_EQ(GetI32(b, 3492 + 460), 11);
    EXPECT_EQ(GetI32(b, 3492 + 920 + 520), 0x401);
    LogLayout L;
    ASSERT_EQ(Recognise(b, &L), LOG_OK);
    EXPECT_EQ(L.format, LOG_CURRENT);
    EXPECT_EQ(L.para.meas_time, 42);

    // The protocol edit rewrites the settings record only.
    p.meas_time = 77;
    CopyFixed(p.comment[0], "edited");
    ASSERT_EQ(LogRewritePara(path.c_str(), p), LOG_OK);
    Bytes e = Read();
    ASSERT_EQ(e.size(), b.size());
    EXPECT_EQ(std::memcmp(e.data(), b.data(), 4), 0);
    EXPECT_EQ(std::memcmp(e.data() + 4, &p, 3488), 0);
    EXPECT_EQ(std::memcmp(e.data() + 3492, b.data() + 3492, b.size() - 3492), 0);

    // ... and never touches a foreign file or creates a missing one.
    Bytes foreign(6000, 0x5A);
    Write(foreign);
    EXPECT_EQ(LogRewritePara(path.c_str(), p), LOG_ERR_FOREIGN);
    EXPECT_EQ(Read(), foreign);
    const std::string missing = path + ".missing";
    EXPECT_EQ(LogRewritePara(missing.c_str(), p), LOG_ERR_OPEN);
    struct stat st;
    EXPECT_NE(::stat(missing.c_str(), &st), 0);
}

TEST_F(LogFileTest, FailedWritesAreReported)
{
    int fd = ::open("/dev/full", O_RDWR);
    if (fd < 0) GTEST_SKIP() << "/dev/full is not available";
    HarmFrame f{};
    int32_t size = 0;
    EXPECT_EQ(LogAppendSet(fd, &f, 1, 460, &size), LOG_ERR_IO);
    EXPECT_EQ(size, 0);
    EXPECT_NE(std::string(LogErrorText()).find("No space left on device"), std::string::npos);
    Para p{};
    EXPECT_EQ(LogWriteHeader(fd, 1, p), LOG_ERR_IO);
    EXPECT_EQ(LogAppendResult(fd, HarmResult{}), LOG_ERR_IO);
    LogClose(fd);

    // A handle opened for appending cannot rewrite the count in place.
    int app = OpenFile(path.c_str(), VAL_READ_WRITE, VAL_APPEND, VAL_BINARY);
    ASSERT_GE(app, 0);
    EXPECT_EQ(LogWriteCount(app, 5), LOG_ERR_IO);
    EXPECT_EQ(LogClose(app), LOG_OK);
    EXPECT_EQ(FileSize(path.c_str()), 0);

    int out = 0;
    EXPECT_EQ(LogCreate("/nonexistent-dir/x.qel", p, &out), LOG_ERR_OPEN);
    EXPECT_EQ(out, -1);
    EXPECT_EQ(LogAppendSet(3, &f, 2, 460, &size), LOG_ERR_ARG);
}
