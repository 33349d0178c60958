// orivan-cli info, frames, evaluate, export and cut: the real program for
// exit statuses and messages, the functions for the output.
#include "tests/files/builder.h"

#include <cstring>

#include <sys/wait.h>

#include "app/cli.h"
#include "app/cli_files.h"

using namespace tb;

namespace {

struct CliFilesTest : FilesTest {
    // Runs a command function; returns its status, output in *text.
    int Run(int (*fn)(int, char**, std::FILE*), std::vector<std::string> args, std::string* text)
    {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        std::FILE* f = std::tmpfile();
        int rc = fn(int(argv.size()), argv.data(), f);
        std::fflush(f);
        std::rewind(f);
        text->clear();
        char b[4096];
        size_t n;
        while ((n = std::fread(b, 1, sizeof b, f)) > 0) text->append(b, n);
        std::fclose(f);
        return rc;
    }
    // Runs the program; returns its exit status, stderr in *err.
    int Program(const std::string& args, std::string* err)
    {
        std::string e = Path("stderr.txt");
        std::string cmd = std::string(ORIVAN_BINARY_DIR) + "/bin/orivan-cli " + args + " >/dev/null 2>'" + e + "'";
        int st = std::system(cmd.c_str());
        *err = SlurpText(e);
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
};

TEST_F(CliFilesTest, InfoAndFramesAsTextAndJson)
{
    WriteCurrent(Path("h.qel"), MakePara(0, 3), HarmSets(4, 3), {HResult(0), HResult(1), HResult(2)});
    std::string out;
    ASSERT_EQ(Run(CliInfo, {Path("h.qel"), "--json"}, &out), CLI_OK);
    EXPECT_EQ(out.rfind("{\"file\":\"" + Path("h.qel") + "\",\"format\":\"current\",\"interrupted\":false,"
                        "\"test_kind\":\"harmonics\",\"phases\":3,\"size\":10668,\"count\":4,\"record_size\":460,"
                        "\"sets\":4,\"frames\":4,\"results\":3,\"settings\":{\"sw_version\":\"3.00\",",
                        0),
              0u)
        << out;
    EXPECT_NE(out.find("\"h_standard_text\":\"EN61000-3-2:1995\""), std::string::npos);
    EXPECT_EQ(out.back(), '\n');

    WriteCurrent(Path("crash.qel"), MakePara(1, 1), FlkStored(3, 1));
    Bytes b = Slurp(Path("crash.qel"));
    b.resize(b.size() + 300, 0);  // a set cut short by a power failure
    Spit(Path("crash.qel"), b);
    ASSERT_EQ(Run(CliInfo, {Path("crash.qel")}, &out), CLI_OK);
    EXPECT_NE(out.find("Layout        interrupted"), std::string::npos) << out;

    ASSERT_EQ(Run(CliFrames, {Path("h.qel"), "--phase", "2", "--json"}, &out), CLI_OK);
    EXPECT_EQ(out.rfind("{\"file\":\"" + Path("h.qel") + "\",\"test_kind\":\"harmonics\",\"phase\":2,\"frames\":["
                        "{\"frame\":0,\"count\":500,\"fltr\":150,\"u\":231,\"i\":1.5,\"p\":300,\"pf\":0.9,",
                        0),
              0u)
        << out.substr(0, 300);
    EXPECT_NE(out.find("{\"frame\":3,\"count\":503,"), std::string::npos);
    ASSERT_EQ(Run(CliFrames, {Path("h.qel")}, &out), CLI_OK);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 5);
    EXPECT_EQ(Run(CliFrames, {Path("h.qel"), "--phase", "4"}, &out), CLI_USAGE);
}

TEST_F(CliFilesTest, JsonKeepsUtf8NamesAndEscapesLatin1Texts)
{
    Para p = MakePara(0, 1);
    std::strcpy(p.log_file, "Pr\xfc" "f \"1\"");  // Latin-1, as old programs stored it
    const std::string name = Path("Pr\xc3\xbc" "fung \xe2\x82\xac.qel");  // UTF-8 "Prüfung €"
    WriteCurrent(name, p, HarmSets(2, 1), {HResult(0)});
    std::string out;
    ASSERT_EQ(Run(CliInfo, {name, "--json"}, &out), CLI_OK);
    EXPECT_EQ(out.rfind("{\"file\":\"" + name + "\",", 0), 0u) << out.substr(0, 200);
    EXPECT_NE(out.find("\"log_file\":\"Pr\\u00fcf \\\"1\\\"\""), std::string::npos) << out;
}

TEST_F(CliFilesTest, EvaluatePrintsVerdictsAndMaxima)
{
    std::vector<HarmResult> res = {HResult(0)};
    res[0].higf = HIGF_FAIL | HIGF_AVG_OVER;
    auto sets = HarmSets(3, 1);
    sets[1][0].hiam[5] = 8.0f;
    WriteCurrent(Path("h.qel"), MakePara(0, 1), sets, res);
    std::string out;
    ASSERT_EQ(Run(CliEvaluate, {Path("h.qel"), "--json"}, &out), CLI_OK);
    EXPECT_NE(out.find("\"frames\":3,\"firstframe\":500,\"lastframe\":0,\"interrupted\":false,\"results\":1,"
                       "\"phase\":[{\"phase\":1,\"higf\":3,\"hugf\":0,\"hens\":0,\"verdicts\":{\"IALL\":1,\"I100\":1,\"U100\":0,"),
              std::string::npos)
        << out.substr(0, 400);
    EXPECT_NE(out.find("{\"order\":0,\"h_max\":0.120000005,\"max\":null,\"fr_max\":0,"), std::string::npos);
    EXPECT_NE(out.find("{\"order\":5,\"h_max\":8,\"max\":80,\"fr_max\":1,"), std::string::npos);

    // --re-evaluate runs on a copy; the original stays as it was.
    const Bytes before = Slurp(Path("h.qel"));
    ASSERT_EQ(Run(CliEvaluate, {Path("h.qel"), "--re-evaluate", Path("copy.qel")}, &out), CLI_OK);
    EXPECT_EQ(Slurp(Path("h.qel")), before);
    EXPECT_EQ(Slurp(Path("copy.qel")).size(), before.size());
    EXPECT_NE(out.find("Phase L1: HIGF "), std::string::npos);

    WriteCurrent(Path("f.qel"), MakePara(1, 3), FlkStored(3, 3));
    ASSERT_EQ(Run(CliEvaluate, {Path("f.qel"), "--json"}, &out), CLI_OK);
    EXPECT_NE(out.find("\"verdicts\":{\"FAIL\":0,\"PST\":0,\"PLT\":0,\"DT\":0,\"DC\":0,\"DMAX\":0},\"pst\":0.28,"),
              std::string::npos)
        << out;
}

TEST_F(CliFilesTest, ExportAndCut)
{
    WriteCurrent(Path("h.qel"), MakePara(0, 1), HarmSets(5, 1), {HResult(0)});
    std::string out;
    ASSERT_EQ(Run(CliExport, {Path("h.qel"), Path("h.txt"), "--header", "--comma"}, &out), CLI_OK);
    EXPECT_EQ(out, "6 lines written to " + Path("h.txt") + "\n");
    EXPECT_EQ(SlurpText(Path("h.txt")).find('.'), std::string::npos);
    EXPECT_EQ(Run(CliExport, {Path("h.qel"), Path("x.txt"), "--kind", "pst"}, &out), CLI_USAGE);

    ASSERT_EQ(Run(CliCut, {Path("h.qel"), "1", "3", Path("c.qel")}, &out), CLI_OK);
    EXPECT_EQ(out, "2 frames written to " + Path("c.qel") + "\n");
    ASSERT_EQ(Run(CliInfo, {Path("c.qel")}, &out), CLI_OK);
    EXPECT_NE(out.find("Cut           frames from 1 till 3"), std::string::npos) << out;

    // Neither the export nor the re-evaluated copy may overwrite the source.
    const Bytes whole = Slurp(Path("h.qel"));
    EXPECT_EQ(Run(CliExport, {Path("h.qel"), Path("h.qel")}, &out), CLI_FAILED);
    EXPECT_EQ(Run(CliEvaluate, {Path("h.qel"), "--re-evaluate", Path("h.qel")}, &out), CLI_FAILED);
    EXPECT_TRUE(Slurp(Path("h.qel")) == whole);
    ASSERT_EQ(Run(CliEvaluate, {Path("h.qel"), "--re-evaluate", Path("r.qel")}, &out), CLI_OK);

    WriteCurrent(Path("f.qel"), MakePara(1, 1), FlkStored(4, 1));
    ASSERT_EQ(Run(CliExport, {Path("f.qel"), Path("f.txt"), "--kind", "10ms"}, &out), CLI_OK);
    EXPECT_EQ(out, "128 lines written to " + Path("f.txt") + "\n");
}

TEST_F(CliFilesTest, BadFilesExitNonZeroWithAClearMessage)
{
    std::string err;
    EXPECT_EQ(Program("info '" + Path("none.qel") + "'", &err), 1);
    EXPECT_EQ(err, "orivan-cli: " + Path("none.qel") + ": File does not exist!\n");

    Spit(Path("foreign.qel"), Bytes(4321, 0x41));
    EXPECT_EQ(Program("evaluate '" + Path("foreign.qel") + "' --json", &err), 1);
    EXPECT_EQ(err.rfind("orivan-cli: Not a measurement logging file: " + Path("foreign.qel"), 0), 0u) << err;

    WriteCurrent(Path("t.qel"), MakePara(0, 3), HarmSets(6, 3), {HResult(0), HResult(1), HResult(2)});
    Bytes b = Slurp(Path("t.qel"));
    b.resize(3492 + 1380 * 3 + 17);
    Spit(Path("t.qel"), b);
    for (const char* cmd : {"info", "frames", "evaluate"}) {
        EXPECT_EQ(Program(std::string(cmd) + " '" + Path("t.qel") + "'", &err), 1) << cmd;
        EXPECT_NE(err.find("truncated"), std::string::npos) << err;
    }
    EXPECT_EQ(Program("export '" + Path("t.qel") + "' '" + Path("o.txt") + "'", &err), 1);
    EXPECT_EQ(Program("cut '" + Path("t.qel") + "' 0 2 '" + Path("o.qel") + "'", &err), 1);
    EXPECT_EQ(Program("cut '" + Path("t.qel") + "' zero 2 '" + Path("o.qel") + "'", &err), 2);
}

}  // namespace
