// Readable listing of a settings record and a sample set-up (orivan-cli).
#pragma once

#include <string>

#include "state/para.h"

// Every field of the record by name, one per line; arrays per phase (or
// analyser / input), texts quoted, standard and class with their protocol
// texts, reserved bytes as "zero" or in hex.
std::string ShowConfig(const Para& record);

// A plausible harmonic set-up: three PAM-A on GPIB, EN61000-3-2:2006 class A,
// 2.5 minutes, with test data, comments and flicker values filled in.
void MakeSampleConfig(Para& record);
