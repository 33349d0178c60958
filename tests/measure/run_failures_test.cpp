// The ways a run fails: a start that cannot be completed, an analyser that
// stops answering or answers wrongly, a full disk; and the clean-up each
// leaves behind.
#include "tests/measure/run_fixture.h"
#include "measure/acquisition.h"

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

namespace {

struct RunFailure : RunFixture {
    int Attr(int panel, int control, int attr)
    {
        int v = -1;
        GetCtrlAttribute(panel, control, attr, &v);
        return v;
    }
    int Val(int panel, int control)
    {
        int v = -1;
        GetCtrlVal(panel, control, &v);
        return v;
    }
    // Everything a finished or unwound run must leave behind.
    void ExpectNothingOpen()
    {
        EXPECT_FALSE(RunActive());
        EXPECT_EQ(Attr(measure, MEASURE_TIMER, ATTR_ENABLED), 0);
        EXPECT_EQ(Attr(measure, MEASURE_TIMER1, ATTR_ENABLED), 0);
        EXPECT_EQ(Val(measure, MEASURE_START), 0);
        EXPECT_EQ(Val(measure, MEASURE_ACTIVE), 0);
        EXPECT_EQ(fid, -1);
        for (int ch = 0; ch < 3; ++ch) {
            EXPECT_EQ(pamaopen[ch], 0) << ch;
            EXPECT_EQ(id[ch], 0u) << ch;
        }
        EXPECT_FALSE(ui::TickTimer(measure, MEASURE_TIMER));
    }
    size_t Times(const std::vector<std::string>& v, const std::string& s)
    {
        return size_t(std::count(v.begin(), v.end(), s));
    }
};

}  // namespace

TEST_F(RunFailure, VanishedAnalyserStopsTheRunAndLeavesAFileThatLoadsAsInterrupted)
{
    Para p = HarmonicSetUp(0, 3, 3, 0, 60);
    Bench(p, "heater:power=1000");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    Run(2);
    const int32_t stored = size;
    ASSERT_GT(stored, 5);
    Device(6)->faults.disconnected = true;
    ui::QueueMessageAck();   // the read failure
    ui::QueueMessageAck();   // the driver cannot clear the vanished analyser when closing
    Run(1);
    ExpectNothingOpen();
    EXPECT_EQ(workmode, 2);
    const auto e = Errors();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].rfind("No return data from instrument 2\nError ", 0), 0u) << e[0];
    EXPECT_EQ(e[1], "Cannot clear device");
    // The other analysers were stopped and closed; none sent its results into the file.
    for (int a : {5, 7}) {
        const auto r = Received(a);
        EXPECT_EQ(Times(r, "CONT OFF;STOP"), 1u) << a;
        EXPECT_EQ(Times(r, "CONT OFF;:GTL"), 1u) << a;
    }
    LogLayout L;
    int fd = -1;
    ASSERT_GE(LogOpenRead(file.c_str(), &fd, &L), 0);
    LogClose(fd);
    EXPECT_EQ(L.format, LOG_INTERRUPTED);
    EXPECT_EQ(L.count, L.sets);
    EXPECT_GE(L.sets, stored);
    // No tick touches the file afterwards.
    const auto before = FileBytes();
    EXPECT_EQ(AcquisitionTick(), TICK_NONE);
    EXPECT_EQ(FileBytes(), before);
}

TEST_F(RunFailure, SilentPamCIsWaitedForUntilTheQuietLimit)
{
    Para p = HarmonicSetUp(1, 3, 3, 0, 60);
    Bench(p, "heater:power=1000");
    Confirm(p);
    Start();
    Run(2);
    ASSERT_TRUE(RunActive());
    Device(5)->faults.no_answer = true;
    Run(1);
    EXPECT_EQ(AcquisitionTick(), TICK_NONE);
    // The last good tick lies almost the quiet limit back, then beyond it.
    time0 -= QUIET_LIMIT - 10;
    EXPECT_EQ(AcquisitionTick(), TICK_NONE);
    EXPECT_TRUE(RunActive());
    time0 -= 20;
    ui::QueueMessageAck();
    ui::AdvanceTimers(0.1);
    ExpectNothingOpen();
    ASSERT_FALSE(Errors().empty());
    EXPECT_EQ(Errors()[0], "No return data\nError -999");
}

