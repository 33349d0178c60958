// orivan-cli: ORIVAN's program logic from the command line.
#include "app/cli.h"
#include "app/cli_files.h"
#include "app/cli_plot.h"
#include "app/cli_reports.h"
#include "app/cli_run.h"
#include "app/startup.h"
#include "app/simulation.h"
#ifdef ORIVAN_HAVE_GRAPH_PAINTER
#include "platform/ui/qt/graph_painter.h"
#endif

#include <cstdio>
#include <string>

#include "platform/visa/ports.h"

namespace {

// One row per subcommand; subsystems add theirs here.
const CliCommand kCommands[] = {
    {"show-config", "FILE", "print every field of a configuration file by name", 1, 1, CliShowConfig},
    {"write-sample-config", "FILE [harmonic|class-d|flicker]", "write a sample set-up as a configuration file", 1, 2, CliWriteSampleConfig},
    {"startup", "[--simulate[=EUT]] [FILE]", "run the start-up of the program without a window and show the work mode", 0, 2, CliStartup},
    {"info", "FILE [--json]", "kind, phases, frames and settings of a measurement file", 1, 2, CliInfo},
    {"frames", "FILE [--phase N] [--json]", "the frames of one phase of a measurement file", 1, 4, CliFrames},
    {"evaluate", "FILE [--json] [--re-evaluate COPY]", "load a measurement file and print its verdicts and maxima", 1, 4, CliEvaluate},
    {"export", "FILE OUT [--kind harmonics|10ms|frame|pst] [--comma] [--header]", "export the frames as tab-separated text", 2, 6, CliExport},
    {"plot", "FILE --phase N --quantity CODE [...] --out FILE.png|.svg", "draw plots of a measurement file as the graph panel does (--list: the quantity codes)", 2, -1, CliPlot},
    {"cut", "FILE FIRST LAST OUT", "write the frames FIRST .. LAST-1 as a new measurement file", 4, 4, CliCut},
    {"protocol", "FILE", "print the text protocol of a measurement file", 1, 1, CliProtocol},
    {"report", "FILE [--script-only] [--out PDF]", "write the report script beside the file and make the PDF", 1, 4, CliReport},
    {"run", "--config FILE.cfg --out FILE.qel [--simulate[=EUT]] [--speed N|max] [--json]",
     "run a test of a configuration into a logging file and print its verdicts", 4, 9, CliRun},
    {"demo", "[FILE]", "write a sample configuration (default build/sample.cfg) and show it", 0, 1, CliDemo},
};

}  // namespace

int main(int argc, char** argv)
{
    std::string port_error;
    if (!visa::ParsePortOptions(&argc, argv, &port_error)) {
        std::fprintf(stderr, "orivan-cli: %s\n", port_error.c_str());
        return CLI_USAGE;
    }
    sim::FollowSettingsRecord();
    SetSimulationStarter(sim::StartProgramSimulation);
#ifdef ORIVAN_HAVE_GRAPH_PAINTER
    ui::InstallGraphPainter();
#endif
    return RunCli(kCommands, int(sizeof kCommands / sizeof kCommands[0]), argc - 1, argv + 1, stdout, stderr);
}
