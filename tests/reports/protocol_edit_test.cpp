// The EUT-data dialog: filling, the change callbacks, taking the data over
// into the settings page and the protocol, the chosen stored frame, and
// saving the settings record into the logging file.
#include "tests/reports/report_fixture.h"

#include "panel_ids.h"
#include "platform/ui/headless.h"
#include "reports/protocol.h"

using namespace rt;

namespace {

struct ProtocolEdit : ReportTest {
    std::string path;
    void SetUp() override
    {
        ReportTest::SetUp();
        path = Path("edit.qel");
        WriteHarmonic(path, RunPara(0, 1, path), 4);
        Load(path);
    }
    std::string Field(int panel, int control)
    {
        std::string v;
        GetCtrlVal(panel, control, &v);
        return v;
    }
    Para StoredPara()
    {
        const std::string bytes = ReadText(path);
        Para p{};
        std::memcpy(&p, bytes.data() + 4, sizeof p);
        return p;
    }
};

}  // namespace

TEST_F(ProtocolEdit, TheDialogShowsTheWorkingCopy)
{
    SetCtrlVal(setting, SETTING_COMPANY, "Changed on the page");
    ASSERT_TRUE(ui::Commit(protocol, PROTOCOL_EDIT));
    EXPECT_EQ(Field(panelEdit, EDIT_NAME), "PSU 230");
    EXPECT_EQ(Field(panelEdit, EDIT_COMPANY), "Changed on the page");
    EXPECT_EQ(Field(panelEdit, EDIT_SERIAL), "SN 4711");
    std::string line;
    GetTextBoxLine(panelEdit, EDIT_COMMENT, 0, &line);
    EXPECT_EQ(line, "Input 230 V / 50 Hz");
    GetTextBoxLine(panelEdit, EDIT_COMMENT, 2, &line);
    EXPECT_EQ(line, "Full load");
    int max = -1;
    GetCtrlAttribute(panelEdit, EDIT_FRAME, ATTR_MAX_VALUE, &max);
    EXPECT_EQ(max, 3);
    EXPECT_EQ(edited, 0);
}

TEST_F(ProtocolEdit, AcceptingWithoutAnEditNeverAsks)
{
    const std::string before = ReadText(path);
    ui::Commit(protocol, PROTOCOL_EDIT);
    ASSERT_TRUE(ui::Commit(panelEdit, EDIT_OK));   // no confirmation queued: a question fails the test
    EXPECT_EQ(ReadText(path), before);
}

TEST_F(ProtocolEdit, EditedDataGoToThePageTheProtocolAndOnYesIntoTheFile)
{
    const std::string before = ReadText(path);
    ui::Commit(protocol, PROTOCOL_EDIT);
    ASSERT_TRUE(ui::UserSetValue(panelEdit, EDIT_NAME, std::string("New EUT")));
    EXPECT_EQ(edited, 1);
    ResetTextBox(panelEdit, EDIT_COMMENT, "First\nSecond");
    ui::QueueConfirm(1);
    ASSERT_TRUE(ui::Commit(panelEdit, EDIT_OK));
    ASSERT_FALSE(ui::PopupLog().empty());
    EXPECT_EQ(ui::PopupLog().back().title, "The settings were changed");
    EXPECT_EQ(ui::PopupLog().back().text, "You have changed the protocol.\nDo You wish to save the new settings?");
    EXPECT_EQ(Field(setting, SETTING_NAME), "New EUT");
    EXPECT_NE(bufTable.find("       Name:                New EUT"), std::string::npos);
    EXPECT_NE(bufTable.find("\n       First\n       Second\n       \n"), std::string::npos);
    const Para stored = StoredPara();
    EXPECT_STREQ(stored.test_data[0], "New EUT");
    EXPECT_STREQ(stored.comment[1], "Second");
    EXPECT_STREQ(stored.comment[2], "");
    const std::string after = ReadText(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(4 + sizeof(Para)), before.substr(4 + sizeof(Para)));   // frames and results untouched
    EXPECT_EQ(after.substr(0, 4), before.substr(0, 4));
    EXPECT_EQ(edited, 0);   // saved: the next acceptance asks nothing
    ui::Commit(protocol, PROTOCOL_EDIT);
    ui::Commit(panelEdit, EDIT_OK);
}

TEST_F(ProtocolEdit, AnsweringNoKeepsTheFileAndTheQuestion)
{
    const std::string before = ReadText(path);
    ui::Commit(protocol, PROTOCOL_EDIT);
    ui::UserSetValue(panelEdit, EDIT_TYPE, std::string("PS-200"));
    ui::QueueConfirm(0);
    ui::Commit(panelEdit, EDIT_OK);
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(edited, 1);
    EXPECT_NE(bufTable.find("       Type:                PS-200\n"), std::string::npos);
}