TEST_F(RunFailure, AnswerOfTheWrongLengthIsSkippedAndKeptInTheSpyFile)
{
    Para p = HarmonicSetUp(4, 1, 3, 0, 60);
    Bench(p, "heater:power=1000");
    Confirm(p);
    Start();
    Run(1);
    ASSERT_TRUE(RunActive());
    const HarmFrame before = buf[0];
    const int32_t stored = size;
    // An analyser that no longer knows one query answers a record short.
    Device(5)->registry().add("OVRI?", [](sim::Analyser&, const sim::Command&) { return sim::Answer::fail(-113, "x"); });
    EXPECT_EQ(HarmonicTick(), TICK_SKIPPED);
    EXPECT_EQ(std::memcmp(&before, &buf[0], sizeof before), 0);
    EXPECT_EQ(size, stored);
    EXPECT_EQ(run.refused_answers, 1);
    // After the quiet limit a silent or misanswering analyser ends the run.
    time0 -= QUIET_LIMIT + 1;
    ui::QueueMessageAck();
    EXPECT_EQ(HarmonicTick(), TICK_FAILED);
    ASSERT_FALSE(Errors().empty());
    EXPECT_EQ(Errors()[0].rfind("No data read\n STB ", 0), 0u);
    // The side files sit beside the logging file.
    EXPECT_EQ(FileSize((dir + "/spy.spy").c_str()), 2 * 436);
    EXPECT_GT(FileSize((dir + "/spy.txt").c_str()), 0);
}

TEST_F(RunFailure, FailedStartsCloseWhatTheyOpened)
{
    Para p = HarmonicSetUp(0, 3, 3, 0, 60);
    Bench(p, "heater:power=1000");
    Confirm(p);

    // Cancelled file dialog: nothing is opened.
    ui::QueueFileSelect("");
    ASSERT_TRUE(ui::Click(measure, MEASURE_START));
    EXPECT_TRUE(sim::OpenedResources().empty());
    ExpectNothingOpen();

    // The second analyser does not answer: the first is closed again.
    Device(6)->faults.disconnected = true;
    ui::QueueFileSelect(dir + "/a.qel");
    ui::QueueMessageAck();   // the driver: "Cannot clear device"
    ui::QueueMessageAck();
    ASSERT_TRUE(ui::Click(measure, MEASURE_START));
    ExpectNothingOpen();
    EXPECT_EQ(workmode, 2);
    EXPECT_EQ(Errors().back(), "ID not found!\nNo communication possible!\nPlease check interface settings!");
    EXPECT_EQ(Times(Received(5), "CONT OFF;:GTL"), 1u);
    EXPECT_FALSE(FileExists((dir + "/a.qel").c_str(), nullptr));
    Device(6)->faults.disconnected = false;

    // A logging file that cannot be created.
    ui::QueueFileSelect(dir + "/no such folder/b.qel");
    ui::QueueMessageAck();
    ASSERT_TRUE(ui::Click(measure, MEASURE_START));
    ExpectNothingOpen();
    EXPECT_EQ(Errors().back().rfind("Unable to create the logging file:\n", 0), 0u) << Errors().back();
    for (int a : {5, 6, 7}) EXPECT_EQ(Times(Received(a), "CONT OFF;:GTL"), a == 5 ? 2u : 1u) << a;

    // A phase count the set-up cannot have: "Lost connection", and the empty file goes again.
    para.phases = 2;
    ui::QueueFileSelect(dir + "/c.qel");
    ui::QueueMessageAck();
    ASSERT_TRUE(ui::Click(measure, MEASURE_START));
    ExpectNothingOpen();
    EXPECT_EQ(Errors().back(), "Lost connection");
    EXPECT_FALSE(FileExists((dir + "/c.qel").c_str(), nullptr));

    // A refused firmware, also one without a version text: its own message only.
    para.phases = 3;
    for (const std::string version : {"0.980", ""}) {
        Device(5)->identity.firmware = version;
        const size_t shown = Errors().size();
        ui::QueueFileSelect(dir + "/d.qel");
        ui::QueueMessageAck();
        ASSERT_TRUE(ui::Click(measure, MEASURE_START));
        ExpectNothingOpen();
        ASSERT_EQ(Errors().size(), shown + 1) << version;
        EXPECT_EQ(Errors().back(), "Wrong PAM-A software!\nRequired Version  1.000, is Version " + version +
                                       "\nPlease contact the manufacturer");
    }
    Device(5)->identity.firmware = "2.510";

    // The stop side of the toggle does nothing without a run.
    SetCtrlVal(measure, MEASURE_START, 0);
    EXPECT_EQ(cbStart(measure, MEASURE_START, EVENT_VAL_CHANGED, nullptr, 0, 0), 0);
    EXPECT_EQ(workmode, 2);
}

