// orivan-cli commands over stored measurements: info, frames, evaluate,
// export and cut. Output formats (text and --json) are described in
// docs/files.md; the JSON keys are stable.
#pragma once

#include <cstdio>
#include <string>

int CliInfo(int argc, char** argv, std::FILE* out);
int CliFrames(int argc, char** argv, std::FILE* out);
int CliEvaluate(int argc, char** argv, std::FILE* out);
int CliExport(int argc, char** argv, std::FILE* out);
int CliCut(int argc, char** argv, std::FILE* out);

// The verdicts, maxima and results of the measurement loaded from `path`,
// as `evaluate` prints them (text or one line of JSON).
int PrintEvaluation(const std::string& path, bool json, std::FILE* out);
