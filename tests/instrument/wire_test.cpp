// The same driver calls over real descriptors: a pseudo-terminal served by
// pam-sim (serial back-end) and a TCP connection on loopback (socket back-end).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench_fixture.h"
#include "tests/support/pam_sim_process.h"
#include "platform/visa/ports.h"

namespace {

class Wire : public SimBench {
protected:
    void SetUp() override
    {
        SimBench::SetUp();
        sim::EnableSimulation(false);
    }
    void TearDown() override
    {
        SimBench::TearDown();
    }
};

// Driver calls that work on any session to a PAM-A.
void exercise(ViSession vi)
{
    EXPECT_EQ(PAMX_writeCmdwithOPCwait(vi, "*RST;*OPC?\n"), 1);
    EXPECT_EQ(PAMX_changeLanguage(vi, 1), 1);
    double v = 0;
    EXPECT_GE(PAMX_readMeasurement(vi, 0, &v), 0);
    EXPECT_DOUBLE_EQ(v, 230.0);
    ASSERT_EQ(PAMX_writeCmdwithOPCwait(vi, "FRMT PACKED;*OPC?\n"), 1);
    ASSERT_GE(PAMX_writeInstrData(vi, "UAC?;ITRMS?;FREQ?\n"), 0);
    unsigned char dest[12];
    ViInt32 count = 0;
    ViStatus st;
    double t0 = Timer();
    do st = PAMX_CreadInstrDataBinary(vi, sizeof dest, dest, &count);
    while (st == PAMX_NO_ANSWER && Timer() - t0 < 10);
    ASSERT_GE(st, 0);
    ASSERT_EQ(count, 12);
    float f[3];
    std::memcpy(f, dest, 12);
    EXPECT_FLOAT_EQ(f[0], 230.0f);
    EXPECT_FLOAT_EQ(f[1], 1.0f);
    EXPECT_FLOAT_EQ(f[2], 50.0f);
    EXPECT_EQ(PAMX_writeCmdwithOPCwaitB(vi, "FRMT ASCII;*OPC?\n"), 0);
    PAMX_writeInstrData(vi, "NOSUCH\n");
    ViInt32 code = 0;
    char text[256];
    EXPECT_EQ(PAMX_errorQuery(vi, &code, text), 0);
    EXPECT_EQ(code, -113);
    PAMX_setTimeout(vi, 1000);
    EXPECT_EQ(PAMX_flushInstrData(vi), 0);
}

TEST_F(Wire, DriverOverPseudoTerminal)
{
    PamSim sim({"--pty"});
    ASSERT_EQ(sim.line().rfind("/dev/", 0), 0u) << sim.line();
    visa::SetPortMapping(4, sim.line());
    ViSession vi = 0;
    ASSERT_EQ(PAMX_Check(0, 1, 4, 115200, 1, 1, &vi, 0), VI_SUCCESS);
    exercise(vi);
    EXPECT_EQ(PAMX_close(vi, 1), VI_SUCCESS);
    // The port is free again for the next open.
    ASSERT_EQ(PAMX_Check(0, 1, 4, 115200, 1, 1, &vi, 0), VI_SUCCESS);
    // A further session on the port (PAM-B: one session per channel) shares it.
    ViSession second = 0;
    ASSERT_EQ(PAMX_Check(0, 1, 4, 115200, 0, 1, &second, 0), VI_SUCCESS);
    char model[256];
    EXPECT_GE(PAMX_InstrumentQuery(second, model), 0);
    EXPECT_STREQ(model, "PAM-A");
    PAMX_close(second, 1);
    PAMX_close(vi, 1);
}

TEST_F(Wire, DriverOverPseudoTerminalOnVirtualClock)
{
    PamSim sim({"--pty", "--firmware", "0.980"});
    visa::SetPortMapping(4, sim.line());
    para.analyser = 4;
    ViSession vi = 0;
    ASSERT_EQ(PAMX_initSYS(0, 1, 4, 9600, 0, 0, &vi, 0), 1);
    EXPECT_EQ(PAMX_identify(vi, 0), -1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("is Version 0.980"), std::string::npos);
    EXPECT_EQ(PAMX_close(vi, 0), VI_SUCCESS);
}

TEST_F(Wire, DriverOverTcpLoopback)
{
    PamSim sim({"--tcp", "0"});
    int port = 0;
    ASSERT_EQ(std::sscanf(sim.line().c_str(), "127.0.0.1 %d", &port), 1) << sim.line();
    std::string name = "TCPIP::127.0.0.1::" + std::to_string(port) + "::SOCKET";
    ViSession vi = open(name);
    ViUInt16 intf = 0;
    viGetAttribute(vi, VI_ATTR_INTF_TYPE, &intf);
    EXPECT_EQ(intf, VI_INTF_TCPIP);
    viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, 1);
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, 5000);
    ViUInt16 stb = 0xFF;
    EXPECT_EQ(viReadSTB(vi, &stb), VI_SUCCESS);
    EXPECT_EQ(stb & 0x10, 0);
    EXPECT_GE(PAMX_DeviceClear(vi), 0);
    qelPAMX_setup_arrays();
    exercise(vi);
}

