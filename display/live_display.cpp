// Live display of a run, and the standard graph of a stored measurement.
#include "display/live_display.h"

#include <algorithm>
#include <cstring>

#include "display/plot.h"
#include "display/plot_quantities.h"
#include "display/views.h"
#include "evaluation/verdicts.h"
#include "panel_ids.h"
#include "platform/fmt.h"
#include "platform/state_reset.h"
#include "platform/ui/ui.h"
#include "reports/protocol_data.h"
#include "state/channels.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/records.h"
#include "state/workmode.h"

float drawn_limits[41] = {};

namespace {

constexpr int kGreen = 0x00FF00;
constexpr int kRed = 0xFF0000;
constexpr int kOlive = 0x808000;
constexpr int kLampFailColor = 0xFF0000;
constexpr double kBarHalfWidth = 0.1;
constexpr float kPstLimit = 1.0f;
constexpr int kLabelledPeriods = 15;   // bars carry their value below this many periods

// Highest flicker bar drawn on each graph since it was last cleared (the
// measuring page's three graphs, then the graph panel's).
float g_bar_top[4] = {0, 0, 0, 0};

// The controls of one phase's column on the measuring page.
struct Column {
    int graph, showgraph, showdata, limits;
    int u, i, p, pf, freq, s, uthd, ithd, q;   // the nine values
    int pwhd, ithc, ipoh;                        // EN61000-3-12 and class C/D fields
    int iall, uall, u100, amp, freql, crest, phi;
    int acdc_all, acdc_max, acdc_min, acdc_pow, pwhd_ok, thd_ok;
    int dt, dc, dmax, pst, plt, pmom;            // flicker values
    int fl_dt, fl_dc, fl_pst, fl_dmax, fl_plt, fl_over;
};

const Column kColumns[3] = {
    {MEASURE_GRAPH1, MEASURE_SHOWGRAPH1, MEASURE_SHOWDATA1, MEASURE_LIMITS1, MEASURE_U1, MEASURE_I1, MEASURE_P1,
     MEASURE_PF1, MEASURE_FREQ1, MEASURE_S1, MEASURE_UTHD1, MEASURE_ITHD1, MEASURE_Q1, MEASURE_PWHD1, MEASURE_ITHC1,
     MEASURE_IPOH1, MEASURE_IALL1, MEASURE_UALL1, MEASURE_U1001, MEASURE_AMP1, MEASURE_FREQL1, MEASURE_CREST1,
     MEASURE_PHI1, MEASURE_ACDC_ALL1, MEASURE_ACDC_MAX1, MEASURE_ACDC_MIN1, MEASURE_ACDC_POW1, MEASURE_PWHD_OK1,
     MEASURE_THD_OK1, MEASURE_DT1, MEASURE_DC1, MEASURE_DMAX1, MEASURE_PST1, MEASURE_PLT1, MEASURE_PMOM1,
     MEASURE_FL_DT1, MEASURE_FL_DC1, MEASURE_FL_PST1, MEASURE_FL_DMAX1, MEASURE_FL_PLT1, MEASURE_FL_OVER1},
    {MEASURE_GRAPH2, MEASURE_SHOWGRAPH2, MEASURE_SHOWDATA2, MEASURE_LIMITS2, MEASURE_U2, MEASURE_I2, MEASURE_P2,
     MEASURE_PF2, MEASURE_FREQ2, MEASURE_S2, MEASURE_UTHD2, MEASURE_ITHD2, MEASURE_Q2, MEASURE_PWHD2, MEASURE_ITHC2,
     MEASURE_IPOH2, MEASURE_IALL2, MEASURE_UALL2, MEASURE_U1002, MEASURE_AMP2, MEASURE_FREQL2, MEASURE_CREST2,
     MEASURE_PHI2, MEASURE_ACDC_ALL2, MEASURE_ACDC_MAX2, MEASURE_ACDC_MIN2, MEASURE_ACDC_POW2, MEASURE_PWHD_OK2,
     MEASURE_THD_OK2, MEASURE_DT2, MEASURE_DC2, MEASURE_DMAX2, MEASURE_PST2, MEASURE_PLT2, MEASURE_PMOM2,
     MEASURE_FL_DT2, MEASURE_FL_DC2, MEASURE_FL_PST2, MEASURE_FL_DMAX2, MEASURE_FL_PLT2, MEASURE_FL_OVER2},
    {MEASURE_GRAPH3, MEASURE_SHOWGRAPH3, MEASURE_SHOWDATA3, MEASURE_LIMITS3, MEASURE_U3, MEASURE_I3, MEASURE_P3,
     MEASURE_PF3, MEASURE_FREQ3, MEASURE_S3, MEASURE_UTHD3, MEASURE_ITHD3, MEASURE_Q3, MEASURE_PWHD3, MEASURE_ITHC3,
     MEASURE_IPOH3, MEASURE_IALL3, MEASURE_UALL3, MEASURE_U1003, MEASURE_AMP3, MEASURE_FREQL3, MEASURE_CREST3,
     MEASURE_PHI3, MEASURE_ACDC_ALL3, MEASURE_ACDC_MAX3, MEASURE_ACDC_MIN3, MEASURE_ACDC_POW3, MEASURE_PWHD_OK3,
     MEASURE_THD_OK3, MEASURE_DT3, MEASURE_DC3, MEASURE_DMAX3, MEASURE_PST3, MEASURE_PLT3, MEASURE_PMOM3,
     MEASURE_FL_DT3, MEASURE_FL_DC3, MEASURE_FL_PST3, MEASURE_FL_DMAX3, MEASURE_FL_PLT3, MEASURE_FL_OVER3},
};

int Phase(int phase) { return phase < 0 ? 0 : phase > 2 ? 2 : phase; }

void Field(int control, double value) { SetCtrlVal(measure, control, value); }

// Background of a value field: red when over range, else none.
void RangeColour(int control, float utilisation)
{
    SetCtrlAttribute(measure, control, ATTR_TEXT_BGCOLOR, utilisation > OVER_RANGE ? VAL_RED : VAL_TRANSPARENT);
}

// A lamp that lights when a check failed.
void FailLamp(int control, bool failed)
{
    SetCtrlAttribute(measure, control, ATTR_ON_COLOR, kLampFailColor);
    SetCtrlVal(measure, control, failed ? 1 : 0);
}

void NineValues(const Column& c, float u, float i, float p, float pf, float f, float uthd, float ithd, float s,
                float q)
{
    Field(c.u, u);
    Field(c.i, i);
    Field(c.p, p);
    Field(c.pf, pf);
    Field(c.freq, f);
    Field(c.uthd, uthd);
    Field(c.ithd, ithd);
    Field(c.s, s);
    Field(c.q, q);
}

void ShowStored(int phase)
{
    const HarmFrame& r = buf[phase];
    const int ids[9] = {SMALLRES_U, SMALLRES_I, SMALLRES_P, SMALLRES_PF, SMALLRES_FREQ,
                        SMALLRES_UTHD, SMALLRES_ITHD, SMALLRES_S, SMALLRES_Q};
    const float v[9] = {r.utrms, r.itrms, r.p, r.pf, r.freq, r.huhd, r.hihd, r.s, r.q};
    for (int k = 0; k < 9; ++k) SetCtrlVal(smallres, ids[k], double(v[k]));
}

void ShowFlicker(int phase)
{
    const Column& c = kColumns[phase];
    const FlkFrame& f = flkbuf[phase];
    RangeColour(c.u, f.ovru);
    RangeColour(c.i, f.ovri);
    Field(c.dt, f.fldt[0]);
    Field(c.dc, f.fldc);
    Field(c.dmax, f.fldx);
    Field(c.plt, f.fllt);
    Field(c.pst, f.flst);
    Field(c.pmom, f.flmo);
    NineValues(c, f.utrms, f.itrms, f.p, f.pf, f.freq, f.huhd, f.hihd, f.s, f.q);
    if (para.switching == 1) {
        for (int l : {c.fl_over, c.fl_pst, c.fl_plt, c.fl_dt, c.fl_dc}) FailLamp(l, false);
        FailLamp(c.fl_dmax, f.fldx > para.dmax_limit);
    } else {
        FailLamp(c.fl_over, f.flre & FLRE_FAIL);
        FailLamp(c.fl_pst, f.flre & FLRE_PST);
        FailLamp(c.fl_plt, f.flre & FLRE_PLT);
        FailLamp(c.fl_dmax, f.flre & FLRE_DMAX);
        FailLamp(c.fl_dt, f.flre & FLRE_DT);
        FailLamp(c.fl_dc, f.flre & FLRE_DC);
    }
}

void ShowHarmonic(int phase)
{
    const Column& c = kColumns[phase];
    const HarmFrame& r = buf[phase];
    NineValues(c, r.utrms, r.itrms, r.p, r.pf, r.freq, r.huhd, r.hihd, r.s, r.q);
    RangeColour(c.u, r.ovru);
    RangeColour(c.i, r.ovri);
    const bool ed2006 = para.h_standard == 2 || para.h_standard == 3;
    FailLamp(c.iall, r.hist & (ed2006 ? HIST_LAMP_2006 : HIST_OVER100));
    FailLamp(c.uall, r.hust & HUGF_UALL);
    FailLamp(c.u100, r.hust & HUGF_U100);
    FailLamp(c.amp, r.hust & HUGF_AMP);
    FailLamp(c.freql, r.hust & HUGF_FREQ);
    FailLamp(c.crest, r.hust & HUGF_CREST);
    FailLamp(c.phi, r.hust & HUGF_PHI);
    FailLamp(c.acdc_all, r.hens & HENS_ALL);
    FailLamp(c.acdc_min, r.hens & HENS_MIN);
    FailLamp(c.acdc_max, r.hens & HENS_MAX);
    FailLamp(c.acdc_pow, r.hens & HENS_POW);
    if (ed2006) {
        Field(c.ithc, r.hthc);
        Field(c.ipoh, r.hpoc);
    } else if (para.h_standard == 4) {
        Field(c.pwhd, r.hpoc);
    }
}

bool StoredShown() { return workmode == 1 || workmode == 2; }

// Where a phase's bars go, and the settings and kind of the run they show:
// the run being measured, or the loaded run on the graph panel (its kind
// from the frame lists, never from a settings page changed since the load).
struct Target {
    int panel, graph, showlimits, background, slot;
    const Para* run;
    bool flicker;
};

Target TargetOf(int phase)
{
    if (StoredShown()) {
        const int kind = LoadedRunKind();
        const bool flicker = kind == RUN_NONE ? RunPara().test_kind == 1 : kind == RUN_FLICKER;
        return {diagnos, DIAGNOS_GRAPH, DIAGNOS_SHOWLIMITS, VAL_WHITE, 3, &RunPara(), flicker};
    }
    const Column& c = kColumns[phase];
    return {measure, c.graph, c.limits, VAL_BLACK, phase, &para, para.test_kind == 1};
}

void DrawFlickerBar(int phase, const Target& t)
{
    const FlkFrame& f = flkbuf[phase];
    const Para& run = *t.run;
    const bool dmax = run.switching == 1;
    const float v = dmax ? f.fldx : f.flst;
    if (t.panel == diagnos) {
        SetCtrlAttribute(t.panel, t.graph, ATTR_XNAME, "Number of measurement");
        SetCtrlAttribute(t.panel, t.graph, ATTR_YNAME, dmax ? "dmax / %" : "Pst");
    }
    // The y axis grows with the bars and never drops below a bar drawn since
    // the first bar (the bar counter starts at 1 for a new run or drawing).
    const bool first = number[phase] <= 1 || g_bar_top[t.slot] <= 0;
    double ymax = 0;
    if (!first) {
        int xm = 0, ym = 0;
        double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        GetAxisRange(t.panel, t.graph, &xm, &x0, &x1, &ym, &y0, &y1);
        ymax = y1;
    }
    const float top = std::max(v, first ? v : g_bar_top[t.slot]);
    const double wanted = 1.1 * top + 0.1;
    if (first || v > ymax / 1.1 - 0.1 || ymax < wanted) SetAxisScalingMode(t.panel, t.graph, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, wanted);
    g_bar_top[t.slot] = top;

    const float limit = dmax ? run.dmax_limit : kPstLimit;
    const int colour = v > limit ? kRed : kGreen;
    const double n = number[phase];
    if (overflag[phase]) {
        PlotRectangle(t.panel, t.graph, n - kBarHalfWidth, 0.0, n + kBarHalfWidth, v, colour, t.background);
    } else {
        PlotRectangle(t.panel, t.graph, n - kBarHalfWidth, 0.0, n + kBarHalfWidth, v, colour, colour);
        if (run.fl_periods < kLabelledPeriods) {
            std::string text;
            Fmt(text, "%s<%f[p2]", double(v));
            PlotText(t.panel, t.graph, n - 0.3, v / 2.0, text.c_str(), VAL_MENU_META_FONT, colour, t.background);
        }
    }
}

void DrawSpectrum(int phase, const Target& t)
{
    DeleteGraphPlot(t.panel, t.graph, -1, 0);
    if (t.panel == diagnos) {
        SetCtrlAttribute(t.panel, t.graph, ATTR_XNAME, "Harmonics");
        SetCtrlAttribute(t.panel, t.graph, ATTR_YNAME, "I,A");
    }
    const HarmFrame& r = buf[phase];
    float red[ORDERS], green[ORDERS];
    for (int h = 0; h < ORDERS; ++h) {
        const float c = r.hiam[h], l = r.limit[h];
        red[h] = green[h] = 0;
        if (IsNaN(l)) {
            drawn_limits[h] = 0;
            green[h] = c;
        } else {
            drawn_limits[h] = l;
            (l >= c ? green : red)[h] = c;
        }
    }
    int show = 0;
    GetCtrlVal(t.panel, t.showlimits, &show);
    float ymax = 0;
    for (int h = 0; h < ORDERS; ++h) {
        ymax = std::max(ymax, red[h]);
        if (h >= 1) ymax = std::max(ymax, green[h]);
        if (show) ymax = std::max(ymax, drawn_limits[h]);
    }
    if (ymax > 0) SetAxisScalingMode(t.panel, t.graph, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0, double(ymax));
    PlotY(t.panel, t.graph, red, ORDERS, VAL_FLOAT, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, kRed);
    if (show) PlotY(t.panel, t.graph, drawn_limits, ORDERS, VAL_FLOAT, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, kOlive);
    PlotY(t.panel, t.graph, green, ORDERS, VAL_FLOAT, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, kGreen);
}

void ShowPanel(int phase, int on, int active)
{
    const Column& c = kColumns[phase];
    if (!on) SetCtrlVal(measure, c.limits, 0);
    for (int k : {c.limits, c.graph}) SetCtrlAttribute(measure, k, ATTR_DIMMED, on ? 0 : 1);
    const int controls[] = {c.u, c.i, c.p, c.pf, c.freq, c.s, c.uthd, c.ithd, c.q, c.pwhd, c.ithc, c.ipoh,
                            c.iall, c.uall, c.u100, c.amp, c.freql, c.crest, c.phi, c.acdc_all, c.acdc_max,
                            c.acdc_min, c.acdc_pow, c.pwhd_ok, c.thd_ok, c.dt, c.dc, c.dmax, c.pst, c.plt,
                            c.pmom, c.fl_dt, c.fl_dc, c.fl_pst, c.fl_dmax, c.fl_plt, c.fl_over};
    for (int k : controls) SetCtrlAttribute(measure, k, ATTR_DIMMED, active ? 0 : 1);
}

void VerdictColours(int control)
{
    SetCtrlAttribute(results, control, ATTR_ON_COLOR, VAL_RED);
    SetCtrlAttribute(results, control, ATTR_OFF_COLOR, VAL_GREEN);
}

// The one-line verdict of the test shown on the results page.
std::string OverallVerdict(int kind)
{
    const int P = para.phases == 3 ? 3 : 1;
    std::string failed;
    int failures = 0;
    for (int p = 0; p < P; ++p) {
        bool fail = false;
        if (kind == 0) {
            static const HarmResult none{};
            if (std::memcmp(&buf_result[p], &none, sizeof none) == 0)
                return "No final results: the measurement was interrupted";
            VerdictLamp l[HARMONIC_LAMPS];
            HarmonicLamps(p, l);
            for (const auto& x : l)
                for (const char* n : {"IALL", "I100", "THD", "PWHD"})
                    fail = fail || (x.value && std::strcmp(x.name, n) == 0);
        } else {
            VerdictLamp l[FLICKER_LAMPS];
            FlickerLamps(p, l);
            for (const auto& x : l) fail = fail || (x.value && (para.switching == 0 || std::strcmp(x.name, "DMAX") == 0));
        }
        if (!fail) continue;
        failed += std::string(failures++ ? ", L" : "L") + char('1' + p);
    }
    if (!failures) return "Test passed";
    return std::string(failures == 1 ? "Test failed: phase " : "Test failed: phases ") + failed;
}

void Dim(int panel, int control, bool dimmed) { SetCtrlAttribute(panel, control, ATTR_DIMMED, dimmed ? 1 : 0); }
void Visible(int panel, int control, bool on) { SetCtrlAttribute(panel, control, ATTR_VISIBLE, on ? 1 : 0); }

}  // namespace

