// orivan-cli run: a measurement run from a configuration file into a logging
// file, through the program's callbacks on the headless back-end, with the
// progress on standard error and the verdicts (as `evaluate` prints them) on
// standard output. Ctrl-C stops the run as the stop button does.
#pragma once

#include <cstdio>

int CliRun(int argc, char** argv, std::FILE* out);
