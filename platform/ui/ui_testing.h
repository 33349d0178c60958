// GoogleTest fixture for logic tests on the headless back-end: a clean
// toolkit per test, unexpected popups fail the test with their title and
// text, and answers queued but never asked for are reported.
#pragma once

#include <gtest/gtest.h>

#include "platform/ui/headless.h"

namespace ui {

class HeadlessUiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetUi();
        SetUnexpectedPopupHandler([](const std::string& what) { ADD_FAILURE() << "unexpected " << what; });
    }
    void TearDown() override
    {
        EXPECT_EQ(QueuedAnswers(), 0u) << "queued popup answers were not used";
        ClearQueuedAnswers();
        SetUnexpectedPopupHandler({});
        ResetUi();
    }
};

}  // namespace ui
