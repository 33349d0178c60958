#include "app/config_show.h"
#include "state/para_text.h"

#include "platform/fmt.h"

#include <cstring>

namespace {

const char* const kPhase[3] = {"L1", "L2", "L3"};
const char* const kAnalyser[3] = {"analyser 1:", "analyser 2:", "analyser 3:"};
const char* const kTestData[7] = {"name", "department", "company", "device", "manufacturer", "type",
                                  "serial number"};

void Line(std::string& out, const char* name, const std::string& value)
{
    Fmt(out, "%s[a]<%s[w26] %s\n", name, value);
}

std::string Int(int32_t v)
{
    std::string s;
    Fmt(s, "%s<%i", v);
    return s;
}

std::string Real(float v)
{
    std::string s;
    Fmt(s, "%s<%f", double(v));
    return s;
}

// A fixed-length text, quoted; bytes that are not printable ASCII as \xNN.
std::string Text(const char* field, size_t size)
{
    std::string s = "\"";
    size_t n = FixedLen(field, size);
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = (unsigned char)field[i];
        if (c == '"' || c == '\\') { s += '\\'; s += char(c); }
        else if (c >= 32 && c < 127) s += char(c);
        else Fmt(s, "%s[a]<\\x%x[w2p0]", int(c));
    }
    s += '"';
    if (n == size) s += " (no terminating zero)";
    return s;
}
template <size_t N>
std::string Text(const char (&field)[N]) { return Text(field, N); }

std::string Reserved(const uint8_t* bytes, size_t size)
{
    bool zero = true;
    for (size_t i = 0; i < size; ++i) zero = zero && bytes[i] == 0;
    std::string s;
    if (zero) {
        Fmt(s, "%s<zero (%i bytes)", (long long)size);
        return s;
    }
    for (size_t i = 0; i < size; ++i) Fmt(s, "%s[a]<%s%x[w2p0]", i ? " " : "", int(bytes[i]));
    return s;
}

template <class T, class F>
std::string PerPhase(const T (&v)[3], F conv, const char* const* labels = kPhase)
{
    std::string s;
    for (int p = 0; p < 3; ++p) Fmt(s, "%s[a]<%s%s %s", p ? "   " : "", labels[p], conv(v[p]));
    return s;
}

std::string Analyser(int32_t a)
{
    switch (a) {
    case 0: return "0 (three PAM-A, one per phase)";
    case 1: return "1 (one PAM-C)";
    case 2: return "2 (one PAM-B)";
    case 4: return "4 (one PAM-A)";
    default: return Int(a) + " (unknown)";
    }
}

std::string Standard(int32_t s)
{
    if (!*HarmonicStandardText(s)) return Int(s) + " (unknown)";
    std::string t;
    Fmt(t, "%s<%i (limits %s, measuring method %s, grouping %s)", s, HarmonicStandardText(s),
        MeasuringMethodText(s), GroupingText(s));
    return t;
}

std::string Class(const Para& r)
{
    const char* text = ClassText(r.h_class);
    if (!*text) return Int(r.h_class) + " (unknown)";
    std::string t;
    if (r.h_class >= 5) Fmt(t, "%s<%i (protocol text \"%s\" followed by rsce %f)", r.h_class, text, double(r.rsce));
    else Fmt(t, "%s<%i (protocol text \"%s\")", r.h_class, text);
    return t;
}

std::string Seconds(int32_t s)
{
    std::string t;
    int32_t a = s < 0 ? 0 : s;
    Fmt(t, "%s<%i s (%i[w2p0]:%i[w2p0]:%i[w2p0])", s, a / 3600, (a / 60) % 60, a % 60);
    return t;
}

std::string Flag(int32_t v, const char* on, const char* off)
{
    return Int(v) + " (" + (v ? on : off) + ")";
}

}  // namespace

