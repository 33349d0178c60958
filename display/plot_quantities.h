// The quantities a stored run can plot, their plot codes, names and axis
// labels. A plot code encodes phase and quantity: quantity + phase x 58 in
// harmonic runs, quantity + phase x 50 in flicker runs.
//
// The kind of the run and its settings are those of the loaded run: the
// kind comes from the frame lists (460-byte harmonic or 488-byte flicker
// records) and the settings from the record as the last loading left it
// (`RunPara`), so a settings page changed since the load never makes
// flicker records read as harmonic ones.
#pragma once

#include <string>

#include "state/para.h"

enum {
    RUN_NONE = -1,
    RUN_HARMONIC = 0,
    RUN_FLICKER = 1,
};

constexpr int H_QUANTITIES = 58;   // per phase
constexpr int F_QUANTITIES = 15;
constexpr int H_CODE_STEP = 58;    // codes per phase
constexpr int F_CODE_STEP = 50;

// Harmonic quantities: 0..40 the current of that order, then these.
enum {
    HQ_U = 41, HQ_I, HQ_P, HQ_S, HQ_Q, HQ_PF, HQ_FREQ, HQ_UTHD, HQ_ITHD, HQ_ITHC, HQ_IPOH,
    HQ_UOVER, HQ_IOVER, HQ_AI1, HQ_AI2, HQ_AI3, HQ_AI4,
};
// Flicker quantities.
enum {
    FQ_PMOM = 0, FQ_HWEFF, FQ_DT, FQ_P, FQ_S, FQ_Q, FQ_PM, FQ_U, FQ_PST, FQ_UOVER, FQ_IOVER,
    FQ_AI1, FQ_AI2, FQ_AI3, FQ_AI4,
};

// RUN_HARMONIC, RUN_FLICKER or RUN_NONE (no frames loaded).
int LoadedRunKind();
// The settings record of the loaded run (the one the last `TakeRunPara`
// kept; `para` itself before any).
const Para& RunPara();
void TakeRunPara();
int RunPhases();   // 1..3

int QuantityCount(int kind);
int PlotCodeStep(int kind);

struct PlotCode {
    int kind = RUN_NONE;
    int phase = 0;      // 0..2
    int quantity = 0;
};
// False for codes that name no quantity of that kind.
bool DecodePlotCode(int kind, int code, PlotCode* out);
int EncodePlotCode(int kind, int phase, int quantity);

bool IsHarmonicOrder(const PlotCode& c);       // harmonic run, quantity 0..40
bool IsAnalogInput(const PlotCode& c);
// Quantities of the flicker records that hold 32 values per frame.
bool IsArrayQuantity(const PlotCode& c);

// Name in the quantity list ("HCurr(3)", "U", "Pwhd", the input's name).
std::string QuantityName(int kind, int quantity);
// Axis label of the quantity ("Iharm,A", "U,V", "p.u." ...); with `percent`
// the harmonic currents read "Iharm,%". `phase` matters for "Pmom" only.
std::string QuantityLabel(int kind, int quantity, int phase, bool percent);
// Histogram x-axis label: "A" for harmonic currents, else the label.
std::string HistogramLabel(int kind, int quantity, int phase);
// Plot-list line "<phase 1..3> <name>".
std::string PlotLineText(int kind, int code);

void reset_plot_quantities();
