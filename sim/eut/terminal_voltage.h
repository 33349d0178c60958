// The voltage at the equipment's terminals as one continuous stream of
// samples at any rate, for the flickermeter (4800 Hz over hours), where
// `Circuit` delivers supply-locked measuring windows of 256 points per period.
//
//   u(t) = us(t) - R i(t) - L di/dt
//
// us the source voltage (phase-continuous across supply changes, optionally
// scaled by an envelope), R + jwL the reference impedance, i the current the
// EUT draws. The EUT is run internally in blocks of one measuring window
// (10 periods below 55 Hz, 12 from 55 Hz on, at the sampler's rate), so the
// samples do not depend on how many the caller takes at a time; di/dt is the
// central difference, continued exactly across the blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "sim/eut/eut.h"
#include "sim/eut/supply.h"

namespace simphys {

class TerminalSampler {
public:
    // `phases` 1 or 3; `eut` may be null (no equipment: the source voltage).
    // Throws std::invalid_argument unless sample_rate >= 16 x the supply frequency.
    TerminalSampler(const Supply& supply, std::unique_ptr<Eut> eut, int phases, double sample_rate);

    // A new supply setting (power source); the frequency changes without a
    // phase jump. Like set_impedance and set_envelope it applies from the
    // next internal block on (at most one measuring window later).
    void set_supply(const Supply& supply);
    void set_impedance(RefImpedance z) { z_ = z; }
    // Relative factor on the source voltage at time t (s since switch-on),
    // e.g. a supply-side fluctuation; none: 1.
    void set_envelope(std::function<double(double t)> envelope) { envelope_ = std::move(envelope); }

    // The next n samples of each connected phase: terminal voltage (V) into
    // u[p], current (A) into i[p] where i and i[p] are not null.
    void next(size_t n, double* const u[3], double* const i[3] = nullptr);
    // The next n terminal-voltage samples of phase 1.
    void next(double* u, size_t n);

    double sample_rate() const { return fs_; }
    double time() const { return double(taken_) / fs_; }  // of the next sample, s
    int phases() const { return phases_; }
    const Supply& supply() const { return supply_; }
    RefImpedance impedance() const { return z_; }
    const Eut* eut() const { return eut_.get(); }

private:
    void produce();  // runs the EUT over the next block

    Supply supply_;
    std::unique_ptr<Eut> eut_;
    int phases_;
    double fs_;
    RefImpedance z_ = RefImpedance::Off;
    std::function<double(double)> envelope_;

    double cycles_ = 0;           // phase of the fundamental, in periods (0..1)
    uint64_t produced_ = 0;       // samples run through the EUT
    uint64_t taken_ = 0;          // samples handed out
    std::vector<double> us_[3];   // source voltage of the block
    std::vector<float> usf_[3], i_[3];

    // The block's last sample waits for the next block's first current.
    bool pending_ = false;
    double pend_us_[3] = {}, pend_i_[3] = {}, pend_i_before_[3] = {};
    SeriesZ pend_z_;

    std::vector<double> ready_u_[3], ready_i_[3];
    size_t ready_pos_ = 0;
};

}  // namespace simphys
