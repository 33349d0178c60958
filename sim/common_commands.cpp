// Commands every simulated analyser understands.
#include "sim/analyser.h"

namespace sim {
namespace {

Answer range_error() { return Answer::fail(-222, "\"Data out of range\""); }

// Handler of a register-setting command ("*ESE 1").
Answer set_register(uint8_t* reg, const Command& c)
{
    int v;
    if (!c.int_arg(&v)) return Answer::fail(-109, "\"Missing parameter\"");
    if (v < 0 || v > 255) return range_error();
    *reg = uint8_t(v);
    return Answer::none();
}

Answer language(Analyser& a, const Command& c)
{
    std::string w = c.word_arg();
    if (w == "SHORT") a.language = kShort;
    else if (w == "SCPI") a.language = kScpi;
    else return Answer::fail(-224, "\"Illegal parameter value\"");
    return Answer::none();
}

Answer error_list(Analyser& a, const Command&)
{
    if (a.errors.empty()) return Answer::of_text("0,\"No error\"");
    std::string t;
    for (const auto& e : a.errors) {
        if (!t.empty()) t += ',';
        t += std::to_string(e.first) + "," + e.second;
    }
    a.errors.clear();
    return Answer::of_text(t);
}

Answer next_error(Analyser& a, const Command&)
{
    if (a.errors.empty()) return Answer::of_text("0,\"No error\"");
    auto e = a.errors.front();
    a.errors.pop_front();
    return Answer::of_text(std::to_string(e.first) + "," + e.second);
}

Answer set_digital(Analyser& a, const Command& c)
{
    int n = c.suffix(1), v;
    if (n < 1 || n > 8) return Answer::fail(-114, "\"Header suffix out of range\"");
    if (!c.int_arg(&v)) return Answer::fail(-109, "\"Missing parameter\"");
    if (v != 0 && v != 1) return range_error();
    a.digital[n] = v;
    return Answer::none();
}

Answer get_digital(Analyser& a, const Command& c)
{
    int n = c.suffix(1);
    if (n < 1 || n > 8) return Answer::fail(-114, "\"Header suffix out of range\"");
    return Answer::of_int(a.digital[n]);
}

// The single-value queries of the driver's query table ("UAC?" ... "DIST?"),
// answered from the analyser's latest measured values.
const char* const single_values[] = {
    "UAC", "UCF", "UDC", "UTRMS", "UFF", "UMAX", "UMIN", "UPP", "UREC", "IAC", "ICF", "IDC", "ITRMS", "IFF",
    "IMAX", "IMIN", "IPP", "IREC", "EP", "ES", "EI", "EQ", "FLDC", "FLDX", "FLLT", "FLMO", "FLST", "FLTR",
    "FSTR", "FREQ", "P", "PM", "SM", "QM", "S", "PF", "PHI", "Q", "HUHD", "HIHD", "CYCL", "DIST",
};

}  // namespace

void RegisterCommonCommands(Registry& r)
{
    r.add("*IDN?", [](Analyser& a, const Command&) { return Answer::of_text(a.identity.idn()); });
    r.add("*RST", [](Analyser& a, const Command&) { a.reset(); return Answer::none(); });
    r.add("*CLS", [](Analyser& a, const Command&) {
        a.esr = 0;
        a.errors.clear();
        return Answer::none();
    });
    r.add("*OPC", [](Analyser& a, const Command&) { a.esr |= 0x01; return Answer::none(); });
    r.add("*OPC?", [](Analyser&, const Command&) { return Answer::of_text("1"); });
    r.add("*WAI", [](Analyser&, const Command&) { return Answer::none(); });
    r.add("*TST?", [](Analyser&, const Command&) { return Answer::of_int(0); });
    r.add("*ESE", [](Analyser& a, const Command& c) { return set_register(&a.ese, c); });
    r.add("*ESE?", [](Analyser& a, const Command&) { return Answer::of_int(a.ese); });
    r.add("*SRE", [](Analyser& a, const Command& c) { return set_register(&a.sre, c); });
    r.add("*SRE?", [](Analyser& a, const Command&) { return Answer::of_int(a.sre); });
    r.add("*ESR?", [](Analyser& a, const Command&) {
        int v = a.esr;
        a.esr = 0;
        return Answer::of_int(v);
    });
    r.add("*STB?", [](Analyser& a, const Command&) { return Answer::of_int(a.status_byte()); });

    r.add("SYST:LANG", language);
    r.add("LANG", language);
    r.add("SYST:LANG?", [](Analyser& a, const Command&) {
        return Answer::of_text(a.language == kShort ? "SHORT" : "SCPI");
    });
    r.add("ERRALL?", error_list, kShort);
    r.add("SYST:ERR:ALL?", error_list, kScpi);
    r.add("SYST:ERR?", next_error, kScpi);
    r.add("SYST:ERR:NEXT?", next_error, kScpi);

    r.add("FRMT", [](Analyser& a, const Command& c) {
        std::string w = c.word_arg();
        if (w == "PACKED") a.packed = true;
        else if (w == "ASCII") a.packed = false;
        else return Answer::fail(-224, "\"Illegal parameter value\"");
        return Answer::none();
    });
    r.add("FRMT?", [](Analyser& a, const Command&) { return Answer::of_text(a.packed ? "PACKED" : "ASCII"); });
    r.add("CONT", [](Analyser& a, const Command& c) {
        std::string w = c.word_arg();
        if (w == "ON" || w == "1") a.continuous = true;
        else if (w == "OFF" || w == "0") a.continuous = false;
        else return Answer::fail(-224, "\"Illegal parameter value\"");
        return Answer::none();
    });
    r.add("GTL", [](Analyser& a, const Command&) { a.remote = false; return Answer::none(); });
    r.add("START", [](Analyser& a, const Command&) { a.running = true; return Answer::none(); });
    r.add("STOP", [](Analyser& a, const Command&) { a.running = false; return Answer::none(); });
    // Leading commands of the cyclic and the result query: no answer of their own.
    r.add("ACTN", [](Analyser&, const Command&) { return Answer::none(); });
    r.add("INIM", [](Analyser&, const Command&) { return Answer::none(); });
    r.add("MODE", [](Analyser& a, const Command& c) {
        int v;
        if (!c.int_arg(&v)) return Answer::fail(-109, "\"Missing parameter\"");
        if (v != 1 && v != 2) return range_error();
        a.mode = v;
        return Answer::none();
    });
    r.add("SOUR:DIG:COND", set_digital);
    r.add("SOUR:DIG:COND?", get_digital);
    r.add("DOCO", set_digital);
    r.add("DOCO?", get_digital);

    for (const char* name : single_values) {
        std::string mn = name;
        r.add(mn + "?", [mn](Analyser& a, const Command& c) {
            int ch = c.suffix(1);
            if (ch < 1 || ch > a.channels()) return Answer::fail(-114, "\"Header suffix out of range\"");
            double v;
            if (!a.values().value(mn, ch, &v)) return Answer::fail(-230, "\"Data corrupt or stale\"");
            return Answer::of_real(v);
        });
    }
}

}  // namespace sim
