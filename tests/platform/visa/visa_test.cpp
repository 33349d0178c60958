// The VISA layer: resource names, attributes, termination and time-outs,
// the serial back-end on a real pseudo-terminal, the GPIB loader.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/clock.h"
#include "platform/gpib/linux_gpib.h"
#include "platform/visa/backend.h"
#include "platform/visa/ports.h"
#include "platform/visa/visa.h"
#include "sim/bench.h"
#include "state/reset.h"

namespace {

TEST(VisaResource, NamesOfEveryInterface)
{
    visa::Resource r;
    ASSERT_TRUE(visa::ParseResource("GPIB::5", &r));
    EXPECT_EQ(r.kind, visa::Resource::Gpib);
    EXPECT_EQ(r.number, 5);
    EXPECT_EQ(r.canonical, "GPIB0::5::INSTR");
    ASSERT_TRUE(visa::ParseResource("gpib1::12::3::instr", &r));
    EXPECT_EQ(r.board, 1);
    EXPECT_EQ(r.secondary, 3);
    ASSERT_TRUE(visa::ParseResource("ASRL3::INSTR", &r));
    EXPECT_EQ(r.kind, visa::Resource::Asrl);
    EXPECT_EQ(r.number, 3);
    ASSERT_TRUE(visa::ParseResource("TCPIP::LocalHost::5025::SOCKET", &r));
    EXPECT_EQ(r.kind, visa::Resource::Tcpip);
    EXPECT_EQ(r.host, "LocalHost");
    EXPECT_EQ(r.port, 5025);
    ASSERT_TRUE(visa::ParseResource("SIMGPIB::7", &r));
    EXPECT_TRUE(r.sim);
    EXPECT_EQ(r.canonical, "GPIB0::7::INSTR");
    EXPECT_EQ(r.given, "SIMGPIB::7");

    for (const char* bad : {"", "GPIB::", "GPIB::31", "GPIB::5::INSTR::X", "GPIB::-1", "ASRL0::INSTR", "ASRL::INSTR",
                            "ASRL3::SOCKET", "TCPIP::host::SOCKET", "TCPIP::host::0::SOCKET", "TCPIP::h::99999::SOCKET",
                            "USB::1::2::INSTR", "GPIB::12345678901"})
        EXPECT_FALSE(visa::ParseResource(bad, &r)) << bad;
}

TEST(Status, WarningsAreSuccessesAndEveryCodeHasAText)
{
    EXPECT_GT(VI_SUCCESS_TERM_CHAR, 0);
    EXPECT_GT(VI_SUCCESS_MAX_CNT, 0);
    EXPECT_LT(VI_ERROR_TMO, 0);
    EXPECT_EQ(sizeof(ViSession), 4u);
    EXPECT_EQ(sizeof(ViStatus), 4u);
    char desc[256];
    EXPECT_EQ(viStatusDesc(0, VI_ERROR_TMO, desc), VI_SUCCESS);
    EXPECT_NE(std::strstr(desc, "Timeout"), nullptr);
    EXPECT_EQ(viStatusDesc(0, VI_ERROR_LIBRARY_NFOUND, desc), VI_SUCCESS);
    EXPECT_NE(std::strstr(desc, "No GPIB driver is installed"), nullptr);
    viStatusDesc(0, ViStatus(0xBFFF7777), desc);
    EXPECT_STREQ(desc, "Unknown status code 0xBFFF7777.");
}

TEST(Gpib, MissingLibraryGivesACleanStatus)
{
    gpib::SetLibraryPath("/nonexistent/libgpib.so.0");
    ViSession rm = 0, vi = 0;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    EXPECT_EQ(viOpen(rm, "GPIB::5::INSTR", 0, 0, &vi), VI_ERROR_LIBRARY_NFOUND);
    EXPECT_EQ(vi, 0u);
    viClose(rm);
    gpib::SetLibraryPath(nullptr);
}

TEST(Gpib, TimeoutsRoundUpToTheNextCode)
{
    EXPECT_EQ(gpib::TimeoutCode(1), 5);       // 1 ms
    EXPECT_EQ(gpib::TimeoutCode(2), 6);       // 3 ms
    EXPECT_EQ(gpib::TimeoutCode(1000), 11);   // 1 s
    EXPECT_EQ(gpib::TimeoutCode(5000), 13);   // 10 s
    EXPECT_EQ(gpib::TimeoutCode(10000), 13);
    EXPECT_EQ(gpib::TimeoutCode(10001), 14);
    EXPECT_EQ(gpib::TimeoutCode(5000000), 17);
    EXPECT_EQ(gpib::TimeoutCode(0xFFFFFFFFu), 0);
}

TEST(Ports, MappingFromIniAndOptions)
{
    ResetProgramState();
    EXPECT_EQ(visa::SerialDevicePath(1), "/dev/ttyS0");
    std::string ini = std::string(ORIVAN_BINARY_DIR) + "/test_ports.ini";
    {
        std::ofstream f(ini);
        f << "[ports]\n; comment\n2 = /dev/ttyUSB0   # adapter\nx=/dev/bad\n0=/dev/zero\n3=\n";
    }
    EXPECT_EQ(visa::LoadPortsIni(ini), 1);
    EXPECT_EQ(visa::SerialDevicePath(2), "/dev/ttyUSB0");
    EXPECT_EQ(visa::LoadPortsIni(ini + ".missing"), -1);

    char a0[] = "orivan", a1[] = "--port", a2[] = "2=/dev/pts/9", a3[] = "file.qel", a4[] = "--port=4=/dev/ttyACM0";
    char* argv[] = {a0, a1, a2, a3, a4, nullptr};
    int argc = 5;
    std::string err;
    ASSERT_TRUE(visa::ParsePortOptions(&argc, argv, &err)) << err;
    EXPECT_EQ(argc, 2);
    EXPECT_STREQ(argv[1], "file.qel");
    EXPECT_EQ(visa::SerialDevicePath(2), "/dev/pts/9");  // the option wins
    EXPECT_EQ(visa::SerialDevicePath(4), "/dev/ttyACM0");

    char b1[] = "--port", b2[] = "two=/dev/x";
    char* bad[] = {a0, b1, b2, nullptr};
    argc = 3;
    EXPECT_FALSE(visa::ParsePortOptions(&argc, bad, &err));
    EXPECT_NE(err.find("two=/dev/x"), std::string::npos);
    ResetProgramState();
    std::remove(ini.c_str());
}

// Sessions on the in-process simulator.
class SimSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        sim::InstallVisaSimulator();
        UseVirtualClock(true);
        ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    }
    void TearDown() override
    {
        ResetProgramState();
    }
    ViSession open(const char* name)
    {
        ViSession vi = 0;
        EXPECT_EQ(viOpen(rm, name, 0, 0, &vi), VI_SUCCESS) << name;
        return vi;
    }
    ViStatus write(ViSession vi, const std::string& s)
    {
        ViUInt32 n;
        return viWrite(vi, reinterpret_cast<ViConstBuf>(s.data()), ViUInt32(s.size()), &n);
    }
    ViSession rm = 0;
};

