// One clock for Timer, Delay, dates and every wait. The real clock follows
// the system; the virtual clock (tests, accelerated simulation) advances
// instantly on Delay and by a small nominal cost on each instrument I/O call.
#pragma once

#include <cstdint>
#include <ctime>

// Seconds since the program started (real or virtual).
double Timer();
// Waits (real clock) or advances (virtual clock) by the given seconds.
void Delay(double seconds);

// Switches between the real and the virtual clock. The virtual clock starts at
// Timer() = 0 and at the given calendar time (default: 2026-01-01 00:00:00 UTC).
void UseVirtualClock(bool on, std::time_t epoch = 1767225600);
bool IsVirtualClock();
// Advances the virtual clock (no effect on the real clock).
void AdvanceClock(double seconds);
// Nominal cost of one instrument I/O call on the virtual clock, seconds
// (default 0.0001).
void SetIoCost(double seconds);
// Called by every I/O back-end once per call: advances the virtual clock by
// the I/O cost; on the real clock yields briefly when `idle` is true.
void ClockIoTick(bool idle = false);

// Calendar time of the clock (real: the system, shown in local time;
// virtual: epoch + Timer(), shown in UTC so tests do not depend on the zone).
std::time_t ClockNow();
void GetSystemDate(int* month, int* day, int* year);
void GetSystemTime(int* hours, int* minutes, int* seconds);
// "HH:MM:SS" and "MM-DD-YYYY" of the clock's current time.
const char* TimeStr();
const char* DateStr();
// Date and time (local) of a file's last modification; return 0, or -1 when
// the file is missing.
int GetFileDate(const char* path, int* month, int* day, int* year);
int GetFileTime(const char* path, int* hours, int* minutes, int* seconds);

// Restores the real clock and the default I/O cost.
void reset_clock();
