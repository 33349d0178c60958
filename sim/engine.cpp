// Measuring engine of the simulated analyser.
#include "sim/engine.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <cmath>
#include <numbers>

#include "platform/clock.h"

namespace sim {
namespace {

using simphys::kOrders;

Answer range_error() { return Answer::fail(-222, "\"Data out of range\""); }
Answer missing() { return Answer::fail(-109, "\"Missing parameter\""); }
Answer bad_suffix() { return Answer::fail(-114, "\"Header suffix out of range\""); }

// First argument as a real number (C locale); false when there is none.
bool real_arg(const Command& c, double* v)
{
    const std::string& a = c.args;
    size_t end = a.find_first_of(" ,\t");
    std::string t = a.substr(0, end);
    if (t.empty()) return false;
    const char* b = t.data();
    if (*b == '+') ++b;
    auto r = std::from_chars(b, t.data() + t.size(), *v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(*v);
}

// "ON"/"OFF" or an integer.
bool switch_arg(const Command& c, int* v)
{
    std::string w = c.word_arg();
    if (w == "ON") { *v = 1; return true; }
    if (w == "OFF") { *v = 0; return true; }
    return c.int_arg(v);
}

// Index range of a query, "(a:b)" or "(a)"; the full range without one.
bool index_range(const Command& c, int lo, int hi, int* a, int* b)
{
    *a = lo;
    *b = hi;
    std::string s = c.args;
    if (s.empty()) return true;
    if (s.size() < 3 || s.front() != '(' || s.back() != ')') return false;
    s = s.substr(1, s.size() - 2);
    size_t colon = s.find(':');
    std::string x = s.substr(0, colon), y = colon == std::string::npos ? x : s.substr(colon + 1);
    auto num = [](const std::string& t, int* v) {
        size_t p = t.find_first_not_of(' ');
        size_t q = t.find_last_not_of(' ');
        if (p == std::string::npos) return false;
        auto r = std::from_chars(t.data() + p, t.data() + q + 1, *v);
        return r.ec == std::errc() && r.ptr == t.data() + q + 1;
    };
    return num(x, a) && num(y, b) && lo <= *a && *a <= *b && *b <= hi;
}

Answer reals(const float* v, int a, int b)
{
    std::vector<Value> out;
    for (int k = a; k <= b; ++k) out.push_back(Value::real(v[k]));
    return Answer::of_values(std::move(out));
}

Answer ints(const int32_t* v, int a, int b)
{
    std::vector<Value> out;
    for (int k = a; k <= b; ++k) out.push_back(Value::integer(v[k]));
    return Answer::of_values(std::move(out));
}

// Order mask split as the records hold it: word 0 orders 32..40, word 1 orders 0..31.
void split(uint64_t mask, int32_t* w)
{
    w[0] = int32_t(uint32_t(mask >> 32) & 0x1FF);
    w[1] = int32_t(uint32_t(mask & 0xFFFFFFFFu));
}

double wrap_deg(double d)
{
    while (d > 180) d -= 360;
    while (d <= -180) d += 360;
    return d;
}

const std::vector<float>& zeros(size_t n)
{
    static std::vector<float> z;
    if (z.size() < n) z.assign(n, 0.f);
    return z;
}

}  // namespace

std::shared_ptr<Engine> Engine::Install(Analyser& a, std::shared_ptr<Plant> plant, EngineOptions opt)
{
    auto e = std::make_shared<Engine>(a, std::move(plant), opt);
    a.set_values(e);
    e->register_commands(e);
    std::weak_ptr<Engine> w = e;
    a.on_pump = [w](Analyser&, double now) {
        if (auto p = w.lock()) p->pump(now);
    };
    return e;
}

Engine::Engine(Analyser& a, std::shared_ptr<Plant> plant, EngineOptions opt)
    : a_(a), plant_(std::move(plant)), opt_(opt)
{
    opt_.first_phase = std::clamp(opt_.first_phase, 0, 2);
    due_ = Timer() + cycle_time();
}

int Engine::periods_per_cycle() const
{
    // Flicker: 32 half-periods; harmonics: 10 periods at 50 Hz, 12 at 60 Hz.
    return a_.mode == 2 ? 16 : simphys::PeriodsPerWindow(plant_->nominal_frequency());
}

double Engine::cycle_time() const
{
    double f = plant_->supply().frequency;
    double t = periods_per_cycle() / (f > 0 ? f : 50.0);
    return opt_.speed > 0 ? t / opt_.speed : t;
}

simphys::AnalyserSetup Engine::analyser_setup() const
{
    simphys::AnalyserSetup s;
    s.nominal_voltage = plant_->nominal_voltage();
    s.nominal_frequency = plant_->nominal_frequency();
    s.grouping = simphys::GroupingForEdition(cfg_.edit);
    s.smoothing = cfg_.smoo != 0;
    for (int c = 0; c < 3; ++c) {
        s.u_range[c] = cfg_.u_range[c] * cfg_.u_scale[c];
        s.i_range[c] = cfg_.i_range[c] * cfg_.i_scale[c];
    }
    return s;
}

void Engine::new_flicker(int ch)
{
    using orivan::dsp::Lamp;
    const bool sixty = plant_->nominal_frequency() >= 55;
    orivan::dsp::FlickerChannelConfig fc = orivan::dsp::FlickerChannelConfig::For(sixty ? Lamp::V120_60Hz : Lamp::V230_50Hz);
    const DeviceConfig& c = a_.running ? test_cfg_ : cfg_;
    fc.meter.sample_rate = simphys::kSamplesPerPeriod * std::max(1.0, plant_->supply().frequency);
    fc.meter.mains_hz = plant_->nominal_frequency();
    fc.meter.period_s = c.ftim;
    fc.meter.plt_periods = std::max(1, c.flps);
    fc.nominal_v = plant_->nominal_voltage();
    fc.variant = c.fnrm;
    fc.dmax_limit_pct = c.fldl;
    ch_[ch].flicker = std::make_unique<orivan::dsp::FlickerChannel>(fc);
}

void Engine::start_test()
{
    test_cfg_ = cfg_;
    test_mode_ = a_.mode;
    finished_ = false;
    started_ = true;
    test_time_ = 0;
    analyser_.set_setup(analyser_setup());
    analyser_.restart();
    simphys::EvalSetup es;
    es.edition = cfg_.edit;
    es.eval = cfg_.eval;
    es.pso = cfg_.pso;
    es.pfso = cfg_.pfso;
    es.iso = cfg_.iso;
    es.rsce = cfg_.rsce;
    double f = plant_->supply().frequency > 0 ? plant_->supply().frequency : 50;
    es.window_s = simphys::PeriodsPerWindow(plant_->nominal_frequency()) / f;
    eval_.start(es);
    result_valid_ = false;
    for (int c = 0; c < a_.channels(); ++c) {
        Channel& k = ch_[c];
        k.ep = k.es = k.eq = k.ei = 0;
        k.sum_p = k.sum_s = k.sum_q = 0;
        k.hens_test = 0;
        k.frames = 0;
        if (test_mode_ == 2) new_flicker(c);
    }
}

void Engine::pump(double now)
{
    if (busy_) return;  // an answer emitted by a cycle pumps again
    busy_ = true;
    auto answer = [this] {
        if (!a_.continuous || cyclic_.empty()) return;
        // The previous record set still waits whole (not a byte of it read):
        // this one is lost. One that is being read is followed by the new one.
        const size_t waiting = a_.output().size();
        if ((a_.answer_waiting() && waiting == 0) || (waiting > 0 && waiting >= last_answer_)) {
            ++lost_;
            return;
        }
        a_.execute(cyclic_);
        last_answer_ = a_.output().size() - waiting;
        if (a_.log.size() > 256) a_.log.erase(a_.log.begin(), a_.log.begin() + 128);
    };
    if (opt_.speed <= 0) {
        if (a_.continuous && !a_.answer_waiting()) {
            cycle(true);
            answer();
        }
        due_ = now + cycle_time();
    } else {
        while (now + 1e-9 >= due_) {
            if (!a_.continuous && !a_.running) {
                // Nobody waits for these cycles: count them, measure on demand.
                // At least one: `now` may lie just below `due_` (within the
                // tolerance of the loop condition), where the floor gives 0.
                double T = cycle_time();
                double n = std::max(1.0, std::floor((now - due_) / T) + 1);
                cycles_ += uint32_t(n);
                due_ += n * T;
                stale_ = true;
                continue;
            }
            cycle(true);
            due_ += cycle_time();
            answer();
        }
    }
    busy_ = false;
}

void Engine::fresh()
{
    pump(Timer());  // cycles completed by now come first
    if (stale_) cycle(false);
}

void Engine::cycle(bool counted)
{
    if (opt_.first_phase == 0) plant_->set_impedance_path(a_.digital[2] && !a_.digital[4], cfg_.zref);
    const int periods = periods_per_cycle();
    const simphys::Window& w = plant_->next(&window_, periods);
    analyser_.set_setup(analyser_setup());
    const bool testing = counted && a_.running && !finished_;
    const double tw = w.fs > 0 ? w.n / w.fs : 0;
    for (int c = 0; c < a_.channels(); ++c) {
        const int ph = opt_.first_phase + c;
        const float* u = ph < w.phases ? w.u[ph].data() : zeros(size_t(w.n)).data();
        const float* i = ph < w.phases ? w.i[ph].data() : zeros(size_t(w.n)).data();
        simphys::PhaseValues pv;
        analyser_.analyse_phase(u, i, w.n, w.periods, w.fs, c, pv);
        Channel& k = ch_[c];

        Wave wv;
        if (w.n > 0) {
            wv.umax = wv.umin = u[0];
            wv.imax = wv.imin = i[0];
            double su = 0, si = 0, ru = 0, ri = 0;
            for (int s = 0; s < w.n; ++s) {
                su += u[s];
                si += i[s];
                ru += std::fabs(u[s]);
                ri += std::fabs(i[s]);
                wv.umax = std::max<double>(wv.umax, u[s]);
                wv.umin = std::min<double>(wv.umin, u[s]);
                wv.imax = std::max<double>(wv.imax, i[s]);
                wv.imin = std::min<double>(wv.imin, i[s]);
            }
            wv.udc = su / w.n;
            wv.idc = si / w.n;
            wv.urec = ru / w.n;
            wv.irec = ri / w.n;
        }

        int32_t hens = 0;
        if (pv.ovru > 99.9f || pv.ovri > 99.9f) hens |= kEnsRange;
        if (pv.itrms < 0.001 * cfg_.i_range[c] * cfg_.i_scale[c]) hens |= kEnsLow;
        if (cfg_.eval == 3 && cfg_.pso > 0 && std::fabs(pv.p - cfg_.pso) > 0.1 * cfg_.pso) hens |= kEnsPower;
        if (hens) hens |= kEnsAny;
        k.hens = hens;

        // Flicker values freeze when the test has finished.
        if (a_.mode == 2 && !(a_.running && test_mode_ == 2 && finished_)) {
            if (!k.flicker || k.flicker->meter().config().sample_rate != w.fs) new_flicker(c);
            k.buf.assign(u, u + w.n);
            k.flicker->feed(k.buf.data(), k.buf.size());
            k.fv = k.flicker->frame();
        }

        if (testing && test_mode_ == 1) {
            k.hist = eval_.add(c, pv, k.limit, k.hiov);
            k.hens_test |= hens;
        } else {
            k.hist = 0;
            std::fill(std::begin(k.hiov), std::end(k.hiov), 0);
        }
        if (testing) {
            const double h = tw / 3600;
            k.ep += pv.p * h;
            k.es += pv.s * h;
            k.eq += pv.q * h;
            k.ei += pv.itrms * h;
            k.sum_p += pv.p;
            k.sum_s += pv.s;
            k.sum_q += pv.q;
            ++k.frames;
        }
        // FRZ ON holds the values answered; measuring and the test go on.
        if (!cfg_.frozen || !measured_) {
            pv_[c] = pv;
            k.wave = wv;
        }
    }
    measured_ = true;
    if (counted) {
        // Cycles the analyser lost on its own (a fault of the tests).
        cycles_ += 1 + a_.faults.counter_jump;
        a_.faults.counter_jump = 0;
        t_measured_ += tw;
    }
    if (testing) {
        test_time_ += tw;
        result_valid_ = false;
        if (test_mode_ == 1 && test_cfg_.htim > 0 && test_time_ >= test_cfg_.htim - 1e-6) finished_ = true;
        if (test_mode_ == 2 && flicker_state() == 3) finished_ = true;
    }
    stale_ = false;
}

int Engine::flicker_state() const
{
    if (!a_.running || test_mode_ != 2) return 0;
    const auto& f = ch_[0].flicker;
    if (!f || !f->settled()) return 1;
    if (f->completed_periods() >= std::max(1, test_cfg_.flps)) return 3;
    return 2;
}

int32_t Engine::remaining() const
{
    if (!started_) return 0;
    if (!a_.running) return stopped_remaining_;
    if (test_mode_ == 1) {
        if (test_cfg_.htim <= 0) return 0;
        double r = test_cfg_.htim - test_time_;
        return r <= 1e-6 ? 0 : int32_t(std::ceil(r - 1e-6));
    }
    const int L = test_cfg_.ftim, n = std::max(1, test_cfg_.flps);
    const auto& f = ch_[0].flicker;
    if (!f) return L * n;
    if (f->completed_periods() >= n) return 0;
    if (!f->settled()) return L * n;
    double r = double(n - f->completed_periods() - 1) * L + f->meter().period_remaining();
    return std::max<int32_t>(0, int32_t(std::ceil(r - 1e-6)) - 1);
}

int32_t Engine::period_remaining() const
{
    if (!started_ || !a_.running || test_mode_ != 2) return 0;
    const auto& f = ch_[0].flicker;
    if (!f) return 0;
    if (f->completed_periods() >= std::max(1, test_cfg_.flps)) return 0;
    if (!f->settled()) return test_cfg_.ftim;
    return std::max<int32_t>(1, int32_t(std::ceil(f->meter().period_remaining() - 1e-6)) - 1);
}

bool Engine::value(const std::string& mn, int channel, double* v) const
{
    int c = channel - 1;
    if (c < 0 || c >= a_.channels()) return false;
    const simphys::PhaseValues& p = pv_[c];
    const Channel& k = ch_[c];
    const Wave& w = k.wave;
    auto rms_ac = [](double rms, double dc) { return std::sqrt(std::max(0.0, rms * rms - dc * dc)); };
    const double uac = rms_ac(p.utrms, w.udc), iac = rms_ac(p.itrms, w.idc);
    const double upk = std::max(std::fabs(w.umax), std::fabs(w.umin));
    const double ipk = std::max(std::fabs(w.imax), std::fabs(w.imin));
    const double frames = std::max(1, k.frames);
    if (mn == "UAC") *v = uac;
    else if (mn == "UCF") *v = p.utrms > 0 ? upk / p.utrms : 0;
    else if (mn == "UDC") *v = w.udc;
    else if (mn == "UTRMS") *v = p.utrms;
    else if (mn == "UFF") *v = w.urec > 0 ? p.utrms / w.urec : 0;
    else if (mn == "UMAX") *v = w.umax;
    else if (mn == "UMIN") *v = w.umin;
    else if (mn == "UPP") *v = w.umax - w.umin;
    else if (mn == "UREC") *v = w.urec;
    else if (mn == "IAC") *v = iac;
    else if (mn == "ICF") *v = p.itrms > 0 ? ipk / p.itrms : 0;
    else if (mn == "IDC") *v = w.idc;
    else if (mn == "ITRMS") *v = p.itrms;
    else if (mn == "IFF") *v = w.irec > 0 ? p.itrms / w.irec : 0;
    else if (mn == "IMAX") *v = w.imax;
    else if (mn == "IMIN") *v = w.imin;
    else if (mn == "IPP") *v = w.imax - w.imin;
    else if (mn == "IREC") *v = w.irec;
    else if (mn == "EP") *v = k.ep;
    else if (mn == "ES") *v = k.es;
    else if (mn == "EI") *v = k.ei;
    else if (mn == "EQ") *v = k.eq;
    else if (mn == "FLDC") *v = k.fv.fldc;
    else if (mn == "FLDX") *v = k.fv.fldx;
    else if (mn == "FLLT") *v = k.fv.fllt;
    else if (mn == "FLMO") *v = k.fv.flmo;
    else if (mn == "FLST") *v = k.fv.flst;
    else if (mn == "FLTR") *v = remaining();
    else if (mn == "FSTR") *v = period_remaining();
    else if (mn == "FREQ") *v = p.freq;
    else if (mn == "P") *v = p.p;
    else if (mn == "PM") *v = k.sum_p / frames;
    else if (mn == "SM") *v = k.sum_s / frames;
    else if (mn == "QM") *v = k.sum_q / frames;
    else if (mn == "S") *v = p.s;
    else if (mn == "PF") *v = p.pf;
    else if (mn == "PHI") *v = wrap_deg(double(p.huph[1]) - p.hiph[1]);
    else if (mn == "Q") *v = p.q;
    else if (mn == "HUHD") *v = p.huhd;
    else if (mn == "HIHD") *v = p.hihd;
    else if (mn == "CYCL") *v = cycles_ & 0xFFFF;
    else if (mn == "DIST") *v = p.itrms > 0 ? 100 * rms_ac(p.itrms, p.hiam[1]) / p.itrms : 0;
    else return false;
    return true;
}

Answer Engine::single(const std::string& mn, const Command& c)
{
    int ch = c.suffix(1);
    if (ch < 1 || ch > a_.channels()) return bad_suffix();
    fresh();
    double v;
    if (!value(mn, ch, &v)) return Answer::fail(-230, "\"Data corrupt or stale\"");
    return Answer::of_real(v);
}

void Engine::register_commands(const std::shared_ptr<Engine>& self)
{
    Registry& r = a_.registry();
    using Field = std::function<double&(DeviceConfig&, int)>;

    // Channel-numbered settings of the sensors and ranges ("SENS:CURR:RANG1 0.6").
    auto channel_setting = [&r, self](const std::string& name, Field field, double lo, double hi, bool sw) {
        r.add(name, [self, field, lo, hi, sw](Analyser& a, const Command& c) {
            int ch = c.suffix(1);
            if (ch < 1 || ch > a.channels()) return bad_suffix();
            double v;
            int iv;
            if (sw) {
                if (!switch_arg(c, &iv)) return missing();
                v = iv;
            } else if (!real_arg(c, &v)) {
                return missing();
            }
            if (v < lo || v > hi) return range_error();
            field(self->cfg_, ch - 1) = v;
            return Answer::none();
        });
        r.add(name + "?", [self, field, sw](Analyser& a, const Command& c) {
            int ch = c.suffix(1);
            if (ch < 1 || ch > a.channels()) return bad_suffix();
            double v = field(self->cfg_, ch - 1);
            return sw ? Answer::of_int(int32_t(v)) : Answer::of_real(v);
        });
    };
    channel_setting("SENS:CURR:DET", [](DeviceConfig& c, int k) -> double& { return c.ext_sensor[k]; }, 0, 1, true);
    channel_setting("SENS:CURR:RANG:AUTO", [](DeviceConfig& c, int k) -> double& { return c.auto_range_i[k]; }, 0, 1, true);
    channel_setting("SENS:VOLT:RANG:AUTO", [](DeviceConfig& c, int k) -> double& { return c.auto_range_u[k]; }, 0, 1, true);
    channel_setting("SENS:CURR:RANG", [](DeviceConfig& c, int k) -> double& { return c.i_range[k]; }, 0.001, 1000, false);
    channel_setting("SENS:VOLT:RANG", [](DeviceConfig& c, int k) -> double& { return c.u_range[k]; }, 1, 2000, false);
    channel_setting("SENS:CURR:SCAL", [](DeviceConfig& c, int k) -> double& { return c.i_scale[k]; }, 1e-4, 1e5, false);
    channel_setting("SENS:VOLT:SCAL", [](DeviceConfig& c, int k) -> double& { return c.u_scale[k]; }, 1e-4, 1e5, false);

    // Analog input bounds, inputs 1..4.
    for (const char* n : {"AIHI", "AILO"}) {
        const bool hi = n[2] == 'H';
        r.add(n, [self, hi](Analyser&, const Command& c) {
            int k = c.suffix(-1);
            if (k < 1 || k > 4) return bad_suffix();
            double v;
            if (!real_arg(c, &v)) return missing();
            if (std::fabs(v) > 1e6) return range_error();
            (hi ? self->cfg_.ai_high : self->cfg_.ai_low)[k - 1] = v;
            return Answer::none();
        });
        r.add(std::string(n) + "?", [self, hi](Analyser&, const Command& c) {
            int k = c.suffix(-1);
            if (k < 1 || k > 4) return bad_suffix();
            return Answer::of_real((hi ? self->cfg_.ai_high : self->cfg_.ai_low)[k - 1]);
        });
    }

    auto int_setting = [&r, self](const std::string& name, int DeviceConfig::*field, std::vector<int> allowed,
                                  int lo, int hi) {
        r.add(name, [self, field, allowed, lo, hi](Analyser&, const Command& c) {
            int v;
            if (!c.int_arg(&v)) {
                double d;
                if (!real_arg(c, &d)) return missing();
                if (d != std::floor(d) || std::fabs(d) > 1e9) return range_error();
                v = int(d);
            }
            bool ok = allowed.empty() ? v >= lo && v <= hi
                                      : std::find(allowed.begin(), allowed.end(), v) != allowed.end();
            if (!ok) return range_error();
            self->cfg_.*field = v;
            return Answer::none();
        });
        r.add(name + "?", [self, field](Analyser&, const Command&) { return Answer::of_int(self->cfg_.*field); });
    };
    auto real_setting = [&r, self](const std::string& name, double DeviceConfig::*field, double lo, double hi) {
        r.add(name, [self, field, lo, hi](Analyser&, const Command& c) {
            double v;
            if (!real_arg(c, &v)) return missing();
            if (v < lo || v > hi) return range_error();
            self->cfg_.*field = v;
            return Answer::none();
        });
        r.add(name + "?", [self, field](Analyser&, const Command&) { return Answer::of_real(self->cfg_.*field); });
    };
    int_setting("FLPS", &DeviceConfig::flps, {}, 1, 1000);
    int_setting("HTIM", &DeviceConfig::htim, {}, 0, 359999);
    int_setting("FTIM", &DeviceConfig::ftim, {}, 1, 86400);
    int_setting("FNRM", &DeviceConfig::fnrm, {}, 0, 3);
    int_setting("ZREF", &DeviceConfig::zref, {}, 0, 1);
    int_setting("EDIT", &DeviceConfig::edit, {}, 0, 4);
    int_setting("EVAL", &DeviceConfig::eval, {0, 1, 2, 3, 10, 11, 12}, 0, 0);
    int_setting("SMOO", &DeviceConfig::smoo, {}, 0, 1);
    int_setting("CECD", &DeviceConfig::cecd, {}, 0, 1);
    int_setting("SYSD", &DeviceConfig::sysd, {}, 0, 15);
    real_setting("FLDL", &DeviceConfig::fldl, 0, 100);
    real_setting("ZTST", &DeviceConfig::ztst, 0, 100);
    real_setting("PFSO", &DeviceConfig::pfso, 0, 1);
    real_setting("ISO", &DeviceConfig::iso, 0, 1000);
    real_setting("PSO", &DeviceConfig::pso, 0, 100000);
    real_setting("RSCE", &DeviceConfig::rsce, 1, 100000);

    r.add("FRZ", [self](Analyser&, const Command& c) {
        int v;
        if (!switch_arg(c, &v)) return missing();
        if (v != 0 && v != 1) return range_error();
        self->cfg_.frozen = v == 1;
        return Answer::none();
    });
    r.add("FRZ?", [self](Analyser&, const Command&) { return Answer::of_text(self->cfg_.frozen ? "ON" : "OFF"); });

    r.add("*RST", [self](Analyser& a, const Command&) {
        a.reset();
        self->cfg_ = DeviceConfig{};
        self->started_ = self->finished_ = false;
        self->stopped_remaining_ = 0;
        self->cyclic_.clear();
        for (Channel& k : self->ch_) k.flicker.reset();
        return Answer::none();
    });
    r.add("CONT", [self](Analyser& a, const Command& c) {
        int v;
        if (!switch_arg(c, &v) || (v != 0 && v != 1)) return Answer::fail(-224, "\"Illegal parameter value\"");
        a.continuous = v == 1;
        // The record set answered once per cycle is the last query sent
        // (the last one led by ACTN when a plain query came after it).
        if (a.continuous) {
            const std::string& q = a.last_query_message();
            bool actn = q.find_first_not_of(" :") != std::string::npos &&
                        (q.compare(q.find_first_not_of(" :"), 4, "ACTN") == 0 ||
                         q.compare(q.find_first_not_of(" :"), 4, "actn") == 0);
            if (actn || self->cyclic_.empty()) self->cyclic_ = q;
        }
        return Answer::none();
    });
    r.add("START", [self](Analyser& a, const Command&) {
        // Cycles complete up to now; the window in progress is dropped and
        // the test begins with a new one.
        double now = Timer();
        self->pump(now);
        if (self->opt_.speed > 0) self->due_ = now + self->cycle_time();
        a.running = true;
        self->start_test();
        return Answer::none();
    });
    r.add("STOP", [self](Analyser& a, const Command&) {
        if (a.running) self->stopped_remaining_ = self->remaining();
        a.running = false;
        return Answer::none();
    });
    // ACTN: the queries after it answer the latest cycle; INIM: the test's results.
    r.add("ACTN", [self](Analyser&, const Command&) {
        self->integral_ = false;
        return Answer::none();
    });
    r.add("INIM", [self](Analyser&, const Command&) {
        self->integral_ = true;
        self->result_valid_ = false;
        return Answer::none();
    });

    // Device-wide queries.
    r.add("FLTR?", [self](Analyser&, const Command&) {
        self->pump(Timer());
        return Answer::of_int(self->remaining()); });
    r.add("FSTR?", [self](Analyser&, const Command&) {
        self->pump(Timer());
        return Answer::of_int(self->period_remaining()); });
    r.add("FSTA?", [self](Analyser&, const Command&) {
        self->pump(Timer());
        return Answer::of_int(self->flicker_state()); });
    r.add("COUNT?", [self](Analyser&, const Command&) {
        self->pump(Timer());
        return Answer::of_real(double(self->cycles_ & 0xFFFF)); });
    r.add("AIVA?", [self](Analyser&, const Command& c) {
        int k = c.suffix(-1);
        if (k < 1 || k > 4) return bad_suffix();
        self->pump(Timer());
        const DeviceConfig& g = self->cfg_;
        double x = 0.5 + 0.4 * std::sin(2 * std::numbers::pi * self->t_measured_ / (40.0 + 15 * k));
        return Answer::of_real(g.ai_low[k - 1] + (g.ai_high[k - 1] - g.ai_low[k - 1]) * x);
    });

    // Channel-numbered queries ("HIAM1? (0:40)"; without a number channel 1).
    auto per = [&r, self](const std::string& name, std::function<Answer(Engine&, int, const Command&)> f) {
        r.add(name, [self, f](Analyser& a, const Command& c) {
            int ch = c.suffix(1);
            if (ch < 1 || ch > a.channels()) return bad_suffix();
            self->fresh();
            return f(*self, ch - 1, c);
        });
    };
    auto order_reals = [per](const std::string& name, std::function<const float*(Engine&, int)> f, int hi) {
        per(name, [f, hi](Engine& e, int ch, const Command& c) {
            int x, y;
            if (!index_range(c, 0, hi, &x, &y)) return range_error();
            return reals(f(e, ch), x, y);
        });
    };
    order_reals("HIAM?", [](Engine& e, int ch) { return e.pv_[ch].hiam; }, 40);
    order_reals("HIPH?", [](Engine& e, int ch) { return e.pv_[ch].hiph; }, 40);
    order_reals("HUAM?", [](Engine& e, int ch) { return e.pv_[ch].huam; }, 40);
    order_reals("HUPH?", [](Engine& e, int ch) { return e.pv_[ch].huph; }, 40);
    order_reals("HILM?", [](Engine& e, int ch) { return e.ch_[ch].limit; }, 40);
    order_reals("FLMS?", [](Engine& e, int ch) { return e.ch_[ch].fv.flms.data(); }, 31);
    order_reals("FLRM?", [](Engine& e, int ch) { return e.ch_[ch].fv.flrm.data(); }, 31);
    order_reals("FLDT?", [](Engine& e, int ch) { return e.ch_[ch].fv.fldt.data(); }, 31);
    order_reals("HIAV?", [](Engine& e, int ch) { return e.result(ch).hiav; }, 40);
    order_reals("HUMX?", [](Engine& e, int ch) { return e.result(ch).humx; }, 40);
    order_reals("HFMX?", [](Engine& e, int ch) { return e.result(ch).hfmx; }, 40);

    auto real_value = [per](const std::string& name, std::function<double(Engine&, int)> f) {
        per(name, [f](Engine& e, int ch, const Command&) { return Answer::of_real(f(e, ch)); });
    };
    real_value("HPAV?", [](Engine& e, int ch) { return e.pv_[ch].hpav; });
    real_value("HPFA?", [](Engine& e, int ch) { return e.pv_[ch].hpfa; });
    real_value("HTHC?", [](Engine& e, int ch) { return e.pv_[ch].hthc; });
    real_value("HPOC?", [](Engine& e, int ch) { return e.pv_[ch].hpoc; });
    real_value("HIMA?", [](Engine& e, int ch) { return e.pv_[ch].hima; });
    real_value("OVRU?", [](Engine& e, int ch) { return e.pv_[ch].ovru; });
    real_value("OVRI?", [](Engine& e, int ch) { return e.pv_[ch].ovri; });
    real_value("HPM?", [](Engine& e, int ch) { return e.result(ch).hpm; });
    real_value("HPFM?", [](Engine& e, int ch) { return e.result(ch).hpfm; });
    real_value("HIFM?", [](Engine& e, int ch) { return e.result(ch).hifm; });

    auto int_value = [per](const std::string& name, std::function<int32_t(Engine&, int)> f) {
        per(name, [f](Engine& e, int ch, const Command&) { return Answer::of_int(f(e, ch)); });
    };
    int_value("HIST?", [](Engine& e, int ch) { return e.ch_[ch].hist; });
    int_value("HUST?", [](Engine& e, int ch) { return e.pv_[ch].hust; });
    int_value("HENS?", [](Engine& e, int ch) { return e.integral_ ? e.ch_[ch].hens_test : e.ch_[ch].hens; });
    int_value("FLRE?", [](Engine& e, int ch) { return e.ch_[ch].fv.flre; });
    int_value("HIGF?", [](Engine& e, int ch) { return e.result(ch).higf; });
    int_value("HUGF?", [](Engine& e, int ch) { return e.result(ch).hugf; });
    r.add("EDIT?", [self](Analyser&, const Command&) { return Answer::of_int(self->cfg_.edit); });
    r.add("EVAL?", [self](Analyser&, const Command&) { return Answer::of_int(self->cfg_.eval); });

    auto words = [per](const std::string& name, int hi, std::function<void(Engine&, int, int32_t*)> f) {
        per(name, [f, hi](Engine& e, int ch, const Command& c) {
            int x, y;
            if (!index_range(c, 0, hi, &x, &y)) return range_error();
            int32_t w[4] = {};
            f(e, ch, w);
            return ints(w, x, y);
        });
    };
    words("HIOV?", 3, [](Engine& e, int ch, int32_t* w) { std::copy(e.ch_[ch].hiov, e.ch_[ch].hiov + 4, w); });
    words("HUOV?", 3, [](Engine& e, int ch, int32_t* w) { split(e.pv_[ch].u_over, w); });
    words("HILT?", 1, [](Engine& e, int ch, int32_t* w) { split(e.result(ch).hilt, w); });
    words("HULT?", 1, [](Engine& e, int ch, int32_t* w) { split(e.result(ch).hult, w); });
    words("HIFL?", 1, [](Engine& e, int ch, int32_t* w) { split(e.result(ch).hifl, w); });

    // Single values from the latest cycle.
    for (const char* n : {"UAC", "UCF", "UDC", "UTRMS", "UFF", "UMAX", "UMIN", "UPP", "UREC", "IAC", "ICF", "IDC",
                          "ITRMS", "IFF", "IMAX", "IMIN", "IPP", "IREC", "EP", "ES", "EI", "EQ", "FLDC", "FLDX",
                          "FLLT", "FLMO", "FLST", "FREQ", "P", "PM", "SM", "QM", "S", "PF", "PHI", "Q", "HUHD",
                          "HIHD", "CYCL", "DIST"}) {
        std::string mn = n;
        r.add(mn + "?", [self, mn](Analyser&, const Command& c) { return self->single(mn, c); });
    }
}

const simphys::PhaseResult& Engine::result(int ch)
{
    if (!result_valid_) {
        for (int c = 0; c < a_.channels(); ++c) result_[c] = eval_.result(c);
        result_valid_ = true;
    }
    return result_[ch];
}


std::shared_ptr<Analyser> MakeMeasuringAnalyser(Kind kind, Identity id, std::shared_ptr<Plant> plant,
                                                EngineOptions opt)
{
    auto a = std::make_shared<Analyser>(kind, std::move(id));
    Engine::Install(*a, std::move(plant), opt);
    return a;
}

}  // namespace sim
