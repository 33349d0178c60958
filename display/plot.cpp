#include "display/diagnos_controls.h"
#include "display/plot.h"

#include <algorithm>
#include <cmath>

#include "display/histogram.h"
#include "display/live_display.h"
#include "state/flicker_bars.h"
#include "display/plot_series.h"
#include "state/records.h"
#include "panel_ids.h"
#include "platform/analysis.h"
#include "platform/fmt.h"
#include "platform/ui/ui.h"
#include "state/para.h"
#include "state/workmode.h"
#include "state/panels.h"
#include "state/reset.h"


namespace {

// Scales values to (v - min) / (max - min); a flat curve becomes 0.
void Normalise(std::vector<double>& y, double mn, double mx)
{
    for (double& v : y) {
        if (!std::isfinite(v)) continue;
        v = mx > mn ? (v - mn) / (mx - mn) : 0.0;
    }
}

void AutoAxes(bool x, bool y)
{
    if (x) SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_XAXIS, VAL_AUTOSCALE, 0, 0);
    if (y) SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0);
}

// y label of a plot: shown when the list has one line or the plot is selected.
void SetYLabel(const std::string& label, int selected)
{
    if (PlotListCount() == 1 || selected) SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_YNAME, label.c_str());
}

// Plots a time curve and fills the fields of the selected plot.
void PlotTimeCurve(const TimeCurve& t, const std::string& label, int selected, bool per_segment)
{
    double mx = 0, mn = 0;
    const bool values = MaxMin1D(t.y.data(), int(t.y.size()), &mx, nullptr, &mn, nullptr) == ANALYSIS_OK;
    const bool normalise = DiagnosSwitch(DIAGNOS_NORMALISE) != 0;
    std::vector<double> scaled;   // a copy only when the values are rated
    if (normalise) {
        scaled = t.y;
        Normalise(scaled, mn, mx);
    }
    const std::vector<double>& y = normalise ? scaled : t.y;
    const std::string ylabel = normalise ? "Rated values" : label;
    SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_XNAME, "Frames");
    SetYLabel(ylabel, selected);
    AutoAxes(!ZoomHoldsX(), !ZoomHoldsY());
    const int style = selected ? VAL_FAT_LINE : VAL_THIN_LINE;
    if (per_segment) {
        for (const Segment& s : LimitSegments(t.limit)) PlotCurve(t.x, y, size_t(s.begin), size_t(s.end), style, PLOT_COLOR);
    } else {
        PlotCurve(t.x, y, 0, y.size(), style, PLOT_COLOR);
    }
    if (!selected) return;
    if (values) SetPlotFields(ylabel, PrefixedReal("min=", mn), PrefixedReal("max=", mx));
    else SetPlotFields(ylabel, "", "");
}

std::string OperationSign(int op)
{
    switch (op) {
    case COMBINE_ADD: return "+";
    case COMBINE_SUBTRACT: return "-";
    case COMBINE_MULTIPLY: return "*";
    default: return "/";
    }
}

}  // namespace

bool ZoomHoldsX() { return DiagnosSwitch(DIAGNOS_ZOOMX) || DiagnosSwitch(DIAGNOS_ZOOMXY); }
bool ZoomHoldsY() { return DiagnosSwitch(DIAGNOS_ZOOMY) || DiagnosSwitch(DIAGNOS_ZOOMXY); }

int PlotCurve(const std::vector<double>& x, const std::vector<double>& y, size_t begin, size_t end, int style,
              int color)
{
    end = std::min({end, x.size(), y.size()});
    int first = 0;
    for (size_t i = begin; i < end;) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) { ++i; continue; }
        size_t j = i;
        while (j < end && std::isfinite(x[j]) && std::isfinite(y[j])) ++j;
        const int h = PlotXY(diagnos, DIAGNOS_GRAPH, x.data() + i, y.data() + i, int(j - i), VAL_DOUBLE, VAL_DOUBLE,
                             style, VAL_NO_POINT, VAL_SOLID, 1, color);
        if (!first && h > 0) first = h;
        i = j;
    }
    return first;
}

void SetPlotFields(const std::string& label, const std::string& min, const std::string& max)
{
    SetCtrlVal(diagnos, DIAGNOS_LABEL, label);
    SetCtrlVal(diagnos, DIAGNOS_MIN, min);
    SetCtrlVal(diagnos, DIAGNOS_MAX, max);
}