void ShowData(int phase)
{
    phase = Phase(phase);
    if (workmode == 1 || workmode == 2) ShowStored(phase);
    else if (para.test_kind == 1) ShowFlicker(phase);
    else ShowHarmonic(phase);
}

void DrawData(int phase)
{
    phase = Phase(phase);
    // The plot view belongs to a stored measurement; a live run always
    // draws its bars on the measuring page.
    if (my_dummy == VIEW_PLOTS && StoredShown()) {
        RedrawSelectedPlot();
        return;
    }
    const Target t = TargetOf(phase);
    SetCtrlAttribute(t.panel, t.graph, ATTR_PLOT_BGCOLOR, t.background);
    // the x axis counts orders or observation periods
    SetCtrlAttribute(t.panel, t.graph, ATTR_XPRECISION, 0);
    if (t.panel == diagnos) {
        if (t.flicker) {
            if (t.run->fl_periods > 0)
                SetAxisScalingMode(t.panel, t.graph, VAL_XAXIS, VAL_MANUAL, 0.0, double(t.run->fl_periods));
        } else {
            SetAxisScalingMode(t.panel, t.graph, VAL_XAXIS, VAL_MANUAL, 0.0, 40.0);
        }
    }
    if (t.flicker) DrawFlickerBar(phase, t);
    else DrawSpectrum(phase, t);
}

