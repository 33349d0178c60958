// Harmonic test report: PDF page 1 (settings, description, test results)
// and page 2 (values of the chosen frame, per-order evaluation).
#include <string>
#include <vector>

#include "reports/protocol_data.h"
#include "reports/report.h"
#include "state/para.h"
#include "state/para_text.h"

namespace {

void ClassLines(ReportScript& s)
{
    const int c = para.h_class;
    if (c <= 9) {
        s.TextLine("Class " + ClassWithRsce() + " was chosen");
        return;
    }
    s.TextLine(ClassWithRsce() + " were chosen");
    s.TextLine(Formatted("Recommended Rsce=%f", double(para.rsce_recommended)));
    if (c == 11 || c == 12)
        s.TextLine(AnyPhase(&HarmResult::higf, HIGF_H3) ? "Informative: Third harmonics  < 5 % of the first one : fail"
                                                        : "Informative: Third harmonics < 5 % of the first one: pass");
    if (c == 12) {
        s.TextLine(AnyPhase(&HarmResult::higf, HIGF_PHASE5) ? "Phase of the fifth harmonics 90\u00b0-150\u00b0: fail"
                                                            : "Phase of the fifth harmonics 90\u00b0-150\u00b0: pass");
        s.TextLine(AnyPhase(&HarmResult::higf, HIGF_H5H7) ? "Fifth and seventh harmonics < 5 % : fail"
                                                          : "Fifth and seventh harmonics < 5 % : pass");
    }
}

void ControlValueLines(ReportScript& s)
{
    if (para.h_standard != 2 && para.h_standard != 3) return;
    const int P = ReportPhases();
    std::string t;
    if (para.h_class == 3) {
        if (P == 1) {
            s.TextLine(Formatted("The control value of the power was : %f[w8p3] W", double(para.ctrl_power[0])));
            s.TextLine(ClassDMeasuredPower(0)
                           ? Formatted("The limits were calculated according the measured value of the power : %f[w8p3] W",
                                  double(buf_result[0].hpm))
                           : std::string("The limits were calculated according to this  value"));
        } else {
            Put(t, "The control values of the power were : %f[w8p3] W, %f[w8p3]  W and %f[w8p3]  W",
                double(para.ctrl_power[0]), double(para.ctrl_power[1]), double(para.ctrl_power[2]));
            s.TextLine(t);
            t = "The limits were calculated according the power values ";
            for (int p = 0; p < 3; ++p) {
                if (ClassDMeasuredPower(p)) Put(t, " %f[w8p3] W", double(buf_result[p].hpm));
                else Put(t, " %f[w8p3] W ", double(para.ctrl_power[p]));
            }
            s.TextLine(t);
        }
    } else if (para.h_class == 2) {
        if (P == 1) {
            Put(t, "The control values of the power factor and current were  : %f[w8p3] and %f[w8p3] A",
                double(para.ctrl_pf[0]), double(para.ctrl_current[0]));
            s.TextLine(t);
            t.clear();
            if (ClassCMeasuredValues(0))
                Put(t, "The limits was calculated according the values of the power factor and current  %f[w8p3] and %f[w8p3] A",
                    double(buf_result[0].hpfm), double(buf_result[0].hifm));
            else t = "The limits were calculated according to these  values";
            s.TextLine(t);
        } else {
            Put(t,
                "The control values of the power factor and current were: %f[w8p3] and %f[w8p3] A, %f[w8p3] and "
                "%f[w8p3] A, %f[w8p3] and %f[w8p3] A",
                double(para.ctrl_pf[0]), double(para.ctrl_current[0]), double(para.ctrl_pf[1]),
                double(para.ctrl_current[1]), double(para.ctrl_pf[2]), double(para.ctrl_current[2]));
            s.TextLine(t);
            for (int p = 0; p < 3; ++p) {
                t.clear();
                if (ClassCMeasuredValues(p))
                    Put(t,
                        " The limits for phase %i were calculated according the values of the power factor and "
                        "current  %f[w8p3] and %f[w8p3] A",
                        p + 1, double(buf_result[p].hpfm), double(buf_result[p].hifm));
                else Put(t, " The limits for phase %i were calculated according to the control  values", p + 1);
                s.TextLine(t);
            }
        }
    }
}

void TestResultsTable(ReportScript& s)
{
    const int P = ReportPhases();
    static const char* const labels[9] = {"Phase", "Voltage harmonics check", "Voltage magnitude check",
                                          "Frequency check", "Crest factor check", "Phase angle check",
                                          "Current harmonics 100% check", "Current harmonics 150/200% check",
                                          "Fluctuating harmonics check"};
    ReportScript part;
    std::vector<std::vector<std::string>> rows(9);
    for (int r = 0; r < 9; ++r) {
        part.Cell("P1" + std::to_string(r + 1), labels[r], 9);
        rows[size_t(r)].push_back(labels[r]);
    }
    const bool crestTested = para.h_class > 1;
    for (int p = 0; p < P; ++p) {
        const HarmResult& res = buf_result[p];
        std::string v[9];
        Put(v[0], "%i", p + 1);
        v[1] = OkFail4(res.hugf & HUGF_U100);
        v[2] = OkFail4(res.hugf & HUGF_AMP);
        v[3] = OkFail4(res.hugf & HUGF_FREQ);
        v[4] = crestTested ? OkFail4(res.hugf & HUGF_CREST) : "not tested";
        v[5] = crestTested ? OkFail4(res.hugf & HUGF_PHI) : "not tested";
        v[6] = OkFail4(res.higf & HIGF_AVG_OVER);
        v[7] = OkFail4(res.higf & HIGF_OVER150);
        v[8] = OkFail4(res.higf & HIGF_FLUCT);
        for (int r = 0; r < 9; ++r) {
            part.Cell("P" + std::to_string(p + 2) + std::to_string(r + 1), v[r], 9);
            rows[size_t(r)].push_back(v[r]);
        }
    }
    SmallTable t;
    t.var = "tab1";
    t.statement = P == 1 ? "tab1=Table([[P11,P21],[P12,P22],[P13,P23],[P14,P24],[P15,P25],[P16,P26],[P17,P27],"
                           "[P18,P28],[P19,P29],],colWidths=[6*cm, 6*cm])\n"
                         : "tab1=Table([[P11,P21,P31,P41],[P12,P22,P32,P42],[P13,P23,P33,P43],[P14,P24,P34,P44],"
                           "[P15,P25,P35,P45],[P16,P26,P36,P46],[P17,P27,P37,P47],[P18,P28,P38,P48],"
                           "[P19,P29,P39,P49],],colWidths=[6*cm, 1.5*cm,1.5*cm,1.5*cm])\n";
    t.height = ReportScript::ParagraphTableHeight(
        rows, 9, P == 1 ? std::vector<double>{6, 6} : std::vector<double>{6, 1.5, 1.5, 1.5}, 19.0);
    t.caption = "Table 2";
    t.captionX = P == 1 ? "14*cm" : "15.5*cm";
    t.drawX = P == 1 ? "4*cm" : "5*cm";
    DrawHeadedTable(s, "Test results", part, t);
    s.Move("y = y - .5*cm\n", 0.5);
}

}  // namespace

