// Opening, clearing, switching and closing analyser sessions.
#include <cstring>
#include <string>

#include "instrument/link.h"
#include "instrument/notify.h"
#include "instrument/pamx.h"
#include "platform/clock.h"
#include "platform/fmt.h"
#include "state/reset.h"

using namespace pamx;

ViInt16 cmdlanguage = 0;
const char* queryname[42] = {};

namespace {

const char* const query_table[42] = {
    "UAC?", "UCF?", "UDC?", "UTRMS?", "UFF?", "UMAX?", "UMIN?", "UPP?", "UREC?", "IAC?", "ICF?",
    "IDC?", "ITRMS?", "IFF?", "IMAX?", "IMIN?", "IPP?", "IREC?", "EP?", "ES?", "EI?", "EQ?",
    "FLDC?", "FLDX?", "FLLT?", "FLMO?", "FLST?", "FLTR?", "FSTR?", "FREQ?", "P?", "PM?", "SM?",
    "QM?", "S?", "PF?", "PHI?", "Q?", "HUHD?", "HIHD?", "CYCL?", "DIST?",
};

// "GPIB::5", "GPIB::5::INSTR" or "ASRL3::INSTR"; empty for another type.
std::string resource_name(ViInt16 interfaceType, ViInt16 address, ViInt16 port, bool instr_suffix)
{
    std::string r;
    if (interfaceType == 1) Fmt(r, instr_suffix ? "%s<GPIB::%i::INSTR" : "%s<GPIB::%i", address);
    else if (interfaceType == 0) Fmt(r, "%s<ASRL%i::INSTR", port);
    return r;
}

// Opens the resource manager and the session; on failure both are closed.
ViStatus open_session(const std::string& name, ViSession* rm, ViSession* vi)
{
    *vi = 0;
    ViStatus st = viOpenDefaultRM(rm);
    if (st < 0) return st;
    st = viOpen(*rm, name.c_str(), VI_NULL, VI_NULL, vi);
    if (st < 0) {
        viClose(*rm);
        *vi = 0;
    }
    return st;
}

// Applies attribute settings in order; the first failure is returned.
struct Setter {
    ViSession vi;
    ViStatus st = VI_SUCCESS;
    Setter& attr(ViAttr a, ViAttrState v)
    {
        if (st >= 0) st = viSetAttribute(vi, a, v);
        return *this;
    }
    Setter& buf(ViUInt16 mask, ViUInt32 size)
    {
        if (st >= 0) st = viSetBuf(vi, mask, size);
        return *this;
    }
};

// Serial line: baud rate, 8N1, termination character.
Setter& serial_line(Setter& s, ViInt32 baud)
{
    return s.attr(VI_ATTR_ASRL_BAUD, ViUInt32(baud))
        .attr(VI_ATTR_ASRL_DATA_BITS, 8)
        .attr(VI_ATTR_ASRL_PARITY, VI_ASRL_PAR_NONE)
        .attr(VI_ATTR_ASRL_STOP_BITS, VI_ASRL_STOP_ONE)
        .attr(VI_ATTR_TERMCHAR_EN, VI_TRUE)
        .attr(VI_ATTR_TERMCHAR, 10);
}

void close_both(ViSession rm, ViSession* vi)
{
    if (*vi) viClose(*vi);
    viClose(rm);
    *vi = 0;
}

// Line feed as termination character, END with each write, buffers flushed
// on every access.
Setter& line_end(Setter& s)
{
    return s.attr(VI_ATTR_TERMCHAR_EN, VI_TRUE)
        .attr(VI_ATTR_TERMCHAR, 10)
        .attr(VI_ATTR_SEND_END_EN, VI_TRUE)
        .attr(VI_ATTR_WR_BUF_OPER_MODE, VI_FLUSH_ON_ACCESS)
        .attr(VI_ATTR_RD_BUF_OPER_MODE, VI_FLUSH_ON_ACCESS);
}

// open_session, then a device clear on a GPIB link; on failure both are closed.
ViStatus open_cleared(const std::string& name, ViSession* rm, ViSession* vi)
{
    ViStatus st = open_session(name, rm, vi);
    if (st < 0) return st;
    if (LinkOf(*vi) == Link::Gpib) {
        st = viClear(*vi);
        if (st < 0) close_both(*rm, vi);
    }
    return st;
}

// Waits until the serial line's DTR is asserted, at most the session time-out.
ViStatus wait_dtr(ViSession vi)
{
    double bound = Timer() + SessionTimeout(vi) / 1000.0;
    for (;;) {
        ViInt16 state = VI_STATE_UNKNOWN;
        ViStatus st = viGetAttribute(vi, VI_ATTR_ASRL_DTR_STATE, &state);
        if (st < 0) return st;
        if (state == VI_STATE_ASSERTED) return VI_SUCCESS;
        if (Timer() >= bound) return VI_ERROR_TMO;
        ClockIoTick(true);
    }
}

}  // namespace

