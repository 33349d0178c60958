// Callees of the loading that belong to the display, the result tables and
// the protocol. The settings page's set_parameter and the graph panel's
// callees are declared weak: where they are not linked in, the address is
// null and the loading does without. The signatures must match the
// definitions (see docs/files.md).
#pragma once

#include "reports/protocol.h"        // CreateProtocol
#include "reports/result_tables.h"   // createTable, createTableResultNew, createPstTableNew
#include "state/para.h"
#include "state/records.h"

#include "display/live_display.h"   // DrawData, SetResultsPanel, SetMeasPanel

extern void set_parameter(Para record) __attribute__((weak));

extern void DrawFlicker(int phase) __attribute__((weak));
extern void setup_plot_list() __attribute__((weak));
extern void TakeRunPara() __attribute__((weak));   // keeps the loaded run's settings for its graphs
extern void SwitchZoomCursors(int mode) __attribute__((weak));   // zoom cursors off after a load (app/load_panel)
