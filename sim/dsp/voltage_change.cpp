#include "sim/dsp/voltage_change.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace orivan::dsp {

VoltageChangeMeter::VoltageChangeMeter(const VoltageChangeConfig& cfg) : cfg_(cfg)
{
    if (!(cfg_.nominal_v > 0) || !(cfg_.mains_hz > 0) || !(cfg_.band_pct > 0) || !(cfg_.steady_s > 0) ||
        !(cfg_.dt_limit_pct > 0))
        throw std::invalid_argument("voltage change: nominal voltage, frequency, band, duration and d(t) limit must be positive");
    window_ = size_t(std::max(1.0, std::round(cfg_.steady_s * 2 * cfg_.mains_hz)));
    hp_ms_ = 1000 / (2 * cfg_.mains_hz);
    values_.assign(window_, 0);
    u_ss_ = cfg_.nominal_v;
    over_.assign(window_, 0);
}

double VoltageChangeMeter::add(double u)
{
    if (!std::isfinite(u))
        u = filled_ ? values_[(head_ + window_ - 1) % window_] : cfg_.nominal_v;
    const size_t slot = head_;
    window_over_ -= over_[slot];
    values_[slot] = u;
    over_[slot] = 0;
    head_ = (head_ + 1) % window_;
    filled_ = std::min(filled_ + 1, window_);

    bool steady = false;
    double mean = 0;
    if (filled_ == window_) {
        auto [lo, hi] = std::minmax_element(values_.begin(), values_.end());
        steady = *hi - *lo <= 2 * cfg_.band_pct / 100 * cfg_.nominal_v;
        if (steady) {
            for (double v : values_)
                mean += v;
            mean /= double(window_);
        }
    }

    if (!in_change_) {
        if (std::fabs(u - u_ss_) <= cfg_.band_pct / 100 * cfg_.nominal_v) {
            if (steady) {
                u_ss_ = mean;            // follows slow drift inside the steady state
                has_ref_ = true;
            }
            return 0;
        }
        in_change_ = true;
        d_max_ = d_min_ = 0;
        over_count_ = 0;
    }

    const double d = (u_ss_ - u) / cfg_.nominal_v * 100;
    d_max_ = std::max(d_max_, d);
    d_min_ = std::min(d_min_, d);
    if (std::fabs(d) > cfg_.dt_limit_pct) {
        over_[slot] = 1;
        ++window_over_;
        ++over_count_;
    }
    if (steady)
        finish_change(mean);
    return d;
}

void VoltageChangeMeter::finish_change(double u_new)
{
    VoltageChangeMaxima c;
    // Before the first steady state the reference is the nominal voltage,
    // which is no steady state: no dc for the first change.
    c.dc = has_ref_ ? std::fabs(u_ss_ - u_new) / cfg_.nominal_v * 100 : 0;
    c.dmax = d_max_ - d_min_;
    // The last second is the new steady state, not part of the change.
    c.dt_ms = double(over_count_ - window_over_) * hp_ms_;
    for (VoltageChangeMaxima* m : {&period_, &total_}) {
        m->dc = std::max(m->dc, c.dc);
        m->dmax = std::max(m->dmax, c.dmax);
        m->dt_ms = std::max(m->dt_ms, c.dt_ms);
        ++m->changes;
    }
    u_ss_ = u_new;
    has_ref_ = true;
    in_change_ = false;
    over_count_ = 0;
}

VoltageChangeMaxima VoltageChangeMeter::with_running(VoltageChangeMaxima m) const
{
    if (in_change_) {
        m.dmax = std::max(m.dmax, d_max_ - d_min_);
        // Only time older than one steady-state duration surely belongs to the change.
        m.dt_ms = std::max(m.dt_ms, double(over_count_ - window_over_) * hp_ms_);
    }
    return m;
}

void VoltageChangeMeter::new_period()
{
    period_ = VoltageChangeMaxima{};
}

FlickerLimits FlickerLimits::For(int variant, double dmax_limit_pct)
{
    FlickerLimits l;
    l.dmax_pct = dmax_limit_pct > 0 ? dmax_limit_pct : 4.0;
    if (variant == 0) {
        l.dc_pct = l.dt_pct = 0.75 * l.dmax_pct;
        l.dt_ms = 200;
    } else {
        l.dc_pct = l.dt_pct = 3.3;
        l.dt_ms = 500;
    }
    return l;
}

int32_t FlickerVerdict(const FlickerLimits& lim, double pst_max, double plt,
                       const VoltageChangeMaxima& c)
{
    int32_t v = 0;
    if (pst_max >= lim.pst)
        v |= kVerdictPst;
    if (plt >= lim.plt)
        v |= kVerdictPlt;
    if (c.dmax > lim.dmax_pct)
        v |= kVerdictDmax;
    if (c.dt_ms > lim.dt_ms)
        v |= kVerdictDt;
    if (c.dc > lim.dc_pct)
        v |= kVerdictDc;
    if (v)
        v |= kVerdictFail;
    return v;
}

}  // namespace orivan::dsp
