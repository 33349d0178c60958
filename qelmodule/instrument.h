// The qel module's state and functions, free of the interpreter: the handle
// table with its device records, the last error number and the debug level.
#pragma once

#include "qelmodule/iobase.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qel {

constexpr int kHandles = 64;
constexpr const char* kVersion = "0.2.13";

// Per-slot settings; initialised once and kept across Close and later Opens.
struct DeviceRecord {
    char s_devname[16] = {};
    std::int32_t s_baud = 0;
    std::int32_t s_timeout = 1000;
    std::int32_t s_size = 128;
    std::vector<char> buffer;  // the read buffer, s_size bytes while open
    std::int32_t handshake = -1;
    std::int32_t gpib_adr = 0;
    std::int32_t s_error = 0;
    std::string send_eos, recv_eos;
    const char* send_name = "NONE";
    const char* recv_name = "NONE";
};

// Results of ReadBinary besides the data: 0 success, -1 invalid handle,
// -2 ... -9 the block reader's failures, -10 an empty block.
enum : int { BLOCK_EMPTY = -10 };

class Instrument {
public:
    using Sink = void (*)(const char* text, std::size_t n);

    Instrument();
    ~Instrument();

    // Where messages and help texts go (standard output by default).
    void SetSink(Sink sink) { sink_ = sink; }

    int Open(const std::string& device, const std::string& parameter);
    int Close(int handle);
    int Write(int handle, const char* data, std::size_t n);
    std::string Read(int handle);
    std::string ReadQuota(int handle);
    int ReadBinary(int handle, std::string& data, std::string& reason);
    int EraseBuffer(int handle);
    void SetTimeout(int handle, long ms);
    void Reset(int handle);
    // False when the command word matches none (no value).
    bool Ioctl(int handle, const std::string& command, int& result);
    int GetError();
    std::string GetErrorString(int n);
    void Debug(int level);
    void Help(const std::string& command);
    char Kbhit();

    // Serialises calls from several interpreter threads.
    std::mutex& Lock() { return mutex_; }

    int LastError() const { return error_; }
    int DebugLevel() const { return debug_; }
    const DeviceRecord& Record(int handle) const { return records_[handle]; }

private:
    void Msg(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void Out(const std::string& text);
    bool Valid(int handle) const;
    void SetError(int handle, int number);
    bool Grow(DeviceRecord& r, std::size_t need);
    bool ParseSerial(const std::string& device, const std::string& p, DeviceRecord& r);
    int ReadBinaryBlock(int handle, std::string& data, std::string& reason);

    std::unique_ptr<wxIOBase> devices_[kHandles];
    DeviceRecord records_[kHandles];
    int error_ = 0;
    int debug_ = 1;
    Sink sink_ = nullptr;
    std::mutex mutex_;
};

} // namespace qel
