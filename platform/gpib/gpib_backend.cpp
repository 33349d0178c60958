// GPIB back-end over linux-gpib: GPIB[b]::a[::s][::INSTR].
#include <memory>

#include "platform/clock.h"
#include "platform/gpib/linux_gpib.h"
#include "platform/visa/backend.h"

namespace visa {
namespace {

// Status of the last call: ERR is checked before END.
ViStatus status_of(const gpib::Library* g)
{
    int sta = g->ThreadIbsta();
    if (!(sta & gpib::ERR)) return VI_SUCCESS;
    switch (g->ThreadIberr()) {
    case gpib::EABO: return VI_ERROR_TMO;
    case gpib::ENOL: return VI_ERROR_NLISTENERS;
    case gpib::ECIC: return VI_ERROR_NCIC;
    case gpib::EDVR: return VI_ERROR_SYSTEM_ERROR;
    case gpib::ENEB: return VI_ERROR_RSRC_NFOUND;
    default: return (sta & gpib::TIMO) ? VI_ERROR_TMO : VI_ERROR_IO;
    }
}

class GpibBackend : public RawBackend {
public:
    GpibBackend(const gpib::Library* g, int ud) : g_(g), ud_(ud) {}
    ~GpibBackend() override
    {
        g_->ibloc(ud_);
        g_->ibonl(ud_, 0);
    }

    int intf_type() const override { return VI_INTF_GPIB; }

    ViStatus set_timeout(uint32_t ms) override
    {
        g_->ibtmo(ud_, gpib::TimeoutCode(ms));
        return status_of(g_);
    }

    ViStatus write(const uint8_t* data, size_t n, bool end, size_t* written) override
    {
        if (end != eot_) {
            g_->ibeot(ud_, end ? 1 : 0);
            eot_ = end;
        }
        g_->ibwrt(ud_, data, long(n));
        *written = size_t(g_->ThreadIbcntl());
        return status_of(g_);
    }

    ReadResult read(uint8_t* buf, size_t n, const ReadRules& rules) override
    {
        ReadResult r;
        if (rules.termchar != eos_) {
            g_->ibeos(ud_, rules.termchar >= 0 ? (gpib::REOS | rules.termchar) : 0);
            eos_ = rules.termchar;
        }
        if (n == 0) { r.end = ReadEnd::MaxCount; return r; }
        g_->ibrd(ud_, buf, long(n));
        int sta = g_->ThreadIbsta();
        r.count = size_t(g_->ThreadIbcntl());
        r.status = status_of(g_);
        if (r.status == VI_ERROR_TMO) r.end = ReadEnd::Timeout;
        else if (r.status < 0) r.end = ReadEnd::None;
        else if (sta & gpib::END) {
            bool term = rules.termchar >= 0 && r.count > 0 && buf[r.count - 1] == rules.termchar;
            r.end = term ? ReadEnd::TermChar : ReadEnd::End;
        } else r.end = ReadEnd::MaxCount;
        return r;
    }

    ViStatus clear() override
    {
        g_->ibclr(ud_);
        return status_of(g_);
    }

    ViStatus read_stb(uint16_t* stb) override
    {
        char c = 0;
        g_->ibrsp(ud_, &c);
        *stb = uint16_t(static_cast<unsigned char>(c));
        return status_of(g_);
    }

    ViStatus go_to_local() override
    {
        g_->ibloc(ud_);
        return status_of(g_);
    }

private:
    const gpib::Library* g_;
    int ud_;
    bool eot_ = true;
    int eos_ = -1;
};

}  // namespace

ViStatus OpenGpibBackend(const Resource& r, std::unique_ptr<RawBackend>* out)
{
    const gpib::Library* g = gpib::Load();
    if (!g) return VI_ERROR_LIBRARY_NFOUND;
    int sad = r.secondary >= 0 ? 0x60 + r.secondary : 0;
    int ud = g->ibdev(r.board, r.number, sad, gpib::TimeoutCode(2000), 1, 0);
    if (ud < 0) return status_of(g) < 0 ? status_of(g) : VI_ERROR_RSRC_NFOUND;
    auto be = std::make_unique<GpibBackend>(g, ud);
    g->ibclr(ud);
    ViStatus st = status_of(g);
    ClockIoTick(false);
    if (st < 0) return st == VI_ERROR_NLISTENERS || st == VI_ERROR_TMO ? VI_ERROR_RSRC_NFOUND : st;
    *out = std::move(be);
    return VI_SUCCESS;
}

}  // namespace visa
