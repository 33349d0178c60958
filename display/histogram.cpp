#include "display/diagnos_controls.h"
#include "display/histogram.h"

#include <string>

#include "display/convolution.h"
#include "display/plot.h"
#include "display/plot_series.h"
#include "panel_ids.h"
#include "platform/analysis.h"
#include "platform/fmt.h"
#include "platform/ui/ui.h"
#include "state/panels.h"

namespace {

void DrawHistogram(int run, int code, int selected, int kind)
{
    PlotCode c;
    if (PlotListCount() == 0 || LoadedRunKind() != run || !DecodePlotCode(run, code, &c)) return;
    const HistogramData h = HistogramOf(SampleSeries(code), kind == PLOT_CUMULATIVE);
    const std::string label = HistogramLabel(run, c.quantity, c.phase);
    if (h.samples == 0) {
        if (selected) SetPlotFields("", "", "");
        return;
    }
    if (PlotListCount() == 1 || selected) SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_XNAME, label.c_str());
    SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_YNAME, "%");
    SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_XAXIS, VAL_AUTOSCALE, 0, 0);
    SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0);
    PlotCurve(h.axis, h.percent, 0, h.axis.size(), selected ? VAL_FAT_LINE : VAL_THIN_LINE, PLOT_COLOR);
    if (selected) SetPlotFields(label, PrefixedReal("mean value=", h.mean), PrefixedReal("STD=", h.sd));
    TitleGraph();
}

void DrawCorrelation(int run, int code, int selected)
{
    PlotCode c;
    if (PlotListCount() == 0 || LoadedRunKind() != run || !DecodePlotCode(run, code, &c)) return;
    const std::vector<double> r = AutocorrelationOf(SampleSeries(code), run == RUN_HARMONIC);
    SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_XNAME, "offset");
    if (PlotListCount() == 1 || selected)
        SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_YNAME, QuantityLabel(run, c.quantity, c.phase, false).c_str());
    const bool flicker = run == RUN_FLICKER;
    if (!flicker || !ZoomHoldsX()) SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_XAXIS, VAL_AUTOSCALE, 0, 0);
    if (!flicker || !ZoomHoldsY()) SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0);
    if (r.empty()) return;
    std::vector<double> x(r.size());
    for (size_t i = 0; i < x.size(); ++i) x[i] = double(i);
    PlotCurve(x, r, 0, r.size(), selected ? VAL_FAT_LINE : VAL_THIN_LINE, PLOT_COLOR);
    TitleGraph();
}

}  // namespace

HistogramData HistogramOf(const std::vector<double>& samples, bool cumulative)
{
    HistogramData h;
    const int n = int(samples.size());
    if (n == 0) return h;
    double mx = 0, mn = 0;
    if (MaxMin1D(samples.data(), n, &mx, nullptr, &mn, nullptr) != ANALYSIS_OK) return h;
    std::vector<int> counts(HISTOGRAM_INTERVALS);
    h.axis.resize(HISTOGRAM_INTERVALS);
    Histogram(samples.data(), n, mn, mx, counts.data(), h.axis.data(), HISTOGRAM_INTERVALS);
    h.percent.resize(HISTOGRAM_INTERVALS);
    double sum = 0;
    for (int i = 0; i < HISTOGRAM_INTERVALS; ++i) {
        const double v = 100.0 * counts[size_t(i)] / n;
        sum += v;
        h.percent[size_t(i)] = cumulative ? sum : v;
    }
    h.samples = n;
    StdDev(samples.data(), n, &h.mean, &h.sd);
    return h;
}

std::vector<double> AutocorrelationOf(std::vector<double> x, bool standardise)
{
    const int n = int(x.size());
    std::vector<double> r(size_t(n / 2));
    if (r.empty()) return r;
    if (standardise) {
        double mean = 0, sd = 0;
        StdDev(x.data(), n, &mean, &sd);
        if (!(sd > 0)) return std::vector<double>(r.size(), 0.0);
        for (double& v : x) v = (v - mean) / sd;
    }
    ConvolutionHead(x.data(), x.data(), n, r.data(), int(r.size()));
    return r;
}

void DrawHHistogram(int code, int selected, int kind) { DrawHistogram(RUN_HARMONIC, code, selected, kind); }
void DrawFHistogram(int code, int selected, int kind) { DrawHistogram(RUN_FLICKER, code, selected, kind); }
void DrawHCorrelation(int code, int selected) { DrawCorrelation(RUN_HARMONIC, code, selected); }
void DrawFCorrelation(int code, int selected) { DrawCorrelation(RUN_FLICKER, code, selected); }
