// The GUI on the Qt back-end, offscreen: start-up, the six tab pages (with a
// screenshot each under build/screenshots), widgets that follow the model,
// user input that reaches callbacks, and timer ticks held back by a popup.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cmath>
#include <memory>
#include <cstdlib>
#include <gtest/gtest.h>
#ifdef ORIVAN_HAVE_QTEST
#include <QTest>
#endif

#include "app/config.h"
#include "app/startup.h"
#include "evaluation/class_wizard.h"
#include "panel_ids.h"
#include "platform/lowfile.h"
#include "platform/ui/model.h"
#include "platform/ui/qt/qtbackend.h"
#include "platform/ui/ui.h"
#include "state/para.h"
#include "state/panels.h"
#include "state/reset.h"

using namespace ui;

namespace {

const std::string kShots = std::string(ORIVAN_BINARY_DIR) + "/screenshots";

void Settle()
{
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Puts typical contents on the pages so the screenshots show real use.
void FillDemo()
{
    SetCtrlVal(setting, SETTING_NAME, "Power supply unit");
    SetCtrlVal(setting, SETTING_COMPANY, "Test lab");
    ResetTextBox(setting, SETTING_COMMENT, "Input 230 V / 50 Hz\nFull load");
    SetCtrlVal(measure, MEASURE_FILE, "/home/lab/tests/logging.qel");
    SetCtrlVal(measure, MEASURE_REMAINING, "00:02:30");
    SetCtrlVal(measure, MEASURE_CLASS, "A");
    SetCtrlVal(measure, MEASURE_ACTIVE, 1);
    for (int p = 0; p < 3; ++p) {
        int graph[3] = {MEASURE_GRAPH1, MEASURE_GRAPH2, MEASURE_GRAPH3};
        double green[41] = {}, red[41] = {}, lim[41] = {};
        for (int n = 1; n <= 40; ++n) {
            lim[n] = n == 1 ? 0 : (n % 2 ? 2.3 / n : 0.4 / n);
            double c = n == 1 ? 3.0 : lim[n] * (0.4 + 0.7 * std::fabs(std::sin(n * (1.3 + p))));
            (c > lim[n] && n > 1 ? red : green)[n] = c;
        }
        PlotY(measure, graph[p], red, 41, VAL_DOUBLE, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, VAL_RED);
        PlotY(measure, graph[p], lim, 41, VAL_DOUBLE, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, VAL_OLIVE);
        PlotY(measure, graph[p], green, 41, VAL_DOUBLE, VAL_VERTICAL_BAR, VAL_NO_POINT, VAL_SOLID, 1, VAL_GREEN);
        SetAxisScalingMode(measure, graph[p], VAL_LEFT_YAXIS, VAL_MANUAL, 0, 3.3);
    }
    const int u[3] = {MEASURE_U1, MEASURE_U2, MEASURE_U3}, i[3] = {MEASURE_I1, MEASURE_I2, MEASURE_I3};
    for (int p = 0; p < 3; ++p) { SetCtrlVal(measure, u[p], 230.12 + p); SetCtrlVal(measure, i[p], 3.1415); }
    SetCtrlAttribute(measure, MEASURE_I2, ATTR_TEXT_BGCOLOR, VAL_RED);
    for (int c : {MEASURE_IALL1, MEASURE_UALL1, MEASURE_U1001, MEASURE_AMP1, MEASURE_IALL3}) SetCtrlVal(measure, c, 1);
    for (int c : {RESULTS_IALL1, RESULTS_I1001, RESULTS_U1001, RESULTS_UALL1, RESULTS_AMP1, RESULTS_FREQ1, RESULTS_CREST1,
                  RESULTS_PHI1, RESULTS_IALL3})
        SetCtrlVal(results, c, 1);
    SetCtrlVal(results, RESULTS_VERDICT, "Test passed: phase L1, L3; failed: phase L2");
    for (int t : {RESULTS_TABLE1, RESULTS_TABLE2, RESULTS_TABLE3}) {
        InsertTableRows(results, t, -1, 40, VAL_CELL_STRING);
        for (int n = 1; n <= 40; ++n) {
            SetTableCellVal(results, t, MakePoint(1, n), std::to_string(n + 0));
            SetTableCellVal(results, t, MakePoint(2, n), 1.0 / n);
            SetTableCellVal(results, t, MakePoint(3, n), 2.3 / n);
            SetTableCellVal(results, t, MakePoint(6, n), n == 5 && t == RESULTS_TABLE2 ? "FAIL" : "PASS");
        }
        SetTableCellAttribute(results, RESULTS_TABLE2, MakePoint(6, 5), ATTR_TEXT_BGCOLOR, VAL_RED);
    }
    ResetTextBox(protocol, PROTOCOL_TEXT, "");
    for (const char* l : {"ORIVAN measuring protocol", "", "File      : /home/lab/tests/logging.qel",
                          "Standard  : EN61000-3-2:2006", "Class     : A", "", "Order   Imax/A   Limit/A   Result",
                          "  2     0.250     1.080    PASS", "  3     0.950     2.300    PASS"})
        InsertTextBoxLine(protocol, PROTOCOL_TEXT, -1, l);
    std::vector<double> x, y;
    for (int k = 0; k < 45000; ++k) { x.push_back(k * 0.2); y.push_back(230 + 2 * std::sin(k * 0.002) + (k == 30000 ? 6 : 0)); }
    SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_XAXIS, VAL_AUTOSCALE, 0, 0);
    SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_XNAME, "t / s");
    SetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_YNAME, "U,V");
    PlotXY(diagnos, DIAGNOS_GRAPH, x.data(), y.data(), int(x.size()), VAL_DOUBLE, VAL_DOUBLE, VAL_THIN_LINE,
           VAL_NO_POINT, VAL_SOLID, 1, VAL_BLUE);
    SetGraphCursor(diagnos, DIAGNOS_GRAPH, 1, 2000, 231);
    SetCursorAttribute(diagnos, DIAGNOS_GRAPH, 2, ATTR_CURSOR_COLOR, VAL_BLACK);
    SetGraphCursor(diagnos, DIAGNOS_GRAPH, 2, 6000, 230);
    for (int c : {3, 4}) SetCursorAttribute(diagnos, DIAGNOS_GRAPH, c, ATTR_CROSS_HAIR_STYLE, VAL_NO_CROSS);
    for (int c : {3, 4}) SetCursorAttribute(diagnos, DIAGNOS_GRAPH, c, ATTR_CURSOR_POINT_STYLE, VAL_NO_POINT);
    InsertListItem(diagnos, DIAGNOS_PLOTLIST, -1, "1 U", 41);
    for (const char* l : {"Order\033p120cL1\033p165cL2\033p210cL3", "3\033p120c0.95\033p165c0.97\033p210c0.91",
                          "5\033p120c0.25\033p165c0.31\033p210c0.22"})
        InsertListItem(advanced, ADVANCED_RESULTS, -1, l, 0);
    for (int q = 0; q < 41; ++q) InsertListItem(diagnos, DIAGNOS_QUANTITY, -1, ("HCurr(" + std::to_string(q) + ")").c_str(), q);
}

