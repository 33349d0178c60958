#include "sim/eut/eut.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "sim/eut/flicker_loads.h"
#include "sim/eut/params.h"

namespace simphys {

namespace {

constexpr double kRated = 230.0;  // rated voltage of the single-phase models, V

// One parameter of a model: name, default, range and meaning (for the list).
using Param = ModelParam;

std::string ParamsText(const std::string& name, const std::vector<Param>& ps)
{
    std::string t = name;
    char sep = ':';
    for (const Param& p : ps) {
        t += sep;
        t += p.key;
        t += '=';
        t += FormatNumber(p.value);
        sep = ',';
    }
    return t;
}

double Get(const std::vector<Param>& ps, const char* key)
{
    for (const Param& p : ps)
        if (std::string_view(p.key) == key) return p.value;
    return 0;
}

// ---- single-phase models ------------------------------------------------
// Each runs on the samples of one phase; the wrapper below gives every
// connected phase its own instance.

// Resistive heater: R = 230^2 / power, in series with the supply impedance.
struct Heater {
    double r;
    double i_prev = 0, u_prev = 0;
    bool started = false;
    explicit Heater(const std::vector<Param>& ps) : r(kRated * kRated / Get(ps, "power")) {}

    void run(const float* us, float* i, int n, double dt, double, SeriesZ z)
    {
        const double rt = r + z.r;
        if (z.l <= 0) {
            for (int k = 0; k < n; ++k) i[k] = float(us[k] / rt);
            started = false;
            return;
        }
        if (!started) {
            i_prev = us[0] / rt;
            u_prev = us[0];
            started = true;
        }
        // L di/dt + R i = u, integrated by the trapezoidal rule (A-stable).
        const double a = rt * dt / (2 * z.l), b = dt / (2 * z.l);
        const double c1 = (1 - a) / (1 + a), c2 = b / (1 + a);
        double ip = i_prev, up = u_prev;
        for (int k = 0; k < n; ++k) {
            ip = c1 * ip + c2 * (up + us[k]);
            up = us[k];
            i[k] = float(ip);
        }
        i_prev = ip;
        u_prev = up;
    }
};

// Bridge rectifier with a smoothing capacitor feeding a constant-power
// converter; the diode current flows through R and L (the unit's own plus the
// supply impedance). The load power may follow a schedule.
struct Rectifier {
    double c, r, l;                       // F, Ohm, H
    std::function<double(double)> power;  // W at time t
    double v = 0, il = 0;
    bool started = false;

    Rectifier(double power_w, double c_uf, double r_ohm, double l_mh)
        : c(c_uf * 1e-6), r(r_ohm), l(l_mh * 1e-3), power([power_w](double) { return power_w; }) {}

    void pass(const float* us, float* i, int n, double dt, double t0, SeriesZ z)
    {
        const double rt = r + z.r, lt = l + z.l;
        const double kc = dt / c;
        double pw = power(t0);
        for (int k = 0; k < n; ++k) {
            if ((k & 63) == 0) pw = power(t0 + k * dt);
            const double ua = std::fabs(us[k]);
            const double iload = pw / std::max(v, 20.0);
            if (lt > 1e-7) {
                double in = (il + dt / lt * (ua - v)) / (1 + rt * dt / lt);
                il = in > 0 ? in : 0;
            } else if (ua > v) {
                double vn = (v + kc * (ua / rt - iload)) / (1 + kc / rt);
                il = std::max(0.0, (ua - vn) / rt);
            } else {
                il = 0;
            }
            v += kc * (il - iload);
            if (v < 0) v = 0;
            if (i) i[k] = float(us[k] >= 0 ? il : -il);
        }
    }

    void run(const float* us, float* i, int n, double dt, double t0, SeriesZ z)
    {
        if (!started) {
            // Charge the capacitor and let it settle before the first window.
            float peak = 0;
            for (int k = 0; k < n; ++k) peak = std::max(peak, std::fabs(us[k]));
            v = 0.97 * peak;
            for (int w = 0; w < 3; ++w) pass(us, nullptr, n, dt, t0, z);
            started = true;
        }
        pass(us, i, n, dt, t0, z);
    }
};

// Converter with active power-factor correction: the current follows the
// voltage, with a dead band near the zero crossings and a slight flattening
// by the control loop; the gain is set per window to draw the power.
struct Pfc {
    double power, dead, flat;
    Pfc(double power_w, double dead_v, double flat_) : power(power_w), dead(dead_v), flat(flat_) {}