void qelPAMX_setup_arrays()
{
    for (int k = 0; k < 42; ++k) queryname[k] = query_table[k];
}

// The sessions and open flags (`id`, `pamaopen`) are reset with the channel tables.
void reset_pamx()
{
    cmdlanguage = 0;
    for (auto& q : queryname) q = nullptr;
    PAMX_diagnostic[0] = '\0';
}
REGISTER_STATE_RESET(reset_pamx);

ViStatus PAMX_initCleanUp(ViSession rm, ViSession* vi, ViStatus status)
{
    close_both(rm, vi);
    return status;
}

ViStatus CloseAll(ViSession rm, ViSession* vi, ViStatus status) { return PAMX_initCleanUp(rm, vi, status); }

ViStatus PAMX_DeviceClear(ViSession vi)
{
    ViStatus st;
    Link l = LinkOf(vi);
    if (l == Link::Serial) {
        static const unsigned char blank[2] = {' ', 0};
        ViUInt32 n = 0;
        st = viSetAttribute(vi, VI_ATTR_ASRL_BREAK_LEN, 100);
        if (st < 0) return st;
        st = viSetAttribute(vi, VI_ATTR_ASRL_END_OUT, VI_ASRL_END_BREAK);
        if (st < 0) return st;
        st = viWrite(vi, blank, 2, &n);
        if (st < 0) return st;
        st = viSetAttribute(vi, VI_ATTR_ASRL_END_OUT, VI_ASRL_END_NONE);
        if (st < 0) return st;
        cmdlanguage = 0;
    } else {
        st = viClear(vi);
        if (st < 0) return st;
    }
    Delay(2.0);
    if (l == Link::Serial) viFlush(vi, VI_ASRL_IN_BUF);
    viFlush(vi, VI_READ_BUF);
    return st;
}

ViStatus PAMX_reset(ViSession) { return VI_SUCCESS; }

ViStatus PAMX_initSYS(ViInt16 interfaceType, ViInt16 gpibAddress, ViInt16 comPort, ViInt32 baudRate, ViBoolean,
                      ViBoolean, ViSession* vi, ViInt16 handshake)
{
    ViSession rm = 0;
    ViStatus st = open_session(resource_name(interfaceType, gpibAddress, comPort, false), &rm, vi);
    if (st < 0) return st;
    bool serial = LinkOf(*vi) == Link::Serial;
    Setter s{*vi};
    s.attr(VI_ATTR_TMO_VALUE, 10000);
    if (serial) {
        serial_line(s, baudRate)
            .attr(VI_ATTR_ASRL_FLOW_CNTRL, handshake == 1 ? VI_ASRL_FLOW_RTS_CTS : VI_ASRL_FLOW_NONE)
            .buf(VI_ASRL_IN_BUF, 10000);
    }
    s.buf(VI_READ_BUF, 100000);
    line_end(s);
    if (s.st < 0) return PAMX_initCleanUp(rm, vi, s.st);
    if (PAMX_DeviceClear(*vi) < 0) {
        DriverMessage("Error", "Cannot clear device");
        return PAMX_initCleanUp(rm, vi, PAMX_CLEAR_FAILED);
    }
    viFlush(*vi, VI_READ_BUF_DISCARD);
    viSetAttribute(*vi, VI_ATTR_TMO_VALUE, 10000);
    // The leading line feed ends any partial command left in the analyser.
    st = PAMX_writeCmdwithOPCwait(*vi, "\n*RST;:SOUR:DIG:COND4 1;:SOUR:DIG:COND1 1;*OPC?\n");
    if (st < 0) return PAMX_initCleanUp(rm, vi, st);
    viSetAttribute(*vi, VI_ATTR_TMO_VALUE, 5000);
    qelPAMX_setup_arrays();
    return st;
}

