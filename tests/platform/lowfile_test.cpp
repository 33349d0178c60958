#include "platform/lowfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

class LowFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/orivan_lowfile_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override
    {
        SetProjectDir(nullptr);
        std::system(("rm -rf '" + dir + "'").c_str());
    }
    std::string Path(const char* name) { return dir + "/" + name; }
    std::string dir;
};

TEST_F(LowFile, ReadWriteSeekAndModes)
{
    std::string p = Path("data.bin");
    EXPECT_LT(OpenFile(p.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY), 0);   // missing
    int h = OpenFile(p.c_str(), VAL_READ_WRITE, VAL_TRUNCATE, VAL_BINARY);
    ASSERT_GE(h, 0);
    EXPECT_EQ(WriteFile(h, "0123456789", 10), 10);
    EXPECT_EQ(SetFilePtr(h, 4, SEEK_FROM_START), 4);
    char b[8] = {};
    EXPECT_EQ(ReadFile(h, b, 3), 3);
    EXPECT_STREQ(b, "456");
    EXPECT_EQ(SetFilePtr(h, -2, SEEK_FROM_END), 8);
    EXPECT_EQ(ReadFile(h, b, 8), 2);                 // short read at the end
    EXPECT_EQ(ReadFile(h, b, 8), 0);
    EXPECT_EQ(SetFilePtr(h, 0, 7), -1);              // bad origin
    EXPECT_EQ(CloseFile(h), 0);
    EXPECT_EQ(CloseFile(h), -1);
    EXPECT_EQ(WriteFile(h, "x", 1), -1);             // closed handle
    EXPECT_EQ(CloseFile(0), -1);                     // never closes what it did not open

    long long size = 0;
    EXPECT_EQ(GetFileInfo(p.c_str(), &size), 1);
    EXPECT_EQ(size, 10);
    EXPECT_EQ(FileExists(p.c_str(), nullptr), 1);
    EXPECT_EQ(FileSize(p.c_str()), 10);
    EXPECT_EQ(GetFileInfo(Path("none").c_str(), &size), 0);
    EXPECT_EQ(FileExists(dir.c_str(), nullptr), 0);  // a directory is not a file
    EXPECT_LT(OpenFile(dir.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY), 0);

    h = OpenFile(p.c_str(), VAL_WRITE_ONLY, VAL_APPEND, VAL_BINARY);
    ASSERT_GE(h, 0);
    EXPECT_EQ(WriteFile(h, "ab", 2), 2);
    CloseFile(h);
    EXPECT_EQ(FileSize(p.c_str()), 12);
    h = OpenFile(p.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    EXPECT_EQ(WriteFile(h, "ab", 2), -1);            // read-only handle
    CloseFile(h);
}

TEST_F(LowFile, WriteToAFullDiskFails)
{
    int h = OpenFile("/dev/full", VAL_WRITE_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    ASSERT_GE(h, 0);
    char block[3488] = {};
    EXPECT_EQ(WriteFile(h, block, sizeof block), -1);
    CloseFile(h);
}

TEST_F(LowFile, AFifoNeverBlocksTheOpen)
{
    // A named pipe given as a measurement or configuration file: reading
    // ends at once, writing without a reader is refused.
    std::string p = Path("pipe.qel");
    ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0);
    int h = OpenFile(p.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    ASSERT_GE(h, 0);
    char block[16];
    EXPECT_EQ(ReadFile(h, block, sizeof block), 0);
    CloseFile(h);
    EXPECT_LT(OpenFile(p.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY), 0);
}

TEST_F(LowFile, ReadLineSplitsLinesAndCutsLongOnes)
{
    std::string p = Path("lines.txt");
    int h = OpenFile(p.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_ASCII);
    std::string text = "first\r\nsecond line is long\n\nlast";
    ASSERT_EQ(WriteFile(h, text.data(), (long long)text.size()), (long long)text.size());
    CloseFile(h);
    h = OpenFile(p.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII);
    char line[8];
    std::memset(line, 'Z', sizeof line);
    EXPECT_EQ(ReadLine(h, line, 7), 5);
    EXPECT_STREQ(line, "first");
    EXPECT_EQ(ReadLine(h, line, 7), 7);
    EXPECT_STREQ(line, "second ");                  // rest of the line skipped
    EXPECT_EQ(ReadLine(h, line, 7), 0);
    EXPECT_EQ(ReadLine(h, line, 7), 4);
    EXPECT_STREQ(line, "last");
    EXPECT_EQ(ReadLine(h, line, 7), -2);
    CloseFile(h);
    EXPECT_EQ(ReadLine(h, line, 7), -1);
}

TEST_F(LowFile, PathsAndProgramDirectory)
{
    char drive[MAX_PATHNAME_LEN], d[MAX_PATHNAME_LEN], f[MAX_PATHNAME_LEN];
    SplitPath("/data/tests/run1.qel", drive, d, f);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(d, "/data/tests/");
    EXPECT_STREQ(f, "run1.qel");
    SplitPath("plain.cfg", nullptr, d, f);
    EXPECT_STREQ(d, "");
    EXPECT_STREQ(f, "plain.cfg");
    std::string longpath(3000, 'a');
    SplitPath(longpath.c_str(), nullptr, d, f);
    EXPECT_EQ(std::strlen(f), size_t(MAX_PATHNAME_LEN - 1));

    // The program directory is the directory of the executable.
    char pd[MAX_PATHNAME_LEN];
    EXPECT_EQ(GetProjectDir(pd), 0);
    EXPECT_EQ(std::string(pd), std::string(ORIVAN_BINARY_DIR) + "/bin");
    SetProjectDir((dir + "/").c_str());
    EXPECT_EQ(GetProjectDir(pd), 0);
    EXPECT_EQ(std::string(pd), dir);
    EXPECT_EQ(ProjectFile("default.cfg"), dir + "/default.cfg");
    SetProjectDir(nullptr);
    EXPECT_EQ(ProjectDir(), std::string(ORIVAN_BINARY_DIR) + "/bin");
}

}  // namespace
