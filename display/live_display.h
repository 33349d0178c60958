// The live measurement display: the values and lamps of each phase, the bar
// graph of each phase (harmonic spectrum against its limits, or one bar per
// flicker observation period), the remaining times, and the visibility of
// the verdict lamps and settings controls of a test kind. The acquisition
// cycle calls it once per tick and phase; the loading of a stored
// measurement uses the same functions on the graph panel.
#pragma once

#include <cstdint>
#include <string>

#include "state/flicker_bars.h"   // number, overflag

// Range utilisation above which a field is shown as over range, %.
constexpr float OVER_RANGE = 99.9f;

// Limits of the orders 0..40 as last drawn (0 where there is no limit).
extern float drawn_limits[41];

// Shows the numeric values and lamps of one phase: the frame-values popup
// for a stored measurement (work mode 1 or 2), the phase's column of the
// measuring page while a run is live.
void ShowData(int phase);
// Draws the bar graph of one phase: the phase's graph on the measuring page
// while measuring, the graph panel's graph for a stored measurement.
void DrawData(int phase);

// The column of phase L1, L2, L3 on the measuring page: `on` 0 clears and
// dims the show-limits box and dims the graph (1 undims them); `active` 0
// dims every value field and lamp of the column (1 undims them).
void ShowPanelA(int on, int active);
void ShowPanelB(int on, int active);
void ShowPanelC(int on, int active);

// Settings page: dims the controls of the other test kind (0 harmonics,
// 1 flicker) and enables those of `kind` as far as the page's own choices
// allow; hides the measuring page's busy message.
void SetMeasPanel(int kind);
// Results page: the verdict lamps of the test kind visible, those of the
// other kind hidden (THD and PWHD only under EN61000-3-12, the rated-value
// lamps only for classes C and D).
void SetResultsPanel(int kind);

// "hh:mm:ss" of a number of seconds (negative counts as 0).
void Time2Asc(int seconds, std::string* text);
// Remaining period time and remaining measuring time on the measuring page.
void display_time(int period_remaining, int run_remaining);

// Deletes every plot of the graph panel's graph and of the three phase
// graphs, and forgets the heights of the bars drawn.
void ClearGraph();
// Empties the graph panel's plot list and the protocol text.
void ClearList();

// Clears the drawn limits and bar heights (program state reset).
void reset_live_display();
