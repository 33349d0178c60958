#include "display/plot_series.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "evaluation/harmonic_eval.h"
#include "state/framelist.h"

namespace {

int g_first = 0, g_last = -1;

const FrameList* ListOf(int phase, size_t item_size)
{
    if (phase < 0 || phase > 2) return nullptr;
    const FrameList* l = listbuf[phase];
    return l && l->item_size == item_size ? l : nullptr;
}

// Frame range [begin, end) of the window within n frames.
void Window(int n, int* begin, int* end)
{
    *begin = g_first < 0 ? 0 : g_first;
    *end = g_last < 0 ? n : std::min(n, g_last + 1);
    if (*begin > *end) *begin = *end;
}

void Push(std::vector<double>& v, double d)
{
    if (std::isfinite(d)) v.push_back(d);
}

}  // namespace

int FrameCount(int phase)
{
    const int kind = LoadedRunKind();
    if (kind == RUN_NONE) return 0;
    const FrameList* l = ListOf(phase, kind == RUN_HARMONIC ? sizeof(HarmFrame) : sizeof(FlkFrame));
    return l ? int(l->count) : 0;
}

bool HarmFrameAt(int phase, int k, HarmFrame* out) { return k >= 0 && FrameRecordAt(phase, k + 1, out); }

bool FlkFrameAt(int phase, int k, FlkFrame* out) { return k >= 0 && FrameRecordAt(phase, k + 1, out); }

void SetPlotFrameWindow(int first, int last)
{
    g_first = first < 0 ? 0 : first;
    g_last = last;
}

void GetPlotFrameWindow(int* first, int* last)
{
    *first = g_first;
    *last = g_last;
}

double HarmValue(const HarmFrame& f, int q)
{
    if (q >= 0 && q <= MAX_ORDER) return f.hiam[q];
    switch (q) {
    case HQ_U: return f.utrms;
    case HQ_I: return f.itrms;
    case HQ_P: return f.p;
    case HQ_S: return f.s;
    case HQ_Q: return f.q;
    case HQ_PF: return f.pf;
    case HQ_FREQ: return f.freq;
    case HQ_UTHD: return f.huhd;
    case HQ_ITHD: return f.hihd;
    case HQ_ITHC: return f.hthc;
    case HQ_IPOH: return f.hpoc;
    case HQ_UOVER: return f.ovru;
    case HQ_IOVER: return f.ovri;
    default:
        if (q >= HQ_AI1 && q <= HQ_AI4) return f.aiva[q - HQ_AI1];
        return NAN;
    }
}

double FlkValue(const FlkFrame& f, int q, int j)
{
    if (j < 0 || j > 31) j = 0;
    switch (q) {
    case FQ_PMOM: return f.flms[j];
    case FQ_HWEFF: return f.flrm[j];
    case FQ_DT: return f.fldt[j];
    case FQ_P: return f.p;
    case FQ_S: return f.s;
    case FQ_Q: return f.q;
    case FQ_PM: return f.flmo;
    case FQ_U: return f.utrms;
    case FQ_PST: return f.flst;
    case FQ_UOVER: return f.ovru;
    case FQ_IOVER: return f.ovri;
    default:
        if (q >= FQ_AI1 && q <= FQ_AI4) return f.aiva[q - FQ_AI1];
        return NAN;
    }
}

