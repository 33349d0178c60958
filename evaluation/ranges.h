// Measuring ranges, external current sensors (clamps) and the clamp list
// file "CLAMPS.INF": the per-phase range controls of the settings page.
#pragma once

// Analyser set-up list: 4 "1 x PAM-A", 0 "3 x PAM-A", 1 "1 x PAM-C", 2 "1 x PAM-B".
void AdaptTypeOfAnalyser(int flag, int panel, int control);
// Clear a list and fill it with the voltage / current ranges of a set-up.
void AdaptURanges(int panel, int control, int analyser);
void AdaptIRanges(int panel, int control, int analyser);
// Clears a list and fills it from "CLAMPS.INF" in the program's directory.
// -1 when the file cannot be opened (the list stays empty), else 0.
int ReadClampInfo(int panel, int control);
// Clears a list and fills the default current ranges.
int SetDefaultRanges(int panel, int control);
// Clears a current range list and fills the six ranges of a clamp with ratio
// value v: v/32 ... v, labelled "%f %s" in A, or in mA below 1 A.
int FillClampRanges(int panel, int control, double v);
// Selects the list item whose value equals a stored single-precision value
// (relative 1e-6); -1 and no change when there is none.
int SelectRangeValue(int panel, int control, double value);
// Refills all per-phase range and clamp controls of the settings page.
void AdaptRanges(int analyser);

// Per-phase control ids of the settings page (phase index 0..2).
extern const int SETTING_URANGE_ID[3];
extern const int SETTING_IRANGE_ID[3];
extern const int SETTING_USCALE_ID[3];
extern const int SETTING_ISCALE_ID[3];
extern const int SETTING_EXT_ID[3];
extern const int SETTING_CLAMP_ID[3];