TEST_F(SimSession, ReadEndsAtEndTermCharOrCount)
{
    ViSession vi = open("SIMGPIB::3");
    unsigned char buf[256];
    ViUInt32 n = 0;
    write(vi, "*IDN?;*IDN?\n");
    // Without the term char the read ends at END: the whole line.
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_SUCCESS);
    EXPECT_EQ(buf[n - 1], '\n');

    viSetAttribute(vi, VI_ATTR_TERMCHAR, ',');
    viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, 1);
    write(vi, "*IDN?\n");
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_SUCCESS_TERM_CHAR);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), "QEL KORVEL Darezorovi Systems GmbH,");
    EXPECT_EQ(viRead(vi, buf, 3, &n), VI_SUCCESS_MAX_CNT);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), "PAM");
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_SUCCESS_TERM_CHAR);  // "-A,"
    viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, 0);
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), "SIM00003,2.510\n");
}

TEST_F(SimSession, TimeoutFollowsTheVirtualClock)
{
    ViSession vi = open("SIMGPIB::3");
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, 10000);
    unsigned char buf[8];
    ViUInt32 n = 5;
    double t0 = Timer();
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_ERROR_TMO);
    EXPECT_EQ(n, 0u);
    EXPECT_NEAR(Timer() - t0, 10.0, 0.05);
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, VI_TMO_IMMEDIATE);
    t0 = Timer();
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_ERROR_TMO);
    EXPECT_LT(Timer() - t0, 0.01);
}

TEST_F(SimSession, SessionsOnOneAddressShareTheDevice)
{
    ViSession a = open("SIMGPIB::4"), b = open("SIMGPIB0::4::INSTR");
    write(a, "*IDN?\n");
    ViUInt16 stb = 0;
    EXPECT_EQ(viReadSTB(b, &stb), VI_SUCCESS);
    EXPECT_EQ(stb & 0x10, 0x10);
    unsigned char buf[64];
    ViUInt32 n;
    EXPECT_EQ(viRead(b, buf, sizeof buf, &n), VI_SUCCESS);
    EXPECT_GT(n, 10u);
    EXPECT_EQ(viReadSTB(a, &stb), VI_SUCCESS);
    EXPECT_EQ(stb & 0x10, 0);
}

