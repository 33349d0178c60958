// Identification, self test, error queue and event-status queries.
#include <cstring>
#include <string>

#include "instrument/link.h"
#include "instrument/pamx.h"
#include "platform/fmt.h"

using namespace pamx;

namespace {

// Writes a query, waits for the answer within `wait_ms` and reads it.
ViStatus ask(ViSession vi, const char* query, double wait_ms, char* answer, size_t size)
{
    answer[0] = '\0';
    ViStatus st = PAMX_writeInstrData(vi, query);
    if (st < 0) return st;
    st = PAMX_waitMAV(vi, wait_ms);
    if (st < 0) return st;
    ViUInt32 n = 0;
    st = viRead(vi, reinterpret_cast<ViBuf>(answer), ViUInt32(size - 1), &n);
    answer[n] = '\0';
    return st;
}

// The k-th (0-based) comma-separated field; the last field runs to the line end.
std::string idn_field(const char* answer, int k, bool to_line_end)
{
    std::string a(answer);
    size_t pos = 0;
    for (int i = 0; i < k; ++i) {
        size_t c = a.find(',', pos);
        if (c == std::string::npos) return "";
        pos = c + 1;
    }
    size_t end = to_line_end ? a.find('\n', pos) : a.find_first_of(",\n", pos);
    std::string f = a.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (!f.empty() && f.back() == '\r') f.pop_back();
    return f;
}

void copy_out(ViChar* out, const std::string& s)
{
    size_t n = s.size() < 255 ? s.size() : 255;
    std::memcpy(out, s.data(), n);
    out[n] = '\0';
}

// Polls the status byte until the event summary bit (32 or more) or the bound.
ViStatus wait_event_summary(ViSession vi, double seconds)
{
    ViStatus st = PollStatusByte(vi, seconds, [](ViUInt16 stb) { return stb >= 32; });
    return st < 0 ? st : 0;
}

}  // namespace

ViStatus PAMX_selfTest(ViSession vi, ViInt16* result)
{
    char answer[256];
    ViStatus st = ask(vi, "*TST?\n", SessionTimeout(vi), answer, sizeof answer);
    if (st < 0) return st;
    int v = 0;
    if (Scan(answer, "%s>%i", &v) != 1) return PAMX_ERROR_INTERPRETING_RESPONSE;
    *result = ViInt16(v);
    return st;
}

ViStatus PAMX_errorQuery(ViSession vi, ViInt32* code, ViChar text[256])
{
    *code = 0;
    text[0] = '\0';
    ViUInt32 tmo = SessionTimeout(vi);
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, 10000);
    viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
    const char* q = cmdlanguage == 1 ? "ERRALL?\n" : ":SYST:ERR:ALL?\n";
    char answer[4097] = "";
    ViStatus st = PAMX_writeInstrData(vi, q);
    if (st >= 0) {
        ViUInt32 n = 0;
        st = viRead(vi, reinterpret_cast<ViBuf>(answer), 4096, &n);
        answer[n] = '\0';
    }
    (void)st;  // an I/O error of the query is tolerated; the answer says what is known
    int c = 0;
    Scan(answer, "%s>%i,%s[t10]", &c, ScanBuf{text, 256});
    *code = c;
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, tmo);
    return 0;
}

ViStatus PAMX_revisionQuery(ViSession vi, ViChar driverRev[256], ViChar instrRev[256])
{
    copy_out(driverRev, "Rev 2.0, 10/02, CVI 6.0");
    instrRev[0] = '\0';
    char answer[4097];
    ViStatus st = ask(vi, "*IDN?\n", SessionTimeout(vi), answer, sizeof answer);
    if (st < 0) return st;
    copy_out(instrRev, idn_field(answer, 3, true));
    return st;
}

ViStatus PAMX_InstrumentQuery(ViSession vi, ViChar model[256])
{
    model[0] = '\0';
    char answer[4097];
    ViStatus st = ask(vi, "*IDN?\n", SessionTimeout(vi), answer, sizeof answer);
    if (st < 0) return st;
    copy_out(model, idn_field(answer, 1, false));
    return st;
}

ViStatus PAMX_defaultInstrSetup(ViSession vi)
{
    Link l = LinkOf(vi);
    // The message ends with END; a serial line has no END, so there it ends
    // with a line feed instead of running into the next command.
    ViStatus st = PAMX_writeInstrData(vi, l == Link::Gpib ? "*CLS;*ESE 1;*SRE 0" : "*CLS;*ESE 1;*SRE 0\n");
    if (st < 0) return st;
    st = PAMX_writeInstrData(vi, "*OPC\n");
    if (st < 0) return st;
    if (!ByteCounted(l)) {
        st = wait_event_summary(vi, 1.0);
        if (st < 0) return st;
    }
    char answer[4097];
    st = ask(vi, "*ESR?\n", 500, answer, sizeof answer);
    return st < 0 ? st : VI_SUCCESS;
}

ViStatus PAMX_checkInstrStatus(ViSession vi)
{
    char answer[256];
    ViStatus st = ask(vi, "*ESR?\n", 500, answer, sizeof answer);
    if (st < 0) return st;
    int esr = 0;
    if (Scan(answer, "%s>%i", &esr) != 1) return PAMX_ERROR_INTERPRETING_RESPONSE;
    if (esr & 0x3C) return PAMX_ERROR_INSTR_STATUS;
    return 0;
}

ViStatus PAMX_waitOpc(ViSession vi, ViReal64 seconds)
{
    if (ByteCounted(LinkOf(vi))) return 0;
    ViStatus st = PAMX_writeInstrData(vi, "*OPC\n");
    if (st < 0) return st;
    return wait_event_summary(vi, seconds);
}

ViStatus PAMX_clearOpc(ViSession vi)
{
    char answer[4097];
    return ask(vi, "*ESR?\n", 500, answer, sizeof answer);
}
