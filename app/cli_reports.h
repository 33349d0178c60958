// orivan-cli protocol FILE and report FILE [--script-only] [--out PDF].
#pragma once

#include <cstdio>

// Prints the text protocol of a stored measurement.
int CliProtocol(int argc, char** argv, std::FILE* out);
// Writes the report script beside the measurement and, unless
// --script-only, converts it into the PDF (beside it, or --out).
int CliReport(int argc, char** argv, std::FILE* out);
