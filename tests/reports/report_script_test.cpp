// The report script: names beside the logging file, literals, the page head
// and foot blocks, the document header, the table statements of both
// reports, and continuation pages when content does not fit.
#include "tests/reports/report_fixture.h"

#include <algorithm>
#include <clocale>

#include "panel_ids.h"
#include "reports/protocol.h"
#include "reports/report.h"

using namespace rt;

namespace {

struct ReportScriptTest : ReportTest {
    std::string path;
    std::vector<std::string> Script()
    {
        std::string s;
        EXPECT_TRUE(BuildReportScript(&s));
        return Lines(s);
    }
    std::vector<std::string> Harmonic(Para p, int frames = 4)
    {
        WriteHarmonic(path, p, frames);
        Load(path);
        return Script();
    }
    std::vector<std::string> Flicker(Para p)
    {
        WriteFlicker(path, p, FlickerEntries(p));
        Load(path);
        return Script();
    }
    Para Setup(int kind, int phases)
    {
        path = Path("run.qel");
        return RunPara(kind, phases, path);
    }
    static bool Has(const std::vector<std::string>& l, const std::string& line)
    {
        return std::find(l.begin(), l.end(), line) != l.end();
    }
    static size_t Count(const std::vector<std::string>& l, const std::string& line)
    {
        return size_t(std::count(l.begin(), l.end(), line));
    }
    static size_t Index(const std::vector<std::string>& l, const std::string& line, size_t from = 0)
    {
        return size_t(std::find(l.begin() + long(from), l.end(), line) - l.begin());
    }
};

const std::vector<std::string> kHead = {
    "c.setTitle(\"Test report\")", "c.setAuthor(\"ORIVAN\")", "c.setSubject(\"pdf report\")", "y=29.7*cm-1*cm", "x=1*cm",
    "h=.9*cm", "b=3*1.3875*cm", "y=y-h", "c.line(1*cm,y,20*cm,y)", "y = y - .5*cm"};

std::vector<std::string> Foot(int page)
{
    return {"y=y-1*cm",
            "y=2*cm",
            "c.line(1*cm,y,20*cm,y)",
            "c.setFont(\"Helvetica\", 6)",
            "c.setFillColorRGB(0, 0, 0)",
            "y=y-0.3*cm",
            "c.drawRightString(20*cm,y,\"Page " + std::to_string(page) + "\")",
            "c.drawString(1*cm, y, \"Test equipment: QEL KORVEL Darezorovi Systems GmbH, Am Messfeld 7, 01187 Dresden, Germany\")",
            "rechteck1 = (12*cm, y, 15*cm, y+1*cm)",
            "c.linkURL(\"https://www.qel-korvel.example/\", rechteck1)",
            "c.drawString(12*cm, y, \"www.qel-korvel.example\")"};
}

std::string Cell(const std::string& name, const std::string& text, int size)
{
    return name + "=Paragraph(\"\"\"<font face=Helvetica size=" + std::to_string(size) + ">" + text +
           "</font>\"\"\",getSampleStyleSheet()[\"BodyText\"])";
}

}  // namespace

TEST(ReportNames, OnlyATrailingQelIsReplaced)
{
    EXPECT_EQ(ReportScriptName("/lab/run.qel"), "/lab/run.txt");
    EXPECT_EQ(ReportPdfName("/lab/RUN.QEL"), "/lab/RUN.pdf");
    EXPECT_EQ(ReportScriptName("/lab/x.qel.d/run"), "/lab/x.qel.d/run.txt");
    EXPECT_EQ(ReportPdfName("/lab/x.qel.d/run.qel"), "/lab/x.qel.d/run.pdf");
    EXPECT_EQ(ReportScriptName("/lab/converted.dat"), "/lab/converted.dat.txt");
    EXPECT_EQ(ReportScriptName("/lab/old.txt"), "/lab/old.txt.txt");   // never the logging file itself
}

