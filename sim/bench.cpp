// The bench of simulated analysers and its VISA back-end.
#include "sim/bench.h"

#include <cstring>
#include <map>

#include "platform/clock.h"
#include "platform/state_reset.h"

namespace sim {
namespace {

std::map<std::string, std::shared_ptr<Analyser>> devices;
DeviceFactory factory;
std::vector<std::string> opened;
std::map<std::string, bool> attached;  // placed by Attach: kept whatever the settings say
SettingsAnalyser settings_analyser = nullptr;

int SelectedSetting() { return settings_analyser ? settings_analyser() : 0; }

std::shared_ptr<Analyser> default_device(const visa::Resource& r)
{
    Kind k = KindForSetting(SelectedSetting());
    auto a = std::make_shared<Analyser>(k, DefaultIdentity(k, r.number));
    a->set_end_marks(r.kind == visa::Resource::Gpib);
    return a;
}

// A session on a simulated address. Keeps no bytes of its own: the device's
// queues are shared by every session on the address.
class SimBackend : public visa::RawBackend {
public:
    SimBackend(std::shared_ptr<Analyser> dev, bool gpib) : dev_(std::move(dev)), gpib_(gpib) {}

    int intf_type() const override { return gpib_ ? VI_INTF_GPIB : VI_INTF_ASRL; }

    ViStatus write(const uint8_t* data, size_t n, bool end, size_t* written) override
    {
        if (dev_->faults.disconnected) {
            // A serial line takes the bytes into the void; on GPIB nobody listens.
            *written = gpib_ ? 0 : n;
            return gpib_ ? VI_ERROR_NLISTENERS : VI_SUCCESS;
        }
        dev_->input(data, n, end && gpib_);
        *written = n;
        return VI_SUCCESS;
    }

    visa::ReadResult read(uint8_t* buf, size_t n, const visa::ReadRules& rules) override
    {
        visa::ReadResult r;
        for (;;) {
            dev_->pump();
            visa::ReadEnd e;
            r.count += dev_->output().take(buf + r.count, n - r.count, rules.termchar, &e);
            if (e != visa::ReadEnd::None || n == 0) {
                r.end = n == 0 ? visa::ReadEnd::MaxCount : e;
                return r;
            }
            if (Timer() >= rules.deadline) {
                r.status = VI_ERROR_TMO;
                r.end = visa::ReadEnd::Timeout;
                return r;
            }
            ClockIoTick(true);
        }
    }

    ViStatus clear() override
    {
        if (gpib_ && dev_->faults.disconnected) return VI_ERROR_NLISTENERS;
        if (gpib_) dev_->device_clear();
        else dev_->output().clear();
        return VI_SUCCESS;
    }

    ViStatus read_stb(uint16_t* stb) override
    {
        if (!gpib_) { *stb = 0; return VI_ERROR_NSUP_OPER; }
        if (dev_->faults.disconnected) { *stb = 0; return VI_ERROR_TMO; }
        *stb = dev_->status_byte();
        return VI_SUCCESS;
    }

    ViStatus send_break(uint32_t ms) override
    {
        Delay(ms / 1000.0);
        if (!dev_->faults.disconnected) dev_->serial_break();
        return VI_SUCCESS;
    }

    ViStatus bytes_available(uint32_t* n) override
    {
        if (gpib_) { *n = 0; return VI_ERROR_NSUP_ATTR; }
        dev_->pump();
        *n = uint32_t(dev_->output().size());
        return VI_SUCCESS;
    }

    ViStatus dtr_state(int* state) override
    {
        *state = VI_STATE_ASSERTED;
        return gpib_ ? VI_ERROR_NSUP_ATTR : VI_SUCCESS;
    }

    ViStatus discard_input() override
    {
        if (!gpib_) dev_->output().clear();
        return VI_SUCCESS;
    }

    ViStatus go_to_local() override
    {
        dev_->remote = false;
        return VI_SUCCESS;
    }

private:
    std::shared_ptr<Analyser> dev_;
    bool gpib_;
};

// Address key shared by all names of one address ("GPIB::5" = "GPIB0::5::INSTR").
std::string key_of(const visa::Resource& r) { return r.canonical; }

ViStatus open_sim(const visa::Resource& r, std::unique_ptr<visa::RawBackend>* out)
{
    opened.push_back(r.given);
    if (r.kind != visa::Resource::Gpib && r.kind != visa::Resource::Asrl) return VI_ERROR_RSRC_NFOUND;
    auto& dev = devices[key_of(r)];
    // The bench follows the settings: a changed analyser type brings the
    // other kind of analyser to the addresses the tests did not equip.
    bool stale = dev && !factory && !attached[key_of(r)] && dev->kind() != KindForSetting(SelectedSetting());
    if (!dev || stale) dev = factory ? factory(r) : default_device(r);
    if (!dev) return VI_ERROR_RSRC_NFOUND;
    *out = std::make_unique<SimBackend>(dev, r.kind == visa::Resource::Gpib);
    return VI_SUCCESS;
}

}  // namespace

void SetSettingsAnalyser(SettingsAnalyser f) { settings_analyser = f; }

Kind KindForSetting(int analyser)
{
    switch (analyser) {
    case 1: return Kind::PamC;
    case 2: return Kind::PamB;
    default: return Kind::PamA;
    }
}

void InstallVisaSimulator() { visa::SetSimulatorFactory(open_sim); }

void EnableSimulation(bool on)
{
    InstallVisaSimulator();
    visa::SetSimulate(on);
}

bool ParseSimulateOption(int* argc, char** argv, std::string* eut)
{
    bool found = false;
    int out = 1;
    for (int i = 1; i < *argc; ++i) {
        if (std::strcmp(argv[i], "--simulate") == 0) {
            found = true;
            if (eut) eut->clear();
        } else if (std::strncmp(argv[i], "--simulate=", 11) == 0) {
            found = true;
            if (eut) *eut = argv[i] + 11;
        } else {
            argv[out++] = argv[i];
        }
    }
    *argc = out;
    argv[out] = nullptr;
    return found;
}

void SetDeviceFactory(DeviceFactory f) { factory = std::move(f); }

std::shared_ptr<Analyser> DeviceAt(const std::string& resource)
{
    visa::Resource r;
    if (!visa::ParseResource(resource.c_str(), &r)) return nullptr;
    if (r.kind != visa::Resource::Gpib && r.kind != visa::Resource::Asrl) return nullptr;
    auto& dev = devices[key_of(r)];
    if (!dev) dev = factory ? factory(r) : default_device(r);
    return dev;
}

void Attach(const std::string& resource, std::shared_ptr<Analyser> a)
{
    visa::Resource r;
    if (!visa::ParseResource(resource.c_str(), &r)) return;
    if (a) a->set_end_marks(r.kind == visa::Resource::Gpib);
    attached[key_of(r)] = a != nullptr;
    devices[key_of(r)] = std::move(a);
}

const std::vector<std::string>& OpenedResources() { return opened; }

void reset_bench()
{
    devices.clear();
    opened.clear();
    attached.clear();
    factory = nullptr;
    visa::SetSimulate(false);
}
REGISTER_STATE_RESET(reset_bench);

}  // namespace sim
