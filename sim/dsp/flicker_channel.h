// One phase of the simulated analyser's flicker measurement: the
// flickermeter and the voltage-change evaluation on the same voltage
// samples, with the values of the flicker frame (FLST, FLLT, FLMO,
// FLMS (0:31), FLRM (0:31), FLDT (0:31), FLDC, FLDX, FLRE).
#pragma once

#include "sim/dsp/flickermeter.h"
#include "sim/dsp/voltage_change.h"

#include <array>
#include <cstdint>

namespace orivan::dsp {

struct FlickerChannelConfig {
    FlickermeterConfig meter;       // lamp, rates, period, Plt periods
    double nominal_v = 230;         // reference of d(t), dc and dmax
    int variant = 0;                // "FNRM": 0 base, 1 A1, 2 switching, 3 EN61000-3-11
    double dmax_limit_pct = 4;      // "FLDL"

    static FlickerChannelConfig For(Lamp lamp);
};

// The flicker part of one frame; the arrays hold the 32 latest half-period
// values, oldest first (zero before 32 half-periods have passed).
struct FlickerFrameValues {
    float flst = 0, fllt = 0, flmo = 0;
    std::array<float, 32> flms{}, flrm{}, fldt{};
    float fldc = 0, fldx = 0;
    int32_t flre = 0;
};

class FlickerChannel {
public:
    explicit FlickerChannel(const FlickerChannelConfig& cfg);
    FlickerChannel(const FlickerChannel&) = delete;   // the meter calls back into this object
    FlickerChannel& operator=(const FlickerChannel&) = delete;

    void feed(const double* u, size_t n) { meter_.feed(u, n); }

    // Values for the frame taken now.
    FlickerFrameValues frame() const;

    int completed_periods() const { return int(meter_.periods().size()); }
    bool settled() const { return meter_.settled(); }
    const Flickermeter& meter() const { return meter_; }
    const VoltageChangeMeter& voltage_change() const { return vc_; }
    const FlickerLimits& limits() const { return limits_; }

private:
    void half_period(const HalfPeriodValue& hv);
    void period(const PeriodResult& r);

    FlickerChannelConfig cfg_;
    FlickerLimits limits_;
    Flickermeter meter_;
    VoltageChangeMeter vc_;
    std::array<float, 32> pmom_{}, urms_{}, dt_{};
    size_t head_ = 0;               // next slot of the rings
    bool period_ended_ = false;     // period maxima restart with the next half-period
    VoltageChangeMaxima last_period_;
    double pst_max_ = 0;            // largest completed Pst
};

}  // namespace orivan::dsp