TEST(ScriptLiterals, EscapesOnlyWhatEndsALiteral)
{
    EXPECT_EQ(ScriptLiteral("Plain text 1.5 A, (x) [y] {z} 50%"), "Plain text 1.5 A, (x) [y] {z} 50%");
    EXPECT_EQ(ScriptLiteral("say \"hi\" C:\\dir"), "say \\\"hi\\\" C:\\\\dir");
    EXPECT_EQ(ScriptLiteral("a\nb\tc\x01"), "a\\nb\\tc\\x01");
    EXPECT_EQ(ScriptLiteral("M\xc3\xbcller 90\xc2\xb0"), "M\xc3\xbcller 90\xc2\xb0");   // UTF-8 kept
    EXPECT_EQ(ScriptLiteral("M\xfcller"), "M\xc3\xbcller");                           // Latin-1 made UTF-8
    EXPECT_EQ(CellLiteral("<b>R&D</b> \"x\""), "&lt;b&gt;R&amp;D&lt;/b&gt; \\\"x\\\"");
}

TEST_F(ReportScriptTest, HarmonicOnePhasePageOneAsSpecified)
{
    path = ShortPath("run.qel");   // printed in full: the build tree's path could make the line wrap
    const std::vector<std::string> l = Harmonic(RunPara(0, 1, path));
    std::vector<std::string> want = kHead;
    const std::vector<std::string> header = {
        "c.setFont(\"Helvetica\", 14)",
        "c.setFillColorRGB(0, 0, 0)",
        "c.drawCentredString(10*cm, y, \"Harmonics testing according EN61000-3-2\")",
        "c.setFont(\"Helvetica\", 9)",
        "y=y-.5*cm",
        "c.drawString(1*cm, y, \"Measuring protocol printed at 01. January 2026 00:00:00\")",
        "y=y-0.5*cm",
        "c.drawString(1*cm, y, \"Measuring file:" + path + " is dated 07. March 2026 14:05:09\")",
        "y=y-.5*cm",
        Cell("P11", "Name", 9), Cell("P12", "Department", 9), Cell("P13", "Firma", 9), Cell("P14", "Device", 9),
        Cell("P15", "Type", 9), Cell("P16", "Manufacturer", 9), Cell("P17", "Serial N", 9),
        Cell("P21", "PSU 230", 9), Cell("P22", "EMC lab", 9), Cell("P23", "Korvel Test", 9),
        Cell("P24", "Power supply", 9), Cell("P25", "PS-100", 9), Cell("P26", "Acme Power", 9), Cell("P27", "SN 4711", 9),
        "tabelle=Table([[P11,P12,P13,P14,P15,P16,P17],[P21,P22,P23,P24,P25,P26,P27]])",
        "tabelle.setStyle(TableStyle([(\"GRID\",(0,0),(-1,-1),0.5,colors.black)]))",
        "b,h=tabelle.wrap(19*cm,5*cm)",
        "y=y-h",
        "tabelle.drawOn(c,x,y)",
        "y=y-.5*cm",
        "c.drawString(1*cm, y,\"Input 230 V / 50 Hz\")", "y=y-0.5*cm",
        "c.drawString(1*cm, y,\"Full load\")", "y=y-0.5*cm",
        "c.drawString(1*cm, y, \"ORIVAN Version 3.0 was used.\")", "y=y-0.5*cm",
        "c.drawString(1*cm, y, \"Standard: EN61000-4-7:2002.\")", "y=y-0.5*cm",
        "c.drawString(1*cm, y, \"Limits: EN61000-3-2:1995.\")", "y=y-0.5*cm",
        "c.drawString(1*cm, y, \"The smoothing filter was switched off. Grouping on.\")", "y=y-0.5*cm",
        "c.drawString(1*cm, y, \"Measuring time was : 00:02:30\")", "y=y-0.5*cm",
        "c.drawString(1*cm, y, \"Class A was chosen\")", "y=y-0.5*cm",
        "c.setFont(\"Helvetica\", 9)", "c.drawCentredString(10*cm, y, \"Description\")", "y=y-0.5*cm",
        Cell("P11", "Phase", 9), Cell("P12", "Measuring instrument", 9), Cell("P13", "Serial number", 9),
        Cell("P14", "Software version", 9), Cell("P15", "Voltage range", 9), Cell("P16", "Current range", 9),
        Cell("P17", "Voltage scale", 9), Cell("P18", "Current scale", 9),
        Cell("P21", "1", 9), Cell("P22", "PAM-A", 9), Cell("P23", "SIM00001", 9), Cell("P24", "2.10", 9),
        Cell("P25", "250.000000 V", 9), Cell("P26", "20.000000 A", 9), Cell("P27", "1.000000", 9), Cell("P28", "1.000000", 9),
        "tab=Table([[P11,P21],[P12,P22],[P13,P23],[P14,P24],[P15,P25],[P16,P26],[P17,P27],[P18,P28]],colWidths=[6*cm, 5*cm])",
        "tab.setStyle(TableStyle([(\"GRID\",(0,0),(-1,-1),0.5,colors.black)]))",
        "b,h=tab.wrap(19*cm,5*cm)",
        "c.setFont(\"Helvetica\", 6)",
        "c.setFillColorRGB(0, 0, 0)",
        "c.drawRightString(14*cm,y+0.2*cm,\"Table 1\")",
        "y=y-h",
        "tab.drawOn(c,4*cm,y)",
        "y=y-1*cm",
        "c.setFont(\"Helvetica\", 9)", "c.drawCentredString(10*cm, y, \"Test results\")", "y=y-0.5*cm",
    };
    want.insert(want.end(), header.begin(), header.end());
    for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(l[i], want[i]) << "line " << i;
    // Table 2: crest factor and phase angle not tested in class A.
    EXPECT_EQ(l[want.size() + 13], Cell("P25", "not tested", 9));
    const size_t t2 = Index(l, "tab1=Table([[P11,P21],[P12,P22],[P13,P23],[P14,P24],[P15,P25],[P16,P26],[P17,P27],[P18,P28],"
                               "[P19,P29],],colWidths=[6*cm, 6*cm])");
    ASSERT_LT(t2, l.size());
    const std::vector<std::string> tail = {
        "tab1.setStyle(TableStyle([(\"GRID\",(0,0),(-1,-1),0.5,colors.black)]))",
        "b,h=tab1.wrap(19*cm,5*cm)",
        "c.setFont(\"Helvetica\", 6)",
        "c.setFillColorRGB(0, 0, 0)",
        "c.drawRightString(14*cm,y+0.2*cm,\"Table 2\")",
        "y=y-h",
        "tab1.drawOn(c,4*cm,y)",
        "y = y - .5*cm"};
    for (size_t i = 0; i < tail.size(); ++i) EXPECT_EQ(l[t2 + 1 + i], tail[i]);
    const std::vector<std::string> foot = Foot(1);
    for (size_t i = 0; i < foot.size(); ++i) EXPECT_EQ(l[t2 + 1 + tail.size() + i], foot[i]);
    EXPECT_EQ(l[t2 + 1 + tail.size() + foot.size()], "c.showPage()");
    EXPECT_EQ(Count(l, "c.showPage()"), 1u);
}

