// A measurement run's costs: one harmonic tick of three phases (the block
// read from the simulated analysers, limits, live evaluation, display on the
// headless back-end, appending to the logging file), and a whole simulated
// 2.5-hour three-phase harmonic test through orivan-cli run at --speed max
// (wall time and peak memory as counters).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cli_run.h"
#include "app/config.h"
#include "app/config_show.h"
#include "app/run_panel.h"
#include "app/settings_panel.h"
#include "app/simulation.h"
#include "app/startup.h"
#include "files/load.h"
#include "measure/acquisition.h"
#include "measure/run.h"
#include "measure/run_state.h"
#include "panel_ids.h"
#include "platform/clock.h"
#include "platform/lowfile.h"
#include "platform/ui/headless.h"
#include "platform/ui/ui.h"
#include "state/channels.h"
#include "state/framelist.h"
#include "state/names.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/workmode.h"

int cbTimer1(int, int, int, void*, int, int);

namespace {

// The run's callbacks are bound by name; registering them here links them in.
void LinkCallbacks()
{
    RegisterCallback("cbStart", cbStart);
    RegisterCallback("cbTimer", cbTimer);
    RegisterCallback("cbTimer1", cbTimer1);
}

std::string WorkDir()
{
    std::string d = "/tmp/orivan_bench_run";
    std::system(("mkdir -p " + d).c_str());
    return d;
}

void Prepare(int analyser, const char* eut)
{
    ui::ResetUi();
    ui::SetHeadlessMode(ui::HeadlessMode::Batch);
    SetProjectDir(WorkDir().c_str());
    UseVirtualClock(true);
    reset_startup_state();
    StartUp(StartOptions{});
    Para p;
    MakeSampleConfig(p);
    p.analyser = analyser;
    p.h_hours = 100;   // longer than any benchmark runs
    p.h_class = 3;
    for (int k = 0; k < 3; ++k) {
        p.ctrl_power[k] = 250;
        p.gpib_address[k] = analyser == 0 ? 5 + k : 5;
    }
    para.analyser = p.analyser;
    para.phases = p.phases;
    for (int k = 0; k < 3; ++k) para.gpib_address[k] = p.gpib_address[k];
    sim::SimulationSetup s;
    s.eut = eut;
    s.speed = 0;   // an answer whenever the last one was read
    std::string error;
    sim::InstallSimulation(s, &error);
    set_parameter(p);
    CallCtrlCallback(setting, SETTING_OK, EVENT_COMMIT, 0, 0, nullptr);
    ui::QueueFileSelect(WorkDir() + "/tick.qel");
    ui::QueueMessageAck();
    SetCtrlVal(measure, MEASURE_START, 1);
    CallCtrlCallback(measure, MEASURE_START, EVENT_VAL_CHANGED, 0, 0, nullptr);
}

void Tick(benchmark::State& state, int analyser)
{
    LinkCallbacks();
    Prepare(analyser, "smps:power=250");
    if (!RunActive()) {
        for (const auto& r : ui::PopupLog()) std::fprintf(stderr, "%s: %s\n", r.title.c_str(), r.text.c_str());
        state.SkipWithError("the run did not start");
        return;
    }
    lost_cycle_stream = nullptr;
    int stored = 0;
    for (auto _ : state) stored += HarmonicTick() == TICK_STORED;
    state.counters["stored"] = stored;
    FinishRun();
    reset_clock();
}

// One tick: one PAM-C answering for three phases, or three PAM-A.
void BM_HarmonicTickThreePhasesPamC(benchmark::State& state) { Tick(state, 1); }
void BM_HarmonicTickThreePhasesThreePamA(benchmark::State& state) { Tick(state, 0); }
BENCHMARK(BM_HarmonicTickThreePhasesPamC)->Unit(benchmark::kMicrosecond)->Iterations(3000);
BENCHMARK(BM_HarmonicTickThreePhasesThreePamA)->Unit(benchmark::kMicrosecond)->Iterations(3000);

// The whole 2.5-hour test, as `orivan-cli run --speed max` runs it.
void BM_TwoAndAHalfHourThreePhaseTest(benchmark::State& state)
{
    LinkCallbacks();
    const std::string dir = WorkDir();
    Para p;
    MakeSampleConfig(p);
    p.analyser = state.range(0);
    p.h_hours = 2;
    p.h_minutes = 30;
    p.h_seconds = 0;
    const std::string cfg = dir + "/long.cfg", qel = dir + "/long.qel";
    WriteConfigFile(cfg.c_str(), p);
    std::FILE* sink = std::fopen("/dev/null", "w");
    std::FILE* err = std::freopen("/dev/null", "w", stderr);
    (void)err;
    SetSimulationStarter(sim::StartProgramSimulation);
    for (auto _ : state) {
        ui::ResetUi();
        reset_startup_state();
        SetProjectDir(dir.c_str());
        const auto t0 = std::chrono::steady_clock::now();
        std::vector<std::string> args = {"--config", cfg, "--out", qel, "--simulate=heater:power=2000", "--speed", "max"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        if (CliRun(int(argv.size()), argv.data(), sink) != 0) state.SkipWithError("the run failed");
        state.counters["wall_s"] = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.counters["frames"] = size;
        reset_clock();
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    state.counters["peak_MB"] = double(ru.ru_maxrss) / 1024.0;
    std::fclose(sink);
}
BENCHMARK(BM_TwoAndAHalfHourThreePhaseTest)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
