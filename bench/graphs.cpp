// Graphs of a 2.5-hour harmonic run (45,000 frames per phase): the time curve
// of one quantity and its 256-interval histogram drawn into the graph model
// (headless), the painter's redraw of that curve at screen size, and
// orivan-cli plot of it to a PNG file (the whole program run).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/startup.h"
#include "display/plot.h"
#include "display/plot_list.h"
#include "display/plot_quantities.h"
#include "display/views.h"
#include "files/load.h"
#include "load_file.h"
#include "panel_ids.h"
#include "platform/ui/model.h"
#include "platform/ui/qt/graph_painter.h"
#include "platform/ui/ui.h"
#include "state/panels.h"

namespace {

// The run loaded once, the plot view with the current of order 5 of L1.
void Prepare()
{
    static const bool done = [] {
        benchfile::StartPanels();
        if (load_measurement(benchfile::HarmonicFile().c_str(), -1, -1) != 0) std::abort();
        SetViewMode(0);
        if (InsertPlot(0, 5) < 0) std::abort();
        SetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, 0);
        return true;
    }();
    (void)done;
}

void BM_TimeCurve45k(benchmark::State& st)
{
    Prepare();
    SetCtrlVal(diagnos, DIAGNOS_SHOWLIMITS, 0);
    for (auto _ : st) RedrawPlotList(PLOT_TIME);
    st.counters["points"] = double(ui::FindCtrl(diagnos, DIAGNOS_GRAPH)->graph.plots.at(0).y.size());
}
BENCHMARK(BM_TimeCurve45k)->Unit(benchmark::kMillisecond);

void BM_Histogram45k(benchmark::State& st)
{
    Prepare();
    for (auto _ : st) RedrawPlotList(PLOT_HISTOGRAM);
}
BENCHMARK(BM_Histogram45k)->Unit(benchmark::kMillisecond);

// What the graph widget does on every repaint: the whole plot model painted
// into a 1000 x 400 raster, the curve decimated per pixel column.
void BM_PaintTimeCurve45k(benchmark::State& st)
{
    Prepare();
    SetCtrlVal(diagnos, DIAGNOS_SHOWLIMITS, 0);
    RedrawPlotList(PLOT_TIME);
    if (!QGuiApplication::instance()) {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "bench";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
    }
    const ui::Control* c = ui::FindCtrl(diagnos, DIAGNOS_GRAPH);
    ui::GraphLook look;
    look.title = c->attrStr(ATTR_LABEL_TEXT);
    QImage img(QSize(1000, 400), QImage::Format_ARGB32_Premultiplied);
    const QFont font = QGuiApplication::font();
    for (auto _ : st) {
        QPainter p(&img);
        ui::PaintGraph(p, QRect(0, 0, 1000, 400), c->graph, look, font);
    }
}
BENCHMARK(BM_PaintTimeCurve45k)->Unit(benchmark::kMillisecond);

// orivan-cli plot FILE --phase 1 --quantity 5 --out PNG, the program beside this one.
void BM_CliPlotPng45k(benchmark::State& st)
{
    char self[4096] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, size_t(n)) : std::string();
    dir = dir.substr(0, dir.rfind('/') + 1);
    const std::string out = "/tmp/orivan_bench_plot_" + std::to_string(::getpid()) + ".png";
    const std::string cmd = "'" + dir + "orivan-cli' plot '" + benchfile::HarmonicFile() +
                            "' --phase 1 --quantity 5 --out '" + out + "' >/dev/null 2>&1";
    for (auto _ : st)
        if (std::system(cmd.c_str()) != 0) st.SkipWithError("orivan-cli plot failed");
    ::unlink(out.c_str());
}
BENCHMARK(BM_CliPlotPng45k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
