#include "evaluation/verdicts.h"

#include "evaluation/flicker_periods.h"
#include "panel_ids.h"
#include "platform/ui/ui.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/records.h"

namespace {
// Flicker indicators per phase: overall (0x1), Pst, Plt, d(t), dc, dmax.
const int kFlkOver[3] = {RESULTS_FOVER1, RESULTS_FOVER2, RESULTS_FOVER3};
const int kFlkPst[3] = {RESULTS_PST1, RESULTS_PST2, RESULTS_PST3};
const int kFlkPlt[3] = {RESULTS_PLT1, RESULTS_PLT2, RESULTS_PLT3};
const int kFlkDt[3] = {RESULTS_DT1, RESULTS_DT2, RESULTS_DT3};
const int kFlkDc[3] = {RESULTS_DC1, RESULTS_DC2, RESULTS_DC3};
const int kFlkDmax[3] = {RESULTS_DMAX1, RESULTS_DMAX2, RESULTS_DMAX3};
}  // namespace

int HarmonicLamps(int p, VerdictLamp out[HARMONIC_LAMPS])
{
    const int P = para.phases == 3 ? 3 : 1;
    const bool on = p >= 0 && p < P;
    const HarmResult r = on ? buf_result[p] : HarmResult{};
    if (p < 0 || p > 2) p = 0;
    const bool ed2006 = para.h_standard == 2 || para.h_standard == 3;
    const struct { const char* name; const int* ids; int32_t word; int32_t mask; } t[HARMONIC_LAMPS] = {
        {"IALL", FHR_IALL, r.higf, ed2006 ? HIGF_LAMP_2006 : HIGF_FAIL},
        {"I100", FHR_I100, r.higf, HIGF_AVG_OVER},
        {"U100", FHR_U100, r.hugf, HUGF_U100},
        {"AMP", FHR_AMP, r.hugf, HUGF_AMP},
        {"FREQ", FHR_FREQ, r.hugf, HUGF_FREQ},
        {"UALL", FHR_UALL, r.hugf, HUGF_UALL},
        {"CREST", FHR_CREST, r.hugf, HUGF_CREST},
        {"PHI", FHR_PHI, r.hugf, HUGF_PHI},
        {"ACDC_ALL", ACDC_ALL, r.hens, HENS_ALL},
        {"ACDC_MIN", ACDC_MIN, r.hens, HENS_MIN},
        {"ACDC_MAX", ACDC_MAX, r.hens, HENS_MAX},
        {"ACDC_POW", ACDC_POW, r.hens, HENS_POW},
        {"THD", FHR_THD, r.higf, HIGF_THD},
        {"PWHD", FHR_PWHD, r.higf, HIGF_PWHD},
    };
    for (int i = 0; i < HARMONIC_LAMPS; ++i) out[i] = {t[i].name, t[i].ids[p], (t[i].word & t[i].mask) ? 1 : 0};
    return HARMONIC_LAMPS;
}

int FlickerLamps(int p, VerdictLamp out[FLICKER_LAMPS])
{
    const int P = para.phases == 3 ? 3 : 1;
    const bool on = p >= 0 && p < P;
    if (p < 0 || p > 2) p = 0;
    const int32_t flre = on ? flkbuf[p].flre : 0;
    int dmax = 0;
    if (on) dmax = para.switching == 1 ? (fl_stats.mean_exceeded[p] ? 1 : 0) : ((flre & FLRE_DMAX) ? 1 : 0);
    out[0] = {"FAIL", kFlkOver[p], (flre & FLRE_FAIL) ? 1 : 0};
    out[1] = {"PST", kFlkPst[p], (flre & FLRE_PST) ? 1 : 0};
    out[2] = {"PLT", kFlkPlt[p], (flre & FLRE_PLT) ? 1 : 0};
    out[3] = {"DT", kFlkDt[p], (flre & FLRE_DT) ? 1 : 0};
    out[4] = {"DC", kFlkDc[p], (flre & FLRE_DC) ? 1 : 0};
    out[5] = {"DMAX", kFlkDmax[p], dmax};
    return FLICKER_LAMPS;
}

void SetHarmonicVerdicts()
{
    const bool ed2006 = para.h_standard == 2 || para.h_standard == 3;
    for (int p = 0; p < 3; ++p) {
        VerdictLamp lamps[HARMONIC_LAMPS];
        int n = HarmonicLamps(p, lamps);
        for (int i = 0; i < n; ++i) SetCtrlVal(results, lamps[i].control, lamps[i].value);
        // Indicators that do not apply to the 2006 editions.
        if (ed2006)
            for (const int* ids : {FHR_THD, FHR_PWHD, ACDC_ALL, ACDC_MIN, ACDC_MAX, ACDC_POW})
                SetCtrlAttribute(results, ids[p], ATTR_VISIBLE, 0);
    }
}

void SetFlickerVerdicts()
{
    const int visible = para.switching == 0 ? 1 : 0;
    for (int p = 0; p < 3; ++p) {
        VerdictLamp lamps[FLICKER_LAMPS];
        int n = FlickerLamps(p, lamps);
        for (int i = 0; i < n; ++i) {
            SetCtrlVal(results, lamps[i].control, lamps[i].value);
            if (i < 5) SetCtrlAttribute(results, lamps[i].control, ATTR_VISIBLE, visible);
        }
    }
}