TEST_F(ReportScriptTest, HarmonicPageTwoTables)
{
    const std::vector<std::string> l = Harmonic(Setup(0, 1));
    const size_t page2 = Index(l, "c.showPage()") + 1;
    for (size_t i = 0; i < kHead.size(); ++i) EXPECT_EQ(l[page2 + i], kHead[i]);
    EXPECT_EQ(l[page2 + kHead.size() + 1], "c.drawCentredString(10*cm, y, \"Values measured at 00:00:00 before end of "
                                           "measurement (informative only)\")");
    EXPECT_TRUE(Has(l, Cell("P22", "   230.1250", 7)));
    EXPECT_TRUE(Has(l, "tab=Table([[P11,P21],[P12,P22],[P13,P23],[P14,P24],[P15,P25],[P16,P26],[P17,P27],[P18,P28]],"
                       "colWidths=[6*cm, 6*cm],rowHeights=[0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm])"));
    EXPECT_TRUE(Has(l, "c.drawRightString(15*cm,y+0.2*cm,\"Table 3\")"));
    // Table 4: order 3 with its marks, order 0 without a limit.
    EXPECT_TRUE(Has(l, Cell("P1_1", "n           ", 7)));
    EXPECT_TRUE(Has(l, Cell("P5_1", "I/lim,    %", 7)));
    EXPECT_TRUE(Has(l, Cell("P2_5", " 0.150!", 7)));
    EXPECT_TRUE(Has(l, Cell("P3_5", " 12.5!", 7)));
    EXPECT_TRUE(Has(l, Cell("P3_4", "---", 7)));   // no fluctuation
    EXPECT_TRUE(Has(l, Cell("P5_5", " 52.0", 7)));
    EXPECT_TRUE(Has(l, Cell("P6_5", "3", 7)));
    EXPECT_TRUE(Has(l, Cell("P7_7", "  1.25!", 7)));
    EXPECT_TRUE(Has(l, Cell("P5_2", "---", 7)));
    EXPECT_TRUE(Has(l, Cell("P6_2", "---", 7)));
    std::string t4 = "tab=Table([";
    for (int r = 1; r <= 42; ++r) {
        t4 += r > 1 ? ",[" : "[";
        for (int c = 1; c <= 7; ++c) t4 += (c > 1 ? "," : "") + F("P%d_%d", c, r);
        t4 += "]";
    }
    t4 += "],colWidths=[0.5*cm,1.2*cm,0.8*cm,1.2*cm,0.8*cm,0.8*cm,1.2*cm],rowHeights=[1.0*cm";
    for (int r = 0; r < 41; ++r) t4 += ",0.43*cm";
    t4 += "])";
    const size_t at = Index(l, t4);
    ASSERT_LT(at, l.size());
    const std::vector<std::string> tail = {
        "tab.setStyle(TableStyle([(\"GRID\",(0,0),(-1,-1),0.1,colors.black),('LEFTPADDING', (0,0),(-1,-1), 1),"
        "('BOTTOMPADDING', (0,0),(-1,-1), -1),]))",
        "b,h=tab.wrap(21*cm,5*cm)", "c.setFont(\"Helvetica\", 6)", "c.setFillColorRGB(0, 0, 0)",
        "c.drawRightString(9*cm,y+0.2*cm,\"Table 4\")", "y=y-h", "tab.drawOn(c,4*cm,y)", "y=y-.5*cm"};
    for (size_t i = 0; i < tail.size(); ++i) EXPECT_EQ(l[at + 1 + i], tail[i]);
    const std::vector<std::string> foot = Foot(2);
    for (size_t i = 0; i < foot.size(); ++i) EXPECT_EQ(l[at + 1 + tail.size() + i], foot[i]);
    EXPECT_EQ(at + 1 + tail.size() + foot.size() + 1, l.size());   // the script ends with the foot block
}

