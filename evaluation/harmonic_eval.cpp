#include "evaluation/harmonic_eval.h"

#include "evaluation/marks.h"
#include "state/reset.h"
#include "state/para.h"

#include <cmath>
#include <cstring>

FluctHistory fluct_history[3];

void CalculateActualResults(HarmFrame& frame, HarmResult& /*result*/)
{
    frame.hist = 0;
    for (int n = 0; n < ORDERS; ++n) {
        const float l = frame.limit[n];
        if (Marked(l)) continue;
        const float h = frame.hiam[n];
        if (h > l) frame.hist |= HIST_FAIL | HIST_OVER100;
        if (double(h) > 1.5 * double(l)) frame.hist |= HIST_OVER150 | HIST_OVER100;
    }
}

float PWHD(const HarmFrame& frame)
{
    const double i1 = frame.hiam[1];
    if (!(i1 > 0.0) || !std::isfinite(i1)) return NoLimit();
    double sum = 0.0;
    for (int n = 14; n <= 40; ++n) {
        const double r = double(frame.hiam[n]) / i1;
        sum += n * r * r;
    }
    return float(100.0 * std::sqrt(sum));
}

void CalculatePWHD(const HarmFrame& frame, float* out)
{
    if (out) *out = PWHD(frame);
}

namespace {

// Truncation toward zero of a formula whose decimal value may lie a hair
// below an integer in binary (0.11 * 100 + 9).
int Truncate(double v)
{
    return int(std::trunc(v + (v >= 0 ? 1e-6 : -1e-6)));
}

int RowLimit(float Rsce, const float* rows, const int* values, int nrows, double k, double c)
{
    if (Rsce > rows[nrows - 1]) return values[nrows - 1];
    for (int i = 0; i < nrows - 1; ++i)
        if (Rsce == rows[i]) return values[i];
    return Truncate(k * double(Rsce) + c);
}

const float kRows5[] = {33.0f, 66.0f, 120.0f, 250.0f, 350.0f};
const float kRows2[] = {33.0f, 120.0f};

}  // namespace

int THDLimit(int32_t cls, float Rsce)
{
    static const int t2[] = {23, 26, 30, 40, 47};
    static const int t3[] = {13, 16, 22, 37, 48};
    static const int t4[] = {13, 48};
    switch (cls) {
    case 10: return RowLimit(Rsce, kRows5, t2, 5, 0.075, 21);
    case 11: return RowLimit(Rsce, kRows5, t3, 5, 0.11, 9);
    case 12: return RowLimit(Rsce, kRows2, t4, 2, 0.4, 0);
    default: return Truncate(0.075 * double(Rsce) + 21);
    }
}

int PWHDLimit(int32_t cls, float Rsce)
{
    static const int t2[] = {23, 26, 30, 40, 47};
    static const int t3[] = {22, 25, 28, 38, 46};
    // EN61000-3-12 Table 4: 22 at Rsce 33 and 46 from Rsce 120 on; the
    // formula only bridges the two rows.
    static const int t4[] = {22, 46};
    switch (cls) {
    case 10: return RowLimit(Rsce, kRows5, t2, 5, 0.075, 21);
    case 11: return RowLimit(Rsce, kRows5, t3, 5, 0.075, 20);
    case 12: return RowLimit(Rsce, kRows2, t4, 2, 0.27, 13);
    default: return -1;
    }
}

void ComparePWHD(int32_t cls, float pwhd, float Rsce, int* fail)
{
    if (!fail || cls < 10) return;
    const int lim = PWHDLimit(cls, Rsce);
    if (lim < 0) return;
    *fail = (!IsNaN(pwhd) && double(pwhd) > lim) ? 1 : 0;
}

void CompareTHD(int32_t cls, float thd, float Rsce, int* fail)
{
    if (!fail) return;
    *fail = (!IsNaN(thd) && double(thd) > THDLimit(cls, Rsce)) ? 1 : 0;
}

int FluctWindow(int32_t h_standard) { return h_standard <= 1 ? FLUCT_WINDOW_1995 : FLUCT_WINDOW_2006; }

void ResetFluctHistory(FluctHistory& h) { std::memset(&h, 0, sizeof h); }

void ResetFluctHistory()
{
    for (FluctHistory& h : fluct_history) ResetFluctHistory(h);
}
REGISTER_STATE_RESET(ResetFluctHistory);

void InitHFMX(HarmResult& r)
{
    for (int n = 0; n < ORDERS; ++n) {
        const bool zero = (n >= 2 && n <= 11) || n == 13 || n == 15 || n == 17 || n == 19 || n == 20;
        r.hfmx[n] = zero ? 0.0f : NoLimit();
    }
}

int EvalFluctHarmonics(FluctHistory& hist, HarmFrame& frame, HarmResult& result, int window)
{
    constexpr int kBits = 24 * 32;
    if (window < 1) window = 1;
    if (window > kBits) window = kBits;
    // The slot of this frame holds the flag of the frame that leaves the window.
    const int pos = int(hist.frames % window);
    const uint32_t bit = uint32_t(1) << (pos % 32);
    const int word = pos / 32;

    const bool first = hist.frames == 0;
    int excess = 0;
    for (int n = 2; n <= 19; ++n) {
        if (!IsFluctOrder(n)) continue;
        uint32_t& w = hist.flags[n][word];
        const int leaving = (w & bit) ? 1 : 0;
        const float l = frame.limit[n];
        const double h = frame.hiam[n];
        const int flag = (double(l) < h && h < 1.5 * double(l)) ? 1 : 0;  // false for a marked limit
        w = flag ? (w | bit) : (w & ~bit);
        const int count = hist.count[n] + flag - leaving;
        hist.count[n] = count;
        // The share only grows when the count does.
        if (first || flag > leaving) {
            const float share = float(double(count) / window);
            if (Marked(result.hfmx[n]) || share > result.hfmx[n]) result.hfmx[n] = share;
        }
        if (int64_t(count) * 10 > window) excess = 1;  // count / window > 0.1
    }
    ++hist.frames;
    if (excess) frame.hist |= HIST_FAIL | HIST_FLUCT;
    if (frame.fltr == 0) ResetFluctHistory(hist);
    return excess;
}

int EvalFluctHarmonics(HarmFrame& frame, HarmResult& result)
{
    int phase = 0;
    for (int p = 0; p < 3; ++p)
        if (&result == &buf_result[p]) phase = p;
    return EvalFluctHarmonics(fluct_history[phase], frame, result, FluctWindow(para.h_standard));
}

float MomentaneAusnutzung(int order, const HarmFrame& frame)
{
    if (order < 0 || order >= ORDERS) return NoLimit();
    const float l = frame.limit[order];
    if (l == 0.0f || IsNaN(l)) return l;
    return float(100.0 * double(frame.hiam[order]) / double(l));
}

float MaximaleAusnutzung(int order, const HarmFrame* frames, size_t count)
{
    if (order < 0 || order >= ORDERS || !frames || count == 0) return NoLimit();
    bool any = false;
    float best = 0.0f;
    for (size_t k = 0; k < count; ++k) {
        const float l = frames[k].limit[order];
        if (l == 0.0f || IsNaN(l)) continue;
        const float u = float(100.0 * double(frames[k].hiam[order]) / double(l));
        if (!any || u > best) best = u;
        any = true;
    }
    return any ? best : frames[count - 1].limit[order];
}