struct Gui : ::testing::Test {
    static std::string dir;
    static void SetUpTestSuite()
    {
        ResetProgramState();
        SetResourceDir(std::string(ORIVAN_SOURCE_DIR) + "/resources");
        dir = std::string(ORIVAN_BINARY_DIR) + "/gui_test_project";
        QDir().mkpath(QString::fromStdString(dir));
        QFile::remove(QString::fromStdString(dir + "/default.cfg"));
        QFile::copy(QString::fromStdString(std::string(ORIVAN_SOURCE_DIR) + "/resources/orivan.bmp"),
                    QString::fromStdString(dir + "/orivan.bmp"));
        SetProjectDir(dir.c_str());
        StartOptions o;
        o.simulate = true;
        ASSERT_EQ(StartUp(o), 0);
        Settle();
    }
};
std::string Gui::dir;

QTabWidget* Tabs() { return qobject_cast<QTabWidget*>(ControlWidget(panelHandle, PANEL_CANVAS)); }

}  // namespace

TEST_F(Gui, StartsWithTheIntroductionAndDimmedPages)
{
    QWidget* main = PanelWidget(panelHandle);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->windowTitle().contains("SIMULATION"));
    QTabWidget* tabs = Tabs();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 6);
    QStringList names;
    for (int i = 0; i < 6; ++i) names << tabs->tabText(i);
    EXPECT_EQ(names, (QStringList{"Introduction", "Settings", "Measuring", "Results", "Protocol", "Diagnosis"}));
    EXPECT_TRUE(tabs->isTabEnabled(0));
    for (int i = 1; i < 6; ++i) EXPECT_FALSE(tabs->isTabEnabled(i)) << i;
    EXPECT_EQ(tabs->currentIndex(), 0);
    QDir().mkpath(QString::fromStdString(kShots));
    ASSERT_TRUE(main->grab().save(QString::fromStdString(kShots + "/0_startup.png")));
    // the window fits a 1366 x 768 laptop screen, and every page fits it without scrolling
    QSize least = main->minimumSizeHint();
    EXPECT_LE(least.width(), 1366);
    EXPECT_LE(least.height(), 740);
    for (int pg : {intro, setting, measure, results, protocol, diagnos}) {
        QSize s = PanelWidget(pg)->minimumSizeHint();
        EXPECT_LE(s.width(), 1250) << FindPanel(pg)->name;
        EXPECT_LE(s.height(), 730) << FindPanel(pg)->name;
    }
}

