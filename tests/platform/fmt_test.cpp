// The formatting and scanning notation, with the format strings the program
// uses, under the C locale and under a German locale (decimal comma).
#include "platform/fmt.h"
#include "platform/lowfile.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

class Notation : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        ASSERT_NE(std::setlocale(LC_ALL, GetParam()), nullptr) << "locale " << GetParam() << " not installed";
        if (std::strcmp(GetParam(), "C") != 0) {
            // Make sure the locale really uses a decimal comma.
            char probe[16];
            std::snprintf(probe, sizeof probe, "%.1f", 0.5);
            ASSERT_STREQ(probe, "0,5");
        }
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

INSTANTIATE_TEST_SUITE_P(Locales, Notation, ::testing::Values("C", "de_DE.UTF-8"),
                         [](const auto& info) { return std::string(info.param[0] == 'C' ? "C" : "German"); });

TEST_P(Notation, IntegersWithWidthAndZeroPadding)
{
    char b[64];
    EXPECT_EQ(Fmt(b, "%s<%i[w2p0]:%i[w2p0]:%i[w2p0]", 1, 2, 3), 3);
    EXPECT_STREQ(b, "01:02:03");
    EXPECT_EQ(NumFmtdBytes(), 8);
    // Without the "%s<" the target is implied.
    EXPECT_EQ(Fmt(b, "%i[w2p0]:%i[w2p0]:%i[w2p0]", 12, 0, 59), 3);
    EXPECT_STREQ(b, "12:00:59");
    Fmt(b, "%i[w4p0]", 7);
    EXPECT_STREQ(b, "0007");
    Fmt(b, "%i[w4p0]", -7);
    EXPECT_STREQ(b, "-007");
    Fmt(b, "%s<%i[w2]|", 5);
    EXPECT_STREQ(b, " 5|");
    Fmt(b, "%s<%i[w2]|", 12345);          // wider than the field: written whole
    EXPECT_STREQ(b, "12345|");
    Fmt(b, "%s<%i", -42);
    EXPECT_STREQ(b, "-42");
    Fmt(b, "%s<%i", 5000000000LL);        // never wrapped
    EXPECT_STREQ(b, "5000000000");
    Fmt(b, "Error %x", int32_t(0xBFFC0001u));
    EXPECT_STREQ(b, "Error bffc0001");
    Fmt(b, "No return data\nError %d STB=%i", -1073807339, 64);
    EXPECT_STREQ(b, "No return data\nError -1073807339 STB=64");
}

TEST_P(Notation, RealsInFixedPointWithPointNotComma)
{
    char b[64];
    Fmt(b, "%f[w9p4]", 1.5);
    EXPECT_STREQ(b, "   1.5000");
    Fmt(b, "%s<%f", 1.0);
    EXPECT_STREQ(b, "1.000000");
    Fmt(b, "%s<%f[p2]", 3.14159);
    EXPECT_STREQ(b, "3.14");
    Fmt(b, "%s<%f[p5w8]|%f[w8p5]", 0.25, -0.25);   // modifiers in any order
    EXPECT_STREQ(b, " 0.25000|-0.25000");
    Fmt(b, "%f[w6p3]", 123456.0);                   // wider than the field
    EXPECT_STREQ(b, "123456.000");
    Fmt(b, "%f[w5p1]", 2.25f);                      // a float source
    EXPECT_STREQ(b, "  2.2");
    Fmt(b, "%f[p0]", 2.6);
    EXPECT_STREQ(b, "3");
    Fmt(b, "%f[w9p4]", std::nan(""));
    EXPECT_STREQ(b, "      NaN");
    Fmt(b, "%s<%f", 3);                             // an integer source for %f
    EXPECT_STREQ(b, "3.000000");
    Fmt(b, "%s<%f[p6]", 1e300);
    EXPECT_EQ(std::strlen(b), 63u);                 // cut to the buffer, not overrun
}

