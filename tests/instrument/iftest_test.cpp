// The interface test against simulated set-ups.
#include "bench_fixture.h"
#include "instrument/iftest.h"
#include "platform/visa/ports.h"

namespace {

class InterfaceCheck : public SimBench {
protected:
    void gpib_setup(int analyser)
    {
        para.analyser = analyser;
        para.if_gpib = 1;
        para.gpib_address[0] = 1;
        para.gpib_address[1] = 2;
        para.gpib_address[2] = 3;
    }
    void serial_setup()
    {
        para.analyser = 4;
        para.if_gpib = 0;
        para.com_port = 2;
        para.baudrate = 9600;
    }
};

TEST_F(InterfaceCheck, ThreeAnalysersAnswer)
{
    gpib_setup(0);
    auto a1 = at("GPIB::1"), a2 = at("GPIB::2"), a3 = at("GPIB::3");
    EXPECT_EQ(InterfaceTest(), 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Welcome");
    EXPECT_EQ(shown[0].text, "The measuring set-up is ready");
    EXPECT_EQ(a1->digital[4], 1);  // the first analyser also switches to direct supply
    EXPECT_EQ(a2->log.front(), "*RST");
    EXPECT_EQ(id[0], 0u);  // the sessions are closed again
}

TEST_F(InterfaceCheck, SecondOfThreeDoesNotAnswer)
{
    gpib_setup(0);
    auto a1 = at("GPIB::1"), a2 = at("GPIB::2"), a3 = at("GPIB::3");
    a2->faults.no_answer = true;
    EXPECT_EQ(InterfaceTest(), -1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "No communication possible");
    EXPECT_EQ(shown[0].text, "Check your cable, port number (address) or baudrate");
    ASSERT_FALSE(a1->log.empty());
    EXPECT_EQ(a1->log.front(), "*RST;:SOUR:DIG:COND4 1");
    EXPECT_TRUE(a3->log.empty());
    EXPECT_NE(id[0], 0u);  // the analyser tested before keeps its session
}

TEST_F(InterfaceCheck, EchoingSerialAnalyser)
{
    serial_setup();
    auto a = at("ASRL2::INSTR");
    a->faults.echo = true;
    EXPECT_EQ(InterfaceTest(), -1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Interface settings are false");
    EXPECT_EQ(shown[0].text, "Set echo off");
}

TEST_F(InterfaceCheck, SerialAnswerWithoutLineFeed)
{
    serial_setup();
    auto a = at("ASRL2::INSTR");
    a->registry().add("*IDN?", [](sim::Analyser& d, const sim::Command&) {
        d.emit("QEL KORVEL Darezorovi Systems GmbH,PAM-A,SIM1,2.5\r", Timer());
        return sim::Answer::none();
    });
    EXPECT_EQ(InterfaceTest(), -1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "EOS is not <lf>");
}

TEST_F(InterfaceCheck, GpibAnswerThatDoesNotSplit)
{
    gpib_setup(4);
    auto a = at("GPIB::1");
    a->identity.maker = "QEL KORVEL";
    a->identity.model = "PAM-A SIM1 2.5";
    a->identity.serial = "";
    a->identity.firmware = "";
    // "QEL KORVEL,PAM-A SIM1 2.5,," has four fields, two empty: refused as well.
    EXPECT_EQ(InterfaceTest(), -1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Two device with the same address");
}

TEST_F(InterfaceCheck, OpenFailureNamesTheInterface)
{
    serial_setup();
    sim::EnableSimulation(false);
    visa::SetPortMapping(2, "/nonexistent/tty");
    EXPECT_EQ(InterfaceTest(), -1);
    visa::SetPortMapping(2, "");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Initialisation error (serial port)");
    EXPECT_NE(shown[0].text.find("VI_ERROR_RSRC_NFOUND"), std::string::npos);
}

}  // namespace
