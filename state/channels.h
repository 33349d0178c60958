// Channel tables of the analysers (index = channel 0..2, one per phase with
// three single-phase analysers).
#pragma once

#include <cstdint>

#include "platform/visa/visa.h"

extern ViSession id[3];         // driver session of the channel, 0 when closed
extern int32_t pamaopen[3];     // 1 while the channel's session is open
extern int32_t instrument[3];   // 1 = the analyser/phase takes part in the run

// Clears the three tables (registered with the program-state reset).
void reset_channel_state();
