// Preparing the analysers of a run: opening and configuring each channel,
// sending the cyclic query with continuous measuring, and starting.
#pragma once

// Opens and configures `channel` for the test of `para`: 0, or -1 after
// showing the failure (title "Error").
int prepare_meas(const char* file, int channel);
// Sends the cyclic query and switches continuous measuring on: 0 or -1.
int prepare_meas2(int channel);
// Starts the measurement of `channel`: 0 or -1.
int start_meas(int channel);

// Flicker variant sent as FNRM: the choice of the confirmed settings record
// (0 base edition, 1 with A1, 2 switching procedure, 3 EN61000-3-11).
int FlickerVariant();
// Whether the flicker preparation tells the analyser the reference and test
// impedance ("ZREF ...;ZTST ..."): while `h_standard` holds 4, or for
// EN61000-3-11 (variant 3).
bool SendsImpedance();
// EVAL value of a class (classes 4 and 5 are sent as 2).
int EvalValue(int h_class);
