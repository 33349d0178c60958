// The flicker bars of a run or a stored test: the bar counter of each phase
// (completed observation periods, the x position of the next bar) and the
// voltage over-range seen in the current period. Advanced by the acquisition
// cycle and the stored run's bar chart, read by the live display.
#pragma once

#include <cstdint>

extern int32_t number[3];
extern int32_t overflag[3];

// Both back to 0 (registered with the program-state reset).
void reset_flicker_bars();
