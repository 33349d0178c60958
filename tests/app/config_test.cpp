#include "app/config.h"
#include "state/workmode.h"
#include "platform/lowfile.h"
#include "state/old_para.h"
#include "state/reset.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

class ConfigFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/orivan_cfg_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ResetProgramState();
        SetConfigMessageHandler([this](const char* title, const char* text) {
            messages.push_back(std::string(title) + ": " + text);
        });
        SetProjectDir(dir.c_str());
    }
    void TearDown() override
    {
        SetProjectDir(nullptr);
        ResetProgramState();
        std::system(("rm -rf '" + dir + "'").c_str());
    }
    std::string Path(const char* name) { return dir + "/" + name; }
    void WriteBytes(const std::string& path, const void* data, size_t n)
    {
        int h = OpenFile(path.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
        ASSERT_GE(h, 0);
        ASSERT_EQ(WriteFile(h, data, (long long)n), (long long)n);
        CloseFile(h);
    }
    std::vector<unsigned char> ReadBytes(const std::string& path)
    {
        std::vector<unsigned char> v(size_t(FileSize(path.c_str())));
        int h = OpenFile(path.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
        EXPECT_EQ(ReadFile(h, v.data(), (long long)v.size()), (long long)v.size());
        CloseFile(h);
        return v;
    }
    // A record of random bytes whose texts are terminated (as the program
    // writes them); reserved bytes random and non-zero.
    static Para RandomRecord(unsigned seed)
    {
        std::mt19937 gen(seed);
        unsigned char b[PARA_SIZE];
        for (auto& c : b) c = (unsigned char)(1 + gen() % 255);
        Para r;
        std::memcpy(&r, b, sizeof r);
        TerminateTexts(r);
        return r;
    }
    static bool Same(const Para& a, const Para& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

    std::string dir;
    std::vector<std::string> messages;
};

TEST_F(ConfigFiles, RoundTripKeepsAll3488BytesIncludingReserved)
{
    Para saved = RandomRecord(1);
    ASSERT_NE(saved.reserved1[0], 0);
    para = saved;
    ASSERT_EQ(SaveConfigurationTo(Path("setup.cfg").c_str()), 1);
    auto bytes = ReadBytes(Path("setup.cfg"));
    ASSERT_EQ(bytes.size(), PARA_SIZE);                      // no header, no padding
    EXPECT_EQ(std::memcmp(bytes.data(), &saved, PARA_SIZE), 0);

    reset_para_state();
    workmode = 1;
    ASSERT_EQ(LoadConfigurationFrom(Path("setup.cfg").c_str()), 1);
    EXPECT_TRUE(Same(para, saved));
    EXPECT_EQ(workmode, 2);
    EXPECT_TRUE(messages.empty());

    // Saving over a longer file leaves exactly the record.
    std::vector<unsigned char> big(5000, 0xEE);
    WriteBytes(Path("big.cfg"), big.data(), big.size());
    EXPECT_EQ(WriteConfigFile(Path("big.cfg").c_str(), saved), CFG_OK);
    EXPECT_EQ(FileSize(Path("big.cfg").c_str()), (long long)PARA_SIZE);
}

TEST_F(ConfigFiles, LongerFilesGiveTheirFirst3488Bytes)
{
    Para rec = RandomRecord(2);
    std::vector<unsigned char> bytes(PARA_SIZE + 100, 0x55);
    std::memcpy(bytes.data(), &rec, PARA_SIZE);
    WriteBytes(Path("long.cfg"), bytes.data(), bytes.size());
    Para got{};
    EXPECT_EQ(ReadConfigFile(Path("long.cfg").c_str(), got), CFG_OK);
    EXPECT_TRUE(Same(got, rec));
}

TEST_F(ConfigFiles, ShortOrUnreadableFilesAreRefusedWithTheRecordUnchanged)
{
    para = RandomRecord(3);
    const Para before = para;
    std::vector<unsigned char> bytes(PARA_SIZE - 1, 0x11);
    WriteBytes(Path("short.cfg"), bytes.data(), bytes.size());

    workmode = 1;
    EXPECT_EQ(LoadConfigurationFrom(Path("short.cfg").c_str()), -1);
    EXPECT_TRUE(Same(para, before));
    EXPECT_EQ(workmode, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Error: "), std::string::npos);
    EXPECT_NE(messages[0].find(Path("short.cfg")), std::string::npos);
    EXPECT_NE(messages[0].find("3487"), std::string::npos);
    EXPECT_EQ(LastConfigMessage(), messages[0].substr(7));

    WriteBytes(Path("empty.cfg"), "", 0);
    EXPECT_EQ(ReadConfigFile(Path("empty.cfg").c_str(), para), CFG_ERR_SHORT);
    EXPECT_EQ(ReadConfigFile(Path("missing.cfg").c_str(), para), CFG_ERR_OPEN);
    EXPECT_EQ(ReadConfigFile(dir.c_str(), para), CFG_ERR_OPEN);   // a directory
    EXPECT_EQ(ReadConfigFile("", para), CFG_ERR_OPEN);
    EXPECT_TRUE(Same(para, before));
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_NE(messages[2].find(Path("missing.cfg")), std::string::npos);
}

TEST_F(ConfigFiles, ForeignTextsAreTerminatedInsideTheirFields)
{
    unsigned char bytes[PARA_SIZE];
    std::memset(bytes, 'A', sizeof bytes);
    WriteBytes(Path("foreign.cfg"), bytes, sizeof bytes);
    Para got;
    ASSERT_EQ(ReadConfigFile(Path("foreign.cfg").c_str(), got), CFG_OK);
    EXPECT_EQ(std::strlen(got.printer_port), 4u);
    EXPECT_EQ(std::strlen(got.logo_file), 719u);
    EXPECT_EQ(std::strlen(got.comment[6]), 255u);
    EXPECT_EQ(got.h_class, 0x41414141);          // numbers are not validated
    EXPECT_EQ(got.reserved1[15], 'A');
}

TEST_F(ConfigFiles, WriteFailuresAreReported)
{
    para = RandomRecord(4);
    EXPECT_EQ(SaveConfigurationTo(Path("no/such/dir/x.cfg").c_str()), -1);
    EXPECT_EQ(WriteConfigFile("/dev/full", para), CFG_ERR_WRITE);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("no/such/dir/x.cfg"), std::string::npos);
    EXPECT_NE(messages[1].find("/dev/full"), std::string::npos);
}

TEST_F(ConfigFiles, DefaultConfigIsOnlyEverUpdatedNeverCreated)
{
    const std::string def = Path("default.cfg");
    EXPECT_EQ(DefaultConfigPath(), def);

    // Missing: start-up keeps the all-zero record, closing writes nothing.
    para.baudrate = 19200;
    LoadDefaultConfig();
    EXPECT_EQ(para.baudrate, 19200);
    SaveDefaultConfig();
    EXPECT_EQ(FileExists(def.c_str(), nullptr), 0);
    EXPECT_TRUE(messages.empty());

    // Present: read at start-up, written over on closing.
    Para stored = RandomRecord(5);
    WriteBytes(def, &stored, PARA_SIZE);
    reset_para_state();
    LoadDefaultConfig();
    EXPECT_TRUE(Same(para, stored));
    para.com_port = 4;
    SaveDefaultConfig();
    auto bytes = ReadBytes(def);
    ASSERT_EQ(bytes.size(), PARA_SIZE);
    Para back;
    std::memcpy(&back, bytes.data(), PARA_SIZE);
    EXPECT_EQ(back.com_port, 4);

    // A damaged default file is refused; the record stays as it was.
    WriteBytes(def, "short", 5);
    const Para before = para;
    LoadDefaultConfig();
    EXPECT_TRUE(Same(para, before));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(def), std::string::npos);
}

// An old block with the mapped fields set and everything else noise.
std::vector<unsigned char> OldBlock()
{
    std::vector<unsigned char> b(OLD_PARA_SIZE);
    for (size_t i = 0; i < b.size(); ++i) b[i] = (unsigned char)(0x80 | (i * 7));
    auto put = [&](size_t off, int32_t v) { std::memcpy(&b[off], &v, 4); };
    auto putf = [&](size_t off, float v) { std::memcpy(&b[off], &v, 4); };
    auto puts = [&](size_t off, size_t size, const char* s) {
        std::memset(&b[off], 0, size);
        std::memcpy(&b[off], s, std::strlen(s));
    };
    put(0, 0); put(4, 9600); put(8, 2); put(12, 7);
    put(32, 12);
    for (int k = 0; k < 9; ++k) put(40 + 4 * k, 101 + k);
    for (int i = 0; i < 7; ++i) puts(76 + 256 * i, 256, ("old comment " + std::to_string(i)).c_str());
    puts(1868, 256, "C:\\data\\old.qel");
    put(2124, 1);
    puts(2132, 5, "LPT2");
    std::memcpy(&b[2137], "ABCDEFGHI", 9);      // serial number filling its field
    puts(2146, 7, "1.23");
    puts(2153, 7, "2.03");
    putf(2160, 5.0f); putf(2164, 250.0f); putf(2168, 2.0f); putf(2172, 1.5f);
    return b;
}

TEST_F(ConfigFiles, OldParameterBlockIsMappedFieldByField)
{
    // Old logging file: 4-byte count, then the block.
    auto block = OldBlock();
    std::vector<unsigned char> file(4, 0);
    file.insert(file.end(), block.begin(), block.end());
    file.resize(file.size() + 200, 0x33);
    WriteBytes(Path("old.qel"), file.data(), file.size());

    para = RandomRecord(6);
    para.phases = 3;
    para.analyser = 2;
    const Para before = para;
    int h = OpenFile(Path("old.qel").c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    ASSERT_GE(h, 0);
    ASSERT_EQ(SetFilePtr(h, 4, SEEK_FROM_START), 4);
    EXPECT_EQ(ReadOldParameter(h), 0);
    EXPECT_EQ(SetFilePtr(h, 0, SEEK_FROM_CURRENT), 4 + (long long)OLD_PARA_SIZE);
    CloseFile(h);

    EXPECT_EQ(para.phases, 1);
    EXPECT_EQ(para.analyser, 0);
    EXPECT_EQ(para.if_gpib, 0);
    EXPECT_EQ(para.baudrate, 9600);
    EXPECT_EQ(para.com_port, 2);
    for (int a = 0; a < 3; ++a) EXPECT_EQ(para.gpib_address[a], 7);
    EXPECT_EQ(para.fl_periods, 12);
    EXPECT_EQ(para.fl_minutes, 101);
    EXPECT_EQ(para.fl_seconds, 102);
    EXPECT_EQ(para.sys_code, 103);
    EXPECT_EQ(para.h_hours, 104);
    EXPECT_EQ(para.h_minutes, 105);
    EXPECT_EQ(para.h_seconds, 106);
    EXPECT_EQ(para.h_standard, 107);
    EXPECT_EQ(para.h_class, 108);
    EXPECT_EQ(para.smoothing, 109);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(std::string(para.comment[i]), "old comment " + std::to_string(i));
    EXPECT_STREQ(para.log_file, "C:\\data\\old.qel");
    EXPECT_EQ(para.test_kind, 1);
    EXPECT_STREQ(para.printer_port, "LPT2");
    EXPECT_STREQ(para.serial_no[0], "ABCDEFGH");          // cut inside its field
    EXPECT_STREQ(para.revision[0], "1.23");
    EXPECT_STREQ(para.sw_version, "2.03");
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(para.i_range[p], 5.0f);                  // one value for all phases
        EXPECT_EQ(para.u_range[p], 250.0f);
        EXPECT_EQ(para.i_scale[p], 2.0f);
        EXPECT_EQ(para.u_scale[p], 1.5f);
    }
    for (auto& t : para.test_data)
        for (char c : t) EXPECT_EQ(c, '\0');
    // Everything the block does not carry keeps its value.
    EXPECT_EQ(std::memcmp(para.serial_no[1], before.serial_no[1], sizeof para.serial_no[1] * 2), 0);
    EXPECT_EQ(std::memcmp(para.model, before.model, sizeof para.model), 0);
    EXPECT_EQ(std::memcmp(para.reserved1, before.reserved1, sizeof para.reserved1), 0);
    EXPECT_EQ(para.fl_hours, before.fl_hours);
    EXPECT_EQ(std::memcmp(&para.user_stopped, &before.user_stopped,
                          PARA_SIZE - offsetof(Para, user_stopped)), 0);
}

TEST_F(ConfigFiles, TruncatedOldBlockLeavesTheRecordUnchanged)
{
    auto block = OldBlock();
    WriteBytes(Path("cut.qel"), block.data(), 1000);
    para = RandomRecord(7);
    const Para before = para;
    int h = OpenFile(Path("cut.qel").c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    EXPECT_EQ(ReadOldParameter(h), CFG_ERR_SHORT);
    CloseFile(h);
    EXPECT_EQ(ReadOldParameter(h), CFG_ERR_READ);          // closed handle
    EXPECT_TRUE(Same(para, before));
}

}  // namespace