TEST_F(ReportScriptTest, HarmonicThreePhasesEdition3ClassD)
{
    Para p = Setup(0, 3);
    p.h_standard = 3;
    p.h_class = 3;
    std::vector<std::string> l = Harmonic(p);
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"The control values of the power were :  150.000 W,  160.000  W and  170.000  W\")"));
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"The limits were calculated according the power values   150.000 W   160.000 W   "
                       "170.000 W \")"));
    EXPECT_TRUE(Has(l, "tab=Table([[P11,P21,P31,P41],[P12,P22,P32,P42],[P13,P23,P33,P43],[P14,P24,P34,P44],[P15,P25,P35,P45],"
                       "[P16,P26,P36,P46],[P17,P27,P37,P47],[P18,P28,P38,P48]],colWidths=[5*cm, 2.5*cm,2.5*cm,2.5*cm])"));
    EXPECT_TRUE(Has(l, "c.drawRightString(16.5*cm,y+0.2*cm,\"Table 1\")"));
    EXPECT_TRUE(Has(l, "tab1=Table([[P11,P21,P31,P41],[P12,P22,P32,P42],[P13,P23,P33,P43],[P14,P24,P34,P44],"
                       "[P15,P25,P35,P45],[P16,P26,P36,P46],[P17,P27,P37,P47],[P18,P28,P38,P48],[P19,P29,P39,P49],],"
                       "colWidths=[6*cm, 1.5*cm,1.5*cm,1.5*cm])"));
    EXPECT_TRUE(Has(l, "c.drawRightString(15.5*cm,y+0.2*cm,\"Table 2\")"));
    EXPECT_TRUE(Has(l, "tab1.drawOn(c,5*cm,y)"));
    EXPECT_TRUE(Has(l, Cell("P45", "ok  ", 9)));        // crest factor tested in class D
    EXPECT_TRUE(Has(l, Cell("P34", "ok  ", 9)));
    EXPECT_TRUE(Has(l, Cell("P44", "fail", 9)));        // frequency of phase 3
    EXPECT_TRUE(Has(l, Cell("P37", "fail", 9)));        // current harmonics of phase 2
    EXPECT_TRUE(Has(l, "c.drawRightString(19.5*cm,y+0.2*cm,\"Table 4\")"));
    EXPECT_TRUE(Has(l, "tab.drawOn(c,1*cm,y)"));
    EXPECT_TRUE(Has(l, Cell("P15_5", "---", 7)));       // phase 3 fluctuation: edition 3 prints none
    EXPECT_TRUE(Has(l, Cell("P17_5", " 65.0", 7)));
    buf_result[1].higf |= HIGF_D_POWER_MEASURED_1;
    l = Script();
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"The limits were calculated according the power values   150.000 W   455.000 W  "
                       "170.000 W \")"));
}

