// A measurement run from the start to its end: starting (preparation,
// logging file, start), the user's stop, and finishing (every channel
// stopped, final results stored, file closed) on every way a run ends.
// The page changes that go with these steps are the callers' (app/).
#pragma once

#include <cstdint>
#include <string>

// Starts a run into the logging file `path`: the defaults of zero ranges,
// the preparation of every channel, the file, "Ready to start", continuous
// measuring and the start; both timers on. 0, or -1 after a message, with
// everything this start opened closed again (the file removed).
int StartRun(const char* path);
// The user's stop: `meas_time` becomes the elapsed time, then FinishRun.
// -1 when no run is active.
int UserStop();
// Ends an active run: timers off, each channel stopped and closed, the
// final results read and stored (or, when they cannot be read, none of the
// stop's records: the file then loads as an interrupted run), the file
// closed, indicators and the start toggle reset. Nothing when no run is active.
void FinishRun();
// FinishRun under the message "The measuring setup is reset.\nWait please".
void ResetSetup();
bool RunActive();
// Closes the sessions the current start opened, channels 0..last (a PAM-C
// only through channel 0), and marks them closed.
void CloseStartedSessions(int last);

// Shows a failure (title "Error") and finishes the run; used by the ticks.
void AbortRun(const std::string& text);
// A failed write to the logging file: message, run finished.
void FileWriteFailed();

// Simulation speed N: the timers tick N times as often (1 = real time).
void SetRunSpeed(double speed);

// Figures for a progress display.
struct RunProgress {
    bool active = false;
    bool started = false;         // the analyser's test has begun (remaining time, or flicker state 2)
    int test_kind = 0;
    int32_t remaining = 0;        // s, FLTR of channel 0
    int32_t period_remaining = 0; // s, flicker FSTR
    int32_t state = 0;            // flicker FSTA
    int32_t stored = 0;           // record sets stored
    int64_t lost_cycles = 0;
    int64_t skipped_ticks = 0;
};
RunProgress CurrentProgress();
// The figures of the last run as they stood when it finished.
RunProgress LastRunProgress();
