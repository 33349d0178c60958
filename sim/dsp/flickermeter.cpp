#include "sim/dsp/flickermeter.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <stdexcept>

namespace orivan::dsp {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Lamp-eye weighting filter constants.
struct LampModel {
    double k, lambda_hz, f1, f2, f3, f4;
    double ref_du;      // sinusoidal 8.8 Hz fluctuation (peak to peak) giving Pinst = 1
};

constexpr LampModel kLamp230 = {1.74802, 4.05981, 9.15494, 2.27979, 1.22535, 21.9, 0.00250};
constexpr LampModel kLamp120 = {1.6357, 4.167375, 9.077169, 2.939902, 1.394468, 17.31512, 0.00321};

const LampModel& ModelOf(Lamp lamp) { return lamp == Lamp::V120_60Hz ? kLamp120 : kLamp230; }

constexpr double kRefFrequency = 8.8;   // Hz
constexpr double kMeanTau = 0.3;        // s, block 4

}  // namespace

void Biquad::prime(double x)
{
    // Steady state of the transposed form for constant input x and output y.
    double dc = (b0 + b1 + b2) / (1 + a1 + a2);
    double y = dc * x;
    z2 = b2 * x - a2 * y;
    z1 = b1 * x - a1 * y + z2;
}

double Biquad::gain(double f, double fs) const
{
    std::complex<double> z1c = std::polar(1.0, -2 * kPi * f / fs);
    std::complex<double> z2c = z1c * z1c;
    return std::abs((b0 + b1 * z1c + b2 * z2c) / (1.0 + a1 * z1c + a2 * z2c));
}

Biquad Bilinear(double n2, double n1, double n0, double d2, double d1, double d0,
                double fs, double fp)
{
    // s = K (1 - 1/z) / (1 + 1/z), K chosen so that the analogue and the
    // digital response agree at fp.
    const double K = 2 * kPi * fp / std::tan(kPi * fp / fs);
    Biquad q;
    if (n2 == 0 && d2 == 0) {
        // First order: no common factor (1 + 1/z) in numerator and denominator.
        double a0 = d1 * K + d0;
        q.b0 = (n1 * K + n0) / a0;
        q.b1 = (n0 - n1 * K) / a0;
        q.a1 = (d0 - d1 * K) / a0;
        return q;
    }
    const double K2 = K * K;
    double a0 = d2 * K2 + d1 * K + d0;
    q.b0 = (n2 * K2 + n1 * K + n0) / a0;
    q.b1 = (2 * n0 - 2 * n2 * K2) / a0;
    q.b2 = (n2 * K2 - n1 * K + n0) / a0;
    q.a1 = (2 * d0 - 2 * d2 * K2) / a0;
    q.a2 = (d2 * K2 - d1 * K + d0) / a0;
    return q;
}

FlickermeterConfig FlickermeterConfig::For(Lamp lamp)
{
    FlickermeterConfig c;
    c.lamp = lamp;
    if (lamp == Lamp::V120_60Hz) {
        c.mains_hz = 60;
        c.lowpass_hz = 42;
    }
    return c;
}

// ---------------------------------------------------------------- classifier

FlickerClassifier::FlickerClassifier() : counts_(kClasses, 0) {}

void FlickerClassifier::clear()
{
    std::fill(counts_.begin(), counts_.end(), 0);
    total_ = 0;
}

int FlickerClassifier::ClassOf(double v)
{
    constexpr double lo = 0x1p-24;
    constexpr double hi = 0x1p24;
    if (!(v >= lo))
        return 0;                       // below the range, negative or NaN
    if (v >= hi)
        return kClasses - 1;
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    // Biased exponent and the seven leading mantissa bits.
    int key = int(bits >> 45);
    constexpr int base = (1023 + kMinExp) << 7;
    return key - base + 1;
}

double FlickerClassifier::LowerBound(int cls)
{
    if (cls <= 0)
        return 0;
    int k = cls - 1;
    int e = kMinExp + k / kPerOctave;
    int m = k % kPerOctave;
    return std::ldexp(1.0 + double(m) / kPerOctave, e);
}

double FlickerClassifier::UpperBound(int cls)
{
    if (cls >= kClasses - 1)
        return std::ldexp(1.0, kMaxExp);
    return LowerBound(cls + 1);
}

std::array<double, kPercentiles.size()> FlickerClassifier::percentiles() const
{
    std::array<double, kPercentiles.size()> out{};
    if (total_ == 0)
        return out;
    size_t next = 0;                    // kPercentiles ascend: levels descend
    uint64_t above = 0;                 // samples in the classes above cls
    for (int cls = kClasses - 1; cls >= 0 && next < out.size(); --cls) {
        uint64_t n = counts_[cls];
        if (n == 0)
            continue;
        while (next < out.size()) {
            double target = kPercentiles[next] / 100.0 * double(total_);
            if (target > double(above + n))
                break;
            double lo = LowerBound(cls), hi = UpperBound(cls);
            double inside = (target - double(above)) / double(n);
            out[next] = hi - std::clamp(inside, 0.0, 1.0) * (hi - lo);
            ++next;
        }
        above += n;
    }
    return out;
}

