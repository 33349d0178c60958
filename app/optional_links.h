// Functions of other subsystems that start-up, the work modes and shutdown
// call: the settings page and the ranges directly, the rest when they are
// part of the program. They are declared weak: until the
// subsystem that defines them is linked in, the address is null and the
// caller does without. Programs link the core as a whole archive so that
// every definition present is found.
#pragma once

#include "app/settings_panel.h"   // set_parameter, SetSettings
#include "evaluation/ranges.h"    // AdaptTypeOfAnalyser
#include "state/para.h"

extern int load_measurement(const char* path, int first, int last) __attribute__((weak));
extern void SetResultsPanel(int test_kind) __attribute__((weak));
extern void DrawData(int phase) __attribute__((weak));
extern void ClearList() __attribute__((weak));
extern void ClearGraph() __attribute__((weak));
extern void stop_meas1(int channel, int flag) __attribute__((weak));
extern int stop_meas(int channel) __attribute__((weak));
