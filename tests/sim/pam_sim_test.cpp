// pam-sim as a program: its options, and a PAM-C with a three-phase drive
// served on a TCP port, read cycle after cycle through the VISA layer.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "instrument/pamx.h"
#include "platform/clock.h"
#include "platform/visa/backend.h"
#include "platform/visa/visa.h"
#include "state/reset.h"

namespace {

// pam-sim as a child; `out` collects its standard output (and error) up to
// the first line, or everything when it exits by itself.
struct Child {
    pid_t pid = -1;
    std::string out;
    int status = -1;

    explicit Child(const std::vector<std::string>& args, bool first_line_only)
    {
        int p[2];
        if (pipe(p) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(p[1], 1);
            dup2(p[1], 2);
            close(p[0]);
            close(p[1]);
            std::string prog = ORIVAN_BINARY_DIR "/bin/pam-sim";
            std::vector<char*> argv{const_cast<char*>(prog.c_str())};
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(prog.c_str(), argv.data());
            _exit(127);
        }
        close(p[1]);
        char c;
        while (read(p[0], &c, 1) == 1) {
            if (first_line_only && c == '\n') break;
            out += c;
        }
        close(p[0]);
        if (!first_line_only) {
            waitpid(pid, &status, 0);
            pid = -1;
        }
    }
    ~Child()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

TEST(PamSim, ListsTheModelsAndRefusesBadOptions)
{
    Child list({"--list-eut"}, false);
    EXPECT_TRUE(WIFEXITED(list.status) && WEXITSTATUS(list.status) == 0);
    for (const char* name : {"heater", "smps", "dimmer", "led", "drive", "cycling", "fluct"})
        EXPECT_NE(list.out.find(std::string(name) + " "), std::string::npos) << name;

    Child eut({"--tcp", "0", "--eut", "kettle"}, false);
    EXPECT_TRUE(WIFEXITED(eut.status) && WEXITSTATUS(eut.status) == 2);
    EXPECT_NE(eut.out.find("kettle"), std::string::npos) << eut.out;
    Child mains({"--tcp", "0", "--mains", "230"}, false);
    EXPECT_TRUE(WIFEXITED(mains.status) && WEXITSTATUS(mains.status) == 2);
    Child speed({"--tcp", "0", "--speed", "fast"}, false);
    EXPECT_TRUE(WIFEXITED(speed.status) && WEXITSTATUS(speed.status) == 2);

    // Asking for help is no error, for the server and the flicker run alike.
    Child help({"--help"}, false);
    EXPECT_TRUE(WIFEXITED(help.status) && WEXITSTATUS(help.status) == 0) << help.out;
    EXPECT_EQ(help.out.rfind("usage: pam-sim --pty|--tcp PORT", 0), 0u) << help.out;
    Child fhelp({"flicker", "-h"}, false);
    EXPECT_TRUE(WIFEXITED(fhelp.status) && WEXITSTATUS(fhelp.status) == 0) << fhelp.out;
    EXPECT_EQ(fhelp.out.rfind("usage: pam-sim flicker --fluctuation", 0), 0u) << fhelp.out;
}

TEST(PamSim, FlickerVerificationPoints)
{
    // Two one-minute periods of the rectangular point (a periodic change has
    // the ten-minute statistics in every minute) and the 120 V lamp's sine point.
    Child rect({"flicker", "--fluctuation", "rect:cpm=110,du=0.722", "--minutes", "1", "--periods", "2"}, false);
    ASSERT_TRUE(WIFEXITED(rect.status) && WEXITSTATUS(rect.status) == 0) << rect.out;
    double pst1 = 0, pst2 = 0, plt = 0;
    size_t p1 = rect.out.find("Pst 1: "), p2 = rect.out.find("Pst 2: "), pl = rect.out.find("Plt: ");
    ASSERT_TRUE(p1 != std::string::npos && p2 != std::string::npos && pl != std::string::npos) << rect.out;
    ASSERT_EQ(std::sscanf(rect.out.c_str() + p1, "Pst 1: %lf", &pst1), 1);
    ASSERT_EQ(std::sscanf(rect.out.c_str() + p2, "Pst 2: %lf", &pst2), 1);
    ASSERT_EQ(std::sscanf(rect.out.c_str() + pl, "Plt: %lf", &plt), 1);
    EXPECT_NEAR(pst1, 1.0, 0.05);
    EXPECT_NEAR(pst2, 1.0, 0.05);
    EXPECT_NEAR(plt, 1.0, 0.05);

    Child sine({"flicker", "--fluctuation", "sine:hz=8.8,du=0.321", "--lamp", "120/60", "--minutes", "1"}, false);
    ASSERT_TRUE(WIFEXITED(sine.status) && WEXITSTATUS(sine.status) == 0) << sine.out;
    double pinst = 0;
    size_t pm = sine.out.find("Pinst,max: ");
    ASSERT_NE(pm, std::string::npos) << sine.out;
    ASSERT_EQ(std::sscanf(sine.out.c_str() + pm, "Pinst,max: %lf", &pinst), 1);
    EXPECT_NEAR(pinst, 1.0, 0.08);
    EXPECT_NE(sine.out.find("120 V / 60 Hz"), std::string::npos);

    for (std::vector<std::string> bad : {std::vector<std::string>{"flicker", "--lamp", "100/50"},
                                          std::vector<std::string>{"flicker", "--fluctuation", "rect:cpm=x"},
                                          std::vector<std::string>{"flicker"}}) {
        Child c(bad, false);
        EXPECT_TRUE(WIFEXITED(c.status) && WEXITSTATUS(c.status) == 2) << c.out;
        EXPECT_EQ(c.out.rfind("pam-sim flicker: ", 0), 0u) << c.out;
    }
}

TEST(PamSim, ThreeChannelAnalyserOverTcpAsFastAsRead)
{
    ResetProgramState();
    Child sim({"--tcp", "0", "--model", "PAM-C", "--eut", "drive:power=10000", "--speed", "max"}, true);
    int port = 0;
    ASSERT_EQ(std::sscanf(sim.out.c_str(), "127.0.0.1 %d", &port), 1) << sim.out;
    ViSession rm = 0, vi = 0;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    std::string name = "TCPIP::127.0.0.1::" + std::to_string(port) + "::SOCKET";
    ASSERT_EQ(viOpen(rm, name.c_str(), 0, 0, &vi), VI_SUCCESS);
    viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, 1);
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, 5000);
    auto line = [&](const std::string& cmd) {
        ViUInt32 n = 0;
        if (!cmd.empty()) viWrite(vi, reinterpret_cast<ViConstBuf>(cmd.data()), ViUInt32(cmd.size()), &n);
        char buf[512] = {};
        viRead(vi, reinterpret_cast<ViBuf>(buf), sizeof buf - 1, &n);
        return std::string(buf, n);
    };
    EXPECT_NE(line("*IDN?\n").find(",PAM-C,"), std::string::npos);
    line("SENS:CURR:RANG1 30;SENS:CURR:RANG2 30;SENS:CURR:RANG3 30;*OPC?\n");
    double i5[3];
    std::string h = line("HIAM1? (5:5);HIAM2? (5:5);HIAM3? (5:5)\n");
    ASSERT_EQ(std::sscanf(h.c_str(), "%lf;%lf;%lf", &i5[0], &i5[1], &i5[2]), 3) << h;
    EXPECT_GT(i5[0], 1.0);
    EXPECT_NEAR(i5[1], i5[0], 0.02 * i5[0]);
    EXPECT_NEAR(i5[2], i5[0], 0.02 * i5[0]);

    // Continuous answers, one per cycle, counting without gaps.
    double c0 = -1;
    std::string first = line("ACTN;COUNT?\n");
    ViUInt32 n = 0;
    viWrite(vi, reinterpret_cast<ViConstBuf>("CONT ON\n"), 8, &n);
    ASSERT_EQ(std::sscanf(first.c_str(), "%lf", &c0), 1);
    double last = -1;
    for (int k = 0; k < 20; ++k) {
        std::string a = line("");
        double c = -1;
        ASSERT_EQ(std::sscanf(a.c_str(), "%lf", &c), 1) << a;
        if (last >= 0) {
            EXPECT_EQ(c, last + 1);
        }
        last = c;
    }
    viWrite(vi, reinterpret_cast<ViConstBuf>("CONT OFF\n"), 9, &n);
    viClose(vi);
    viClose(rm);
    ResetProgramState();
}

}  // namespace
