// Sessions, attributes, time-outs and termination characters: the part of
// VISA that is the same for every back-end.
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/visa/backend.h"
#include "platform/visa/ports.h"
#include "platform/visa/vendor.h"
#include "platform/visa/visa.h"
#include "platform/state_reset.h"

namespace visa {
namespace {

struct Session {
    bool is_rm = false;
    ViSession rm = 0;
    std::string name;
    Resource res;
    std::unique_ptr<RawBackend> be;
    uint32_t tmo = 2000;
    uint8_t termchar = 10;
    bool termchar_en = false;
    bool send_end = true;
    uint16_t rd_mode = VI_FLUSH_DISABLE;
    uint16_t wr_mode = VI_FLUSH_WHEN_FULL;
    uint32_t rd_buf_size = 4096;
    uint32_t wr_buf_size = 4096;
    uint32_t in_buf_size = 4096;
    uint32_t max_queue = 50;
    SerialSettings serial;
    uint16_t end_in = VI_ASRL_END_TERMCHAR;
    uint16_t end_out = VI_ASRL_END_NONE;
    int16_t break_len = 250;
};

std::map<ViSession, std::unique_ptr<Session>> sessions;
ViSession next_id = 0x1000;
SimulatorFactory simulator;
bool simulate = false;

Session* find(ViObject vi)
{
    auto it = sessions.find(vi);
    return it == sessions.end() ? nullptr : it->second.get();
}

Session* instr(ViObject vi)
{
    Session* s = find(vi);
    return s && !s->is_rm ? s : nullptr;
}

bool serial(const Session* s) { return s->be->intf_type() == VI_INTF_ASRL; }

double deadline_of(uint32_t tmo)
{
    if (tmo == VI_TMO_INFINITE) return 1e300;
    return Timer() + tmo / 1000.0;
}

ViStatus read_raw(Session* s, ViBuf buf, ViUInt32 count, ViUInt32* retCount)
{
    ReadRules rules;
    bool by_termchar = s->termchar_en || (serial(s) && s->end_in == VI_ASRL_END_TERMCHAR);
    if (by_termchar) rules.termchar = s->termchar;
    rules.deadline = deadline_of(s->tmo);
    ReadResult r = s->be->read(buf, count, rules);
    ClockIoTick(false);
    if (retCount) *retCount = ViUInt32(r.count);
    if (r.status < 0) return r.status;
    switch (r.end) {
    case ReadEnd::TermChar: return s->termchar_en ? VI_SUCCESS_TERM_CHAR : VI_SUCCESS;
    case ReadEnd::MaxCount: return VI_SUCCESS_MAX_CNT;
    case ReadEnd::Timeout: return VI_ERROR_TMO;
    default: return VI_SUCCESS;
    }
}

ViStatus open_backend(const Resource& r, uint32_t tmo, std::unique_ptr<RawBackend>* be)
{
    bool to_sim = r.sim || (simulate && (r.kind == Resource::Gpib || r.kind == Resource::Asrl));
    if (to_sim) {
        if (!simulator) return VI_ERROR_RSRC_NFOUND;
        return simulator(r, be);
    }
    switch (r.kind) {
    case Resource::Asrl: {
        // A serial port mapped to a socket: a serial device server, or pam-sim --tcp.
        Resource socket;
        const std::string mapped = SerialDevicePath(r.number);
        if (mapped.rfind("TCPIP", 0) == 0 && ParseResource(mapped.c_str(), &socket) &&
            socket.kind == Resource::Tcpip)
            return OpenTcpBackend(socket, tmo, be);
        return OpenSerialBackend(r, be);
    }
    case Resource::Gpib: return VendorVisaConfigured() ? OpenVendorBackend(r, be) : OpenGpibBackend(r, be);
    case Resource::Tcpip: return OpenTcpBackend(r, tmo, be);
    default: return VI_ERROR_INV_RSRC_NAME;
    }
}

}  // namespace

void SetSimulatorFactory(SimulatorFactory f) { simulator = std::move(f); }
void SetSimulate(bool on) { simulate = on; }
bool Simulating() { return simulate; }

void reset_visa()
{
    sessions.clear();
    simulate = false;
}
REGISTER_STATE_RESET(reset_visa);

}  // namespace visa

using namespace visa;

ViStatus viOpenDefaultRM(ViSession* rm)
{
    if (!rm) return VI_ERROR_INV_PARAMETER;
    auto s = std::make_unique<Session>();
    s->is_rm = true;
    ViSession id = next_id++;
    sessions[id] = std::move(s);
    *rm = id;
    return VI_SUCCESS;
}

