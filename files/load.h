// Loading a stored measurement into the program's working state: the frame
// lists, `para`, the records, the maxima of a harmonic run, the period
// statistics of a flicker run and the verdict indicators. The callbacks of
// the introduction page are in files/load_panel.cpp and app/load_panel.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

// What the last call of load_measurement found.
struct LoadReport {
    int status = 0;             // 0 loaded, negative when refused (state unchanged)
    int format = 0;             // LogFormat of files/logfile
    bool interrupted = false;   // the run ended without its stop step
    int32_t count = 0;          // C at offset 0
    int32_t results = 0;        // harmonic result records read
    bool short_read = false;    // a read failed: the frames so far are kept
    char message[1200] = "";    // the error shown, when refused
};
const LoadReport& LastLoadReport();

// ---- loading -------------------------------------------------------------------
// Loads the logging file at `path` into the state above, `para`, `buf`,
// `flkbuf`, `buf_result` and the maxima, and refreshes the panels. The two
// integers have no effect. 0, or negative when the file is missing or
// refused (the previous state stays; a message names the file).
int load_measurement(const char* path, int first, int last);
// Placeholders kept from the old program: nothing to do, 0.
int load_old_measurement();
int RecalculateResults();

// Disposes of the lists and clears the loading state (registered with the
// program-state reset).
void reset_load_state();
