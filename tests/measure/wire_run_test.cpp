// The same run against pam-sim over a real pseudo-terminal and over TCP
// loopback (the serial port mapped to the socket), on the real clock.
#include "tests/measure/run_fixture.h"

#include <cstdio>

#include "platform/visa/ports.h"
#include "tests/support/pam_sim_process.h"

namespace {

struct WireRun : RunFixture {
    void SetUp() override
    {
        RunFixture::SetUp();
        reset_clock();   // pam-sim measures on the real clock
    }
    void TearDown() override
    {
        visa::reset_ports();
        RunFixture::TearDown();
    }
    // A single-phase class D test of 6 s at ten times the speed.
    Para SetUp250W()
    {
        Para p = HarmonicSetUp(4, 1, 3, 3, 6);
        p.if_gpib = 0;
        p.com_port = 1;
        p.baudrate = 115200;
        p.ctrl_power[0] = 250;
        return p;
    }
    void RunOver(const std::string& device, const Para& p)
    {
        visa::SetPortMapping(1, device);
        Confirm(p);
        SetRunSpeed(10);
        Start();
        ASSERT_TRUE(RunActive()) << (Errors().empty() ? "" : Errors()[0]);
        Run(30);
        ASSERT_FALSE(RunActive());
        EXPECT_TRUE(Errors().empty()) << Errors()[0];
    }
    void ExpectClassDFailure()
    {
        const int32_t C = Count();
        EXPECT_GE(C, 25);
        EXPECT_LE(C, 33);
        EXPECT_EQ(FileBytes().size(), size_t(4044 + C * 460));
        EXPECT_FALSE(LastLoadReport().interrupted);
        int iall = -1;
        GetCtrlVal(results, RESULTS_IALL1, &iall);
        EXPECT_EQ(iall, 1);
        EXPECT_TRUE(buf_result[0].higf & HIGF_FAIL);
        EXPECT_NEAR(buf_result[0].hpm, 250, 15);
    }
};

}  // namespace

TEST_F(WireRun, ClassDTestOverAPseudoTerminal)
{
    PamSim sim({"--pty", "--model", "PAM-A", "--eut", "smps:power=250", "--speed", "10"});
    ASSERT_EQ(sim.line().rfind("/dev/", 0), 0u) << sim.line();
    RunOver(sim.line(), SetUp250W());
    ExpectClassDFailure();
}

TEST_F(WireRun, ClassDTestOverTcpLoopback)
{
    PamSim sim({"--tcp", "0", "--model", "PAM-A", "--eut", "smps:power=250", "--speed", "10"});
    int port = 0;
    ASSERT_EQ(std::sscanf(sim.line().c_str(), "127.0.0.1 %d", &port), 1) << sim.line();
    RunOver("TCPIP::127.0.0.1::" + std::to_string(port) + "::SOCKET", SetUp250W());
    ExpectClassDFailure();
}
