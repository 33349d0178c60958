#include "sim/eut/flicker_loads.h"

#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace simphys {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRated = 230.0;        // rated voltage of the models, V
constexpr double kW50 = 2 * kPi * 50;   // reactances are given at 50 Hz

// What a load presents between its terminals: open, or a series R-L branch.
struct Branch {
    bool closed = false;
    double r = 0;  // Ohm
    double l = 0;  // H
};

// Exact step of L di/dt + R i = u over h for u linear from u0 to u1: with
// tau = L/R and a = exp(-h/tau), i1 = a i0 + (u1 - a u0 - s tau (1 - a)) / R,
// s the slope of u. The coefficients are kept while R, L and h stay the same.
class RlStepper {
public:
    double step(double i0, double u0, double u1, double r, double l, double h)
    {
        if (h <= 0) return i0;
        if (r != r_ || l != l_ || h != h_) prepare(r, l, h);
        if (l <= 0) return u1 / r;
        if (r <= 0) return i0 + h * (u0 + u1) / (2 * l);
        return a_ * i0 + (u1 - a_ * u0 - (u1 - u0) * c_) / r;
    }

private:
    void prepare(double r, double l, double h)
    {
        r_ = r, l_ = l, h_ = h;
        if (l <= 0 || r <= 0) return;
        const double tau = l / r, x = h / tau;
        a_ = std::exp(-x);
        c_ = -std::expm1(-x) * tau / h;  // tau (1 - a) / h
    }
    double r_ = -1, l_ = -1, h_ = -1, a_ = 0, c_ = 0;
};

// A load made of stages (off, on, high, low ...), each a branch, with a
// schedule that asks for a stage at every instant. The transitions follow
// the switch: closing at the transient-free instant after a zero crossing of
// the voltage (zero-crossing switch) or at once (contact), opening at the
// next current zero.
class SwitchedLoad {
public:
    explicit SwitchedLoad(bool zero_cross) : zc_(zero_cross) {}
    virtual ~SwitchedLoad() = default;

    void run(const float* us, float* i, int n, double dt, double t0, SeriesZ z)
    {
        for (int k = 0; k < n; ++k) {
            const double t1 = t0 + k * dt, u1 = us[k];
            if (!started_) {
                stage_ = initial(t1);
                stage_t_ = t1;
                const Branch b = branch(stage_, 0, t1);
                i_ = b.closed ? u1 / (b.r + z.r) : 0;
                started_ = true;
            } else {
                i_ = step(i_, u_, u1, t1 - dt, dt, z);
            }
            u_ = u1;
            heat(i_, branch(stage_, t1 - stage_t_, t1), dt);
            i[k] = float(i_);
        }
    }

protected:
    // Stage the schedule (or the thermostat) asks for at time t.
    virtual int requested(double t) = 0;
    // Stage at switch-on (time t), taken without a transition: a resistive
    // one, whose current follows the voltage at once.
    virtual int initial(double t) { return requested(t); }
    // Branch of `stage`, `since` seconds after the stage began, at time t.
    virtual Branch branch(int stage, double since, double t) const = 0;
    // Sees the current of every sample (the hob's thermal model).
    virtual void heat(double /*i*/, const Branch& /*b*/, double /*dt*/) {}

private:
    double step(double i0, double u0, double u1, double t0, double h, SeriesZ z)
    {
        const double t1 = t0 + h;
        // Zero crossings of the source voltage give the half-period.
        double tc = -1;
        if ((u0 < 0) != (u1 < 0)) {
            tc = t0 + h * u0 / (u0 - u1);
            if (last_zero_ >= 0 && tc - last_zero_ > 0.3 * half_) half_ = tc - last_zero_;
            if (last_zero_ < 0 || tc - last_zero_ > 0.3 * half_) last_zero_ = tc;
        }
        const int want = requested(t1);
        if (want == stage_) {
            pending_ = -1;
        } else if (want != pending_) {
            pending_ = want;
            close_at_ = -1;
        }

        const Branch cur = branch(stage_, std::max(0.0, t0 + h / 2 - stage_t_), t0 + h / 2);
        double split = -1;  // instant of the transition inside this step
        bool opening = false;
        if (pending_ >= 0) {
            const Branch nb = branch(pending_, 0, t1);
            if (!nb.closed) {
                if (cur.closed)
                    opening = true;
                else
                    split = t0;
            } else if (!zc_) {
                split = t0;
            } else {
                if (close_at_ < 0 && tc >= 0) {
                    // The steady-state current of the new branch is zero when
                    // the voltage phase equals its impedance angle.
                    const double w = kPi / half_;
                    close_at_ = tc + std::atan2(w * (nb.l + z.l), nb.r + z.r) / w;
                }
                if (close_at_ >= 0 && close_at_ <= t1) split = std::max(close_at_, t0);
            }
        }

        if (split >= 0) {
            const double us = u0 + (u1 - u0) * (split - t0) / h;
            const double ia = cur.closed ? rl_.step(i0, u0, us, cur.r + z.r, cur.l + z.l, split - t0) : 0;
            stage_ = pending_;
            stage_t_ = split;
            pending_ = -1;
            close_at_ = -1;
            const Branch nb = branch(stage_, (t1 - split) / 2, (split + t1) / 2);
            return nb.closed ? rl_.step(ia, us, u1, nb.r + z.r, nb.l + z.l, t1 - split) : 0;
        }
        double i1 = cur.closed ? rl_.step(i0, u0, u1, cur.r + z.r, cur.l + z.l, h) : 0;
        if (opening && (i0 == 0 || (i0 > 0) != (i1 > 0))) {
            stage_ = pending_;
            stage_t_ = i0 == 0 ? t0 : t0 + h * i0 / (i0 - i1);
            pending_ = -1;
            i1 = 0;
        }
        return i1;
    }

