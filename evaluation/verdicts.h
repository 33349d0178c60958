// Verdict indicators of the results panel: from buf_result for harmonic
// runs, from the last frames and fl_stats for flicker runs.
#pragma once

void SetHarmonicVerdicts();
void SetFlickerVerdicts();

// The indicators of one phase as they are set (1 = failed).
struct VerdictLamp {
    const char* name;   // "IALL", "I100", ... / "FAIL", "PST", ...
    int control;        // results-panel control
    int value;
};
constexpr int HARMONIC_LAMPS = 14;
constexpr int FLICKER_LAMPS = 6;
// Fills `out` for phase 0..2 (all zero for phases the run did not measure);
// returns the number of lamps.
int HarmonicLamps(int phase, VerdictLamp out[HARMONIC_LAMPS]);
int FlickerLamps(int phase, VerdictLamp out[FLICKER_LAMPS]);
