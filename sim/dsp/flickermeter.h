// Digital flickermeter after EN61000-4-15 (2010), class F1.
//
// Block 1  input voltage adaptation: the samples are divided by the peak of
//          a one-minute first-order average of the half-period RMS values
//          (a plain running mean during its first minute).
// Block 2  squaring demodulator.
// Block 3  0.05 Hz first-order high-pass, sixth-order Butterworth low-pass
//          (35 Hz for 50 Hz mains, 42 Hz for 60 Hz) and the lamp-eye
//          weighting filter of the 230 V or 120 V lamp.
// Block 4  squaring, 300 ms first-order sliding mean, scaling so that the
//          reference fluctuation gives Pinst = 1.
// Block 5  fine logarithmic classifier of every Pinst sample of an
//          observation period, smoothed percentiles, Pst; Plt over the last
//          `plt_periods` periods.
//
// All filters are discretised by the bilinear transform with pre-warping.
// The meter is fed in chunks of samples of any size (streaming); it reports
// one value set per mains half-period and one result per observation period.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace orivan::dsp {

enum class Lamp { V230_50Hz, V120_60Hz };

// Second-order section in transposed direct form II (a0 = 1).
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1 = 0, z2 = 0;
    double step(double x)
    {
        double y = b0 * x + z1;
        z1 = b1 * x - a1 * y + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }
    // Sets the state as if the input had been constant x forever.
    void prime(double x);
    void reset() { z1 = z2 = 0; }
    // Gain at frequency f for sample rate fs.
    double gain(double f, double fs) const;
};

// Bilinear transform of the analogue section
//   (n2 s^2 + n1 s + n0) / (d2 s^2 + d1 s + d0)
// exact at the pre-warping frequency fp (Hz).
Biquad Bilinear(double n2, double n1, double n0, double d2, double d1, double d0,
                double fs, double fp);

struct FlickermeterConfig {
    double sample_rate = 4800;       // Hz, at least 1600
    Lamp lamp = Lamp::V230_50Hz;
    double mains_hz = 50;            // nominal supply frequency
    double lowpass_hz = 35;          // Butterworth cut-off (42 for 60 Hz mains)
    double period_s = 600;           // observation period
    int plt_periods = 12;            // periods of one Plt
    double settle_s = 5;             // filters settle before the first period
    double adapt_tau_s = 60;         // block 1 time constant

    // The usual set-up for a lamp: 230 V / 50 Hz / 35 Hz or 120 V / 60 Hz / 42 Hz.
    static FlickermeterConfig For(Lamp lamp);
};

// The percentiles and the results of one observation period.
struct FlickerStatistics {
    double p0_1 = 0, p1s = 0, p3s = 0, p10s = 0, p50s = 0;
    double pst = 0;
    uint64_t samples = 0;
};

// Percentile levels (in %) the classifier evaluates.
constexpr std::array<double, 15> kPercentiles = {0.1, 0.7, 1, 1.5, 2.2, 3, 4, 6,
                                                 8,   10,  13, 17, 30, 50, 80};

// Cumulative probability classifier of Pinst. The classes follow the float
// representation: 128 classes per octave between 2^-24 and 2^24 (6144
// classes, each at most 0.78 % wide), plus one class for everything below.
class FlickerClassifier {
public:
    static constexpr int kPerOctave = 128;
    static constexpr int kMinExp = -24;
    static constexpr int kMaxExp = 24;
    static constexpr int kClasses = (kMaxExp - kMinExp) * kPerOctave + 1;

    FlickerClassifier();
    void add(double pinst)
    {
        ++counts_[ClassOf(pinst)];
        ++total_;
    }
    void clear();
    uint64_t total() const { return total_; }

    // Level exceeded by p % of the samples (linear interpolation inside the
    // class). 0 without samples.
    double percentile(double p) const;
    // All of kPercentiles in one pass over the classes.
    std::array<double, kPercentiles.size()> percentiles() const;
    FlickerStatistics statistics() const;

