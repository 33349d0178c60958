// The work mode of the program and the graph view of the measurement panel.
#pragma once

#include <cstdint>

extern int32_t workmode;   // 0 measuring, 1 results, 2 settings, 3 start-up
extern int32_t viewmode;   // graph view of the measurement panel
extern int my_dummy;       // what the graph panel shows: 3 standard view, 4 plot view (0 before a load)

// All back to 0 (registered with the program-state reset).
void reset_workmode_state();