int createResultTableH1_pdf(ReportScript& s)
{
    s.PageHead();
    DocumentHeader(s, para.h_standard == 4 ? "c.drawCentredString(10*cm, y, \"Harmonics testing according EN61000-3-12\")\n"
                                           : "c.drawCentredString(10*cm, y, \"Harmonics testing according EN61000-3-2\")\n");
    s.TextLine(ProgramName() + " Version " + RunVersion() + " was used.");
    s.TextLine(std::string("Standard: ") + MeasuringMethodText(para.h_standard) + ".");
    s.TextLine(std::string("Limits: ") + HarmonicStandardText(para.h_standard) + ".");
    s.TextLine(std::string("The smoothing filter was switched ") + (para.smoothing == 1 ? "on" : "off") + ". Grouping " +
               GroupingText(para.h_standard) + ".");
    std::string t;
    if (para.user_stopped) t = "Measuring time was : " + HmsText(para.meas_time) + " (terminated by user).";
    else Put(t, "Measuring time was : %i[w2p0]:%i[w2p0]:%i[w2p0]", para.h_hours, para.h_minutes, para.h_seconds);
    s.TextLine(t);
    if (para.frame_window == 1) {
        t.clear();
        Put(t, "Frames from %i till %i were analysed", para.first_frame, para.last_frame);
        s.TextLine(t);
    }
    ClassLines(s);
    ControlValueLines(s);
    DescriptionTable(s, {6, 5}, "14*cm");
    TestResultsTable(s);
    if (para.h_class == 3 && (para.h_standard == 0 || para.h_standard == 1))
        s.TextLine(AnyPhase(&HarmResult::hens, HENS_ALL) ? "The class D check was fail" : "The class D check was ok");
    s.EndPage();
    return 0;
}

