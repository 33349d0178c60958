#include "platform/ui/plotmodel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/ui/ui.h"

namespace ui {

Plot* Graph::find(int handle)
{
    for (auto& p : plots)
        if (p.handle == handle) return &p;
    return nullptr;
}

namespace {

Range DataRange(const Graph& g, bool xAxis, bool log)
{
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    bool bars = false;
    for (const auto& p : g.plots) {
        const auto& v = xAxis ? p.x : p.y;
        for (double d : v) {
            if (!std::isfinite(d) || (log && d <= 0)) continue;
            lo = std::min(lo, d);
            hi = std::max(hi, d);
        }
        if (!xAxis && (p.style == VAL_VERTICAL_BAR || p.style == VAL_BASE_ZERO_VERTICAL_BAR ||
                       p.kind == VAL_PLOT_RECT))
            bars = true;
    }
    if (!(lo <= hi)) return log ? Range{1, 10} : Range{0, 10};
    if (bars && !log) { lo = std::min(lo, 0.0); hi = std::max(hi, 0.0); }
    if (xAxis && !log) {
        for (const auto& p : g.plots)
            if (p.style == VAL_VERTICAL_BAR && p.kind != VAL_PLOT_RECT) { lo -= 0.5; hi += 0.5; break; }
    }
    if (hi == lo) {
        if (log) { lo /= 10; hi *= 10; }
        else { double d = lo == 0 ? 1 : std::fabs(lo) * 0.1; lo -= d; hi += d; }
    }
    if (log) {
        // whole decades
        lo = std::pow(10.0, std::floor(std::log10(lo)));
        hi = std::pow(10.0, std::ceil(std::log10(hi)));
    } else if (!xAxis) {
        // the value axis ends on round numbers (steps of 1, 2 or 5 times a power of ten)
        double raw = (hi - lo) / 5;
        double mag = std::pow(10.0, std::floor(std::log10(raw)));
        double step = mag * 10;
        for (double m : {1.0, 2.0, 5.0, 10.0})
            if (m * mag >= raw) { step = m * mag; break; }
        lo = std::floor(lo / step + 1e-9) * step;
        hi = std::ceil(hi / step - 1e-9) * step;
    }
    return Range{lo, hi};
}

}  // namespace

Range XRange(const Graph& g)
{
    if (g.x.mode == VAL_MANUAL) return Range{g.x.min, g.x.max};
    return DataRange(g, true, g.x.map == VAL_LOG);
}

Range YRange(const Graph& g)
{
    if (g.y.mode == VAL_MANUAL) return Range{g.y.min, g.y.max};
    return DataRange(g, false, g.y.map == VAL_LOG);
}

std::vector<int> Decimate(const Plot& p, double xmin, double xmax, int buckets)
{
    std::vector<int> out;
    size_t n = std::min(p.x.size(), p.y.size());
    if (buckets < 1 || n <= size_t(buckets) * 4 || !(xmax > xmin)) {
        out.resize(n);
        for (size_t i = 0; i < n; ++i) out[i] = int(i);
        return out;
    }
    double w = (xmax - xmin) / buckets;
    long cur = std::numeric_limits<long>::min();
    int first = -1, last = -1, mn = -1, mx = -1;
    auto flush = [&] {
        if (first < 0) return;
        int pts[4] = {first, mn, mx, last};
        std::sort(pts, pts + 4);
        for (int k = 0; k < 4; ++k)
            if (out.empty() || out.back() != pts[k]) out.push_back(pts[k]);
    };
    for (size_t i = 0; i < n; ++i) {
        double x = p.x[i], y = p.y[i];
        long b = std::isfinite(x) ? long(std::floor((x - xmin) / w)) : cur;
        if (b != cur) {
            flush();
            cur = b;
            first = last = mn = mx = int(i);
            continue;
        }
        last = int(i);
        if (std::isfinite(y)) {
            if (!std::isfinite(p.y[mn]) || y < p.y[mn]) mn = int(i);
            if (!std::isfinite(p.y[mx]) || y > p.y[mx]) mx = int(i);
        }
    }
    flush();
    return out;
}

}  // namespace ui
