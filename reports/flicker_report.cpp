// Flicker test report: PDF page 1 (settings, description, test results,
// values of the chosen entry) and page 2 (one row per period or dmax event).
#include <algorithm>
#include <string>
#include <vector>

#include "reports/protocol_data.h"
#include "reports/report.h"
#include "state/para.h"

namespace {

void TestResultsTable(ReportScript& s)
{
    const int P = ReportPhases();
    const bool dmaxOnly = DmaxOnlyTest();
    std::string labels[6] = {"Phase", "Check Pst 1.0 p.u. ", "Check Plt 0.65 p. u.", "", "", ""};
    Put(labels[3], "Check dmax %f %% ", double(para.dmax_limit));
    Put(labels[4], "Check d(t) %f%% for %i ms", double(para.dt_limit), para.dt_time);
    Put(labels[5], "Check dc %f %% ", double(para.dc_limit));
    const std::vector<int> used = dmaxOnly ? std::vector<int>{0, 3} : std::vector<int>{0, 1, 2, 3, 4, 5};
    ReportScript part;
    std::vector<std::vector<std::string>> rows;
    for (int r : used) {
        part.Cell("P1" + std::to_string(r + 1), labels[r], 9);
        rows.push_back({labels[r]});
    }
    static const int32_t bits[6] = {0, FLRE_PST, FLRE_PLT, FLRE_DMAX, FLRE_DT, FLRE_DC};
    for (int p = 0; p < P; ++p) {
        size_t i = 0;
        for (int r : used) {
            std::string v;
            if (r == 0) v = std::to_string(p + 1);
            else if (r == 3 && dmaxOnly) v = OkFail(DmaxIndicator(p));
            else v = OkFail(flkbuf[p].flre & bits[r]);
            part.Cell("P" + std::to_string(p + 2) + std::to_string(r + 1), v, 9);
            rows[i++].push_back(v);
        }
    }
    SmallTable t;
    t.var = "tab1";
    if (dmaxOnly)
        t.statement = P == 1 ? "tab1=Table([[P11,P21],[P14,P24],],colWidths=[6*cm, 1.5*cm])\n"
                             : "tab1=Table([[P11,P21,P31,P41],[P14,P24,P34,P44],],colWidths=[6*cm, 1.5*cm,1.5*cm,1.5*cm])\n";
    else
        t.statement = P == 1 ? "tab1=Table([[P11,P21],[P12,P22],[P13,P23],[P14,P24],[P15,P25],[P16,P26],],"
                               "colWidths=[6*cm, 1.5*cm])\n"
                             : "tab1=Table([[P11,P21,P31,P41],[P12,P22,P32,P42],[P13,P23,P33,P43],[P14,P24,P34,P44],"
                               "[P15,P25,P35,P45],[P16,P26,P36,P46],],colWidths=[6*cm, 1.5*cm,1.5*cm,1.5*cm])\n";
    t.height = ReportScript::ParagraphTableHeight(
        rows, 9, P == 1 ? std::vector<double>{6, 1.5} : std::vector<double>{6, 1.5, 1.5, 1.5}, 19.0);
    t.caption = "Table 2";
    t.captionX = P == 1 ? "10.5*cm" : "15.5*cm";
    t.drawX = P == 1 ? "4*cm" : "5*cm";
    DrawHeadedTable(s, "Test results", part, t);
    s.Move("y = y - .5*cm\n", 0.5);
}

void ValuesTable(ReportScript& s)
{
    const int P = ReportPhases();
    static const char* const labels[12] = {"Phase", "Utrms, V", "Itrms, A", "S, VA",     "P, W",     "Q, VAr",
                                           "PF",    "f, Hz",    "Pst, p.u.", "Plt, p.u.", "dmax. % ", "dc, % "};
    ReportScript part;
    for (int r = 0; r < 12; ++r) part.Cell("P1" + std::to_string(r + 1), labels[r], 9);
    for (int p = 0; p < P; ++p) {
        const FlkFrame& f = flkbuf[p];
        const float values[11] = {f.utrms, f.itrms, f.s, f.p, f.q, f.pf, f.freq, f.flst, f.fllt, f.fldx, f.fldc};
        const std::string column = "P" + std::to_string(p + 2);
        part.Cell(column + "1", std::to_string(p + 1), 9);
        for (int r = 0; r < 11; ++r) part.Cell(column + std::to_string(r + 2), Formatted("%f[w11p4]", values[r]), 9);
    }
    SmallTable t;
    t.var = "tab";
    const char* heights = "rowHeights=[0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm])\n";
    if (P == 1)
        t.statement = std::string("tab=Table([[P11,P21],[P12,P22],[P13,P23],[P14,P24],[P15,P25],[P16,P26],[P17,P27],"
                                  "[P18,P28],[P19,P29],[P110,P210],[P111,P211],[P112,P212]],colWidths=[5*cm, 2.5*cm],") +
                      heights;
    else
        t.statement = std::string("tab=Table([[P11,P21,P31,P41],[P12,P22,P32,P42],[P13,P23,P33,P43],[P14,P24,P34,P44],"
                                  "[P15,P25,P35,P45],[P16,P26,P36,P46],[P17,P27,P37,P47],[P18,P28,P38,P48],"
                                  "[P19,P29,P39,P49],[P110,P210,P310,P410],[P111,P211,P311,P411],"
                                  "[P112,P212,P312,P412]],colWidths=[5*cm, 2.5*cm,2.5*cm,2.5*cm],") +
                      heights;
    t.height = 12 * 0.5;
    t.caption = "Table 3";
    t.captionX = P == 1 ? "10*cm" : "16.5*cm";
    t.drawX = "4*cm";
    DrawHeadedTable(s, "Values measured at " + HmsText(flkbuf[0].fltr) + " before end of measurement (informative only)",
                    part, t);
}

}  // namespace

