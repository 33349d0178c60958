// Printing the text protocol, the graph and the detailed protocol, and what
// a failing printer gives: one message naming the page, nothing printed after.
#include "tests/reports/report_fixture.h"

#include "panel_ids.h"
#include "platform/ui/headless.h"
#include "reports/protocol.h"

using namespace rt;

namespace {

struct Printing : ReportTest {
    void SetUp() override
    {
        ReportTest::SetUp();
        const std::string path = Path("print.qel");
        WriteHarmonic(path, RunPara(0, 3, path), 3);
        Load(path);
    }
};

}  // namespace

TEST_F(Printing, TheTextProtocolInTwoPrintJobs)
{
    ASSERT_TRUE(ui::Commit(protocol, PROTOCOL_PRINT));
    EXPECT_EQ(ui::PrintJobs(), 2);
    const std::string printed = ui::PrintedText();
    const size_t page2 = printed.find("Protocol from 01. January 2026 00:00:00            Page 2\n\n");
    ASSERT_NE(page2, std::string::npos);
    const std::string mark = "                                                          Page 2 ..";
    ASSERT_GE(page2, mark.size());
    EXPECT_EQ(printed.substr(page2 - mark.size(), mark.size()), mark);   // page 1 ends with the mark
    EXPECT_NE(printed.find("       Measuring loggfile " + Path("print.qel") + " \n       is dated 07. March 2026 14:05:09\n\n\n  Phase  1\n",
                           page2),
              std::string::npos);
    EXPECT_NE(printed.find("                Page 3", page2), std::string::npos);
}

TEST_F(Printing, APrinterFailureIsReportedOnceAndStopsThePrintout)
{
    ui::SetPrinterFailure(UIE_NoPrinter);
    ui::QueueMessageAck();
    ui::Commit(protocol, PROTOCOL_PRINT);
    ASSERT_EQ(ui::PopupLog().size(), 1u);
    EXPECT_EQ(ui::PopupLog()[0].title, "Error");
    EXPECT_EQ(ui::PopupLog()[0].text, "Error -71. Cannot print page 1");
    EXPECT_EQ(ui::PrintJobs(), 0);

    ui::SetPrinterFailure(UIE_PrinterFailed, 1);   // page 1 goes out, page 2 fails
    ui::QueueMessageAck();
    ui::Commit(protocol, PROTOCOL_PRINT);
    EXPECT_EQ(ui::PopupLog().back().text, "Error -72. Cannot print page 2");
    EXPECT_EQ(ui::PrintJobs(), 1);

    ui::SetPrinterFailure(UIE_NoPrinter);
    ui::QueueMessageAck();
    SetPanelsToMode(1);
    ui::Commit(diagnos, DIAGNOS_PRINT);
    EXPECT_EQ(ui::PopupLog().back().text, "Error -71. Cannot print the graph");
}

TEST_F(Printing, DetailedProtocolPagesAndTheirErrors)
{
    ASSERT_TRUE(ui::Commit(protocol, PROTOCOL_ADVANCED));
    ASSERT_TRUE(ui::Commit(advanced, ADVANCED_NEXT));
    ASSERT_TRUE(ui::Commit(advanced2, ADVANCED2_BACK));
    const double before = Timer();
    ASSERT_TRUE(ui::Commit(advanced, ADVANCED_PRINT));
    EXPECT_EQ(ui::PrintJobs(), 2);
    EXPECT_GE(Timer() - before, 10.0);   // ten seconds between the pages
    const std::string printed = ui::PrintedText();
    EXPECT_LT(printed.find("[ADVANCED \"Detailed protocol, page 1\"]"), printed.find("[ADVANCED2 \"Detailed protocol, page 2\"]"));

    ui::SetPrinterFailure(UIE_NoPrinter);
    ui::QueueMessageAck();
    int rc = 0;
    CallCtrlCallback(advanced, ADVANCED_PRINT, EVENT_COMMIT, 0, 0, &rc);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(ui::PopupLog().back().text, "Error -71. Cannot print page 1");
    EXPECT_EQ(ui::PrintJobs(), 2);   // page 2 not printed
    int dimmed = 1;
    GetCtrlAttribute(advanced, ADVANCED_PRINT, ATTR_DIMMED, &dimmed);
    EXPECT_EQ(dimmed, 0);

    ui::SetPrinterFailure(UIE_PrinterFailed, 1);
    ui::QueueMessageAck();
    CallCtrlCallback(advanced2, ADVANCED2_PRINT, EVENT_COMMIT, 0, 0, &rc);
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(ui::PopupLog().back().text, "Error -72. Cannot print page 2");
    ASSERT_TRUE(ui::Commit(advanced, ADVANCED_CLOSE));
}
