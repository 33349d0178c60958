// Harmonic text protocol: page 1 (settings, checks, global values) and page 2
// (the per-order table of each phase, the third phase on page 3).
#include <string>

#include "reports/protocol.h"
#include "reports/protocol_data.h"
#include "state/para.h"
#include "state/para_text.h"

namespace {

bool ClassDLines() { return (para.h_standard == 2 || para.h_standard == 3) && para.h_class == 3; }
bool ClassCLines() { return (para.h_standard == 2 || para.h_standard == 3) && para.h_class == 2; }

void VerdictRow(std::string& out, const char* label, int32_t HarmResult::*word, int32_t bits)
{
    out += label;
    for (int p = 0; p < ReportPhases(); ++p) Put(out, "  %s   ", OkFail4(buf_result[p].*word & bits));
    out += '\n';
}

void Ranges(std::string& out)
{
    const Para& r = para;
    if (ReportPhases() == 1) {
        Put(out, "       The measuring ranges %f V, scaling %f for voltage \n       and %f A,scaling %f for current were used.\n",
            r.u_range[0], r.u_scale[0], r.i_range[0], r.i_scale[0]);
    } else {
        Put(out,
            "       The measuring ranges: %f, %f, %f V, scaling %f, %f, %f for voltage \n"
            "       and %f, %f, %f A,scaling %f, %f,%f for current.\n",
            r.u_range[0], r.u_range[1], r.u_range[2], r.u_scale[0], r.u_scale[1], r.u_scale[2], r.i_range[0],
            r.i_range[1], r.i_range[2], r.i_scale[0], r.i_scale[1], r.i_scale[2]);
    }
}

void ClassLines(std::string& out)
{
    const int c = para.h_class;
    if (c <= 9) {
        Put(out, "       Class %s was chosen\n", ClassWithRsce());
        return;
    }
    Put(out, "       %s were chosen\n", ClassWithRsce());
    Put(out, "       Recommended Rsce=%f\n", double(para.rsce_recommended));
    if (c == 11 || c == 12) {
        out += AnyPhase(&HarmResult::higf, HIGF_H3) ? "       Informative: Third harmonics  < 5 % of the first one : fail\n"
                                                    : "       Informative: Third harmonics < 5 % of the first one: pass\n";
    }
    if (c == 12) {
        out += AnyPhase(&HarmResult::higf, HIGF_PHASE5)
                   ? "                    Phase of the fifth harmonics 90\u00b0-150\u00b0: fail\n"
                   : "                    Phase of the fifth harmonics 90\u00b0-150\u00b0: pass\n";
        out += AnyPhase(&HarmResult::higf, HIGF_H5H7) ? "                    Fifth and seventh harmonics < 5 % : fail\n"
                                                      : "                    Fifth and seventh harmonics < 5 % : pass\n";
    }
}

void ControlValueLines(std::string& out)
{
    const int P = ReportPhases();
    if (ClassDLines()) {
        if (P == 1) {
            Put(out, "       The control value of the power was : %f[w8p3] W\n", double(para.ctrl_power[0]));
            if (ClassDMeasuredPower(0))
                Put(out, "       The limits were calculated according \n       the measured value of the power : %f[w8p3] W\n",
                    double(buf_result[0].hpm));
            else out += "       The limits were calculated according to this  value \n";
        } else {
            Put(out, "       The control values of the power were : %f[w8p3] W, %f[w8p3]  W and %f[w8p3]  W\n",
                double(para.ctrl_power[0]), double(para.ctrl_power[1]), double(para.ctrl_power[2]));
            out += "       The limits were calculated according \n       the power values :";
            for (int p = 0; p < 3; ++p)
                Put(out, ": %f[w8p3] W", double(ClassDMeasuredPower(p) ? buf_result[p].hpm : para.ctrl_power[p]));
            out += '\n';
        }
    } else if (ClassCLines()) {
        if (P == 1) {
            Put(out, "       The control values of the power factor and current were  :\n       %f[w8p3] and %f[w8p3] A\n",
                double(para.ctrl_pf[0]), double(para.ctrl_current[0]));
            if (ClassCMeasuredValues(0))
                Put(out,
                    "       The limits was calculated according the values of\n"
                    "       the power factor and current  %f[w8p3] and %f[w8p3] A\n",
                    double(buf_result[0].hpfm), double(buf_result[0].hifm));
            else out += "       The limits were calculated according to these  values \n";
        } else {
            Put(out,
                "       The control values of the power factor and current were  :\n"
                "       %f[w8p3] and %f[w8p3] A, %f[w8p3] and %f[w8p3] A, %f[w8p3] and %f[w8p3] A\n",
                double(para.ctrl_pf[0]), double(para.ctrl_current[0]), double(para.ctrl_pf[1]),
                double(para.ctrl_current[1]), double(para.ctrl_pf[2]), double(para.ctrl_current[2]));
            for (int p = 0; p < 3; ++p) {
                if (ClassCMeasuredValues(p))
                    Put(out,
                        "       The limits for phase %i were calculated according the values of\n"
                        "       the power factor and current  %f[w8p3] and %f[w8p3] A\n",
                        p + 1, double(buf_result[p].hpfm), double(buf_result[p].hifm));
                else Put(out, "       The limits for phase %i were calculated according to the control  values \n", p + 1);
            }
            out += '\n';
        }
    }
}

void GlobalValues(std::string& out)
{
    const int P = ReportPhases();
    Put(out, "\n       Global values from chosen frame at %s before end of measuring (informative):\n                 ",
        HmsText(buf[0].fltr));
    for (int p = 0; p < P; ++p) Put(out, "      Phase %i    ", p + 1);
    struct Row { const char* head; const char* cell; float HarmFrame::*v; };
    static const Row rows[] = {{"\n     U =             ", "  %f[w11p4] V    ", &HarmFrame::utrms},
                               {"\n     I =             ", "  %f[w11p4] A    ", &HarmFrame::itrms},
                               {"\n     P =             ", "  %f[w11p4] W    ", &HarmFrame::p},
                               {"\n     PF =            ", "  %f[w11p4]      ", &HarmFrame::pf},
                               {"\n     f =             ", "  %f[w11p4] Hz   ", &HarmFrame::freq}};
    for (const Row& r : rows) {
        out += r.head;
        for (int p = 0; p < P; ++p) Put(out, r.cell, double(buf[p].*r.v));
    }
}

}  // namespace