double FlickerClassifier::percentile(double p) const
{
    if (total_ == 0)
        return 0;
    double target = p / 100.0 * double(total_);
    uint64_t above = 0;
    for (int cls = kClasses - 1; cls >= 0; --cls) {
        uint64_t n = counts_[cls];
        if (n == 0)
            continue;
        if (target <= double(above + n)) {
            double lo = LowerBound(cls), hi = UpperBound(cls);
            double inside = (target - double(above)) / double(n);
            return hi - std::clamp(inside, 0.0, 1.0) * (hi - lo);
        }
        above += n;
    }
    return 0;
}

FlickerStatistics FlickerClassifier::statistics() const
{
    FlickerStatistics s = PstFromPercentiles(percentiles());
    s.samples = total_;
    return s;
}

FlickerStatistics PstFromPercentiles(const std::array<double, kPercentiles.size()>& p)
{
    // Order: 0.1 0.7 1 1.5 2.2 3 4 6 8 10 13 17 30 50 80
    FlickerStatistics s;
    s.p0_1 = p[0];
    s.p1s = (p[1] + p[2] + p[3]) / 3;
    s.p3s = (p[4] + p[5] + p[6]) / 3;
    s.p10s = (p[7] + p[8] + p[9] + p[10] + p[11]) / 5;
    s.p50s = (p[12] + p[13] + p[14]) / 3;
    double sum = 0.0314 * s.p0_1 + 0.0525 * s.p1s + 0.0657 * s.p3s + 0.28 * s.p10s + 0.08 * s.p50s;
    s.pst = std::sqrt(std::max(sum, 0.0));
    return s;
}

double Plt(const double* pst, size_t n)
{
    if (n == 0)
        return 0;
    double sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += pst[i] * pst[i] * pst[i];
    return std::cbrt(sum / double(n));
}

// ---------------------------------------------------------------- meter

Flickermeter::Flickermeter(const FlickermeterConfig& cfg) : cfg_(cfg)
{
    const double fs = cfg_.sample_rate;
    if (!(fs >= 1600) || !(fs <= 1e6))
        throw std::invalid_argument("flickermeter: sample rate must be between 1600 Hz and 1 MHz");
    if (!(cfg_.mains_hz >= 10 && cfg_.mains_hz <= 1000 && cfg_.mains_hz * 8 <= fs))
        throw std::invalid_argument("flickermeter: mains frequency out of range for the sample rate");
    if (!(cfg_.lowpass_hz > 0 && cfg_.lowpass_hz < fs / 4))
        throw std::invalid_argument("flickermeter: low-pass cut-off out of range");
    if (!(cfg_.period_s >= 1) || cfg_.period_s > 86400)
        throw std::invalid_argument("flickermeter: observation period must be 1 s to 24 h");
    if (cfg_.plt_periods < 1)
        throw std::invalid_argument("flickermeter: Plt needs at least one period");
    if (!(cfg_.settle_s >= 0) || !(cfg_.adapt_tau_s > 0))
        throw std::invalid_argument("flickermeter: settling time and adaptation constant must be positive");

    // Block 3.
    const double fhp = 0.05;
    hp_ = Bilinear(0, 1, 0, 0, 1, 2 * kPi * fhp, fs, fhp);
    const double wc = 2 * kPi * cfg_.lowpass_hz;
    for (int k = 0; k < 3; ++k) {
        // Pole pairs of the sixth-order Butterworth: Q = 1 / (2 sin((2k+1) pi / 12)).
        double q = 1 / (2 * std::sin((2 * k + 1) * kPi / 12));
        lp_[k] = Bilinear(0, 0, 1, 1 / (wc * wc), 1 / (q * wc), 1, fs, cfg_.lowpass_hz);
    }
    const LampModel& m = ModelOf(cfg_.lamp);
    const double w1 = 2 * kPi * m.f1, w2 = 2 * kPi * m.f2, w3 = 2 * kPi * m.f3,
                 w4 = 2 * kPi * m.f4, lam = 2 * kPi * m.lambda_hz;
    weight_[0] = Bilinear(0, m.k * w1, 0, 1, 2 * lam, w1 * w1, fs, m.f1);
    weight_[1] = Bilinear(0, 1 / w2, 1, 1 / (w3 * w4), 1 / w3 + 1 / w4, 1, fs, m.f1);
    // Block 4.
    mean_ = Bilinear(0, 0, 1, 0, kMeanTau, 1, fs, 1 / (2 * kPi * kMeanTau));

    // Scale: the reference sine of peak-to-peak du gives a weighted fluctuation
    // of amplitude A = G du/2 (the demodulator yields the relative envelope);
    // its square averaged by block 4 peaks at A^2/2 (1 + |M(2 f)|).
    const double a = weighting_gain(kRefFrequency) * m.ref_du / 2;
    const double peak = a * a / 2 * (1 + mean_.gain(2 * kRefFrequency, fs));
    scale_ = 1 / peak;

    const double half = fs / (2 * cfg_.mains_hz);
    min_hp_len_ = 0.5 * half;
    max_hp_len_ = 1.5 * half;
    adapt_alpha_ = 1 - std::exp(-1 / (2 * cfg_.mains_hz * cfg_.adapt_tau_s));
    settle_samples_ = uint64_t(std::llround(cfg_.settle_s * fs));
    period_samples_ = uint64_t(std::llround(cfg_.period_s * fs));
    first_.reserve(size_t(max_hp_len_) + 2);
}