TEST_F(ProtocolEdit, CancellingTouchesNothing)
{
    const std::string before = ReadText(path);
    const Para paraBefore = para;
    const std::string protocolBefore = bufTable;
    ui::Commit(protocol, PROTOCOL_EDIT);
    ui::UserSetValue(panelEdit, EDIT_DEVICE, std::string("Other"));
    ASSERT_TRUE(ui::Commit(panelEdit, EDIT_CANCEL));
    EXPECT_EQ(std::memcmp(&para, &paraBefore, sizeof para), 0);
    EXPECT_EQ(Field(setting, SETTING_DEVICE), "Power supply");
    EXPECT_EQ(bufTable, protocolBefore);
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(edited, 0);
    // A later acceptance without an edit does not ask either.
    ui::Commit(protocol, PROTOCOL_EDIT);
    ui::Commit(panelEdit, EDIT_OK);
}

TEST_F(ProtocolEdit, TheChosenFrameHeadsTheProtocol)
{
    ui::Commit(protocol, PROTOCOL_EDIT);
    ASSERT_TRUE(ui::UserSetValue(panelEdit, EDIT_FRAME, 0));
    ui::Commit(panelEdit, EDIT_OK);
    EXPECT_EQ(buf[0].fltr, 3);   // the first of four frames
    EXPECT_NE(bufTable.find("Global values from chosen frame at 00:00:03 before end"), std::string::npos);
    // A position the list does not hold leaves the record as it is.
    SetCtrlAttribute(panelEdit, EDIT_FRAME, ATTR_MAX_VALUE, 99);
    ui::Commit(protocol, PROTOCOL_EDIT);
    SetCtrlVal(panelEdit, EDIT_FRAME, 50);
    ui::Commit(panelEdit, EDIT_OK);
    EXPECT_EQ(buf[0].fltr, 3);
}

TEST_F(ProtocolEdit, AFileThatCannotTakeTheRecordIsReported)
{
    ::unlink(path.c_str());
    ui::Commit(protocol, PROTOCOL_EDIT);
    ui::UserSetValue(panelEdit, EDIT_NAME, std::string("X"));
    ui::QueueConfirm(1);
    ui::QueueMessageAck();
    ui::Commit(panelEdit, EDIT_OK);
    EXPECT_EQ(ui::PopupLog().back().title, "Error");
    EXPECT_NE(ui::PopupLog().back().text.find("not saved"), std::string::npos);
    EXPECT_FALSE(FileExists(path.c_str(), nullptr));   // never created
    EXPECT_EQ(edited, 1);

    // An old single-phase file keeps its frames.
    const std::string old = Path("old.qel");
    std::string bytes(4 + 3160 + 2 * 436 + 552, '\0');
    bytes[0] = 2;
    std::memcpy(&bytes[4 + 2153], "2.10", 4);
    { std::ofstream(old, std::ios::binary) << bytes; }
    Load(old);
    ui::Commit(protocol, PROTOCOL_EDIT);
    ui::UserSetValue(panelEdit, EDIT_NAME, std::string("Y"));
    ui::QueueConfirm(1);
    ui::QueueMessageAck();
    ui::Commit(panelEdit, EDIT_OK);
    EXPECT_EQ(ui::PopupLog().back().title, "Error");
    EXPECT_EQ(ReadText(old), bytes);
}

TEST_F(ProtocolEdit, LoadingClearsTheEditFlag)
{
    ui::Commit(protocol, PROTOCOL_EDIT);
    ui::UserSetValue(panelEdit, EDIT_NAME, std::string("Z"));
    ui::QueueConfirm(0);
    ui::Commit(panelEdit, EDIT_OK);
    EXPECT_EQ(edited, 1);
    Load(path);
    EXPECT_EQ(edited, 0);
}

TEST_F(ProtocolEdit, TheLogoPicture)
{
    const std::string logo = Path("logo.bmp");
    { std::ofstream(logo) << "BM"; }
    ui::Commit(protocol, PROTOCOL_EDIT);
    ui::QueueFileSelect(logo);
    ASSERT_TRUE(ui::Commit(panelEdit, EDIT_LOGO_BUTTON));
    const ui::PopupRecord& r = ui::PopupLog().back();
    EXPECT_EQ(r.kind, "file");
    EXPECT_EQ(r.request.title, "Select the picture");
    EXPECT_EQ(r.request.defaultSpec, "*.bmp");
    EXPECT_EQ(r.request.fileTypes, "*.bmp");
    EXPECT_EQ(r.request.directory, "");
    EXPECT_STREQ(para.logo_file, logo.c_str());
    EXPECT_EQ(Field(panelEdit, EDIT_LOGO), logo);
    EXPECT_EQ(Field(setting, SETTING_LOGO), logo);
    ui::Commit(panelEdit, EDIT_CANCEL);
}
