#include "sim/eut/circuit.h"

#include <algorithm>

namespace simphys {

int PeriodsPerWindow(double nominal_frequency)
{
    return nominal_frequency >= 55 ? 12 : 10;
}

Circuit::Circuit(const Supply& supply, std::unique_ptr<Eut> eut, int phases, int samples_per_period)
    : eut_(std::move(eut)), phases_(phases == 3 ? 3 : 1), spp_(std::max(16, samples_per_period))
{
    set_supply(supply);
}

void Circuit::set_supply(const Supply& supply)
{
    supply_ = supply;
    for (int p = 0; p < 3; ++p) {
        period_[p].resize(spp_);
        SourcePeriod(supply_, p, spp_, period_[p].data());
    }
}

void Circuit::next(Window& w, int periods)
{
    periods = std::max(1, periods);
    const int n = periods * spp_;
    const double dt = 1.0 / (supply_.frequency * spp_);
    w.phases = phases_;
    w.periods = periods;
    w.n = n;
    w.fs = supply_.frequency * spp_;
    w.frequency = supply_.frequency;
    w.t0 = t_;

    const int driven = phases_;
    Drive d;
    d.phases = driven;
    d.n = n;
    d.dt = dt;
    d.t0 = t_;
    d.z = ReferenceImpedance(z_);
    for (int p = 0; p < driven; ++p) {
        us_[p].resize(n);
        for (int k = 0; k < periods; ++k) std::copy(period_[p].begin(), period_[p].end(), us_[p].begin() + k * spp_);
        d.us[p] = us_[p].data();
        if (p < phases_) {
            w.i[p].resize(n);
            d.i[p] = w.i[p].data();
        } else {
            spare_[p].resize(n);
            d.i[p] = spare_[p].data();
        }
    }
    eut_->run(d);

    // Terminal voltage: source minus the drop across the series impedance,
    // u = us - R i - L di/dt (central differences, continuing the last window).
    for (int p = 0; p < phases_; ++p) {
        w.u[p].resize(n);
        float* u = w.u[p].data();
        const float* i = w.i[p].data();
        const float* us = us_[p].data();
        if (z_ == RefImpedance::Off) {
            std::copy(us, us + n, u);
        } else {
            const float r = float(d.z.r), kl = float(d.z.l / (2 * dt));
            float prev = i_last_[p];
            for (int k = 0; k < n; ++k) {
                float nxt = k + 1 < n ? i[k + 1] : 2 * i[k] - i[k - 1 >= 0 ? k - 1 : 0];
                u[k] = us[k] - r * i[k] - kl * (nxt - prev);
                prev = i[k];
            }
        }
        i_last_[p] = i[n - 1];
    }
    t_ += n * dt;
}

}  // namespace simphys