double Flickermeter::weighting_gain(double f) const
{
    const double fs = cfg_.sample_rate;
    double g = hp_.gain(f, fs);
    for (const Biquad& q : lp_)
        g *= q.gain(f, fs);
    for (const Biquad& q : weight_)
        g *= q.gain(f, fs);
    return g;
}

double Flickermeter::period_remaining() const
{
    if (!settled())
        return cfg_.period_s;
    return double(period_samples_ - in_period_) / cfg_.sample_rate;
}

double Flickermeter::plt() const
{
    if (periods_.empty())
        return 0;
    return periods_.back().plt;
}

void Flickermeter::feed(const double* u, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        double v = u[i];
        if (!std::isfinite(v)) {
            v = last_good_;
            ++rejected_;
        }
        last_good_ = v;
        process(v);
    }
}

void Flickermeter::process(double u)
{
    const double k = double(samples_);   // position of this sample
    ++samples_;
    const bool pos = u >= 0, prev_pos = prev_u_ >= 0;
    const bool sign_change = samples_ > 1 && pos != prev_pos;
    // Zero crossing between the previous sample and this one, by interpolation.
    const double t_cross = sign_change ? k - 1 + prev_u_ / (prev_u_ - u) : k;

    if (!synced_) {
        // Wait for the first zero crossing (or give up on a supply without one).
        if (sign_change || k >= max_hp_len_) {
            synced_ = true;
            hp_start_ = t_cross;
            hp_sum_ = 0;
        } else {
            prev_u_ = u;
            return;
        }
    } else if (sign_change && k - hp_start_ > min_hp_len_) {
        close_half_period(t_cross);
    } else if (k - hp_start_ >= max_hp_len_) {
        close_half_period(k);           // no crossing: DC or no supply
    }
    prev_u_ = u;
    hp_sum_ += u * u;

    if (!started_) {
        first_.push_back(u);
        return;
    }
    run_chain(u);
}

void Flickermeter::run_chain(double u)
{
    // Blocks 1 to 4.
    double x = u * gain_;
    x *= x;
    double y = hp_.step(x);
    y = lp_[0].step(y);
    y = lp_[1].step(y);
    y = lp_[2].step(y);
    y = weight_[0].step(y);
    y = weight_[1].step(y);
    double p = scale_ * mean_.step(y * y);
    pinst_ = p;

    // Block 5.
    if (samples_ > settle_samples_) {
        classifier_.add(p);
        if (p > pinst_max_)
            pinst_max_ = p;
        if (p > period_pinst_max_)
            period_pinst_max_ = p;
        if (++in_period_ == period_samples_)
            end_period();
    }
}

void Flickermeter::close_half_period(double t_end)
{
    // The samples summed so far lie in [hp_start_, t_end).
    double len = std::max(t_end - hp_start_, 1.0);
    double rms = std::sqrt(hp_sum_ / len);
    ++half_periods_;

    if (!started_) {
        started_ = true;
        u_ref_ = rms;
    } else {
        // The plain mean of all half-periods until the filter's own memory
        // is longer: the start adapts quickly without favouring the first value.
        double alpha = std::max(adapt_alpha_, 1.0 / double(half_periods_));
        u_ref_ += alpha * (rms - u_ref_);
    }
    gain_ = u_ref_ > 0 ? 1 / (std::sqrt(2.0) * u_ref_) : 0;

    if (!first_.empty()) {
        // The first half-period is processed with its own RMS; the high-pass
        // starts from the demodulator's mean so that no step enters it.
        hp_.prime(0.5);
        std::vector<double> pending;
        pending.swap(first_);
        for (double v : pending)
            run_chain(v);
    }

    if (on_half_period) {
        HalfPeriodValue hv;
        hv.index = half_periods_ - 1;
        hv.end_time = t_end / cfg_.sample_rate;
        hv.u_rms = rms;
        hv.pinst = pinst_;
        on_half_period(hv);
    }
    hp_start_ = t_end;
    hp_sum_ = 0;
}

void Flickermeter::end_period()
{
    PeriodResult r;
    r.index = int(periods_.size());
    r.stats = classifier_.statistics();
    r.pinst_max = period_pinst_max_;
    periods_.push_back(r);
    size_t n = std::min(periods_.size(), size_t(cfg_.plt_periods));
    std::vector<double> pst(n);
    for (size_t i = 0; i < n; ++i)
        pst[i] = periods_[periods_.size() - n + i].stats.pst;
    periods_.back().plt = Plt(pst.data(), n);
    classifier_.clear();
    in_period_ = 0;
    period_pinst_max_ = 0;
    if (on_period)
        on_period(periods_.back());
}

}  // namespace orivan::dsp
