// State of a measurement run, kept between the ticks of the acquisition
// timer (all on the user-interface thread).
#pragma once

#include <cstdint>
#include <cstdio>

// flicker: 1 while the analyser reports the test running
extern int32_t running;
// harmonics: 1 once the analyser's remaining time was seen above 0
extern int32_t start_flag;
// platform Timer() of the last successful tick, s
extern double time0;
// flicker: remaining test time at the last counted period
extern float t_delay;

struct RunState {
    bool active = false;           // started and not yet finished
    bool file_open = false;        // the logging file `fid` is open for this run
    bool opened[3] = {};           // sessions this start opened (a PAM-C's copies are not)
    bool packed[3] = {};           // sessions switched to the packed answer format
    bool write_failed = false;     // a write to the logging file failed
    bool results_read[3] = {};     // harmonic result records read at the stop
    bool results_failed = false;   // a result read or a file write at the stop failed
    int pwhd_fail[3] = {}, thd_fail[3] = {};   // EN61000-3-12 flags of the last frame
    // flicker switching procedure display: switching countdown shown, period latch
    bool switch_countdown = false;
    bool period_latch = true;
    float last_counter = 0;        // channel 0's COUNT? of the last stored set
    int64_t lost_cycles = 0;       // cycles the frame check found missing
    int64_t skipped_ticks = 0;     // ticks without an answer of the expected length
    int64_t refused_answers = 0;   // answers of a wrong length
    double speed = 1;              // simulation speed: timer intervals are divided by it
};
extern RunState run;

// Phases of the run being measured: `para.phases` within 1..3.
int ActivePhases();

// Where the flicker frame check writes "verloren" for a lost cycle
// (standard output; orivan-cli moves it to standard error).
extern std::FILE* lost_cycle_stream;

// Clears the run state (program state reset).
void reset_run_state();
