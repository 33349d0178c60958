// Facts of the loaded test that the protocols, the report script and the
// detailed protocol share: the EUT fields, dates and times, the test kind of
// the loaded run, verdict words and the rows of the flicker tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fixed_text.h"
#include "state/records.h"
#include "reports/put.h"

// Number of phases of the loaded run: 3 or 1.
int ReportPhases();
// Test kind of the loaded run: 0 harmonics, 1 flicker, taken from the frame
// lists (their record size) when a run is loaded, else from `para`.
int LoadedTestKind();

// The seven EUT strings (0 name, 1 department, 2 company, 3 device,
// 4 manufacturer, 5 type, 6 serial number) from the settings panel, the
// working copy; from `para` when the panel is not loaded.
std::string EutField(int index);
// Comment line 0..6 of `para`.
std::string CommentLine(int index);

// Date in words: "%i[w2p0]. " with the day, the month's English name and a
// blank (nothing for a month outside 1..12), then the year "%i[w4p0]".
int Date2Asc(int day, int month, int year, std::string* out);
// Seconds as "hh:mm:ss".
std::string HmsText(int seconds);
// Today's date in words and the current time (the clock's).
std::string TodayText();
std::string NowText();
// Date in words and time of the logging file (empty when it is missing).
void LogFileDateTime(std::string* date, std::string* time);
// The program's name ("ORIVAN") and the version that wrote the run.
std::string ProgramName();
std::string RunVersion();

// "ok  " / "fail" (harmonic verdicts) and "ok" / "fail" (flicker verdicts).
inline const char* OkFail4(bool fail) { return fail ? "fail" : "ok  "; }
inline const char* OkFail(bool fail) { return fail ? "fail" : "ok"; }
// " " or "!" for an order's flag in a two-word order mask.
const char* OrderMark(const int32_t words[2], int order);

// Harmonic runs: some measured phase has one of the bits in that word of its
// result record.
bool AnyPhase(int32_t HarmResult::*word, int32_t bits);
// Harmonic runs: whether the limits of class C / D came from measured values.
bool ClassDMeasuredPower(int phase);
bool ClassCMeasuredValues(int phase);
// The class D check of the 1995 editions failed on that phase.
bool ClassDCheckFailed(int phase);
// Class text with the chosen Rsce for the EN61000-3-12 tables.
std::string ClassWithRsce();

// Flicker runs.
bool DmaxOnlyTest();                 // the switching procedure measures dmax only
bool ImpedanceLines();               // the limits standard names "3-11"
std::string ReferenceImpedanceText(); // "0,4+j0,25" or "0,24+j0,15"
// Per-phase dmax verdict of a dmax-only test: the results panel's dmax
// indicator (FLRE bit 0x8 when the panel is not loaded).
bool DmaxIndicator(int phase);

// "Error %i. Cannot print <what>" in a message titled "Error"; returns -1.
int PrintError(int code, const char* what);

// Stored entries of a phase (1-based, as in the frame list); false when missing.
int EntryCount(int phase);
bool FlickerEntry(int phase, int position, FlkFrame* out);
bool HarmonicEntry(int phase, int position, HarmFrame* out);

// The rows of the flicker tables: the list positions of the entries that
// make a row, by the row rule applied to the entries of `phase`. dmax-only
// tests take each entry whose event flag (last second of a period) rises;
// otherwise an entry in the first second of a period makes a row once per
// second, not in the run's very first second, and entries of the finished
// state fill the rows up to the number of periods.
std::vector<int> FlickerRowEntries(int phase);
// A row of the flicker tables over all phases: the entries at that list
// position and, per phase, the largest and smallest d(t) of the entries
// since the row before (the row's own included).
struct FlickerTableRow {
    int number = 0;         // running number from 1
    FlkFrame entry[3]{};
    float dtMax[3]{}, dtMin[3]{};
};
std::vector<FlickerTableRow> FlickerTableRows();
// The event flag of a dmax-only test.
inline bool FlickerEvent(const FlkFrame& f) { return f.fstr == 1; }
