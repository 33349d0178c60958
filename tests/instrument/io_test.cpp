// Command writes, waits and the block readers against the simulator.
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstring>

#include "bench_fixture.h"

namespace {

// A session prepared like PAMX_initSYS leaves it, on GPIB or serial.
class Io : public SimBench, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        SimBench::SetUp();
        bool gpib = GetParam();
        dev = at(gpib ? "GPIB::6" : "ASRL2::INSTR");
        ASSERT_EQ(PAMX_initSYS(gpib ? 1 : 0, 6, 2, 9600, 0, 0, &vi, 0), 1);
    }
    // Lets the analyser answer the next message with these raw bytes.
    void answer_raw(const std::string& bytes)
    {
        dev->registry().add("RAW?", [bytes](sim::Analyser& a, const sim::Command&) {
            a.emit(bytes, Timer());
            return sim::Answer::none();
        });
        PAMX_writeInstrData(vi, "RAW?\n");
    }
    std::shared_ptr<sim::Analyser> dev;
    ViSession vi = 0;
};

TEST_P(Io, BlockReaderJoinsPayloadsOfSeveralBlocks)
{
    answer_raw("#14abcd#18efghijkl\n");
    unsigned char dest[64];
    ViInt32 count = -1;
    EXPECT_GE(PAMX_CreadInstrDataBinary(vi, sizeof dest, dest, &count), 0);
    EXPECT_EQ(count, 12);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(dest), 12), "abcdefghijkl");
}

TEST_P(Io, PayloadWithLineFeedIsReadWhole)
{
    answer_raw(std::string("#14\x0a\x00\x0a\x01", 7) + "\n");
    unsigned char dest[8];
    ViInt32 count = 0;
    EXPECT_GE(PAMX_CreadInstrDataBinary(vi, sizeof dest, dest, &count), 0);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(dest[0], 10);
    EXPECT_EQ(dest[2], 10);
    EXPECT_EQ(dest[3], 1);
}

TEST_P(Io, BlockThatDoesNotFitIsRefusedAfterTheOnesThatFit)
{
    // 460 bytes of room, 464 announced in two blocks (456 + 8).
    std::string answer = "#3456" + std::string(456, 'x') + "#18" + std::string(8, 'y') + "\n";
    answer_raw(answer);
    std::vector<unsigned char> dest(460 + 16, 0xEE);
    ViInt32 count = 0;
    EXPECT_EQ(PAMX_CreadInstrDataBinary(vi, 460, dest.data(), &count), -6);
    EXPECT_EQ(count, 456);
    EXPECT_EQ(dest[456], 0xEE) << "nothing is stored past the blocks that fitted";
    EXPECT_EQ(dest[460], 0xEE);
}

TEST_P(Io, MalformedHeadersAreRefused)
{
    struct Case {
        std::string bytes;
        ViStatus expect;
    } cases[] = {
        {"UAC 230.0\n", -7},          // a text answer
        {"#x4abcd\n", -7},            // digit count not a digit
        {"#0abcd\n", -7},             // indefinite length is not a definite block
        {"#2x4abcd\n", -7},           // length not a number
        {"#9999999999\n", -6},        // far more than the destination holds
    };
    for (const Case& c : cases) {
        answer_raw(c.bytes);
        unsigned char dest[16];
        ViInt32 count = 0;
        EXPECT_EQ(PAMX_CreadInstrDataBinary(vi, sizeof dest, dest, &count), c.expect) << c.bytes;
        PAMX_setTimeout(vi, 1000);
        PAMX_flushInstrData(vi);
    }
}

TEST_P(Io, NoAnswerYetGivesMinus999WithoutReading)
{
    dev->faults.late = 3.0;
    PAMX_writeInstrData(vi, "FRMT PACKED;*OPC?\n");
    unsigned char dest[4] = {9, 9, 9, 9};
    ViInt32 count = 5;
    EXPECT_EQ(PAMX_CreadInstrDataBinary(vi, sizeof dest, dest, &count), PAMX_NO_ANSWER);
    EXPECT_EQ(dest[0], 0);
    AdvanceClock(3.0);
    // Answered in text (the format changes with the next message): not a block.
    EXPECT_EQ(PAMX_CreadInstrDataBinary(vi, sizeof dest, dest, &count), -7);
}

