#include "app/cli.h"

#include "app/config.h"
#include "app/config_show.h"
#include "platform/lowfile.h"

#include <charconv>
#include <cstring>
#include <string>

namespace {

void Help(const CliCommand* table, int count, std::FILE* out)
{
    std::fprintf(out, "usage: orivan-cli COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (int i = 0; i < count; ++i) {
        std::string head = std::string(table[i].name) + (*table[i].args ? " " : "") + table[i].args;
        std::fprintf(out, "  %-34s %s\n", head.c_str(), table[i].help);
    }
    std::fprintf(out, "  %-34s %s\n", "--help", "this text");
}

}  // namespace

bool ParseInt(const std::string& s, int32_t* v)
{
    auto r = std::from_chars(s.data(), s.data() + s.size(), *v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

int RunCli(const CliCommand* table, int count, int argc, char** argv, std::FILE* out, std::FILE* err)
{
    if (argc < 1) {
        Help(table, count, err);
        return CLI_USAGE;
    }
    const char* name = argv[0];
    if (!std::strcmp(name, "--help") || !std::strcmp(name, "-h") || !std::strcmp(name, "help")) {
        Help(table, count, out);
        return CLI_OK;
    }
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(name, table[i].name) != 0) continue;
        int n = argc - 1;
        if (n < table[i].min_args || (table[i].max_args >= 0 && n > table[i].max_args)) {
            std::fprintf(err, "usage: orivan-cli %s %s\n", table[i].name, table[i].args);
            return CLI_USAGE;
        }
        return table[i].run(n, argv + 1, out);
    }
    std::fprintf(err, "orivan-cli: unknown command \"%s\" (see orivan-cli --help)\n", name);
    return CLI_USAGE;
}

int CliShowConfig(int argc, char** argv, std::FILE* out)
{
    (void)argc;
    Para record{};
    if (ReadConfigFile(argv[0], record) != CFG_OK) return CLI_FAILED;
    std::fprintf(out, "Configuration file %s\n", argv[0]);
    std::string text = ShowConfig(record);
    std::fwrite(text.data(), 1, text.size(), out);
    return CLI_OK;
}

bool MakeSampleSetUp(const char* name, Para& r)
{
    MakeSampleConfig(r);
    if (!std::strcmp(name, "harmonic")) return true;
    if (!std::strcmp(name, "class-d")) {
        // One PAM-A, a single-phase class D test of 2.5 minutes at 250 W.
        r.analyser = 4;
        r.phases = 1;
        r.h_class = 3;
        r.ctrl_power[0] = 250.0f;
        r.i_range[0] = 10.0f;
        CopyFixed(r.test_data[3], "PC power supply 250 W");
        return true;
    }
    if (!std::strcmp(name, "flicker")) {
        // One PAM-A, a single-phase flicker test of one 10-minute period.
        r.analyser = 4;
        r.phases = 1;
        r.test_kind = 1;
        r.h_mode = 0;
        r.fl_periods = 1;
        r.fl_minutes = 10;
        r.meas_time = 600;
        r.switching = 0;
        CopyFixed(r.test_data[3], "Switched load 960 W");
        return true;
    }
    return false;
}

int CliWriteSampleConfig(int argc, char** argv, std::FILE* out)
{
    Para record;
    const char* name = argc > 1 ? argv[1] : "harmonic";
    if (!MakeSampleSetUp(name, record)) {
        std::fprintf(stderr, "orivan-cli write-sample-config: unknown set-up \"%s\" (harmonic, class-d, flicker)\n", name);
        return CLI_USAGE;
    }
    if (WriteConfigFile(argv[0], record) != CFG_OK) return CLI_FAILED;
    std::fprintf(out, "Sample configuration written to %s (%zu bytes)\n", argv[0], PARA_SIZE);
    return CLI_OK;
}

int CliDemo(int argc, char** argv, std::FILE* out)
{
    std::string path;
    if (argc > 0) {
        path = argv[0];
    } else {
        // Beside the build's bin/ directory: build/sample.cfg
        std::string dir = ProjectDir();
        path = (PathFile(dir) == "bin" ? PathDir(dir) : dir + "/") + "sample.cfg";
    }
    std::fprintf(out, "ORIVAN demo: a sample set-up saved as a configuration file and read back.\n\n");
    char* args[] = {path.data()};
    int r = CliWriteSampleConfig(1, args, out);
    if (r != CLI_OK) return r;
    std::fputc('\n', out);
    r = CliShowConfig(1, args, out);
    if (r != CLI_OK) return r;
    std::string def = DefaultConfigPath();
    std::fprintf(out, "\nThe program reads its last set-up from %s at start-up (%s).\n", def.c_str(),
                 FileExists(def.c_str(), nullptr) ? "present" : "not present; it is never created");
    return CLI_OK;
}