bool TimeCurveOf(int code, bool percent, TimeCurve* out)
{
    *out = TimeCurve{};
    PlotCode c;
    if (!DecodePlotCode(LoadedRunKind(), code, &c)) return false;
    const int n = FrameCount(c.phase);
    if (n == 0) return false;
    int b, e;
    if (c.kind == RUN_HARMONIC) {
        Window(n, &b, &e);
        const bool order = IsHarmonicOrder(c);
        HarmFrame f;
        for (int k = b; k < e; ++k) {
            HarmFrameAt(c.phase, k, &f);
            out->x.push_back(k);
            if (order) {
                const float l = f.limit[c.quantity];
                if (IsNaN(l)) out->no_limit = true;
                out->limit.push_back(IsNaN(l) ? NAN : double(l));
                out->y.push_back(percent ? double(MomentaneAusnutzung(c.quantity, f)) : double(f.hiam[c.quantity]));
            } else {
                out->y.push_back(HarmValue(f, c.quantity));
            }
        }
        return true;
    }
    Window(n - 1, &b, &e);   // the last frame is not plotted
    const bool array = IsArrayQuantity(c);
    FlkFrame f;
    for (int k = b; k < e; ++k) {
        FlkFrameAt(c.phase, k, &f);
        for (int j = 0; j < 32; ++j) {
            out->x.push_back(k + j / 32.0);
            out->y.push_back(FlkValue(f, c.quantity, array ? j : 0));
        }
    }
    return true;
}

std::vector<Segment> LimitSegments(const std::vector<double>& limit)
{
    std::vector<Segment> s;
    const int n = int(limit.size());
    for (int i = 0; i < n;) {
        if (!HasLimit(limit[size_t(i)])) { ++i; continue; }
        int j = i;
        while (j < n && HasLimit(limit[size_t(j)])) ++j;
        s.push_back(Segment{i, j});
        i = j;
    }
    return s;
}

bool PstPeriodBoundary(const FlkFrame& f, int L, int periods, int last_fltr)
{
    if (f.fstr == L - 1 && f.fltr != L * periods - 1 && f.fltr != last_fltr) return true;
    return f.fsta == 3 && periods > 0;
}

std::vector<double> SampleSeries(int code)
{
    std::vector<double> v;
    PlotCode c;
    if (!DecodePlotCode(LoadedRunKind(), code, &c)) return v;
    const int n = FrameCount(c.phase);
    int b, e;
    Window(n, &b, &e);
    if (c.kind == RUN_HARMONIC) {
        HarmFrame f;
        for (int k = b; k < e; ++k) {
            HarmFrameAt(c.phase, k, &f);
            Push(v, HarmValue(f, c.quantity));
        }
        return v;
    }
    FlkFrame f;
    if (c.quantity == FQ_PST) {
        const Para& p = RunPara();
        const int L = p.fl_minutes * 60 + p.fl_seconds;
        int last = 0, taken = 0;
        for (int k = std::max(b, 1); k < e && taken < p.fl_periods; ++k) {
            FlkFrameAt(c.phase, k, &f);
            if (!PstPeriodBoundary(f, L, p.fl_periods, last)) continue;
            last = f.fltr;
            ++taken;
            Push(v, f.flst);
        }
        return v;
    }
    const bool array = IsArrayQuantity(c);
    for (int k = b; k < e; ++k) {
        FlkFrameAt(c.phase, k, &f);
        for (int j = 0; j < (array ? 32 : 1); ++j) Push(v, FlkValue(f, c.quantity, j));
    }
    return v;
}

std::vector<FlickerBar> FlickerBars(int phase)
{
    std::vector<FlickerBar> bars;
    if (LoadedRunKind() != RUN_FLICKER) return bars;
    const Para& p = RunPara();
    const int n = FrameCount(phase);
    const int L = p.fl_minutes * 60 + p.fl_seconds;
    bool over = false, latch = false;
    int last = 0;
    FlkFrame f;
    // the first frame is read but not drawn, the second skipped
    for (int k = 2; k < n; ++k) {
        FlkFrameAt(phase, k, &f);
        if (f.ovru > 99.9f) over = true;
        bool bar = false;
        if (p.switching == 1) {
            if (f.fstr == 1) {
                bar = !latch;
                latch = true;
            } else {
                latch = false;
            }
        } else if (PstPeriodBoundary(f, L, p.fl_periods, last)) {
            bar = true;
            last = f.fltr;
        }
        if (!bar) continue;
        bars.push_back(FlickerBar{k, over});
        over = false;
    }
    return bars;
}
