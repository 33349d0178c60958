// Starting, stopping and finishing a measurement run.
#include "measure/run.h"

#include <cstdio>
#include <cstring>

#include "display/live_display.h"
#include "evaluation/harmonic_eval.h"
#include "evaluation/limits.h"
#include "files/logfile.h"
#include "instrument/pamx.h"
#include "measure/diagnostics.h"
#include "measure/prepare.h"
#include "measure/run_state.h"
#include "measure/stop.h"
#include "panel_ids.h"
#include "platform/clock.h"
#include "platform/fmt.h"
#include "platform/state_reset.h"
#include "platform/ui/ui.h"
#include "state/channels.h"
#include "state/framelist.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/records.h"
#include "state/workmode.h"

int32_t running = 0;
int32_t start_flag = 0;
double time0 = 0;
float t_delay = 0;
RunState run;

int ActivePhases() { return para.phases < 1 ? 1 : para.phases > 3 ? 3 : para.phases; }
std::FILE* lost_cycle_stream = stdout;

namespace {

const int kTimers[2] = {MEASURE_TIMER, MEASURE_TIMER1};
RunProgress g_last_progress;
double g_interval[2] = {0, 0};   // the resource's intervals while a run has the timers

void Message(const char* text)
{
    SetCtrlVal(measure, MEASURE_MESSAGE, text);
    SetCtrlAttribute(measure, MEASURE_MESSAGE, ATTR_VISIBLE, 1);
    ProcessDrawEvents();
}

void HideMessage() { SetCtrlAttribute(measure, MEASURE_MESSAGE, ATTR_VISIBLE, 0); }

void Timers(bool on)
{
    for (int k = 0; k < 2; ++k) {
        if (on) {
            GetCtrlAttribute(measure, kTimers[k], ATTR_INTERVAL, &g_interval[k]);
            const double speed = run.speed > 0 ? run.speed : 1;
            SetCtrlAttribute(measure, kTimers[k], ATTR_INTERVAL, g_interval[k] / speed);
        } else if (g_interval[k] > 0) {
            SetCtrlAttribute(measure, kTimers[k], ATTR_INTERVAL, g_interval[k]);
            g_interval[k] = 0;
        }
        SetCtrlAttribute(measure, kTimers[k], ATTR_ENABLED, on ? 1 : 0);
    }
}

void Indicators(int on)
{
    SetCtrlVal(measure, MEASURE_ACTIVE, on);
    SetCtrlVal(measure, MEASURE_ACTIVE2, 0);
    SetCtrlVal(measure, MEASURE_START, on);
}

// A start that failed after the file was created: nothing was measured.
void DropFile()
{
    if (!run.file_open) return;
    LogClose(fid);
    fid = -1;
    run.file_open = false;
    std::remove(para.log_file);
}

// Channels whose measurement was switched on are stopped first.
void Unwind()
{
    for (int ch = 0; ch < 3; ++ch) {
        if (!pamaopen[ch]) continue;
        QuietStop(ch);
        stop_meas1(ch, 0);
    }
    for (int ch = 0; ch < 3; ++ch) pamaopen[ch] = 0;
    CloseStartedSessions(2);
    DropFile();
    CloseDiagnosticFiles();
    HideMessage();
    Indicators(0);
}

void ResetForStart()
{
    std::memset(buf, 0, sizeof buf);
    std::memset(flkbuf, 0, sizeof flkbuf);
    std::memset(buf_result, 0, sizeof buf_result);
    running = 0;
    start_flag = 0;
    t_delay = 0;
    time0 = Timer();
    const double speed = run.speed;
    run = RunState{};
    run.speed = speed;
    for (int ch = 0; ch < 3; ++ch) number[ch] = overflag[ch] = 0;
    reset_limits_state();
    ResetFluctHistory();
    reset_stop_state();
}

}  // namespace

void SetRunSpeed(double speed) { run.speed = speed > 0 ? speed : 1; }

bool RunActive() { return run.active; }

void CloseStartedSessions(int last)
{
    for (int ch = 0; ch <= last && ch < 3; ++ch) {
        if (run.opened[ch] && id[ch]) {
            const ViSession vi = id[ch];
            // An analyser left in the packed format would not confirm the next opening.
            if (run.packed[ch]) PAMX_writeCmdwithOPCwaitB(vi, "FRMT ASCII;*OPC?\n");
            PAMX_close(vi, 0);
            for (int k = 0; k < 3; ++k)
                if (id[k] == vi) id[k] = 0;
        }
        run.opened[ch] = false;
        run.packed[ch] = false;
        pamaopen[ch] = 0;
    }
}