    static int ClassOf(double v);
    static double LowerBound(int cls);
    static double UpperBound(int cls);

private:
    std::vector<uint64_t> counts_;
    uint64_t total_ = 0;
};

// Pst from the percentile levels P0.1 ... P80 in the order of kPercentiles.
FlickerStatistics PstFromPercentiles(const std::array<double, kPercentiles.size()>& p);
// Plt = cube root of the mean of the cubed Pst values.
double Plt(const double* pst, size_t n);

struct HalfPeriodValue {
    uint64_t index = 0;     // running count of half-periods
    double end_time = 0;    // s since the first sample
    double u_rms = 0;       // RMS over the half-period, V
    double pinst = 0;       // instantaneous flicker at the end of the half-period (Pmom)
};

struct PeriodResult {
    int index = 0;          // 0 for the first observation period
    FlickerStatistics stats;
    double pinst_max = 0;   // over the period
    double plt = 0;         // over the last plt_periods periods (fewer at the start)
};

class Flickermeter {
public:
    explicit Flickermeter(const FlickermeterConfig& cfg = {});

    // Feeds voltage samples (V) taken at the configured sample rate.
    // Non-finite samples are replaced by the previous sample and counted.
    void feed(const double* u, size_t n);
    void feed(const std::vector<double>& u) { feed(u.data(), u.size()); }

    // Called for each completed half-period and each completed period.
    std::function<void(const HalfPeriodValue&)> on_half_period;
    std::function<void(const PeriodResult&)> on_period;

    const FlickermeterConfig& config() const { return cfg_; }
    double time() const { return double(samples_) / cfg_.sample_rate; }
    bool settled() const { return samples_ >= settle_samples_; }
    // Remaining seconds of the current observation period (period length
    // while settling).
    double period_remaining() const;

    double pinst() const { return pinst_; }
    double pinst_max() const { return pinst_max_; }              // since settling
    double period_pinst_max() const { return period_pinst_max_; } // current period
    // Pst of the samples of the current (unfinished) period.
    FlickerStatistics running_statistics() const { return classifier_.statistics(); }
    const std::vector<PeriodResult>& periods() const { return periods_; }
    // Plt over the completed periods (the last plt_periods of them); 0 before the first.
    double plt() const;
    uint64_t rejected_samples() const { return rejected_; }
    double reference_rms() const { return u_ref_; }

    // The scale of block 4 (Pinst per squared weighted fluctuation).
    double scale() const { return scale_; }
    // Gain of blocks 3 (high-pass, low-pass, weighting) at a fluctuation frequency.
    double weighting_gain(double f) const;

private:
    void process(double u);
    void run_chain(double u);
    void close_half_period(double t_end);
    void end_period();

    FlickermeterConfig cfg_;
    Biquad hp_;                       // first order
    std::array<Biquad, 3> lp_;        // Butterworth, sixth order
    std::array<Biquad, 2> weight_;    // lamp-eye
    Biquad mean_;                     // 300 ms, first order
    double scale_ = 1;

    // Half-period detection and block 1.
    double u_ref_ = 0;                // adapted RMS
    double gain_ = 0;                 // 1 / (sqrt(2) u_ref)
    double adapt_alpha_ = 0;          // per half-period
    bool synced_ = false;
    bool started_ = false;            // first half-period measured
    double prev_u_ = 0;
    double hp_sum_ = 0;               // sum of u^2 in the running half-period
    double hp_start_ = 0;             // its start, in samples since the first
    double min_hp_len_ = 0, max_hp_len_ = 0;
    std::vector<double> first_;       // samples of the first half-period
    uint64_t half_periods_ = 0;

    uint64_t samples_ = 0;
    uint64_t settle_samples_ = 0;
    uint64_t period_samples_ = 0;
    uint64_t in_period_ = 0;
    uint64_t rejected_ = 0;
    double last_good_ = 0;

    double pinst_ = 0, pinst_max_ = 0, period_pinst_max_ = 0;
    FlickerClassifier classifier_;
    std::vector<PeriodResult> periods_;
};

}  // namespace orivan::dsp