TEST_F(ReportScriptTest, HarmonicClassLinesOfEveryKind)
{
    Para p = Setup(0, 1);
    p.h_standard = 4;
    p.h_class = 12;
    p.rsce = 66;
    p.rsce_recommended = 33;
    std::vector<std::string> l = Harmonic(p, 2);
    EXPECT_EQ(l[12], "c.drawCentredString(10*cm, y, \"Harmonics testing according EN61000-3-12\")");
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"Table 4 and Rsce=66.000000 were chosen\")"));
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"Recommended Rsce=33.000000\")"));
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"Informative: Third harmonics < 5 % of the first one: pass\")"));
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"Phase of the fifth harmonics 90\u00b0-150\u00b0: pass\")"));
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"Fifth and seventh harmonics < 5 % : pass\")"));

    para.h_standard = 2;
    para.h_class = 2;
    l = Script();
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"The control values of the power factor and current were  :    0.950 and    0.700 A\")"));
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"The limits were calculated according to these  values\")"));
    para.h_class = 3;
    l = Script();
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"The control value of the power was :  150.000 W\")"));
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"The limits were calculated according to this  value\")"));
    para.h_standard = 0;   // class D of the 1995 editions: the class D check line after Table 2
    buf_result[0].hens = HENS_ALL;
    l = Script();
    const size_t t2 = Index(l, "tab1.drawOn(c,4*cm,y)");
    EXPECT_EQ(l[t2 + 2], "c.drawString(1*cm, y, \"The class D check was fail\")");
    para.user_stopped = 1;
    para.meas_time = 61;
    para.frame_window = 1;
    para.first_frame = 0;
    para.last_frame = 1;
    l = Script();
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"Measuring time was : 00:01:01 (terminated by user).\")"));
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"Frames from 0 till 1 were analysed\")"));
}

TEST_F(ReportScriptTest, LogoAndComments)
{
    Para p = Setup(0, 1);
    const std::string logo = Path("logo.bmp");
    CopyFixed(p.logo_file, logo.c_str());
    for (auto& c : p.comment) c[0] = 0;
    std::vector<std::string> l = Harmonic(p, 2);
    // The logo is missing: no image, the separator line at the same y.
    EXPECT_EQ(l[8], "c.line(1*cm,y,20*cm,y)");
    EXPECT_EQ(l[Index(l, "tabelle.drawOn(c,x,y)") + 2], "c.drawString(1*cm, y, \"ORIVAN Version 3.0 was used.\")");
    { std::ofstream(logo) << "BM"; }
    l = Script();
    EXPECT_EQ(l[8], "c.drawInlineImage(\"" + logo + "\", x, y, b, h)");
    EXPECT_EQ(l[9], "c.line(1*cm,y,20*cm,y)");
    EXPECT_EQ(Count(l, "c.drawInlineImage(\"" + logo + "\", x, y, b, h)"), 2u);   // on both pages
}

