// Command text to the power source over GPIB, through the VISA layer.
#include "tests/measure/run_fixture.h"

#include "measure/power_source.h"
#include "platform/gpib/ni488.h"
#include "sim/power_source.h"

namespace {


struct PowerSourceTest : RunFixture {
    void TearDown() override
    {
        gpib::reset_ni488();
        RunFixture::TearDown();
    }
    bool Send(int address, const std::string& text)
    {
        SetCtrlVal(measure, MEASURE_SOURCE_ADDRESS, address);
        SetCtrlVal(measure, MEASURE_SOURCE_COMMAND, text);
        return ui::Commit(measure, MEASURE_SOURCE_SEND);
    }
    // The descriptor of the last send is released.
    void ExpectReleased()
    {
        EXPECT_TRUE(gpib::ibwrt(1, "x", 1) & gpib::STATUS_ERR);
        EXPECT_EQ(gpib::iberr(), gpib::ERR_EARG);
        gpib::reset_ni488();
    }
};

}  // namespace

TEST_F(PowerSourceTest, SimulatedSourceTakesTheCommandAndReturnsToLocal)
{
    Para p = HarmonicSetUp(4, 1, 3, 0, 10);
    Bench(p, "heater:power=1000", 1, 10);
    Confirm(p);   // the measuring page is usable from the settings on
    ASSERT_TRUE(Send(10, "VOLT 207.5"));
    EXPECT_TRUE(Errors().empty());
    auto dev = sim::DeviceAt("GPIB::10");
    ASSERT_NE(dev, nullptr);
    ASSERT_EQ(dev->identity.model, "SIM-SOURCE");
    auto src = std::static_pointer_cast<sim::PowerSource>(dev);
    ASSERT_NE(src, nullptr);
    EXPECT_DOUBLE_EQ(src->voltage(), 207.5);
    EXPECT_EQ(src->received.back(), "VOLT 207.5");
    EXPECT_FALSE(src->remote);
    ExpectReleased();
}

TEST_F(PowerSourceTest, NobodyListeningAndNoBusAreReported)
{
    Para p = HarmonicSetUp(4, 1, 3, 0, 10);
    Bench(p, "heater:power=1000", 1, 10);
    Confirm(p);
    // Nothing at address 12 of the simulated bus.
    ui::QueueMessageAck();
    ASSERT_TRUE(Send(12, "OUTP ON"));
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "Unable to send string to power source");
    ExpectReleased();
    // A source that stopped listening.
    auto src = sim::DeviceAt("GPIB::10");
    ASSERT_NE(src, nullptr);
    src->faults.disconnected = true;
    ui::QueueMessageAck();
    ASSERT_TRUE(Send(10, "OUTP ON"));
    EXPECT_EQ(Errors().back(), "Unable to send string to power source");
    ExpectReleased();

    // Without simulation and without a GPIB driver there is no interface at all.
    sim::reset_bench();
    visa::reset_visa();
    ui::QueueMessageAck();
    ASSERT_TRUE(Send(10, "OUTP ON"));
    EXPECT_EQ(Errors().back(), "Unable to open the interface of the power source");
}
