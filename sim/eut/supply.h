// The simulated mains: a sine of configurable voltage, frequency and
// distortion, and the reference impedance that can be switched in series.
#pragma once

#include <string>
#include <string_view>

namespace simphys {

constexpr int kMaxOrder = 40;
constexpr int kOrders = 41;

struct Supply {
    double voltage = 230;         // fundamental, RMS, V (phase to neutral)
    double frequency = 50;        // Hz
    double harm_pct[kOrders]{};   // voltage harmonics, % of the fundamental
    double harm_deg[kOrders]{};   // their phase, degrees (sine reference, own period)
};

// "230/50", optionally followed by ":h3=2,h5=1,p3=180" (harmonic n in %,
// its phase in degrees) or by ":bad" (a supply that breaks every test
// condition). Also accepts "bad" alone (230/50 broken).
bool ParseSupply(std::string_view text, Supply& out, std::string* error);
// A supply off by 3 % in voltage and 1 % in frequency with 2 % 3rd, 1 % 5th
// and 0.5 % 11th harmonic (peak flattened, crest factor too low).
Supply BadSupply(double voltage = 230, double frequency = 50);
std::string SupplyText(const Supply& s);

// Reference impedance: off, one phase conductor (0.24 + j0.15 Ohm, three-phase
// tests) or the single-phase loop (0.4 + j0.25 Ohm). The reactance is given at
// 50 Hz; at other frequencies the inductance stays the same.
enum class RefImpedance { Off = 0, Phase = 1, Loop = 2 };

struct SeriesZ {
    double r = 0;  // Ohm
    double l = 0;  // H
};
SeriesZ ReferenceImpedance(RefImpedance z);

// Source voltage of phase `phase` (0..2, each 120 degrees behind the one
// before) over one period of `samples` points, starting at the positive zero
// crossing of phase 0's fundamental.
void SourcePeriod(const Supply& s, int phase, int samples, float* out);

}  // namespace simphys
