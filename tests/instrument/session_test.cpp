// Opening, identification, firmware check, language and closing against
// the simulated analysers.
#include <cstring>

#include "bench_fixture.h"

namespace {

class Session : public SimBench {};

TEST_F(Session, ResourceNamesDependOnTheOpeningOperation)
{
    at("GPIB::5");
    ViSession vi = 0;
    ASSERT_GE(PAMX_init(1, 5, 1, 9600, 0, 0, &vi, 0), 0);
    ASSERT_GE(PAMX_Check(1, 5, 1, 9600, 0, 1, &vi, 0), 0);
    at("ASRL3::INSTR");
    ASSERT_GE(PAMX_initSYS(0, 1, 3, 9600, 0, 0, &vi, 0), 0);
    ASSERT_GE(PAMX_init(0, 1, 3, 9600, 0, 0, &vi, 0), 0);
    ASSERT_GE(PAMX_Check(0, 1, 3, 9600, 0, 1, &vi, 0), 0);
    std::vector<std::string> expect = {"GPIB::5", "GPIB::5::INSTR", "ASRL3::INSTR", "ASRL3::INSTR", "ASRL3::INSTR"};
    EXPECT_EQ(sim::OpenedResources(), expect);
}

TEST_F(Session, OtherInterfaceTypeBuildsNoResourceAndFails)
{
    ViSession vi = 123;
    EXPECT_LT(PAMX_initSYS(2, 5, 1, 9600, 0, 0, &vi, 0), 0);
    EXPECT_EQ(vi, 0u);
}

TEST_F(Session, InitSysResetsAnalyserAndDigitalOutputs)
{
    auto a = at("GPIB::7");
    a->digital[2] = 1;
    ViSession vi = 0;
    EXPECT_EQ(PAMX_initSYS(1, 7, 1, 9600, 0, 0, &vi, 0), 1);
    EXPECT_EQ(a->digital[4], 1);
    EXPECT_EQ(a->digital[1], 1);
    EXPECT_EQ(a->digital[2], 0);  // *RST
    ViUInt32 tmo = 0;
    viGetAttribute(vi, VI_ATTR_TMO_VALUE, &tmo);
    EXPECT_EQ(tmo, 5000u);
    ASSERT_NE(queryname[41], nullptr);
    EXPECT_STREQ(queryname[0], "UAC?");
    EXPECT_STREQ(queryname[41], "DIST?");
    EXPECT_TRUE(shown.empty());
}

TEST_F(Session, InitSysOnSerialLineSetsTheLine)
{
    at("ASRL2::INSTR");
    ViSession vi = 0;
    ASSERT_EQ(PAMX_initSYS(0, 1, 2, 19200, 0, 0, &vi, 1), 1);
    ViUInt32 baud = 0;
    ViUInt16 flow = 0, intf = 0;
    viGetAttribute(vi, VI_ATTR_ASRL_BAUD, &baud);
    viGetAttribute(vi, VI_ATTR_ASRL_FLOW_CNTRL, &flow);
    viGetAttribute(vi, VI_ATTR_INTF_TYPE, &intf);
    EXPECT_EQ(baud, 19200u);
    EXPECT_EQ(flow, VI_ASRL_FLOW_RTS_CTS);
    EXPECT_EQ(intf, VI_INTF_ASRL);
}

TEST_F(Session, InitSysWithWrongResetAnswerShowsAnswerMessageAndLeavesNoSession)
{
    auto a = at("GPIB::7");
    a->registry().add("*OPC?", [](sim::Analyser&, const sim::Command&) { return sim::Answer::of_text("0"); });
    ViSession vi = 0;
    EXPECT_EQ(PAMX_initSYS(1, 7, 1, 9600, 0, 0, &vi, 0), -1);
    EXPECT_EQ(vi, 0u);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Answer to \n*RST;:SOUR:DIG:COND4 1;:SOUR:DIG:COND1 1;*OPC?\n");
    EXPECT_EQ(shown[0].text, "");
}

TEST_F(Session, InitResetAnswerRules)
{
    ViSession vi = 0;
    at("GPIB::3");
    EXPECT_GE(PAMX_init(1, 3, 1, 9600, 0, 0, &vi, 0), 0) << "1 and line feed";

    struct Case {
        const char* name;
        std::function<void(sim::Analyser&)> prepare;
    } cases[] = {
        {"0 and line feed", [](sim::Analyser& a) {
             a.registry().add("*OPC?", [](sim::Analyser&, const sim::Command&) { return sim::Answer::of_text("0"); });
         }},
        {"single byte", [](sim::Analyser& a) {
             // "1" with END and without its line feed.
             a.registry().add("*OPC?", [](sim::Analyser& d, const sim::Command&) {
                 d.emit("1", Timer());
                 return sim::Answer::none();
             });
         }},
        {"time-out", [](sim::Analyser& a) { a.faults.no_answer = true; }},
    };
    for (const Case& c : cases) {
        auto a = at("GPIB::3");
        c.prepare(*a);
        vi = 99;
        EXPECT_EQ(PAMX_init(1, 3, 1, 9600, 0, 0, &vi, 0), -1) << c.name;
        EXPECT_EQ(vi, 0u) << c.name;
    }
}

TEST_F(Session, CheckRefusesArgumentsWithoutTouchingVisa)
{
    ViSession vi = 0;
    EXPECT_EQ(PAMX_Check(2, 5, 1, 9600, 1, 1, &vi, 0), PAMX_ERROR_PARAMETER1);
    EXPECT_EQ(PAMX_Check(1, 0, 1, 9600, 1, 1, &vi, 0), PAMX_ERROR_PARAMETER2);
    EXPECT_EQ(PAMX_Check(1, 31, 1, 9600, 1, 1, &vi, 0), PAMX_ERROR_PARAMETER2);
    EXPECT_EQ(PAMX_Check(1, 5, 0, 9600, 1, 1, &vi, 0), PAMX_ERROR_PARAMETER3);
    EXPECT_EQ(PAMX_Check(1, 5, 5, 9600, 1, 1, &vi, 0), PAMX_ERROR_PARAMETER3);
    EXPECT_EQ(PAMX_Check(1, 5, 1, 1199, 1, 1, &vi, 0), PAMX_ERROR_PARAMETER4);
    EXPECT_EQ(PAMX_Check(1, 5, 1, 115201, 1, 1, &vi, 0), PAMX_ERROR_PARAMETER4);
    EXPECT_EQ(PAMX_Check(1, 5, 1, 9600, 2, 1, &vi, 0), PAMX_ERROR_PARAMETER2);
    EXPECT_EQ(PAMX_Check(1, 5, 1, 9600, 1, 2, &vi, 0), PAMX_ERROR_PARAMETER3);
    EXPECT_TRUE(sim::OpenedResources().empty());
}

TEST_F(Session, CheckAcceptsKnownIdentificationsAndRefusesOthers)
{
    struct Case {
        std::string maker, model;
        ViStatus expect;
    } cases[] = {
        {"QEL KORVEL Darezorovi Systems GmbH", "PAM-A", VI_SUCCESS},
        {"QEL KORVEL Darezorovi Systems GmbH", "PAM-B", VI_SUCCESS},
        {"VOLTECH", "PMi", VI_SUCCESS},
        {"VOLTECH", "PM6000", PAMX_ERROR_FAIL_ID_QUERY},
        {"QEL KORVEL Darezorovi Systems GmbH", "PAM-C", PAMX_ERROR_FAIL_ID_QUERY},
        {"ACME Instruments", "PAM-A", PAMX_ERROR_FAIL_ID_QUERY},
    };
    for (const Case& c : cases) {
        auto a = at("GPIB::9");
        a->identity.maker = c.maker;
        a->identity.model = c.model;
        ViSession vi = 77;
        EXPECT_EQ(PAMX_Check(1, 9, 1, 9600, 1, 1, &vi, 0), c.expect) << c.maker << "," << c.model;
        EXPECT_EQ(vi != 0, c.expect == VI_SUCCESS);
    }
}

TEST_F(Session, CheckGivesUpAfterFourSilentAttempts)
{
    auto a = at("GPIB::9");
    a->faults.no_answer = true;
    ViSession vi = 0;
    double t0 = Timer();
    EXPECT_EQ(PAMX_Check(1, 9, 1, 9600, 1, 1, &vi, 0), PAMX_ERROR_FAIL_ID_QUERY);
    EXPECT_EQ(vi, 0u);
    int idn = 0;
    for (const auto& m : a->log) idn += m == "*IDN?";
    EXPECT_EQ(idn, 4);
    EXPECT_GE(Timer() - t0, 4 * 1.5);  // 1 s pause and 0.5 s wait per attempt
}

TEST_F(Session, CheckWithoutResetSetsDefaultStatusReporting)
{
    auto a = at("GPIB::9");
    a->esr = 0x20;
    ViSession vi = 0;
    ASSERT_EQ(PAMX_Check(1, 9, 1, 9600, 1, 0, &vi, 0), VI_SUCCESS);
    EXPECT_EQ(a->ese, 1);
    EXPECT_EQ(a->esr, 0);  // read by *ESR?
    EXPECT_EQ(PAMX_checkInstrStatus(vi), 0);
    PAMX_writeInstrData(vi, "BOGUS\n");
    EXPECT_EQ(PAMX_checkInstrStatus(vi), PAMX_ERROR_INSTR_STATUS);
}

TEST_F(Session, DefaultSetupOverSerialEndsItsMessage)
{
    auto a = at("ASRL1::INSTR");
    ViSession vi = 0;
    ASSERT_EQ(PAMX_Check(0, 1, 1, 9600, 1, 0, &vi, 0), VI_SUCCESS);
    EXPECT_EQ(a->ese, 1);
    EXPECT_TRUE(a->errors.empty());
}

class Firmware : public SimBench {
protected:
    ViStatus identify(const char* version)
    {
        auto a = at("GPIB::4");
        a->identity.firmware = version;
        ViSession vi = open("GPIB::4");
        viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, 1);
        return PAMX_identify(vi, 1);
    }
};