TEST_F(RunFailure, FullDiskStopsTheRunAndKeepsTheStoredFrames)
{
    Para p = HarmonicSetUp(4, 1, 3, 0, 60);
    Bench(p, "heater:power=1000");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    // The file may grow by ten more frames.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = rlim_t(3492 + 10 * 460);
    setrlimit(RLIMIT_FSIZE, &small);
    ui::QueueMessageAck();
    Run(10);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    ExpectNothingOpen();
    ASSERT_FALSE(Errors().empty());
    EXPECT_EQ(Errors()[0], "Unable to write the logging file: File too large\n" + file +
                               "\nThe measurement is stopped; the frames stored so far are kept.");
    EXPECT_EQ(Count(), 10);
    LogLayout L;
    int fd = -1;
    ASSERT_GE(LogOpenRead(file.c_str(), &fd, &L), 0);
    LogClose(fd);
    EXPECT_EQ(L.format, LOG_INTERRUPTED);
    EXPECT_EQ(L.sets, 10);
}

TEST_F(RunFailure, StartAfterHoursOfUptimeWaitsForAPamC)
{
    AdvanceClock(6000);   // the program has run for longer than the quiet limit
    Para p = HarmonicSetUp(1, 1, 3, 0, 5);
    Bench(p, "heater:power=1000");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    // A tick right after the one that took the answer finds none: waited for, not failed.
    Run(0.3);
    AcquisitionTick();
    EXPECT_EQ(AcquisitionTick(), TICK_NONE);
    EXPECT_TRUE(RunActive());
    Run(20);
    EXPECT_FALSE(RunActive());
    EXPECT_TRUE(Errors().empty());
}

TEST_F(RunFailure, RecordsOfAFileViewedBeforeDoNotLeakIntoARun)
{
    buf[0].hima = 123.0f;   // the reference for dropping small harmonics, left by a loaded file
    buf_result[0].higf = 0x7FF;
    Para p = HarmonicSetUp(4, 1, 3, 0, 5);
    Bench(p, "heater:power=1000");
    Confirm(p);
    Start();
    ASSERT_TRUE(RunActive());
    Run(0.5);
    // The short query (no analog inputs) does not refresh HIMA: it stays cleared.
    EXPECT_GT(size, 0);
    EXPECT_EQ(buf[0].hima, 0.0f);
    EXPECT_EQ(buf_result[0].higf, 0);
    FinishRun();
}

TEST_F(RunFailure, ClosingTheProgramStopsARunningTest)
{
    Para p = FlickerSetUp(4, 1, 1, 60, 1);
    Bench(p, "heater:power=1000");
    Confirm(p);
    Start();
    Run(8);
    ASSERT_TRUE(RunActive());
    ASSERT_TRUE(ui::Commit(panelHandle, PANEL_QUIT));
    EXPECT_TRUE(ui::QuitRequested());
    ExpectNothingOpen();
    const auto r = Received(5);
    EXPECT_EQ(Times(r, "CONT OFF;STOP"), 1u);
    EXPECT_EQ(Times(r, "CONT OFF;:GTL"), 1u);
    const int32_t C = Count();
    EXPECT_EQ(FileBytes().size(), size_t(3492 + C * 488));
}

