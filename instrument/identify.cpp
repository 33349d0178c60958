// Identification and firmware check after the open.
#include <cstring>
#include <string>

#include "instrument/notify.h"
#include "instrument/pamx.h"
#include "platform/fmt.h"
#include "state/para.h"
#include "platform/fixed_text.h"

ViStatus PAMX_identify(ViSession vi, int channel)
{
    if (channel < 0 || channel > 2) return PAMX_ERROR_PARAMETER2;
    ViStatus st = PAMX_writeInstrData(vi, "*IDN?\n");
    if (st < 0) return st;
    char answer[60];
    ViUInt32 n = 0;
    st = PAMX_readInstrData(vi, 59, answer, &n);
    if (st < 0) return st;
    answer[n < 59 ? n : 59] = '\0';

    char maker[60] = "", model[20] = "", serial[9] = "", revision[7] = "";
    Scan(answer, "%s>%s[xt44]%s[xt44]%s[xt44]%s[w6]", maker, model, serial, revision);
    revision[5] = '\0';  // the version is kept with at most five characters
    CopyFixed(para.model[channel], model);
    CopyFixed(para.serial_no[channel], serial);
    CopyFixed(para.revision[channel], revision);

    if (para.analyser == 1) return 0;
    char required[32];
    Fmt(required, "%s<%f", 1.0);  // "1.000000"
    double version = 0;
    if (Scan(revision, "%s>%f", &version) != 1) version = 0;
    if (std::strcmp(required, revision) > 0 && version < 100.0) {
        std::string msg;
        Fmt(msg, "%s<Wrong PAM-A software!\nRequired Version %f[w6p3], is Version %s\nPlease contact the manufacturer",
            1.0, revision);
        DriverMessage("Error", msg.c_str());
        return -1;
    }
    return 0;
}
