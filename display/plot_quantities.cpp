#include "display/plot_quantities.h"

#include <cstdio>

#include "state/records.h"
#include "platform/fmt.h"
#include "state/framelist.h"
#include "state/reset.h"

namespace {

Para g_run_para{};
bool g_have_run_para = false;

const char* const kHNames[] = {"U", "I", "P", "S", "Q", "PF", "Freq", "UTHD", "ITHD", "Ithc", "Ipoh", "Uover", "Iover"};
const char* const kHLabels[] = {"U,V", "I,A", "P,W", "S,VA", "Q,VAr", "power factor", "f,Hz", "THD(U),%",
                                "THD(I)%", "Ithc, A", "Ipoh, A", "Uover, %", "Iover, %"};
const char* const kFNames[] = {"Pmom", "hweff", "dt", "P", "S", "Q", "Pm", "U", "Pst", "Uover", "Iover"};
const char* const kFLabels[] = {"pu", "V", "%", "W", "VA", "VAr", "p.u", "V", "p.u.", "Uover,%", "Iover,%"};

}  // namespace

int LoadedRunKind()
{
    // the loading creates all three lists with the record size of the run
    const FrameList* l = listbuf[0];
    if (!l) return RUN_NONE;
    if (l->item_size == sizeof(HarmFrame)) return RUN_HARMONIC;
    if (l->item_size == sizeof(FlkFrame)) return RUN_FLICKER;
    return RUN_NONE;
}

const Para& RunPara() { return g_have_run_para ? g_run_para : para; }

void TakeRunPara()
{
    g_run_para = para;
    g_have_run_para = true;
}

int RunPhases()
{
    const int p = RunPara().phases;
    return p >= 1 && p <= 3 ? p : 1;
}

int QuantityCount(int kind) { return kind == RUN_FLICKER ? F_QUANTITIES : kind == RUN_HARMONIC ? H_QUANTITIES : 0; }
int PlotCodeStep(int kind) { return kind == RUN_FLICKER ? F_CODE_STEP : H_CODE_STEP; }

bool DecodePlotCode(int kind, int code, PlotCode* out)
{
    if (kind != RUN_HARMONIC && kind != RUN_FLICKER) return false;
    if (code < 0) return false;
    PlotCode c;
    c.kind = kind;
    c.phase = code / PlotCodeStep(kind);
    c.quantity = code % PlotCodeStep(kind);
    if (c.phase > 2 || c.quantity >= QuantityCount(kind)) return false;
    if (out) *out = c;
    return true;
}

int EncodePlotCode(int kind, int phase, int quantity) { return quantity + phase * PlotCodeStep(kind); }

bool IsHarmonicOrder(const PlotCode& c) { return c.kind == RUN_HARMONIC && c.quantity <= MAX_ORDER; }

bool IsAnalogInput(const PlotCode& c)
{
    return c.kind == RUN_HARMONIC ? c.quantity >= HQ_AI1 && c.quantity <= HQ_AI4
                                  : c.kind == RUN_FLICKER && c.quantity >= FQ_AI1 && c.quantity <= FQ_AI4;
}

bool IsArrayQuantity(const PlotCode& c) { return c.kind == RUN_FLICKER && c.quantity <= FQ_DT; }

std::string QuantityName(int kind, int q)
{
    const Para& p = RunPara();
    if (kind == RUN_HARMONIC) {
        if (q < 0 || q >= H_QUANTITIES) return "";
        if (q <= MAX_ORDER) {
            char t[32];
            Fmt(t, "%s<HCurr(%i)", q);
            return t;
        }
        if (q == HQ_IPOH) return p.h_standard == 4 ? "Pwhd" : "Ipoh";
        if (q >= HQ_AI1) return FixedText(p.ai_name[q - HQ_AI1], sizeof p.ai_name[0]);
        return kHNames[q - HQ_U];
    }
    if (kind == RUN_FLICKER) {
        if (q < 0 || q >= F_QUANTITIES) return "";
        if (q >= FQ_AI1) return FixedText(p.ai_name[q - FQ_AI1], sizeof p.ai_name[0]);
        return kFNames[q];
    }
    return "";
}

std::string QuantityLabel(int kind, int q, int phase, bool percent)
{
    const Para& p = RunPara();
    if (kind == RUN_HARMONIC) {
        if (q < 0 || q >= H_QUANTITIES) return "";
        if (q <= MAX_ORDER) return percent ? "Iharm,%" : "Iharm,A";
        if (q >= HQ_AI1) return FixedText(p.ai_name[q - HQ_AI1], sizeof p.ai_name[0]);
        return kHLabels[q - HQ_U];
    }
    if (kind == RUN_FLICKER) {
        if (q < 0 || q >= F_QUANTITIES) return "";
        if (q == FQ_PMOM) return phase == 0 ? "pu" : "p.u";
        if (q >= FQ_AI1) return FixedText(p.ai_name[q - FQ_AI1], sizeof p.ai_name[0]);
        return kFLabels[q];
    }
    return "";
}

std::string HistogramLabel(int kind, int q, int phase)
{
    if (kind == RUN_HARMONIC && q >= 0 && q <= MAX_ORDER) return "A";
    return QuantityLabel(kind, q, phase, false);
}

std::string PlotLineText(int kind, int code)
{
    PlotCode c;
    if (!DecodePlotCode(kind, code, &c)) return "";
    std::string name = QuantityName(kind, c.quantity);
    char t[64];
    Fmt(t, "%s<%i %s", c.phase + 1, name.c_str());
    return t;
}

void reset_plot_quantities()
{
    g_run_para = Para{};
    g_have_run_para = false;
}
REGISTER_STATE_RESET(reset_plot_quantities);
