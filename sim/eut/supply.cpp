#include "sim/eut/supply.h"

#include <cmath>
#include <numbers>

#include "sim/eut/params.h"

namespace simphys {

static void SetError(std::string* error, std::string text)
{
    if (error) *error = std::move(text);
}

Supply BadSupply(double voltage, double frequency)
{
    Supply s;
    s.voltage = voltage * 0.97;
    s.frequency = frequency * 1.01;
    s.harm_pct[3] = 2.0;
    s.harm_pct[5] = 1.0;
    s.harm_pct[11] = 0.5;
    return s;
}

bool ParseSupply(std::string_view text, Supply& out, std::string* error)
{
    ParamText p;
    if (!SplitParams(text, p, error)) return false;
    Supply s;
    if (p.name == "bad") {
        s = BadSupply();
    } else {
        size_t slash = p.name.find('/');
        double u = 0, f = 0;
        if (slash == std::string::npos || !ParseNumber(std::string_view(p.name).substr(0, slash), u) ||
            !ParseNumber(std::string_view(p.name).substr(slash + 1), f)) {
            SetError(error, "mains \"" + std::string(text) + "\" is not voltage/frequency, e.g. 230/50");
            return false;
        }
        if (u < 1 || u > 1000 || f < 15 || f > 100) {
            SetError(error, "mains \"" + std::string(text) + "\" outside 1..1000 V, 15..100 Hz");
            return false;
        }
        s.voltage = u;
        s.frequency = f;
    }
    for (const auto& [key, value] : p.items) {
        if (key == "bad" && value == "1") {
            s = BadSupply(s.voltage, s.frequency);
            continue;
        }
        double v;
        int n = 0;
        bool harm = (key[0] == 'h' || key[0] == 'p') && key.size() > 1 && ParseNumber(key.substr(1), v) &&
                    v == std::floor(v) && (n = int(v)) >= 2 && n <= kMaxOrder;
        if (!harm) {
            SetError(error, "mains: unknown parameter \"" + key + "\" (h2..h40 in %, p2..p40 in degrees, bad)");
            return false;
        }
        if (!ParseNumber(value, v) || (key[0] == 'h' && (v < 0 || v > 50))) {
            SetError(error, "mains: " + key + "=" + value + " is not a valid value");
            return false;
        }
        (key[0] == 'h' ? s.harm_pct : s.harm_deg)[n] = v;
    }
    out = s;
    return true;
}

std::string SupplyText(const Supply& s)
{
    std::string t = FormatNumber(s.voltage) + "/" + FormatNumber(s.frequency);
    char sep = ':';
    for (int n = 2; n <= kMaxOrder; ++n) {
        if (s.harm_pct[n] != 0) {
            t += sep;
            t += "h" + std::to_string(n) + "=" + FormatNumber(s.harm_pct[n]);
            sep = ',';
        }
        if (s.harm_deg[n] != 0) {
            t += sep;
            t += "p" + std::to_string(n) + "=" + FormatNumber(s.harm_deg[n]);
            sep = ',';
        }
    }
    return t;
}

SeriesZ ReferenceImpedance(RefImpedance z)
{
    const double w50 = 2 * std::numbers::pi * 50;
    switch (z) {
    case RefImpedance::Phase: return {0.24, 0.15 / w50};
    case RefImpedance::Loop: return {0.40, 0.25 / w50};
    default: return {};
    }
}

void SourcePeriod(const Supply& s, int phase, int samples, float* out)
{
    const double pi = std::numbers::pi;
    const double peak = s.voltage * std::numbers::sqrt2;
    const double shift = -2 * pi / 3 * phase;
    for (int k = 0; k < samples; ++k) {
        double th = 2 * pi * k / samples + shift;
        double u = std::sin(th);
        for (int n = 2; n <= kMaxOrder; ++n)
            if (s.harm_pct[n] != 0) u += s.harm_pct[n] / 100 * std::sin(n * th + s.harm_deg[n] * pi / 180);
        out[k] = float(peak * u);
    }
}

}  // namespace simphys