TEST_F(ReportScriptTest, SameDataSameScript)
{
    Para p = Setup(0, 3);
    Harmonic(p, 3);
    std::string a, b;
    BuildReportScript(&a);
    BuildReportScript(&b);
    EXPECT_EQ(a, b);
    std::string script;
    ASSERT_EQ(MakeReport(false, &script), 0);
    ASSERT_EQ(MakeReport(false), 0);
    EXPECT_EQ(ReadText(script), a);   // written twice: one copy of each page
    EXPECT_EQ(script, Path("run.txt"));
}

TEST_F(ReportScriptTest, FlickerOnePhasePages)
{
    Para p = Setup(1, 1);
    const std::vector<std::string> l = Flicker(p);
    EXPECT_EQ(l[12], "c.drawCentredString(10*cm, y, \"Flicker testing according EN61000-3-3 A1\")");
    const std::vector<std::string> lines = {
        "c.drawString(1*cm, y, \"Software ORIVAN Version 3.0.\")", "y=y-0.5*cm",
        "c.drawString(1*cm, y, \"Standard: EN61000-4-15.\")", "y=y-0.5*cm",
        "c.drawString(1*cm, y, \"Limits: EN61000-3-3 A1.\")", "y=y-0.5*cm",
        "c.drawString(1*cm, y, \"Short time: 00:01:00.\")", "y=y-0.5*cm",
        "c.drawString(1*cm, y, \"Number of periods: 3.\")", "y=y-0.5*cm",
        "c.setFont(\"Helvetica\", 9)", "c.drawCentredString(10*cm, y, \"Description\")", "y=y-0.5*cm"};
    const size_t at = Index(l, lines[0]);
    ASSERT_LT(at, l.size());
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(l[at + i], lines[i]);
    EXPECT_TRUE(Has(l, "tab=Table([[P11,P21],[P12,P22],[P13,P23],[P14,P24],[P15,P25],[P16,P26],[P17,P27],[P18,P28]],"
                       "colWidths=[5*cm, 2.5*cm])"));
    EXPECT_TRUE(Has(l, "c.drawRightString(10.5*cm,y+0.2*cm,\"Table 1\")"));
    EXPECT_TRUE(Has(l, Cell("P14", "Check dmax 4.000000 % ", 9)));
    EXPECT_TRUE(Has(l, Cell("P15", "Check d(t) 3.300000% for 500 ms", 9)));
    EXPECT_TRUE(Has(l, Cell("P16", "Check dc 3.300000 % ", 9)));
    EXPECT_TRUE(Has(l, Cell("P22", "fail", 9)));   // Pst of phase 1
    const size_t t2 = Index(l, "tab1=Table([[P11,P21],[P12,P22],[P13,P23],[P14,P24],[P15,P25],[P16,P26],],colWidths=[6*cm, 1.5*cm])");
    ASSERT_LT(t2, l.size());
    const std::vector<std::string> t2tail = {
        "tab1.setStyle(TableStyle([(\"GRID\",(0,0),(-1,-1),0.5,colors.black)]))", "b,h=tab1.wrap(19*cm,5*cm)",
        "c.setFont(\"Helvetica\", 6)", "c.setFillColorRGB(0, 0, 0)", "c.drawRightString(10.5*cm,y+0.2*cm,\"Table 2\")",
        "y=y-h", "tab1.drawOn(c,4*cm,y)", "y = y - .5*cm", "c.setFont(\"Helvetica\", 9)",
        "c.drawCentredString(10*cm, y, \"Values measured at 00:00:00 before end of measurement (informative only)\")",
        "y=y-0.5*cm", Cell("P11", "Phase", 9)};
    for (size_t i = 0; i < t2tail.size(); ++i) EXPECT_EQ(l[t2 + 1 + i], t2tail[i]);
    EXPECT_TRUE(Has(l, Cell("P111", "dmax. % ", 9)));
    EXPECT_TRUE(Has(l, Cell("P29", "     0.8750", 9)));
    EXPECT_TRUE(Has(l, "tab=Table([[P11,P21],[P12,P22],[P13,P23],[P14,P24],[P15,P25],[P16,P26],[P17,P27],[P18,P28],"
                       "[P19,P29],[P110,P210],[P111,P211],[P112,P212]],colWidths=[5*cm, 2.5*cm],rowHeights=[0.5*cm,0.5*cm,"
                       "0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm,0.5*cm])"));
    EXPECT_TRUE(Has(l, "c.drawRightString(10*cm,y+0.2*cm,\"Table 3\")"));
    // Page 2: three rows; Plt only in row 3; d(t) range of the entries since the row before.
    EXPECT_TRUE(Has(l, Cell("P2_1", "Pst1", 7)));
    EXPECT_TRUE(Has(l, Cell("P5_1", "d1(t)min", 7)));
    EXPECT_TRUE(Has(l, Cell("P2_2", "   0.6250", 7)));
    EXPECT_TRUE(Has(l, Cell("P3_2", "", 7)));
    EXPECT_TRUE(Has(l, Cell("P3_4", "   0.6300", 7)));
    EXPECT_TRUE(Has(l, Cell("P4_2", "   0.8000", 7)));
    EXPECT_TRUE(Has(l, Cell("P5_2", "   0.0000", 7)));
    EXPECT_TRUE(Has(l, "tab=Table([[P1_1,P2_1,P3_1,P4_1,P5_1],[P1_2,P2_2,P3_2,P4_2,P5_2],[P1_3,P2_3,P3_3,P4_3,P5_3],"
                       "[P1_4,P2_4,P3_4,P4_4,P5_4]],colWidths=[1.0*cm,1.5*cm,1.5*cm,1.5*cm,1.5*cm],rowHeights=0.5*cm)"));
    const size_t t4 = Index(l, "tab.setStyle(TableStyle([(\"GRID\",(0,0),(-1,-1),0.1,colors.black)]))");
    ASSERT_LT(t4, l.size());
    const std::vector<std::string> t4tail = {"b,h=tab.wrap(21*cm,5*cm)", "c.setFont(\"Helvetica\", 6)",
                                             "c.setFillColorRGB(0, 0, 0)", "c.drawRightString(13*cm,y+0.2*cm,\"Table 4\")",
                                             "y=y-h", "tab.drawOn(c,6*cm,y)", "y=y-.5*cm", "y=y-.5*cm"};
    for (size_t i = 0; i < t4tail.size(); ++i) EXPECT_EQ(l[t4 + 1 + i], t4tail[i]);
}