    void run(const float* us, float* i, int n, double, double, SeriesZ)
    {
        float peak = 1;
        for (int k = 0; k < n; ++k) peak = std::max(peak, std::fabs(us[k]));
        const double inv2 = 1.0 / (double(peak) * peak);
        double sum = 0;
        for (int k = 0; k < n; ++k) {
            double ua = std::fabs(us[k]);
            double g = ua > dead ? (ua - dead) * (1 - flat * ua * ua * inv2) : 0;
            float gi = float(us[k] >= 0 ? g : -g);
            i[k] = gi;
            sum += double(us[k]) * gi;
        }
        const float gain = sum > 0 ? float(power * n / sum) : 0.f;
        for (int k = 0; k < n; ++k) i[k] *= gain;
    }
};

// Tracks the phase of the supply from its rising and falling zero crossings:
// theta runs from 0 to pi over each half-period (estimated from the last one).
struct PhaseTracker {
    float last_u = 0;
    int last_sign = 0;
    double since = 0, half = 0;

    // Half-period from the first two zero crossings of a window (the fallback
    // assumes ten periods).
    void begin(const float* us, int n, double dt)
    {
        if (half > 0) return;
        int first = -1;
        for (int k = 1; k < n; ++k)
            if ((us[k - 1] < 0) != (us[k] < 0)) {
                if (first >= 0) {
                    half = (k - first) * dt;
                    return;
                }
                first = k;
            }
        half = n * dt / 20;
    }

    // Phase angle of the sample u, dt after the previous one.
    double step(float u, double dt)
    {
        since += dt;
        const int s = u > 0 ? 1 : (u < 0 ? -1 : 0);
        if (s != 0 && s != last_sign) {
            const double t = last_sign != 0 ? dt * u / (double(u) - last_u) : 0;
            if (last_sign != 0 && since > 0.25 * half) half = since - t;
            last_sign = s;
            since = t;
        }
        last_u = u;
        double th = std::min(1.0, since / half) * std::numbers::pi;
        return last_sign < 0 ? th + std::numbers::pi : th;
    }
};

// Phase-angle dimmer with an incandescent lamp: the triac fires `angle`
// degrees after each zero crossing of the voltage and conducts until the next.
struct Dimmer {
    double r, angle;
    PhaseTracker tr;
    int half_seen = 0;
    bool fired = false;
    explicit Dimmer(const std::vector<Param>& ps)
        : r(kRated * kRated / Get(ps, "power")), angle(Get(ps, "angle")) {}