void DrawHPlot(int code, int selected)
{
    PlotCode c;
    if (PlotListCount() == 0 || !DecodePlotCode(RUN_HARMONIC, code, &c) || LoadedRunKind() != RUN_HARMONIC) return;
    const bool order = IsHarmonicOrder(c);
    const bool percent = order && DiagnosSwitch(DIAGNOS_PERCENT);
    TimeCurve t;
    if (!TimeCurveOf(code, percent, &t) || t.y.empty()) {
        if (selected) SetPlotFields("", "", "");
        return;
    }
    if (t.no_limit) {
        DiagnosDim(DIAGNOS_PERCENT, 1);
        DiagnosDim(DIAGNOS_SHOWLIMITS, 1);
    }
    PlotTimeCurve(t, QuantityLabel(RUN_HARMONIC, c.quantity, c.phase, percent), selected, percent);
    if (!order || percent || !DiagnosSwitch(DIAGNOS_SHOWLIMITS) || DiagnosSwitch(DIAGNOS_NORMALISE)) {
        TitleGraph();
        return;
    }
    // the limit and 150 % of it over the frames that have a limit
    std::vector<double> l150(t.limit.size());
    for (size_t i = 0; i < l150.size(); ++i) l150[i] = 1.5 * t.limit[i];
    for (const Segment& s : LimitSegments(t.limit)) {
        PlotCurve(t.x, t.limit, size_t(s.begin), size_t(s.end), VAL_THIN_LINE, LIMIT_COLOR);
        PlotCurve(t.x, l150, size_t(s.begin), size_t(s.end), VAL_THIN_LINE, LIMIT150_COLOR);
    }
    TitleGraph();
}

void DrawFPlot(int code, int selected)
{
    PlotCode c;
    if (PlotListCount() == 0 || !DecodePlotCode(RUN_FLICKER, code, &c) || LoadedRunKind() != RUN_FLICKER) return;
    TimeCurve t;
    if (!TimeCurveOf(code, false, &t) || t.y.empty()) {
        if (selected) SetPlotFields("", "", "");
        return;
    }
    PlotTimeCurve(t, QuantityLabel(RUN_FLICKER, c.quantity, c.phase, false), selected, false);
    TitleGraph();
}

void DrawPlot(int code, int selected, int kind)
{
    const int run = LoadedRunKind();
    if (run == RUN_NONE) return;
    switch (kind) {
    case PLOT_TIME:
        if (run == RUN_HARMONIC) DrawHPlot(code, selected);
        else DrawFPlot(code, selected);
        break;
    case PLOT_HISTOGRAM:
    case PLOT_CUMULATIVE:
        if (run == RUN_HARMONIC) DrawHHistogram(code, selected, kind);
        else DrawFHistogram(code, selected, kind);
        break;
    case PLOT_CORRELATION:
        if (!selected) break;
        if (run == RUN_HARMONIC) DrawHCorrelation(code, selected);
        else DrawFCorrelation(code, selected);
        break;
    default: break;
    }
}

bool CombinedCurveOf(int codeA, int codeB, int op, CombinedCurve* out)
{
    *out = CombinedCurve{};
    const int run = LoadedRunKind();
    PlotCode ca, cb;
    if (!DecodePlotCode(run, codeA, &ca) || !DecodePlotCode(run, codeB, &cb)) return false;
    TimeCurve a, b;
    if (!TimeCurveOf(codeA, false, &a) || !TimeCurveOf(codeB, false, &b)) return false;
    const size_t n = std::min(a.y.size(), b.y.size());
    const std::string la = QuantityLabel(run, ca.quantity, ca.phase, false);
    const std::string lb = QuantityLabel(run, cb.quantity, cb.phase, false);
    switch (op) {
    case COMBINE_ADD: case COMBINE_SUBTRACT: case COMBINE_MULTIPLY: case COMBINE_DIVIDE:
        out->xlabel = "Frames";
        out->ylabel = la + " " + OperationSign(op) + " " + lb;
        out->x.assign(a.x.begin(), a.x.begin() + long(n));
        out->y.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const double u = a.y[i], v = b.y[i];
            double r;
            if (op == COMBINE_ADD) r = u + v;
            else if (op == COMBINE_SUBTRACT) r = u - v;
            else if (op == COMBINE_MULTIPLY) r = u * v;
            else r = v == 0.0 ? COMBINE_DIV_ZERO : u / v;
            out->y[i] = r;
        }
        return true;
    case COMBINE_SCATTER: {
        // one point per frame except the last (the series of flicker runs
        // already end before their last frame)
        const size_t m = run == RUN_HARMONIC && n > 0 ? n - 1 : n;
        out->scatter = true;
        out->xlabel = lb;
        out->ylabel = la;
        out->x.assign(b.y.begin(), b.y.begin() + long(m));
        out->y.assign(a.y.begin(), a.y.begin() + long(m));
        return true;
    }
    case COMBINE_CORRELATION: {
        out->xlabel = "offset";
        out->ylabel = "R(offset)";
        const int m = int(n / 2);
        out->y.resize(size_t(m));
        ConvolutionHead(a.y.data(), b.y.data(), int(n), out->y.data(), m);
        out->x.resize(size_t(m));
        for (int i = 0; i < m; ++i) out->x[size_t(i)] = i;
        return true;
    }
    default:
        return false;
    }
}