TEST_F(ReportScriptTest, FlickerSwitchingAndImpedance)
{
    Para p = Setup(1, 3);
    CopyFixed(p.fl_standard, "EN61000-3-11");
    p.switching = 1;
    p.fl_periods = 4;
    p.z_test = 0.25f;
    p.z_ref = 0;
    std::vector<std::string> l = Flicker(p);
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"Test impedance: 0.250000 Ohm.\")"));
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"Reference impedance: 0,24+j0,15.\")"));
    EXPECT_TRUE(Has(l, "tab1=Table([[P11,P21,P31,P41],[P14,P24,P34,P44],],colWidths=[6*cm, 1.5*cm,1.5*cm,1.5*cm])"));
    EXPECT_FALSE(Has(l, Cell("P12", "Check Pst 1.0 p.u. ", 9)));
    EXPECT_TRUE(Has(l, Cell("P2_1", "dmax1", 7)));
    EXPECT_TRUE(Has(l, Cell("P4_1", "dmax3", 7)));
    EXPECT_TRUE(Has(l, Cell("P2_3", "   1.5000", 7)));
    EXPECT_TRUE(Has(l, "tab=Table([[P1_1,P2_1,P3_1,P4_1],[P1_2,P2_2,P3_2,P4_2],[P1_3,P2_3,P3_3,P4_3],[P1_4,P2_4,P3_4,P4_4],"
                       "[P1_5,P2_5,P3_5,P4_5]],colWidths=[1.0*cm,1.5*cm,1.5*cm,1.5*cm],rowHeights=0.5*cm)"));
    EXPECT_TRUE(Has(l, "c.drawRightString(16.5*cm,y+0.2*cm,\"Table 4\")"));
    // The base edition, loaded: d(t) and dc at 0.75 x dmax for 200 ms, no impedance lines.
    Para base = Setup(1, 1);
    CopyFixed(base.fl_standard, "EN61000-3-3");
    l = Flicker(base);
    EXPECT_TRUE(Has(l, Cell("P15", "Check d(t) 3.000000% for 200 ms", 9)));
    EXPECT_TRUE(Has(l, Cell("P16", "Check dc 3.000000 % ", 9)));
    EXPECT_EQ(std::count_if(l.begin(), l.end(), [](const std::string& s) { return s.find("impedance") != std::string::npos; }), 0);
}