int createResultTableF1_pdf(ReportScript& s)
{
    s.PageHead();
    DocumentHeader(s, "c.drawCentredString(10*cm, y, \"Flicker testing according " +
                          ScriptLiteral(FixedText(para.fl_standard)) + "\")\n");
    s.TextLine("Software " + ProgramName() + " Version " + RunVersion() + ".");
    s.TextLine("Standard: EN61000-4-15.");
    s.TextLine("Limits: " + FixedText(para.fl_standard) + ".");
    if (ImpedanceLines()) {
        s.TextLine(Formatted("Test impedance: %f Ohm.", double(para.z_test)));
        s.TextLine("Reference impedance: " + ReferenceImpedanceText() + ".");
    }
    std::string t;
    Put(t, "Short time: %i[w2p0]:%i[w2p0]:%i[w2p0].", para.fl_hours, para.fl_minutes, para.fl_seconds);
    s.TextLine(t);
    t.clear();
    Put(t, "Number of periods: %i.", para.fl_periods);
    s.TextLine(t);
    if (para.user_stopped) s.TextLine("Measuring time was " + HmsText(para.meas_time) + " (terminated by user).");
    DescriptionTable(s, {5, 2.5}, "10.5*cm");
    TestResultsTable(s);
    ValuesTable(s);
    s.EndPage();
    return 0;
}

int createResultTableF2_pdf(ReportScript& s)
{
    const int P = ReportPhases();
    const bool dmaxOnly = DmaxOnlyTest();
    const int k = dmaxOnly ? 1 : 4;
    s.PageHead();

    LargeTable t;
    t.columns = 1 + k * P;
    t.headerHeight = 0.5;
    t.rowHeight = 0.5;
    t.listHeights = false;
    t.rowHeightText = "0.5*cm";
    t.colWidths = "1.0*cm,";
    for (int p = 0; p < P; ++p) t.colWidths += std::string(p ? "," : "") + (dmaxOnly ? "1.5*cm" : "1.5*cm,1.5*cm,1.5*cm,1.5*cm");
    t.style = "tab.setStyle(TableStyle([(\"GRID\",(0,0),(-1,-1),0.1,colors.black)]))\n";
    t.wrap = "b,h=tab.wrap(21*cm,5*cm)\n";
    t.caption = "Table 4";
    t.captionX = P == 1 ? "13*cm" : "16.5*cm";
    t.drawX = P == 1 ? "6*cm" : "1*cm";
    s.Heading("Detailed evaluation results (informative only)", t.headerHeight + 3 * t.rowHeight);

    auto cell = [&](int column, int row, const std::string& text) {
        std::string name;
        Put(name, "P%i_%i", column, row);
        s.Cell(name, text, 7);
    };
    cell(1, 1, "n");
    for (int p = 0; p < P; ++p) {
        std::string h[4];
        if (dmaxOnly) Put(h[0], "dmax%i", p + 1);
        else {
            Put(h[0], "Pst%i", p + 1);
            Put(h[1], "Plt%i", p + 1);
            Put(h[2], "d%i(t)max", p + 1);
            Put(h[3], "d%i(t)min", p + 1);
        }
        for (int i = 0; i < k; ++i) cell(2 + p * k + i, 1, h[i]);
    }

    int row = 0;
    for (const FlickerTableRow& r : FlickerTableRows()) {
        row = r.number;
        cell(1, row + 1, std::to_string(row));
        for (int p = 0; p < P; ++p) {
            const FlkFrame& f = r.entry[p];
            const int c0 = 2 + p * k;
            if (dmaxOnly) {
                cell(c0, row + 1, Formatted("%f[w9p4]", f.fldx));
                continue;
            }
            cell(c0, row + 1, Formatted("%f[w9p4]", f.flst));
            cell(c0 + 1, row + 1, row == para.fl_periods ? Formatted("%f[w9p4]", f.fllt) : std::string());
            cell(c0 + 2, row + 1, Formatted("%f[w9p4]", r.dtMax[p]));
            cell(c0 + 3, row + 1, Formatted("%f[w9p4]", r.dtMin[p]));
        }
    }
    t.rows = 1 + row;
    DrawLargeTable(s, t);
    s.Move("y=y-.5*cm\n", 0.5);
    s.PageFoot(true);
    return 0;
}