TEST_F(SimSession, AttributesKnowTheirInterface)
{
    ViSession g = open("SIMGPIB::4"), s = open("SIMASRL2::INSTR");
    ViUInt16 intf = 0;
    viGetAttribute(g, VI_ATTR_INTF_TYPE, &intf);
    EXPECT_EQ(intf, VI_INTF_GPIB);
    viGetAttribute(s, VI_ATTR_INTF_TYPE, &intf);
    EXPECT_EQ(intf, VI_INTF_ASRL);
    EXPECT_EQ(viSetAttribute(g, VI_ATTR_ASRL_BAUD, 9600), VI_ERROR_NSUP_ATTR);
    EXPECT_EQ(viSetAttribute(s, VI_ATTR_ASRL_BAUD, 9600), VI_SUCCESS);
    EXPECT_EQ(viSetAttribute(s, VI_ATTR_ASRL_END_OUT, 7), VI_ERROR_NSUP_ATTR_STATE);
    EXPECT_EQ(viSetAttribute(s, VI_ATTR_INTF_TYPE, 1), VI_ERROR_ATTR_READONLY);
    EXPECT_EQ(viSetAttribute(s, VI_ATTR_TERMCHAR, 300), VI_ERROR_NSUP_ATTR_STATE);
    char name[256];
    viGetAttribute(s, VI_ATTR_RSRC_NAME, name);
    EXPECT_STREQ(name, "ASRL2::INSTR");
    ViSession owner = 0;
    viGetAttribute(s, VI_ATTR_RM_SESSION, &owner);
    EXPECT_EQ(owner, rm);
    ViInt16 dtr = 0;
    EXPECT_EQ(viGetAttribute(s, VI_ATTR_ASRL_DTR_STATE, &dtr), VI_SUCCESS);
    EXPECT_EQ(dtr, VI_STATE_ASSERTED);
    EXPECT_EQ(viSetBuf(s, 0x100, 10), VI_ERROR_INV_MASK);
    // Closing the resource manager closes its sessions.
    EXPECT_EQ(viClose(rm), VI_SUCCESS);
    EXPECT_EQ(viGetAttribute(g, VI_ATTR_INTF_TYPE, &intf), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
}

TEST_F(SimSession, SimulationSwitchRoutesPlainNames)
{
    ViSession vi = 0;
    EXPECT_EQ(viOpen(rm, "SIMUSB::1", 0, 0, &vi), VI_ERROR_INV_RSRC_NAME);
    visa::SetSimulate(true);
    vi = open("ASRL9::INSTR");
    write(vi, "*IDN?\n");
    ViUInt32 avail = 0;
    EXPECT_EQ(viGetAttribute(vi, VI_ATTR_ASRL_AVAIL_NUM, &avail), VI_SUCCESS);
    EXPECT_GT(avail, 10u);
    EXPECT_EQ(viFlush(vi, VI_ASRL_IN_BUF), VI_SUCCESS);
    viGetAttribute(vi, VI_ATTR_ASRL_AVAIL_NUM, &avail);
    EXPECT_EQ(avail, 0u);
}

TEST_F(SimSession, BreakAfterWriteClearsTheSerialAnalyser)
{
    ViSession vi = open("SIMASRL1::INSTR");
    auto dev = sim::DeviceAt("ASRL1::INSTR");
    dev->language = 2;
    write(vi, "*IDN?");  // no line feed: stays in the analyser's input
    viSetAttribute(vi, VI_ATTR_ASRL_END_OUT, VI_ASRL_END_BREAK);
    double t0 = Timer();
    write(vi, " ");
    EXPECT_GE(Timer() - t0, 0.25);  // default break length 250 ms
    viSetAttribute(vi, VI_ATTR_ASRL_END_OUT, VI_ASRL_END_NONE);
    EXPECT_EQ(dev->language, 1);
    write(vi, "\n");
    ViUInt32 avail = 1;
    viGetAttribute(vi, VI_ATTR_ASRL_AVAIL_NUM, &avail);
    EXPECT_EQ(avail, 0u);  // the partial command was discarded
}

// The serial back-end on a pseudo-terminal whose other end the test holds.
class SerialLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        visa::SetPortMapping(6, ptsname(master));
        ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
        ASSERT_EQ(viOpen(rm, "ASRL6::INSTR", 0, 0, &vi), VI_SUCCESS);
        viSetAttribute(vi, VI_ATTR_TMO_VALUE, 300);
    }
    void TearDown() override
    {
        ResetProgramState();
        close(master);
    }
    void peer_says(const std::string& s) { ASSERT_EQ(::write(master, s.data(), s.size()), ssize_t(s.size())); }
    std::string peer_hears()
    {
        std::string got;
        char b[256];
        pollfd p{master, POLLIN, 0};
        while (poll(&p, 1, 100) == 1) {
            ssize_t n = ::read(master, b, sizeof b);
            if (n <= 0) break;
            got.append(b, size_t(n));
        }
        return got;
    }
    int master = -1;
    ViSession rm = 0, vi = 0;
};

