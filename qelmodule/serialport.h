// Serial device of the qel module on POSIX termios.
#pragma once

#include "qelmodule/iobase.h"

#include <cstdint>
#include <string>

namespace qel {

struct SerialSettings {
    std::int32_t baud = 19200;
    std::int32_t parity = 0;     // 0 none, 1 odd, 2 even
    std::uint8_t databits = 8;
    std::uint8_t stopbits = 1;
    std::uint8_t rtscts = 0;
    std::uint8_t xonxoff = 0;
};

// Modem-status bits delivered by GetLines.
enum : int { LINE_CTS = 0x20, LINE_DCD = 0x40, LINE_RING = 0x80, LINE_DSR = 0x100 };
// Line-control mask bits of ChangeLines/ClearLines/SetLines.
enum : int { LINE_SET_DTR = 2, LINE_SET_RTS = 4 };

// Device path behind a port name: "COMn" is /dev/ttyS(n-1) unless the
// environment variable QEL_PORT_COMn names another device; a name that is
// already a path ("/dev/...") is taken as it is. Empty when not a port name.
std::string ResolvePortName(const std::string& name);

class wxSerialPort_x : public wxIOBase {
public:
    const char* ClassName() const override { return "wxSerialPort"; }
    virtual int ChangeLines(int mask) = 0;
    virtual int ClearLines(int mask) = 0;
    virtual int GetLines(int* result) = 0;
    virtual int DescribeSettings(char* text, std::size_t size) = 0;
    virtual int SendBreak(int n) = 0;
    virtual int SetBaud(int rate) = 0;
    virtual int SetLines(int mask) = 0;
};

class wxSerialPort : public wxSerialPort_x {
public:
    wxSerialPort() = default;
    ~wxSerialPort() override;

    int Close() override;
    // device: a port name for ResolvePortName; settings: SerialSettings or null.
    // 0, -1 (cannot open), -2 (port state not applicable)
    int Open(const char* device, const void* settings = nullptr) override;
    const char* ClassName() const override { return "wxSerialPort"; }
    int Ioctl(int code, void* value) override;
    bool IsOpen() const override { return fd_ >= 0; }
    int Read(char* buf, std::size_t n) override;
    int Write(const char* buf, std::size_t n) override;

    int ChangeLines(int mask) override;
    int ClearLines(int mask) override;
    int GetLines(int* result) override;
    int DescribeSettings(char* text, std::size_t size) override;
    int SendBreak(int n) override;
    int SetBaud(int rate) override;
    int SetLines(int mask) override;

private:
    int ModemBits(int set_mask, int clear_mask);
    int LineErrors();

    std::int32_t baud_ = 19200;
    std::int32_t parity_ = 0;
    std::uint8_t databits_ = 8, stopbits_ = 1, rtscts_ = 0, xonxoff_ = 0;
    char devname_[32] = {};
    int fd_ = -1;
    // Line-error counters (breaks, framing, overruns, parity) since Open and
    // the driver's counts at the last look.
    std::uint32_t errors_[4] = {};
    std::uint32_t seen_[4] = {};
    std::uint32_t fresh_[4] = {};
};

} // namespace qel