std::string ShowConfig(const Para& r)
{
    std::string o;
    auto I = [](int32_t v) { return Int(v); };
    auto R = [](float v) { return Real(v); };
    auto T = [](const char* field, size_t n) { return Text(field, n); };

    o += "Interface\n";
    Line(o, "if_gpib", Flag(r.if_gpib, "GPIB", "RS-232"));
    Line(o, "baudrate", Int(r.baudrate));
    Line(o, "com_port", Int(r.com_port));
    Line(o, "gpib_address", PerPhase(r.gpib_address, I, kAnalyser));
    Line(o, "reserved 24..39", Reserved(r.reserved1, sizeof r.reserved1));

    o += "Test\n";
    Line(o, "test_kind", Int(r.test_kind) + (r.test_kind == 0 ? " (harmonic currents)"
                                             : r.test_kind == 1 ? " (flicker)" : " (unknown)"));
    Line(o, "h_hours", Int(r.h_hours));
    Line(o, "h_minutes", Int(r.h_minutes));
    Line(o, "h_seconds", Int(r.h_seconds));
    Line(o, "h_standard", Standard(r.h_standard));
    Line(o, "h_class", Class(r));
    Line(o, "smoothing", Flag(r.smoothing, "on", "off"));
    Line(o, "h_mode", Int(r.h_mode));
    Line(o, "sys_code", Int(r.sys_code));
    Line(o, "meas_time", Seconds(r.meas_time));
    Line(o, "user_stopped", Int(r.user_stopped));
    Line(o, "custom_limits", Flag(r.custom_limits, "user limit table", "standard limits"));
    Line(o, "rsce", Real(r.rsce));
    Line(o, "rsce_recommended", Real(r.rsce_recommended));
    Line(o, "frame_window", Int(r.frame_window));
    Line(o, "first_frame", Int(r.first_frame));
    Line(o, "last_frame", Int(r.last_frame));
    Line(o, "ctrl_power", PerPhase(r.ctrl_power, R));
    Line(o, "ctrl_pf", PerPhase(r.ctrl_pf, R));
    Line(o, "ctrl_current", PerPhase(r.ctrl_current, R));

    o += "Flicker\n";
    Line(o, "fl_standard", Text(r.fl_standard));
    Line(o, "fl_periods", Int(r.fl_periods));
    Line(o, "fl_hours", Int(r.fl_hours));
    Line(o, "fl_minutes", Int(r.fl_minutes));
    Line(o, "fl_seconds", Int(r.fl_seconds));
    Line(o, "dmax_limit", Real(r.dmax_limit) + " %");
    Line(o, "dc_limit", Real(r.dc_limit) + " %");
    Line(o, "dt_limit", Real(r.dt_limit) + " %");
    Line(o, "dt_time", Int(r.dt_time) + " ms");
    Line(o, "switching", Int(r.switching));
    Line(o, "switch_interval", Int(r.switch_interval) + " s");
    Line(o, "switch_aux", Int(r.switch_aux));
    Line(o, "z_test", Real(r.z_test) + " Ohm");
    Line(o, "z_ref", Int(r.z_ref) + (r.z_ref ? " (0,4+j0,25 Ohm)" : " (0,24+j0,15 Ohm)"));

    o += "Analysers and ranges\n";
    Line(o, "analyser", Analyser(r.analyser));
    Line(o, "phases", Int(r.phases));
    Line(o, "i_range", PerPhase(r.i_range, R));
    Line(o, "u_range", PerPhase(r.u_range, R));
    Line(o, "i_scale", PerPhase(r.i_scale, R));
    Line(o, "u_scale", PerPhase(r.u_scale, R));
    Line(o, "ext_sensor", PerPhase(r.ext_sensor, I));
    Line(o, "ext_sensor_value", PerPhase(r.ext_sensor_value, R));
    for (int a = 0; a < 3; ++a) {
        std::string n;
        Fmt(n, "%s<model[%i]", a);
        Line(o, n.c_str(), T(r.model[a], sizeof r.model[a]));
        Fmt(n, "%s<serial_no[%i]", a);
        Line(o, n.c_str(), T(r.serial_no[a], sizeof r.serial_no[a]));
        Fmt(n, "%s<revision[%i]", a);
        Line(o, n.c_str(), T(r.revision[a], sizeof r.revision[a]));
    }
    Line(o, "sw_version", Text(r.sw_version));

    o += "Analog inputs (per analyser)\n";
    Line(o, "ai_on", PerPhase(r.ai_on, I, kAnalyser));
    for (int in = 0; in < 4; ++in) {
        std::string n;
        Fmt(n, "%s<ai_name[%i]", in);
        Line(o, n.c_str(), T(r.ai_name[in], sizeof r.ai_name[in]));
        Fmt(n, "%s<ai_low[%i]", in);
        Line(o, n.c_str(), PerPhase(r.ai_low[in], R, kAnalyser));
        Fmt(n, "%s<ai_high[%i]", in);
        Line(o, n.c_str(), PerPhase(r.ai_high[in], R, kAnalyser));
    }

    o += "Protocol\n";
    for (int i = 0; i < 7; ++i) {
        std::string n;
        Fmt(n, "%s<test_data[%i] %s", i, kTestData[i]);
        Line(o, n.c_str(), T(r.test_data[i], sizeof r.test_data[i]));
    }
    for (int i = 0; i < 7; ++i) {
        std::string n;
        Fmt(n, "%s<comment[%i]", i);
        Line(o, n.c_str(), T(r.comment[i], sizeof r.comment[i]));
    }
    Line(o, "printer_port", Text(r.printer_port));
    Line(o, "log_file", Text(r.log_file));
    Line(o, "logo_file", Text(r.logo_file));
    Line(o, "reserved 2276..2279", Reserved(r.reserved2, sizeof r.reserved2));
    return o;
}

