// The ticks of the acquisition timer: harmonic and flicker record sets.
#include "measure/acquisition.h"

#include <cstring>
#include <string>

#include "display/live_display.h"
#include "evaluation/flicker_limits.h"
#include "evaluation/harmonic_eval.h"
#include "evaluation/limits.h"
#include "files/logfile.h"
#include "instrument/pamx.h"
#include "measure/commands.h"
#include "measure/diagnostics.h"
#include "measure/run.h"
#include "measure/run_state.h"
#include "panel_ids.h"
#include "platform/clock.h"
#include "platform/fmt.h"
#include "platform/ui/ui.h"
#include "state/channels.h"
#include "state/framelist.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/records.h"
#include "state/workmode.h"

namespace {

// Room for any answer a tick may get, so that an answer of the wrong length
// is read whole (and refused) instead of being left half read.
constexpr int kScratch = 4096;
unsigned char scratch[3][kScratch];

const int kShowGraph[3] = {MEASURE_SHOWGRAPH1, MEASURE_SHOWGRAPH2, MEASURE_SHOWGRAPH3};
const int kShowData[3] = {MEASURE_SHOWDATA1, MEASURE_SHOWDATA2, MEASURE_SHOWDATA3};
const int kPwhdLamp[3] = {MEASURE_PWHD_OK1, MEASURE_PWHD_OK2, MEASURE_PWHD_OK3};
const int kThdLamp[3] = {MEASURE_THD_OK1, MEASURE_THD_OK2, MEASURE_THD_OK3};

// Channels read each tick: every channel in use, or channel 0 of a PAM-C.
bool ReadsChannel(int ch) { return para.analyser == 1 ? ch == 0 : instrument[ch] != 0; }

// Answers of the wrong length are noted and count as no answer.
void Refuse(int ch, ViInt32* bytes)
{
    if (*bytes == 0) return;
    std::string note;
    Fmt(note, "Answer of %i bytes from channel %i refused (%i expected)\n", int(*bytes), ch + 1, CyclicAnswerSize(ch));
    SpyText(note);
    SpyBytes(scratch[ch], size_t(*bytes));
    ++run.refused_answers;
    *bytes = 0;
}

// The zero-byte rule: skipped while the analyser was heard from within the
// quiet limit, a failure after it.
int NoData(int ch)
{
    ViUInt16 stb = 0;
    PAMX_poll(id[ch], &stb);
    if (Timer() - time0 <= QUIET_LIMIT) {
        ++run.skipped_ticks;
        return TICK_SKIPPED;
    }
    std::string text;
    Fmt(text, "No data read\n STB %i", int(stb));
    AbortRun(text);
    return TICK_FAILED;
}

// Answers of the wrong length are refused; a measured phase left without an
// answer takes the zero-byte rule. TICK_NONE when every answer is usable.
int CheckAnswers(ViInt32 bytes[3], int P)
{
    for (int ch = 0; ch < 3; ++ch)
        if (bytes[ch] != CyclicAnswerSize(ch)) Refuse(ch, &bytes[ch]);
    for (int ch = 0; ch < (para.analyser == 1 ? 1 : P); ++ch)
        if (bytes[ch] == 0) return NoData(ch);
    return TICK_NONE;
}

// Copies the accepted answers into the records (`record` of 460 or 488
// bytes per channel; a PAM-C answer fills all three).
void Accept(const ViInt32* bytes, unsigned char* records, size_t record)
{
    for (int ch = 0; ch < 3; ++ch)
        if (bytes[ch] > 0) std::memcpy(records + size_t(ch) * record, scratch[ch], size_t(bytes[ch]));
}

int Store(void* records, int record_size)
{
    if (LogAppendSet(fid, records, ActivePhases(), record_size, &size) < 0) {
        FileWriteFailed();
        return TICK_FAILED;
    }
    SetCtrlVal(measure, MEASURE_ACTIVE2, 1);
    return TICK_STORED;
}

int32_t Wrap(double frame) { return int32_t(frame) >= 65536 ? 0 : int32_t(frame); }

void LostCycleReaction()
{
    Beep();
    for (int ch = 0; ch < 3; ++ch) {
        SetCtrlVal(measure, kShowGraph[ch], 0);
        SetCtrlVal(measure, kShowData[ch], 0);
    }
    ShowPanelA(0, 0);
    ShowPanelB(0, 0);
    ShowPanelC(0, 0);
}

void NoteLost(int n)
{
    Beep();
    run.lost_cycles += n;
    if (lost_cycle_stream) {
        std::fputs("verloren\n", lost_cycle_stream);
        std::fflush(lost_cycle_stream);
    }
}

// The analyser has ended the test: the run is finished (the wait cursor
// stays for the caller, which loads the file).
int EndOfTest()
{
    SetWaitCursor(1);
    ResetSetup();
    SetCtrlVal(measure, MEASURE_MESSAGE, "");
    return TICK_ENDED;
}

// Flicker period counting of one tick (the test is running).
void CountPeriods(int state)
{
    const FlkFrame& f = flkbuf[0];
    const int L = FlickerPeriodSeconds();
    bool complete = false;
    if (para.switching) {
        SetCtrlAttribute(measure, MEASURE_WAITING, ATTR_VISIBLE, 0);
        if (f.fstr == L - 1 && !run.switch_countdown) {
            SetCtrlAttribute(measure, MEASURE_SWITCH_COUNT, ATTR_MAX_VALUE, para.switch_interval);
            SetCtrlAttribute(measure, MEASURE_SWITCH_COUNT, ATTR_VISIBLE, 1);
            run.switch_countdown = true;
        }
        const int elapsed = L - f.fstr;
        if (run.switch_countdown) SetCtrlVal(measure, MEASURE_SWITCH_COUNT, para.switch_interval - elapsed);
        if (elapsed == para.switch_interval) {
            SetCtrlAttribute(measure, MEASURE_SWITCH_COUNT, ATTR_VISIBLE, 0);
            run.switch_countdown = false;
        }
        if (f.fstr <= 20) {
            SetCtrlVal(measure, MEASURE_PERIOD_COUNT, f.fstr);
            SetCtrlAttribute(measure, MEASURE_PERIOD_COUNT, ATTR_VISIBLE, f.fstr <= 1 ? 0 : 1);
        }
        if (f.fstr == L - 1) run.period_latch = false;
        if (f.fstr <= 2 && !run.period_latch) {
            complete = true;
            run.period_latch = true;
        }
    } else if ((f.fstr == L - 1 && f.fltr != L * para.fl_periods - 1 && float(f.fltr) != t_delay) || state == 3) {
        complete = true;
        t_delay = float(f.fltr);
    }
    if (!complete) return;
    for (int ch = 0; ch < 3; ++ch) ++number[ch];
    for (int ch = 0; ch < ActivePhases(); ++ch) {
        int on = 0;
        GetCtrlVal(measure, kShowGraph[ch], &on);
        if (instrument[ch] && on) DrawData(ch);
    }
    for (int ch = 0; ch < ActivePhases(); ++ch) overflag[ch] = 0;
}

}  // namespace

