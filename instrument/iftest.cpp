// Interface test.
#include "instrument/iftest.h"

#include <cstring>

#include "instrument/notify.h"
#include "instrument/pamx.h"
#include "platform/clock.h"
#include "platform/fmt.h"
#include "state/para.h"

int InterfaceTest()
{
    int count = para.analyser == 0 ? 3 : 1;
    bool gpib = para.if_gpib == 1;
    for (int i = 0; i < count; ++i) {
        ViStatus st = PreparePort(ViInt16(para.if_gpib), ViInt16(para.gpib_address[i]), ViInt16(para.com_port),
                                  para.baudrate, 0, 0, &id[i], 1);
        if (st < 0) {
            char desc[256];
            viStatusDesc(0, st, desc);
            DriverMessage(gpib ? "Initialisation error (GPIB)" : "Initialisation error (serial port)", desc);
            return -1;
        }
        PAMX_DeviceClear(id[i]);
        PAMX_setTimeout(id[i], 10000);
        PAMX_writeInstrData(id[i], i == 0 ? "*RST;:SOUR:DIG:COND4 1\n" : "*RST\n");
        Delay(5.0);
        PAMX_writeInstrData(id[i], "*IDN?\n");
        char answer[60];
        ViUInt32 n = 0;
        st = PAMX_readInstrData(id[i], 59, answer, &n);
        answer[n < 59 ? n : 59] = '\0';
        if (st == -1) {
            DriverMessage("No communication possible", "Check your cable, port number (address) or baudrate");
            PAMX_close(id[i], 1);
            id[i] = 0;
            return -1;
        }
        if (!gpib && !std::memchr(answer, '\n', n)) {
            PAMX_close(id[i], 1);
            id[i] = 0;
            DriverMessage("Interface settings are false", "EOS is not <lf>");
            return -1;
        }
        char f1[60], f2[60], f3[60], f4[7];
        if (Scan(answer, "%s>%s[xt44]%s[xt44]%s[xt44]%s[w6]", f1, f2, f3, f4) != 4) {
            DriverMessage("Interface settings are false", gpib ? "Two device with the same address" : "Set echo off");
            PAMX_close(id[i], 1);
            id[i] = 0;
            return -1;
        }
    }
    // The sessions of a successful test are closed again: an open serial
    // session holds the port (no other program can open it) and would
    // otherwise stay open until the program ends.
    for (int i = 0; i < count; ++i) {
        PAMX_close(id[i], 1);
        id[i] = 0;
    }
    DriverMessage("Welcome", "The measuring set-up is ready");
    return 0;
}