int createResultTableH2_pdf(ReportScript& s)
{
    const int P = ReportPhases();
    s.PageHead();

    // Table 3: values of the chosen frame.
    static const char* const labels[8] = {"Phase", "Utrms, V", "Itrms, A", "S, VA", "P, W", "Q, VAr", "PF", "f, Hz"};
    ReportScript part;
    for (int r = 0; r < 8; ++r) part.Cell("P1" + std::to_string(r + 1), labels[r], 7);
    for (int p = 0; p < P; ++p) {
        const HarmFrame& f = buf[p];
        const float values[7] = {f.utrms, f.itrms, f.s, f.p, f.q, f.pf, f.freq};
        const std::string column = "P" + std::to_string(p + 2);
        part.Cell(column + "1", std::to_string(p + 1), 7);
        for (int r = 0; r < 7; ++r) part.Cell(column + std::to_string(r + 2), Formatted("%f[w11p4]", values[r]), 7);
    }
    SmallTable t3;
    t3.var = "tab";
    t3.statement = P == 1 ? "tab=Table([[P11,P21],[P12,P22],[P13,P23],[P14,P24],[P15,P25],[P16,P26],[P17,P27],[P18,P28]],"
                            "colWidths=[6*cm, 6*cm],rowHeights=[0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm])\n"
                          : "tab=Table([[P11,P21,P31,P41],[P12,P22,P32,P42],[P13,P23,P33,P43],[P14,P24,P34,P44],"
                            "[P15,P25,P35,P45],[P16,P26,P36,P46],[P17,P27,P37,P47],[P18,P28,P38,P48]],"
                            "colWidths=[5*cm, 2.5*cm,2.5*cm,2.5*cm],"
                            "rowHeights=[0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm])\n";
    t3.height = 8 * 0.5;
    t3.caption = "Table 3";
    t3.captionX = P == 1 ? "15*cm" : "16.5*cm";
    t3.drawX = "4*cm";
    DrawHeadedTable(s, "Values measured at " + HmsText(buf[0].fltr) + " before end of measurement (informative only)",
                    part, t3);
    s.Move("y=y-.5*cm\n", 0.5);

    // Table 4: the per-order evaluation, six columns per phase.
    LargeTable t4;
    t4.columns = 1 + 6 * P;
    t4.rows = 1 + ORDERS;
    t4.headerHeight = 1.0;
    t4.rowHeight = 0.43;
    t4.listHeights = true;
    t4.headerHeightText = "1.0*cm";
    t4.rowHeightText = "0.43*cm";
    for (int p = 0; p < P; ++p) t4.colWidths += std::string(p ? "," : "") + "1.2*cm,0.8*cm,1.2*cm,0.8*cm,0.8*cm,1.2*cm";
    t4.colWidths = "0.5*cm," + t4.colWidths;
    t4.style = "tab.setStyle(TableStyle([(\"GRID\",(0,0),(-1,-1),0.1,colors.black),('LEFTPADDING', (0,0),(-1,-1), 1),"
               "('BOTTOMPADDING', (0,0),(-1,-1), -1),]))\n";
    t4.wrap = "b,h=tab.wrap(21*cm,5*cm)\n";
    t4.caption = "Table 4";
    t4.captionX = P == 1 ? "9*cm" : "19.5*cm";
    t4.drawX = P == 1 ? "4*cm" : "1*cm";
    s.Heading("Detailed evaluation results (informative only)", t4.headerHeight + 3 * t4.rowHeight);

    static const char* const heads[6] = {"Iaver, A     ", "fluct., %", "Imax, A      ", "I/lim,    %", "Frame       ",
                                         "Umax, V      "};
    auto cell = [&](int column, int row, const std::string& text) {
        std::string name;
        Put(name, "P%i_%i", column, row);
        s.Cell(name, text, 7);
    };
    cell(1, 1, "n           ");
    for (int p = 0; p < P; ++p)
        for (int k = 0; k < 6; ++k) cell(p * 6 + 2 + k, 1, heads[k]);
    for (int n = 0; n < ORDERS; ++n) {
        const int row = n + 2;
        cell(1, row, std::to_string(n));
        for (int p = 0; p < P; ++p) {
            const HarmResult& r = buf_result[p];
            const int c0 = p * 6 + 2;
            std::string v;
            Put(v, "%f[w6p3]%s", double(r.hiav[n]), OrderMark(r.hilt, n));
            cell(c0, row, v);
            const double fluct = 100.0 * double(r.hfmx[n]);
            v.clear();
            if (fluct >= 0.0001 && fluct <= 10000000.0 && para.h_standard < 3)
                Put(v, "%f[w5p1]%s", fluct, OrderMark(r.hifl, n));
            else v = "---";
            cell(c0 + 1, row, v);
            cell(c0 + 2, row, Formatted("%f[w6p3]", h_max[p][n]));
            const float ratio = max[p][n];
            if (IsNaN(ratio)) {
                cell(c0 + 3, row, "---");
                cell(c0 + 4, row, "---");
            } else {
                cell(c0 + 3, row, Formatted("%f[w5p1]", ratio));
                cell(c0 + 4, row, std::to_string(fr_max[p][n]));
            }
            v.clear();
            Put(v, "%f[w6p2]%s", double(r.humx[n]), OrderMark(r.hult, n));
            cell(c0 + 5, row, v);
        }
    }
    DrawLargeTable(s, t4);
    s.PageFoot(true);
    return 0;
}