TEST_P(Notation, CommandsAndReportLines)
{
    char b[256];
    EXPECT_EQ(Fmt(b, "ZREF %i;ZTST %f;*OPC?\n", 1, 0.4), 2);
    EXPECT_STREQ(b, "ZREF 1;ZTST 0.400000;*OPC?\n");
    EXPECT_EQ(NumFmtdBytes(), int(std::strlen(b)));
    Fmt(b, "FTIM %i;FNRM %i;FLDL %f;*OPC?\n", 600, 1, 4.0);
    EXPECT_STREQ(b, "FTIM 600;FNRM 1;FLDL 4.000000;*OPC?\n");
    Fmt(b, "SENS:VOLT:RANG%i %f\n", 2, 300.0);
    EXPECT_STREQ(b, "SENS:VOLT:RANG2 300.000000\n");
    Fmt(b, "EDIT %i;EVAL %i;SMOO %i;CECD %i;SYSD %i;RSCE %f;*OPC?\n", 3, 10, 1, 0, 7, 33.0);
    EXPECT_STREQ(b, "EDIT 3;EVAL 10;SMOO 1;CECD 0;SYSD 7;RSCE 33.000000;*OPC?\n");
    Fmt(b, "%s<HCurr(%i)", 40);
    EXPECT_STREQ(b, "HCurr(40)");
    Fmt(b, "%s<%i %s", 2, "U");
    EXPECT_STREQ(b, "2 U");
    Fmt(b, "%s<%s%f", "min=", -1.5);
    EXPECT_STREQ(b, "min=-1.500000");
    Fmt(b, "%s<%s %i", "Harmonics of phase  L1     Frame", 17);
    EXPECT_STREQ(b, "Harmonics of phase  L1     Frame 17");
    Fmt(b, "%s<%i[w2] %f[p5w8]%s %f[p5w8]   %f[p2]", 3, 0.5, "*", 2.3, 21.74);
    EXPECT_STREQ(b, " 3  0.50000*  2.30000   21.74");
    Fmt(b, "%s<%i%s%f", 5, "\033p80l", 1.14);
    EXPECT_STREQ(b, "5\033p80l1.140000");
    Fmt(b, "Ch %i", 4);
    EXPECT_STREQ(b, "Ch 4");
    Fmt(b, "%i\033p20c%f[w9p4]\033p45c%f[w9p4]\033p70c%f[w6p3]\033p95c%f[w6p3]", 1, 1.0, 2.0, 0.5, 0.25);
    EXPECT_STREQ(b, "1\033p20c   1.0000\033p45c   2.0000\033p70c 0.500\033p95c 0.250");
}

TEST_P(Notation, EscapesAndPercentSigns)
{
    char b[128];
    Fmt(b, "%<font face=Helvetica size=9%>Phase%</font%>");
    EXPECT_STREQ(b, "<font face=Helvetica size=9>Phase</font>");
    Fmt(b, "dmax %< %f%%            :", 4.0);
    EXPECT_STREQ(b, "dmax < 4.000000%            :");
    Fmt(b, "d(t) %< %f%% for %<%ims :", 3.3, 500);
    EXPECT_STREQ(b, "d(t) < 3.300000% for <500ms :");
    Fmt(b, "Pst always %< 1.0     :");
    EXPECT_STREQ(b, "Pst always < 1.0     :");
    Fmt(b, "%s%f[p6]\t%f[p6]\t", "", 1.0, 2.0);
    EXPECT_STREQ(b, "1.000000\t2.000000\t");
}

TEST_P(Notation, CLibraryFormsOfMessagesAndReplies)
{
    char b[160];
    Fmt(b, "Wrong PAM-A software!\nRequired Version %6.3f, is Version %s\nPlease contact the manufacturer",
        1.0, "0.98");
    EXPECT_STREQ(b, "Wrong PAM-A software!\nRequired Version  1.000, is Version 0.98\nPlease contact the manufacturer");
    Fmt(b, "The given baudrate %li is not valid", 1234567L);
    EXPECT_STREQ(b, "The given baudrate 1234567 is not valid");
    Fmt(b, "%02X%02X", 13, 10);
    EXPECT_STREQ(b, "0D0A");
    Fmt(b, "%i%c%i %i %s", 8, 'N', 1, 9600, "ASRL1");
    EXPECT_STREQ(b, "8N1 9600 ASRL1");
    // A percent sign at the end or before a blank or an escape is itself.
    Fmt(b, "Iharm,%");
    EXPECT_STREQ(b, "Iharm,%");
    Fmt(b, "n\033p25cIaver\033p75cImax/Ilim%\033p100cFrame");
    EXPECT_STREQ(b, "n\033p25cIaver\033p75cImax/Ilim%\033p100cFrame");
    EXPECT_LT(Fmt(b, "%-8s", "x"), 0);            // printf string widths are not part of it

    int code = 0;
    double v = 0;
    EXPECT_EQ(Scan("+32\n", "%hd", &code), 1);    // *ESR? answer
    EXPECT_EQ(code, 32);
    EXPECT_EQ(Scan("2.30E+02\n", "%lf", &v), 1);  // single-value query
    EXPECT_DOUBLE_EQ(v, 230.0);
}

