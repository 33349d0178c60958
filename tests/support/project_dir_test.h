// Headless UI test in a project directory of its own: a fresh folder under the
// build tree named after the test, with the program's resources beside it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/config.h"
#include "platform/lowfile.h"
#include "platform/ui/ui.h"
#include "platform/ui/ui_testing.h"
#include "state/reset.h"

struct ProjectDirTest : ui::HeadlessUiTest {
    std::string dir;
    // The last step of a SetUp: resources, then an empty project directory
    // ORIVAN_BINARY_DIR/<prefix><test name> made the current one.
    void EnterProjectDir(const std::string& prefix)
    {
        ui::SetResourceDir(std::string(ORIVAN_SOURCE_DIR) + "/resources");
        dir = std::string(ORIVAN_BINARY_DIR) + "/" + prefix +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        SetProjectDir(dir.c_str());
    }
    void TearDown() override
    {
        SetProjectDir(nullptr);
        ui::SetResourceDir("");
        ResetProgramState();
        HeadlessUiTest::TearDown();
    }
};
