// The program's wiring of the simulated bench with physics, which follows
// the settings record: every analyser the driver opens measures one shared
// plant (supply, reference impedance, EUT) through a measuring engine, and a
// power source can sit at a GPIB address. Used by --simulate and by the
// tests of whole runs.
#pragma once

#include <memory>
#include <string>

#include "sim/bench.h"
#include "sim/engine.h"
#include "sim/plant.h"

namespace sim {

// Lets the bench follow the settings record's analyser set-up (para.analyser)
// when it makes analysers on its own. InstallSimulation does this too.
void FollowSettingsRecord();

struct SimulationSetup {
    std::string eut = "heater";    // EUT text (pam-sim --list-eut)
    std::string mains = "230/50";  // supply text
    int phases = 0;                // 1 or 3; 0: the settings' phase count (3 for a PAM-C)
    double speed = 1;              // measuring time per clock time; 0 as fast as read
    int source_address = -1;       // GPIB primary address of the power source; -1 none
};

// Checks the texts, routes simulated resources to analysers with measuring
// engines (the kind the settings' `analyser` selects; with three PAM-A the
// one at the n-th channel's GPIB address measures phase n) and switches
// simulation on. False with a message for an unknown EUT or supply.
bool InstallSimulation(const SimulationSetup& setup, std::string* error);

// The programs' --simulate[=EUT]: the bench follows the settings, measures the
// named EUT (default: the set-up's default model) on 230 V / 50 Hz mains at
// `speed` (1 real time, N N-fold, 0 as fast as read), with a power source at
// GPIB address kProgramSourceAddress.
constexpr int kProgramSourceAddress = 10;
bool StartProgramSimulation(const std::string& eut, double speed, std::string* error);

// The plant of the installed simulation (made when the first device is
// opened); null before.
std::shared_ptr<Plant> SimulationPlant();

}  // namespace sim
