// Relative voltage changes after EN61000-3-3, from half-period RMS values.
//
// A steady state exists while the half-period values of the last second
// stay inside a band of +-0.2 % of the nominal voltage. Between two steady
// states lies a change; during it the characteristic
//   d(t) = (U_ss - U_hp(t)) / U_n * 100 %
// (positive for a drop) is evaluated against the preceding steady-state
// voltage U_ss, outside changes d(t) is 0. Per change:
//   dc    |U_ss,before - U_ss,after| / U_n (needs the new steady state)
//   dmax  maximum minus minimum of d(t) during the change (0 included)
//   d(t) time  how long |d(t)| exceeds the d(t) limit during the change
// The half-periods of the final second (which form the new steady state)
// do not count towards the d(t) time. Until the first steady state the
// nominal voltage serves as the reference (for d(t) and dmax, not for dc).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orivan::dsp {

struct VoltageChangeConfig {
    double nominal_v = 230;
    double mains_hz = 50;
    double band_pct = 0.2;      // steady-state band, +- % of nominal
    double steady_s = 1.0;      // minimum steady-state duration
    double dt_limit_pct = 3.3;  // d(t) level whose exceedance is timed
};

// The maxima over a stretch of time (an observation period or the test).
struct VoltageChangeMaxima {
    double dc = 0;              // %
    double dmax = 0;            // %
    double dt_ms = 0;           // longest time above the d(t) limit in one change
    int changes = 0;            // completed changes
};

class VoltageChangeMeter {
public:
    explicit VoltageChangeMeter(const VoltageChangeConfig& cfg = {});

    // Adds one half-period RMS value (V); returns d(t) for it, %.
    double add(double u_hp);

    // Starts new period maxima (the test maxima go on).
    void new_period();
    // Maxima of the current period / the whole run, including the change in
    // progress.
    VoltageChangeMaxima period() const { return with_running(period_); }
    VoltageChangeMaxima total() const { return with_running(total_); }

    bool has_steady_state() const { return has_ref_; }
    bool in_change() const { return in_change_; }
    double steady_voltage() const { return u_ss_; }
    const VoltageChangeConfig& config() const { return cfg_; }

private:
    VoltageChangeMaxima with_running(VoltageChangeMaxima m) const;
    void finish_change(double u_new);

    VoltageChangeConfig cfg_;
    size_t window_ = 0;                 // half-periods of one steady state
    double hp_ms_ = 0;
    std::vector<double> values_;        // ring of the last window_ values
    std::vector<uint8_t> over_;         // 1 where |d| exceeded the limit
    size_t head_ = 0, filled_ = 0;

    bool has_ref_ = false;
    bool in_change_ = false;
    double u_ss_ = 0;
    double d_max_ = 0, d_min_ = 0;      // of the change in progress
    size_t over_count_ = 0;             // its half-periods above the d(t) limit
    size_t window_over_ = 0;            // of them, those still in the ring

    VoltageChangeMaxima period_, total_;
};

// Limits the analyser applies (the values of "FNRM" and "FLDL").
struct FlickerLimits {
    double pst = 1.0;
    double plt = 0.65;
    double dmax_pct = 4.0;
    double dc_pct = 3.3;
    double dt_pct = 3.3;
    double dt_ms = 500;

    // variant 0: base edition of EN61000-3-3 (dc and d(t) at 0.75 dmax, 200 ms);
    // 1 amendment A1, 2 switching procedure, 3 EN61000-3-11 (3.3 %, 500 ms).
    // A dmax limit of 0 (or less) stands for 4 %.
    static FlickerLimits For(int variant, double dmax_limit_pct);
};

// FLRE verdict bits.
constexpr int32_t kVerdictFail = 0x01;   // any of the following
constexpr int32_t kVerdictPst = 0x02;    // some Pst not below the limit
constexpr int32_t kVerdictPlt = 0x04;    // Plt not below the limit
constexpr int32_t kVerdictDmax = 0x08;   // dmax above its limit
constexpr int32_t kVerdictDt = 0x10;     // d(t) above its limit for too long
constexpr int32_t kVerdictDc = 0x20;     // dc above its limit

int32_t FlickerVerdict(const FlickerLimits& lim, double pst_max, double plt,
                       const VoltageChangeMaxima& changes);

}  // namespace orivan::dsp
