// Start-up, shutdown and the configuration dialogs.
#include "app/startup.h"
#include "state/reset.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/config.h"
#include "app/optional_links.h"
#include "instrument/notify.h"
#include "measure/run.h"
#include "panel_ids.h"
#include "platform/fmt.h"
#include "platform/lowfile.h"
#include "platform/ui/headless.h"
#include "platform/ui/ui.h"
#include "platform/visa/ports.h"
#include "state/para.h"
#include "state/workmode.h"
#include "state/panels.h"
#include "platform/fixed_text.h"
#include "state/names.h"


// Files of callbacks that only the panels name (see UI_CALLBACK_FILE).
UI_LINK_CALLBACK_FILE(interface_controls_panel);
UI_LINK_CALLBACK_FILE(ranges_panel);
UI_LINK_CALLBACK_FILE(equipment_panel);

namespace {

const char kResource[] = "ORV3.uir";
StartOptions g_options;

// Stored measurement named on the command line (steps of `main` for one argument).
void OpenStoredMeasurement(const std::string& path)
{
    if (!load_measurement) {
        MessagePopup("Error", ("Opening a stored measurement at start-up is not yet supported:\n" + path).c_str());
        return;
    }
    EasyTab_SetAttribute(panelHandle, tabCtrl, ATTR_EASY_TAB_ACTIVE_PANEL, diagnos);
    DefaultPanel(diagnos);
    for (int c : {DIAGNOS_PHASELIST, DIAGNOS_QUANTITY, DIAGNOS_PLOTLIST}) ClearListCtrl(diagnos, c);
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    workmode = 1;
    viewmode = 3;
    load_measurement(path.c_str(), -1, -1);
    set_parameter(para);
    SetPanelsToMode(1);
    SetResultsPanel(para.test_kind);
    SetCtrlVal(diagnos, DIAGNOS_VIEWMODE, 1);
    CallCtrlCallback(diagnos, DIAGNOS_VIEWMODE, EVENT_VAL_CHANGED, 0, 0, nullptr);
    for (int c : {DIAGNOS_PHASELIST, DIAGNOS_QUANTITY, DIAGNOS_PLOTLIST}) SetCtrlAttribute(diagnos, c, ATTR_DIMMED, 1);
    for (int c : {DIAGNOS_LABEL, DIAGNOS_MIN, DIAGNOS_MAX}) SetCtrlAttribute(diagnos, c, ATTR_VISIBLE, 0);
    if (para.test_kind == 1) {
        SetCtrlAttribute(diagnos, DIAGNOS_FRAME, ATTR_VISIBLE, 0);
        SetCtrlAttribute(diagnos, DIAGNOS_SHOWLIMITS, ATTR_DIMMED, 1);
        SetCtrlAttribute(diagnos, DIAGNOS_PERCENT, ATTR_DIMMED, 1);
    }
    DrawData(0);
    CallCtrlCallback(diagnos, DIAGNOS_PHASE, EVENT_VAL_CHANGED, 0, 0, nullptr);
}

void ReadCommentAndTestData()
{
    ReadComments();
    for (int i = 0; i < 7; ++i) {
        std::string v;
        GetCtrlVal(setting, kTestDataSettingControls[i], &v);
        CopyFixed(para.test_data[i], v.c_str());
    }
}

SimulationStarter g_simulation_starter = nullptr;

}  // namespace

StartOptions ParseStartOptions(int argc, char** argv)
{
    StartOptions o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i] ? argv[i] : "";
        if (a == "--simulate") o.simulate = true;
        else if (a.rfind("--simulate=", 0) == 0) {
            o.simulate = true;
            o.simulate_eut = a.substr(11);
        } else if (a == "--speed" || a.rfind("--speed=", 0) == 0) {
            std::string v = a.size() > 7 ? a.substr(8) : (i + 1 < argc && argv[i + 1] ? argv[++i] : "");
            double n = 0;
            if (Scan(v.c_str(), "%s>%f", &n) != 1 || !(n >= 1) || n > 1000)
                o.error = "--speed needs a number from 1 to 1000, not \"" + v + "\"";
            else o.speed = n;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            o.error = "unknown option " + a;
        } else o.args.push_back(a);
    }
    return o;
}

