// Models of equipment under test: each draws a current from the voltage of
// the supply, window after window, keeping its electrical state (capacitor
// voltages, choke currents, firing state) from one window to the next.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "sim/eut/supply.h"

namespace simphys {

// What a model sees over one measuring window.
struct Drive {
    const float* us[3] = {};  // source voltage of each phase, n samples
    float* i[3] = {};         // current drawn from each phase (out), A
    int phases = 1;           // 1: only phase 0 is connected
    int n = 0;                // samples in the window
    double dt = 0;            // sampling interval, s
    double t0 = 0;            // time of the first sample since switch-on, s
    SeriesZ z;                // impedance between source and equipment, per phase
};

class Eut {
public:
    virtual ~Eut() = default;
    // Fills d.i[p] for p < d.phases (other phases are left alone).
    virtual void run(const Drive& d) = 0;
    // The parameter text that recreates this model, e.g. "smps:power=250,pfc=0".
    virtual std::string text() const = 0;
    // True for equipment connected to three phases only (a single-phase
    // circuit feeds it no current).
    virtual bool three_phase() const { return false; }
};

// Builds a model from a short text such as "smps:power=250" or
// "dimmer:angle=90"; null with a message on an unknown name or parameter.
std::unique_ptr<Eut> MakeEut(std::string_view text, std::string* error);

// One line per model: the name, what it is and its parameters with defaults
// (printed by `pam-sim --list-eut`).
std::string ListEut();

}  // namespace simphys