ViStatus ReadBounded(ViSession vi, ViInt32 maximum, unsigned char* dest, ViInt32* count, double bound)
{
    const double t = Timer();
    for (;;) {
        ViStatus st = PAMX_CreadInstrDataBinary(vi, maximum, dest, count);
        if (st != PAMX_NO_ANSWER || Timer() - t >= bound) return st;
        Delay(0.001);
    }
}

void HarmonicFrameCheck(float counter)
{
    if (firstframe != 0) {
        lastframe = Wrap(lastframe + 1);
    } else {
        firstframe = lastframe = counter;
    }
    const double c = counter;
    if (c != lastframe && c != lastframe + 1 && c != lastframe + 2) return;
    if (c == lastframe + 1) {
        LostCycleReaction();
        ++run.lost_cycles;
        lastframe = Wrap(lastframe + 1);
    }
    if (c == lastframe + 2) {
        LostCycleReaction();
        run.lost_cycles += 2;
        lastframe = Wrap(lastframe + 2);
    }
}

void FlickerFrameCheck(float counter, int bytes)
{
    if (firstframe != 0) {
        lastframe = Wrap(lastframe + 1);
    } else {
        firstframe = lastframe = counter;
    }
    const double c = counter;
    if (c == lastframe - 1) {
        Beep();
        lastframe -= 1;
        return;
    }
    if (c != lastframe && c != lastframe + 1 && c != lastframe + 2) {
        std::string line;
        Fmt(line, "Frame=%f;Byres read=%i,counter=%f\n", lastframe, bytes, double(counter));
        SpyText(line);
        return;
    }
    if (c == lastframe + 1) {
        NoteLost(1);
        lastframe = Wrap(lastframe + 1);
    }
    if (c == lastframe + 2) {
        NoteLost(2);
        lastframe = Wrap(lastframe + 2);
    }
}