TEST_F(Wire, VanishedPeerGivesAnErrorNotAHang)
{
    auto tcp = std::make_unique<PamSim>(std::vector<std::string>{"--tcp", "0"});
    int port = 0;
    ASSERT_EQ(std::sscanf(tcp->line().c_str(), "127.0.0.1 %d", &port), 1);
    ViSession s = open("TCPIP::127.0.0.1::" + std::to_string(port) + "::SOCKET");
    auto pty = std::make_unique<PamSim>(std::vector<std::string>{"--pty"});
    visa::SetPortMapping(3, pty->line());
    ViSession p = 0;
    ASSERT_EQ(PAMX_initSYS(0, 1, 3, 9600, 0, 0, &p, 0), 1);
    tcp.reset();
    pty.reset();
    double t0 = Timer();
    EXPECT_LT(PAMX_writeCmdwithOPCwait(s, "*OPC?\n"), 0);
    EXPECT_LT(PAMX_writeCmdwithOPCwait(p, "*OPC?\n"), 0);
    EXPECT_LT(Timer() - t0, 25.0);
}

TEST_F(Wire, MiniPcInitGreetsOnTheFirstPort)
{
    int m = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(m, 0);
    ASSERT_EQ(grantpt(m), 0);
    ASSERT_EQ(unlockpt(m), 0);
    visa::SetPortMapping(1, ptsname(m));
    EXPECT_EQ(PAMX_MiniPC_init(3, 9600), VI_SUCCESS);
    char buf[16] = {};
    pollfd pf{m, POLLIN, 0};
    ASSERT_EQ(poll(&pf, 1, 1000), 1);
    EXPECT_EQ(read(m, buf, sizeof buf - 1), 6);
    EXPECT_STREQ(buf, "*idn?\r");
    close(m);
    visa::SetPortMapping(1, "/nonexistent/tty");
    EXPECT_EQ(PAMX_MiniPC_init(1, 9600), VI_ERROR_RSRC_NFOUND);
}

TEST_F(Wire, SilentPeerTimesOut)
{
    UseVirtualClock(false);
    PamSim sim({"--tcp", "0", "--no-answer"});
    int port = 0;
    ASSERT_EQ(std::sscanf(sim.line().c_str(), "127.0.0.1 %d", &port), 1);
    ViSession vi = open("TCPIP::127.0.0.1::" + std::to_string(port) + "::SOCKET");
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, 200);
    PAMX_writeInstrData(vi, "*IDN?\n");
    unsigned char buf[16];
    ViUInt32 n = 9;
    EXPECT_EQ(viRead(vi, buf, sizeof buf, &n), VI_ERROR_TMO);
    EXPECT_EQ(n, 0u);
}

}  // namespace
