// orivan-cli run in-process: a simulated test from a configuration file to
// its verdicts, and the ways the command refuses or fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cli.h"
#include "app/cli_run.h"
#include "app/config.h"
#include "app/run_panel.h"
#include "app/simulation.h"
#include "app/startup.h"
#include "display/live_display.h"
#include "files/load.h"
#include "instrument/pamx.h"
#include "measure/run.h"
#include "measure/run_state.h"
#include "platform/clock.h"
#include "platform/ui/headless.h"
#include "platform/visa/backend.h"
#include "sim/bench.h"
#include "state/channels.h"
#include "state/framelist.h"
#include "state/names.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/records.h"
#include "state/reset.h"
#include "state/workmode.h"
#include "tests/support/project_dir_test.h"

int cbTimer1(int, int, int, void*, int, int);

namespace {

// The run's callbacks are bound by name: referenced so that the test links them.
CtrlCallbackPtr const kLinked[] = {cbStart, cbTimer, cbTimer1};

struct Capture {
    char* data = nullptr;
    size_t size = 0;
    std::FILE* f = open_memstream(&data, &size);
    std::string Text() { std::fflush(f); return std::string(data, size); }
    ~Capture() { std::fclose(f); std::free(data); }
};

struct CliRunTest : ProjectDirTest {
    void SetUp() override
    {
        HeadlessUiTest::SetUp();
        for (auto cb : kLinked) ASSERT_NE(cb, nullptr);
        ResetProgramState();
        EnterProjectDir("cli_run_");
        SetSimulationStarter(sim::StartProgramSimulation);
    }
    void TearDown() override
    {
        if (RunActive()) FinishRun();
        SetSimulationStarter(nullptr);
        ui::SetHeadlessMode(ui::HeadlessMode::Test);
        ProjectDirTest::TearDown();
    }
    std::string Config(const char* setup, int seconds, int phases = 0)
    {
        Para p;
        EXPECT_TRUE(MakeSampleSetUp(setup, p));
        p.h_minutes = seconds / 60;
        p.h_seconds = seconds % 60;
        if (phases) p.phases = phases;
        const std::string path = dir + "/" + setup + ".cfg";
        EXPECT_EQ(WriteConfigFile(path.c_str(), p), CFG_OK);
        return path;
    }
    int Run(std::vector<std::string> args)
    {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        return CliRun(int(argv.size()), argv.data(), out.f);
    }
    Capture out;
};

}  // namespace

TEST_F(CliRunTest, SimulatedClassDTestEndsWithItsVerdictsAsJson)
{
    const std::string cfg = Config("class-d", 20);
    const std::string qel = dir + "/d.qel";
    ASSERT_EQ(Run({"--config", cfg, "--out", qel, "--simulate=smps:power=250", "--speed", "max", "--json"}), CLI_OK);
    const std::string o = out.Text();
    EXPECT_EQ(o.rfind("{\"file\":\"" + qel + "\",\"test_kind\":\"harmonics\",\"phases\":1,\"frames\":101,", 0), 0u) << o;
    EXPECT_NE(o.find("\"verdicts\":{\"IALL\":1,"), std::string::npos);
    EXPECT_NE(o.find("\"interrupted\":false"), std::string::npos);
    EXPECT_EQ(FileSize(qel.c_str()), 4044 + 101 * 460);
}

TEST_F(CliRunTest, RefusedOptionsAndFailedStarts)
{
    const std::string cfg = Config("harmonic", 10);
    EXPECT_EQ(Run({"--config", cfg}), CLI_USAGE);
    EXPECT_EQ(Run({"--config", cfg, "--out", dir + "/x.qel", "--speed", "max"}), CLI_USAGE);
    EXPECT_EQ(Run({"--config", cfg, "--out", dir + "/x.qel", "--simulate", "--speed", "0.5"}), CLI_USAGE);
    EXPECT_EQ(Run({"--config", cfg, "--out", dir + "/x.qel", "--simulate", "--tempo"}), CLI_USAGE);

    // An equipment model the simulator does not know.
    EXPECT_EQ(Run({"--config", cfg, "--out", dir + "/x.qel", "--simulate=toaster", "--speed", "max"}), CLI_FAILED);
    // A missing configuration file.
    reset_startup_state();
    EXPECT_EQ(Run({"--config", dir + "/none.cfg", "--out", dir + "/x.qel", "--simulate", "--speed", "max"}), CLI_FAILED);
    // A set-up the run refuses: nothing is written.
    Para p;
    MakeSampleSetUp("class-d", p);
    p.analyser = 2;
    p.phases = 3;
    ASSERT_EQ(WriteConfigFile((dir + "/b.cfg").c_str(), p), CFG_OK);
    reset_startup_state();
    EXPECT_EQ(Run({"--config", dir + "/b.cfg", "--out", dir + "/b.qel", "--simulate", "--speed", "max"}), CLI_FAILED);
    EXPECT_FALSE(FileExists((dir + "/b.qel").c_str(), nullptr));
    EXPECT_TRUE(out.Text().empty());
}
