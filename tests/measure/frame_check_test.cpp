// The frame check: lost measuring cycles seen in the analyser's counter.
#include "tests/measure/run_fixture.h"

#include "measure/acquisition.h"
#include "measure/diagnostics.h"
#include "sim/command.h"

namespace {

struct FrameCheck : RunFixture {
    int Val(int control)
    {
        int v = -1;
        GetCtrlVal(measure, control, &v);
        return v;
    }
    int Dimmed(int control)
    {
        int v = -1;
        GetCtrlAttribute(measure, control, ATTR_DIMMED, &v);
        return v;
    }
    void Begin(double first, double last)
    {
        firstframe = first;
        lastframe = last;
    }
    const int switches[6] = {MEASURE_SHOWGRAPH1, MEASURE_SHOWGRAPH2, MEASURE_SHOWGRAPH3,
                             MEASURE_SHOWDATA1, MEASURE_SHOWDATA2, MEASURE_SHOWDATA3};
};

}  // namespace

TEST_F(FrameCheck, HarmonicCountersReactToOneOrTwoLostCyclesOnly)
{
    for (int c : switches) SetCtrlVal(measure, c, 1);
    Begin(0, 0);
    HarmonicFrameCheck(5);
    HarmonicFrameCheck(6);
    EXPECT_EQ(ui::BeepCount(), 0);
    EXPECT_EQ(lastframe, 6);
    HarmonicFrameCheck(8);
    EXPECT_EQ(ui::BeepCount(), 1);
    EXPECT_EQ(lastframe, 8);
    for (int c : switches) EXPECT_EQ(Val(c), 0) << c;
    EXPECT_EQ(Dimmed(MEASURE_U1), 1);
    EXPECT_EQ(Dimmed(MEASURE_FL_OVER3), 1);
    EXPECT_EQ(Dimmed(MEASURE_GRAPH2), 1);
    HarmonicFrameCheck(12);
    EXPECT_EQ(ui::BeepCount(), 1);
    EXPECT_EQ(lastframe, 9);

    // The counter wraps from 65535 to 0.
    Begin(1, 65534);
    HarmonicFrameCheck(65535);
    HarmonicFrameCheck(0);
    HarmonicFrameCheck(1);
    EXPECT_EQ(ui::BeepCount(), 1);
    EXPECT_EQ(lastframe, 1);
    Begin(1, 65535);
    HarmonicFrameCheck(1);   // 0 was lost
    EXPECT_EQ(ui::BeepCount(), 2);
    EXPECT_EQ(lastframe, 1);
}

TEST_F(FrameCheck, FlickerCountersAcceptARepeatAndNoteTheRest)
{
    OpenDiagnosticFiles((dir + "/f.qel").c_str());
    for (int c : switches) SetCtrlVal(measure, c, 1);
    Begin(3, 10);
    FlickerFrameCheck(10, 488);   // the same cycle again
    EXPECT_EQ(ui::BeepCount(), 1);
    EXPECT_EQ(lastframe, 10);
    FlickerFrameCheck(13, 488);   // two lost
    EXPECT_EQ(ui::BeepCount(), 2);
    EXPECT_EQ(run.lost_cycles, 2);
    EXPECT_EQ(lastframe, 13);
    FlickerFrameCheck(20, 488);   // outside the window: a note only
    EXPECT_EQ(ui::BeepCount(), 2);
    EXPECT_EQ(lastframe, 14);
    for (int c : switches) EXPECT_EQ(Val(c), 1) << c;
    CloseDiagnosticFiles();
    std::ifstream in(dir + "/spy.txt");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "Frame=14.000000;Byres read=488,counter=20.000000\n");
}

TEST_F(FrameCheck, LostCyclesDimTheColumnsUntilTheNextStart)
{
    Para p = HarmonicSetUp(1, 3, 3, 0, 30);
    Bench(p, "heater:power=1000");
    // An analyser that counts the cycle dropped by START: no alarm for that.
    auto a = Device(5);
    const sim::Registry::Entry* e = a->registry().find(sim::ParseMessage("START")[0], sim::kShort);
    ASSERT_NE(e, nullptr);
    sim::Handler start = e->handler;
    a->registry().add("START", [start](sim::Analyser& d, const sim::Command& c) {
        sim::Answer r = start(d, c);
        d.faults.counter_jump = 1;
        return r;
    });
    Confirm(p);
    Start();
    Run(2);
    ASSERT_TRUE(RunActive());
    EXPECT_EQ(ui::BeepCount(), 0);
    EXPECT_EQ(run.lost_cycles, 0);
    EXPECT_EQ(Dimmed(MEASURE_U1), 0);

    a->faults.counter_jump = 1;
    Run(1);
    EXPECT_EQ(ui::BeepCount(), 1);
    EXPECT_EQ(run.lost_cycles, 1);
    EXPECT_EQ(Dimmed(MEASURE_U3), 1);
    EXPECT_EQ(Val(MEASURE_SHOWDATA1), 0);
    ASSERT_TRUE(ui::Click(measure, MEASURE_START));   // stop
    EXPECT_FALSE(RunActive());

    Start("again.qel");
    ASSERT_TRUE(RunActive());
    EXPECT_EQ(Dimmed(MEASURE_U1), 0);
    EXPECT_EQ(Dimmed(MEASURE_GRAPH3), 0);
    EXPECT_EQ(Val(MEASURE_SHOWDATA1), 1);
    EXPECT_EQ(Val(MEASURE_SHOWGRAPH2), 1);
    FinishRun();
}
