// Shared test circuit.
#include "sim/plant.h"


namespace sim {

std::shared_ptr<Plant> Plant::Make(const PlantSetup& setup, std::string* error)
{
    simphys::Supply s;
    if (!simphys::ParseSupply(setup.mains, s, error)) return nullptr;
    std::unique_ptr<simphys::Eut> eut = simphys::MakeEut(setup.eut, error);
    if (!eut) return nullptr;
    std::shared_ptr<Plant> p(new Plant);
    int phases = setup.phases == 3 || eut->three_phase() ? 3 : 1;
    p->base_ = s;
    // A "bad" supply is judged against the test voltage it misses.
    std::string_view m = setup.mains;
    size_t slash = m.find('/');
    if (m.rfind("bad", 0) == 0 || slash == std::string::npos) {
        p->nominal_v_ = 230;
        p->nominal_f_ = 50;
    } else {
        simphys::Supply clean;
        std::string head(m.substr(0, m.find(':')));
        simphys::ParseSupply(head, clean, nullptr);
        p->nominal_v_ = clean.voltage;
        p->nominal_f_ = clean.frequency;
    }
    p->circuit_ = std::make_unique<simphys::Circuit>(s, std::move(eut), phases);
    return p;
}

const simphys::Window& Plant::next(uint64_t* after, int periods)
{
    if (*after < latest_) {
        // Another device already took the window after ours.
        const uint64_t oldest = latest_ + 1 - held_.size();
        const uint64_t want = *after + 1 >= oldest ? *after + 1 : latest_;
        *after = want;
        return held_[size_t(want - oldest)];
    }
    simphys::Window w;
    if (held_.size() >= kHeld) {
        w = std::move(held_.front());  // its buffers are reused
        held_.pop_front();
    }
    circuit_->next(w, periods);
    held_.push_back(std::move(w));
    *after = ++latest_;
    return held_.back();
}

void Plant::set_source(double voltage, double frequency, bool output)
{
    simphys::Supply s = base_;
    s.voltage = output ? voltage : 0;
    s.frequency = frequency;
    nominal_v_ = voltage;
    nominal_f_ = frequency;
    circuit_->set_supply(s);
}

void Plant::set_impedance_path(bool in_path, int zref)
{
    using simphys::RefImpedance;
    RefImpedance z = RefImpedance::Off;
    if (in_path) {
        if (zref < 0) z = phases() == 3 ? RefImpedance::Phase : RefImpedance::Loop;
        else z = zref == 0 ? RefImpedance::Phase : RefImpedance::Loop;
    }
    circuit_->set_impedance(z);
}

}  // namespace sim
