// Graph model costs for long curves: a 45,000-point time curve (a 2.5-hour
// harmonic test at one frame per 200 ms) plotted, decimated for a 1000-pixel
// wide graph, and a cursor snapped onto it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/ui/model.h"
#include "platform/ui/ui.h"

namespace {

ui::Plot Curve(int n)
{
    ui::Plot p;
    p.kind = VAL_PLOT_XY;
    for (int i = 0; i < n; ++i) {
        p.x.push_back(i * 0.2);
        p.y.push_back(230 + 2 * std::sin(i * 0.01));
    }
    return p;
}

void BM_Decimate45k(benchmark::State& st)
{
    ui::Plot p = Curve(45000);
    for (auto _ : st) benchmark::DoNotOptimize(ui::Decimate(p, 0, 9000, 1000));
}
BENCHMARK(BM_Decimate45k);

void BM_SnapCursor45k(benchmark::State& st)
{
    ui::Graph g;
    g.plots.push_back(Curve(45000));
    g.plots.back().handle = 1;
    ui::Cursor c;
    for (auto _ : st) {
        c.x = 4500.3;
        c.y = 231;
        ui::SnapCursor(g, c);
        benchmark::DoNotOptimize(c.index);
    }
}
BENCHMARK(BM_SnapCursor45k);

void BM_AxisRange45k(benchmark::State& st)
{
    ui::Graph g;
    g.plots.push_back(Curve(45000));
    for (auto _ : st) benchmark::DoNotOptimize(ui::YRange(g));
}
BENCHMARK(BM_AxisRange45k);

}  // namespace
