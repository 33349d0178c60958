// The graph page on the Qt back-end, offscreen: a stored harmonic and a
// stored flicker run in the standard view and the plot view, with a
// screenshot of each under build/screenshots (graph_*.png), the painter's
// title on screen and in the clipboard, and the frame selector's right click.
#include <QApplication>
#include <QCoreApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QImage>
#include <QSpinBox>
#include <gtest/gtest.h>

#include <unistd.h>

#include "app/config.h"
#include "app/config_show.h"
#include "app/startup.h"
#include "display/plot.h"
#include "display/plot_list.h"
#include "display/plot_quantities.h"
#include "display/plot_series.h"
#include "display/views.h"
#include "files/load.h"
#include "panel_ids.h"
#include "platform/lowfile.h"
#include "platform/ui/model.h"
#include "platform/ui/qt/qtbackend.h"
#include "platform/ui/ui.h"
#include "state/para.h"
#include "state/workmode.h"
#include "state/panels.h"
#include "state/reset.h"

namespace {

const std::string kShots = std::string(ORIVAN_BINARY_DIR) + "/screenshots";
// One folder per process: CTest runs the tests of this program side by side,
// and a file rewritten under a running load would stop it at a modal popup.
const std::string kDir = std::string(ORIVAN_BINARY_DIR) + "/graph_page_test_" + std::to_string(getpid());

// A run recorded by orivan-cli run on the simulated bench (the program beside
// this one) into kDir/name.
bool SimulatedRun(const Para& p, const std::string& eut, const std::string& name)
{
    const std::string cfg = kDir + "/" + name + ".cfg";
    if (WriteConfigFile(cfg.c_str(), p) < 0) return false;
    const std::string bin = QCoreApplication::applicationDirPath().toStdString();
    const std::string cmd = "'" + bin + "/orivan-cli' run --config '" + cfg + "' --out '" + kDir + "/" + name +
                            "' --simulate=" + eut + " --speed max >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

void Settle()
{
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

struct GraphPage : ::testing::Test {
    static void SetUpTestSuite()
    {
        ResetProgramState();
        ui::SetResourceDir(std::string(ORIVAN_SOURCE_DIR) + "/resources");
        QDir().mkpath(QString::fromStdString(kDir));
        QDir().mkpath(QString::fromStdString(kShots));
        QFile::remove(QString::fromStdString(kDir + "/default.cfg"));
        SetProjectDir(kDir.c_str());
        ASSERT_EQ(StartUp(StartOptions{}), 0);
        // a switched-mode supply under class A, three phases, 4 minutes
        Para h;
        MakeSampleConfig(h);
        h.h_minutes = 4;
        h.h_seconds = 0;
        CopyFixed(h.test_data[3], "Switched-mode supply 250 W");
        ASSERT_TRUE(SimulatedRun(h, "smps:power=250", "harmonic.qel"));
        // a switched load, six periods of 30 s
        Para f;
        MakeSampleConfig(f);
        f.analyser = 4;
        f.phases = 1;
        f.test_kind = 1;
        f.h_mode = 0;
        f.fl_periods = 6;
        f.fl_minutes = 0;
        f.fl_seconds = 30;
        f.meas_time = 180;
        f.switching = 0;
        ASSERT_TRUE(SimulatedRun(f, "switch:power=960.4,cpm=110", "flicker.qel"));
        QWidget* main = ui::PanelWidget(panelHandle);
        main->resize(1360, 900);
        Settle();
    }
    void Open(const std::string& name)
    {
        SetCtrlVal(diagnos, DIAGNOS_USEFILE, 1);
        SetCtrlVal(diagnos, DIAGNOS_FILE, (kDir + "/" + name).c_str());
        CallCtrlCallback(diagnos, DIAGNOS_LOAD, EVENT_COMMIT, 0, 0, nullptr);
        ASSERT_EQ(LastLoadReport().status, 0) << LastLoadReport().message;
        Settle();
    }
    void Shot(const char* name)
    {
        Settle();
        QWidget* page = ui::PanelWidget(diagnos);
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(page->grab().save(QString::fromStdString(kShots + "/" + name + ".png"))) << name;
    }
    std::string Title()
    {
        std::string t;
        GetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, &t);
        return t;
    }
    void Plots(std::initializer_list<int> codes, int kind)
    {
        SetCtrlVal(diagnos, DIAGNOS_VIEWMODE, 0);
        SetViewMode(0);
        ClearListCtrl(diagnos, DIAGNOS_PLOTLIST);
        ClearListCtrl(diagnos, DIAGNOS_OPERAND1);
        ClearListCtrl(diagnos, DIAGNOS_OPERAND2);
        const int step = PlotCodeStep(LoadedRunKind());
        for (int c : codes) ASSERT_GE(InsertPlot(c / step, c % step), 0);
        SetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, 0);
        SetCtrlAttribute(diagnos, DIAGNOS_KIND, ATTR_DIMMED, 0);
        SetCtrlVal(diagnos, DIAGNOS_KIND, kind);
        CallCtrlCallback(diagnos, DIAGNOS_KIND, EVENT_COMMIT, 0, 0, nullptr);
    }
};

TEST_F(GraphPage, HarmonicRunInBothViews)
{
    Open("harmonic.qel");
    EXPECT_EQ(my_dummy, VIEW_STANDARD);
    SetCtrlVal(diagnos, DIAGNOS_FRAME, 300);
    CallCtrlCallback(diagnos, DIAGNOS_FRAME, EVENT_VAL_CHANGED, 0, 0, nullptr);
    Shot("graph_standard_harmonic");

    Plots({3, 5}, PLOT_TIME);
    SetCtrlVal(diagnos, DIAGNOS_SHOWLIMITS, 1);
    RedrawPlotList(PLOT_TIME);
    Shot("graph_time_curves");
    Plots({3}, PLOT_HISTOGRAM);
    Shot("graph_histogram");
    Plots({HQ_P, HQ_U}, PLOT_COMBINED);
    SetCtrlVal(diagnos, DIAGNOS_OPERAND1, HQ_P);
    SetCtrlVal(diagnos, DIAGNOS_OPERAND2, HQ_U);
    SetCtrlVal(diagnos, DIAGNOS_OPERATION, COMBINE_DIVIDE);
    ui::Deliver(ui::Event{diagnos, DIAGNOS_OPERATION, EVENT_VAL_CHANGED});
    Shot("graph_combined");
    Plots({HQ_ITHD}, PLOT_CORRELATION);
    Shot("graph_correlation");

    // the title is painted on screen and in the clipboard's image
    auto* graph = ui::ControlWidget(diagnos, DIAGNOS_GRAPH);
    ASSERT_NE(graph, nullptr);
    graph->setFocus();
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, "c");
    QApplication::sendEvent(graph, &copy);
    const QImage clip = QApplication::clipboard()->image();
    ASSERT_FALSE(clip.isNull());
    int dark = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = clip.width() / 3; x < 2 * clip.width() / 3; ++x) dark += qGray(clip.pixel(x, y)) < 100;
    EXPECT_GT(dark, 30) << "no title above the plot area";
}

