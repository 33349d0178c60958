// Test fixture: the driver against the simulated bench on the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "instrument/notify.h"
#include "instrument/pamx.h"
#include "platform/clock.h"
#include "platform/visa/backend.h"
#include "app/simulation.h"
#include "sim/bench.h"
#include "state/para.h"
#include "state/reset.h"

struct Shown {
    std::string title, text;
};

class SimBench : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        sim::FollowSettingsRecord();
        sim::EnableSimulation(true);
        UseVirtualClock(true);
        shown.clear();
        SetDriverMessageHandler([this](const char* t, const char* x) { shown.push_back({t, x}); });
    }
    void TearDown() override
    {
        SetDriverMessageHandler(nullptr);
        ResetProgramState();
    }

    // A PAM-A (or another kind) at a GPIB address or a serial port.
    std::shared_ptr<sim::Analyser> at(const std::string& resource, sim::Kind k = sim::Kind::PamA)
    {
        auto a = std::make_shared<sim::Analyser>(k);
        sim::Attach(resource, a);
        return a;
    }

    // Opens a session directly (no driver set-up).
    ViSession open(const std::string& resource)
    {
        ViSession rm = 0, vi = 0;
        EXPECT_EQ(viOpenDefaultRM(&rm), VI_SUCCESS);
        EXPECT_EQ(viOpen(rm, resource.c_str(), 0, 0, &vi), VI_SUCCESS);
        return vi;
    }

    std::vector<Shown> shown;
};
