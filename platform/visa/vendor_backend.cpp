// GPIB through a vendor VISA library loaded at run time (when its path is
// configured): the library's own sessions behind our raw interface.
#include <dlfcn.h>

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/visa/backend.h"
#include "platform/visa/vendor.h"

namespace visa {
namespace {

struct VendorLib {
    ViStatus (*openRM)(ViSession*);
    ViStatus (*open)(ViSession, ViConstRsrc, ViAccessMode, ViUInt32, ViSession*);
    ViStatus (*close)(ViObject);
    ViStatus (*setAttr)(ViObject, ViAttr, ViAttrState);
    ViStatus (*write)(ViSession, ViConstBuf, ViUInt32, ViUInt32*);
    ViStatus (*read)(ViSession, ViBuf, ViUInt32, ViUInt32*);
    ViStatus (*clear)(ViSession);
    ViStatus (*readSTB)(ViSession, ViUInt16*);
};

std::string lib_path;
void* handle = nullptr;
VendorLib lib{};

template <class F>
bool sym(const char* name, F* f)
{
    *f = reinterpret_cast<F>(dlsym(handle, name));
    return *f != nullptr;
}

const VendorLib* load()
{
    if (handle) return &lib;
    if (lib_path.empty()) return nullptr;
    handle = dlopen(lib_path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    bool ok = sym("viOpenDefaultRM", &lib.openRM) && sym("viOpen", &lib.open) && sym("viClose", &lib.close) &&
              sym("viSetAttribute", &lib.setAttr) && sym("viWrite", &lib.write) && sym("viRead", &lib.read) &&
              sym("viClear", &lib.clear) && sym("viReadSTB", &lib.readSTB);
    if (!ok) {
        dlclose(handle);
        handle = nullptr;
        return nullptr;
    }
    return &lib;
}

class VendorBackend : public RawBackend {
public:
    VendorBackend(const VendorLib* v, ViSession rm, ViSession vi) : v_(v), rm_(rm), vi_(vi) {}
    ~VendorBackend() override
    {
        v_->close(vi_);
        v_->close(rm_);
    }

    int intf_type() const override { return VI_INTF_GPIB; }

    ViStatus set_timeout(uint32_t ms) override { return v_->setAttr(vi_, VI_ATTR_TMO_VALUE, ms); }

    ViStatus write(const uint8_t* data, size_t n, bool end, size_t* written) override
    {
        if (end != send_end_) {
            v_->setAttr(vi_, VI_ATTR_SEND_END_EN, end ? VI_TRUE : VI_FALSE);
            send_end_ = end;
        }
        ViUInt32 w = 0;
        ViStatus st = v_->write(vi_, data, ViUInt32(n), &w);
        *written = w;
        return st;
    }

    ReadResult read(uint8_t* buf, size_t n, const ReadRules& rules) override
    {
        ReadResult r;
        if (rules.termchar != termchar_) {
            if (rules.termchar >= 0) v_->setAttr(vi_, VI_ATTR_TERMCHAR, ViAttrState(rules.termchar));
            v_->setAttr(vi_, VI_ATTR_TERMCHAR_EN, rules.termchar >= 0 ? VI_TRUE : VI_FALSE);
            termchar_ = rules.termchar;
        }
        ViUInt32 got = 0;
        r.status = v_->read(vi_, buf, ViUInt32(n), &got);
        r.count = got;
        if (r.status == VI_ERROR_TMO) r.end = ReadEnd::Timeout;
        else if (r.status == VI_SUCCESS_TERM_CHAR) r.end = ReadEnd::TermChar;
        else if (r.status == VI_SUCCESS_MAX_CNT) r.end = ReadEnd::MaxCount;
        else if (r.status >= 0) r.end = ReadEnd::End;
        if (r.status > 0) r.status = VI_SUCCESS;
        return r;
    }

    ViStatus clear() override { return v_->clear(vi_); }
    ViStatus read_stb(uint16_t* stb) override { return v_->readSTB(vi_, stb); }

private:
    const VendorLib* v_;
    ViSession rm_, vi_;
    bool send_end_ = true;
    int termchar_ = -2;  // unknown: set on the first read
};

}  // namespace

void SetVendorVisaLibrary(const std::string& path)
{
    if (handle) dlclose(handle);
    handle = nullptr;
    lib_path = path;
}

bool VendorVisaConfigured() { return !lib_path.empty(); }

ViStatus OpenVendorBackend(const Resource& r, std::unique_ptr<RawBackend>* out)
{
    const VendorLib* v = load();
    if (!v) return VI_ERROR_LIBRARY_NFOUND;
    ViSession rm = 0, vi = 0;
    ViStatus st = v->openRM(&rm);
    if (st < 0) return st;
    st = v->open(rm, r.canonical.c_str(), VI_NULL, VI_NULL, &vi);
    ClockIoTick(false);
    if (st < 0) {
        v->close(rm);
        return st;
    }
    *out = std::make_unique<VendorBackend>(v, rm, vi);
    return VI_SUCCESS;
}

}  // namespace visa