const StartOptions& CurrentStartOptions() { return g_options; }

void SetSimulationStarter(SimulationStarter starter) { g_simulation_starter = starter; }

std::string MainWindowTitle(bool simulate)
{
    std::string t = "ORIVAN V3.0";
    return simulate ? "SIMULATION - " + t : t;
}

int StartUp(const StartOptions& options)
{
    g_options = options;
    SetConfigMessageHandler([](const char* title, const char* text) { MessagePopup(title, text); });
    SetDriverMessageHandler([](const char* title, const char* text) { MessagePopup(title, text); });
    if (options.simulate) {
        std::string error;
        if (!g_simulation_starter)
            std::fprintf(stderr, "orivan: built without the simulated analyser; --simulate only marks the title\n");
        else if (!g_simulation_starter(options.simulate_eut, options.speed, &error))
            MessagePopup("Error", error.c_str());
        SetRunSpeed(options.speed > 0 ? options.speed : 1);
    }
    struct Load { int number; int* handle; };
    const Load order[] = {{5, &panExport}, {10, &panelHandle}, {18, &panelWizard}, {8, &panelLimits},
                          {16, &smallres}, {12, &prepare}, {1, &advanced}, {2, &advanced2},
                          {7, &panelIO}, {4, &panelEdit}, {17, &panelError}};
    for (const auto& l : order) {
        *l.handle = LoadPanel(0, kResource, l.number);
        if (*l.handle < 0) return -1;
    }
    CopyFixed(qel_gsx, ".qel");
    CopyFixed(intro_picture, "orivan.bmp");
    CopyFixed(program_name, "ORIVAN");
    SetPanelAttribute(panelHandle, ATTR_TITLE, MainWindowTitle(options.simulate).c_str());

    tabCtrl = EasyTab_ConvertFromCanvas(panelHandle, PANEL_CANVAS);
    if (tabCtrl < 0) return -1;
    const Load pages[] = {{6, &intro}, {15, &setting}, {9, &measure}, {14, &results}, {13, &protocol}, {3, &diagnos}};
    for (const auto& l : pages)
        if (EasyTab_LoadPanel(panelHandle, tabCtrl, kResource, l.number, l.handle) < 0) return -1;

    SetCtrlVal(intro, INTRO_NAME, program_name);
    DisplayPanel(panelHandle);
    int bitmap = 0;
    std::string picture = ProjectFile(intro_picture);
    if (GetBitmapFromFile(picture.c_str(), &bitmap) == 0) SetCtrlBitmap(intro, INTRO_PICTURE, 0, bitmap);

    LoadDefaultConfig();
    set_parameter(para);
    AdaptTypeOfAnalyser(0, setting, SETTING_ANALYSER);
    default_para();

    workmode = 3;
    SetPanelsToMode(3);

    if (options.args.size() == 1) OpenStoredMeasurement(options.args[0]);
    return 0;
}

int orivan_main(int argc, char** argv)
{
    std::string port_error;
    if (!visa::ParsePortOptions(&argc, argv, &port_error)) {
        std::fprintf(stderr, "orivan: %s\n", port_error.c_str());
        return -1;
    }
    StartOptions o = ParseStartOptions(argc, argv);
    if (!o.error.empty()) {
        std::fprintf(stderr, "orivan: %s\nusage: orivan [--simulate[=EUT] [--speed N]] [measurement file]\n",
                     o.error.c_str());
        return -1;
    }
    if (StartUp(o) < 0) return -1;
    RunUserInterface();
    return 0;
}

