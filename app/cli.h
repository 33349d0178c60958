// orivan-cli: the program logic without a window. Each subcommand is one row
// of the table in app/orivan_cli_main.cpp and one function here (or in the
// subsystem that owns it), so it can be tested without starting a process.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct CliCommand {
    const char* name;       // "show-config"
    const char* args;       // "FILE" (shown in the help)
    const char* help;       // one line
    int min_args, max_args; // arguments after the name
    int (*run)(int argc, char** argv, std::FILE* out);   // argv[0] is the first argument
};

// Exit codes
constexpr int CLI_OK = 0;
constexpr int CLI_FAILED = 1;
constexpr int CLI_USAGE = 2;

// Runs the command named argv[0] of the table; prints the help for --help,
// -h and help, and a usage error for anything else unknown.
int RunCli(const CliCommand* table, int count, int argc, char** argv, std::FILE* out, std::FILE* err);

// A whole decimal integer argument; false for anything else.
bool ParseInt(const std::string& s, int32_t* v);

// Configuration commands
int CliShowConfig(int argc, char** argv, std::FILE* out);
int CliWriteSampleConfig(int argc, char** argv, std::FILE* out);
// Sample set-ups by name: "harmonic" (three PAM-A, class A), "class-d" (one
// PAM-A, class D at 250 W), "flicker" (one PAM-A, one 10-minute period).
// False for an unknown name.
struct Para;
bool MakeSampleSetUp(const char* name, Para& record);
int CliDemo(int argc, char** argv, std::FILE* out);
