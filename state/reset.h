// One reset of the whole program state. Every subsystem that keeps state
// registers its reset function next to the state it clears:
//     void reset_records() { ... }
//     REGISTER_STATE_RESET(reset_records);
// Tests call ResetProgramState() at the start of each test instead of
// choosing resets by hand. The toolkit (platform/ui) is reset by its own test
// fixture, which also answers the popups.
#pragma once

#include "platform/state_reset.h"

// Runs every registered reset: the settings record, records and maxima, frame
// lists, channel tables, work modes, panel handles, the subsystems' own
// state, the VISA sessions and port map, the simulated bench and the clock.
void ResetProgramState();
