// The protocol pages on the Qt back-end, offscreen: the protocol page, the
// EUT-data dialog and both pages of the detailed protocol of a harmonic and
// a flicker run, each saved as a screenshot under build/screenshots; and the
// printing error paths with no printer installed.
#include <QApplication>
#include <cstdlib>
#include <fstream>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QHeaderView>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include "tests/reports/report_fixture.h"

#include "panel_ids.h"
#include "platform/ui/model.h"
#include "platform/ui/qt/column_list.h"
#include "platform/ui/qt/qtbackend.h"
#include "reports/protocol.h"
#include "state/reset.h"

using namespace ui;

namespace {

const std::string kShots = std::string(ORIVAN_BINARY_DIR) + "/screenshots";

void Settle()
{
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Closes every message box that shows up and counts them.
int g_boxes = 0;
std::vector<std::string> g_texts;
void WatchBoxes()
{
    auto* t = new QTimer;
    QObject::connect(t, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w))
                if (box->isVisible()) {
                    ++g_boxes;
                    g_texts.push_back(box->text().toStdString());
                    box->accept();
                }
    });
    t->start(50);
}

struct ReportScreens : ::testing::Test {
    static std::string dir;
    static void SetUpTestSuite()
    {
        ::setenv("TZ", "UTC", 1);
        ResetProgramState();
        SetResourceDir(std::string(ORIVAN_SOURCE_DIR) + "/resources");
        // One directory per test process: CTest runs these tests side by side.
        dir = std::string(ORIVAN_BINARY_DIR) + "/reports_screens/" + std::to_string(QCoreApplication::applicationPid());
        QDir(QString::fromStdString(dir)).removeRecursively();
        QDir().mkpath(QString::fromStdString(dir));
        std::atexit([] { QDir(QString::fromStdString(dir)).removeRecursively(); });
        SetProjectDir(dir.c_str());
        UseVirtualClock(true);
        ASSERT_EQ(StartUp(StartOptions{}), 0);
        QDir().mkpath(QString::fromStdString(kShots));
        WatchBoxes();
        Settle();
    }
    void Load(const std::string& path)
    {
        rt::Touch(path, rt::kFileTime);
        ASSERT_EQ(load_measurement(path.c_str(), -1, -1), 0);
        SetPanelsToMode(1);
        Settle();
    }
    static void Shot(int panel, const char* name)
    {
        Settle();
        QWidget* w = PanelWidget(panel);
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->grab().save(QString::fromStdString(kShots + "/" + name + ".png"))) << name;
    }
};
std::string ReportScreens::dir;

// The lists' columns: every line's column k at one place, no column running
// into the next, the phase heading centred over each phase's columns.
void ExpectColumnsApart(int panel, int control)
{
    auto* list = dynamic_cast<ColumnList*>(ControlWidget(panel, control));
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->aligned());
    const ColumnList::Layout& l = list->layout();
    ASSERT_GT(l.anchor.size(), 1u);
    for (size_t k = 1; k < l.anchor.size(); ++k) EXPECT_GT(l.left[k], l.right[k - 1]) << "column " << k;
    EXPECT_LE(l.right.back(), list->viewport()->width());
}

}  // namespace

TEST_F(ReportScreens, HarmonicProtocolPageDialogAndDetailedProtocol)
{
    const std::string path = dir + "/harmonic.qel";
    Para p = rt::RunPara(0, 3, path);
    p.h_standard = 3;
    p.h_class = 3;
    rt::WriteHarmonic(path, p, 6);
    Load(path);
    EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, protocol);
    Settle();
    auto* text = qobject_cast<QPlainTextEdit*>(ControlWidget(protocol, PROTOCOL_TEXT));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().startsWith("               Measuring protocol printed at 01. January 2026"));
    ASSERT_TRUE(PanelWidget(panelHandle)->grab().save(QString::fromStdString(kShots + "/protocol_page.png")));

    // The result table carries its title.
    EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, results);
    Settle();
    bool titled = false;
    for (QLabel* l : PanelWidget(results)->findChildren<QLabel*>()) titled |= l->text() == "Results of harmonics testing" && l->isVisible();
    EXPECT_TRUE(titled);
    auto* table = qobject_cast<QTableWidget*>(ControlWidget(results, RESULTS_TABLE1));
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->verticalHeaderItem(3), nullptr);
    EXPECT_EQ(table->verticalHeaderItem(3)->text(), "3");
    EXPECT_TRUE(table->verticalHeader()->isVisible());
    ASSERT_TRUE(PanelWidget(panelHandle)->grab().save(QString::fromStdString(kShots + "/results_tables.png")));

    CallCtrlCallback(protocol, PROTOCOL_EDIT, EVENT_COMMIT, 0, 0, nullptr);
    Settle();
    EXPECT_TRUE(PanelWidget(panelEdit)->isVisible());
    Shot(panelEdit, "dlg_test_data_filled");
    CallCtrlCallback(panelEdit, EDIT_CANCEL, EVENT_COMMIT, 0, 0, nullptr);

    CallCtrlCallback(protocol, PROTOCOL_ADVANCED, EVENT_COMMIT, 0, 0, nullptr);
    Settle();
    EXPECT_TRUE(PanelWidget(advanced)->isVisible());
    Shot(advanced, "detailed_protocol_1_harmonic");
    CallCtrlCallback(advanced, ADVANCED_NEXT, EVENT_COMMIT, 0, 0, nullptr);
    Settle();
    EXPECT_TRUE(PanelWidget(advanced2)->isVisible());
    EXPECT_FALSE(PanelWidget(advanced)->isVisible());
    Shot(advanced2, "detailed_protocol_2_harmonic");
    ExpectColumnsApart(advanced2, ADVANCED2_TABLE);
    CallCtrlCallback(advanced2, ADVANCED2_CLOSE, EVENT_COMMIT, 0, 0, nullptr);
    Settle();
    EXPECT_FALSE(PanelWidget(advanced2)->isVisible());
}