TEST_F(Gui, VisitsTheSixPagesAndSavesAScreenshotOfEach)
{
    SetPanelsToMode(2);
    FillDemo();
    SetPanelsToMode(1);   // results mode: every page but the measuring one usable; undim that too for the tour
    EasyTab_SetTabAttribute(panelHandle, tabCtrl, measure, ATTR_EASY_TAB_DIMMED, 0);
    QDir().mkpath(QString::fromStdString(kShots));
    const struct { int page; const char* name; } pages[] = {{intro, "1_intro"}, {setting, "2_settings"},
        {measure, "3_measuring"}, {results, "4_results"}, {protocol, "5_protocol"}, {diagnos, "6_diagnosis"}};
    QWidget* main = PanelWidget(panelHandle);
    for (const auto& p : pages) {
        ASSERT_EQ(EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, p.page), 0);
        Settle();
        EXPECT_TRUE(Tabs()->currentWidget()->isAncestorOf(PanelWidget(p.page)));
        QImage shot = main->grab().toImage();
        EXPECT_GE(shot.width(), 1000);
        ASSERT_TRUE(shot.save(QString::fromStdString(kShots + "/" + p.name + ".png"))) << p.name;
    }
    // the dialogs
    const struct { int panel; const char* name; } dialogs[] = {{panelIO, "dlg_analog_inputs"}, {panelEdit, "dlg_test_data"},
        {panExport, "dlg_export"}, {panelLimits, "dlg_limits"}, {panelWizard, "dlg_wizard"}, {smallres, "dlg_frame_values"},
        {advanced, "dlg_protocol1"}, {advanced2, "dlg_protocol2"}, {prepare, "dlg_prepare"}, {panelError, "dlg_errors"}};
    for (const auto& d : dialogs) {
        // the wizard as the user opens it: first question, Back dimmed
        if (d.panel == panelWizard) {
            SetCtrlVal(setting, SETTING_VERSION, 3);   // the five-line first question of the 2006 limits
            cbWizard(setting, 0, EVENT_COMMIT, nullptr, 0, 0);
        }
        else DisplayPanel(d.panel);
        Settle();
        QWidget* w = PanelWidget(d.panel);
        ASSERT_NE(w, nullptr) << d.name;
        EXPECT_TRUE(w->isVisible());
        ASSERT_TRUE(w->grab().save(QString::fromStdString(kShots + "/" + d.name + ".png"))) << d.name;
        HidePanel(d.panel);
        EXPECT_FALSE(w->isVisible());
    }
    // a user's tab choice reaches the model
    Tabs()->setCurrentIndex(4);
    int active = 0;
    EasyTab_GetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, &active);
    EXPECT_EQ(active, protocol);
    // the graph renders to an image for printing and the clipboard
    int bmp = 0;
    ASSERT_EQ(GetCtrlDisplayBitmap(diagnos, DIAGNOS_GRAPH, 0, &bmp), 0);
    EXPECT_GT(FindBitmap(bmp)->width, 100);
    EXPECT_EQ(ClipboardPutBitmap(bmp), 0);
    std::string pdf = dir + "/graph.pdf";
    SetPrintAttributeEx(ATTR_PRINT_OUTPUT_FILE, pdf.c_str());
    EXPECT_EQ(PrintCtrl(diagnos, DIAGNOS_GRAPH, "", 1, 0), 0);
    EXPECT_EQ(PrintTextBuffer("ORIVAN protocol\nline 2\n", (dir + "/protocol.pdf").c_str()), 0);
    SetPrintAttributeEx(ATTR_PRINT_OUTPUT_FILE, "");
    QFile f(QString::fromStdString(pdf));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5).startsWith("%PDF"));
}

