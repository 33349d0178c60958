#include "app/cli.h"
#include "app/config.h"
#include "app/config_show.h"
#include "platform/lowfile.h"
#include "state/reset.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Captures what a command prints.
struct Capture {
    char* data = nullptr;
    size_t size = 0;
    std::FILE* f = open_memstream(&data, &size);
    std::string Text() { std::fflush(f); return std::string(data, size); }
    ~Capture() { std::fclose(f); std::free(data); }
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/orivan_cli_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ResetProgramState();
        SetConfigMessageHandler([this](const char*, const char* text) { messages += text; });
    }
    void TearDown() override
    {
        ResetProgramState();
        SetProjectDir(nullptr);
        std::system(("rm -rf '" + dir + "'").c_str());
    }
    std::string dir;
    std::string messages;
};

TEST_F(Cli, SampleConfigIsWrittenAndShownByName)
{
    std::string path = dir + "/sample.cfg";
    char* args[] = {path.data()};
    Capture out;
    ASSERT_EQ(CliWriteSampleConfig(1, args, out.f), CLI_OK);
    EXPECT_EQ(FileSize(path.c_str()), (long long)PARA_SIZE);
    Capture show;
    ASSERT_EQ(CliShowConfig(1, args, show.f), CLI_OK);
    std::string t = show.Text();
    for (const char* line : {
             "if_gpib                    1 (GPIB)\n",
             "gpib_address               analyser 1: 5   analyser 2: 6   analyser 3: 7\n",
             "h_standard                 3 (limits EN61000-3-2:2006, measuring method EN61000-4-7:2002, grouping on)\n",
             "h_class                    0 (protocol text \"A\")\n",
             "meas_time                  150 s (00:02:30)\n",
             "i_range                    L1 20.000000   L2 20.000000   L3 20.000000\n",
             "u_range                    L1 250.000000   L2 250.000000   L3 250.000000\n",
             "dc_limit                   3.300000 %\n",
             "test_data[2] company       \"Orivan Test GmbH\"\n",
             "ai_name[3]                 \"Ch 4\"\n",
             "reserved 24..39            zero (16 bytes)\n",
             "logo_file                  \"\"\n"})
        EXPECT_NE(t.find(line), std::string::npos) << line;
}

TEST_F(Cli, ShowConfigMakesForeignContentVisible)
{
    Para r;
    MakeSampleConfig(r);
    r.h_class = 12;
    r.rsce = 120.0f;
    r.h_standard = 9;
    r.reserved2[1] = 0xAB;
    std::memcpy(r.printer_port, "COM1X", 5);        // no terminating zero
    r.test_data[0][0] = '\t';
    std::string t = ShowConfig(r);
    EXPECT_NE(t.find("h_class                    12 (protocol text \"Table 4 and Rsce=\" followed by rsce 120.000000)"),
              std::string::npos);
    EXPECT_NE(t.find("h_standard                 9 (unknown)"), std::string::npos);
    EXPECT_NE(t.find("reserved 2276..2279        00 ab 00 00"), std::string::npos);
    EXPECT_NE(t.find("\"COM1X\" (no terminating zero)"), std::string::npos);
    EXPECT_NE(t.find("\"\\x09. Weber\""), std::string::npos);
}

TEST_F(Cli, RefusedFilesFailWithTheirMessage)
{
    std::string path = dir + "/short.cfg";
    int h = OpenFile(path.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    WriteFile(h, "abc", 3);
    CloseFile(h);
    char* args[] = {path.data()};
    Capture out;
    EXPECT_EQ(CliShowConfig(1, args, out.f), CLI_FAILED);
    EXPECT_EQ(out.Text(), "");
    EXPECT_NE(messages.find(path), std::string::npos);
}

int Twice(int argc, char** argv, std::FILE* out)
{
    std::fprintf(out, "%d %s", argc, argc ? argv[0] : "-");
    return 7;
}

TEST_F(Cli, DispatchByTable)
{
    const CliCommand table[] = {{"twice", "[X]", "test command", 0, 1, Twice}};
    auto run = [&](std::initializer_list<const char*> words, std::string* o, std::string* e) {
        std::vector<std::string> store(words.begin(), words.end());
        std::vector<char*> argv;
        for (auto& s : store) argv.push_back(s.data());
        Capture out, err;
        int r = RunCli(table, 1, int(argv.size()), argv.data(), out.f, err.f);
        *o = out.Text();
        *e = err.Text();
        return r;
    };
    std::string o, e;
    EXPECT_EQ(run({"twice", "a"}, &o, &e), 7);
    EXPECT_EQ(o, "1 a");
    EXPECT_EQ(run({"twice", "a", "b"}, &o, &e), CLI_USAGE);
    EXPECT_NE(e.find("usage: orivan-cli twice [X]"), std::string::npos);
    EXPECT_EQ(run({"--help"}, &o, &e), CLI_OK);
    EXPECT_NE(o.find("twice [X]"), std::string::npos);
    EXPECT_EQ(run({"nope"}, &o, &e), CLI_USAGE);
    EXPECT_NE(e.find("unknown command \"nope\""), std::string::npos);
    EXPECT_EQ(run({}, &o, &e), CLI_USAGE);
}

TEST_F(Cli, DemoWritesBesideTheProgramDirectoryAndCreatesNoDefault)
{
    std::string bin = dir + "/bin";
    ASSERT_EQ(std::system(("mkdir -p '" + bin + "'").c_str()), 0);
    SetProjectDir(bin.c_str());
    Capture out;
    ASSERT_EQ(CliDemo(0, nullptr, out.f), CLI_OK);
    EXPECT_EQ(FileSize((dir + "/sample.cfg").c_str()), (long long)PARA_SIZE);
    EXPECT_EQ(FileExists((bin + "/default.cfg").c_str(), nullptr), 0);
    EXPECT_NE(out.Text().find("h_standard"), std::string::npos);
}

}  // namespace