    bool zc_;
    bool started_ = false;
    int stage_ = 0;
    double stage_t_ = 0;      // when the present stage began
    int pending_ = -1;        // stage asked for and not yet reached
    double close_at_ = -1;    // closing instant of the pending stage (zero-crossing switch)
    double i_ = 0, u_ = 0;    // current and source voltage at the last sample
    double last_zero_ = -1;   // last zero crossing of the source voltage
    double half_ = 0.01;      // half-period, s
    RlStepper rl_;
};

Branch Resistor(double power)
{
    if (power <= 0) return {};
    return {true, kRated * kRated / power, 0};
}

// Resistive load switched between `power` and `low` at `cpm` changes per
// minute, equal intervals; it starts at `low` and the first change (to
// `power`) comes half an interval after switch-on.
class RectSwitch : public SwitchedLoad {
public:
    RectSwitch(double power, double low, double cpm, bool zc)
        : SwitchedLoad(zc), hi_(Resistor(power)), lo_(Resistor(low)), interval_(60 / cpm) {}

protected:
    int requested(double t) override { return long(std::floor(t / interval_ + 0.5)) % 2 == 1 ? 1 : 0; }
    Branch branch(int stage, double, double) const override { return stage == 1 ? hi_ : lo_; }

private:
    Branch hi_, lo_;
    double interval_;
};

// Resistive load whose power follows power + swing/2 sin(2 pi hz t).
class SineLoad : public SwitchedLoad {
public:
    SineLoad(double power, double swing, double hz) : SwitchedLoad(true), mean_(power), half_(swing / 2), w_(2 * kPi * hz) {}

protected:
    int requested(double) override { return 1; }
    Branch branch(int, double, double t) const override
    {
        const double p = std::max(1e-9 * mean_, mean_ + half_ * std::sin(w_ * t));
        return {true, kRated * kRated / p, 0};
    }

private:
    double mean_, half_, w_;
};

// Motor drawing `inrush` times its running current at power factor `spf`
// for `hold` seconds after switch-on, then decaying with time constant `tau`
// to the running current at power factor `pf`. Switched on at `start`; with
// a `period` it restarts every period and runs `run` seconds each time.
class Motor : public SwitchedLoad {
public:
    struct Setup {
        double power, pf, inrush, spf, hold, tau, start, period, run;
        bool zc;
    };
    explicit Motor(const Setup& s) : SwitchedLoad(s.zc), s_(s), i_run_(s.power / (kRated * s.pf)) {}

protected:
    int initial(double) override { return 0; }  // a start at 0 s goes through the switch
    int requested(double t) override
    {
        if (t < s_.start) return 0;
        if (s_.period <= 0) return 1;
        return std::fmod(t - s_.start, s_.period) < s_.run ? 1 : 0;
    }
    Branch branch(int stage, double since, double) const override
    {
        if (stage == 0) return {};
        const double a = since <= s_.hold ? 1.0 : std::exp(-(since - s_.hold) / s_.tau);
        const double current = i_run_ * (1 + (s_.inrush - 1) * a);
        const double pf = s_.pf + (s_.spf - s_.pf) * a;
        const double z = kRated / current;
        return {true, z * pf, z * std::sqrt(std::max(0.0, 1 - pf * pf)) / kW50};
    }

private:
    Setup s_;
    double i_run_;
};