TEST_F(Gui, WidgetsFollowTheModelAndUserInputReachesIt)
{
    SetPanelsToMode(2);
    auto* name = qobject_cast<QLineEdit*>(ControlWidget(setting, SETTING_NAME));
    ASSERT_NE(name, nullptr);
    SetCtrlVal(setting, SETTING_NAME, "Miller");
    Settle();   // widgets follow the model at the next turn of the event loop
    EXPECT_EQ(name->text(), "Miller");
    SetCtrlAttribute(setting, SETTING_NAME, ATTR_DIMMED, 1);
    Settle();
    EXPECT_FALSE(name->isEnabled());
    SetCtrlAttribute(setting, SETTING_NAME, ATTR_DIMMED, 0);
    SetCtrlAttribute(setting, SETTING_RSCE, ATTR_VISIBLE, 0);
    EXPECT_TRUE(ControlWidget(setting, SETTING_RSCE)->isHidden());
    SetCtrlAttribute(setting, SETTING_RSCE, ATTR_VISIBLE, 1);
    EXPECT_FALSE(ControlWidget(setting, SETTING_RSCE)->isHidden());
    // a hidden field takes its label with it
    SetCtrlAttribute(measure, MEASURE_PWHD1, ATTR_VISIBLE, 0);
    Settle();
    QLabel* pwhdLabel = nullptr;
    for (QLabel* l : PanelWidget(measure)->findChildren<QLabel*>())
        if (l->buddy() == ControlWidget(measure, MEASURE_PWHD1)) pwhdLabel = l;
    ASSERT_NE(pwhdLabel, nullptr);
    EXPECT_TRUE(pwhdLabel->isHidden());
    SetCtrlAttribute(measure, MEASURE_PWHD1, ATTR_VISIBLE, 1);
    Settle();
    EXPECT_FALSE(pwhdLabel->isHidden());
    ClearListCtrl(setting, SETTING_IRANGE1);
    InsertListItem(setting, SETTING_IRANGE1, -1, "600 mA", 0.6);
    InsertListItem(setting, SETTING_IRANGE1, -1, "1,2 A", 1.2);
    SetCtrlVal(setting, SETTING_IRANGE1, 1.2);
    Settle();
    auto* ring = qobject_cast<QComboBox*>(ControlWidget(setting, SETTING_IRANGE1));
    ASSERT_EQ(ring->count(), 2);
    EXPECT_EQ(ring->currentText(), "1,2 A");
    SetPanelsToMode(0);
    EXPECT_FALSE(Tabs()->isTabEnabled(1));
    EXPECT_TRUE(Tabs()->isTabEnabled(2));
    SetPanelsToMode(2);
#ifdef ORIVAN_HAVE_QTEST
    EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, setting);
    Settle();
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "Smith");
    QTest::keyClick(name, Qt::Key_Return);
    std::string v;
    GetCtrlVal(setting, SETTING_NAME, &v);
    EXPECT_EQ(v, "Smith");
    auto* smoothing = qobject_cast<QCheckBox*>(ControlWidget(setting, SETTING_SMOOTHING));
    QTest::mouseClick(smoothing, Qt::LeftButton, {}, QPoint(6, smoothing->height() / 2));
    int on = 0;
    GetCtrlVal(setting, SETTING_SMOOTHING, &on);
    EXPECT_EQ(on, 1);
