// orivan-cli protocol and report: output, files beside the measurement,
// errors and exit codes.
#include "tests/reports/report_fixture.h"

#include "app/cli.h"
#include "app/cli_reports.h"
#include "reports/protocol.h"

using namespace rt;

namespace {

struct CliReports : ReportTest {
    int Call(int (*fn)(int, char**, std::FILE*), std::vector<std::string> args, std::string* out)
    {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        std::FILE* f = std::tmpfile();
        const int rc = fn(int(argv.size()), argv.data(), f);
        std::rewind(f);
        out->clear();
        char b[4096];
        size_t n;
        while ((n = std::fread(b, 1, sizeof b, f)) > 0) out->append(b, n);
        std::fclose(f);
        return rc;
    }
    void TearDown() override
    {
        ui::SetHeadlessMode(ui::HeadlessMode::Test);
        ReportTest::TearDown();
    }
};

}  // namespace

TEST_F(CliReports, ProtocolPrintsTheTextProtocol)
{
    const std::string path = ShortPath("cli.qel");
    Para p = RunPara(1, 1, path);
    WriteFlicker(path, p, FlickerEntries(p));
    Touch(path, kFileTime);
    std::string out;
    ASSERT_EQ(Call(CliProtocol, {path}, &out), CLI_OK);
    EXPECT_EQ(out, bufTable);
    EXPECT_NE(out.find("       Compliance was tested against EN61000-3-3 A1 limits\n"), std::string::npos);
    EXPECT_NE(out.find("\n    3      0.8750       0.6300       "), std::string::npos);
}

TEST_F(CliReports, ReportWritesScriptAndPdfBesideTheFile)
{
    const std::string path = ShortPath("cli.qel");
    WriteHarmonic(path, RunPara(0, 3, path), 3);
    std::string out;
    ASSERT_EQ(Call(CliReport, {path, "--script-only"}, &out), CLI_OK);
    EXPECT_EQ(out, "Report script written to " + ShortPath("cli.txt") + "\n");
    EXPECT_FALSE(FileExists(ShortPath("cli.pdf").c_str(), nullptr));
    ASSERT_EQ(Call(CliReport, {path}, &out), CLI_OK);
    EXPECT_NE(out.find("PDF report written to " + ShortPath("cli.pdf")), std::string::npos);
    EXPECT_GT(FileSize(ShortPath("cli.pdf").c_str()), 1000);
    ASSERT_EQ(Call(CliReport, {path, "--out", ShortPath("other name.pdf")}, &out), CLI_OK);
    EXPECT_GT(FileSize(ShortPath("other name.pdf").c_str()), 1000);
}

TEST_F(CliReports, ErrorsAndExitCodes)
{
    std::string out;
    EXPECT_EQ(Call(CliProtocol, {Path("missing.qel")}, &out), CLI_FAILED);
    { std::ofstream(Path("foreign.qel")) << "not a logging file"; }
    EXPECT_EQ(Call(CliReport, {Path("foreign.qel")}, &out), CLI_FAILED);
    EXPECT_EQ(Call(CliReport, {}, &out), CLI_USAGE);
    EXPECT_EQ(Call(CliReport, {"a.qel", "--bogus"}, &out), CLI_USAGE);
    EXPECT_EQ(Call(CliReport, {"a.qel", "--script-only", "--out", "b.pdf"}, &out), CLI_USAGE);
    const std::string path = Path("self.qel");
    WriteHarmonic(path, RunPara(0, 1, path), 2);
    const std::string before = ReadText(path);
    EXPECT_EQ(Call(CliReport, {path, "--out", path}, &out), CLI_FAILED);
    EXPECT_EQ(ReadText(path), before);
}