TEST_F(SerialLine, BytesAfterTheTerminatorWaitForTheNextRead)
{
    unsigned char buf[64];
    ViUInt32 n = 0;
    peer_says("first\nsecond\nthi");
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_SUCCESS);  // end of input on the term char
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), "first\n");
    ViUInt32 avail = 0;
    EXPECT_EQ(viGetAttribute(vi, VI_ATTR_ASRL_AVAIL_NUM, &avail), VI_SUCCESS);
    EXPECT_EQ(avail, 10u);
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), "second\n");
    // The rest has no terminator: the read times out with what came.
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_ERROR_TMO);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), "thi");
    // Without an end of input a read runs to its count.
    viSetAttribute(vi, VI_ATTR_ASRL_END_IN, VI_ASRL_END_NONE);
    peer_says("ab\ncd");
    EXPECT_EQ(viRead(vi, buf, 4, &n), VI_SUCCESS_MAX_CNT);
    EXPECT_EQ(n, 4u);
}

TEST_F(SerialLine, WritesReachThePeerAndSettingsApply)
{
    EXPECT_EQ(viSetAttribute(vi, VI_ATTR_ASRL_BAUD, 115200), VI_SUCCESS);
    EXPECT_EQ(viSetAttribute(vi, VI_ATTR_ASRL_BAUD, 12345), VI_ERROR_NSUP_ATTR_STATE);
    EXPECT_EQ(viSetAttribute(vi, VI_ATTR_ASRL_FLOW_CNTRL, VI_ASRL_FLOW_RTS_CTS), VI_SUCCESS);
    ViUInt32 baud = 0;
    viGetAttribute(vi, VI_ATTR_ASRL_BAUD, &baud);
    EXPECT_EQ(baud, 115200u);
    ViUInt32 n = 0;
    EXPECT_EQ(viWrite(vi, reinterpret_cast<ViConstBuf>("*IDN?\n"), 6, &n), VI_SUCCESS);
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(peer_hears(), "*IDN?\n");
    // A break cannot be sent on a pseudo-terminal; the write still succeeds.
    viSetAttribute(vi, VI_ATTR_ASRL_END_OUT, VI_ASRL_END_BREAK);
    EXPECT_EQ(viWrite(vi, reinterpret_cast<ViConstBuf>(" "), 1, &n), VI_SUCCESS);
}

TEST_F(SerialLine, FlushDiscardsReceivedInput)
{
    peer_says("stale answer\n");
    usleep(20000);
    EXPECT_EQ(viFlush(vi, VI_ASRL_IN_BUF), VI_SUCCESS);
    unsigned char buf[64];
    ViUInt32 n = 0;
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_ERROR_TMO);
    EXPECT_EQ(n, 0u);
}

TEST_F(SerialLine, SessionsShareThePortOtherProgramsAreKeptOff)
{
    ViSession other = 0;
    ASSERT_EQ(viOpen(rm, "ASRL6::INSTR", 0, 0, &other), VI_SUCCESS);
    viSetAttribute(other, VI_ATTR_TMO_VALUE, 300);
    peer_says("one\ntwo\n");
    unsigned char buf[16];
    ViUInt32 n = 0;
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), "one\n");
    EXPECT_EQ(viRead(other, buf, sizeof buf, &n), VI_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), n), "two\n");

    int outside = ::open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(outside, 0);
    EXPECT_NE(flock(outside, LOCK_EX | LOCK_NB), 0);
    viClose(vi);
    EXPECT_NE(flock(outside, LOCK_EX | LOCK_NB), 0);  // still held by the other session
    viClose(other);
    EXPECT_EQ(flock(outside, LOCK_EX | LOCK_NB), 0);
    close(outside);

    visa::SetPortMapping(7, "/dev/null");
    EXPECT_EQ(viOpen(rm, "ASRL7::INSTR", 0, 0, &other), VI_ERROR_RSRC_NFOUND);  // not a terminal
}

}  // namespace
