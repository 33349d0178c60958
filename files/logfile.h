// The measurement logging file: writers used by the acquisition cycle and its
// stop step, and the reader that recognises the layout by the file's length.
//
// Current layout: int32 count C at 0, the 3488-byte settings record at 4,
// C record sets of P frame records (460 harmonic / 488 flicker bytes) from
// 3492, then for harmonic runs P result records of 552 bytes. Old
// single-phase files (3160-byte settings block, 424/436/464-byte records)
// are read, never written.
//
// Files are handled by the handles of OpenFile (platform/lowfile), which are
// POSIX descriptors; a handle must not be opened for appending (VAL_APPEND),
// the writers position every write themselves. Every write is checked; a
// failed or short write returns a negative status and sets LogErrorText().
// The old settings block is mapped by MapOldParameter (state/old_para.h).
#pragma once

#include "state/para.h"
#include "state/records.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int64_t LOG_COUNT_OFFSET = 0;
constexpr int64_t LOG_PARA_OFFSET = 4;
constexpr int64_t LOG_DATA_OFFSET = 3492;
constexpr int32_t LOG_HARM_RECORD = 460;
constexpr int32_t LOG_FLK_RECORD = 488;
constexpr int32_t LOG_RESULT_RECORD = 552;

constexpr int64_t OLD_BLOCK_SIZE = 3160;
constexpr int64_t OLD_DATA_OFFSET = 3164;
constexpr int32_t OLD_HARM_RECORD_203 = 424;  // sw_version <= 2.03: 368 + 56 bytes
constexpr int32_t OLD_HARM_RECORD = 436;
constexpr int32_t OLD_FLK_RECORD = 464;

// Statuses (negative = failure).
constexpr int LOG_OK = 0;
constexpr int LOG_ERR_IO = -1;       // a read or write failed or was short
constexpr int LOG_ERR_FOREIGN = -2;  // not a measurement logging file
constexpr int LOG_ERR_OPEN = -3;     // the file cannot be opened or created
constexpr int LOG_ERR_ARG = -4;      // bad arguments (phase count, record size)

enum LogFormat {
    LOG_CURRENT = 0,      // length fits one of the four current formulas
    LOG_INTERRUPTED = 1,  // current layout without its trailer: the run ended abnormally
    LOG_OLD = 2,          // old single-phase layout
};

// What a reader needs to know about a logging file.
struct LogLayout {
    LogFormat format = LOG_CURRENT;
    int64_t size = 0;           // file length S
    int32_t count = 0;          // C at offset 0
    int32_t test_kind = 0;      // 0 harmonics, 1 flicker
    int32_t phases = 1;         // P
    int32_t record_size = 0;    // stored record size
    int64_t data_offset = 0;    // first record set
    int32_t sets = 0;           // complete record sets to read (<= C unless interrupted)
    int32_t frames = 0;         // frames a reader yields (flicker: odd positions)
    int32_t results = 0;        // harmonic result records present (0..P)
    int64_t results_offset = 0;
    float sw_version = 0;       // old files: the version number that chose the record size
    Para para{};                // the settings record (old files: mapped)
};

// Text of the last failure: "Not a measurement logging file: PATH" for a
// refused file, or the failed operation with the system's reason.
const char* LogErrorText();
// Why a file was refused (empty otherwise).
const char* LogErrorReason();
// Shown when a file of an interrupted run is loaded.
constexpr const char* LOG_INTERRUPTED_TEXT =
    "The measurement of this file was interrupted: the stored frames are loaded, the final results are missing.";

// ---- checked primitives ---------------------------------------------------
// Reads or writes exactly n bytes at an offset; LOG_ERR_IO on failure or a
// short transfer.
int LogPread(int fd, void* data, size_t n, int64_t offset);
int LogPwrite(int fd, const void* data, size_t n, int64_t offset);
// Length of the open file, or -1.
int64_t LogFileSize(int fd);

// ---- writers ----------------------------------------------------------------
// Creates or truncates the file (read-write, OpenFile handle), writes the count 0 at offset 0
// and the settings record at offset 4.
int LogCreate(const char* path, const Para& p, int* fd);
// Appends one record set (phases records of record_size bytes, phase order),
// increments *size and rewrites the count at offset 0, so that the count is
// current even if the run never reaches its stop.
int LogAppendSet(int fd, const void* records, int phases, int record_size, int32_t* size);
// Appends bytes at the end of the file (a closing flicker record).
int LogAppend(int fd, const void* data, size_t n);
// Rewrites the count at offset 0.
int LogWriteCount(int fd, int32_t count);
// Rewrites the count at offset 0 and the settings record at offset 4.
int LogWriteHeader(int fd, int32_t count, const Para& p);
// Appends one harmonic result record at the end.
int LogAppendResult(int fd, const HarmResult& r);
// Rewrites the settings record at offset 4 of an existing logging file (the
// protocol edit); a missing or foreign file is not touched.
int LogRewritePara(const char* path, const Para& p);
// True when both paths name one existing file (the same inode: also through
// hard and symbolic links), so writing one would destroy the other.
bool LogSameFile(const char* a, const char* b);
// Closes the file (an OpenFile handle or a plain descriptor); LOG_ERR_IO
// when the close reports a failed write.
int LogClose(int fd);

// ---- reader -----------------------------------------------------------------
// Recognises the layout of an open file. LOG_ERR_FOREIGN with the message
// "Not a measurement logging file: PATH" when it fits no layout (foreign,
// truncated); LOG_ERR_IO when it cannot be read.
int LogRecognise(int fd, const char* path, LogLayout* out);
// Opens read-only and recognises; on success *fd is open.
int LogOpenRead(const char* path, int* fd, LogLayout* out);

// Converts an old 424-byte harmonic record into the current record `rec`
// (fields absent from the old record keep their values).
void ConvertOldHarmRecord(const unsigned char old[OLD_HARM_RECORD_203], HarmFrame* rec);

// Buffered, sequential reader of the frames of a recognised file. Yields
// current-format records: harmonic files every set, current flicker files the
// sets at odd positions (and the last set as the final frame), old files each
// set once converted.
struct LogFrameReader {
    int fd = -1;
    LogLayout layout;
    int32_t next = 0;                  // next frame index
    std::vector<unsigned char> chunk;  // buffered record sets
    int32_t chunk_first = 0, chunk_sets = 0;
    unsigned char prev[3][LOG_FLK_RECORD];  // previous converted records (old files)
};
void LogReaderInit(LogFrameReader* r, int fd, const LogLayout& layout);
// Set index of frame i under the layout's rule.
int32_t LogFrameSet(const LogLayout& layout, int32_t frame);
// Reads the next frame into `records` (P records of 460 or 488 bytes):
// 1 = a frame, 0 = no more frames, LOG_ERR_IO on a failed read.
int LogReadNextFrame(LogFrameReader* r, void* records);
// Reads the result records present (harmonic files); returns their number
// or LOG_ERR_IO.
int LogReadResults(int fd, const LogLayout& layout, HarmResult out[3]);