#endif
}

namespace {
int g_ticks = 0, g_ticksInPopup = -1, g_depth = 0;
int CountTicks(int, int, int event, void*, int, int)
{
    if (event == EVENT_TIMER_TICK) { ++g_ticks; g_depth = std::max(g_depth, CallbackDepth()); }
    return 0;
}
int PopupWhileTicking(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    QTimer::singleShot(300, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w)) if (box->isVisible()) box->accept();
    });
    MessagePopup("Ready to start", "Measuring setup is ready. You can start");
    g_ticksInPopup = g_ticks;
    return 0;
}
}  // namespace

TEST_F(Gui, TimerTicksWaitWhileACallbackIsInAPopup)
{
    SetPanelsToMode(2);
    InstallCtrlCallback(measure, MEASURE_TIMER, CountTicks, nullptr);
    InstallCtrlCallback(setting, SETTING_OK, PopupWhileTicking, nullptr);
    SetCtrlAttribute(measure, MEASURE_TIMER, ATTR_INTERVAL, 0.01);
    SetCtrlAttribute(measure, MEASURE_TIMER, ATTR_ENABLED, 1);
    g_ticks = 0;
    g_depth = 0;
    Deliver(Event{setting, SETTING_OK, EVENT_COMMIT});
    EXPECT_EQ(g_ticksInPopup, 0);   // the popup's own event loop ran the timer, but no tick got through
    EXPECT_EQ(g_ticks, 1);          // the held ticks were merged into one, delivered afterwards
    EXPECT_EQ(g_depth, 1);
    SetCtrlAttribute(measure, MEASURE_TIMER, ATTR_ENABLED, 0);
}

namespace {
// Answers the next file dialog from inside its event loop: a path, or "" to cancel.
void AnswerFileDialog(const std::string& path)
{
    auto* t = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(t, &QTimer::timeout, [t, tries, path] {
        QFileDialog* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!d && ++*tries < 40) return;
        t->stop();
        t->deleteLater();
        if (!d) return;
        EXPECT_EQ(d->windowTitle(), "Select Configuration file!");
        // never leave the test hanging in the dialog
        QTimer::singleShot(3000, [g = QPointer<QFileDialog>(d)] { if (g && g->isVisible()) g->reject(); });
        if (path.empty()) { d->reject(); return; }
        d->findChild<QLineEdit*>()->setText(QString::fromStdString(path));   // as typed by the user
        QMetaObject::invokeMethod(d, "accept");
    });
    t->start(50);
}
}  // namespace

