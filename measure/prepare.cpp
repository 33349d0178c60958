// Opening and configuring the analysers for a harmonic or flicker test.
#include "measure/prepare.h"

#include <string>

#include "display/live_display.h"
#include "evaluation/flicker_limits.h"
#include "instrument/pamx.h"
#include "measure/commands.h"
#include "measure/impedance.h"
#include "measure/run_state.h"
#include "panel_ids.h"
#include "platform/clock.h"
#include "platform/fmt.h"
#include "platform/ui/ui.h"
#include "state/channels.h"
#include "state/framelist.h"
#include "state/panels.h"
#include "state/para.h"
#include "state/workmode.h"

namespace {

// Channel number in the SENS commands: the PAM-C's own channels, else 1.
int ChannelNumber(int channel) { return para.analyser == 1 ? channel + 1 : 1; }

void MeasurementInactive() { SetCtrlVal(measure, MEASURE_ACTIVE, 0); }

int Fail(const char* text)
{
    MessagePopup("Error", text);
    return -1;
}

// Failures from the command set on also clear the measurement indicator.
int FailInactive(const char* text)
{
    MeasurementInactive();
    return Fail(text);
}

int Write(ViSession vi, const std::string& command) { return PAMX_writeInstrData(vi, command.c_str()) >= 0 ? 0 : -1; }
int Wait(ViSession vi, const std::string& command) { return PAMX_writeCmdwithOPCwait(vi, command.c_str()) >= 0 ? 0 : -1; }

int OpenChannel(int channel)
{
    ViStatus st = 0;
    ViSession vi = 0;
    if (channel == 0) {
        st = PAMX_initSYS(ViInt16(para.if_gpib), ViInt16(para.gpib_address[0]), ViInt16(para.com_port),
                          para.baudrate, 0, 0, &vi, 0);
    } else if (para.analyser == 1) {
        vi = id[0];
        st = vi ? 0 : -1;
    } else {
        st = PAMX_init(ViInt16(para.if_gpib), ViInt16(para.gpib_address[channel]), ViInt16(para.com_port),
                       para.baudrate, 0, 0, &vi, 0);
    }
    if (st < 0 || vi == 0) {
        MeasurementInactive();
        instrument[channel] = 0;
        std::string title = "Error";
        if (channel == 0) Fmt(title, "Error %x", int(st));
        MessagePopup(title.c_str(), "ID not found!\nNo communication possible!\nPlease check interface settings!");
        return -1;
    }
    id[channel] = vi;
    run.opened[channel] = channel == 0 || para.analyser != 1;
    return 0;
}

int Ranges(ViSession vi, int channel)
{
    const int n = ChannelNumber(channel);
    std::string c;
    if (para.analyser == 1 || para.analyser == 2) {
        Fmt(c, ":SENS:CURR:DET%i %i\n", n, para.ext_sensor[n - 1]);
        if (Write(vi, c) < 0) return Fail("Unable to set external sensor");
    }
    Fmt(c, "SENS:CURR:RANG:AUTO%i 0\n", n);
    int st = Write(vi, c);
    Fmt(c, "SENS:VOLT:RANG:AUTO%i 0\n", n);
    if (st < 0 || Write(vi, c) < 0) return Fail("Unable to read measuring range: ");
    const struct { const char* format; float value; } set[4] = {
        {"SENS:CURR:RANG%i %f\n", para.i_range[channel]}, {"SENS:VOLT:RANG%i %f\n", para.u_range[channel]},
        {"SENS:CURR:SCAL%i %f\n", para.i_scale[channel]}, {"SENS:VOLT:SCAL%i %f\n", para.u_scale[channel]}};
    for (const auto& s : set) {
        Fmt(c, s.format, n, double(s.value));
        if (Write(vi, c) < 0) return Fail("Unable to set measuring range: ");
    }
    return 0;
}

// Steps of the command set sent once per analyser.
int CommandSet(ViSession vi, int channel)
{
    const bool flicker = para.test_kind == 1;
    std::string c;
    if (PAMX_changeLanguage(vi, 1) < 0) return FailInactive("Unable to set command: CHANGE TO QEL COMMAND SET");
    if (Wait(vi, "FRZ OFF;*OPC?\n") < 0) return FailInactive("Unable to set command: FRZ OFF");
    if (para.ai_on[channel]) {
        const auto& hi = para.ai_high;
        const auto& lo = para.ai_low;
        Fmt(c, "AIHI1 %f;AIHI2 %f;AIHI3 %f;AIHI4 %f;AILO1 %f;AILO2 %f;AILO3 %f;AILO4 %f;", double(hi[0][channel]),
            double(hi[1][channel]), double(hi[2][channel]), double(hi[3][channel]), double(lo[0][channel]),
            double(lo[1][channel]), double(lo[2][channel]), double(lo[3][channel]));
        if (Write(vi, c) < 0) return FailInactive("Unable to set analog inputs");
    }
    if (Wait(vi, flicker ? "MODE 2;*OPC?\n" : "MODE 1;*OPC?\n") < 0) return FailInactive("Unable to set command: MODE");
    Delay(0.5);
    Fmt(c, "FLPS %i;*OPC?\n", para.fl_periods);
    if (Wait(vi, c) < 0) return FailInactive("Unable to set command: FLPS");
    if (flicker) {
        const int period = para.fl_hours * 3600 + para.fl_minutes * 60 + para.fl_seconds;
        Fmt(c, "FTIM %i;FNRM %i;FLDL %f;*OPC?\n", period, FlickerVariant(), double(para.dmax_limit));
        if (Wait(vi, c) < 0) return FailInactive("Unable to set command: FTIM");
        if (SendsImpedance()) {
            Fmt(c, "ZREF %i;ZTST %f;*OPC?\n", para.z_ref, double(para.z_test));
            if (Wait(vi, c) < 0) return FailInactive("Unable to set command: FTIM");
        }
    } else {
        Fmt(c, "HTIM %i;*OPC?\n", para.h_hours * 3600 + para.h_minutes * 60 + para.h_seconds);
        if (Wait(vi, c) < 0) return FailInactive("Unable to set command: HTIM");
        if (para.h_standard == 2 || para.h_standard == 3) {
            // The set-points as the settings page holds them.
            if (para.h_class == 2) {
                GetCtrlVal(setting, A14_PF_SOLL[channel], &para.ctrl_pf[channel]);
                GetCtrlVal(setting, A14_I_SOLL[channel], &para.ctrl_current[channel]);
                Fmt(c, "PFSO %f;ISO %f;*OPC?\n", double(para.ctrl_pf[channel]), double(para.ctrl_current[channel]));
                if (Wait(vi, c) < 0) return FailInactive("Unable to set control values for class C");
            } else if (para.h_class == 3) {
                GetCtrlVal(setting, A14_P_SOLL[channel], &para.ctrl_power[channel]);
                Fmt(c, "PSO %f;*OPC?\n", double(para.ctrl_power[channel]));
                if (Wait(vi, c) < 0) return FailInactive("Unable to set control values for class D");
            }
        }
    }
    const int eval = EvalValue(para.h_class);
    if (flicker)
        Fmt(c, "EDIT 2;EVAL %i;SYSD %i;*OPC?\n", eval, para.sys_code);
    else if (para.h_standard == 4)
        Fmt(c, "EDIT %i;EVAL %i;SMOO %i;CECD %i;SYSD %i;RSCE %f;*OPC?\n", para.h_standard, eval, para.smoothing,
            para.h_mode, para.sys_code, double(para.rsce));
    else
        Fmt(c, "EDIT %i;EVAL %i;SMOO %i;CECD %i;SYSD %i;*OPC?\n", para.h_standard, eval, para.smoothing, para.h_mode,
            para.sys_code);
    if (Wait(vi, c) < 0) return FailInactive("Unable to set command: EDIT, EVAL, SMOO");
    // A flicker run is stored as edition 2 (the settings page keeps the
    // harmonic edition; a later flicker preparation sees 2).
    if (flicker) para.h_standard = 2;
    // From here on the analyser may answer in packed form.
    run.packed[para.analyser == 1 ? 0 : channel] = true;
    if (Wait(vi, "FRMT PACKED;*OPC?\n") < 0) return FailInactive("Unable to set command: FRMT PACKED");
    return 0;
}

}  // namespace