void ProgramClose()
{
    if (RunActive()) {
        SetCtrlVal(measure, MEASURE_MESSAGE, "The measuring setup is reset.\nWait please");
        SetCtrlAttribute(measure, MEASURE_MESSAGE, ATTR_VISIBLE, 1);
        ProcessDrawEvents();
        // Every channel stopped, the final records stored, the file closed.
        FinishRun();
    }
    QuitUserInterface(0);
}

int cbQuit(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) ProgramClose();
    return 0;
}
UI_CALLBACK(cbQuit);

int cbPanel(int, int event, void*, int, int)
{
    if (event == EVENT_CLOSE) {
        SaveDefaultConfig();
        ProgramClose();
    }
    return 0;
}
UI_PANEL_CALLBACK(cbPanel);

void ReadComments()
{
    int lines = 0;
    GetNumTextBoxLines(setting, SETTING_COMMENT, &lines);
    for (int i = 0; i < 7; ++i) {
        std::string line;
        if (i < lines) GetTextBoxLine(setting, SETTING_COMMENT, i, &line);
        CopyFixed(para.comment[i], line.c_str());
    }
}

int SaveConfiguration()
{
    workmode = 2;
    SetSettings();
    ReadCommentAndTestData();
    char path[MAX_PATHNAME_LEN];
    int r = FileSelectPopup(ProjectDir().c_str(), "*.cfg", "*.cfg", "Select Configuration file!", VAL_SAVE_BUTTON,
                            0, 1, 1, 1, path);
    if (r == VAL_NO_FILE_SELECTED) return 0;
    return SaveConfigurationTo(path) == 1 ? 1 : -1;
}

int LoadConfiguration()
{
    char path[MAX_PATHNAME_LEN];
    int r = FileSelectPopup(ProjectDir().c_str(), "*.cfg", "*.cfg", "Select Configuration file!", VAL_LOAD_BUTTON,
                            0, 1, 1, 0, path);
    if (r == VAL_NO_FILE_SELECTED) return 0;
    if (LoadConfigurationFrom(path) != 1) return -1;
    workmode = 2;
    set_parameter(para);
    return 1;
}

int cbSaveSetUp(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) SaveConfiguration();
    return 0;
}
UI_CALLBACK(cbSaveSetUp);

int cbLoadSetUp(int, int, int event, void*, int, int)
{
    if (event == EVENT_COMMIT) LoadConfiguration();
    return 0;
}
UI_CALLBACK(cbLoadSetUp);

int CliStartup(int argc, char** argv, std::FILE* out)
{
    ui::SetHeadlessMode(ui::HeadlessMode::Batch);
    std::vector<char*> args{const_cast<char*>("orivan-cli")};
    for (int i = 0; i < argc; ++i) args.push_back(argv[i]);
    StartOptions o = ParseStartOptions(int(args.size()), args.data());
    if (!o.error.empty()) {
        std::fprintf(out, "orivan-cli startup: %s\n", o.error.c_str());
        return 2;
    }
    if (StartUp(o) < 0) {
        std::fprintf(out, "start-up failed: the panel resource could not be loaded from %s\n", ui::ResourceDir().c_str());
        return 1;
    }
    std::string title;
    GetPanelAttribute(panelHandle, ATTR_TITLE, &title);
    std::fprintf(out, "%s\nwork mode %d\n", title.c_str(), workmode);
    const struct { const char* name; int page; } pages[] = {{"Introduction", intro}, {"Settings", setting},
        {"Measuring", measure}, {"Results", results}, {"Protocol", protocol}, {"Diagnosis", diagnos}};
    for (const auto& p : pages) {
        int d = 0;
        EasyTab_GetTabAttribute(panelHandle, tabCtrl, p.page, ATTR_EASY_TAB_DIMMED, &d);
        std::fprintf(out, "  %-13s %s\n", p.name, d ? "dimmed" : "usable");
    }
    ProgramClose();
    return 0;
}

void reset_startup_state()
{
    reset_panel_handles();
    g_options = StartOptions{};
}
REGISTER_STATE_RESET(reset_startup_state);