TEST_P(Io, OperationCompleteAnswers)
{
    EXPECT_EQ(PAMX_writeCmdwithOPCwait(vi, "*OPC?\n"), 1);
    dev->registry().add("ZERO?", [](sim::Analyser&, const sim::Command&) { return sim::Answer::of_text("0"); });
    dev->registry().add("ELEVEN?", [](sim::Analyser&, const sim::Command&) { return sim::Answer::of_text("11"); });
    EXPECT_EQ(PAMX_writeCmdwithOPCwait(vi, "ZERO?\n"), -1);
    EXPECT_EQ(PAMX_writeCmdwithOPCwait(vi, "ELEVEN?\n"), -1);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "Answer to ZERO?\n");
    EXPECT_EQ(shown[1].title, "Answer to ELEVEN?\n");
}

TEST_P(Io, PackedOperationCompleteWait)
{
    ASSERT_EQ(PAMX_writeCmdwithOPCwait(vi, "FRMT PACKED;*OPC?\n"), 1);
    EXPECT_TRUE(dev->packed);
    EXPECT_EQ(PAMX_writeCmdwithOPCwaitB(vi, "FRMT ASCII;*OPC?\n"), 0);
    EXPECT_FALSE(dev->packed);
    // The next text command works again.
    EXPECT_EQ(PAMX_writeCmdwithOPCwait(vi, "*OPC?\n"), 1);
}

TEST_P(Io, PackedWaitIsBoundedByTheSessionTimeout)
{
    ASSERT_EQ(PAMX_writeCmdwithOPCwait(vi, "FRMT PACKED;*OPC?\n"), 1);
    dev->faults.no_answer = true;
    double t0 = Timer();
    EXPECT_EQ(PAMX_writeCmdwithOPCwaitB(vi, "FRMT ASCII;*OPC?\n"), -1);
    EXPECT_LT(Timer() - t0, 60.0);
    dev->faults.no_answer = false;
    dev->packed = true;  // FRMT ASCII was executed, its answer dropped
    dev->registry().add("TWO?", [](sim::Analyser&, const sim::Command&) { return sim::Answer::of_text("2"); });
    EXPECT_EQ(PAMX_writeCmdwithOPCwaitB(vi, "TWO?\n"), -1);
}

TEST_P(Io, PackedAnswersOfSeveralQueries)
{
    ASSERT_EQ(PAMX_writeCmdwithOPCwait(vi, "FRMT PACKED;*OPC?\n"), 1);
    PAMX_writeInstrData(vi, "UAC?;FREQ?;*TST?\n");
    unsigned char dest[12];
    ViInt32 count = 0;
    ViStatus st;
    do st = PAMX_CreadInstrDataBinary(vi, sizeof dest, dest, &count);
    while (st == PAMX_NO_ANSWER);
    ASSERT_GE(st, 0);
    ASSERT_EQ(count, 12);
    float u, f;
    int32_t t;
    std::memcpy(&u, dest, 4);
    std::memcpy(&f, dest + 4, 4);
    std::memcpy(&t, dest + 8, 4);
    EXPECT_FLOAT_EQ(u, 230.0f);
    EXPECT_FLOAT_EQ(f, 50.0f);
    EXPECT_EQ(t, 0);
}

TEST_P(Io, OtherBlockReaders)
{
    answer_raw("#14abcd#14efgh\n");
    unsigned char dest[8];
    ViInt32 count = 0;
    // Full destination with a further block to come.
    EXPECT_EQ(PAMX_readInstrDataBinary(vi, 4, dest, &count), -20);
    PAMX_flushInstrData(vi);

    answer_raw("#14abcd#14efgh\n");
    EXPECT_GE(PAMX_readInstrDataBinary(vi, 8, dest, &count), 0);
    EXPECT_EQ(count, 8);

    answer_raw("#14abcd\n");
    EXPECT_GE(PAMX_BufreadInstrDataBinary(vi, 8, dest, &count), 0);
    EXPECT_EQ(count, 4);
    answer_raw("Q\n");
    EXPECT_EQ(PAMX_BufreadInstrDataBinary(vi, 8, dest, &count), -7);
    EXPECT_NE(std::strstr(PAMX_diagnostic, "  Instead  of # the Q was read"), nullptr);

    answer_raw("#14abcd#12xy\n");
    unsigned char raw[64];
    ViStatus st = PAMX_readBufferDataBinary(vi, sizeof raw, raw, &count);
    ASSERT_GE(st, 0);
    EXPECT_EQ(count, 13);
    ViInt32 parsed = 0;
    EXPECT_EQ(ReadDataFromBuffer(raw, count, dest, 8, &parsed), 13);
    EXPECT_EQ(parsed, 6);
    EXPECT_EQ(ReadDataFromBuffer(raw, count, dest, 5, &parsed), -6);
    EXPECT_EQ(ReadDataFromBuffer(raw, 5, dest, 8, &parsed), -5);
    const unsigned char text[] = "1.0\n";
    EXPECT_EQ(ReadDataFromBuffer(text, 4, dest, 8, &parsed), -7);
}