ViStatus viOpen(ViSession rm, ViConstRsrc name, ViAccessMode, ViUInt32 openTimeout, ViSession* vi)
{
    if (vi) *vi = 0;
    Session* r = find(rm);
    if (!r || !r->is_rm) return VI_ERROR_INV_OBJECT;
    if (!vi) return VI_ERROR_INV_PARAMETER;
    Resource res;
    if (!ParseResource(name, &res)) return VI_ERROR_INV_RSRC_NAME;
    auto s = std::make_unique<Session>();
    s->rm = rm;
    s->res = res;
    s->name = res.canonical;
    ViStatus st = open_backend(res, openTimeout ? openTimeout : s->tmo, &s->be);
    ClockIoTick(false);
    if (st < 0) return st;
    if (!s->be) return VI_ERROR_SYSTEM_ERROR;
    s->be->set_timeout(s->tmo);
    if (s->be->intf_type() == VI_INTF_ASRL) s->be->set_serial(s->serial);
    ViSession id = next_id++;
    sessions[id] = std::move(s);
    *vi = id;
    return VI_SUCCESS;
}

ViStatus viClose(ViObject vi)
{
    Session* s = find(vi);
    if (!s) return VI_ERROR_INV_OBJECT;
    if (s->is_rm) {
        for (auto it = sessions.begin(); it != sessions.end();) {
            if (!it->second->is_rm && it->second->rm == vi) it = sessions.erase(it);
            else ++it;
        }
    }
    sessions.erase(vi);
    return VI_SUCCESS;
}

ViStatus viSetAttribute(ViObject vi, ViAttr attr, ViAttrState v)
{
    Session* s = instr(vi);
    if (!s) return find(vi) ? VI_ERROR_NSUP_ATTR : VI_ERROR_INV_OBJECT;
    bool asrl = serial(s);
    switch (attr) {
    case VI_ATTR_TMO_VALUE:
        s->tmo = uint32_t(v);
        return s->be->set_timeout(s->tmo);
    case VI_ATTR_TERMCHAR:
        if (v > 0xFF) return VI_ERROR_NSUP_ATTR_STATE;
        s->termchar = uint8_t(v);
        return VI_SUCCESS;
    case VI_ATTR_TERMCHAR_EN:
        if (v > 1) return VI_ERROR_NSUP_ATTR_STATE;
        s->termchar_en = v != 0;
        return VI_SUCCESS;
    case VI_ATTR_SEND_END_EN:
        if (v > 1) return VI_ERROR_NSUP_ATTR_STATE;
        s->send_end = v != 0;
        return VI_SUCCESS;
    case VI_ATTR_RD_BUF_OPER_MODE:
        if (v != VI_FLUSH_ON_ACCESS && v != VI_FLUSH_DISABLE) return VI_ERROR_NSUP_ATTR_STATE;
        s->rd_mode = uint16_t(v);
        return VI_SUCCESS;
    case VI_ATTR_WR_BUF_OPER_MODE:
        if (v != VI_FLUSH_ON_ACCESS && v != VI_FLUSH_WHEN_FULL) return VI_ERROR_NSUP_ATTR_STATE;
        s->wr_mode = uint16_t(v);
        return VI_SUCCESS;
    case VI_ATTR_MAX_QUEUE_LENGTH:
        if (v < 1 || v > 0xFFFFFFFFu) return VI_ERROR_NSUP_ATTR_STATE;
        s->max_queue = uint32_t(v);
        return VI_SUCCESS;
    case VI_ATTR_ASRL_BAUD:
    case VI_ATTR_ASRL_DATA_BITS:
    case VI_ATTR_ASRL_PARITY:
    case VI_ATTR_ASRL_STOP_BITS:
    case VI_ATTR_ASRL_FLOW_CNTRL: {
        if (!asrl) return VI_ERROR_NSUP_ATTR;
        SerialSettings n = s->serial;
        if (attr == VI_ATTR_ASRL_BAUD) n.baud = uint32_t(v);
        if (attr == VI_ATTR_ASRL_DATA_BITS) {
            if (v < 5 || v > 8) return VI_ERROR_NSUP_ATTR_STATE;
            n.data_bits = int(v);
        }
        if (attr == VI_ATTR_ASRL_PARITY) {
            if (v > VI_ASRL_PAR_EVEN) return VI_ERROR_NSUP_ATTR_STATE;
            n.parity = int(v);
        }
        if (attr == VI_ATTR_ASRL_STOP_BITS) {
            if (v != VI_ASRL_STOP_ONE && v != VI_ASRL_STOP_TWO) return VI_ERROR_NSUP_ATTR_STATE;
            n.stop_bits = int(v);
        }
        if (attr == VI_ATTR_ASRL_FLOW_CNTRL) {
            if (v > VI_ASRL_FLOW_RTS_CTS) return VI_ERROR_NSUP_ATTR_STATE;
            n.flow = int(v);
        }
        ViStatus st = s->be->set_serial(n);
        if (st >= 0) s->serial = n;
        return st;
    }
    case VI_ATTR_ASRL_END_IN:
        if (!asrl) return VI_ERROR_NSUP_ATTR;
        if (v != VI_ASRL_END_NONE && v != VI_ASRL_END_TERMCHAR) return VI_ERROR_NSUP_ATTR_STATE;
        s->end_in = uint16_t(v);
        return VI_SUCCESS;
    case VI_ATTR_ASRL_END_OUT:
        if (!asrl) return VI_ERROR_NSUP_ATTR;
        if (v != VI_ASRL_END_NONE && v != VI_ASRL_END_BREAK) return VI_ERROR_NSUP_ATTR_STATE;
        s->end_out = uint16_t(v);
        return VI_SUCCESS;
    case VI_ATTR_ASRL_BREAK_LEN:
        if (!asrl) return VI_ERROR_NSUP_ATTR;
        if (v < 1 || v > 500) return VI_ERROR_NSUP_ATTR_STATE;
        s->break_len = int16_t(v);
        return VI_SUCCESS;
    case VI_ATTR_ASRL_AVAIL_NUM:
    case VI_ATTR_ASRL_DTR_STATE:
    case VI_ATTR_INTF_TYPE:
    case VI_ATTR_RSRC_NAME:
    case VI_ATTR_RM_SESSION:
        return VI_ERROR_ATTR_READONLY;
    default:
        return VI_ERROR_NSUP_ATTR;
    }
}