ViStatus PAMX_init(ViInt16 interfaceType, ViInt16 gpibAddress, ViInt16 comPort, ViInt32 baudRate, ViBoolean,
                   ViBoolean, ViSession* vi, ViInt16)
{
    ViSession rm = 0;
    ViStatus st = open_session(resource_name(interfaceType, gpibAddress, comPort, false), &rm, vi);
    if (st < 0) return st;
    bool serial = LinkOf(*vi) == Link::Serial;
    Setter s{*vi};
    if (serial) {
        s.attr(VI_ATTR_TMO_VALUE, 5000);
        serial_line(s, baudRate).attr(VI_ATTR_ASRL_FLOW_CNTRL, VI_ASRL_FLOW_NONE).buf(VI_ASRL_IN_BUF, 100000);
    }
    s.buf(VI_READ_BUF, 100000)
        .attr(VI_ATTR_TERMCHAR_EN, VI_TRUE)
        .attr(VI_ATTR_TERMCHAR, 10)
        .attr(VI_ATTR_WR_BUF_OPER_MODE, VI_FLUSH_ON_ACCESS)
        .attr(VI_ATTR_RD_BUF_OPER_MODE, VI_FLUSH_DISABLE);
    if (s.st < 0) return PAMX_initCleanUp(rm, vi, s.st);
    if (serial) {
        st = wait_dtr(*vi);
        if (st < 0) return PAMX_initCleanUp(rm, vi, st);
    }
    if (PAMX_DeviceClear(*vi) < 0) {
        DriverMessage("Error", "Cannot clear device");
        return PAMX_initCleanUp(rm, vi, -1);
    }
    viSetAttribute(*vi, VI_ATTR_TMO_VALUE, 10000);
    static const char reset[] = "*RST;*OPC?\n";
    ViUInt32 n = 0;
    st = viWrite(*vi, reinterpret_cast<ViConstBuf>(reset), 11, &n);
    if (st < 0) return PAMX_initCleanUp(rm, vi, st);
    unsigned char answer[3] = {0, 0, 0};
    st = viRead(*vi, answer, 2, &n);
    int v = 0;
    char first[2] = {char(answer[0]), 0};
    if (n < 2 || Scan(first, "%s>%i", &v) != 1 || v != 1) return PAMX_initCleanUp(rm, vi, -1);
    qelPAMX_setup_arrays();
    return st;
}

ViStatus PAMX_Check(ViInt16 interfaceType, ViInt16 gpibAddress, ViInt16 comPort, ViInt32 baudRate,
                    ViBoolean idQuery, ViBoolean resetDevice, ViSession* vi, ViInt16 handshake)
{
    if (PAMX_invalidViInt16Range(interfaceType, 0, 1)) return PAMX_ERROR_PARAMETER1;
    if (PAMX_invalidViInt16Range(gpibAddress, 1, 30)) return PAMX_ERROR_PARAMETER2;
    if (PAMX_invalidViInt16Range(comPort, 1, 4)) return PAMX_ERROR_PARAMETER3;
    if (PAMX_invalidViInt32Range(baudRate, 1200, 115200)) return PAMX_ERROR_PARAMETER4;
    if (PAMX_invalidViBooleanRange(idQuery)) return PAMX_ERROR_PARAMETER2;
    if (PAMX_invalidViBooleanRange(resetDevice)) return PAMX_ERROR_PARAMETER3;

    ViSession rm = 0;
    ViStatus st = open_cleared(resource_name(interfaceType, gpibAddress, comPort, true), &rm, vi);
    if (st < 0) return st;
    Link l = LinkOf(*vi);
    Setter s{*vi};
    if (l == Link::Serial) {
        s.attr(VI_ATTR_ASRL_BAUD, ViUInt32(baudRate))
            .attr(VI_ATTR_ASRL_END_IN, VI_ASRL_END_TERMCHAR)
            .attr(VI_ATTR_ASRL_FLOW_CNTRL, handshake == 1 ? VI_ASRL_FLOW_RTS_CTS : VI_ASRL_FLOW_NONE);
    }
    s.attr(VI_ATTR_MAX_QUEUE_LENGTH, 1000)
        .attr(VI_ATTR_TMO_VALUE, 1000)
        .buf(VI_READ_BUF | VI_WRITE_BUF, 4096)
        .buf(VI_ASRL_IN_BUF, 4096);
    line_end(s);
    if (s.st < 0) return PAMX_initCleanUp(rm, vi, s.st);

    if (idQuery) {
        static const char* const accepted[] = {
            "QEL KORVEL Darezorovi Systems GmbH,PAM-A",
            "VOLTECH,PMi",
            "QEL KORVEL Darezorovi Systems GmbH,PAM-B",
        };
        bool identified = false;
        for (int attempt = 0; attempt < 4 && !identified; ++attempt) {
            ViUInt32 n = 0;
            st = viWrite(*vi, reinterpret_cast<ViConstBuf>("*IDN?\n"), 6, &n);
            if (st < 0) return PAMX_initCleanUp(rm, vi, st);
            Delay(1.0);
            if (PAMX_waitMAV(*vi, 500) < 0) continue;
            char answer[4097];
            st = viRead(*vi, reinterpret_cast<ViBuf>(answer), 4096, &n);
            if (st < 0) return PAMX_initCleanUp(rm, vi, st);
            answer[n] = '\0';
            for (const char* a : accepted)
                if (std::strncmp(answer, a, std::strlen(a)) == 0) identified = true;
            if (!identified) return PAMX_initCleanUp(rm, vi, PAMX_ERROR_FAIL_ID_QUERY);
        }
        if (!identified) return PAMX_initCleanUp(rm, vi, PAMX_ERROR_FAIL_ID_QUERY);
    }
    st = resetDevice ? PAMX_reset(*vi) : PAMX_defaultInstrSetup(*vi);
    if (st < 0) return PAMX_initCleanUp(rm, vi, st);
    qelPAMX_setup_arrays();
    return st;
}

