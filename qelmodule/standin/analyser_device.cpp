// The simulated analyser (sim::Analyser with its measuring engine, as pam-sim
// serves it) on the stand-in's bus: the bytes a controller writes go into the
// device model, its answers come back with END on their last byte, and serial
// poll, device clear and go-to-local act on the model as a GPIB board would.
#include "qelmodule/standin/bus_device.h"

#include <cstdio>
#include <string>
#include <utility>

#include "platform/visa/backend.h"
#include "sim/analyser.h"
#include "sim/engine.h"
#include "sim/plant.h"

namespace standin {

namespace {

class AnalyserDevice : public BusDevice {
public:
    AnalyserDevice(int pad, sim::Kind kind, std::shared_ptr<sim::Plant> plant)
        : pad_(pad), dev_(kind, sim::DefaultIdentity(kind, pad))
    {
        sim::Engine::Install(dev_, std::move(plant));
        dev_.set_end_marks(true);
    }

    void Receive(const char* data, std::size_t n, bool end) override
    {
        dev_.input(reinterpret_cast<const std::uint8_t*>(data), n, end);
    }

    std::size_t Send(char* buf, std::size_t n, bool* end) override
    {
        *end = false;
        dev_.pump();
        if (n == 0 || dev_.output().empty())
            return 0;
        visa::ReadEnd why = visa::ReadEnd::None;
        const std::size_t got = dev_.output().take(reinterpret_cast<std::uint8_t*>(buf), n, -1, &why);
        *end = why == visa::ReadEnd::End;
        return got;
    }

    std::uint8_t SerialPoll() override
    {
        // The poll hands the request over: RQS is reported once per request.
        const std::uint8_t stb = dev_.status_byte();
        const bool rqs = (stb & 0x40) != 0;
        const std::uint8_t shown = (rqs && rqs_reported_) ? static_cast<std::uint8_t>(stb & ~0x40) : stb;
        rqs_reported_ = rqs;
        return shown;
    }

    void Clear() override
    {
        dev_.device_clear();
        ++clears_;
    }

    void GoToLocal() override
    {
        dev_.remote = false;
        ++locals_;
    }

    // Answers appear when the model releases them; a read waits for that.
    int ReadDelayMs() const override { return 0; }

    bool TakeReadFailure() override { return false; }

    std::size_t Describe(char* text, std::size_t size) const override
    {
        const int n = std::snprintf(text, size,
                                    "pad=%i clears=%i locals=%i commands=%zu remote=%i lang=%s format=%s",
                                    pad_, clears_, locals_, dev_.log.size(), dev_.remote ? 1 : 0,
                                    dev_.language == sim::kShort ? "SHORT" : "SCPI",
                                    dev_.packed ? "PACKED" : "ASCII");
        return n < 0 ? 0 : static_cast<std::size_t>(n);
    }

private:
    int pad_;
    sim::Analyser dev_;
    int clears_ = 0, locals_ = 0;
    bool rqs_reported_ = false;
};

} // namespace

std::unique_ptr<BusDevice> MakeAnalyser(int pad, char kind, const char* eut)
{
    const sim::Kind k = kind == 'B' ? sim::Kind::PamB : kind == 'C' ? sim::Kind::PamC : sim::Kind::PamA;
    sim::PlantSetup setup;
    setup.eut = eut && *eut ? eut : "heater:power=230";  // 1 A at 230 V, as pam-sim
    if (k == sim::Kind::PamC)
        setup.phases = 3;
    std::string error;
    std::shared_ptr<sim::Plant> plant = sim::Plant::Make(setup, &error);
    if (!plant) {
        std::fprintf(stderr, "GPIB stand-in: no analyser at %i: %s\n", pad, error.c_str());
        return nullptr;
    }
    return std::make_unique<AnalyserDevice>(pad, k, std::move(plant));
}

} // namespace standin