TEST_P(Io, EchoingBlockReaderKeepsWhatItRead)
{
    std::string dir = std::string(ORIVAN_BINARY_DIR) + "/sread_" + (GetParam() ? "gpib" : "serial");
    mkdir(dir.c_str(), 0755);
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    std::remove("buffer.tst");
    unsigned char dest[8];
    ViInt32 count = 0;
    if (!GetParam()) {
        EXPECT_EQ(PAMX_SreadInstrDataBinary(vi, 8, dest, &count), PAMX_NO_ANSWER);
    }
    answer_raw("#14abcd\n");
    EXPECT_GE(PAMX_SreadInstrDataBinary(vi, 8, dest, &count), 0);
    EXPECT_EQ(count, 4);
    answer_raw("#15abcde\n");
    EXPECT_EQ(PAMX_SreadInstrDataBinary(vi, 4, dest, &count), -6);
    std::FILE* f = std::fopen("buffer.tst", "rb");
    ASSERT_NE(f, nullptr);
    char got[64] = {};
    size_t n = std::fread(got, 1, sizeof got - 1, f);
    std::fclose(f);
    EXPECT_EQ(std::string(got, n), "#14abcd\n#15");
    std::remove("buffer.tst");
    ASSERT_EQ(chdir(old), 0);
}

TEST_P(Io, SingleValues)
{
    double v = 0;
    EXPECT_EQ(PAMX_readMeasurement(vi, 42, &v), PAMX_ERROR_PARAMETER2);
    EXPECT_EQ(PAMX_readMeasurement(vi, -1, &v), PAMX_ERROR_PARAMETER2);
    EXPECT_GE(PAMX_readMeasurement(vi, 0, &v), 0);
    EXPECT_DOUBLE_EQ(v, 230.0);
    EXPECT_GE(PAMX_readMeasurement(vi, 29, &v), 0);
    EXPECT_DOUBLE_EQ(v, 50.0);
    dev->faults.garbage = true;
    EXPECT_EQ(PAMX_readMeasurement(vi, 0, &v), PAMX_ERROR_INTERPRETING_RESPONSE);
}

TEST_P(Io, SeveralValuesInMessagesOfTwenty)
{
    ViInt32 idx[25];
    for (int k = 0; k < 25; ++k) idx[k] = k % 2 ? 29 : 0;  // UAC?, FREQ? ...
    char out[1024];
    ASSERT_EQ(PAMX_read_vals(vi, idx, 25, out, sizeof out), VI_SUCCESS);
    size_t queries = 0;
    for (const auto& m : dev->log) queries += m.rfind("UAC?;FREQ?", 0) == 0;
    EXPECT_EQ(queries, 2u);
    double vals[25];
    ASSERT_EQ(PAMX_string_to_array(out, 25, vals), 0);
    EXPECT_DOUBLE_EQ(vals[0], 230.0);
    EXPECT_DOUBLE_EQ(vals[23], 50.0);
    EXPECT_DOUBLE_EQ(vals[24], 230.0);
    char tiny[8];
    EXPECT_EQ(PAMX_read_vals(vi, idx, 3, tiny, sizeof tiny), -1);
}

TEST_P(Io, FlushDiscardsEverythingPending)
{
    PAMX_writeInstrData(vi, "*IDN?\n");
    PAMX_writeInstrData(vi, "*IDN?\n");
    EXPECT_EQ(PAMX_flushInstrData(vi), 0);
    ViInt32 word = -1;
    EXPECT_GE(PAMX_CheckMAV(vi, 0, &word), 0);
    EXPECT_EQ(word & (GetParam() ? 0x10 : 0xFFFF), 0);
}

