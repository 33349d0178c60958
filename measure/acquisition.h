// The acquisition cycle: one tick of the acquisition timer reads the record
// set of the current measuring cycle from every analyser, completes it with
// the live evaluation, shows it, checks the frame counter for lost cycles,
// appends it to the logging file and detects the end of the test.
#pragma once

#include "platform/visa/visa.h"

// What a tick did.
enum TickResult {
    TICK_NONE = 0,       // nothing to do, or no answer yet
    TICK_SKIPPED = -1,   // no usable answer; the next tick tries again
    TICK_STORED = 2,     // a record set was stored
    TICK_ENDED = 1,      // the test has ended; the run is finished and the file closed
    TICK_FAILED = 3,     // a read or a file write failed; the run is finished
};

// The timer's work (cbTimer): a harmonic or a flicker tick while a run is
// active; otherwise the measurement indicators are cleared.
int AcquisitionTick();
int HarmonicTick();
int FlickerTick();

// Seconds without a usable answer before a silent analyser counts as failed.
constexpr double QUIET_LIMIT = 5000.0;
// Bound of the reads that wait for an answer, s.
constexpr double READ_BOUND = 5.0;

// A block read of at most `maximum` bytes, repeated while the analyser has no
// answer, at most `bound` s.
ViStatus ReadBounded(ViSession vi, ViInt32 maximum, unsigned char* dest, ViInt32* count, double bound);

// Frame checks of the counter received (COUNT?) against `lastframe`;
// `bytes` is the size of the answer (for the flicker note in spy.txt).
void HarmonicFrameCheck(float counter);
void FlickerFrameCheck(float counter, int bytes);
