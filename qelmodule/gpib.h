// GPIB device of the qel module on the linux-gpib library, loaded at run time.
#pragma once

#include "qelmodule/iobase.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qel {

// Status bits and error codes of the GPIB driver (NI-488.2 numbering, which
// linux-gpib shares).
enum : int { GPIB_ERR = 0x8000, GPIB_TIMO = 0x4000, GPIB_END = 0x2000, GPIB_CMPL = 0x100 };
enum : int { GPIB_STB_MAV = 0x10 };
enum : int { EDVR = 0, ENOL = 2, EARG = 4, EABO = 6 };

// Library loaded on first use: $QEL_GPIB_LIBRARY when set, else "libgpib.so.0".
// True when it and every function the device uses are present.
bool GpibDriverLoaded();

// Time-out code for a duration: the longest standard time-out strictly
// shorter than ms (1000 ms -> 10, "300ms"); 0-1 ms -> 0 ("None").
int GpibTimeoutCode(long ms);
const char* GpibTimeoutName(int code);
// Mnemonic of a driver error code, or null.
const char* GpibErrorMnemonic(int code);

struct GpibSettings {
    std::int32_t pad = 1;
    std::int32_t sad = 0;
    std::int32_t tmo = 12;
    std::uint8_t eot = 1;
    std::uint8_t eos = 0;
    std::uint8_t eosmode = 0;
};

class wxGPIB : public wxIOBase {
public:
    wxGPIB() = default;
    ~wxGPIB() override;

    int Close() override;
    // board "gpib1" (board 0) or "gpib2" (board 1); settings: GpibSettings or null.
    // 0, -1 (board name), -2 (no descriptor), -3 (no listener)
    int Open(const char* board, const void* settings = nullptr) override;
    const char* ClassName() const override { return "wxGPIB"; }
    int Ioctl(int code, void* value) override;
    bool IsOpen() const override { return ud_ >= 0; }
    int Read(char* buf, std::size_t n) override;
    int ReadEos(std::string& result, const std::string& eos, int timeout_ms) override;
    int Write(const char* buf, std::size_t n) override;
    virtual int GetErrorName(char* text, std::size_t size);
    virtual int DescribeSettings(char* text, std::size_t size);

    int Status() const { return sta_; }
    int Error() const { return err_; }
    int Count() const { return cnt_; }

private:
    void Store(int sta);
    bool PollPending(int* sta);
    std::size_t TakeLeftover(char* buf, std::size_t n);

    int board_ = -1;
    int ud_ = -1;
    int sta_ = 0, err_ = 0, cnt_ = 0;
    int pending_ = 0;  // 0 none, 1 read under way, 2 write under way
    GpibSettings settings_;
    std::vector<char> staging_;   // target of the read under way
    std::vector<char> wstaging_;  // source of the write under way
    std::string leftover_;        // bytes read but not yet handed out
};

} // namespace qel
