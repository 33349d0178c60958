// Simulated runs in the GUI on the Qt back-end, offscreen: a three-phase
// harmonic test and a single-phase flicker test started with the start
// button, with screenshots of the measuring page during the run and of the
// results page after it.
// The simulator first: Qt's "emit" keyword is a macro.
#include "app/simulation.h"
#include "sim/bench.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include "app/config.h"
#include "app/config_show.h"
#include "app/settings_panel.h"
#include "app/startup.h"
#include "files/load.h"
#include "measure/run.h"
#include "measure/run_state.h"
#include "panel_ids.h"
#include "platform/clock.h"
#include "platform/lowfile.h"
#include "platform/ui/headless.h"
#include "platform/ui/qt/qtbackend.h"
#include "platform/ui/ui.h"
#include "state/channels.h"
#include "state/framelist.h"
#include "state/names.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/records.h"
#include "state/workmode.h"

using namespace ui;

namespace {

const std::string kShots = std::string(ORIVAN_BINARY_DIR) + "/screenshots";
const std::string kDir = std::string(ORIVAN_BINARY_DIR) + "/run_screens_project";

void Settle()
{
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Answers the file dialog with `path` and accepts "Ready to start", from
// inside their own event loops.
void AnswerStartDialogs(const std::string& path)
{
    auto* t = new QTimer;
    auto done = std::make_shared<int>(0);
    QObject::connect(t, &QTimer::timeout, [t, done, path] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            EXPECT_EQ(d->windowTitle(), "Select data file!");
            d->findChild<QLineEdit*>()->setText(QString::fromStdString(path));
            QMetaObject::invokeMethod(d, "accept");
        } else if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            EXPECT_EQ(box->windowTitle(), "Ready to start") << box->text().toStdString();
            box->accept();
            t->stop();
            t->deleteLater();
            return;
        }
        if (++*done > 500) {   // never leave the test hanging in a dialog
            ADD_FAILURE() << "the start dialogs did not come";
            if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget())) w->reject();
            t->stop();
            t->deleteLater();
        }
    });
    t->start(20);
}

struct RunScreens : ::testing::Test {
    static void SetUpTestSuite()
    {
        reset_para_state();
        SetResourceDir(std::string(ORIVAN_SOURCE_DIR) + "/resources");
        QDir().mkpath(QString::fromStdString(kDir));
        QDir().mkpath(QString::fromStdString(kShots));
        SetProjectDir(kDir.c_str());
        UseVirtualClock(true);
        ASSERT_EQ(StartUp(StartOptions{}), 0);
        SetPanelAttribute(panelHandle, ATTR_TITLE, MainWindowTitle(true).c_str());
    }
    static void TearDownTestSuite() { reset_clock(); }

    void Bench(const Para& p, const char* eut)
    {
        sim::reset_bench();
        para.analyser = p.analyser;
        para.phases = p.phases;
        for (int k = 0; k < 3; ++k) para.gpib_address[k] = p.gpib_address[k];
        sim::SimulationSetup s;
        s.eut = eut;
        std::string error;
        ASSERT_TRUE(sim::InstallSimulation(s, &error)) << error;
        set_parameter(p);
        CallCtrlCallback(setting, SETTING_OK, EVENT_COMMIT, 0, 0, nullptr);
        Settle();
    }
    void Start(const std::string& name)
    {
        QFile::remove(QString::fromStdString(kDir + "/" + name));   // no question to replace it
        AnswerStartDialogs(kDir + "/" + name);
        ASSERT_TRUE(Click(measure, MEASURE_START));
        Settle();
        ASSERT_TRUE(RunActive());
    }
    // Clock time of the run, keeping the model's timers with the virtual clock.
    void Run(double seconds)
    {
        const double end = Timer() + seconds;
        double target = Timer();
        while (Timer() < end && RunActive()) {
            target += 0.1;
            if (Timer() < target) AdvanceClock(target - Timer());
            AdvanceTimers(0.1);
        }
        Settle();
    }
    void Shot(int page, const std::string& name)
    {
        EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, page);
        Settle();
        QImage shot = PanelWidget(panelHandle)->grab().toImage();
        EXPECT_GE(shot.width(), 1000);
        ASSERT_TRUE(shot.save(QString::fromStdString(kShots + "/" + name + ".png")));
    }
};

