#include "sim/eut/terminal_voltage.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

#include "sim/eut/circuit.h"

namespace simphys {

namespace {

constexpr double kPi = std::numbers::pi;

void CheckRate(const Supply& s, double fs)
{
    if (!(fs >= 16 * s.frequency) || !std::isfinite(fs))
        throw std::invalid_argument("terminal sampler: the sample rate must be at least 16 times the mains frequency");
}

}  // namespace

TerminalSampler::TerminalSampler(const Supply& supply, std::unique_ptr<Eut> eut, int phases, double sample_rate)
    : supply_(supply), eut_(std::move(eut)), phases_(phases == 3 ? 3 : 1), fs_(sample_rate)
{
    CheckRate(supply_, fs_);
}

void TerminalSampler::set_supply(const Supply& supply)
{
    CheckRate(supply, fs_);
    supply_ = supply;
}

void TerminalSampler::produce()
{
    const Supply& s = supply_;
    const int m = std::max(16, int(std::lround(fs_ * PeriodsPerWindow(s.frequency) / s.frequency)));
    const double dt = 1 / fs_, step = s.frequency / fs_;
    const double peak = s.voltage * std::numbers::sqrt2;
    const double t0 = double(produced_) / fs_;
    bool harmonics = false;
    for (int n = 2; n <= kMaxOrder; ++n) harmonics = harmonics || s.harm_pct[n] != 0;

    // Source voltage: the fundamental by a rotating phasor started exactly
    // at the block's phase, harmonics (rare) directly.
    std::complex<double> c = std::polar(1.0, 2 * kPi * cycles_);
    const std::complex<double> rot = std::polar(1.0, 2 * kPi * step);
    const std::complex<double> shift[3] = {1.0, std::polar(1.0, -2 * kPi / 3), std::polar(1.0, -4 * kPi / 3)};
    for (int p = 0; p < phases_; ++p) {
        us_[p].resize(m);
        usf_[p].resize(m);
        i_[p].assign(m, 0.f);
    }
    for (int k = 0; k < m; ++k) {
        const double env = envelope_ ? envelope_(t0 + k * dt) : 1.0;
        for (int p = 0; p < phases_; ++p) {
            double u = (c * shift[p]).imag();
            if (harmonics) {
                const double th = 2 * kPi * (cycles_ + k * step) - 2 * kPi / 3 * p;
                for (int n = 2; n <= kMaxOrder; ++n)
                    if (s.harm_pct[n] != 0) u += s.harm_pct[n] / 100 * std::sin(n * th + s.harm_deg[n] * kPi / 180);
            }
            us_[p][k] = peak * env * u;
            usf_[p][k] = float(us_[p][k]);
        }
        c *= rot;
    }
    cycles_ = std::fmod(cycles_ + m * step, 1.0);

    const SeriesZ z = ReferenceImpedance(z_);
    if (eut_) {
        Drive d;
        d.phases = phases_;
        d.n = m;
        d.dt = dt;
        d.t0 = t0;
        d.z = z;
        for (int p = 0; p < phases_; ++p) {
            d.us[p] = usf_[p].data();
            d.i[p] = i_[p].data();
        }
        eut_->run(d);
    }

    // Compact what the caller has taken, then append the finished samples:
    // the last one of the previous block and all but the last of this one.
    for (int p = 0; p < phases_; ++p) {
        ready_u_[p].erase(ready_u_[p].begin(), ready_u_[p].begin() + ready_pos_);
        ready_i_[p].erase(ready_i_[p].begin(), ready_i_[p].begin() + ready_pos_);
    }
    ready_pos_ = 0;
    for (int p = 0; p < phases_; ++p) {
        const float* i = i_[p].data();
        const double* us = us_[p].data();
        std::vector<double>& ru = ready_u_[p];
        std::vector<double>& ri = ready_i_[p];
        if (pending_) {
            const double kl = pend_z_.l * fs_ / 2;
            ru.push_back(pend_us_[p] - pend_z_.r * pend_i_[p] - kl * (i[0] - pend_i_before_[p]));
            ri.push_back(pend_i_[p]);
        }
        const double kl = z.l * fs_ / 2;
        double before = pending_ ? pend_i_[p] : 2.0 * i[0] - i[1];  // first block: one-sided start
        for (int k = 0; k + 1 < m; ++k) {
            ru.push_back(us[k] - z.r * i[k] - kl * (i[k + 1] - before));
            ri.push_back(i[k]);
            before = i[k];
        }
        pend_us_[p] = us[m - 1];
        pend_i_[p] = i[m - 1];
        pend_i_before_[p] = i[m - 2];
    }
    pend_z_ = z;
    pending_ = true;
    produced_ += m;
}

void TerminalSampler::next(size_t n, double* const u[3], double* const i[3])
{
    size_t done = 0;
    while (done < n) {
        if (ready_pos_ >= ready_u_[0].size()) produce();
        const size_t take = std::min(n - done, ready_u_[0].size() - ready_pos_);
        for (int p = 0; p < phases_; ++p) {
            if (u && u[p]) std::copy_n(ready_u_[p].begin() + ready_pos_, take, u[p] + done);
            if (i && i[p]) std::copy_n(ready_i_[p].begin() + ready_pos_, take, i[p] + done);
        }
        ready_pos_ += take;
        done += take;
    }
    taken_ += n;
}

void TerminalSampler::next(double* u, size_t n)
{
    double* const us[3] = {u, nullptr, nullptr};
    next(n, us, nullptr);
}

}  // namespace simphys
