// Re-evaluation of a harmonic logging file, phase by phase: rewrites the
// limits and status bits of every stored frame and completes the phase's
// result record (HIGF, HILT, HFMX).
#pragma once

#include "evaluation/harmonic_eval.h"
#include "state/records.h"
#include "state/para.h"

#include <cstdint>

// State of one phase's pass. The pass is a pure function of the settings
// record, the frames in order and the result record it completes (plus the
// phase-5 note of the live run under EN61000-3-12).
struct PhaseReeval {
    bool active = false;  // false for class values without limits (6..9, unknown)
    int phase = 0;
    int32_t cls = 0, edition = 0;
    float P = 0, pf = 0, I = 0, Rsce = 0;
    int drop_small = 1;
    float* rsce_recommended = nullptr;
    int window = FLUCT_WINDOW_1995;
    FluctHistory history{};
    uint64_t hilt = 0;
    int32_t frames = 0;
    bool over100_seen = false;  // A/B: some frame above 100 % of its stored limit
    bool mark150 = false;       // A/B: some frame above 150 % of the recomputed limit
    bool over150_seen = false;  // 3-12: first frame above 150 % found
    float L[ORDERS]{};          // limits recomputed for the latest frame
    double L150[ORDERS]{}, L200[ORDERS]{};  // A/B: 150 % and 200 % of L (infinite when marked)
    bool avg_over = false;      // A/B: some HIAV above L
    double sum[ORDERS]{};
    bool above200[ORDERS]{};
    double time150[ORDERS]{};   // A/B: time above 150 % of L, s (positive once above)
    HarmFrame last{};
};

// Starts the pass of `phase`: control values by the +-10 % rule, HILT
// cleared, HFMX initialised, the verdict bits this pass decides cleared.
void ReevalBegin(PhaseReeval& s, Para& p, HarmResult& result, int phase);
// Judges one frame (rewrites its limits and HIST as the class requires).
void ReevalFrame(PhaseReeval& s, HarmFrame& frame, HarmResult& result);
// Sets the phase's verdict bits after the last frame.
void ReevalEnd(PhaseReeval& s, HarmResult& result);

// Re-evaluates phase `phase` of an open harmonic logging file (read-write):
// reads the count and the settings record (which replaces `para`), walks
// the phase's frames in place and completes buf_result[phase]. The count is
// trusted only as far as the file holds complete record sets. The last two
// arguments have no effect. Returns 0, or a negative status of files/logfile
// (LOG_ERR_IO for a failed read or write, LOG_ERR_FOREIGN when the head is
// not a harmonic settings record).
int NewLimits(int fd, int phase, int unused1 = -1, int unused2 = -1);

// The same for every phase of the file in one pass (each block read and
// written once): the frames and result records come out exactly as after
// NewLimits for phases 1, 2, 3 in turn. The stop step may call this once and
// then append the result records.
int NewLimitsAll(int fd);