int HarmonicTick()
{
    ViInt32 bytes[3] = {0, 0, 0};
    const int P = ActivePhases();
    if (para.analyser == 1) {
        ViStatus st = PAMX_CreadInstrDataBinary(id[0], kScratch, scratch[0], &bytes[0]);
        if (st == PAMX_NO_ANSWER && Timer() - time0 < QUIET_LIMIT) return TICK_NONE;
        if (st < 0) {
            std::string text;
            Fmt(text, "No return data\nError %d", int(st));
            AbortRun(text);
            return TICK_FAILED;
        }
    } else {
        for (int ch = 0; ch < 3; ++ch) {
            if (!ReadsChannel(ch)) continue;
            ViStatus st = ReadBounded(id[ch], kScratch, scratch[ch], &bytes[ch], READ_BOUND);
            if (st < 0) {
                std::string text;
                Fmt(text, "No return data from instrument %i\nError %d", ch + 1, int(st));
                AbortRun(text);
                return TICK_FAILED;
            }
        }
    }
    if (const int r = CheckAnswers(bytes, P); r != TICK_NONE) return r;
    Accept(bytes, reinterpret_cast<unsigned char*>(buf), sizeof(HarmFrame));

    time0 = Timer();
    display_time(0, buf[0].fltr);
    const float counter = buf[0].count;
    const int32_t remaining = buf[0].fltr;
    if (remaining > 0 && !start_flag) {
        // The test's first frame: the frame check starts here, so the cycle
        // dropped by the start is not taken for a lost one.
        start_flag = 1;
        firstframe = 0;
    }

    for (int ch = 0; ch < P; ++ch) {
        HarmFrame& r = buf[ch];
        const bool set_points = para.h_standard > 1;
        const float Pw = set_points ? para.ctrl_power[ch] : r.p;
        const float pf = set_points ? para.ctrl_pf[ch] : r.pf;
        const float I = set_points ? para.ctrl_current[ch] : r.itrms;
        float L[ORDERS];
        Limits(L, Pw, pf, I, r.hima, para.rsce, ch, &para.rsce_recommended, 1);
        std::memcpy(r.limit, L, sizeof L);
        CalculateActualResults(r, buf_result[ch]);
        run.pwhd_fail[ch] = run.thd_fail[ch] = 0;
        if (para.h_standard > 3) {
            CalculatePWHD(r, &r.hpoc);
            ComparePWHD(para.h_class, r.hpoc, para.rsce, &run.pwhd_fail[ch]);
            CompareTHD(para.h_class, r.hihd, para.rsce, &run.thd_fail[ch]);
        }
    }
    for (int ch = 0; ch < P; ++ch) {
        int on = 0;
        GetCtrlVal(measure, kShowGraph[ch], &on);
        if (instrument[ch] && on) DrawData(ch);
    }
    for (int ch = 0; ch < P; ++ch) {
        int on = 0;
        GetCtrlVal(measure, kShowData[ch], &on);
        if (!instrument[ch] || !on) continue;
        ShowData(ch);
        for (int lamp : {kPwhdLamp[ch], kThdLamp[ch]}) SetCtrlAttribute(measure, lamp, ATTR_ON_COLOR, VAL_RED);
        SetCtrlVal(measure, kPwhdLamp[ch], run.pwhd_fail[ch]);
        SetCtrlVal(measure, kThdLamp[ch], run.thd_fail[ch]);
    }
    HarmonicFrameCheck(counter);
    if (para.custom_limits == 1) ApplyUserLimits(buf, 3);
    if (Store(buf, sizeof(HarmFrame)) == TICK_FAILED) return TICK_FAILED;
    buf[0].count = 77000.0f;
    if (remaining <= 0 && start_flag) return EndOfTest();
    return TICK_STORED;
}