// Cooker hob: element of `power` on a plate whose temperature rise follows
// d(theta)/dt = (rise p/power - theta)/tau (p the electrical power drawn); the
// thermostat opens at set + hyst/2 and closes at set - hyst/2. Starts cold.
class Hob : public SwitchedLoad {
public:
    Hob(double power, double tau, double rise, double set, double hyst, bool zc)
        : SwitchedLoad(zc), element_(Resistor(power)), power_(power), tau_(tau), rise_(rise),
          open_at_(set + hyst / 2), close_at_(set - hyst / 2) {}

protected:
    int requested(double) override { return on_ ? 1 : 0; }
    Branch branch(int stage, double, double) const override { return stage == 1 ? element_ : Branch{}; }
    void heat(double i, const Branch& b, double dt) override
    {
        if (dt != dt_) {
            dt_ = dt;
            decay_ = std::exp(-dt / tau_);
        }
        const double target = b.closed ? rise_ * i * i * b.r / power_ : 0;
        theta_ = target + (theta_ - target) * decay_;
        if (on_ && theta_ >= open_at_) on_ = false;
        else if (!on_ && theta_ <= close_at_) on_ = true;
    }

private:
    Branch element_;
    double power_, tau_, rise_, open_at_, close_at_;
    double theta_ = 0;
    bool on_ = true;
    double dt_ = -1, decay_ = 1;
};

// Every connected phase gets its own instance.
class FlickerEut : public Eut {
public:
    FlickerEut(std::string text, const std::function<std::unique_ptr<SwitchedLoad>()>& make) : text_(std::move(text))
    {
        for (auto& m : models_) m = make();
    }
    void run(const Drive& d) override
    {
        for (int p = 0; p < d.phases && p < 3; ++p) models_[p]->run(d.us[p], d.i[p], d.n, d.dt, d.t0, d.z);
    }
    std::string text() const override { return text_; }

private:
    std::string text_;
    std::array<std::unique_ptr<SwitchedLoad>, 3> models_;
};

// ---- catalogue ----------------------------------------------------------

using Param = ModelParam;

using Values = std::vector<Param>;

double Get(const Values& ps, const char* key)
{
    for (const Param& p : ps)
        if (std::string_view(p.key) == key) return p.value;
    return 0;
}

void SetError(std::string* error, std::string text)
{
    if (error) *error = std::move(text);
}

struct LoadInfo {
    const char* name;
    const char* what;
    Values params;
    // Null with a message when the parameters do not fit together.
    std::function<std::unique_ptr<Eut>(std::string, const Values&, std::string*)> make;
};

std::unique_ptr<Eut> Make(std::string text, std::function<std::unique_ptr<SwitchedLoad>()> f)
{
    return std::make_unique<FlickerEut>(std::move(text), f);
}