ViStatus PreparePort(ViInt16 interfaceType, ViInt16 gpibAddress, ViInt16 comPort, ViInt32 baudRate, ViBoolean,
                     ViBoolean, ViSession* vi, ViInt16 handshake)
{
    ViSession rm = 0;
    ViStatus st = open_cleared(resource_name(interfaceType, gpibAddress, comPort, false), &rm, vi);
    if (st < 0) return st;
    Link l = LinkOf(*vi);
    Setter s{*vi};
    if (l == Link::Serial) {
        s.attr(VI_ATTR_ASRL_BAUD, ViUInt32(baudRate)).attr(VI_ATTR_ASRL_END_IN, VI_ASRL_END_TERMCHAR);
        if (handshake == 1) s.attr(VI_ATTR_ASRL_FLOW_CNTRL, VI_ASRL_FLOW_RTS_CTS);
    }
    s.attr(VI_ATTR_MAX_QUEUE_LENGTH, 4096)
        .attr(VI_ATTR_TMO_VALUE, 5000)
        .buf(VI_READ_BUF | VI_WRITE_BUF, 4096);
    line_end(s);
    if (s.st < 0) return CloseAll(rm, vi, s.st);
    return VI_SUCCESS;
}

ViStatus PAMX_changeLanguage(ViSession vi, ViInt16 language)
{
    if (language != 0 && language != 1) return PAMX_ERROR_PARAMETER1;
    cmdlanguage = language;
    return PAMX_writeCmdwithOPCwait(vi, language == 1 ? "SYST:LANG SHORT;*OPC?\n" : "LANG SCPI;*OPC?\n");
}

ViStatus PAMX_close(ViSession vi, ViBoolean keep)
{
    ViSession rm = 0;
    ViStatus st = viGetAttribute(vi, VI_ATTR_RM_SESSION, &rm);
    if (st < 0) return st;
    if (!keep) {
        Link l = LinkOf(vi);
        if (l == Link::Gpib) {
            ViUInt16 stb = 0;
            viReadSTB(vi, &stb);
        }
        bool failed = false;
        if (PAMX_DeviceClear(vi) < 0) {
            DriverMessage("Error", "Cannot clear device");
            failed = true;
        } else {
            if (l == Link::Serial) viSetAttribute(vi, VI_ATTR_ASRL_END_OUT, VI_ASRL_END_NONE);
            failed = PAMX_writeInstrData(vi, "CONT OFF;:GTL\n") < 0;
        }
        if (failed) {
            // The sessions are closed all the same: a session left open would
            // hold the port and could not be used again.
            viClose(vi);
            viClose(rm);
            return -1;
        }
    }
    st = viClose(vi);
    viClose(rm);
    return st;
}

ViStatus PAMX_MiniPC_init(ViInt16, ViInt32 baudRate)
{
    ViSession rm = 0, vi = 0;
    ViStatus st = open_session("ASRL1::INSTR", &rm, &vi);
    if (st < 0) return st;
    Setter s{vi};
    s.attr(VI_ATTR_ASRL_BAUD, ViUInt32(baudRate))
        .attr(VI_ATTR_ASRL_DATA_BITS, 8)
        .attr(VI_ATTR_ASRL_PARITY, VI_ASRL_PAR_NONE)
        .attr(VI_ATTR_ASRL_STOP_BITS, VI_ASRL_STOP_ONE)
        .attr(VI_ATTR_ASRL_FLOW_CNTRL, VI_ASRL_FLOW_RTS_CTS)
        .buf(VI_ASRL_IN_BUF | VI_ASRL_OUT_BUF, 512);
    if (s.st >= 0) s.st = PAMX_writeInstrData(vi, "*idn?\r");
    close_both(rm, &vi);
    return s.st < 0 ? s.st : VI_SUCCESS;
}
