// pam-sim: one simulated power analyser on a pseudo-terminal or a TCP port.
//
//   pam-sim --pty [options]          prints the slave path, e.g. /dev/pts/7
//   pam-sim --tcp PORT [options]     prints "127.0.0.1 PORT" (PORT 0: any)
//   pam-sim --list-eut               lists the EUT models and their parameters
//   pam-sim flicker --fluctuation rect:cpm=110,du=0.722 [--lamp 230/50|120/60]
//           [--periods N] [--minutes M]   flickermeter verification run
// options: --model PAM-A|PAM-B|PAM-C (another text: the identification's
//          model field only)  --kind A|B|C  --eut TEXT  --mains TEXT
//          --phases 1|3  --speed real|N|max  --maker TEXT  --serial TEXT
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
#include "sim/dsp/flicker_verify.h"
#include "sim/engine.h"
#include "sim/eut/eut.h"
#include "sim/serve.h"

namespace {

volatile bool stop = false;
void on_signal(int) { stop = true; }

// Bad options: the reason and the usage on standard error, exit status 2.
// --help / -h (why == nullptr): the usage on standard output, exit status 0.
int usage(const char* why)
{
    FILE* to = why ? stderr : stdout;
    if (why) std::fprintf(stderr, "pam-sim: %s\n", why);
    std::fprintf(to, "usage: pam-sim --pty|--tcp PORT [--model PAM-A|PAM-B|PAM-C] [--eut TEXT]\n"
                         "       [--mains TEXT] [--phases 1|3] [--speed real|N|max] [--kind A|B|C] [--maker T]\n"
                         "       [--serial T] [--firmware T] [--echo] [--no-answer] [--late S] [--garbage]\n"
                         "       [--text-block]\n"
                         "       pam-sim --list-eut\n"
                         "       pam-sim flicker --fluctuation rect:cpm=N,du=P|sine:hz=F,du=P [--lamp 230/50|120/60]\n"
                         "               [--periods N] [--minutes M] [--seconds S] [--rate HZ]\n");
    return why ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "flicker") == 0)
        return orivan::dsp::FlickerVerifyMain(argc - 2, argv + 2, "pam-sim flicker");
    bool pty = false;
    int tcp_port = -1;
    sim::Kind kind = sim::Kind::PamA;
    sim::Faults faults;
    std::string maker, model, serial, firmware;
    sim::PlantSetup plant_setup;
    plant_setup.eut = "heater:power=230";  // 230 ohm: 1 A, 230 W, as the fixed values
    bool phases_given = false;
    double speed = 1;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string* v) {
            if (i + 1 >= argc) return false;
            *v = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") return usage(nullptr);
        if (a == "--pty") pty = true;
        else if (a == "--list-eut") {
            std::fputs(simphys::ListEut().c_str(), stdout);
            return 0;
        } else if (a == "--eut") {
            if (!value(&plant_setup.eut)) return usage("--eut needs a model text (see --list-eut)");
        } else if (a == "--mains") {
            if (!value(&plant_setup.mains)) return usage("--mains needs a supply text, e.g. 230/50");
        } else if (a == "--phases") {
            if (!value(&v) || (v != "1" && v != "3")) return usage("--phases needs 1 or 3");
            plant_setup.phases = v == "3" ? 3 : 1;
            phases_given = true;
        } else if (a == "--speed") {
            if (!value(&v)) return usage("--speed needs real, a factor or max");
            if (v == "real") speed = 1;
            else if (v == "max") speed = 0;
            else {
                auto r = std::from_chars(v.data(), v.data() + v.size(), speed);
                if (r.ec != std::errc() || r.ptr != v.data() + v.size() || !(speed > 0) || speed > 1e6)
                    return usage("bad --speed value");
            }
        }
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
        else if (a == "--model") {
            if (!value(&model)) return usage("--model needs PAM-A, PAM-B or PAM-C");
            if (model == "PAM-A") kind = sim::Kind::PamA;
            else if (model == "PAM-B") kind = sim::Kind::PamB;
            else if (model == "PAM-C") kind = sim::Kind::PamC;
        }
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

    if (!phases_given && kind == sim::Kind::PamC) plant_setup.phases = 3;
    std::string error;
    std::shared_ptr<sim::Plant> plant = sim::Plant::Make(plant_setup, &error);
    if (!plant) return usage(error.c_str());
    sim::Analyser dev(kind);
    sim::EngineOptions opt;
    opt.speed = speed;
    sim::Engine::Install(dev, plant, opt);
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
