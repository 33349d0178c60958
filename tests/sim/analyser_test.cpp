// The simulated analyser as a byte-fed device model.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/clock.h"
#include "sim/analyser.h"
#include "sim/command.h"
#include "tests/support/analyser_talk.h"
#include "state/reset.h"

namespace {

using simtalk::ask;
using simtalk::drain;

TEST(Parser, HeadersSuffixesAndArguments)
{
    auto c = sim::ParseMessage(":sour:dig:cond4 1; *idn? ;HIAM? (0:40);;");
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].header, "SOUR:DIG:COND4");
    EXPECT_EQ(c[0].key, "SOUR:DIG:COND");
    EXPECT_EQ(c[0].suffix(), 4);
    EXPECT_EQ(c[0].args, "1");
    EXPECT_TRUE(c[1].common && c[1].query);
    EXPECT_EQ(c[2].key, "HIAM?");
    EXPECT_EQ(c[2].args, "(0:40)");
    EXPECT_TRUE(sim::ParseMessage("BAD#HEADER")[0].key.empty());
    EXPECT_TRUE(sim::ParseMessage("A::B")[0].key.empty());
}

TEST(Analyser, CommonCommandsAndCompoundMessages)
{
    sim::Analyser a(sim::Kind::PamB);
    EXPECT_EQ(ask(a, "*idn?"), "QEL KORVEL Darezorovi Systems GmbH,PAM-B,SIM00001,2.510\n");
    EXPECT_EQ(ask(a, "*RST;*OPC?;*TST?"), "1;0\n");
    EXPECT_EQ(ask(a, "*ESE 33;*ESE?;*SRE 0;*SRE?"), "33;0\n");
    EXPECT_EQ(ask(a, ":SOUR:DIG:COND4 1;DOCO2 1"), "");
    EXPECT_EQ(a.digital[4], 1);
    EXPECT_EQ(a.digital[2], 1);
    EXPECT_EQ(ask(a, "sour:dig:cond4?"), "1\n");
    EXPECT_EQ(ask(a, "*RST;DOCO4?"), "0\n");
    EXPECT_EQ(ask(a, "CONT ON"), "");
    EXPECT_TRUE(a.continuous);
    EXPECT_EQ(ask(a, "CONT OFF;:GTL"), "");
    EXPECT_FALSE(a.continuous);
    EXPECT_FALSE(a.remote);
}

TEST(Analyser, UnknownCommandRaisesCommandError)
{
    sim::Analyser a;
    a.ese = 0x20;
    EXPECT_EQ(ask(a, "FOO 1;*OPC?"), "1\n");  // the rest of the message still runs
    EXPECT_EQ(a.esr & 0x20, 0x20);
    EXPECT_EQ(a.status_byte() & 0x24, 0x24);  // event summary and error available
    EXPECT_EQ(ask(a, ":SYST:ERR:ALL?"), "-113,\"Undefined header\"\n");
    EXPECT_EQ(ask(a, "SYST:ERR:ALL?"), "0,\"No error\"\n");
    EXPECT_EQ(ask(a, "DOCO9 1;MODE 7;*ESR?"), "48\n");  // suffix error 0x20, range error 0x10
    EXPECT_EQ(ask(a, "*CLS;*ESR?"), "0\n");
}

TEST(Analyser, LanguagesChooseTheErrorQuery)
{
    sim::Analyser a;
    EXPECT_EQ(ask(a, "ERRALL?"), "");  // not known in SCPI
    EXPECT_EQ(ask(a, "SYST:LANG SHORT;*OPC?"), "1\n");
    EXPECT_EQ(a.language, sim::kShort);
    EXPECT_EQ(ask(a, "ERRALL?"), "-113,\"Undefined header\"\n");
    EXPECT_EQ(ask(a, "LANG SCPI;*OPC?"), "1\n");
    EXPECT_EQ(a.language, sim::kScpi);
    EXPECT_EQ(ask(a, "SYST:LANG KLINGON"), "");
    EXPECT_EQ(a.errors.back().first, -224);
}