int FlickerVariant() { return FlickerChoiceFromStandard(para.fl_standard, para.switching); }

bool SendsImpedance() { return para.h_standard == 4 || FlickerVariant() == 3; }

int EvalValue(int h_class) { return h_class == 4 || h_class == 5 ? 2 : h_class; }

int prepare_meas(const char* file, int channel)
{
    if (channel < 0 || channel > 2) return -1;
    SetCtrlVal(measure, MEASURE_FILE, file ? file : "");
    number[channel] = 0;
    firstframe = 0;
    lastframe = 0;
    if (OpenChannel(channel) < 0) return -1;
    instrument[channel] = 1;
    const ViSession vi = id[channel];
    if (channel == 0 || para.analyser == 1) {
        // The identification fills these only from an answer it has read.
        para.model[channel][0] = para.serial_no[channel][0] = para.revision[channel][0] = '\0';
        const ViStatus st = PAMX_identify(vi, channel);
        if (st < 0) {
            MeasurementInactive();
            // A refused firmware (-1) has shown its own message; a failed
            // query or read has not.
            if (st != -1) return Fail("ID not found!\nNo communication possible!\nPlease check interface settings!");
            return -1;
        }
    }
    if (Ranges(vi, channel) < 0) return -1;
    if (channel == 0 && SwitchImpedancePath(vi, para.test_kind) < 0) return -1;
    if (para.analyser == 1 && channel < para.phases - 1) return 0;
    return CommandSet(vi, channel);
}

int prepare_meas2(int channel)
{
    if (channel < 0 || channel > 2) return -1;
    std::string query;
    PrepareCmd(query, channel);
    start_flag = 0;
    if (!(para.analyser == 1 && channel > 0)) {
        if (PAMX_writeInstrData(id[channel], query.c_str()) < 0) return FailInactive("Unable to set command: Request");
        if (PAMX_writeInstrData(id[channel], "CONT ON\n") < 0) return Fail("Unable to set command: CONT ON FAST");
    }
    pamaopen[channel] = 1;
    return 0;
}

int start_meas(int channel)
{
    if (channel < 0 || channel > 2) return -1;
    if (channel == 0) {
        para.user_stopped = 0;
        para.rsce_recommended = para.rsce;
    }
    ListDispose(listbuf[channel]);
    listbuf[channel] = nullptr;
    size = 0;
    if (para.analyser == 0 || channel == 0) {
        if (PAMX_writeInstrData(id[channel], "START\n") < 0) {
            std::string text;
            Fmt(text, "Unable to set START for MI  %i", channel);
            return FailInactive(text.c_str());
        }
    }
    pamaopen[channel] = 1;
    return 0;
}
