// orivan-cli: ORIVAN's program logic from the command line.
#include "app/cli.h"
#include "app/startup.h"

#include <cstdio>

namespace {

// One row per subcommand; subsystems add theirs here.
const CliCommand kCommands[] = {
    {"show-config", "FILE", "print every field of a configuration file by name", 1, 1, CliShowConfig},
    {"write-sample-config", "FILE", "write a sample set-up as a configuration file", 1, 1, CliWriteSampleConfig},
    {"startup", "[FILE]", "run the start-up of the program without a window and show the work mode", 0, 1, CliStartup},
    {"demo", "[FILE]", "write a sample configuration (default build/sample.cfg) and show it", 0, 1, CliDemo},
};

}  // namespace

int main(int argc, char** argv)
{
    return RunCli(kCommands, int(sizeof kCommands / sizeof kCommands[0]), argc - 1, argv + 1, stdout, stderr);
}
