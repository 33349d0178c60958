#include "platform/analysis.h"

#include <cmath>

int MaxMin1D(const double* a, int n, double* max, int* imax, double* min, int* imin)
{
    double hi = 0, lo = 0;
    int ihi = -1, ilo = -1;
    if (a && n > 0)
        for (int i = 0; i < n; ++i) {
            const double v = a[i];
            if (!std::isfinite(v)) continue;
            if (ihi < 0 || v > hi) { hi = v; ihi = i; }
            if (ilo < 0 || v < lo) { lo = v; ilo = i; }
        }
    if (max) *max = hi;
    if (imax) *imax = ihi;
    if (min) *min = lo;
    if (imin) *imin = ilo;
    if (!a || n < 1) return ANALYSIS_BAD_ARGUMENT;
    return ihi < 0 ? ANALYSIS_NO_VALUES : ANALYSIS_OK;
}

int Histogram(const double* a, int n, double base, double top, int* counts, double* axis, int intervals)
{
    if (!counts || intervals < 1) return ANALYSIS_BAD_ARGUMENT;
    for (int i = 0; i < intervals; ++i) counts[i] = 0;
    const bool flat = !(top > base);
    const double w = flat ? 0.0 : (top - base) / intervals;
    if (axis)
        for (int i = 0; i < intervals; ++i) axis[i] = flat ? base : base + (i + 0.5) * w;
    if (!a || n < 1 || !std::isfinite(base) || !std::isfinite(top)) return ANALYSIS_BAD_ARGUMENT;
    for (int k = 0; k < n; ++k) {
        const double v = a[k];
        if (!std::isfinite(v)) continue;
        if (flat) {
            if (v == base) ++counts[0];
            continue;
        }
        if (v < base || v > top) continue;
        int i = int((v - base) / w);
        if (i >= intervals) i = intervals - 1;
        if (i < 0) i = 0;
        ++counts[i];
    }
    return ANALYSIS_OK;
}

int StdDev(const double* a, int n, double* mean, double* sd)
{
    if (mean) *mean = 0;
    if (sd) *sd = 0;
    if (!a || n < 1) return ANALYSIS_BAD_ARGUMENT;
    // two passes: the mean first, then the squared deviations from it
    double sum = 0;
    int m = 0;
    for (int i = 0; i < n; ++i)
        if (std::isfinite(a[i])) { sum += a[i]; ++m; }
    if (m == 0) return ANALYSIS_NO_VALUES;
    const double mu = sum / m;
    double sq = 0;
    for (int i = 0; i < n; ++i)
        if (std::isfinite(a[i])) sq += (a[i] - mu) * (a[i] - mu);
    if (mean) *mean = mu;
    if (sd) *sd = std::sqrt(sq / m);
    return ANALYSIS_OK;
}
