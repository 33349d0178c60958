// Simulated bench with measuring engines, wired to the settings record.
#include "app/simulation.h"

#include "sim/power_source.h"
#include "state/para.h"

namespace sim {
namespace {

std::weak_ptr<Plant> current_plant;

int SettingsAnalyserOfRecord() { return para.analyser; }

}  // namespace

void FollowSettingsRecord() { SetSettingsAnalyser(SettingsAnalyserOfRecord); }

bool InstallSimulation(const SimulationSetup& setup, std::string* error)
{
    PlantSetup ps{setup.eut, setup.mains, setup.phases};
    if (!Plant::Make(ps, error)) return false;  // the texts are checked now, used at the first open
    auto plant = std::make_shared<std::shared_ptr<Plant>>();
    current_plant.reset();
    FollowSettingsRecord();
    SetDeviceFactory([setup, plant](const visa::Resource& r) -> std::shared_ptr<Analyser> {
        const Kind kind = KindForSetting(para.analyser);
        if (!*plant) {
            PlantSetup p{setup.eut, setup.mains, setup.phases};
            if (p.phases == 0) p.phases = kind == Kind::PamC || para.phases == 3 ? 3 : 1;
            *plant = Plant::Make(p, nullptr);
            current_plant = *plant;
        }
        const bool gpib = r.kind == visa::Resource::Gpib;
        if (gpib && r.number == setup.source_address) {
            auto s = std::make_shared<PowerSource>(*plant, r.number);
            s->set_end_marks(true);
            return s;
        }
        // Analysers sit at the set-up's addresses only: elsewhere on the bus
        // nobody listens.
        bool known = !gpib;
        for (int k = 0; k < 3 && !known; ++k) known = para.gpib_address[k] == r.number;
        if (!known) return nullptr;
        EngineOptions opt;
        opt.speed = setup.speed;
        if (gpib && kind != Kind::PamC)
            for (int k = 0; k < 3; ++k)
                if (para.gpib_address[k] == r.number) { opt.first_phase = k; break; }
        auto a = MakeMeasuringAnalyser(kind, DefaultIdentity(kind, r.number), *plant, opt);
        a->set_end_marks(gpib);
        return a;
    });
    EnableSimulation(true);
    return true;
}

std::shared_ptr<Plant> SimulationPlant() { return current_plant.lock(); }

bool StartProgramSimulation(const std::string& eut, double speed, std::string* error)
{
    SimulationSetup setup;
    if (!eut.empty()) setup.eut = eut;
    setup.speed = speed;
    setup.source_address = kProgramSourceAddress;
    return InstallSimulation(setup, error);
}

}  // namespace sim