TEST_P(Notation, AppendAndSelfReference)
{
    char b[64] = "P?";
    EXPECT_EQ(Fmt(b, "%s[a]<;%s", "PF?"), 1);
    EXPECT_STREQ(b, "P?;PF?");
    EXPECT_EQ(NumFmtdBytes(), 6);

    // The target as its own first source (the protocol builds lines so).
    char d[64];
    Fmt(d, "%i[w2p0]. ", 7);
    Fmt(d, "%s%s ", d, "December");
    Fmt(d, "%s%i[w4p0]", d, 2026);
    EXPECT_STREQ(d, "07. December 2026");

    std::string s = "HIAM?";
    Fmt(s, "%s[a]<;%s", "P?");
    EXPECT_EQ(s, "HIAM?;P?");
    Fmt(s, "%s<%f[p2]", 2.0);
    EXPECT_EQ(s, "2.00");
}

TEST_P(Notation, FormattingNeverWritesPastTheBuffer)
{
    struct {
        char b[8];
        char guard[8];
    } t;
    std::memset(t.guard, 'G', sizeof t.guard);
    EXPECT_EQ(Fmt(t.b, "%s<%s and %i", "a long text", 12345), 2);
    EXPECT_STREQ(t.b, "a long ");
    EXPECT_EQ(NumFmtdBytes(), 7);
    for (char g : t.guard) EXPECT_EQ(g, 'G');

    // Append onto a full buffer without a zero byte.
    std::memset(t.b, 'x', sizeof t.b);
    Fmt(t.b, "%s[a]<%s", "yy");
    EXPECT_EQ(std::string(t.b), "xxxxxxx");
    for (char g : t.guard) EXPECT_EQ(g, 'G');

    char one[1] = {'z'};
    FmtN(one, 1, "%s<%i", 5);
    EXPECT_EQ(one[0], '\0');
    FmtN(nullptr, 0, "%s<%i", 5);          // nothing to write into
    EXPECT_EQ(NumFmtdBytes(), 0);

    char w[32];
    Fmt(w, "%s<%s[w6]|", "ab");              // text fields fill up with blanks
    EXPECT_STREQ(w, "ab    |");
    Fmt(w, "%s<%s[w6]|", "abcdefgh");        // and are cut to the field
    EXPECT_STREQ(w, "abcdef|");
}

TEST_P(Notation, MalformedFormatsReportFailure)
{
    char b[32];
    EXPECT_LT(Fmt(b, "%s<%q", 1), 0);
    EXPECT_LT(Fmt(b, "%s<%i %i", 1), 0);            // source missing
    EXPECT_LT(Fmt(b, "%s<%i", "text"), 0);          // wrong kind
    EXPECT_LT(Fmt(b, "%s<%f[w]", 1.0), 0);          // width without number
    EXPECT_LT(Fmt(b, "%s<%f[p2", 1.0), 0);          // unclosed modifiers
    int i;
    EXPECT_LT(Scan("1", "%s>%q", &i), 0);
    EXPECT_LT(Scan("1", "%s>%s", &i), 0);           // string into an int
}

