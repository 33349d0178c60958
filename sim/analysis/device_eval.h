// The analyser's own evaluation of a harmonic test (EN61000-3-2 classes A-D,
// EN61000-3-12 tables): limits per frame, averages, maxima, the fluctuating
// harmonics window and the verdict words of the result query. The program
// re-evaluates the stored frames independently; docs/sim-physics.md states
// the rules used here.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/analysis/harmonics.h"

namespace simphys {

struct EvalSetup {
    int edition = 3;        // EDIT: 0, 1 (1995 limits), 2, 3 (2006 limits), 4 (EN61000-3-12)
    int eval = 0;           // EVAL: 0 A, 1 B, 2 C, 3 D, 10..12 EN61000-3-12 tables 2..4
    double pso = 0;         // PSO: class D power set-point, W (0: none)
    double pfso = 0;        // PFSO: class C power factor set-point (0: none)
    double iso = 0;         // ISO: class C fundamental current set-point, A (0: none)
    double rsce = 33;       // RSCE
    double window_s = 0.2;  // length of one measuring window, s
};

// The no-value mark of the records (bit pattern 0x7FFFFFFF).
float NoValue();
bool IsNoValue(float v);

// Limits of orders 0..40 in A as the analyser applies them; orders without a
// limit get the no-value mark. p: active power (W), pf: power factor,
// i1: fundamental current (A), iref: reference current of the rule that drops
// harmonics below 0.6 % of it or below 5 mA (classes A-D), hiam: the measured
// harmonics that rule looks at (may be null: nothing dropped).
void DeviceLimits(int eval, double p, double pf, double i1, double iref, double rsce, const float* hiam,
                  float* out);

// THD and PWHD limits of EN61000-3-12 (percent, truncated), by table.
int ThdLimit(int eval, double rsce);
int PwhdLimit(int eval, double rsce);
double Pwhd(const float* hiam);

struct PhaseResult {
    int32_t frames = 0;
    float hiav[kOrders]{};   // mean current of each order, A
    float humx[kOrders]{};   // largest voltage harmonic of each order, V
    float hfmx[kOrders]{};   // largest share of a fluctuation window above the limit
    uint64_t hilt = 0;       // orders that fail
    uint64_t hult = 0;       // voltage orders that exceeded their supply limit
    uint64_t hifl = 0;       // orders above the limit for more than 10 % of a window
    int32_t higf = 0;        // current verdict bits (HIGF)
    int32_t hugf = 0;        // supply verdict bits (HUGF, as HUST)
    float hpm = 0;           // mean active power, W
    float hpfm = 0;          // mean power factor
    float hifm = 0;          // mean fundamental current, A
    float limit[kOrders]{};  // the limits the averages were judged against
};

class DeviceEvaluation {
public:
    explicit DeviceEvaluation(const EvalSetup& setup = {}) { start(setup); }

    // A new test: forgets everything gathered.
    void start(const EvalSetup& setup);
    const EvalSetup& setup() const { return setup_; }

    // One frame of one phase during the test. Writes the frame's limits into
    // `limit` (no-value mark where none applies) and the violation words into
    // hiov (orders above 100 %: [0] 32..40, [1] 0..31; above 150 %: [2], [3]);
    // returns the frame's status bits (0x001 fails, 0x002 above 100 %,
    // 0x004 fluctuation excess, 0x400 above 150 %).
    int32_t add(int phase, const PhaseValues& v, float* limit, int32_t* hiov);

    PhaseResult result(int phase) const;

private:
    struct Phase {
        int32_t frames = 0;
        double sum_h[kOrders]{};
        float humx[kOrders]{};
        float hfmx[kOrders]{};
        double sum_p = 0, sum_pf = 0, sum_i1 = 0, sum_iref = 0;
        double re5 = 0, im5 = 0;        // fifth-harmonic phasor against the voltage
        uint64_t over150 = 0, over200 = 0;
        int32_t frames150[kOrders]{};   // frames above 150 %
        uint64_t hult = 0, hifl = 0;
        int32_t hugf = 0;
        std::vector<uint64_t> ring;     // fluctuation flags of the window, one mask per frame
        int ring_pos = 0;
        int32_t count[kOrders]{};       // flags inside the window
    };
    void limits_for_frame(const PhaseValues& v, float* out) const;

    EvalSetup setup_;
    int window_frames_ = 750;
    Phase ph_[3];
};

}  // namespace simphys