Para Sample()
{
    Para p;
    MakeSampleConfig(p);
    const char* data[3] = {"PC power supply", "ACME", "PSU-250"};
    CopyFixed(p.test_data[3], data[0]);
    CopyFixed(p.test_data[4], data[1]);
    CopyFixed(p.test_data[5], data[2]);
    return p;
}

}  // namespace

TEST_F(RunScreens, HarmonicTestOfThreeRectifiers)
{
    Para p = Sample();
    p.analyser = 1;   // one PAM-C
    p.phases = 3;
    p.h_class = 3;
    p.h_minutes = 0;
    p.h_seconds = 20;
    for (int k = 0; k < 3; ++k) {
        p.gpib_address[k] = 5;
        p.ctrl_power[k] = 250;
        p.i_range[k] = 10;
    }
    Bench(p, "smps:power=250");
    Start("harmonic.qel");
    Run(10);
    ASSERT_TRUE(RunActive());
    EXPECT_EQ(workmode, 0);
    Shot(measure, "run_harmonic_measuring");
    Run(30);
    ASSERT_FALSE(RunActive());
    EXPECT_EQ(workmode, 1);
    int iall = 0;
    GetCtrlVal(results, RESULTS_IALL2, &iall);
    EXPECT_EQ(iall, 1);
    Shot(results, "run_harmonic_results");
}

TEST_F(RunScreens, FlickerTestOfASwitchedLoad)
{
    Para p = Sample();
    p.analyser = 4;   // one PAM-A
    p.phases = 1;
    p.test_kind = 1;
    p.fl_periods = 4;
    p.fl_minutes = 0;
    p.fl_seconds = 20;
    CopyFixed(p.fl_standard, "EN61000-3-3 A1");
    p.gpib_address[0] = 5;
    Bench(p, "switch:power=1300,cpm=110");
    Start("flicker.qel");
    Run(62);
    ASSERT_TRUE(RunActive());
    // Period numbers are whole: so are the ticks of the bar graph's x axis.
    int precision = -1;
    GetCtrlAttribute(measure, MEASURE_GRAPH1, ATTR_XPRECISION, &precision);
    EXPECT_EQ(precision, 0);
    Shot(measure, "run_flicker_measuring");
    Run(60);
    ASSERT_FALSE(RunActive());
    EXPECT_EQ(workmode, 1);
    Shot(results, "run_flicker_results");
}

// The program's own Qt timers drive a run on the real clock, the bench and
// the timers ten times as fast.
TEST_F(RunScreens, QtTimersDriveARealTimeRun)
{
    reset_clock();
    Para p = Sample();
    p.analyser = 4;
    p.phases = 1;
    p.h_class = 0;
    p.h_minutes = 0;
    p.h_seconds = 10;
    p.gpib_address[0] = 5;
    sim::reset_bench();
    para.analyser = p.analyser;
    para.phases = p.phases;
    para.gpib_address[0] = 5;
    sim::SimulationSetup s;
    s.eut = "heater:power=1000";
    s.speed = 10;
    std::string error;
    ASSERT_TRUE(sim::InstallSimulation(s, &error)) << error;
    set_parameter(p);
    CallCtrlCallback(setting, SETTING_OK, EVENT_COMMIT, 0, 0, nullptr);
    SetRunSpeed(10);
    Start("realtime.qel");
    const double t0 = Timer();
    while (RunActive() && Timer() - t0 < 60) QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(RunActive());
    EXPECT_EQ(workmode, 1);
    EXPECT_GE(size, 45);   // 10 s of 200 ms cycles, none lost
    EXPECT_EQ(run.lost_cycles, 0);
    SetRunSpeed(1);
    UseVirtualClock(true);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    if (!UseQtBackend(argc, argv)) return 1;
    return RUN_ALL_TESTS();
}
