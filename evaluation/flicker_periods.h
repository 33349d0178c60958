// Observation periods of a flicker run: the dmax of each completed period,
// their extremes and the switching-procedure mean, found by scanning the
// frames of phase L1.
#pragma once

#include <cstdint>

#include "state/records.h"

// Flicker period statistics of the last run or load (per phase).
struct FlickerPeriodStats {
    int32_t periods = 0;        // completed observation periods taken
    float dmax[3][64] = {};     // dmax of each period (first 64 kept for reports)
    float max[3] = {}, min[3] = {};
    int32_t imax[3] = {}, imin[3] = {};
    float mean[3] = {};         // switching-procedure mean
    bool mean_exceeded[3] = {}; // mean > dmax_limit
};
extern FlickerPeriodStats fl_stats;

// Switching-procedure mean of `n` period values: the largest and the
// smallest value (two different periods; periods 0 and 1 when all are equal)
// are left out and the rest averaged. With fewer than three periods the mean
// of the values present; 0 without any.
float SwitchingMean(const float* values, int n, int imax, int imin);

// Period ends of a flicker run, seen on phase L1's frames.
struct PeriodScan {
    int latch = 0;
    int32_t last_fltr = 0;
    int32_t limit = 0;   // fl_periods

    // Takes a set of frame records (P phases) in the order of the file.
    void See(const FlkFrame* recs, int P);
};

// Clears fl_stats (registered with the program-state reset).
void reset_flicker_periods();