TEST_F(RunFailure, UnreadableResultsLeaveTheFileInterruptedButTheAnalyserClosed)
{
    Para p = HarmonicSetUp(4, 1, 3, 0, 60);
    Bench(p, "heater:power=1000");
    Confirm(p);
    Start();
    Run(2);
    ASSERT_TRUE(RunActive());
    const int32_t stored = size;
    Device(5)->faults.no_answer = true;
    ui::QueueMessageAck();   // the result read
    ui::QueueMessageAck();   // loading: the run was interrupted
    const double t = Timer();
    ASSERT_TRUE(ui::Click(measure, MEASURE_START));
    EXPECT_LT(Timer() - t, 35.0);   // every wait of the stop is bounded
    ExpectNothingOpen();
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "Unable to set command: READ RESULT DATA");
    EXPECT_EQ(ui::PopupLog().back().title, "Warning");
    const auto r = Received(5);
    for (const char* c : {"FRMT ASCII;*OPC?", "DOCO1 0;*OPC?", "CONT OFF;:GTL"}) EXPECT_EQ(Times(r, c), 1u) << c;
    EXPECT_TRUE(LastLoadReport().interrupted);
    EXPECT_EQ(Count(), stored);
    EXPECT_EQ(FileBytes().size(), size_t(3492 + stored * 460));
}

TEST_F(RunFailure, GarbledFlickerAnswerIsKeptInSignalTxt)
{
    Para p = FlickerSetUp(4, 1, 1, 60, 1);
    Bench(p, "heater:power=1000");
    Confirm(p);
    Start();
    Run(8);
    ASSERT_TRUE(RunActive());
    Device(5)->faults.garbage = true;
    ui::QueueMessageAck();
    ui::QueueMessageAck();   // the driver finds no operation-complete answer on closing
    EXPECT_EQ(FlickerTick(), TICK_FAILED);
    EXPECT_EQ(ui::PopupLog().back().title, "Answer to DOCO1 0;*OPC?\n");
    Device(5)->faults.garbage = false;
    ExpectNothingOpen();
    ASSERT_FALSE(Errors().empty());
    const std::string e = Errors()[0];
    EXPECT_EQ(e.rfind("No return data\nError -7 STB=", 0), 0u) << e;
    EXPECT_EQ(e.substr(e.size() - 20), "   Only STB is false") << e;
    // Only the bytes read after the bad one: the rest of the answer.
    std::ifstream in(dir + "/signal.txt", std::ios::binary);
    std::string sig((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(sig, std::string("\xFE\x7F?x\x01\n", 6));
}

TEST_F(RunFailure, SilentFlickerAnalyserFailsAfterFiveSeconds)
{
    Para p = FlickerSetUp(1, 3, 1, 60, 1);
    Bench(p, "heater:power=1000");
    Confirm(p);
    Start();
    Run(8);
    ASSERT_TRUE(RunActive());
    Device(5)->faults.no_answer = true;
    const double t = Timer();
    double shown = 0;
    ui::QueueMessageAck([&] { shown = Timer(); });
    EXPECT_EQ(FlickerTick(), TICK_FAILED);
    // Five seconds of waiting, one for whatever might still come.
    EXPECT_GE(shown - t, READ_BOUND);
    EXPECT_LT(shown - t, READ_BOUND + 1.5);
    ExpectNothingOpen();
    ASSERT_FALSE(Errors().empty());
    EXPECT_EQ(Errors()[0], "No return data\nError -999 STB=0No data");
}

TEST_F(RunFailure, FailedStartOfAPamCClosesItsSession)
{
    Para p = HarmonicSetUp(1, 3, 3, 0, 60);
    Bench(p, "heater:power=1000");
    Confirm(p);
    // The analyser stops listening once it has changed its language.
    auto a = Device(5);
    a->registry().add("SYST:LANG", [](sim::Analyser& d, const sim::Command&) {
        d.faults.disconnected = true;
        return sim::Answer::none();
    });
    ui::QueueFileSelect(dir + "/c.qel");
    ui::QueueMessageAck();   // the failed step
    ui::QueueMessageAck();   // closing: the driver cannot clear the analyser
    ASSERT_TRUE(ui::Click(measure, MEASURE_START));
    ExpectNothingOpen();
    const auto e = Errors();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0], "Unable to set command: FRZ OFF");
    EXPECT_EQ(e[1], "Cannot clear device");
    EXPECT_EQ(Times(Received(5), "SENS:CURR:RANG3 20.000000"), 1u);
}
