// NI-488.2 device calls over the VISA layer.
#include "platform/gpib/ni488.h"

#include <map>
#include <string>

#include "platform/state_reset.h"
#include "platform/visa/visa.h"

namespace gpib {
namespace {

struct Device {
    ViSession rm = 0, vi = 0;   // vi 0: nobody listens at the address
};

std::map<int, Device> devices;
int next_ud = 1;
int last_err = 0;
long last_cnt = 0;

int Fail(int err)
{
    last_err = err;
    return STATUS_ERR;
}

int ErrorOf(ViStatus st)
{
    if (st == VI_ERROR_TMO) return ERR_EABO;
    if (st == VI_ERROR_NLISTENERS || st == VI_ERROR_RSRC_NFOUND) return ERR_ENOL;
    return ERR_EDVR;
}

}  // namespace

unsigned TimeoutMs(int code)
{
    static const unsigned ms[] = {0, 1, 1, 1, 1, 1, 3, 10, 30, 100, 300, 1000, 3000, 10000, 30000, 100000, 300000, 1000000};
    return code >= 0 && code <= 17 ? ms[code] : 3000;
}

int ibdev(int board, int pad, int sad, int tmo, int send_eoi, int)
{
    last_cnt = 0;
    if (pad < 0 || pad > 30 || board < 0 || (sad != 0 && (sad < 96 || sad > 126))) {
        last_err = ERR_EARG;
        return -1;
    }
    Device d;
    if (viOpenDefaultRM(&d.rm) < 0) {
        last_err = ERR_EDVR;
        return -1;
    }
    std::string name = "GPIB" + std::to_string(board) + "::" + std::to_string(pad);
    if (sad) name += "::" + std::to_string(sad - 96);
    name += "::INSTR";
    const ViStatus st = viOpen(d.rm, name.c_str(), 0, 0, &d.vi);
    if (st < 0) {
        d.vi = 0;
        if (ErrorOf(st) != ERR_ENOL) {   // no driver, or the bus cannot be used
            viClose(d.rm);
            last_err = ERR_EDVR;
            return -1;
        }
    } else {
        viSetAttribute(d.vi, VI_ATTR_TMO_VALUE, TimeoutMs(tmo) ? TimeoutMs(tmo) : 0xFFFFFFFFu);
        viSetAttribute(d.vi, VI_ATTR_SEND_END_EN, send_eoi ? VI_TRUE : VI_FALSE);
    }
    const int ud = next_ud++;
    devices[ud] = d;
    last_err = 0;
    return ud;
}

int ibwrt(int ud, const void* data, long count)
{
    last_cnt = 0;
    auto it = devices.find(ud);
    if (it == devices.end()) return Fail(ERR_EARG);
    if (!it->second.vi) return Fail(ERR_ENOL);
    ViUInt32 n = 0;
    const ViStatus st = viWrite(it->second.vi, static_cast<ViConstBuf>(data), ViUInt32(count < 0 ? 0 : count), &n);
    last_cnt = long(n);
    if (st < 0) return Fail(ErrorOf(st));
    last_err = 0;
    return STATUS_CMPL;
}

int ibloc(int ud)
{
    auto it = devices.find(ud);
    if (it == devices.end()) return Fail(ERR_EARG);
    if (!it->second.vi) return Fail(ERR_ENOL);
    const ViStatus st = viGpibControlREN(it->second.vi, VI_GPIB_REN_ADDRESS_GTL);
    if (st < 0) return Fail(ErrorOf(st));
    last_err = 0;
    return STATUS_CMPL;
}

int ibonl(int ud, int online)
{
    auto it = devices.find(ud);
    if (it == devices.end()) return Fail(ERR_EARG);
    if (!online) {
        if (it->second.vi) viClose(it->second.vi);
        viClose(it->second.rm);
        devices.erase(it);
    }
    last_err = 0;
    return STATUS_CMPL;
}

int iberr() { return last_err; }
long ibcnt() { return last_cnt; }

void reset_ni488()
{
    for (auto& [ud, d] : devices) {
        if (d.vi) viClose(d.vi);
        viClose(d.rm);
    }
    devices.clear();
    next_ud = 1;
    last_err = 0;
    last_cnt = 0;
}
REGISTER_STATE_RESET(reset_ni488);

}  // namespace gpib