void MakeSampleConfig(Para& r)
{
    std::memset(&r, 0, sizeof r);
    r.if_gpib = 1;
    r.baudrate = 9600;
    r.com_port = 1;
    for (int p = 0; p < 3; ++p) r.gpib_address[p] = 5 + p;
    r.test_kind = 0;
    r.h_hours = 0;
    r.h_minutes = 2;
    r.h_seconds = 30;
    r.meas_time = 150;
    r.h_standard = 3;          // EN61000-3-2:2006 measured per EN61000-4-7:2002
    r.h_class = 0;             // class A
    r.smoothing = 1;
    r.h_mode = 1;
    r.rsce = 33.0f;
    r.analyser = 0;
    r.phases = 3;
    for (int p = 0; p < 3; ++p) {
        // ranges the PAM-A lists offer, so the page shows what the file says
        r.i_range[p] = 20.0f;
        r.u_range[p] = 250.0f;
        r.i_scale[p] = 1.0f;
        r.u_scale[p] = 1.0f;
        r.ctrl_power[p] = 0.0f;
        r.ctrl_pf[p] = 1.0f;
        r.ctrl_current[p] = 0.0f;
    }
    r.fl_periods = 12;
    r.fl_minutes = 10;
    r.fl_seconds = 0;
    r.dmax_limit = 4.0f;
    r.dc_limit = 3.3f;
    r.dt_limit = 3.3f;
    r.dt_time = 500;
    CopyFixed(r.fl_standard, "EN61000-3-3 A1");
    r.z_test = 0.4f;
    r.z_ref = 1;
    r.switch_interval = 60;
    const char* data[7] = {"J. Weber", "EMC lab", "Orivan Test GmbH", "Power supply PS-400",
                           "Example Electronics", "PS-400/230", "SN 2026-0042"};
    for (int i = 0; i < 7; ++i) CopyFixed(r.test_data[i], data[i]);
    CopyFixed(r.comment[0], "Sample set-up written by orivan-cli.");
    CopyFixed(r.comment[1], "EUT at rated load, mains 230 V / 50 Hz.");
    CopyFixed(r.printer_port, "LPT1");
    CopyFixed(r.sw_version, "3.0");
    CopyFixed(r.log_file, "logging.qel");
    DefaultAnalogInputs(r);
}