TEST_F(GraphPage, FlickerRunBarsAndPst)
{
    Open("flicker.qel");
    Shot("graph_standard_flicker");
    Plots({FQ_PST}, PLOT_CUMULATIVE);
    Shot("graph_flicker_cumulative");
    // the switched load's momentary flicker repeats with its switching period
    Plots({FQ_PMOM}, PLOT_CORRELATION);
    EXPECT_EQ(Title(), "Correlation:   1 Pmom   Logging file: flicker.qel");
    Shot("graph_flicker_correlation");
}

TEST_F(GraphPage, RightClickOnTheFrameSelectorOpensTheFrameValues)
{
    Open("harmonic.qel");
    auto* spin = qobject_cast<QSpinBox*>(ui::ControlWidget(diagnos, DIAGNOS_FRAME));
    ASSERT_NE(spin, nullptr);
    SetCtrlVal(diagnos, DIAGNOS_FRAME, 5);
    Settle();
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(5, 5), spin->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(spin, &menu);
    Settle();
    EXPECT_TRUE(ui::FindPanel(smallres)->visible);
    HarmFrame f5;
    ASSERT_TRUE(HarmFrameAt(0, 5, &f5));
    EXPECT_EQ(buf[0].count, f5.count);
    RemovePopup(smallres);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    if (!ui::UseQtBackend(argc, argv)) return 1;
    return RUN_ALL_TESTS();
}