namespace {

// A failed flicker read: what the analyser still says goes to signal.txt.
int FlickerReadFailure(int ch, ViStatus st)
{
    const ViSession vi = id[ch];
    ViUInt16 stb = 0;
    PAMX_poll(vi, &stb);
    std::string text;
    Fmt(text, "No return data\nError %d STB=%i", int(st), int(stb));
    ViUInt32 tmo = 0;
    viGetAttribute(vi, VI_ATTR_TMO_VALUE, &tmo);
    viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_FALSE);
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, 1000);
    static unsigned char rest[2000];
    ViUInt32 n = 0;
    viRead(vi, rest, sizeof rest, &n);
    if (n == 0) {
        text += "No data";
    } else {
        text += "   Only STB is false";
        WriteSignal(para.log_file, rest, n);
    }
    viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
    if (tmo) viSetAttribute(vi, VI_ATTR_TMO_VALUE, tmo);
    AbortRun(text);
    return TICK_FAILED;
}

}  // namespace

int FlickerTick()
{
    ViInt32 bytes[3] = {0, 0, 0};
    const int P = ActivePhases();
    for (int ch = 0; ch < 3; ++ch) {
        if (!ReadsChannel(ch)) continue;
        ViStatus st = ReadBounded(id[ch], kScratch, scratch[ch], &bytes[ch], READ_BOUND);
        if (st < 0) return FlickerReadFailure(ch, st);
    }
    if (const int r = CheckAnswers(bytes, P); r != TICK_NONE) return r;
    Accept(bytes, reinterpret_cast<unsigned char*>(flkbuf), sizeof(FlkFrame));

    const int state = flkbuf[0].fsta;
    if (state == 0 || state == 1) running = 0;
    if (state == 1 && para.switching) SetCtrlAttribute(measure, MEASURE_WAITING, ATTR_VISIBLE, 1);
    int result = TICK_NONE;
    if (running == 1) {
        display_time(flkbuf[0].fstr, flkbuf[0].fltr);
        for (int ch = 0; ch < P; ++ch) {
            int on = 0;
            GetCtrlVal(measure, kShowData[ch], &on);
            if (instrument[ch] && on) ShowData(ch);
        }
        for (int ch = 0; ch < P; ++ch)
            if (flkbuf[ch].ovru > OVER_RANGE) overflag[ch] = 1;
        if ((result = Store(flkbuf, sizeof(FlkFrame))) == TICK_FAILED) return TICK_FAILED;
    }
    if (state == 2) running = 1;

    int finished = 0;
    if (para.analyser == 1) finished = state == 3 ? P : 0;
    else
        for (int ch = 0; ch < P; ++ch) finished += instrument[ch] && flkbuf[ch].fsta == 3;
    if (finished == P) {
        running = 0;
        return EndOfTest();
    }
    if (running != 1) {
        run.switch_countdown = false;
        run.period_latch = true;
        return result;
    }
    FlickerFrameCheck(flkbuf[0].count, bytes[0]);
    time0 = Timer();
    CountPeriods(state);
    if (Store(flkbuf, sizeof(FlkFrame)) == TICK_FAILED) return TICK_FAILED;
    run.last_counter = flkbuf[0].count;
    flkbuf[0].count = 77000.0f;
    if (state == 3) running = 0;
    return TICK_STORED;
}

int AcquisitionTick()
{
    bool open = false;
    for (int ch = 0; ch < 3; ++ch) open = open || pamaopen[ch];
    if (!RunActive() || !open) {
        SetCtrlVal(measure, MEASURE_ACTIVE, 0);
        SetCtrlVal(measure, MEASURE_ACTIVE2, 0);
        return TICK_NONE;
    }
    return para.test_kind == 1 ? FlickerTick() : HarmonicTick();
}