void ShowPanelA(int on, int active) { ShowPanel(0, on, active); }
void ShowPanelB(int on, int active) { ShowPanel(1, on, active); }
void ShowPanelC(int on, int active) { ShowPanel(2, on, active); }

void SetMeasPanel(int kind)
{
    const int harmonic[] = {SETTING_VERSION, SETTING_CLASS, SETTING_RSCE, SETTING_H_HOURS, SETTING_H_MINUTES,
                            SETTING_H_SECONDS, SETTING_SMOOTHING, SETTING_HMODE, SETTING_WIZARD, SETTING_LIMITS,
                            SETTING_LIMITS_ON, SETTING_CV_L1, SETTING_CV_L2, SETTING_CV_L3, SETTING_P_SOLL1,
                            SETTING_P_SOLL2, SETTING_P_SOLL3, SETTING_PF_SOLL1, SETTING_PF_SOLL2, SETTING_PF_SOLL3,
                            SETTING_I_SOLL1, SETTING_I_SOLL2, SETTING_I_SOLL3};
    const int flicker[] = {SETTING_FL_STANDARD, SETTING_FL_PERIODS, SETTING_FL_MINUTES, SETTING_FL_SECONDS,
                           SETTING_DMAX, SETTING_SWITCH_INTERVAL, SETTING_ZTEST, SETTING_ZREF};
    const bool flk = kind == 1;
    for (int c : harmonic) Dim(setting, c, flk);
    for (int c : flicker) Dim(setting, c, !flk);
    // Controls of the kind shown that the page's own choices dim.
    if (flk) {
        int choice = 0;
        GetCtrlVal(setting, SETTING_FL_STANDARD, &choice);
        Dim(setting, SETTING_SWITCH_INTERVAL, choice != 2);
        Dim(setting, SETTING_ZTEST, choice != 3);
        Dim(setting, SETTING_ZREF, choice != 3);
    } else {
        int edition = 0;
        GetCtrlVal(setting, SETTING_VERSION, &edition);
        Dim(setting, SETTING_SMOOTHING, edition >= 2);
    }
    Visible(measure, MEASURE_MESSAGE, false);
}

