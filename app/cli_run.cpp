// orivan-cli run: a whole test through the program's own callbacks on the
// headless back-end, with its progress on the terminal.
#include "app/cli_run.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/cli.h"
#include "app/cli_files.h"
#include "app/config.h"
#include "app/settings_panel.h"
#include "app/startup.h"
#include "display/live_display.h"
#include "files/load.h"
#include "measure/run.h"
#include "measure/run_state.h"
#include "panel_ids.h"
#include "platform/clock.h"
#include "platform/fmt.h"
#include "platform/ui/headless.h"
#include "platform/ui/ui.h"
#include "state/channels.h"
#include "state/names.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/workmode.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
void OnInterrupt(int) { g_interrupted = 1; }

const char kUsage[] = "run --config FILE.cfg --out FILE.qel [--simulate[=EUT]] [--speed N|max] [--json]";

int Usage(const std::string& why)
{
    std::fprintf(stderr, "orivan-cli run: %s\nusage: orivan-cli %s\n", why.c_str(), kUsage);
    return CLI_USAGE;
}

struct RunOptions {
    std::string config, out, eut;
    bool simulate = false, json = false, max = false;
    double speed = 1;
};

bool Parse(int argc, char** argv, RunOptions* o, std::string* why)
{
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string* v) {
            if (i + 1 >= argc) {
                *why = a + " needs a value";
                return false;
            }
            *v = argv[++i];
            return true;
        };
        if (a == "--config") {
            if (!value(&o->config)) return false;
        } else if (a == "--out") {
            if (!value(&o->out)) return false;
        } else if (a == "--json") {
            o->json = true;
        } else if (a == "--simulate") {
            o->simulate = true;
        } else if (a.rfind("--simulate=", 0) == 0) {
            o->simulate = true;
            o->eut = a.substr(11);
        } else if (a == "--speed") {
            std::string v;
            if (!value(&v)) return false;
            double n = 0;
            if (v == "max") o->max = true;
            else if (Scan(v.c_str(), "%s>%f", &n) == 1 && n >= 1 && n <= 1000) o->speed = n;
            else {
                *why = "--speed needs a number from 1 to 1000 or \"max\", not \"" + v + "\"";
                return false;
            }
        } else {
            *why = "unknown argument \"" + a + "\"";
            return false;
        }
    }
    if (o->config.empty() || o->out.empty()) {
        *why = "--config and --out are needed";
        return false;
    }
    if ((o->max || o->speed != 1) && !o->simulate) {
        *why = "--speed is for simulated runs (--simulate)";
        return false;
    }
    return true;
}

// The progress of the run: one line kept up to date on a terminal, plain
// lines now and then otherwise.
class Progress {
public:
    explicit Progress(std::FILE* f) : f_(f), tty_(isatty(fileno(f)) == 1) {}

    void Show(bool last)
    {
        // After the end, the figures as the run finished (loading the file
        // counts frames anew).
        const RunProgress p = RunActive() ? CurrentProgress() : LastRunProgress();
        const double wall = Wall();
        if (tty_) {
            if (!last && wall - shown_ < 0.2) return;
            std::fprintf(f_, "\r%s\x1b[K%s", Line(p).c_str(), last ? "\n" : "");
        } else {
            // About once a minute of the test once it runs, and at the end.
            const int32_t minute = p.remaining / 60;
            if (!last && (minute == minute_ || !p.started)) return;
            minute_ = minute;
            std::fprintf(f_, "%s\n", Line(p).c_str());
        }
        std::fflush(f_);
        shown_ = wall;
    }

private:
    static double Wall()
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    std::string Line(const RunProgress& p) const
    {
        std::string remaining, period, line;
        Time2Asc(p.remaining, &remaining);
        Time2Asc(p.period_remaining, &period);
        if (!p.started)
            return p.test_kind == 1 ? "Flicker test: the analyser's flickermeter settles" : "Harmonic test: starting";
        // A flicker run stores every frame after the first twice.
        if (p.test_kind == 1)
            Fmt(line, "Flicker test: remaining %s (period %s), %i frames stored, %i lost cycles", remaining, period,
                (p.stored + 1) / 2, (long long)p.lost_cycles);
        else
            Fmt(line, "Harmonic test: remaining %s, %i frames stored, %i lost cycles", remaining, p.stored,
                (long long)p.lost_cycles);
        return line;
    }
    std::FILE* f_;
    bool tty_;
    double shown_ = -1e9;
    int32_t minute_ = -1;
};

