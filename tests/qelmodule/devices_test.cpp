// Device classes of the qel module below the Python layer: serial port on a
// pseudo-terminal, GPIB device on the stand-in library, time-out timer.
#include "qelmodule/gpib.h"
#include "qelmodule/serialport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

using namespace qel;
using Clock = std::chrono::steady_clock;

namespace {

double Since(Clock::time_point t)
{
    return std::chrono::duration<double>(Clock::now() - t).count();
}

class Pty {
public:
    Pty()
    {
        char name[128];
        EXPECT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        termios t{};
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
        ::setenv("QEL_PORT_COM1", name, 1);
    }
    ~Pty()
    {
        ::close(master);
        ::close(slave);
        ::unsetenv("QEL_PORT_COM1");
    }
    void Send(const std::string& s) { ASSERT_EQ(::write(master, s.data(), s.size()), (ssize_t)s.size()); }
    speed_t Speed()
    {
        termios t{};
        ::tcgetattr(slave, &t);
        return ::cfgetospeed(&t);
    }
    int master = -1, slave = -1;
};

} // namespace

TEST(QelPortNames, MapToTtySUnlessNamed)
{
    ::unsetenv("QEL_PORT_COM1");
    EXPECT_EQ(ResolvePortName("COM1"), "/dev/ttyS0");
    EXPECT_EQ(ResolvePortName("COM12"), "/dev/ttyS11");
    EXPECT_EQ(ResolvePortName("COM0"), "");
    EXPECT_EQ(ResolvePortName("COMX"), "");
    EXPECT_EQ(ResolvePortName("LPT1"), "");
    ::setenv("QEL_PORT_COM2", "/dev/ttyUSB0", 1);
    EXPECT_EQ(ResolvePortName("COM2"), "/dev/ttyUSB0");
    ::unsetenv("QEL_PORT_COM2");
}

TEST(QelSerialPort, ReadEosDropsBrokenPartialMatches)
{
    Pty pty;
    wxSerialPort port;
    ASSERT_EQ(port.Open("COM1"), 0);
    EXPECT_STREQ(port.ClassName(), "wxSerialPort");
    std::string got;
    pty.Send("A\rB\r\n");
    EXPECT_EQ(port.ReadEos(got, "\r\n", 500), 1);
    EXPECT_EQ(got, "AB");
    pty.Send("X\r\r\nnext\r\n");
    EXPECT_EQ(port.ReadEos(got, "\r\n", 500), 1);
    EXPECT_EQ(got, "X");
    EXPECT_EQ(port.ReadEos(got, "\r\n", 500), 1);
    EXPECT_EQ(got, "next");
    pty.Send(std::string("zero\0after", 10));
    EXPECT_EQ(port.ReadEos(got, "", 500), 1);   // empty eos: a zero byte
    EXPECT_EQ(got, "zero");
    auto start = Clock::now();
    EXPECT_EQ(port.ReadEos(got, "\n", 0), 0);   // 0 ms counts as 1 ms
    EXPECT_LT(Since(start), 0.2);
    EXPECT_EQ(got, "after");
}

TEST(QelSerialPort, SettingsBaudAndBreak)
{
    Pty pty;
    wxSerialPort port;
    SerialSettings s;
    s.baud = 9600;
    ASSERT_EQ(port.Open("COM1", &s), 0);
    char text[64];
    port.DescribeSettings(text, sizeof text);
    EXPECT_STREQ(text, "8N1 9600 COM1");
    EXPECT_EQ(pty.Speed(), B9600);
    EXPECT_EQ(port.SetBaud(12345), -1);
    EXPECT_EQ(pty.Speed(), B9600);
    EXPECT_EQ(port.SetBaud(460800), 0);
    EXPECT_EQ(pty.Speed(), B460800);
    for (int n : {0, -3}) {
        auto start = Clock::now();
        EXPECT_EQ(port.SendBreak(n), 0);
        EXPECT_GE(Since(start), 0.25);
    }
    pty.Send("abc");
    ::usleep(20000);
    EXPECT_EQ(port.Ioctl(261, nullptr), 3);     // bytes waiting
    EXPECT_EQ(port.Ioctl(517, nullptr), -1);    // no time-out control on a serial port
    EXPECT_EQ(port.Ioctl(999, nullptr), -1);
    int lines = -7;
    EXPECT_EQ(port.GetLines(&lines), -1);       // a pseudo-terminal has no modem lines
    EXPECT_EQ(lines, -7);
    EXPECT_EQ(port.Close(), 0);
    EXPECT_EQ(port.Close(), 0);
    EXPECT_FALSE(port.IsOpen());
    char c;
    EXPECT_EQ(port.Read(&c, 1), -1);
    EXPECT_EQ(port.Write("x", 1), -1);
    EXPECT_EQ(port.SetBaud(9600), -1);
}

TEST(QelSerialPort, OpenFailures)
{
    wxSerialPort port;
    ::setenv("QEL_PORT_COM1", "/nonexistent/tty", 1);
    EXPECT_EQ(port.Open("COM1"), -1);
    ::setenv("QEL_PORT_COM1", "/dev/null", 1);  // not a terminal
    EXPECT_LT(port.Open("COM1"), 0);
    ::unsetenv("QEL_PORT_COM1");
    EXPECT_FALSE(port.IsOpen());
}

