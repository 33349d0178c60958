// The simulated test circuit: supply, optional reference impedance and the
// equipment under test, sampled window by window in step with the mains (the
// analyser's sampling is locked to the supply frequency).
#pragma once

#include <memory>
#include <vector>

#include "sim/eut/eut.h"
#include "sim/eut/supply.h"

namespace simphys {

constexpr int kSamplesPerPeriod = 256;

// Measuring window: 10 mains periods at 50 Hz, 12 at 60 Hz.
int PeriodsPerWindow(double nominal_frequency);

// One measuring window of every connected phase, as the analyser samples it
// at the equipment's terminals.
struct Window {
    int phases = 1;
    int periods = 10;
    int n = 0;               // samples per phase
    double fs = 0;           // sampling rate, Hz
    double frequency = 0;    // supply frequency, Hz
    double t0 = 0;           // time of the first sample since switch-on, s
    std::vector<float> u[3];  // terminal voltage, V
    std::vector<float> i[3];  // current, A
};

class Circuit {
public:
    Circuit(const Supply& supply, std::unique_ptr<Eut> eut, int phases,
            int samples_per_period = kSamplesPerPeriod);

    // A new supply setting (power source) takes effect with the next window.
    void set_supply(const Supply& supply);
    const Supply& supply() const { return supply_; }
    void set_impedance(RefImpedance z) { z_ = z; }
    RefImpedance impedance() const { return z_; }
    const Eut& eut() const { return *eut_; }
    int phases() const { return phases_; }
    double time() const { return t_; }

    // Synthesises the next window of `periods` mains periods.
    void next(Window& w, int periods);

private:
    Supply supply_;
    std::unique_ptr<Eut> eut_;
    int phases_;
    int spp_;
    RefImpedance z_ = RefImpedance::Off;
    std::vector<float> period_[3];  // one period of source voltage per phase
    std::vector<float> us_[3];      // source voltage over the window
    std::vector<float> spare_[3];   // currents of phases a single-phase circuit leaves open
    float i_last_[3] = {};          // last current of the previous window
    double t_ = 0;
};

}  // namespace simphys