void SetResultsPanel(int kind)
{
    const int flk[3][6] = {
        {RESULTS_PST1, RESULTS_PLT1, RESULTS_DC1, RESULTS_DT1, RESULTS_FOVER1, RESULTS_DMAX1},
        {RESULTS_PST2, RESULTS_PLT2, RESULTS_DC2, RESULTS_DT2, RESULTS_FOVER2, RESULTS_DMAX2},
        {RESULTS_PST3, RESULTS_PLT3, RESULTS_DC3, RESULTS_DT3, RESULTS_FOVER3, RESULTS_DMAX3}};
    const int harm[3][8] = {
        {RESULTS_IALL1, RESULTS_I1001, RESULTS_U1001, RESULTS_UALL1, RESULTS_AMP1, RESULTS_FREQ1, RESULTS_CREST1,
         RESULTS_PHI1},
        {RESULTS_IALL2, RESULTS_I1002, RESULTS_U1002, RESULTS_UALL2, RESULTS_AMP2, RESULTS_FREQ2, RESULTS_CREST2,
         RESULTS_PHI2},
        {RESULTS_IALL3, RESULTS_I1003, RESULTS_U1003, RESULTS_UALL3, RESULTS_AMP3, RESULTS_FREQ3, RESULTS_CREST3,
         RESULTS_PHI3}};
    const int thd[3][2] = {{RESULTS_THD1, RESULTS_PWHD1}, {RESULTS_THD2, RESULTS_PWHD2}, {RESULTS_THD3, RESULTS_PWHD3}};
    const int range[3][2] = {{RESULTS_ACDC_MIN1, RESULTS_ACDC_MAX1}, {RESULTS_ACDC_MIN2, RESULTS_ACDC_MAX2},
                             {RESULTS_ACDC_MIN3, RESULTS_ACDC_MAX3}};
    const int ratedlamps[3][2] = {{RESULTS_ACDC_ALL1, RESULTS_ACDC_POW1}, {RESULTS_ACDC_ALL2, RESULTS_ACDC_POW2},
                                  {RESULTS_ACDC_ALL3, RESULTS_ACDC_POW3}};
    const int hgroup[3] = {RESULTS_HGROUP1, RESULTS_HGROUP2, RESULTS_HGROUP3};
    const int fgroup[3] = {RESULTS_FGROUP1, RESULTS_FGROUP2, RESULTS_FGROUP3};
    const int ratedgroup[3] = {RESULTS_RATEDGROUP1, RESULTS_RATEDGROUP2, RESULTS_RATEDGROUP3};
    const bool h = kind == 0;
    const bool ed2006 = para.h_standard == 2 || para.h_standard == 3;
    // The rated values of class D are shown for the editions whose limits use them as measured.
    const bool rated = h && para.h_class == 3 && (para.h_standard == 0 || para.h_standard == 1 || para.h_standard == 4);
    for (int p = 0; p < 3; ++p) {
        Visible(results, hgroup[p], h);
        Visible(results, fgroup[p], !h);
        Visible(results, ratedgroup[p], rated);
        // Every verdict lamp reports a failed check: red when failed, green when passed.
        for (const int* lamps : {flk[p], harm[p]})
            for (int k = 0; k < (lamps == flk[p] ? 6 : 8); ++k) VerdictColours(lamps[k]);
        for (const int* pair : {thd[p], range[p], ratedlamps[p]})
            for (int k = 0; k < 2; ++k) VerdictColours(pair[k]);
        // Under the switching procedure only dmax is judged by the program.
        for (int k = 0; k < 6; ++k) Visible(results, flk[p][k], !h && (k == 5 || para.switching == 0));
        for (int c : harm[p]) Visible(results, c, h);
        for (int c : thd[p]) Visible(results, c, h && para.h_standard == 4);
        for (int c : range[p]) Visible(results, c, h && !ed2006);
        for (int c : ratedlamps[p]) Visible(results, c, h && !ed2006 && para.h_class > 1);
    }
    // The verdict line belongs to results that are shown.
    SetCtrlVal(results, RESULTS_VERDICT, workmode == 1 ? OverallVerdict(kind) : std::string());
    SetCtrlVal(results, RESULTS_FILE, workmode == 1 ? FixedText(para.log_file)
                                                    : std::string());
}

