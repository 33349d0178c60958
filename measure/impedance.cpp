// Switching the reference impedance through the analyser's digital outputs.
#include "measure/impedance.h"

#include "instrument/pamx.h"
#include "platform/clock.h"
#include "platform/ui/ui.h"

namespace {

int Step(ViSession vi, const char* command, const char* failure)
{
    if (PAMX_writeInstrData(vi, command) >= 0) return 0;
    MessagePopup("Error", failure);
    return -1;
}

}  // namespace

int SwitchImpedancePath(ViSession vi, int test_kind)
{
    if (Step(vi, ":SOUR:DIG:COND1 1\n", "Unable to set impedance to LOCAL: ") < 0) return -1;
    Delay(0.5);
    if (test_kind == 1) {
        if (Step(vi, ":SOUR:DIG:COND2 1;:SOUR:DIG:COND4 0\n", "Unable to set impedance: ") < 0) return -1;
    } else {
        if (Step(vi, ":SOUR:DIG:COND4 1;:SOUR:DIG:COND2 0\n", "Unable to set direct mode: ") < 0) return -1;
    }
    Delay(0.5);
    if (Step(vi, ":SOUR:DIG:COND1 0\n", "Unable to set impedance to REM: ") < 0) return -1;
    return 0;
}

int ReleaseImpedance(ViSession vi)
{
    // Digital output 1 off in the analyser's short command set.
    return PAMX_writeCmdwithOPCwait(vi, "DOCO1 0;*OPC?\n") >= 0 ? 0 : -1;
}