TEST_F(Firmware, OldVersionIsRefusedWithTheExactMessage)
{
    para.analyser = 0;
    EXPECT_EQ(identify("0.980"), -1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Error");
    EXPECT_EQ(shown[0].text,
              "Wrong PAM-A software!\nRequired Version  1.000, is Version 0.980\nPlease contact the manufacturer");
    EXPECT_STREQ(para.model[1], "PAM-A");
    EXPECT_STREQ(para.serial_no[1], "SIM00001");
    EXPECT_STREQ(para.revision[1], "0.980");
}

TEST_F(Firmware, VersionTextSortsAgainstOnePointZero)
{
    para.analyser = 0;
    for (const char* v : {"1.000", "1.00", "0.5"}) EXPECT_EQ(identify(v), -1) << v;
    shown.clear();
    for (const char* v : {"1.001", "2.51", "10.5"}) EXPECT_EQ(identify(v), 0) << v;
    EXPECT_TRUE(shown.empty());
}

TEST_F(Firmware, VersionIsCutToFiveCharacters)
{
    para.analyser = 0;
    EXPECT_EQ(identify("2.51234"), 0);
    EXPECT_STREQ(para.revision[1], "2.512");
}

TEST_F(Firmware, CheckIsSkippedForAnalyserTypeOne)
{
    para.analyser = 1;
    EXPECT_EQ(identify("0.980"), 0);
    EXPECT_TRUE(shown.empty());
}

TEST_F(Session, LanguageSwitchingChoosesTheErrorQuery)
{
    auto a = at("ASRL1::INSTR");
    ViSession vi = 0;
    ASSERT_EQ(PAMX_initSYS(0, 1, 1, 9600, 0, 0, &vi, 0), 1);
    EXPECT_EQ(PAMX_changeLanguage(vi, 2), PAMX_ERROR_PARAMETER1);
    EXPECT_EQ(PAMX_changeLanguage(vi, 1), 1);
    EXPECT_EQ(cmdlanguage, 1);
    EXPECT_EQ(a->language, sim::kShort);
    PAMX_writeInstrData(vi, "NOSUCH\n");
    ViInt32 code = 0;
    char text[256];
    EXPECT_EQ(PAMX_errorQuery(vi, &code, text), 0);
    EXPECT_EQ(a->log.back(), "ERRALL?");
    EXPECT_EQ(code, -113);
    EXPECT_STREQ(text, "\"Undefined header\"");

    // A serial device clear returns both sides to SCPI.
    ASSERT_GE(PAMX_DeviceClear(vi), 0);
    EXPECT_EQ(cmdlanguage, 0);
    EXPECT_EQ(a->language, sim::kScpi);
    EXPECT_EQ(PAMX_errorQuery(vi, &code, text), 0);
    EXPECT_EQ(a->log.back(), ":SYST:ERR:ALL?");
    EXPECT_EQ(code, 0);
    EXPECT_STREQ(text, "\"No error\"");
}

TEST_F(Session, CloseWithKeepSendsNothing)
{
    auto a = at("GPIB::2");
    ViSession vi = 0;
    ASSERT_EQ(PAMX_initSYS(1, 2, 1, 9600, 0, 0, &vi, 0), 1);
    size_t before = a->log.size();
    EXPECT_EQ(PAMX_close(vi, 1), VI_SUCCESS);
    EXPECT_EQ(a->log.size(), before);
    EXPECT_TRUE(a->remote);
    ViUInt32 t;
    EXPECT_EQ(viGetAttribute(vi, VI_ATTR_TMO_VALUE, &t), VI_ERROR_INV_OBJECT);
}

TEST_F(Session, CloseReturnsAnalyserToLocal)
{
    auto a = at("GPIB::2");
    ViSession vi = 0;
    ASSERT_EQ(PAMX_initSYS(1, 2, 1, 9600, 0, 0, &vi, 0), 1);
    a->continuous = true;
    EXPECT_EQ(PAMX_close(vi, 0), VI_SUCCESS);
    EXPECT_EQ(a->log.back(), "CONT OFF;:GTL");
    EXPECT_FALSE(a->continuous);
    EXPECT_FALSE(a->remote);
}

TEST_F(Session, QueriesOfIdentificationAndSelfTest)
{
    auto a = at("GPIB::2");
    a->identity.firmware = "3.140";
    ViSession vi = 0;
    ASSERT_EQ(PAMX_initSYS(1, 2, 1, 9600, 0, 0, &vi, 0), 1);
    char drv[256], rev[256], model[256];
    EXPECT_GE(PAMX_revisionQuery(vi, drv, rev), 0);
    EXPECT_STREQ(drv, "Rev 2.0, 10/02, CVI 6.0");
    EXPECT_STREQ(rev, "3.140");
    EXPECT_GE(PAMX_InstrumentQuery(vi, model), 0);
    EXPECT_STREQ(model, "PAM-A");
    ViInt16 r = -1;
    EXPECT_GE(PAMX_selfTest(vi, &r), 0);
    EXPECT_EQ(r, 0);
}

TEST_F(Session, OpcWaitAndClear)
{
    auto a = at("GPIB::2");
    ViSession vi = 0;
    ASSERT_EQ(PAMX_initSYS(1, 2, 1, 9600, 0, 0, &vi, 0), 1);
    a->ese = 1;
    EXPECT_EQ(PAMX_waitOpc(vi, 1.0), 0);
    EXPECT_GE(PAMX_clearOpc(vi), 0);
    EXPECT_EQ(a->esr, 0);
    a->ese = 0;  // the event summary bit never comes
    double t0 = Timer();
    EXPECT_EQ(PAMX_waitOpc(vi, 1.0), -1);
    EXPECT_GE(Timer() - t0, 1.0);
}

TEST_F(Session, HelpersCheckRanges)
{
    EXPECT_TRUE(PAMX_invalidViBooleanRange(2));
    EXPECT_FALSE(PAMX_invalidViBooleanRange(1));
    EXPECT_TRUE(PAMX_invalidViInt16Range(31, 1, 30));
    EXPECT_FALSE(PAMX_invalidViInt32Range(1200, 1200, 115200));
    EXPECT_TRUE(PAMX_invalidViReal64Range(0.0 / 0.0, 0, 1));
    EXPECT_FALSE(PAMX_fileOnDisk("/nonexistent/file"));
    EXPECT_TRUE(PAMX_fileOnDisk(ORIVAN_SOURCE_DIR "/CMakeLists.txt"));
    ViSession vi = 5;
    EXPECT_EQ(PAMX_initCleanUp(0, &vi, -42), -42);
    EXPECT_EQ(vi, 0u);
}

}  // namespace

