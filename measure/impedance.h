// The reference-impedance unit, switched through the digital outputs of the
// analyser on channel 0: output 1 set = the unit in local operation, clear =
// under remote control; output 2 set with output 4 clear puts the reference
// impedance into the supply path (flicker), output 4 set with output 2
// clear feeds the equipment directly (harmonics).
#pragma once

#include "platform/visa/visa.h"

// The preparation's sequence: unit to local, the path of the test kind
// (1 flicker, else harmonics), unit back to remote, with 0.5 s between the
// steps. 0, or -1 after showing the message of the step that failed.
int SwitchImpedancePath(ViSession vi, int test_kind);
// End of a test: "DOCO1 0", digital output 1 off, which the test set-up
// takes as the reference impedance returned to local. 0 or -1 (the caller
// reports "Unable to set impedance to local").
int ReleaseImpedance(ViSession vi);
