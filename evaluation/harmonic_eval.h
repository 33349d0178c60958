// Per-frame harmonic evaluation: the live check, PWHD and the THD/PWHD limits
// of EN61000-3-12, the fluctuating-harmonics window and the utilisation
// figures of the graphs.
#pragma once

#include "state/records.h"

#include <cstddef>
#include <cstdint>

// Live check of one frame against the limits in its limit block: HIST is
// rebuilt (0x003 above 100 %, 0x402 above 150 % of some order's limit).
// `result` is not changed.
void CalculateActualResults(HarmFrame& frame, HarmResult& result);

// PWHD in % (orders 14..40 weighted by order, relative to I1); the no-value
// mark when the frame has no fundamental current.
void CalculatePWHD(const HarmFrame& frame, float* out);
float PWHD(const HarmFrame& frame);

// Integer THD and PWHD limits of the EN61000-3-12 tables (the formula
// truncated toward zero; row values at exact row Rsce and beyond the last
// row). PWHDLimit returns -1 for classes that are not judged.
int THDLimit(int32_t cls, float Rsce);
int PWHDLimit(int32_t cls, float Rsce);
// fail = 1 when the value exceeds the limit, else 0 (a no-value never fails).
// ComparePWHD leaves `fail` unchanged for classes below 10.
void ComparePWHD(int32_t cls, float pwhd, float Rsce, int* fail);
void CompareTHD(int32_t cls, float thd, float Rsce, int* fail);

// Fluctuating-harmonics history of one phase: per order a ring of up to 768
// single-frame flags (frame t at bit t mod window) and the count of flags in
// the current window.
struct FluctHistory {
    uint32_t flags[ORDERS][24];
    int32_t count[ORDERS];
    int64_t frames;  // frames stepped since the last clear
};
constexpr int FLUCT_WINDOW_1995 = 500;   // editions 0 and 1
constexpr int FLUCT_WINDOW_2006 = 750;   // later editions
int FluctWindow(int32_t h_standard);
inline bool IsFluctOrder(int n) { return n >= 2 && n <= 19 && !(n >= 12 && n % 2 == 0); }

// One step of the window over `frame` with window length `window`; updates
// HFMX of `result`, sets HIST 0x005 and returns 1 when some order is flagged
// in more than 10 % of the window. Clears the history after a frame whose
// FLTR is 0.
int EvalFluctHarmonics(FluctHistory& history, HarmFrame& frame, HarmResult& result, int window);
// The program's entry: window from `para.h_standard`, history of the phase
// whose record `result` is (buf_result[0..2]; phase 1 for any other record).
int EvalFluctHarmonics(HarmFrame& frame, HarmResult& result);
void ResetFluctHistory(FluctHistory& history);
// Clears the histories of all three phases.
void ResetFluctHistory();
// HFMX at the start of a re-evaluation: 0 for orders 2..11, 13, 15, 17, 19
// and 20, the no-value mark elsewhere.
void InitHFMX(HarmResult& result);

// Utilisation of an order in a frame, %: 100 * current / limit, or the limit
// itself when it is 0 or marked.
float MomentaneAusnutzung(int order, const HarmFrame& frame);
// Largest utilisation over frames with a usable limit; when none has one, the
// last frame's limit (the no-value mark for an empty list).
float MaximaleAusnutzung(int order, const HarmFrame* frames, size_t count);

extern FluctHistory fluct_history[3];