int createResultTableH1(std::string& out)
{
    out.clear();
    ProtocolHeader(out, true);
    Put(out, "\n       according to the standard: %s\n", MeasuringMethodText(para.h_standard));
    Put(out, "       Compliance was tested against %s limits\n", HarmonicStandardText(para.h_standard));
    Put(out, "       The smoothing filter was switched %s. Grouping %s\n", para.smoothing == 1 ? "on" : "off",
        GroupingText(para.h_standard));
    Ranges(out);
    ClassLines(out);
    if (para.user_stopped) Put(out, "       Measuring time was : %s (terminated by user)\n", HmsText(para.meas_time));
    else Put(out, "       Measuring time was : %i[w2p0]:%i[w2p0]:%i[w2p0]\n", para.h_hours, para.h_minutes, para.h_seconds);
    if (para.frame_window == 1)
        Put(out, "       Frames from %i till %i were analysed\n", para.first_frame, para.last_frame);
    ControlValueLines(out);

    out += "\n       Voltage check:                                   Phase 1    Phase 2     Phase 3\n";
    VerdictRow(out, "       All voltage harmonics within the limit          :", &HarmResult::hugf, HUGF_U100);
    VerdictRow(out, "       Voltage +/-2% of nominal value                  :", &HarmResult::hugf, HUGF_AMP);
    VerdictRow(out, "       Frequency within +/-0.5%                        : ", &HarmResult::hugf, HUGF_FREQ);
    if (para.h_class > 1) {
        VerdictRow(out, "       Crestfactor                                     : ", &HarmResult::hugf, HUGF_CREST);
        VerdictRow(out, "       Phi                                             : ", &HarmResult::hugf, HUGF_PHI);
    }
    out += "\n\n";
    out += "\n       Current check:\n";
    VerdictRow(out, "       All current harmonics within the limit          : ", &HarmResult::higf, HIGF_AVG_OVER);
    if (para.h_standard == 2 || para.h_standard == 3)
        VerdictRow(out, "       All current harmonics within 150/200% of limit : ", &HarmResult::higf, HIGF_OVER150);
    else VerdictRow(out, "       All fluctuating harmonics within the time limit : ", &HarmResult::higf, HIGF_FLUCT);
    GlobalValues(out);
    if (para.h_class == 3 && (para.h_standard == 0 || para.h_standard == 1))
        out += AnyPhase(&HarmResult::hens, HENS_ALL) ? "\n       The class D check was fail\n\n"
                                                     : "\n       The class D check was ok\n\n";
    else out += "\n\n";
    return 0;
}

int createResultTableH2(std::string& out)
{
    const bool withFluct = para.h_standard == 0 || para.h_standard == 1;
    for (int p = 0; p < ReportPhases(); ++p) {
        if (p == 2) out += "\n                Page 3\n\n";
        Put(out, "\n  Phase  %i\n", p + 1);
        out += withFluct ? "\n         n    Iaver     fluc%  Imax      Iall     I/Ilim,%    Umax\n"
                         : "\n         n    Iaver        Imax     Iall    I/Ilim,%  Frame      Umax\n";
        out += "       ----------------------------------------------------------\n";
        const HarmResult& r = buf_result[p];
        for (int n = 0; n < ORDERS; ++n) {
            const char* a = OrderMark(r.hilt, n);
            const char* b = OrderMark(r.hult, n);
            const char* c = OrderMark(r.hifl, n);
            const float ratio = max[p][n];
            const double iaver = r.hiav[n], imax = h_max[p][n], umax = r.humx[n];
            if (withFluct) {
                const double fluct = 100.0 * double(r.hfmx[n]);
                if (IsNaN(ratio))
                    Put(out, "       %i[w2] %f[w9p4] %f[w9p4]   %f[w9p4]%s   %s              %f[w9p4]%s\n", n, iaver, fluct,
                        imax, c, a, umax, b);
                else
                    Put(out, "       %i[w2] %f[w9p4] %f[w9p4]   %f[w9p4]%s   %s   %f[w9p4]  %f[w9p4]%s\n", n, iaver, fluct,
                        imax, c, a, double(ratio), umax, b);
            } else {
                if (IsNaN(ratio))
                    Put(out, "       %i[w2] %f[w9p4]   %f[w9p4]      %s                      %f[w9p4]%s\n", n, iaver, imax,
                        a, umax, b);
                else
                    Put(out, "       %i[w2] %f[w9p4]   %f[w9p4]      %s   %f[w9p4]  %i    %f[w9p4]%s\n", n, iaver, imax, a,
                        double(ratio), fr_max[p][n], umax, b);
            }
        }
    }
    return 0;
}
