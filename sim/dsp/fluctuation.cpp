#include "sim/dsp/fluctuation.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace orivan::dsp {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint64_t kResync = 4096;   // samples between exact phase recomputations

bool ParseNumber(const std::string& s, double* v)
{
    if (s.empty())
        return false;
    const char* b = s.data();
    const char* e = b + s.size();
    auto [p, ec] = std::from_chars(b, e, *v);
    return ec == std::errc() && p == e && std::isfinite(*v);
}

std::string Num(double v)
{
    char buf[32];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, p) : std::string("?");
}

}  // namespace

bool Fluctuation::Parse(const std::string& text, Fluctuation* out, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    Fluctuation f;
    size_t colon = text.find(':');
    std::string kind = text.substr(0, colon);
    if (kind == "none" && colon == std::string::npos) {
        *out = f;
        return true;
    }
    if (kind == "sine")
        f.kind = Sine;
    else if (kind == "rect")
        f.kind = Rect;
    else
        return fail("unknown fluctuation \"" + kind + "\" (use sine:hz=..,du=.. or rect:cpm=..,du=..)");
    if (colon == std::string::npos)
        return fail("fluctuation \"" + text + "\" needs its parameters");
    bool have_rate = false, have_du = false;
    std::string rest = text.substr(colon + 1);
    size_t pos = 0;
    while (pos <= rest.size()) {
        size_t comma = rest.find(',', pos);
        std::string item = rest.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        size_t eq = item.find('=');
        if (eq == std::string::npos)
            return fail("expected name=value in \"" + item + "\"");
        std::string name = item.substr(0, eq);
        double v;
        if (!ParseNumber(item.substr(eq + 1), &v))
            return fail("bad number in \"" + item + "\"");
        if (name == "du") {
            if (v < 0 || v > 100)
                return fail("du must be 0 to 100 %");
            f.du_pct = v;
            have_du = true;
        } else if (name == "hz" && f.kind == Sine) {
            if (!(v > 0 && v <= 1000))
                return fail("hz must be above 0 and at most 1000");
            f.hz = v;
            have_rate = true;
        } else if (name == "cpm" && f.kind == Rect) {
            if (!(v > 0 && v <= 120000))
                return fail("cpm must be above 0 and at most 120000");
            f.cpm = v;
            have_rate = true;
        } else {
            return fail("unknown parameter \"" + name + "\" for " + kind);
        }
        if (comma == std::string::npos)
            break;
        pos = comma + 1;
    }
    if (!have_rate)
        return fail(f.kind == Sine ? "sine fluctuation needs hz=" : "rect fluctuation needs cpm=");
    if (!have_du)
        return fail("fluctuation needs du=");
    *out = f;
    return true;
}

std::string Fluctuation::describe() const
{
    switch (kind) {
    case Sine: return "sine " + Num(hz) + " Hz, du " + Num(du_pct) + " %";
    case Rect: return "rect " + Num(cpm) + " changes/min, du " + Num(du_pct) + " %";
    default: return "none";
    }
}

SupplyGenerator::SupplyGenerator(const SupplyConfig& cfg) : cfg_(cfg)
{
    if (!(cfg_.sample_rate > 0) || !(cfg_.mains_hz > 0) || cfg_.mains_hz * 2 >= cfg_.sample_rate)
        throw std::invalid_argument("supply: sample rate must exceed twice the mains frequency");
    if (!(cfg_.u_rms >= 0))
        throw std::invalid_argument("supply: voltage must not be negative");
    const Fluctuation& f = cfg_.fluctuation;
    half_ = f.kind == Fluctuation::None ? 0 : f.du_pct / 200;
    carrier_step_ = std::polar(1.0, 2 * kPi * cfg_.mains_hz / cfg_.sample_rate);
    carrier_ = phasor(cfg_.mains_hz);
    if (f.kind == Fluctuation::Sine) {
        if (!(f.hz > 0))
            throw std::invalid_argument("supply: sine fluctuation needs a frequency");
        mod_step_ = std::polar(1.0, 2 * kPi * f.hz / cfg_.sample_rate);
        mod_ = phasor(f.hz);
    } else if (f.kind == Fluctuation::Rect) {
        if (!(f.cpm > 0))
            throw std::invalid_argument("supply: rectangular fluctuation needs changes per minute");
        change_interval_ = 60 / f.cpm;
        next_change_ = cfg_.first_change_s >= 0 ? cfg_.first_change_s : change_interval_ / 2;
    }
}

std::complex<double> SupplyGenerator::phasor(double hz) const
{
    // Exact phase at sample k_, reduced to one turn first.
    double cycles = std::fmod(double(k_) * hz / cfg_.sample_rate, 1.0);
    return std::polar(1.0, 2 * kPi * cycles);
}

void SupplyGenerator::generate(double* out, size_t n)
{
    const double peak = cfg_.u_rms * std::sqrt(2.0);
    const Fluctuation::Kind kind = cfg_.fluctuation.kind;
    for (size_t i = 0; i < n; ++i) {
        if (k_ % kResync == 0) {
            carrier_ = phasor(cfg_.mains_hz);
            if (kind == Fluctuation::Sine)
                mod_ = phasor(cfg_.fluctuation.hz);
        }
        double t = double(k_) / cfg_.sample_rate;
        double m = 0;
        if (kind == Fluctuation::Sine) {
            m = mod_.imag();
            mod_ *= mod_step_;
        } else if (kind == Fluctuation::Rect) {
            while (t >= next_change_) {
                rect_level_ = -rect_level_;
                next_change_ += change_interval_;
            }
            // Starts high; the first change goes low.
            m = rect_level_;
        }
        double v = peak * carrier_.imag() * (1 + half_ * m);
        if (cfg_.envelope)
            v *= cfg_.envelope(t);
        out[i] = v;
        carrier_ *= carrier_step_;
        ++k_;
    }
}

std::vector<double> SupplyGenerator::generate(size_t n)
{
    std::vector<double> v(n);
    generate(v.data(), n);
    return v;
}

}  // namespace orivan::dsp
