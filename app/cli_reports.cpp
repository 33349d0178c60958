#include "app/cli_reports.h"

#include <string>
#include <unistd.h>
#include <vector>

#include "app/cli.h"
#include "app/startup.h"
#include "files/load.h"
#include "files/logfile.h"
#include "platform/lowfile.h"
#include "platform/ui/headless.h"
#include "reports/converter.h"
#include "reports/protocol.h"
#include "reports/protocol_data.h"
#include "reports/report.h"

namespace {

constexpr char kReportUsage[] = "usage: orivan-cli report FILE [--script-only] [--out PDF]\n";

// The reports name the file as the program's dialogs do: with its directory.
std::string Absolute(const std::string& path)
{
    if (path.empty() || path[0] == '/') return path;
    char dir[4096];
    return ::getcwd(dir, sizeof dir) ? std::string(dir) + "/" + path : path;
}

// The program's panels without a window, then the measurement as the
// program loads it (tables, protocol, detailed protocol).
bool LoadForReport(const std::string& given)
{
    const std::string path = Absolute(given);
    ui::SetHeadlessMode(ui::HeadlessMode::Batch);
    SetPdfViewer("");
    if (FileExists(path.c_str(), nullptr) != 1) {
        std::fprintf(stderr, "orivan-cli: %s: File does not exist!\n", path.c_str());
        return false;
    }
    int fd = -1;
    LogLayout layout;
    if (LogOpenRead(path.c_str(), &fd, &layout) != LOG_OK) {
        std::fprintf(stderr, "orivan-cli: %s\n", LogErrorText());
        return false;
    }
    LogClose(fd);
    if (StartUp(StartOptions{}) < 0) {
        std::fprintf(stderr, "orivan-cli: the panel resource could not be loaded\n");
        return false;
    }
    if (load_measurement(path.c_str(), -1, -1) < 0) {
        std::fprintf(stderr, "orivan-cli: %s\n", LastLoadReport().message);
        return false;
    }
    if (LoadedTestKind() != 0 && LoadedTestKind() != 1) {
        std::fprintf(stderr, "orivan-cli: %s: neither a harmonic nor a flicker test\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int CliProtocol(int argc, char** argv, std::FILE* out)
{
    if (argc != 1) {
        std::fprintf(stderr, "usage: orivan-cli protocol FILE\n");
        return CLI_USAGE;
    }
    if (!LoadForReport(argv[0])) return CLI_FAILED;
    std::fwrite(bufTable.data(), 1, bufTable.size(), out);
    return std::ferror(out) ? CLI_FAILED : CLI_OK;
}

int CliReport(int argc, char** argv, std::FILE* out)
{
    std::string file, pdfOut;
    bool scriptOnly = false;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--script-only") scriptOnly = true;
        else if (a == "--out" && i + 1 < argc) pdfOut = argv[++i];
        else if (a.rfind("--", 0) != 0 && file.empty()) file = a;
        else {
            std::fputs(kReportUsage, stderr);
            return CLI_USAGE;
        }
    }
    if (file.empty() || (scriptOnly && !pdfOut.empty())) {
        std::fputs(kReportUsage, stderr);
        return CLI_USAGE;
    }
    if (!LoadForReport(file)) return CLI_FAILED;
    std::string script, pdf;
    if (MakeReport(!scriptOnly, &script, &pdf, pdfOut) != 0) return CLI_FAILED;
    std::fprintf(out, "Report script written to %s\n", script.c_str());
    if (!scriptOnly) std::fprintf(out, "PDF report written to %s\n", pdf.c_str());
    return CLI_OK;
}
