// Whole measurement runs on the headless back-end and the virtual clock,
// against the simulated bench (analysers with measuring engines, one plant).
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/config_show.h"
#include "app/run_panel.h"
#include "app/settings_panel.h"
#include "app/simulation.h"
#include "app/startup.h"
#include "display/live_display.h"
#include "evaluation/limits.h"
#include "files/load.h"
#include "files/logfile.h"
#include "instrument/pamx.h"
#include "measure/run.h"
#include "measure/run_state.h"
#include "panel_ids.h"
#include "platform/clock.h"
#include "platform/ui/headless.h"
#include "platform/ui/ui.h"
#include "platform/visa/backend.h"
#include "sim/bench.h"
#include "sim/engine.h"
#include "state/channels.h"
#include "state/framelist.h"
#include "state/names.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/records.h"
#include "state/reset.h"
#include "state/workmode.h"
#include "tests/support/project_dir_test.h"

// The run's callbacks, bound by name when the panels are loaded: referenced
// here so that a test program links them.
int cbTimer1(int, int, int, void*, int, int);
int cbSendSource(int, int, int, void*, int, int);
inline CtrlCallbackPtr const kRunCallbacks[] = {cbStart, cbTimer, cbTimer1, cbNewMeas, cbStartMeas, cbSendSource};

struct RunFixture : ProjectDirTest {
    void SetUp() override
    {
        HeadlessUiTest::SetUp();
        for (CtrlCallbackPtr cb : kRunCallbacks) ASSERT_NE(cb, nullptr);
        ResetProgramState();
        UseVirtualClock(true);
        EnterProjectDir("run_");
        ASSERT_EQ(StartUp(StartOptions{}), 0);
        lost_cycle_stream = nullptr;
    }
    void TearDown() override
    {
        if (RunActive()) FinishRun();
        ProjectDirTest::TearDown();   // the program state, the bench and the clock reset
    }

    // The simulated bench: the analyser type and phases of `p` choose the
    // devices; `speed` 0 makes cycles as fast as they are read.
    void Bench(const Para& p, const std::string& eut, double speed = 1, int source_address = -1)
    {
        para.analyser = p.analyser;
        para.phases = p.phases;
        for (int k = 0; k < 3; ++k) para.gpib_address[k] = p.gpib_address[k];
        sim::SimulationSetup s;
        s.eut = eut;
        s.speed = speed;
        s.source_address = source_address;
        std::string error;
        ASSERT_TRUE(sim::InstallSimulation(s, &error)) << error;
    }

    // The settings shown and confirmed as a user does.
    void Confirm(const Para& p)
    {
        set_parameter(p);
        ASSERT_EQ(CallCtrlCallback(setting, SETTING_OK, EVENT_COMMIT, 0, 0, nullptr), 0);
    }

    // Presses the start toggle and confirms the file and "Ready to start".
    void Start(const std::string& name = "run.qel")
    {
        file = dir + "/" + name;
        ui::QueueFileSelect(file);
        ui::QueueMessageAck();
        ASSERT_TRUE(ui::Click(measure, MEASURE_START));
    }

    // Lets the timers run for `seconds` of clock time (or until the run
    // ends), keeping the toolkit's timers and the virtual clock together.
    void Run(double seconds, double step = 0.1)
    {
        const double end = Timer() + seconds;
        double target = Timer();
        while (Timer() < end && RunActive()) {
            target += step;
            if (Timer() < target) AdvanceClock(target - Timer());
            ui::AdvanceTimers(step);
        }
    }
    void RunToEnd(double limit) { Run(limit); }

    // The analyser at a GPIB address and its engine.
    std::shared_ptr<sim::Analyser> Device(int address)
    {
        return sim::DeviceAt("GPIB::" + std::to_string(address));
    }
    // The messages an analyser received over its link, without the cyclic
    // query's repetitions.
    std::vector<std::string> Received(int address) { return Device(address)->received; }

    std::vector<unsigned char> FileBytes() const
    {
        std::ifstream in(file, std::ios::binary);
        return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), {});
    }
    int32_t Count() const
    {
        auto b = FileBytes();
        int32_t c = -1;
        if (b.size() >= 4) std::memcpy(&c, b.data(), 4);
        return c;
    }

    // Errors shown so far.
    std::vector<std::string> Errors() const
    {
        std::vector<std::string> e;
        for (const auto& r : ui::PopupLog())
            if (r.title.rfind("Error", 0) == 0) e.push_back(r.text);
        return e;
    }

    std::string file;
};

// A set-up of the sample configuration, changed where the test says.
inline Para HarmonicSetUp(int analyser, int phases, int edition, int cls, int seconds)
{
    Para p;
    MakeSampleConfig(p);
    p.analyser = analyser;
    p.phases = phases;
    p.if_gpib = 1;
    p.h_standard = edition;
    p.h_class = cls;
    p.h_hours = seconds / 3600;
    p.h_minutes = seconds / 60 % 60;
    p.h_seconds = seconds % 60;
    p.test_kind = 0;
    for (int k = 0; k < 3; ++k) {
        p.gpib_address[k] = analyser == 0 ? 5 + k : 5;
        p.i_range[k] = 20;
        p.u_range[k] = 250;
    }
    return p;
}

inline Para FlickerSetUp(int analyser, int phases, int periods, int period_seconds, int variant)
{
    Para p = HarmonicSetUp(analyser, phases, 3, 0, 0);
    p.test_kind = 1;
    p.fl_periods = periods;
    p.fl_minutes = period_seconds / 60;
    p.fl_seconds = period_seconds % 60;
    p.switching = variant == 2;
    const char* labels[4] = {"EN61000-3-3", "EN61000-3-3 A1", "EN61000-3-3 switching", "EN61000-3-11"};
    CopyFixed(p.fl_standard, labels[variant]);
    p.dmax_limit = 4;
    return p;
}