TEST(Analyser, FormatChangesWithTheNextMessage)
{
    sim::Analyser a;
    EXPECT_EQ(ask(a, "FRMT PACKED;*OPC?"), "1\n");
    EXPECT_EQ(ask(a, "*OPC?;UAC?;*TST?"),
              std::string("#111#14\x00\x00\x66\x43#14\x00\x00\x00\x00\n", 19));
    EXPECT_EQ(ask(a, "FRMT ASCII;*OPC?"), "#111\n");
    EXPECT_EQ(ask(a, "UAC?;PF?"), "230;1\n");
}

TEST(Analyser, StatusByteDeviceClearAndBreak)
{
    sim::Analyser a;
    a.input("*IDN?\n");
    EXPECT_EQ(a.status_byte() & 0x10, 0x10);
    a.input("*IDN");  // a partial command
    a.device_clear();
    EXPECT_EQ(a.status_byte() & 0x10, 0);
    EXPECT_EQ(ask(a, "?"), "");  // the partial command is gone
    a.language = sim::kShort;
    a.serial_break();
    EXPECT_EQ(a.language, sim::kScpi);
    // END from a GPIB write ends the message like a line feed.
    a.input(std::string("*OPC?"), true);
    EXPECT_EQ(drain(a), "1\n");
}

TEST(Analyser, ChannelsOfThePamC)
{
    sim::Analyser c(sim::Kind::PamC), a(sim::Kind::PamA);
    auto values = std::make_shared<sim::StaticValues>();
    values->set("UAC", 3, 231.5);
    c.set_values(values);
    EXPECT_EQ(ask(c, "UAC3?;UAC1?;UAC?"), "231.5;230;230\n");
    EXPECT_EQ(ask(a, "UAC2?"), "");
    EXPECT_EQ(a.errors.back().first, -114);
}

TEST(Analyser, EngineReplacesAndAddsHandlers)
{
    sim::Analyser a;
    a.registry().add("AIVA1?", [](sim::Analyser&, const sim::Command&) { return sim::Answer::of_real(1.25); });
    a.registry().add("AIVA?", [](sim::Analyser&, const sim::Command& c) { return sim::Answer::of_int(c.suffix()); });
    a.registry().add("*TST?", [](sim::Analyser&, const sim::Command&) { return sim::Answer::of_int(7); });
    EXPECT_EQ(ask(a, "ACTN;AIVA1?;AIVA3?;*TST?"), "1.25;3;7\n");
    EXPECT_TRUE(a.errors.empty());
    EXPECT_EQ(a.last_query_message(), "ACTN;AIVA1?;AIVA3?;*TST?");
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProgramState();
        UseVirtualClock(true);
    }
    void TearDown() override { ResetProgramState(); }
};

TEST_F(Faults, EachMisbehaviour)
{
    sim::Analyser a;
    a.faults.no_answer = true;
    EXPECT_EQ(ask(a, "*RST;DOCO1 1;*OPC?"), "");
    EXPECT_EQ(a.digital[1], 1);  // executed all the same
    a.faults = {};

    a.faults.late = 2.0;
    EXPECT_EQ(ask(a, "*OPC?"), "");
    EXPECT_EQ(a.status_byte() & 0x10, 0);
    AdvanceClock(2.0);
    EXPECT_EQ(drain(a), "1\n");
    a.faults = {};

    a.faults.echo = true;
    EXPECT_EQ(ask(a, "*OPC?"), "*OPC?\n1\n");
    a.faults = {};

    a.faults.garbage = true;
    std::string g = ask(a, "*IDN?");
    EXPECT_EQ(g.back(), '\n');
    EXPECT_EQ(g.find("QEL"), std::string::npos);
    a.faults = {};

    a.packed = true;
    a.faults.text_for_block = true;
    EXPECT_NE(ask(a, "UAC?")[0], '#');
}

TEST(Render, BlocksAndText)
{
    EXPECT_EQ(sim::BlockHeader(0), "#10");
    EXPECT_EQ(sim::BlockHeader(1656), "#41656");
    sim::Answer n = sim::Answer::of_values({sim::Value::integer(-1), sim::Value::real(0.5)});
    EXPECT_EQ(sim::RenderAscii(n), "-1,0.5");
    EXPECT_EQ(sim::RenderBlock(n), std::string("#18\xff\xff\xff\xff\x00\x00\x00\x3f", 11));
}

}  // namespace
