// The stop path of a run: ending continuous measuring, reading the final
// results, storing what the stop adds to the logging file, returning the
// analysers to local operation and closing the sessions.
#pragma once

// Ends continuous measuring of a channel ("CONT OFF;STOP"), then flushes
// the analyser's output. Nothing for the copies of a PAM-C's session or a
// channel whose measurement is not open. `flag` has no effect.
void stop_meas1(int channel, int flag);
// Reads the channel's harmonic result records, resets the answer format,
// returns the reference impedance to local (channel 0) and closes the
// session; the last three steps are taken even after a failed step. Only
// for a channel whose measurement is open. Returns 0, or the status of the
// first step that failed.
int stop_meas(int channel);

// What the stop adds to the logging file `fid`, after every channel's
// stop_meas: harmonic runs the count and the settings record, the
// re-evaluation of every frame and the result records in phase order (all
// of it, or none when a result read failed); flicker runs the closing
// record set and the header. Sets the results page's verdict lamps of a
// harmonic run. 0, or negative when a write failed.
int StoreRunEnd();

// Stop-path messages are shown once per channel, and not at all for a
// channel whose reads already failed.
void QuietStop(int channel);
// Forgets which channels are quiet (a new start).
void reset_stop_state();