void DrawCombinedPlot(int codeA, int codeB, int operation, int selected)
{
    CombinedCurve cc;
    if (PlotListCount() == 0 || !CombinedCurveOf(codeA, codeB, operation, &cc)) return;
    SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_XNAME, cc.xlabel.c_str());
    SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_YNAME, cc.ylabel.c_str());
    AutoAxes(true, true);
    if (cc.scatter) {
        // non-finite points are left out
        std::vector<double> x, y;
        for (size_t i = 0; i < cc.x.size(); ++i)
            if (std::isfinite(cc.x[i]) && std::isfinite(cc.y[i])) { x.push_back(cc.x[i]); y.push_back(cc.y[i]); }
        if (!x.empty())
            PlotXY(diagnos, DIAGNOS_GRAPH, x.data(), y.data(), int(x.size()), VAL_DOUBLE, VAL_DOUBLE, VAL_SCATTER,
                   VAL_SOLID_CIRCLE, VAL_SOLID, 1, PLOT_COLOR);
    } else {
        PlotCurve(cc.x, cc.y, 0, cc.y.size(), selected ? VAL_FAT_LINE : VAL_THIN_LINE, PLOT_COLOR);
    }
    TitleGraph();
}

void DrawFlicker(int phase)
{
    workmode = 1;
    number[0] = number[1] = number[2] = 0;
    WholeXTicks(true);
    const Para& p = RunPara();
    if (p.fl_periods > 0) SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_XAXIS, VAL_MANUAL, 0, p.fl_periods);
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    if (phase < 0 || phase > 2) return;
    const int n = FrameCount(phase);
    if (n == 0) return;
    for (const FlickerBar& b : FlickerBars(phase)) {
        FlkFrameAt(phase, b.frame, &flkbuf[phase]);
        overflag[phase] = b.overrange;
        ++number[phase];
        DrawData(phase);
        overflag[phase] = 0;
    }
    FlkFrameAt(phase, n - 1, &flkbuf[phase]);
    TitleGraph();
}

// ---- the plot list --------------------------------------------------------------------

int PlotListCount()
{
    int n = 0;
    if (GetNumListItems(diagnos, DIAGNOS_PLOTLIST, &n) < 0) return 0;
    return n;
}

int PlotListCode(int index)
{
    int code = -1;
    if (index < 0 || GetValueFromIndex(diagnos, DIAGNOS_PLOTLIST, index, &code) < 0) return -1;
    return code;
}

int SelectedPlotIndex()
{
    const int n = PlotListCount();
    if (n == 0) return -1;
    int i = -1;
    GetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, &i);
    return i >= 0 && i < n ? i : 0;
}

int CurrentPlotKind()
{
    int k = 0;
    GetCtrlVal(diagnos, DIAGNOS_KIND, &k);
    return k;
}

namespace {

// Deletes every plot; false (title cleared) when there is nothing to draw.
bool StartRedraw(int kind)
{
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    const int run = LoadedRunKind();
    if (kind == PLOT_TIME && run == RUN_HARMONIC) {
        DiagnosDim(DIAGNOS_PERCENT, 0);
        DiagnosDim(DIAGNOS_SHOWLIMITS, 0);
    }
    WholeXTicks(kind != PLOT_HISTOGRAM && kind != PLOT_CUMULATIVE);
    if (PlotListCount() > 0 && run != RUN_NONE) return true;
    SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, "");
    return false;
}

void DrawCombinedFromOperands()
{
    int a = -1, b = -1, op = 0;
    GetCtrlVal(diagnos, DIAGNOS_OPERAND1, &a);
    GetCtrlVal(diagnos, DIAGNOS_OPERAND2, &b);
    GetCtrlVal(diagnos, DIAGNOS_OPERATION, &op);
    WholeXTicks(op != COMBINE_SCATTER);
    DrawCombinedPlot(a, b, op, 1);
}

}  // namespace

void RedrawPlotList(int kind)
{
    if (!StartRedraw(kind)) return;
    if (kind == PLOT_COMBINED) {
        DrawCombinedFromOperands();
        return;
    }
    const int n = PlotListCount(), sel = SelectedPlotIndex();
    for (int i = 0; i < n; ++i) DrawPlot(PlotListCode(i), i == sel, kind);
}

void RedrawSelectedPlot()
{
    const int kind = CurrentPlotKind();
    if (!StartRedraw(kind)) return;
    if (kind == PLOT_COMBINED) DrawCombinedFromOperands();   // drawn from its operands
    else DrawPlot(PlotListCode(SelectedPlotIndex()), 1, kind);
}

void reset_plot_state() { SetPlotFrameWindow(0, -1); }
REGISTER_STATE_RESET(reset_plot_state);
