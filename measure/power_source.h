// Free command text to a programmable power source on the GPIB bus.
#pragma once

// Sends `text` with a line feed appended to the source at primary address
// `address` (board 0, time-out 3 s, EOI with the last byte) and returns it
// to local operation; the descriptor is released in every case. 0, or -1
// after showing "Unable to open the interface of the power source" or
// "Unable to send string to power source" (title "Error").
int SendToSource(int address, const char* text);
