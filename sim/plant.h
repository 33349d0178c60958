// The simulated test set-up behind the analysers of one bench: supply,
// reference impedance and equipment under test, sampled window by window.
// Every analyser of the bench (three PAM-A on three phases, or one PAM-C)
// measures the same circuit; consecutive windows are shared so that the
// analysers see one and the same current.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "sim/eut/circuit.h"

namespace sim {

struct PlantSetup {
    std::string eut = "heater";    // EUT text ("smps:power=250" ...)
    std::string mains = "230/50";  // supply text ("230/50", "120/60:h3=1", "bad" ...)
    int phases = 1;                // 1 or 3; a three-phase EUT always gets 3
};

class Plant {
public:
    // Null with a message for an unknown EUT or a malformed supply.
    static std::shared_ptr<Plant> Make(const PlantSetup& setup, std::string* error);

    // The window following the one numbered `after` (0 before the first). A
    // device asking for a window another device has already taken gets that
    // one (the plant holds the latest kHeld windows, so a device lagging a few
    // cycles behind still sees every window in turn; one further behind goes
    // on with the latest). The number of the window handed out is stored in
    // `after`; the reference stays valid until the plant's next call.
    static constexpr size_t kHeld = 8;
    const simphys::Window& next(uint64_t* after, int periods);

    int phases() const { return circuit_->phases(); }
    const simphys::Supply& supply() const { return circuit_->supply(); }
    // Test voltage and frequency the analysers judge the supply against.
    double nominal_voltage() const { return nominal_v_; }
    double nominal_frequency() const { return nominal_f_; }
    std::string eut_text() const { return circuit_->eut().text(); }

    // A new setting of the power source (from the next window on). Output
    // off leaves the EUT without voltage.
    void set_source(double voltage, double frequency, bool output);

    // Reference impedance from the digital outputs of the first analyser:
    // in the supply path while output 2 is set and output 4 is not. `zref`:
    // -1 not given (loop for a single-phase, phase conductor for a
    // three-phase circuit), 0 phase conductor, otherwise the loop.
    void set_impedance_path(bool in_path, int zref);
    simphys::RefImpedance impedance() const { return circuit_->impedance(); }

private:
    Plant() = default;
    std::unique_ptr<simphys::Circuit> circuit_;
    simphys::Supply base_;  // the configured supply (its distortion stays with source changes)
    double nominal_v_ = 230, nominal_f_ = 50;
    std::deque<simphys::Window> held_;  // windows latest_ - size + 1 .. latest_
    uint64_t latest_ = 0;
};

}  // namespace sim
