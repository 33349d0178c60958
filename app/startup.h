// Start-up and shutdown of the program: loading the panels, the tab pages of
// the main window, the default configuration, the work modes, closing, and
// the configuration dialogs.
#pragma once

#include <cstdio>
#include <string>
#include <vector>



// Command line of the programs: options first, then at most one path.
struct StartOptions {
    bool simulate = false;           // --simulate[=EUT]
    std::string simulate_eut;        // the EUT model named after "=", or empty
    double speed = 1;                // --speed N: the simulation N times as fast (0: as fast as read)
    std::vector<std::string> args;   // arguments that are not options
    std::string error;               // set when the command line is wrong
};
StartOptions ParseStartOptions(int argc, char** argv);
// The options of the running program (set by StartUp).
const StartOptions& CurrentStartOptions();

// Steps of `main` up to the event loop: loads every panel, builds the tab
// control, restores the default configuration and enters work mode 3 (or
// loads the measurement named as the one argument). Returns 0, or -1 when a
// panel fails to load.
int StartUp(const StartOptions& options);
// `main`: StartUp, then the event loop. 0 after the loop ended, -1 on failure.
int orivan_main(int argc, char** argv);

// Window title of the main panel: "ORIVAN V3.0", prefixed with
// "SIMULATION - " in simulation (the version stays after the last "V").
std::string MainWindowTitle(bool simulate);

// Starts the simulated bench for --simulate[=EUT] (an empty EUT text: the
// default model) at a speed (1 real time, N N-fold, 0 as fast as read). Programs that carry the simulator install it before the
// start-up; false with a message when the EUT or supply text is wrong.
using SimulationStarter = bool (*)(const std::string& eut, double speed, std::string* error);
void SetSimulationStarter(SimulationStarter starter);

// Stops a running measurement and ends the event loop.
void ProgramClose();
int cbQuit(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbPanel(int panel, int event, void* callbackData, int eventData1, int eventData2);

// The comment box of the set-up page into para.comment: seven lines, the
// missing ones empty.
void ReadComments();

// Configuration dialogs: 1 when a file was written/read, 0 when cancelled,
// -1 when the file could not be written/read (a message was shown).
int SaveConfiguration();
int LoadConfiguration();
int cbSaveSetUp(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int cbLoadSetUp(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// Switches the tab pages between the work modes (0 measuring, 1 results,
// 2 settings, 3 start-up); other values only hide the always-hidden controls.
void SetPanelsToMode(int mode);

// orivan-cli subcommand "startup": runs the start-up on the headless
// back-end, prints the work mode and the page states, and closes again.
int CliStartup(int argc, char** argv, std::FILE* out);

// Forgets all panel handles and options (registered with the program-state
// reset; the toolkit is reset apart).
void reset_startup_state();