void Time2Asc(int seconds, std::string* text) { *text = HmsText(seconds); }

void display_time(int period_remaining, int run_remaining)
{
    std::string t;
    Time2Asc(run_remaining, &t);
    SetCtrlVal(measure, MEASURE_REMAINING, t);
    Time2Asc(period_remaining, &t);
    SetCtrlVal(measure, MEASURE_PERIOD, t);
}

void ClearGraph()
{
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    for (int g : {MEASURE_GRAPH1, MEASURE_GRAPH2, MEASURE_GRAPH3}) {
        DeleteGraphPlot(measure, g, -1, 1);
        // Harmonic orders and period numbers: ticks on whole numbers only.
        SetCtrlAttribute(measure, g, ATTR_XPRECISION, 0);
    }
    std::fill(std::begin(g_bar_top), std::end(g_bar_top), 0.0f);
}

void ClearList()
{
    ClearListCtrl(diagnos, DIAGNOS_PLOTLIST);
    ResetTextBox(protocol, PROTOCOL_TEXT, "");
}

void reset_live_display()
{
    std::fill(std::begin(drawn_limits), std::end(drawn_limits), 0.0f);
    std::fill(std::begin(g_bar_top), std::end(g_bar_top), 0.0f);
}
REGISTER_STATE_RESET(reset_live_display);
