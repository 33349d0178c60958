// The two views of the graph panel (standard view: the frame-by-frame graph
// of one phase; plot view: the plot list) and the frame selector.
#pragma once

#include "state/para.h"

enum {
    VIEW_STANDARD = 3,
    VIEW_PLOTS = 4,
};
// What the graph panel shows, `my_dummy` (state/workmode.h, shared with the graph
// titles): VIEW_STANDARD or VIEW_PLOTS (0 before the first load). The live
// display redraws the selected plot in the plot view.

// Switches the graph panel to the standard view (1) or the plot view (0):
// dims the tools of the other view and redraws.
void SetViewMode(int standard);
// Draws frame k of a phase of a stored harmonic run (the frame selector),
// fills the frame table and the over-range indicator. False when the run
// has no such frame.
bool ShowFrame(int phase, int k);
// The frame-values popup with frame k of a phase.
bool ShowFrameValues(int phase, int k);
// "No" in green when the current range utilisation is at most 99.9 %, else
// "Yes" in red.
void SetOverRangeIndicator(double ovri);
// The phase selected on the graph panel (0..2).
int SelectedPhase();

void reset_view_state();