ViStatus viGetAttribute(ViObject vi, ViAttr attr, void* out)
{
    Session* s = find(vi);
    if (!s) return VI_ERROR_INV_OBJECT;
    if (!out) return VI_ERROR_INV_PARAMETER;
    auto u32 = [&](uint32_t v) { std::memcpy(out, &v, 4); return VI_SUCCESS; };
    auto u16 = [&](uint16_t v) { std::memcpy(out, &v, 2); return VI_SUCCESS; };
    if (s->is_rm) {
        if (attr == VI_ATTR_RM_SESSION) return u32(vi);
        if (attr == VI_ATTR_TMO_VALUE) return u32(s->tmo);
        return VI_ERROR_NSUP_ATTR;
    }
    bool asrl = serial(s);
    bool stream = asrl || s->be->intf_type() == VI_INTF_TCPIP;
    switch (attr) {
    case VI_ATTR_TMO_VALUE: return u32(s->tmo);
    case VI_ATTR_TERMCHAR: std::memcpy(out, &s->termchar, 1); return VI_SUCCESS;
    case VI_ATTR_TERMCHAR_EN: return u16(s->termchar_en);
    case VI_ATTR_SEND_END_EN: return u16(s->send_end);
    case VI_ATTR_RD_BUF_OPER_MODE: return u16(s->rd_mode);
    case VI_ATTR_WR_BUF_OPER_MODE: return u16(s->wr_mode);
    case VI_ATTR_MAX_QUEUE_LENGTH: return u32(s->max_queue);
    case VI_ATTR_INTF_TYPE: return u16(uint16_t(s->be->intf_type()));
    case VI_ATTR_RM_SESSION: return u32(s->rm);
    case VI_ATTR_RSRC_NAME: {
        size_t n = s->name.size() < 255 ? s->name.size() : 255;
        std::memcpy(out, s->name.data(), n);
        static_cast<char*>(out)[n] = '\0';
        return VI_SUCCESS;
    }
    case VI_ATTR_ASRL_AVAIL_NUM: {
        // Socket sessions answer it too: bytes received and not yet read.
        if (!stream) return VI_ERROR_NSUP_ATTR;
        uint32_t n = 0;
        ViStatus st = s->be->bytes_available(&n);
        ClockIoTick(n == 0);
        if (st < 0) return st;
        return u32(n);
    }
    default: break;
    }
    if (!asrl) return VI_ERROR_NSUP_ATTR;
    switch (attr) {
    case VI_ATTR_ASRL_BAUD: return u32(s->serial.baud);
    case VI_ATTR_ASRL_DATA_BITS: return u16(uint16_t(s->serial.data_bits));
    case VI_ATTR_ASRL_PARITY: return u16(uint16_t(s->serial.parity));
    case VI_ATTR_ASRL_STOP_BITS: return u16(uint16_t(s->serial.stop_bits));
    case VI_ATTR_ASRL_FLOW_CNTRL: return u16(uint16_t(s->serial.flow));
    case VI_ATTR_ASRL_END_IN: return u16(s->end_in);
    case VI_ATTR_ASRL_END_OUT: return u16(s->end_out);
    case VI_ATTR_ASRL_BREAK_LEN: std::memcpy(out, &s->break_len, 2); return VI_SUCCESS;
    case VI_ATTR_ASRL_DTR_STATE: {
        int state = VI_STATE_UNKNOWN;
        ViStatus st = s->be->dtr_state(&state);
        ClockIoTick(false);
        if (st < 0) return st;
        int16_t v = int16_t(state);
        std::memcpy(out, &v, 2);
        return VI_SUCCESS;
    }
    default: return VI_ERROR_NSUP_ATTR;
    }
}