TEST_F(ReportScriptTest, ContentThatDoesNotFitContinuesOnAFurtherPage)
{
    Para p = Setup(0, 3);
    p.h_standard = 4;
    p.h_class = 12;
    for (int i = 0; i < 7; ++i) CopyFixed(p.comment[i], (std::string(60, char('a' + i)) + " " + std::string(60, char('a' + i))).c_str());
    std::vector<std::string> l = Harmonic(p, 2);
    // Page 1 ran over: Table 2 moved to a page of its own, the report has three pages.
    EXPECT_EQ(Count(l, "c.showPage()"), 2u);
    EXPECT_TRUE(Has(l, "c.drawRightString(20*cm,y,\"Page 3\")"));
    const size_t first = Index(l, "c.showPage()");
    EXPECT_LT(first, Index(l, "tab1=Table([[P11,P21,P31,P41],[P12,P22,P32,P42],[P13,P23,P33,P43],[P14,P24,P34,P44],"
                               "[P15,P25,P35,P45],[P16,P26,P36,P46],[P17,P27,P37,P47],[P18,P28,P38,P48],[P19,P29,P39,P49],],"
                               "colWidths=[6*cm, 1.5*cm,1.5*cm,1.5*cm])"));
    EXPECT_EQ(l[first + 1 + kHead.size()], "c.setFont(\"Helvetica\", 6)");   // the font of the page before
    EXPECT_EQ(l[first + 3 + kHead.size()], "c.drawCentredString(10*cm, y, \"Test results\")");

    // A flicker run of 60 periods: Table 4 continues with its header row.
    Para f = Setup(1, 1);
    f.fl_periods = 60;
    f.fl_minutes = 0;
    f.fl_seconds = 10;
    l = Flicker(f);
    EXPECT_TRUE(Has(l, "c.drawRightString(13*cm,y+0.2*cm,\"Table 4 (continued)\")"));
    size_t tables = 0, rows = 0;
    for (const std::string& s : l)
        if (s.rfind("tab=Table([[P1_1,", 0) == 0) {
            ++tables;
            rows += size_t(std::count(s.begin(), s.end(), '[')) - 3;   // minus the header row and two brackets
        }
    EXPECT_EQ(tables, 2u);
    EXPECT_EQ(rows, 60u);
}

TEST_F(ReportScriptTest, DecimalPointUnderAGermanLocale)
{
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    Para p = Setup(1, 1);
    p.z_test = 0.5f;
    CopyFixed(p.fl_standard, "EN61000-3-11");
    const std::vector<std::string> l = Flicker(p);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_TRUE(Has(l, "c.drawString(1*cm, y, \"Test impedance: 0.500000 Ohm.\")"));
    EXPECT_TRUE(Has(l, Cell("P25", "250.000000 V", 9)));
    EXPECT_NE(bufTable.find("       Pst  =        0.8750"), std::string::npos);
}
