// Supply voltage with a defined fluctuation, for verification runs of the
// flickermeter and as the source side of flicker tests:
//   u(t) = U sqrt(2) sin(2 pi f t) (1 + du/2 m(t))
// with du the peak-to-peak relative fluctuation and m(t) a sine, a
// rectangular wave (two changes per modulation period) or any envelope.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orivan::dsp {

struct Fluctuation {
    enum Kind { None, Sine, Rect } kind = None;
    double hz = 0;          // Sine: modulation frequency
    double cpm = 0;         // Rect: changes per minute (= 120 x modulation frequency)
    double du_pct = 0;      // peak-to-peak relative change, %

    // Parses "sine:hz=8.8,du=0.25" or "rect:cpm=110,du=0.722" (also "none").
    // Returns false with a message in *error on anything else.
    static bool Parse(const std::string& text, Fluctuation* out, std::string* error);
    std::string describe() const;
};

struct SupplyConfig {
    double sample_rate = 4800;
    double u_rms = 230;     // V
    double mains_hz = 50;
    Fluctuation fluctuation;
    // First rectangular change this long after the start (default: half the
    // interval between changes).
    double first_change_s = -1;
    // Optional relative envelope e(t) (1 = nominal), multiplied in after the
    // fluctuation: steps, ramps, inrush shapes for voltage-change tests.
    std::function<double(double t)> envelope;
};

class SupplyGenerator {
public:
    explicit SupplyGenerator(const SupplyConfig& cfg);

    // Writes the next n samples (V).
    void generate(double* out, size_t n);
    std::vector<double> generate(size_t n);
    double time() const { return double(k_) / cfg_.sample_rate; }
    const SupplyConfig& config() const { return cfg_; }

private:
    std::complex<double> phasor(double hz) const;   // at sample k_

    SupplyConfig cfg_;
    uint64_t k_ = 0;
    std::complex<double> carrier_, carrier_step_;
    std::complex<double> mod_, mod_step_;
    double half_ = 0;                 // du/2
    double rect_level_ = 1;
    double next_change_ = 0;          // s
    double change_interval_ = 0;      // s
};

}  // namespace orivan::dsp
