// The simulated bench: one analyser per address, reached through the VISA
// layer. Resources named "SIM..." always come here; after
// EnableSimulation(true) every GPIB and serial resource does.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/visa/backend.h"
#include "sim/analyser.h"

namespace sim {

// Makes the VISA layer route simulated resources to this bench (idempotent).
void InstallVisaSimulator();
// Installs the simulator and switches simulation on or off (--simulate).
void EnableSimulation(bool on);

// Takes "--simulate" / "--simulate=EUT" out of argv (argc updated); true when
// given, with the EUT name (empty for the default) in *eut.
bool ParseSimulateOption(int* argc, char** argv, std::string* eut);

// Creates the analyser of an address on first use. The default makes the
// kind that the settings' `analyser` selects (0, 4 PAM-A; 1 PAM-C; 2 PAM-B).
using DeviceFactory = std::function<std::shared_ptr<Analyser>(const visa::Resource&)>;
void SetDeviceFactory(DeviceFactory f);
Kind KindForSetting(int analyser);
// Where the bench reads the settings' analyser set-up from (the program
// links it to its settings record, app/simulation.h); without one, 0. Kept
// by reset_bench.
using SettingsAnalyser = int (*)();
void SetSettingsAnalyser(SettingsAnalyser f);

// The analyser at a resource ("GPIB::5", "SIMASRL1::INSTR" ...), created when
// needed; nullptr for a name that is not a GPIB or serial resource.
std::shared_ptr<Analyser> DeviceAt(const std::string& resource);
// Puts a prepared analyser at a resource (replacing the one there).
void Attach(const std::string& resource, std::shared_ptr<Analyser> a);

// Resource names of every simulated open, as the caller wrote them.
const std::vector<std::string>& OpenedResources();

// Removes every analyser and the factory; simulation off.
void reset_bench();

}  // namespace sim
