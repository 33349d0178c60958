// pam-sim: one simulated power analyser on a pseudo-terminal or a TCP port.
//
//   pam-sim --pty [options]          prints the slave path, e.g. /dev/pts/7
//   pam-sim --tcp PORT [options]     prints "127.0.0.1 PORT" (PORT 0: any)
// options: --kind A|B|C  --maker TEXT  --model TEXT  --serial TEXT
//          --firmware TEXT  --echo  --no-answer  --late SECONDS  --garbage
//          --text-block
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "sim/analyser.h"
#include "sim/serve.h"

namespace {

volatile bool stop = false;
void on_signal(int) { stop = true; }

int usage(const char* why)
{
    std::fprintf(stderr, "pam-sim: %s\nusage: pam-sim --pty|--tcp PORT [--kind A|B|C] [--maker T] [--model T]\n"
                         "       [--serial T] [--firmware T] [--echo] [--no-answer] [--late S] [--garbage]\n"
                         "       [--text-block]\n", why);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    bool pty = false;
    int tcp_port = -1;
    sim::Kind kind = sim::Kind::PamA;
    sim::Faults faults;
    std::string maker, model, serial, firmware;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string* v) {
            if (i + 1 >= argc) return false;
            *v = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--pty") pty = true;
        else if (a == "--tcp") {
            if (!value(&v)) return usage("--tcp needs a port");
            auto r = std::from_chars(v.data(), v.data() + v.size(), tcp_port);
            if (r.ec != std::errc() || tcp_port < 0 || tcp_port > 65535) return usage("bad port");
        } else if (a == "--kind") {
            if (!value(&v)) return usage("--kind needs A, B or C");
            if (v == "A") kind = sim::Kind::PamA;
            else if (v == "B") kind = sim::Kind::PamB;
            else if (v == "C") kind = sim::Kind::PamC;
            else return usage("--kind needs A, B or C");
        } else if (a == "--maker") { if (!value(&maker)) return usage("--maker needs a text"); }
        else if (a == "--model") { if (!value(&model)) return usage("--model needs a text"); }
        else if (a == "--serial") { if (!value(&serial)) return usage("--serial needs a text"); }
        else if (a == "--firmware") { if (!value(&firmware)) return usage("--firmware needs a text"); }
        else if (a == "--echo") faults.echo = true;
        else if (a == "--no-answer") faults.no_answer = true;
        else if (a == "--garbage") faults.garbage = true;
        else if (a == "--text-block") faults.text_for_block = true;
        else if (a == "--late") {
            if (!value(&v)) return usage("--late needs seconds");
            auto r = std::from_chars(v.data(), v.data() + v.size(), faults.late);
            if (r.ec != std::errc() || faults.late < 0) return usage("bad --late value");
        } else return usage(("unknown option " + a).c_str());
    }
    if (pty == (tcp_port >= 0)) return usage("choose one of --pty and --tcp");

    sim::Analyser dev(kind);
    if (!maker.empty()) dev.identity.maker = maker;
    if (!model.empty()) dev.identity.model = model;
    if (!serial.empty()) dev.identity.serial = serial;
    if (!firmware.empty()) dev.identity.firmware = firmware;
    dev.faults = faults;
    dev.set_end_marks(false);

    signal(SIGTERM, on_signal);
    signal(SIGINT, on_signal);
    signal(SIGPIPE, SIG_IGN);
    prctl(PR_SET_PDEATHSIG, SIGTERM);

    if (pty) {
        std::string path;
        int slave = -1;
        int m = sim::OpenPty(&path, &slave);
        if (m < 0) { std::perror("pam-sim: pseudo-terminal"); return 1; }
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
        while (!stop) sim::ServeFd(dev, m, &stop);
        ::close(slave);
        ::close(m);
        return 0;
    }
    int bound = 0;
    int l = sim::ListenTcp(tcp_port, &bound);
    if (l < 0) { std::perror("pam-sim: listen"); return 1; }
    std::printf("127.0.0.1 %d\n", bound);
    std::fflush(stdout);
    sim::ServeTcp(dev, l, &stop);
    ::close(l);
    return 0;
}