namespace {

class Vanished : public SimBench {};

TEST_F(Vanished, GpibAnalyserGivesClearFailures)
{
    auto a = at("GPIB::5");
    a->faults.disconnected = true;
    ViSession vi = 0;
    EXPECT_EQ(PAMX_initSYS(1, 5, 1, 9600, 0, 0, &vi, 0), -888);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Error");
    EXPECT_EQ(shown[0].text, "Cannot clear device");
    EXPECT_EQ(vi, 0u);
    EXPECT_EQ(PAMX_init(1, 5, 1, 9600, 0, 0, &vi, 0), -1);

    a->faults.disconnected = false;
    ASSERT_EQ(PAMX_initSYS(1, 5, 1, 9600, 0, 0, &vi, 0), 1);
    a->faults.disconnected = true;
    shown.clear();
    EXPECT_EQ(PAMX_close(vi, 0), -1);
    EXPECT_EQ(shown.size(), 1u);
    ViUInt32 t;
    EXPECT_EQ(viGetAttribute(vi, VI_ATTR_TMO_VALUE, &t), VI_ERROR_INV_OBJECT);  // closed all the same
}

TEST_F(Vanished, SerialAnalyserTimesOut)
{
    auto a = at("ASRL1::INSTR");
    a->faults.disconnected = true;
    ViSession vi = 0;
    double t0 = Timer();
    EXPECT_EQ(PAMX_initSYS(0, 1, 1, 9600, 0, 0, &vi, 0), VI_ERROR_TMO);
    EXPECT_EQ(vi, 0u);
    EXPECT_LT(Timer() - t0, 15.0);
    EXPECT_EQ(PAMX_init(0, 1, 1, 9600, 0, 0, &vi, 0), -1);
}

TEST(SimulateOption, TakenOutOfTheArguments)
{
    char a0[] = "orivan", a1[] = "--simulate=pc-supply", a2[] = "test.qel";
    char* argv[] = {a0, a1, a2, nullptr};
    int argc = 3;
    std::string eut;
    EXPECT_TRUE(sim::ParseSimulateOption(&argc, argv, &eut));
    EXPECT_EQ(eut, "pc-supply");
    EXPECT_EQ(argc, 2);
    EXPECT_STREQ(argv[1], "test.qel");
    EXPECT_FALSE(sim::ParseSimulateOption(&argc, argv, &eut));
}

}  // namespace
