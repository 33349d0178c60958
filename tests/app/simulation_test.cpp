// The program's wiring of the simulated bench.
#include <gtest/gtest.h>

#include "app/simulation.h"
#include "platform/visa/visa.h"
#include "sim/bench.h"
#include "state/para.h"
#include "state/reset.h"

namespace {

TEST(Bench, AnalysersFollowTheSettings)
{
    ResetProgramState();
    sim::FollowSettingsRecord();
    sim::EnableSimulation(true);
    para.analyser = 2;
    ViSession rm = 0, vi = 0;
    ASSERT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
    ASSERT_EQ(viOpen(rm, "GPIB::8", 0, 0, &vi), VI_SUCCESS);
    EXPECT_EQ(sim::DeviceAt("GPIB::8")->kind(), sim::Kind::PamB);
    para.analyser = 1;
    ASSERT_EQ(viOpen(rm, "GPIB::8", 0, 0, &vi), VI_SUCCESS);
    EXPECT_EQ(sim::DeviceAt("GPIB::8")->kind(), sim::Kind::PamC);
    EXPECT_EQ(sim::DeviceAt("GPIB::8")->identity.serial.rfind("SIM", 0), 0u);
    ResetProgramState();
}

}  // namespace