ViStatus viSetBuf(ViSession vi, ViUInt16 mask, ViUInt32 size)
{
    Session* s = instr(vi);
    if (!s) return VI_ERROR_INV_OBJECT;
    if (mask == 0 || (mask & ~(VI_READ_BUF | VI_WRITE_BUF | VI_IO_IN_BUF | VI_IO_OUT_BUF))) return VI_ERROR_INV_MASK;
    if (mask & VI_READ_BUF) s->rd_buf_size = size;
    if (mask & VI_WRITE_BUF) s->wr_buf_size = size;
    if (mask & VI_IO_IN_BUF) s->in_buf_size = size;
    return VI_SUCCESS;
}

ViStatus viFlush(ViSession vi, ViUInt16 mask)
{
    Session* s = instr(vi);
    if (!s) return VI_ERROR_INV_OBJECT;
    if (mask == 0 || (mask & 0xFF00)) return VI_ERROR_INV_MASK;
    // The formatted buffers are never filled ahead (there is no viScanf/
    // viPrintf), so flushing them has nothing to do; the serial/socket input
    // buffers hold what the line delivered and are discarded here.
    ViStatus st = VI_SUCCESS;
    if (mask & (VI_IO_IN_BUF | VI_IO_IN_BUF_DISCARD)) st = s->be->discard_input();
    ClockIoTick(false);
    return st;
}

ViStatus viClear(ViSession vi)
{
    Session* s = instr(vi);
    if (!s) return VI_ERROR_INV_OBJECT;
    ViStatus st = s->be->clear();
    ClockIoTick(false);
    return st;
}

ViStatus viGpibControlREN(ViSession vi, ViUInt16 mode)
{
    Session* s = instr(vi);
    if (!s) return VI_ERROR_INV_OBJECT;
    if (s->be->intf_type() != VI_INTF_GPIB || mode != VI_GPIB_REN_ADDRESS_GTL) return VI_ERROR_NSUP_OPER;
    ViStatus st = s->be->go_to_local();
    ClockIoTick(false);
    return st;
}

ViStatus viReadSTB(ViSession vi, ViUInt16* status)
{
    Session* s = instr(vi);
    if (!s) return VI_ERROR_INV_OBJECT;
    if (!status) return VI_ERROR_INV_PARAMETER;
    uint16_t v = 0;
    ViStatus st = s->be->read_stb(&v);
    ClockIoTick(false);
    *status = v;
    return st;
}

ViStatus viWrite(ViSession vi, ViConstBuf buf, ViUInt32 count, ViUInt32* retCount)
{
    if (retCount) *retCount = 0;
    Session* s = instr(vi);
    if (!s) return VI_ERROR_INV_OBJECT;
    if (!buf && count) return VI_ERROR_INV_PARAMETER;
    size_t written = 0;
    ViStatus st = s->be->write(buf, count, s->send_end, &written);
    if (retCount) *retCount = ViUInt32(written);
    if (st >= 0 && serial(s) && s->end_out == VI_ASRL_END_BREAK) st = s->be->send_break(uint32_t(s->break_len));
    ClockIoTick(false);
    return st;
}

ViStatus viRead(ViSession vi, ViBuf buf, ViUInt32 count, ViUInt32* retCount)
{
    if (retCount) *retCount = 0;
    Session* s = instr(vi);
    if (!s) return VI_ERROR_INV_OBJECT;
    if (!buf && count) return VI_ERROR_INV_PARAMETER;
    return read_raw(s, buf, count, retCount);
}

ViStatus viBufRead(ViSession vi, ViBuf buf, ViUInt32 count, ViUInt32* retCount)
{
    // Without formatted reads nothing is read ahead into the buffer, so a
    // buffered read delivers exactly what an unbuffered one would.
    return viRead(vi, buf, count, retCount);
}