int StartRun(const char* path)
{
    if (run.active) return -1;
    if (!path || std::strlen(path) >= sizeof para.log_file) {
        std::string text;
        Fmt(text, "The path of the logging file is too long (at most %i characters):\n%s",
            int(sizeof para.log_file - 1), path ? path : "");
        MessagePopup("Error", text.c_str());
        return -1;
    }
    SetCtrlVal(measure, MEASURE_FILE, path);
    CopyFixed(para.log_file, path);
    if (para.analyser == 2 && para.phases != 1) {
        MessagePopup("Error", "The PAM-B measures one phase.\nPlease set the number of phases to 1.");
        return -1;
    }
    Message("The measuring setup is being prepared.\nWait please");
    for (int ch = 0; ch < 3; ++ch) {
        if (para.i_range[ch] == 0) para.i_range[ch] = 0.6f;
        if (para.u_range[ch] == 0) para.u_range[ch] = 250.0f;
        if (para.i_scale[ch] == 0) para.i_scale[ch] = 1.0f;
        if (para.u_scale[ch] == 0) para.u_scale[ch] = 1.0f;
    }
    para.meas_time = para.test_kind == 1
                         ? (para.fl_hours * 3600 + para.fl_minutes * 60 + para.fl_seconds) * para.fl_periods
                         : para.h_hours * 3600 + para.h_minutes * 60 + para.h_seconds;
    ResetForStart();
    ClearGraph();
    ShowPanelA(1, 1);
    ShowPanelB(1, 1);
    ShowPanelC(1, 1);
    SetCtrlVal(measure, MEASURE_START, 1);

    const int channels = para.phases < 0 ? 0 : para.phases > 3 ? 3 : para.phases;
    for (int ch = 0; ch < channels; ++ch) {
        if (prepare_meas(para.log_file, ch) < 0) {
            Unwind();
            return -1;
        }
    }
    para.frame_window = 0;
    if (LogCreate(para.log_file, para, &fid) < 0) {
        std::string text;
        Fmt(text, "Unable to create the logging file:\n%s", LogErrorText());
        MessagePopup("Error", text.c_str());
        Unwind();
        return -1;
    }
    run.file_open = true;
    size = 0;
    HideMessage();

    const int in_use = int(instrument[0] != 0) + int(instrument[1] != 0) + int(instrument[2] != 0);
    const bool complete = (para.phases == 3 && in_use == 3) || (para.phases == 1 && instrument[0]);
    if (!complete) {
        MessagePopup("Error", "Lost connection");
        Unwind();
        return -1;
    }
    OpenDiagnosticFiles(para.log_file);
    MessagePopup("Ready to start", "Measuring setup is ready. You can start");
    SetCtrlVal(measure, MEASURE_START, 1);
    SetCtrlVal(measure, MEASURE_ACTIVE, 1);
    for (int ch = 0; ch < 3; ++ch) {
        if (instrument[ch] && prepare_meas2(ch) < 0) {
            Unwind();
            return -1;
        }
    }
    for (int ch = 0; ch < 3; ++ch) {
        if (instrument[ch] && start_meas(ch) < 0) {
            Unwind();
            return -1;
        }
    }
    time0 = Timer();
    run.active = true;
    Timers(true);
    return 0;
}

void AbortRun(const std::string& text)
{
    MessagePopup("Error", text.c_str());
    // The failing analyser is not asked for anything more than it takes.
    for (int ch = 0; ch < 3; ++ch) QuietStop(ch);
    ResetSetup();
}

void FileWriteFailed()
{
    run.write_failed = true;
    std::string text;
    Fmt(text, "%s\n%s\nThe measurement is stopped; the frames stored so far are kept.", LogErrorText(),
        para.log_file);
    AbortRun(text);
}

int UserStop()
{
    if (!run.active) return -1;
    para.user_stopped = 1;
    int32_t remaining = para.test_kind == 1 ? flkbuf[0].fltr : buf[0].fltr;
    if (remaining < 0) remaining = 0;
    para.meas_time = para.meas_time > remaining ? para.meas_time - remaining : 0;
    Delay(0.5);
    ResetSetup();
    return 0;
}

void ResetSetup()
{
    Message("The measuring setup is reset.\nWait please");
    FinishRun();
    HideMessage();
}

void FinishRun()
{
    if (!run.active) return;
    g_last_progress = CurrentProgress();
    g_last_progress.active = false;
    run.active = false;
    Timers(false);
    for (int ch = 0; ch < 3; ++ch)
        if (instrument[ch]) stop_meas1(ch, 0);
    for (int ch = 0; ch < 3; ++ch)
        if (instrument[ch]) stop_meas(ch);
    CloseStartedSessions(2);
    if (run.file_open) {
        // After a failed write the file keeps what it holds (its count is current).
        const int rc = run.write_failed ? 0 : StoreRunEnd();
        const int closed = LogClose(fid);
        fid = -1;
        run.file_open = false;
        if (!run.write_failed && (rc < 0 || closed < 0)) {
            std::string text;
            Fmt(text, "%s\n%s", LogErrorText(), para.log_file);
            MessagePopup("Error", text.c_str());
        }
    }
    CloseDiagnosticFiles();
    Indicators(0);
}

RunProgress LastRunProgress() { return g_last_progress; }

RunProgress CurrentProgress()
{
    RunProgress p;
    p.active = run.active;
    p.started = para.test_kind == 1 ? flkbuf[0].fsta >= 2 || size > 0 : start_flag != 0;
    p.test_kind = para.test_kind;
    p.remaining = para.test_kind == 1 ? flkbuf[0].fltr : buf[0].fltr;
    p.period_remaining = para.test_kind == 1 ? flkbuf[0].fstr : 0;
    p.state = para.test_kind == 1 ? flkbuf[0].fsta : 0;
    p.stored = size;
    p.lost_cycles = run.lost_cycles;
    p.skipped_ticks = run.skipped_ticks;
    return p;
}

void reset_run_state()
{
    running = 0;
    start_flag = 0;
    time0 = 0;
    t_delay = 0;
    run = RunState{};
    lost_cycle_stream = stdout;
    g_interval[0] = g_interval[1] = 0;
    g_last_progress = RunProgress{};
    reset_stop_state();
    CloseDiagnosticFiles();
}
REGISTER_STATE_RESET(reset_run_state);
