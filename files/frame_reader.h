// Harmonic frames of a current-format logging file straight into the frame
// lists, with their maxima: from a mapping of the file (no copy through a
// read buffer), else by reads.
#pragma once

#include <cstdint>

#include "files/logfile.h"

// firstframe from the COUNT? of the first harmonic record (stored bytes).
void FirstFrameFrom(const unsigned char* rec);
// Reads every set of the layout into listbuf (lists already made), updating
// `size`, `buf` and the maxima and calling progress(size) as it goes. 1, or
// LOG_ERR_IO when a read failed or the file was cut short meanwhile (the
// frames taken so far stay).
int ReadHarmonicSets(int fd, const LogLayout& L, void (*progress)(int32_t frames));