TEST_P(Notation, ScanSplitsRepliesAndCountsTargets)
{
    int n = 0;
    char s[16];
    EXPECT_EQ(Scan("7,abc\n", "%s>%i,%s[t10]", &n, s), 2);
    EXPECT_EQ(n, 7);
    EXPECT_STREQ(s, "abc");
    EXPECT_EQ(Scan("7;abc\n", "%s>%i,%s[t10]", &n, s), 1);  // literal does not match
    EXPECT_EQ(Scan("", "%s>%i,%s[t10]", &n, s), 0);
    EXPECT_EQ(Scan("x7", "%s>%i", &n), 0);

    char maker[32], model[20], serial[9], rev[7];
    EXPECT_EQ(Scan("QEL,PAM-A,SN12345,1.2345678\n", "%s>%s[xt44]%s[xt44]%s[xt44]%s[w6]",
                   maker, model, serial, rev), 4);
    EXPECT_STREQ(maker, "QEL");
    EXPECT_STREQ(model, "PAM-A");
    EXPECT_STREQ(serial, "SN12345");
    EXPECT_STREQ(rev, "1.2345");
    // A reply without commas yields one item; an echo or a second device on
    // the address gives fewer than four.
    EXPECT_EQ(Scan("*IDN?\n", "%s>%s[xt44]%s[xt44]%s[xt44]%s[w6]", maker, model, serial, rev), 1);
    EXPECT_EQ(Scan("QEL,PAM-B,1\n", "%s>%s[xt44]%s[xt44]%s[xt44]%s[w6]", maker, model, serial, rev), 3);
    // An empty field between commas is still a field.
    EXPECT_EQ(Scan("QEL,,7,2.0\n", "%s>%s[xt44]%s[xt44]%s[xt44]%s[w6]", maker, model, serial, rev), 4);
    EXPECT_STREQ(model, "");
    EXPECT_STREQ(serial, "7");
    EXPECT_STREQ(rev, "2.0");
}

TEST_P(Notation, ScanNeverWritesPastATarget)
{
    struct {
        char model[6];
        char guard[8];
    } t;
    std::memset(t.guard, 'G', sizeof t.guard);
    char maker[8], serial[9], rev[7];
    EXPECT_EQ(Scan("QEL,PAM-A-VERY-LONG-MODEL,SN1,1.0", "%s>%s[xt44]%s[xt44]%s[xt44]%s[w6]",
                   maker, t.model, serial, rev), 4);
    EXPECT_STREQ(t.model, "PAM-A");
    EXPECT_STREQ(serial, "SN1");      // the rest of the long item was consumed
    for (char g : t.guard) EXPECT_EQ(g, 'G');

    char big[64];
    char* p = big;
    EXPECT_EQ(Scan("abcdef", "%s>%s", ScanBuf{p, 4}), 1);
    EXPECT_STREQ(big, "abc");
}

TEST_P(Notation, ScanSkipsToFirstDigitAndReadsAtOffset)
{
    int n = -1;
    EXPECT_EQ(Scan("Remaining: 1234 s", "%s>%s[dt#]%i", &n), 1);
    EXPECT_EQ(n, 1234);
    EXPECT_EQ(Scan("42", "%s>%s[dt#]%i", &n), 1);
    EXPECT_EQ(n, 42);
    EXPECT_EQ(Scan("no digits here", "%s>%s[dt#]%i", &n), 0);

    const char* list = "1.5;2.25;-3E-2;x";
    double v = 0;
    EXPECT_EQ(Scan(list, "%s[i*]>%f", 0, &v), 1);
    EXPECT_DOUBLE_EQ(v, 1.5);
    EXPECT_EQ(Scan(list, "%s[i*]>%f", 4, &v), 1);
    EXPECT_DOUBLE_EQ(v, 2.25);
    EXPECT_EQ(Scan(list, "%s[i*]>%f", 9, &v), 1);
    EXPECT_DOUBLE_EQ(v, -0.03);
    EXPECT_EQ(Scan(list, "%s[i*]>%f", 15, &v), 0);
    EXPECT_EQ(Scan(list, "%s[i*]>%f", 99, &v), 0);   // beyond the end
    EXPECT_EQ(Scan(list, "%s[i*]>%f", -1, &v), 0);
}

