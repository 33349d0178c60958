// Parts both reports share: the document header of page 1, the description
// table and the assembly of the whole script.
#include <vector>

#include "platform/lowfile.h"
#include "reports/protocol_data.h"
#include "reports/report.h"
#include "state/para.h"

void DocumentHeader(ReportScript& s, const std::string& titleStatement)
{
    s.Raw("c.setFont(\"Helvetica\", 14)\n");
    s.Raw("c.setFillColorRGB(0, 0, 0)\n");
    s.Raw(titleStatement);
    s.Raw("c.setFont(\"Helvetica\", 9)\n");
    s.font = 9;
    s.Move("y=y-.5*cm\n", 0.5);
    s.TextLine("Measuring protocol printed at " + TodayText() + " " + NowText());
    std::string date, time;
    LogFileDateTime(&date, &time);
    s.TextLine("Measuring file:" + FixedText(para.log_file) + " is dated " + date + " " + time, "y=y-.5*cm\n");

    static const char* const labels[7] = {"Name", "Department", "Firma", "Device", "Type", "Manufacturer", "Serial N"};
    static const int order[7] = {0, 1, 2, 3, 5, 4, 6};   // Type before Manufacturer
    std::vector<std::vector<std::string>> rows(2);
    for (int i = 0; i < 7; ++i) {
        std::string name;
        Put(name, "P1%i", i + 1);
        s.Cell(name, labels[i], 9);
        rows[0].push_back(labels[i]);
    }
    for (int i = 0; i < 7; ++i) {
        std::string name, value = EutField(order[i]);
        Put(name, "P2%i", i + 1);
        s.Cell(name, value, 9);
        rows[1].push_back(value);
    }
    const double height = ReportScript::ParagraphTableHeight(rows, 9, {}, 19.0);
    s.Need(height);
    s.Raw("tabelle=Table([[P11,P12,P13,P14,P15,P16,P17],[P21,P22,P23,P24,P25,P26,P27]])\n");
    s.Raw("tabelle.setStyle(TableStyle([(\"GRID\",(0,0),(-1,-1),0.5,colors.black)]))\n");
    s.Raw("b,h=tabelle.wrap(19*cm,5*cm)\n");
    s.Move("y=y-h\n", height);
    s.Raw("tabelle.drawOn(c,x,y)\n");
    s.Move("y=y-.5*cm\n", 0.5);
    for (int i = 0; i < 7; ++i) {
        const std::string comment = CommentLine(i);
        if (!comment.empty()) s.TextLine(comment, "y=y-0.5*cm\n", "c.drawString(1*cm, y,\"");
    }
}

namespace {

// A length as the scripts write it: "6*cm", "2.5*cm".
std::string Cm(double w)
{
    std::string s;
    if (w == double(int(w))) Put(s, "%i", int(w));
    else Put(s, "%f[p1]", w);
    return s + "*cm";
}

}  // namespace

void DescriptionTable(ReportScript& s, const std::vector<double>& oneWidths, const char* oneCaptionX)
{
    const int P = ReportPhases();
    static const char* const labels[8] = {"Phase", "Measuring instrument", "Serial number", "Software version",
                                          "Voltage range", "Current range", "Voltage scale", "Current scale"};
    std::vector<std::vector<std::string>> rows(8);
    ReportScript part;
    for (int r = 0; r < 8; ++r) {
        std::string name;
        Put(name, "P1%i", r + 1);
        part.Cell(name, labels[r], 9);
        rows[size_t(r)].push_back(labels[r]);
    }
    for (int p = 0; p < P; ++p) {
        std::string v[8];
        Put(v[0], "%i", p + 1);
        v[1] = FixedText(para.model[p]);
        v[2] = FixedText(para.serial_no[p]);
        v[3] = FixedText(para.revision[p]);
        Put(v[4], "%f V", double(para.u_range[p]));
        Put(v[5], "%f A", double(para.i_range[p]));
        Put(v[6], "%f", double(para.u_scale[p]));
        Put(v[7], "%f", double(para.i_scale[p]));
        for (int r = 0; r < 8; ++r) {
            std::string name;
            Put(name, "P%i%i", p + 2, r + 1);
            part.Cell(name, v[r], 9);
            rows[size_t(r)].push_back(v[r]);
        }
    }
    SmallTable t;
    t.var = "tab";
    t.statement = P == 1 ? "tab=Table([[P11,P21],[P12,P22],[P13,P23],[P14,P24],[P15,P25],[P16,P26],[P17,P27],[P18,P28]],"
                           "colWidths=[" + Cm(oneWidths.at(0)) + ", " + Cm(oneWidths.at(1)) + "])\n"
                         : "tab=Table([[P11,P21,P31,P41],[P12,P22,P32,P42],[P13,P23,P33,P43],[P14,P24,P34,P44],"
                           "[P15,P25,P35,P45],[P16,P26,P36,P46],[P17,P27,P37,P47],[P18,P28,P38,P48]],"
                           "colWidths=[5*cm, 2.5*cm,2.5*cm,2.5*cm])\n";
    const std::vector<double> widths = P == 1 ? oneWidths : std::vector<double>{5, 2.5, 2.5, 2.5};
    t.height = ReportScript::ParagraphTableHeight(rows, 9, widths, 19.0);
    t.caption = "Table 1";
    t.captionX = P == 1 ? oneCaptionX : "16.5*cm";
    t.drawX = "4*cm";
    DrawHeadedTable(s, "Description", part, t);
    s.Move("y=y-1*cm\n", 1.0);
}

bool BuildReportScript(std::string* script)
{
    ReportScript s;
    const std::string logo = FixedText(para.logo_file);
    if (!logo.empty() && FileExists(logo.c_str(), nullptr) == 1) s.logo = logo;
    const int kind = LoadedTestKind();
    if (kind == 0) {
        createResultTableH1_pdf(s);
        createResultTableH2_pdf(s);
    } else if (kind == 1) {
        createResultTableF1_pdf(s);
        createResultTableF2_pdf(s);
    } else return false;
    *script = std::move(s.text);
    return true;
}
