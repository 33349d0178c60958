// The analyser's harmonic analysis of one measuring window per EN61000-4-7:
// DFT over the window (10 periods at 50 Hz, 12 at 60 Hz, so harmonic n lies
// at bin periods*n), harmonic values 0..40 as single bins or as harmonic
// subgroups, the 1.5 s smoothing of the current harmonics, powers, THD and
// the judgement of the supply against the test conditions of EN61000-3-2.
#pragma once

#include <cstdint>
#include <memory>

#include "sim/eut/circuit.h"

namespace simphys {

class Dft;

struct AnalyserSetup {
    double nominal_voltage = 230;    // test voltage, V
    double nominal_frequency = 50;   // Hz
    bool grouping = true;            // harmonic subgroups (false: single bins)
    bool smoothing = true;           // 1.5 s low-pass on the current harmonics
    double u_range[3] = {300, 300, 300};  // voltage range, V RMS of a full-scale sine
    double i_range[3] = {10, 10, 10};     // current range, A RMS of a full-scale sine
};

// Grouping as the editions measure: 1995 limits (editions 0, 1) single bins,
// later editions and EN61000-3-12 harmonic subgroups.
bool GroupingForEdition(int edition);

// Supply limits of the harmonic test conditions, % of the fundamental.
double SupplyHarmonicLimit(int order);

// HUST / HUGF bits
constexpr int32_t kSupplyAll = 0x01;    // some condition below fails
constexpr int32_t kSupplyHarm = 0x02;   // a voltage harmonic exceeds its limit
constexpr int32_t kSupplyVolt = 0x04;   // voltage outside +-2 % of nominal
constexpr int32_t kSupplyFreq = 0x08;   // frequency outside +-0.5 %
constexpr int32_t kSupplyCrest = 0x10;  // crest factor outside 1.40..1.42
constexpr int32_t kSupplyPhase = 0x20;  // peak outside 87..93 degrees after the zero crossing

// The values of one phase over one window.
struct PhaseValues {
    float hiam[kOrders];   // current harmonics, RMS A (grouped and smoothed as set up)
    float hiph[kOrders];   // their phase angles, degrees
    float huam[kOrders];   // voltage harmonics, RMS V
    float huph[kOrders];   // their phase angles, degrees
    float utrms, itrms;    // true RMS, V and A
    float p, s, q, pf;     // W, VA, var (sign of the fundamental's), P/S
    float freq;            // Hz, from the zero crossings
    float huhd, hihd;      // THD of voltage and current, %
    float hthc;            // total harmonic current (orders 2..40), A
    float hpoc;            // partial odd harmonic current (orders 21..39), A
    float upeak, ipeak;    // largest absolute sample, V and A
    float crest;           // voltage crest factor
    float peak_angle;      // voltage peak after the positive zero crossing, degrees
    float ovru, ovri;      // range utilisation, % (above 99.9: over-range)
    float hpav, hpfa;      // active power and power factor averaged since restart
    float hima;            // reference current of the small-harmonics rule (smoothed ITRMS), A
    int32_t hust;          // supply word (bits above)
    uint64_t u_over;       // orders whose voltage harmonic exceeds its supply limit
    int32_t frames;        // windows analysed since restart (this one included)
};

// Phase angles are in degrees in (-180, 180], for a sine reference in each
// harmonic's own period, relative to the first sample of the window.
class HarmonicAnalyser {
public:
    explicit HarmonicAnalyser(const AnalyserSetup& setup = {});
    ~HarmonicAnalyser();

    void set_setup(const AnalyserSetup& setup) { setup_ = setup; }
    const AnalyserSetup& setup() const { return setup_; }

    // Forgets the smoothing filters and the averages (a new test starts).
    void restart();

    // Analyses every phase of the window into out[0 .. w.phases-1].
    void analyse(const Window& w, PhaseValues* out);

    // One phase: n samples covering `periods` mains periods.
    void analyse_phase(const float* u, const float* i, int n, int periods, double fs, int phase,
                       PhaseValues& out);

private:
    struct State;
    AnalyserSetup setup_;
    std::unique_ptr<Dft> dft_u_, dft_i_;
    std::unique_ptr<State> state_;
};

}  // namespace simphys