    void run(const float* us, float* i, int n, double dt, double, SeriesZ z)
    {
        const double rt = r + z.r;
        tr.begin(us, n, dt);
        for (int k = 0; k < n; ++k) {
            tr.step(us[k], dt);
            if (tr.last_sign != half_seen) {  // a new half-period began
                half_seen = tr.last_sign;
                fired = false;
            }
            double share = 1;  // part of this sample's interval the triac conducts
            if (!fired) {
                const double fire = angle / 180 * tr.half;
                share = angle < 180 ? std::clamp((tr.since + dt / 2 - fire) / dt, 0.0, 1.0) : 0;
                fired = share >= 1;
            }
            i[k] = float(share * us[k] / rt);
        }
    }
};

// Load with a fundamental current in phase with the voltage and odd
// harmonics of set levels; the 3rd switches between two levels, so its
// harmonics fluctuate in a known way (for the fluctuating-harmonics rules).
struct HarmonicSource {
    double i1, h3, h3low, h5, period, duty;
    PhaseTracker tr;
    explicit HarmonicSource(const std::vector<Param>& ps)
        : i1(Get(ps, "current")), h3(Get(ps, "h3") / 100), h3low(Get(ps, "low") / 100), h5(Get(ps, "h5") / 100),
          period(Get(ps, "period")), duty(Get(ps, "duty"))
    {
    }
    void run(const float* us, float* i, int n, double dt, double t0, SeriesZ)
    {
        tr.begin(us, n, dt);
        const double a = std::numbers::sqrt2 * i1;
        for (int k = 0; k < n; ++k) {
            const double t = t0 + k * dt;
            const double r3 = std::fmod(t, period) < duty * period ? h3 : h3low;
            const double x = std::sin(tr.step(us[k], dt)), x2 = x * x;
            // sin 3t = 3x - 4x^3, sin 5t = 16x^5 - 20x^3 + 5x
            i[k] = float(a * x * (1 + r3 * (3 - 4 * x2) + h5 * ((16 * x2 - 20) * x2 + 5)));
        }
    }
};

// Square-wave current in phase with the voltage (a reference load).
struct Square {
    double amplitude;
    explicit Square(const std::vector<Param>& ps) : amplitude(Get(ps, "current")) {}
    void run(const float* us, float* i, int n, double, double, SeriesZ)
    {
        const float a = float(amplitude);
        float peak = 0;
        for (int k = 0; k < n; ++k) peak = std::max(peak, std::fabs(us[k]));
        const float zero = 1e-5f * peak;  // on the zero crossing: the mean of both sides
        for (int k = 0; k < n; ++k) i[k] = us[k] > zero ? a : (us[k] < -zero ? -a : 0.f);
    }
};

// ---- wrappers -----------------------------------------------------------

template <class M>
class PerPhase : public Eut {
public:
    PerPhase(std::string text, std::function<M()> make) : text_(std::move(text))
    {
        for (auto& m : models_) m = std::make_unique<M>(make());
    }
    void run(const Drive& d) override
    {
        for (int p = 0; p < d.phases; ++p) models_[p]->run(d.us[p], d.i[p], d.n, d.dt, d.t0, d.z);
    }
    std::string text() const override { return text_; }

private:
    std::string text_;
    std::array<std::unique_ptr<M>, 3> models_;
};

// Six-pulse diode bridge on three phases with a DC choke and a DC-link
// capacitor feeding a constant-power inverter. At every instant the bridge
// conducts between the phase of highest and the phase of lowest voltage.
class Drive6 : public Eut {
public:
    Drive6(std::string text, const std::vector<Param>& ps)
        : text_(std::move(text)),
          power_(Get(ps, "power")),
          c_(Get(ps, "c") * 1e-6),
          l_(Get(ps, "choke") * 1e-3 + 2 * 0.05e-3),
          r_(2 * 0.02 + 800.0 / Get(ps, "power") * 0.05)
    {
    }
    bool three_phase() const override { return true; }
    std::string text() const override { return text_; }

    void run(const Drive& d) override
    {
        if (d.phases < 3) {  // not connected to a three-phase supply
            for (int p = 0; p < d.phases; ++p) std::fill(d.i[p], d.i[p] + d.n, 0.f);
            return;
        }
        if (!started_) {
            float peak = 0;
            for (int k = 0; k < d.n; ++k) {
                float hi = std::max({d.us[0][k], d.us[1][k], d.us[2][k]});
                float lo = std::min({d.us[0][k], d.us[1][k], d.us[2][k]});
                peak = std::max(peak, hi - lo);
            }
            v_ = 0.95 * peak;
            for (int w = 0; w < 6; ++w) pass(d, false);
            started_ = true;
        }
        pass(d, true);
    }

private:
    void pass(const Drive& d, bool out)
    {
        const double lt = l_ + 2 * d.z.l, rt = r_ + 2 * d.z.r;
        const double dt = d.dt, kc = dt / c_;
        for (int k = 0; k < d.n; ++k) {
            int hi = 0, lo = 0;
            for (int p = 1; p < 3; ++p) {
                if (d.us[p][k] > d.us[hi][k]) hi = p;
                if (d.us[p][k] < d.us[lo][k]) lo = p;
            }
            const double ud = double(d.us[hi][k]) - d.us[lo][k];
            const double in = (idc_ + dt / lt * (ud - v_)) / (1 + rt * dt / lt);
            idc_ = in > 0 ? in : 0;
            v_ += kc * (idc_ - power_ / std::max(v_, 50.0));
            if (v_ < 0) v_ = 0;
            if (out) {
                for (int p = 0; p < 3; ++p) d.i[p][k] = 0.f;
                d.i[hi][k] = float(idc_);
                d.i[lo][k] = float(-idc_);
                if (k > 0) {
                    commutate(d, k, hi_, hi, 1);
                    commutate(d, k, lo_, lo, -1);
                }
            }
            hi_ = hi;
            lo_ = lo;
        }
    }

