// Stopping the analysers and completing the logging file.
#include "measure/stop.h"

#include <cstring>
#include <string>
#include <unistd.h>

#include "files/logfile.h"
#include "files/reevaluation.h"
#include "instrument/pamx.h"
#include "measure/acquisition.h"
#include "measure/commands.h"
#include "measure/impedance.h"
#include "measure/run.h"
#include "measure/run_state.h"
#include "panel_ids.h"
#include "platform/clock.h"
#include "platform/ui/ui.h"
#include "state/channels.h"
#include "state/framelist.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/records.h"
#include "state/workmode.h"

namespace {

bool g_quiet[3] = {false, false, false};

bool OwnSession(int channel) { return !(para.analyser == 1 && channel > 0); }

int Failure(int channel, const char* text)
{
    if (!g_quiet[channel]) MessagePopup("Error", text);
    g_quiet[channel] = true;
    return -1;
}

int ReadResults(int channel)
{
    const ViSession vi = id[channel];
    std::string query;
    PrepareCmdResult(query);
    if (PAMX_writeInstrData(vi, query.c_str()) < 0) {
        run.results_failed = true;
        return Failure(channel, "Unable to set command: DATA TO PAM");
    }
    static unsigned char answer[4096];
    ViInt32 n = 0;
    const ViStatus st = ReadBounded(vi, sizeof answer, answer, &n, READ_BOUND);
    PAMX_setTimeout(vi, 5000);   // the block reader leaves 10 s
    if (st < 0 || n != ResultAnswerSize()) {
        run.results_failed = true;
        return Failure(channel, "Unable to set command: READ RESULT DATA");
    }
    const int records = n / int(sizeof(HarmResult));
    for (int k = 0; k < records && channel + k < 3; ++k) {
        std::memcpy(&buf_result[channel + k], answer + size_t(k) * sizeof(HarmResult), sizeof(HarmResult));
        if (para.h_class > 3) buf_result[channel + k].eval = para.h_class;
        run.results_read[channel + k] = true;
    }
    return 0;
}

void HarmonicLampsOfStop(int p)
{
    const HarmResult& r = buf_result[p];
    struct { const int* ids; int32_t word; int32_t bit; bool shown; } t[] = {
        {FHR_IALL, r.higf, 0x01, true},   {FHR_I100, r.higf, 0x02, true},  {FHR_U100, r.hugf, 0x02, true},
        {FHR_AMP, r.hugf, 0x04, true},    {FHR_FREQ, r.hugf, 0x08, true},  {FHR_UALL, r.hugf, 0x01, true},
        {FHR_CREST, r.hugf, 0x10, true},  {FHR_PHI, r.hugf, 0x20, true},
        {FHR_THD, r.higf, 0x800, para.h_standard == 4}, {FHR_PWHD, r.higf, 0x1000, para.h_standard == 4}};
    for (const auto& l : t)
        if (l.shown) SetCtrlVal(results, l.ids[p], (l.word & l.bit) ? 1 : 0);
}

}  // namespace

void QuietStop(int channel)
{
    if (channel >= 0 && channel < 3) g_quiet[channel] = true;
}

void reset_stop_state()
{
    for (bool& q : g_quiet) q = false;
}

void stop_meas1(int channel, int)
{
    if (channel < 0 || channel > 2 || !OwnSession(channel) || !pamaopen[channel]) return;
    const ViSession vi = id[channel];
    if (PAMX_writeInstrData(vi, "CONT OFF;STOP\n") < 0) Failure(channel, "Unable to set command: CONT OFF");
    PAMX_setTimeout(vi, 5000);
    PAMX_flushInstrData(vi);
}

int stop_meas(int channel)
{
    if (channel < 0 || channel > 2 || !pamaopen[channel]) return 0;
    int status = 0;
    if (OwnSession(channel)) {
        const ViSession vi = id[channel];
        if (para.test_kind == 0) status = ReadResults(channel);
        if (PAMX_writeCmdwithOPCwaitB(vi, "FRMT ASCII;*OPC?\n") < 0) {
            Failure(channel, "Unable to set command: FORMAT ASC");
            if (status == 0) status = -1;
        }
        if (channel == 0 && ReleaseImpedance(vi) < 0) {
            Failure(channel, "Unable to set impedance to local");
            if (status == 0) status = -1;
        }
        const ViStatus st = PAMX_close(vi, 0);
        if (status == 0 && st < 0) status = st;
        run.opened[channel] = false;
        run.packed[channel] = false;
        // The other channels of a PAM-C hold copies of this session.
        for (int ch = 0; ch < 3; ++ch)
            if (id[ch] == vi) id[ch] = 0;
    }
    id[channel] = 0;
    pamaopen[channel] = 0;
    g_quiet[channel] = false;
    return status;
}

int StoreRunEnd()
{
    const int P = ActivePhases();
    if (para.test_kind == 1) {
        // The closing set is the last frame as it was read (the counter in
        // memory only marks that the next answer is still to come).
        if (flkbuf[0].count == 77000.0f) flkbuf[0].count = run.last_counter;
        if (LogAppendSet(fid, flkbuf, P, sizeof(FlkFrame), &size) < 0) return LOG_ERR_IO;
        const int rc = LogWriteHeader(fid, size, para);
        size = 0;
        return rc;
    }
    // Without every result record the stop adds nothing: the file keeps its
    // frames and its current count and loads as an interrupted run.
    for (int p = 0; p < P; ++p)
        if (!run.results_read[p]) run.results_failed = true;
    if (run.results_failed) return 0;
    const int64_t sets_end = LogFileSize(fid);
    int rc = LogWriteHeader(fid, size, para);
    size = 0;
    if (rc >= 0) rc = NewLimitsAll(fid);
    for (int p = 0; rc >= 0 && p < P; ++p) rc = LogAppendResult(fid, buf_result[p]);
    if (rc < 0) {
        // Result records written only in part are taken off again.
        if (sets_end > 0 && ::ftruncate(fid, sets_end) != 0) {}
        return rc;
    }
    for (int p = 0; p < P; ++p) HarmonicLampsOfStop(p);
    return 0;
}
