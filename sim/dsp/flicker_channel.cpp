#include "sim/dsp/flicker_channel.h"

#include <algorithm>

namespace orivan::dsp {

namespace {

VoltageChangeConfig VcConfig(const FlickerChannelConfig& c, const FlickerLimits& l)
{
    VoltageChangeConfig v;
    v.nominal_v = c.nominal_v;
    v.mains_hz = c.meter.mains_hz;
    v.dt_limit_pct = l.dt_pct;
    return v;
}

}  // namespace

FlickerChannelConfig FlickerChannelConfig::For(Lamp lamp)
{
    FlickerChannelConfig c;
    c.meter = FlickermeterConfig::For(lamp);
    c.nominal_v = lamp == Lamp::V120_60Hz ? 120 : 230;
    return c;
}

FlickerChannel::FlickerChannel(const FlickerChannelConfig& cfg)
    : cfg_(cfg),
      limits_(FlickerLimits::For(cfg.variant, cfg.dmax_limit_pct)),
      meter_(cfg.meter),
      vc_(VcConfig(cfg, limits_))
{
    meter_.on_half_period = [this](const HalfPeriodValue& hv) { half_period(hv); };
    meter_.on_period = [this](const PeriodResult& r) { period(r); };
}

void FlickerChannel::half_period(const HalfPeriodValue& hv)
{
    if (period_ended_) {
        vc_.new_period();
        period_ended_ = false;
    }
    double d = vc_.add(hv.u_rms);
    pmom_[head_] = float(hv.pinst);
    urms_[head_] = float(hv.u_rms);
    dt_[head_] = float(d);
    head_ = (head_ + 1) % pmom_.size();
}

void FlickerChannel::period(const PeriodResult& r)
{
    pst_max_ = std::max(pst_max_, r.stats.pst);
    last_period_ = vc_.period();
    period_ended_ = true;
}

FlickerFrameValues FlickerChannel::frame() const
{
    FlickerFrameValues f;
    const auto& periods = meter_.periods();
    // Pst of the last completed period; during the first one the running value.
    f.flst = float(periods.empty() ? meter_.running_statistics().pst : periods.back().stats.pst);
    f.fllt = float(meter_.plt());
    // Pmom: the latest half-period value (the last of FLMS).
    f.flmo = pmom_[(head_ + pmom_.size() - 1) % pmom_.size()];
    for (size_t i = 0; i < pmom_.size(); ++i) {
        size_t j = (head_ + i) % pmom_.size();
        f.flms[i] = pmom_[j];
        f.flrm[i] = urms_[j];
        f.fldt[i] = dt_[j];
    }
    // dc and dmax of the running period; right after a period ended, of that period.
    VoltageChangeMaxima p = period_ended_ ? last_period_ : vc_.period();
    f.fldc = float(p.dc);
    f.fldx = float(p.dmax);
    f.flre = FlickerVerdict(limits_, pst_max_, meter_.plt(), vc_.total());
    return f;
}

}  // namespace orivan::dsp