    // The current passes from phase `from` to phase `to` where their voltages
    // cross between samples k-1 and k; each of the two samples gets the share
    // of its interval on either side of the crossing.
    static void commutate(const Drive& d, int k, int from, int to, int sign)
    {
        if (from == to) return;
        const double a = sign * (double(d.us[to][k - 1]) - d.us[from][k - 1]);
        const double b = sign * (double(d.us[to][k]) - d.us[from][k]);
        const double c = a < b ? std::clamp(a / (a - b), 0.0, 1.0) : 0.5;  // crossing, in samples after k-1
        const float before = float(std::max(0.0, 0.5 - c));
        const float after = float(std::min(1.0, 1.5 - c));
        const float ik = d.i[to][k], ip = d.i[from][k - 1];
        d.i[from][k] = ik * (1 - after);
        d.i[to][k] = ik * after;
        d.i[to][k - 1] += ip * before;
        d.i[from][k - 1] = ip * (1 - before);
    }

    std::string text_;
    double power_, c_, l_, r_;
    double v_ = 0, idc_ = 0;
    int hi_ = 0, lo_ = 0;  // conducting phases at the last sample
    bool started_ = false;
};

// ---- catalogue ----------------------------------------------------------

struct ModelInfo {
    const char* name;
    const char* what;
    std::vector<Param> params;
    std::function<std::unique_ptr<Eut>(std::string, const std::vector<Param>&)> make;
};

const std::vector<ModelInfo>& Catalogue()
{
    static const std::vector<ModelInfo> models = {
        {"heater", "resistive heater (R = 230^2/power)",
         {{"power", 2000, 1, 20000, "rated power at 230 V, W"}},
         [](std::string t, const std::vector<Param>& ps) -> std::unique_ptr<Eut> {
             return std::make_unique<PerPhase<Heater>>(std::move(t), [ps] { return Heater(ps); });
         }},
        {"smps", "switch-mode power supply with capacitor-input bridge rectifier",
         {{"power", 250, 1, 5000, "load power, W"},
          {"pfc", 0, 0, 1, "1: active power-factor correction"},
          {"c", 0, 0, 100000, "smoothing capacitor, uF (0: 1.9 uF per W)"},
          {"r", 0, 0, 100, "series resistance, Ohm (0: 125 Ohm W / power)"},
          {"l", 0, 0, 1000, "series inductance, mH (0: 1000 mH W / power)"}},
         [](std::string t, const std::vector<Param>& ps) -> std::unique_ptr<Eut> {
             double p = Get(ps, "power");
             if (Get(ps, "pfc") >= 0.5)
                 return std::make_unique<PerPhase<Pfc>>(std::move(t), [p] { return Pfc(p, 8, 0.15); });
             double c = Get(ps, "c") > 0 ? Get(ps, "c") : std::max(10.0, 1.9 * p);
             double r = Get(ps, "r") > 0 ? Get(ps, "r") : 125.0 / p;
             double l = Get(ps, "l") > 0 ? Get(ps, "l") : 1000.0 / p;
             return std::make_unique<PerPhase<Rectifier>>(std::move(t),
                                                          [=] { return Rectifier(p, c, r, l); });
         }},
        {"dimmer", "phase-angle dimmer with an incandescent lamp",
         {{"angle", 90, 0, 180, "firing angle after the zero crossing, degrees"},
          {"power", 500, 1, 5000, "lamp power at full conduction, W"}},
         [](std::string t, const std::vector<Param>& ps) -> std::unique_ptr<Eut> {
             return std::make_unique<PerPhase<Dimmer>>(std::move(t), [ps] { return Dimmer(ps); });
         }},
        {"led", "LED lamp (lighting equipment, class C)",
         {{"power", 30, 1, 1000, "power, W"},
          {"pfc", 1, 0, 1, "1: power-factor corrected driver, 0: capacitor input"}},
         [](std::string t, const std::vector<Param>& ps) -> std::unique_ptr<Eut> {
             double p = Get(ps, "power");
             if (Get(ps, "pfc") >= 0.5)
                 return std::make_unique<PerPhase<Pfc>>(std::move(t), [p] { return Pfc(p, 20, 0.3); });
             return std::make_unique<PerPhase<Rectifier>>(
                 std::move(t), [p] { return Rectifier(p, std::max(4.7, 1.0 * p), 300.0 / p, 1000.0 / p); });
         }},
        {"drive", "three-phase six-pulse rectifier drive (EN61000-3-12)",
         {{"power", 10000, 100, 200000, "DC link power, W"},
          {"choke", 10, 0, 1000, "DC choke, mH"},
          {"c", 2000, 10, 100000, "DC link capacitor, uF"}},
         [](std::string t, const std::vector<Param>& ps) -> std::unique_ptr<Eut> {
             return std::make_unique<Drive6>(std::move(t), ps);
         }},
        {"cycling", "rectifier load switching between two powers (harmonics and voltage drop follow)",
         {{"power", 750, 1, 5000, "high power, W"},
          {"low", 200, 0, 5000, "low power, W"},
          {"period", 20, 0.2, 3600, "period of the fluctuation, s"},
          {"duty", 0.15, 0, 1, "share of the period at high power"}},
         [](std::string t, const std::vector<Param>& ps) -> std::unique_ptr<Eut> {
             double hi = Get(ps, "power"), lo = Get(ps, "low"), per = Get(ps, "period"), duty = Get(ps, "duty");
             return std::make_unique<PerPhase<Rectifier>>(std::move(t), [=] {
                 Rectifier r(hi, std::max(10.0, 1.9 * hi), 125.0 / hi, 1000.0 / hi);
                 r.power = [=](double t) { return std::fmod(t, per) < duty * per ? hi : lo; };
                 return r;
             });
         }},
        {"fluct", "load whose 3rd harmonic switches between two levels (fluctuating harmonics)",
         {{"current", 5, 0, 100, "fundamental current, A"},
          {"h3", 55, 0, 100, "3rd harmonic in the high state, % of the fundamental"},
          {"low", 20, 0, 100, "3rd harmonic in the low state, %"},
          {"h5", 10, 0, 100, "5th harmonic, %"},
          {"period", 20, 0.2, 3600, "period of the fluctuation, s"},
          {"duty", 0.15, 0, 1, "share of the period in the high state"}},
         [](std::string t, const std::vector<Param>& ps) -> std::unique_ptr<Eut> {
             return std::make_unique<PerPhase<HarmonicSource>>(std::move(t), [ps] { return HarmonicSource(ps); });
         }},
        {"square", "square-wave current in phase with the voltage (reference load)",
         {{"current", 1, 0, 100, "amplitude (= RMS), A"}},
         [](std::string t, const std::vector<Param>& ps) -> std::unique_ptr<Eut> {
             return std::make_unique<PerPhase<Square>>(std::move(t), [ps] { return Square(ps); });
         }},
    };
    return models;
}

}  // namespace

std::unique_ptr<Eut> MakeEut(std::string_view text, std::string* error)
{
    ParamText pt;
    if (!SplitParams(text, pt, error)) return nullptr;
    for (const ModelInfo& m : Catalogue()) {
        if (pt.name != m.name) continue;
        std::vector<Param> ps = m.params;
        std::vector<NumSlot> slots;
        for (Param& p : ps) slots.push_back({p.key, &p.value, p.lo, p.hi});
        if (!AssignParams(pt, slots, error)) return nullptr;
        return m.make(ParamsText(m.name, ps), ps);
    }
    std::unique_ptr<Eut> flicker;
    if (MakeFlickerLoad(pt, &flicker, error)) return flicker;
    if (error) *error = "unknown equipment \"" + pt.name + "\" (see --list-eut)";
    return nullptr;
}

std::string ListEut()
{
    return ListCatalogue(Catalogue()) + ListFlickerLoads();
}

}  // namespace simphys