bool ErrorShown(size_t from)
{
    const auto& log = ui::PopupLog();
    for (size_t k = from; k < log.size(); ++k)
        if (log[k].kind == "message" && log[k].title.rfind("Error", 0) == 0) return true;
    return false;
}

// Messages answered by a queued answer were not printed by the batch mode.
void PrintAnswered(size_t from, size_t answered)
{
    const auto& log = ui::PopupLog();
    for (size_t k = from; k < log.size() && k < from + answered; ++k)
        if (log[k].kind == "message" && log[k].title != "Ready to start")
            std::fprintf(stderr, "%s: %s\n", log[k].title.c_str(), log[k].text.c_str());
}

}  // namespace

int CliRun(int argc, char** argv, std::FILE* out)
{
    RunOptions o;
    std::string why;
    if (!Parse(argc, argv, &o, &why)) return Usage(why);

    ui::SetHeadlessMode(ui::HeadlessMode::Batch);
    // As fast as possible: the clock is the program's own, and the analysers
    // measure a cycle whenever the last one was read.
    if (o.max) UseVirtualClock(true);
    StartOptions so;
    so.simulate = o.simulate;
    so.simulate_eut = o.eut;
    so.speed = o.max ? 0 : o.speed;
    const size_t log0 = ui::PopupLog().size();
    if (StartUp(so) < 0) {
        std::fprintf(stderr, "orivan-cli run: the panel resource could not be loaded from %s\n",
                     ui::ResourceDir().c_str());
        return CLI_FAILED;
    }
    if (ErrorShown(log0)) return CLI_FAILED;
    if (LoadConfigurationFrom(o.config.c_str()) != 1) return CLI_FAILED;
    set_parameter(para);
    CallCtrlCallback(setting, SETTING_OK, EVENT_COMMIT, 0, 0, nullptr);
    SetRunSpeed(o.max ? 1 : o.speed);
    lost_cycle_stream = stderr;

    // The file dialog and "Ready to start" are answered from the options.
    const size_t log1 = ui::PopupLog().size();
    ui::ClearQueuedAnswers();
    ui::QueueFileSelect(o.out);
    ui::QueueMessageAck();
    SetCtrlVal(measure, MEASURE_START, 1);
    CallCtrlCallback(measure, MEASURE_START, EVENT_VAL_CHANGED, 0, 0, nullptr);
    const size_t unused = ui::QueuedAnswers();
    ui::ClearQueuedAnswers();
    if (!RunActive()) {
        PrintAnswered(log1, 2 - unused);
        std::fprintf(stderr, "orivan-cli run: the test could not be started\n");
        return CLI_FAILED;
    }

    g_interrupted = 0;
    auto old_int = std::signal(SIGINT, OnInterrupt);
    auto old_term = std::signal(SIGTERM, OnInterrupt);
    Progress progress(stderr);
    double interval = 0.1;
    GetCtrlAttribute(measure, MEASURE_TIMER, ATTR_INTERVAL, &interval);
    double target = Timer();
    auto last = std::chrono::steady_clock::now();
    bool stopped = false;
    while (RunActive()) {
        if (g_interrupted && !stopped) {
            // Ctrl-C: the user's stop, so the file is complete.
            stopped = true;
            SetCtrlVal(measure, MEASURE_START, 0);
            CallCtrlCallback(measure, MEASURE_START, EVENT_VAL_CHANGED, 0, 0, nullptr);
            break;
        }
        if (o.max) {
            target += interval;
            if (Timer() < target) AdvanceClock(target - Timer());
            ui::AdvanceTimers(interval);
        } else {
            std::this_thread::sleep_until(last + std::chrono::duration<double>(interval));
            // At most one tick per turn, as an event loop merges the ticks it
            // could not deliver in time.
            const auto now = std::chrono::steady_clock::now();
            ui::AdvanceTimers(std::min(interval, std::chrono::duration<double>(now - last).count()));
            last = now;
        }
        progress.Show(false);
    }
    std::signal(SIGINT, old_int);
    std::signal(SIGTERM, old_term);
    progress.Show(true);
    if (ErrorShown(log1)) return CLI_FAILED;
    if (PrintEvaluation(o.out, o.json, out) != CLI_OK) return CLI_FAILED;
    return CLI_OK;
}