TEST(QelTimer, FiresOnceAndStops)
{
    Flag flag{0};
    int calls = 0;
    OneShotTimer timer(20, &flag, [&] { ++calls; });
    timer.Start();
    while (!flag.load())
        Pause(1);
    EXPECT_EQ(calls, 1);
    flag.store(0);
    timer.Start(50);
    timer.Stop();
    Pause(80);
    EXPECT_EQ(flag.load(), 0);
    EXPECT_EQ(calls, 1);
}

TEST(QelGpib, TimeoutCodesAndNames)
{
    EXPECT_EQ(GpibTimeoutCode(0), 0);
    EXPECT_EQ(GpibTimeoutCode(1), 0);
    EXPECT_EQ(GpibTimeoutCode(2), 5);
    EXPECT_EQ(GpibTimeoutCode(10), 6);
    EXPECT_EQ(GpibTimeoutCode(11), 7);
    EXPECT_EQ(GpibTimeoutCode(1000), 10);
    EXPECT_EQ(GpibTimeoutCode(1001), 11);
    EXPECT_EQ(GpibTimeoutCode(5000), 12);
    EXPECT_EQ(GpibTimeoutCode(1000000), 16);
    EXPECT_EQ(GpibTimeoutCode(1000001), 17);
    EXPECT_STREQ(GpibTimeoutName(12), "3s");
    EXPECT_STREQ(GpibErrorMnemonic(0), "EDVR");
    EXPECT_STREQ(GpibErrorMnemonic(255), "EBRK");
    EXPECT_EQ(GpibErrorMnemonic(8), nullptr);
}

TEST(QelGpib, DeviceOnTheStandIn)
{
    ::setenv("QEL_GPIB_LIBRARY", ORIVAN_BINARY_DIR "/python/libqel_gpib_standin.so", 1);
    ::setenv("QEL_STANDIN_LISTENERS", "5,9", 1);
    ::setenv("QEL_STANDIN_INSTRUMENT", "tiny", 1);
    ASSERT_TRUE(GpibDriverLoaded());
    wxGPIB dev;
    EXPECT_STREQ(dev.ClassName(), "wxGPIB");
    GpibSettings s;
    s.pad = 7;
    EXPECT_EQ(dev.Open("gpib3", &s), -1);
    EXPECT_EQ(dev.Open("gpib1", &s), -3);       // nobody at 7
    s.pad = 31;
    EXPECT_EQ(dev.Open("gpib2", &s), -2);       // the driver refuses the address
    EXPECT_FALSE(dev.IsOpen());
    int value = 42;
    EXPECT_EQ(dev.Ioctl(513, &value), 1);       // closed: no poll, value untouched
    EXPECT_EQ(value, 42);
    EXPECT_EQ(dev.Ioctl(0, nullptr), -1);
    EXPECT_EQ(dev.Ioctl(518, nullptr), -1);

    s.pad = 9;
    s.tmo = 40;                                  // limited to 17
    ASSERT_EQ(dev.Open("gpib1", &s), 0);
    char text[64];
    dev.DescribeSettings(text, sizeof text);
    EXPECT_STREQ(text, "Adr: (9,0) to:1000s GPIB0");
    EXPECT_EQ(dev.Ioctl(520, nullptr), -1);
    EXPECT_EQ(dev.Ioctl(256, nullptr), -1);
    ASSERT_EQ(dev.WriteAll("*IDN?", 5, nullptr, true), 5u);
    std::string reply;
    EXPECT_EQ(dev.ReadEos(reply, "\n", 1000), 1);
    EXPECT_EQ(reply, "QEL,GPIB STAND-IN,9,1.0");
    // A read for one byte of a longer reply hands the rest out later.
    ASSERT_EQ(dev.WriteAll("ECHO abc", 8, nullptr, true), 8u);
    Flag flag{0};
    OneShotTimer timer(1000, &flag);
    timer.Start();
    char buf[8] = {};
    EXPECT_EQ(dev.ReadExact(buf, 1, &flag, true), 1u);
    EXPECT_EQ(dev.Read(buf + 1, 7), 3);
    EXPECT_STREQ(buf, "abc\n");
    EXPECT_EQ(dev.Status() & GPIB_END, GPIB_END);
    // A failed read leaves the driver's error for Ioctl 515 and GetErrorName.
    ASSERT_EQ(dev.WriteAll("FAIL", 4, nullptr, true), 4u);
    ASSERT_EQ(dev.WriteAll("*IDN?", 5, nullptr, true), 5u);
    EXPECT_EQ(dev.ReadEos(reply, "\n", 1000), -1);
    int err = -1;
    EXPECT_EQ(dev.Ioctl(515, &err), 0);
    EXPECT_EQ(err, EABO);
    EXPECT_EQ(dev.GetErrorName(text, sizeof text), 4);
    EXPECT_STREQ(text, "EABO");
    EXPECT_EQ(dev.Close(), 0);
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_EQ(dev.Read(buf, 1), -1);
}
