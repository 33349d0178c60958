// Simulated power source.
#include "sim/power_source.h"

#include <charconv>
#include <cmath>
#include <string>

namespace sim {
namespace {

bool real_arg(const Command& c, double* v)
{
    std::string t = c.args.substr(0, c.args.find_first_of(" ,\t"));
    if (t.empty()) return false;
    const char* b = t.data() + (t[0] == '+');
    auto r = std::from_chars(b, t.data() + t.size(), *v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(*v);
}

std::string number(double v)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

}  // namespace

PowerSource::PowerSource(std::shared_ptr<Plant> plant, int address)
    : Analyser(Kind::PamA), plant_(std::move(plant)),
      voltage_(plant_->nominal_voltage()), frequency_(plant_->nominal_frequency())
{
    identity.maker = "ORIVAN";
    identity.model = "SIM-SOURCE";
    std::string n = std::to_string(address);
    identity.serial = "SIM" + std::string(n.size() < 5 ? 5 - n.size() : 0, '0') + n;
    identity.firmware = "1.0";

    Registry& r = registry();
    r = Registry();
    const double v0 = voltage_, f0 = frequency_;
    r.add("*IDN?", [](Analyser& a, const Command&) { return Answer::of_text(a.identity.idn()); });
    r.add("*RST", [this, v0, f0](Analyser&, const Command&) {
        voltage_ = v0;
        frequency_ = f0;
        on_ = true;
        apply();
        return Answer::none();
    });
    r.add("*CLS", [](Analyser& a, const Command&) {
        a.esr = 0;
        a.errors.clear();
        return Answer::none();
    });
    r.add("*OPC", [](Analyser& a, const Command&) { a.esr |= 0x01; return Answer::none(); });
    r.add("*OPC?", [](Analyser&, const Command&) { return Answer::of_text("1"); });
    r.add("*WAI", [](Analyser&, const Command&) { return Answer::none(); });
    r.add("*ESR?", [](Analyser& a, const Command&) {
        int v = a.esr;
        a.esr = 0;
        return Answer::of_int(v);
    });
    r.add("*STB?", [](Analyser& a, const Command&) { return Answer::of_int(a.status_byte()); });
    for (const char* reg : {"*ESE", "*SRE"}) {
        bool ese = reg[1] == 'E';
        r.add(reg, [ese](Analyser& a, const Command& c) {
            int v;
            if (!c.int_arg(&v)) return Answer::fail(-109, "\"Missing parameter\"");
            if (v < 0 || v > 255) return Answer::fail(-222, "\"Data out of range\"");
            (ese ? a.ese : a.sre) = uint8_t(v);
            return Answer::none();
        });
    }
    r.add("SYST:ERR?", [](Analyser& a, const Command&) {
        if (a.errors.empty()) return Answer::of_text("0,\"No error\"");
        auto e = a.errors.front();
        a.errors.pop_front();
        return Answer::of_text(std::to_string(e.first) + "," + e.second);
    });

    auto setting = [this, &r](const char* name, double* field, double lo, double hi) {
        Handler set = [this, field, lo, hi](Analyser&, const Command& c) {
            double v;
            if (!real_arg(c, &v)) return Answer::fail(-109, "\"Missing parameter\"");
            if (v < lo || v > hi) return Answer::fail(-222, "\"Data out of range\"");
            *field = v;
            apply();
            return Answer::none();
        };
        Handler get = [field](Analyser&, const Command&) { return Answer::of_text(number(*field)); };
        r.add(name, set);
        r.add(std::string("SOUR:") + name, set);
        r.add(std::string(name) + "?", get);
        r.add(std::string("SOUR:") + name + "?", get);
    };
    setting("VOLT", &voltage_, 0, 300);
    setting("FREQ", &frequency_, 40, 70);
    Handler outp = [this](Analyser&, const Command& c) {
        std::string w = c.word_arg();
        if (w == "ON" || w == "1") on_ = true;
        else if (w == "OFF" || w == "0") on_ = false;
        else return Answer::fail(-224, "\"Illegal parameter value\"");
        apply();
        return Answer::none();
    };
    Handler outq = [this](Analyser&, const Command&) { return Answer::of_text(on_ ? "1" : "0"); };
    r.add("OUTP", outp);
    r.add("OUTP:STAT", outp);
    r.add("OUTP?", outq);
    r.add("OUTP:STAT?", outq);
}

void PowerSource::apply() { plant_->set_source(voltage_, frequency_, on_); }

}  // namespace sim