const std::vector<LoadInfo>& Catalogue()
{
    static const std::vector<LoadInfo> loads = {
        {"switch", "resistive load switched at a rate (rectangular voltage changes)",
         {{"power", 1000, 1, 20000, "power when switched on, W at 230 V"},
          {"low", 0, 0, 20000, "power when switched off, W (0: open)"},
          {"cpm", 110, 0.01, 6000, "changes per minute"},
          {"zc", 1, 0, 1, "1: switches at the current zero, 0: closes at the scheduled instant"}},
         [](std::string t, const Values& ps, std::string*) {
             const double p = Get(ps, "power"), low = Get(ps, "low"), cpm = Get(ps, "cpm");
             const bool zc = Get(ps, "zc") >= 0.5;
             return Make(std::move(t), [=] { return std::make_unique<RectSwitch>(p, low, cpm, zc); });
         }},
        {"sineload", "resistive load whose power varies sinusoidally",
         {{"power", 1000, 1, 20000, "mean power, W at 230 V"},
          {"swing", 100, 0, 40000, "peak-to-peak power variation, W (at most 2 x power)"},
          {"hz", 8.8, 0.001, 100, "frequency of the variation, Hz"}},
         [](std::string t, const Values& ps, std::string* error) -> std::unique_ptr<Eut> {
             const double p = Get(ps, "power"), swing = Get(ps, "swing"), hz = Get(ps, "hz");
             if (swing > 2 * p) {
                 SetError(error, "sineload: swing must not exceed twice the power");
                 return nullptr;
             }
             return Make(std::move(t), [=] { return std::make_unique<SineLoad>(p, swing, hz); });
         }},
        {"motor", "motor start: inrush current decaying to the running current",
         {{"power", 1000, 1, 20000, "running input power, W at 230 V"},
          {"pf", 0.8, 0.05, 1, "running power factor"},
          {"inrush", 6, 1, 20, "starting current / running current"},
          {"spf", 0.4, 0.05, 1, "power factor while starting"},
          {"hold", 0.15, 0, 60, "time at the full starting current, s"},
          {"tau", 0.1, 0.001, 60, "decay time constant to the running current, s"},
          {"start", 2, 0, 1e6, "switch-on time, s (the voltage-change meter needs a steady second before)"},
          {"period", 0, 0, 1e6, "restart period, s (0: starts once)"},
          {"run", 0, 0, 1e6, "running time per start with a period, s (0: half the period)"},
          {"zc", 1, 0, 1, "1: closes at the current zero (no offset), 0: at the scheduled instant"}},
         [](std::string t, const Values& ps, std::string* error) -> std::unique_ptr<Eut> {
             Motor::Setup s{Get(ps, "power"), Get(ps, "pf"),    Get(ps, "inrush"), Get(ps, "spf"),
                            Get(ps, "hold"),  Get(ps, "tau"),   Get(ps, "start"),  Get(ps, "period"),
                            Get(ps, "run"),   Get(ps, "zc") >= 0.5};
             if (s.period > 0 && s.run == 0) s.run = s.period / 2;
             if (s.period > 0 && s.run >= s.period) {
                 SetError(error, "motor: run must be shorter than the period");
                 return nullptr;
             }
             return Make(std::move(t), [=] { return std::make_unique<Motor>(s); });
         }},
        {"hob", "cooker hob: heating element under a thermostat with hysteresis",
         {{"power", 2000, 1, 20000, "element power, W at 230 V"},
          {"tau", 120, 0.1, 36000, "thermal time constant of the plate, s"},
          {"rise", 400, 1, 2000, "temperature rise at full power, K"},
          {"set", 250, 0.1, 2000, "thermostat setting, K above ambient"},
          {"hyst", 10, 0.01, 1000, "thermostat hysteresis, K"},
          {"zc", 0, 0, 1, "1: zero-crossing switch, 0: thermostat contact"}},
         [](std::string t, const Values& ps, std::string* error) -> std::unique_ptr<Eut> {
             const double p = Get(ps, "power"), tau = Get(ps, "tau"), rise = Get(ps, "rise"), set = Get(ps, "set"),
                          hyst = Get(ps, "hyst");
             const bool zc = Get(ps, "zc") >= 0.5;
             if (set + hyst / 2 >= rise) {
                 SetError(error, "hob: set + hyst/2 must lie below rise (the plate never gets that hot)");
                 return nullptr;
             }
             if (set - hyst / 2 <= 0) {
                 SetError(error, "hob: set - hyst/2 must lie above 0 (the plate never cools that far)");
                 return nullptr;
             }
             return Make(std::move(t), [=] { return std::make_unique<Hob>(p, tau, rise, set, hyst, zc); });
         }},
    };
    return loads;
}

}  // namespace

bool MakeFlickerLoad(const ParamText& pt, std::unique_ptr<Eut>* out, std::string* error)
{
    for (const LoadInfo& m : Catalogue()) {
        if (pt.name != m.name) continue;
        Values ps = m.params;
        std::vector<NumSlot> slots;
        for (Param& p : ps) slots.push_back({p.key, &p.value, p.lo, p.hi});
        out->reset();
        if (!AssignParams(pt, slots, error)) return true;
        std::string text = m.name;
        char sep = ':';
        for (const Param& p : ps) {
            text += sep;
            text += std::string(p.key) + "=" + FormatNumber(p.value);
            sep = ',';
        }
        *out = m.make(std::move(text), ps, error);
        return true;
    }
    return false;
}

std::string ListFlickerLoads()
{
    return ListCatalogue(Catalogue());
}

}  // namespace simphys