TEST_F(ReportScreens, FlickerDetailedProtocol)
{
    const std::string path = dir + "/flicker.qel";
    Para p = rt::RunPara(1, 1, path);
    p.fl_periods = 6;
    rt::WriteFlicker(path, p, rt::FlickerEntries(p));
    Load(path);
    CallCtrlCallback(protocol, PROTOCOL_ADVANCED, EVENT_COMMIT, 0, 0, nullptr);
    Shot(advanced, "detailed_protocol_1_flicker");
    CallCtrlCallback(advanced, ADVANCED_NEXT, EVENT_COMMIT, 0, 0, nullptr);
    Shot(advanced2, "detailed_protocol_2_flicker");
    CallCtrlCallback(advanced2, ADVANCED2_CLOSE, EVENT_COMMIT, 0, 0, nullptr);
    Settle();
}

TEST_F(ReportScreens, DetailedProtocolColumnsOfThreePhasesAndOfOne)
{
    const std::string flicker = dir + "/flicker3.qel";
    Para p = rt::RunPara(1, 3, flicker);
    p.fl_periods = 6;
    rt::WriteFlicker(flicker, p, rt::FlickerEntries(p));
    Load(flicker);
    CallCtrlCallback(protocol, PROTOCOL_ADVANCED, EVENT_COMMIT, 0, 0, nullptr);
    Shot(advanced, "detailed_protocol_1_flicker3");
    for (int list : {ADVANCED_DESCRIPTION, ADVANCED_RESULTS, ADVANCED_VALUES}) ExpectColumnsApart(advanced, list);
    CallCtrlCallback(advanced, ADVANCED_NEXT, EVENT_COMMIT, 0, 0, nullptr);
    Shot(advanced2, "detailed_protocol_2_flicker3");
    ExpectColumnsApart(advanced2, ADVANCED2_TABLE);
    CallCtrlCallback(advanced2, ADVANCED2_CLOSE, EVENT_COMMIT, 0, 0, nullptr);

    const std::string harmonic = dir + "/harmonic1.qel";
    Para h = rt::RunPara(0, 1, harmonic);
    h.h_standard = 1;
    rt::WriteHarmonic(harmonic, h, 4);
    Load(harmonic);
    CallCtrlCallback(protocol, PROTOCOL_ADVANCED, EVENT_COMMIT, 0, 0, nullptr);
    CallCtrlCallback(advanced, ADVANCED_NEXT, EVENT_COMMIT, 0, 0, nullptr);
    Shot(advanced2, "detailed_protocol_2_harmonic1");
    ExpectColumnsApart(advanced2, ADVANCED2_TABLE);
    CallCtrlCallback(advanced2, ADVANCED2_CLOSE, EVENT_COMMIT, 0, 0, nullptr);
    Settle();
}

TEST_F(ReportScreens, AMissingPrinterGivesOneMessage)
{
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is installed";
    const std::string path = dir + "/print.qel";
    rt::WriteHarmonic(path, rt::RunPara(0, 1, path), 2);
    Load(path);
    g_boxes = 0;
    g_texts.clear();
    int rc = 0;
    CallCtrlCallback(advanced, ADVANCED_PRINT, EVENT_COMMIT, 0, 0, &rc);
    Settle();
    EXPECT_EQ(rc, -1);
    EXPECT_EQ(g_boxes, 1);
    ASSERT_EQ(g_texts.size(), 1u);
    EXPECT_EQ(g_texts[0], "Error -71. Cannot print page 1");
    g_texts.clear();
    CallCtrlCallback(protocol, PROTOCOL_PRINT, EVENT_COMMIT, 0, 0, &rc);
    Settle();
    EXPECT_EQ(g_texts, std::vector<std::string>{"Error -71. Cannot print page 1"});
}

TEST_F(ReportScreens, ThePrintedProtocolKeepsItsLinesWhole)
{
    const std::string path = dir + "/printed.qel";
    Para p = rt::RunPara(0, 3, path);
    p.h_standard = 3;
    rt::WriteHarmonic(path, p, 3);
    Load(path);
    std::string page1, page2;
    ASSERT_TRUE(PrintedProtocolPages(&page1, &page2));
    const std::string pdf = dir + "/page1.pdf", txt = dir + "/page1.txt";
    SetPrintAttribute(ATTR_PRINT_FONT_SIZE, 9);
    ASSERT_EQ(PrintTextBuffer(page1.c_str(), pdf.c_str()), 0);
    ASSERT_EQ(std::system(("pdftotext -layout '" + pdf + "' '" + txt + "'").c_str()), 0);
    std::ifstream in(txt);
    std::string line, ranges, check;
    while (std::getline(in, line)) {
        if (line.find("The measuring ranges:") != std::string::npos) ranges = line;
        if (line.find("Voltage check:") != std::string::npos) check = line;
    }
    // The longest lines print whole, not broken over two lines.
    EXPECT_NE(ranges.find("for voltage"), std::string::npos) << ranges;
    EXPECT_NE(check.find("Phase 3"), std::string::npos) << check;
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    if (!UseQtBackend(argc, argv)) return 1;
    return RUN_ALL_TESTS();
}
