#include "evaluation/flicker_periods.h"

#include "state/reset.h"

FlickerPeriodStats fl_stats;

float SwitchingMean(const float* v, int n, int imax, int imin)
{
    if (n <= 0) return 0;
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += v[i];
    if (n < 3) return float(sum / n);
    if (imax == imin) {
        imax = 0;
        imin = 1;
    }
    sum -= v[imax];
    sum -= v[imin];
    return float(sum / (n - 2));
}

void PeriodScan::See(const FlkFrame* recs, int P)
{
    const FlkFrame& f = recs[0];
    if (f.fstr != 1) {
        latch = 0;
        return;
    }
    if (latch) return;
    latch = 1;
    if (f.fltr == last_fltr) return;
    last_fltr = f.fltr;
    const int32_t n = fl_stats.periods;
    if (n >= limit || n >= 64) return;
    for (int p = 0; p < P; ++p) {
        const float v = recs[p].fldx;
        fl_stats.dmax[p][n] = v;
        if (n == 0) {
            fl_stats.max[p] = fl_stats.min[p] = v;
            fl_stats.imax[p] = fl_stats.imin[p] = 0;
        } else {
            if (v > fl_stats.max[p]) {
                fl_stats.max[p] = v;
                fl_stats.imax[p] = n;
            }
            if (v < fl_stats.min[p]) {
                fl_stats.min[p] = v;
                fl_stats.imin[p] = n;
            }
        }
    }
    fl_stats.periods = n + 1;
}

void reset_flicker_periods() { fl_stats = FlickerPeriodStats{}; }
REGISTER_STATE_RESET(reset_flicker_periods);