INSTANTIATE_TEST_SUITE_P(GpibAndSerial, Io, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Gpib" : "Serial"; });

class Waits : public SimBench {};

TEST_F(Waits, WaitMavWithoutAnswerEndsAfterTheBound)
{
    at("GPIB::6");
    ViSession vi = open("GPIB::6");
    double t0 = Timer();
    EXPECT_EQ(PAMX_waitMAV(vi, 5000), -1);
    EXPECT_NEAR(Timer() - t0, 5.0, 0.1);
    PAMX_writeInstrData(vi, "*IDN?\n");
    EXPECT_EQ(PAMX_waitMAV(vi, 5000) & 0x10, 0x10);
    EXPECT_EQ(PAMX_waitEvMAV(vi, 5000) & 0x10, 0x10);
}

TEST_F(Waits, SerialWaitCountsWholeSeconds)
{
    at("ASRL1::INSTR");
    ViSession vi = open("ASRL1::INSTR");
    double t0 = Timer();
    EXPECT_EQ(PAMX_waitMAV(vi, 500), -1);
    EXPECT_GE(Timer() - t0, 1.0);
    EXPECT_EQ(PAMX_waitEvMAV(vi, 500), 0);  // one look, no wait
    PAMX_writeInstrData(vi, "*IDN?\n");
    EXPECT_GT(PAMX_waitMAV(vi, 500), 0);
}

TEST_F(Waits, TextReadReportsTheFailedWait)
{
    auto a = at("GPIB::6");
    a->faults.no_answer = true;
    ViSession vi = open("GPIB::6");
    PAMX_setTimeout(vi, 1000);
    PAMX_writeInstrData(vi, "*IDN?\n");
    char buf[60];
    ViUInt32 n = 7;
    EXPECT_EQ(PAMX_readInstrData(vi, 59, buf, &n), -1);
    EXPECT_EQ(n, 0u);
}

TEST(StringToArray, SplitsAtCommasAndSemicolons)
{
    double v[4];
    EXPECT_EQ(PAMX_string_to_array("1.5,2;-3e2 , 4", 4, v), 0);
    EXPECT_DOUBLE_EQ(v[0], 1.5);
    EXPECT_DOUBLE_EQ(v[1], 2.0);
    EXPECT_DOUBLE_EQ(v[2], -300.0);
    EXPECT_DOUBLE_EQ(v[3], 4.0);
    EXPECT_EQ(PAMX_string_to_array("1,2", 3, v), PAMX_SCAN_FAILED);
    EXPECT_EQ(PAMX_string_to_array("1,abc", 2, v), PAMX_SCAN_FAILED);
}

}  // namespace

namespace {

class GermanDesktop : public SimBench {
protected:
    void SetUp() override
    {
        SimBench::SetUp();
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 not installed";
    }
    void TearDown() override
    {
        std::setlocale(LC_ALL, "C");
        SimBench::TearDown();
    }
};

TEST_F(GermanDesktop, NumbersStayInTheCLocale)
{
    auto a = at("GPIB::6");
    auto values = std::make_shared<sim::StaticValues>();
    values->set("PF", 1, 0.75);
    a->set_values(values);
    ViSession vi = 0;
    ASSERT_EQ(PAMX_initSYS(1, 6, 1, 9600, 0, 0, &vi, 0), 1);
    double v = 0;
    ASSERT_GE(PAMX_readMeasurement(vi, 35, &v), 0);
    EXPECT_DOUBLE_EQ(v, 0.75);
    ViInt32 idx[2] = {35, 29};
    char out[64];
    ASSERT_EQ(PAMX_read_vals(vi, idx, 2, out, sizeof out), VI_SUCCESS);
    EXPECT_STREQ(out, "0.75;50");
    double arr[2];
    ASSERT_EQ(PAMX_string_to_array(out, 2, arr), 0);
    EXPECT_DOUBLE_EQ(arr[0], 0.75);
    para.analyser = 0;
    a->identity.firmware = "1.500";
    EXPECT_EQ(PAMX_identify(vi, 0), 0);
}

}  // namespace