TEST_P(Notation, ScanNumbersInCNotation)
{
    double d = 0;
    float f = 0;
    int i = 0;
    EXPECT_EQ(Scan("0.5", "%s>%f", &d), 1);
    EXPECT_DOUBLE_EQ(d, 0.5);
    EXPECT_EQ(Scan("  +2.5E+01\n", "%s>%f", &f), 1);
    EXPECT_FLOAT_EQ(f, 25.0f);
    EXPECT_EQ(Scan(".25", "%s>%f", &d), 1);
    EXPECT_DOUBLE_EQ(d, 0.25);
    EXPECT_EQ(Scan("7.", "%s>%f", &d), 1);
    EXPECT_DOUBLE_EQ(d, 7.0);
    EXPECT_EQ(Scan("1,5", "%s>%f", &d), 1);        // a comma ends the number
    EXPECT_DOUBLE_EQ(d, 1.0);
    EXPECT_EQ(Scan("9.91E37", "%s>%f", &d), 1);     // an instrument's "no value"
    EXPECT_DOUBLE_EQ(d, 9.91e37);
    EXPECT_EQ(Scan("NaN", "%s>%f", &d), 1);
    EXPECT_TRUE(std::isnan(d));
    EXPECT_EQ(Scan("-", "%s>%f", &d), 0);
    EXPECT_EQ(Scan("e5", "%s>%f", &d), 0);
    EXPECT_EQ(Scan("12.7", "%s>%i", &i), 1);        // an integer stops at the point
    EXPECT_EQ(i, 12);
    EXPECT_EQ(Scan("-2147483648", "%s>%i", &i), 1);
    EXPECT_EQ(i, INT32_MIN);
    EXPECT_EQ(Scan("99999999999", "%s>%i", &i), 0); // does not fit 32 bits
    EXPECT_EQ(Scan("1234", "%s>%i[w2]%i", &i, &d), 2);
    EXPECT_EQ(i, 12);
    EXPECT_DOUBLE_EQ(d, 34.0);
    EXPECT_EQ(Scan("5 junk", "%s>%i%s[d]%i", &i, &i), 1);  // discarded item is not counted
    EXPECT_EQ(Scan(std::string("3\0004", 3), "%s>%i", &i), 1);
    EXPECT_EQ(i, 3);
}

class NotationFiles : public Notation {
protected:
    void SetUp() override
    {
        Notation::SetUp();
        char tmpl[] = "/tmp/orivan_fmt_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override
    {
        std::string cmd = "rm -rf '" + dir + "'";
        (void)std::system(cmd.c_str());
        Notation::TearDown();
    }
    std::string dir;
};

INSTANTIATE_TEST_SUITE_P(Locales, NotationFiles, ::testing::Values("C", "de_DE.UTF-8"),
                         [](const auto& info) { return std::string(info.param[0] == 'C' ? "C" : "German"); });

TEST_P(NotationFiles, FmtFileAndScanFileShareTheNotation)
{
    std::string path = dir + "/lines.txt";
    int h = OpenFile(path.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_ASCII);
    ASSERT_GE(h, 0);
    EXPECT_EQ(FmtFile(h, "%s<%s,%f[p3],%i\n", "clamp", 0.1, 100), 3);
    EXPECT_EQ(NumFmtdBytes(), 16);
    EXPECT_EQ(FmtFile(h, "%s,%f[p3],%i\n", "shunt", 2.5, -1), 3);
    EXPECT_LT(FmtFile(h, "%s<%s,%q\n", "junk", 1), 0);     // nothing written
    EXPECT_EQ(CloseFile(h), 0);

    h = OpenFile(path.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII);
    ASSERT_GE(h, 0);
    char name[16];
    double v = 0;
    int n = 0;
    EXPECT_EQ(ScanFile(h, "%s>%s[xt44]%f,%i", name, &v, &n), 3);
    EXPECT_STREQ(name, "clamp");
    EXPECT_DOUBLE_EQ(v, 0.1);
    EXPECT_EQ(n, 100);
    // The file position stands right after the consumed characters.
    char line[32];
    EXPECT_EQ(ReadLine(h, line, 31), 0);
    EXPECT_EQ(ScanFile(h, "%s>%s[xt44]%f,%i", name, &v, &n), 3);
    EXPECT_STREQ(name, "shunt");
    EXPECT_EQ(n, -1);
    EXPECT_EQ(ScanFile(h, "%s>%i", &n), 0);
    EXPECT_EQ(CloseFile(h), 0);
}

TEST_P(NotationFiles, FmtFileReportsAFailedWrite)
{
    int h = OpenFile("/dev/full", VAL_WRITE_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    ASSERT_GE(h, 0);
    EXPECT_LT(FmtFile(h, "%s<%i\n", 1), 0);
    EXPECT_EQ(NumFmtdBytes(), 0);
    CloseFile(h);
    EXPECT_LT(FmtFile(h, "%s<%i\n", 1), 0);          // closed handle
    char s[8];
    EXPECT_LT(ScanFile(h, "%s>%s", s), 0);
}

}  // namespace
