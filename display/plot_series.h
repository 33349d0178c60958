// The data a plot shows, taken from the frame lists of the loaded run: time
// curves, the sample series of histograms and correlations, and the frames
// that carry the bars of a stored flicker run. Pure data; drawing is in
// display/plot.h and display/histogram.h.
#pragma once

#include <vector>

#include "display/plot_quantities.h"
#include "state/records.h"

// Frames of the phase's list (0 when the phase has none or the list does
// not hold records of the run's kind).
int FrameCount(int phase);
// Frame k (0-based, list order); false when out of range or of another kind.
bool HarmFrameAt(int phase, int k, HarmFrame* out);
bool FlkFrameAt(int phase, int k, FlkFrame* out);

// Restricts every series to the frames first .. last (0-based, inclusive;
// last < 0: to the end). The program shows whole runs; orivan-cli plot
// --frames narrows it.
void SetPlotFrameWindow(int first, int last);
void GetPlotFrameWindow(int* first, int* last);

// Value of a quantity in one record; `j` selects one of the 32 values of the
// array quantities of flicker records.
double HarmValue(const HarmFrame& f, int quantity);
double FlkValue(const FlkFrame& f, int quantity, int j);

// A time curve: x in frames (flicker array quantities: 32 points per frame
// at x = frame + j / 32), y the values. Harmonic orders also carry the
// frame's limit (NaN where the frame has none).
struct TimeCurve {
    std::vector<double> x, y, limit;
    bool no_limit = false;   // some frame's limit carries the no-limit mark
};
// Harmonic runs: every frame; `percent` gives the momentary utilisation of
// an order. Flicker runs: frames 0 .. n-2 (the last frame is not plotted),
// 32 points each. False when the code is not a quantity of the loaded run or
// the phase has no frames.
bool TimeCurveOf(int code, bool percent, TimeCurve* out);

// Whether a frame's limit is usable for a curve of limits or utilisation.
inline bool HasLimit(double limit) { return limit == limit && limit != 0.0; }

// Runs [begin, end) of consecutive indices with a usable limit.
struct Segment { int begin, end; };
std::vector<Segment> LimitSegments(const std::vector<double>& limit);

// Samples of histograms and correlations (non-finite values left out).
// Harmonic runs: one per frame. Flicker runs: 32 per frame for the array
// quantities, one per completed observation period for "Pst" (at most
// fl_periods), one per frame otherwise.
std::vector<double> SampleSeries(int code);

// The period-boundary rule of stored flicker runs (not switching): a frame
// one second into a new period, or the final frame.
bool PstPeriodBoundary(const FlkFrame& f, int period_seconds, int periods, int last_fltr);

// The bars of a stored flicker run's Pst or dmax chart: the frame index of
// each bar and whether an over-range frame was seen since the last bar.
struct FlickerBar {
    int frame;
    bool overrange;
};
std::vector<FlickerBar> FlickerBars(int phase);
