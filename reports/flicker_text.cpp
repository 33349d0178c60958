// Flicker text protocol: page 1 (settings, checks, values of the chosen
// entry) and page 2 (one row per observation period or dmax event).
#include <string>

#include "reports/protocol.h"
#include "reports/protocol_data.h"
#include "state/para.h"

namespace {

void Verdicts(std::string& out, const char* head, const char* cell, int32_t bit)
{
    out += head;
    for (int p = 0; p < ReportPhases(); ++p) Put(out, cell, OkFail(flkbuf[p].flre & bit));
}

}  // namespace

int createResultTableF1(std::string& out)
{
    const int P = ReportPhases();
    const Para& r = para;
    out.clear();
    ProtocolHeader(out, false);
    out += "       according to the standard: EN61000-4-15\n";
    Put(out, "       Compliance was tested against %s limits\n", FixedText(r.fl_standard));
    if (ImpedanceLines())
        Put(out, "       for the test impedance Ztest=%f Ohm and for the reference one Zref=%s Ohm\n", double(r.z_test),
            ReferenceImpedanceText());
    if (P == 1)
        Put(out, "       The measuring ranges %f V, scaling %f for voltage \n       and %f A,scaling %f for current were used.\n",
            r.u_range[0], r.u_scale[0], r.i_range[0], r.i_scale[0]);
    else
        Put(out,
            "       The measuring ranges %f, %f, %f V, scaling %f, %f, %f for voltage \n"
            "       and %f, %f, %f A,scaling %f, %f, %f for current were used.\n",
            r.u_range[0], r.u_range[1], r.u_range[2], r.u_scale[0], r.u_scale[1], r.u_scale[2], r.i_range[0],
            r.i_range[1], r.i_range[2], r.i_scale[0], r.i_scale[1], r.i_scale[2]);
    Put(out, "       Short time        : %i[w2p0]:%i[w2p0]:%i[w2p0]\n", r.fl_hours, r.fl_minutes, r.fl_seconds);
    Put(out, "       Number of periods : %i\n", r.fl_periods);
    if (r.user_stopped) Put(out, "\n     Measuring time was %s (terminated by user).\n", HmsText(r.meas_time));

    if (DmaxOnlyTest()) {
        Put(out, "\n       dmax %< %f :              \n", double(r.dmax_limit));
        for (int p = 0; p < P; ++p) Put(out, "Phase %i       ", p + 1);
        for (int p = 0; p < P; ++p) Put(out, "       %s     ", OkFail(DmaxIndicator(p)));
    } else {
        out += "\n       Flicker check:              ";
        for (int p = 0; p < P; ++p) Put(out, "Phase %i       ", p + 1);
        Verdicts(out, "\n       Pst always < 1.0     :", "       %s     ", FLRE_PST);
        Verdicts(out, r.fl_periods < 3 ? "\n       Plt < 0.65 informative:" : "\n       Plt < 0.65           :",
                 "       %s     ", FLRE_PLT);
        std::string head;
        Put(head, "\n       dmax %< %f%%            :", double(r.dmax_limit));
        Verdicts(out, head.c_str(), "       %s     ", FLRE_DMAX);
        head.clear();
        Put(head, "\n       d(t) %< %f%% for %<%ims :", double(r.dt_limit), r.dt_time);
        Verdicts(out, head.c_str(), "      %s     ", FLRE_DT);
        head.clear();
        Put(head, "\n       dc  %< %f%%             :", double(r.dc_limit));
        Verdicts(out, head.c_str(), "      %s     ", FLRE_DC);
    }

    Put(out, "\n       Values from chosen frame at %s before end of long time interval (informative):\n              ",
        HmsText(flkbuf[0].fltr));
    for (int p = 0; p < P; ++p) Put(out, "       Phase %i       ", p + 1);
    out += '\n';
    struct Row { const char* head; const char* cell; float FlkFrame::*v; };
    static const Row rows[] = {{"       Pst  =   ", "  %f[w9p4]           ", &FlkFrame::flst},
                               {"\n       Plt  =   ", "  %f[w9p4]           ", &FlkFrame::fllt},
                               {"\n       dmax =   ", "  %f[w9p4] %%         ", &FlkFrame::fldx},
                               {"\n       dc   =   ", "  %f[w9p4] %%         ", &FlkFrame::fldc},
                               {"\n       U    =   ", "  %f[w9p4] V         ", &FlkFrame::utrms},
                               {"\n       I    =   ", "  %f[w9p4] A         ", &FlkFrame::itrms},
                               {"\n       P    =   ", "  %f[w9p4] W         ", &FlkFrame::p},
                               {"\n       PF   =   ", "  %f[w9p4]           ", &FlkFrame::pf},
                               {"\n       f    =   ", "  %f[w9p4] Hz        ", &FlkFrame::freq}};
    for (const Row& row : rows) {
        out += row.head;
        for (int p = 0; p < P; ++p) Put(out, row.cell, double(flkbuf[p].*row.v));
    }
    out += '\n';
    return 0;
}

int createResultTableF2(std::string& out)
{
    const int P = ReportPhases();
    const bool dmaxOnly = DmaxOnlyTest();
    out += "\n    n";
    for (int p = 0; p < P; ++p) {
        if (dmaxOnly) Put(out, "      dmax %i                   ", p + 1);
        else Put(out, "      Pst %i       Plt %i      ", p + 1, p + 1);
    }
    out += "\n     ___________________________________________________________________________________\n";
    int row = 0;
    for (int k : FlickerRowEntries(0)) {
        ++row;
        Put(out, "\n   %i[w2]   ", row);
        for (int p = 0; p < P; ++p) {
            FlkFrame e{};
            FlickerEntry(p, k, &e);
            if (dmaxOnly) Put(out, "%f[w9p4]       ", double(e.fldx));
            else if (row == para.fl_periods) Put(out, "%f[w9p4]    %f[w9p4]       ", double(e.flst), double(e.fllt));
            else Put(out, "%f[w9p4]                    ", double(e.flst));
        }
    }
    return 0;
}
