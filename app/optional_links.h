// Functions of other subsystems that start-up, the work modes and shutdown
// call: the settings page and the ranges directly, the rest when they are
// part of the program. They are declared weak: until the
// subsystem that defines them is linked in, the address is null and the
// caller does without. Programs link the core as a whole archive so that
// every definition present is found.
#pragma once

#include "app/settings_panel.h"     // set_parameter, SetSettings
#include "display/live_display.h"   // SetResultsPanel, DrawData, ClearList, ClearGraph
#include "evaluation/ranges.h"      // AdaptTypeOfAnalyser
#include "state/para.h"

extern int load_measurement(const char* path, int first, int last) __attribute__((weak));