TEST_F(Gui, SavingASetUpThroughTheFileDialog)
{
    SetPanelsToMode(2);
    std::string path = dir + "/through_dialog.cfg";
    QFile::remove(QString::fromStdString(path));
    AnswerFileDialog(path);
    EXPECT_EQ(SaveConfiguration(), 1);
    EXPECT_EQ(QFileInfo(QString::fromStdString(path)).size(), qint64(sizeof(Para)));
    AnswerFileDialog("");   // cancelling reads nothing
    EXPECT_EQ(LoadConfiguration(), 0);
}

// Last: the close box of the main window saves default.cfg and ends the program.
TEST_F(Gui, TheCloseBoxSavesTheDefaultConfiguration)
{
    std::string cfg = dir + "/default.cfg";
    Para zero{};
    ASSERT_EQ(WriteConfigFile(cfg.c_str(), zero), CFG_OK);
    para.h_class = 12;
    QWidget* main = PanelWidget(panelHandle);
    main->close();   // the close event goes to cbPanel; the window stays until the program ends
    Settle();
    Para back{};
    ASSERT_EQ(ReadConfigFile(cfg.c_str(), back), CFG_OK);
    EXPECT_EQ(back.h_class, 12);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    if (!UseQtBackend(argc, argv)) return 1;
    return RUN_ALL_TESTS();
}

#ifdef ORIVAN_HAVE_QTEST
TEST_F(Gui, AGraphCursorFollowsTheMouseWithinTheAxes)
{
    SetPanelsToMode(2);
    EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, diagnos);
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    std::vector<double> x, y;
    for (int k = 0; k <= 100; ++k) { x.push_back(k); y.push_back(k); }
    PlotXY(diagnos, DIAGNOS_GRAPH, x.data(), y.data(), int(x.size()), VAL_DOUBLE, VAL_DOUBLE, VAL_THIN_LINE,
           VAL_NO_POINT, VAL_SOLID, 1, VAL_BLUE);
    SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_XAXIS, VAL_MANUAL, 0, 100);
    SetAxisScalingMode(diagnos, DIAGNOS_GRAPH, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 100);
    SetCursorAttribute(diagnos, DIAGNOS_GRAPH, 1, ATTR_CURSOR_MODE, VAL_FREE_FORM);
    SetGraphCursor(diagnos, DIAGNOS_GRAPH, 1, 50, 50);
    SetActiveGraphCursor(diagnos, DIAGNOS_GRAPH, 1);
    Settle();
    QWidget* graph = ControlWidget(diagnos, DIAGNOS_GRAPH);
    ASSERT_NE(graph, nullptr);
    auto pressAt = [&](QPoint at) {
        QTest::mousePress(graph, Qt::LeftButton, {}, at);
        QTest::mouseRelease(graph, Qt::LeftButton, {}, at);
        double cx = -1, cy = -1;
        GetGraphCursor(diagnos, DIAGNOS_GRAPH, 1, &cx, &cy);
        return std::make_pair(cx, cy);
    };
    // Beyond the plot area the cursor stops at the axes' ends.
    const auto lowerRight = pressAt(QPoint(graph->width() - 1, graph->height() - 1));
    EXPECT_DOUBLE_EQ(lowerRight.first, 100);
    EXPECT_DOUBLE_EQ(lowerRight.second, 0);
    const auto upperLeft = pressAt(QPoint(1, 1));   // (0, 0) would be taken for the centre
    EXPECT_DOUBLE_EQ(upperLeft.first, 0);
    EXPECT_DOUBLE_EQ(upperLeft.second, 100);
    // Inside, further right and lower means a larger x and a smaller y.
    const auto a = pressAt(QPoint(graph->width() * 2 / 5, graph->height() / 3));
    const auto b = pressAt(QPoint(graph->width() * 3 / 5, graph->height() / 2));
    EXPECT_GT(a.first, 0);
    EXPECT_LT(a.first, b.first);
    EXPECT_GT(a.second, b.second);
    EXPECT_LT(b.first, 100);
}
#endif
