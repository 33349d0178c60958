// The PDF report end to end: the converter makes two-page PDFs whose text
// pdftotext finds, texts typed by the user arrive as typed and never run,
// a failed conversion leaves the old PDF alone and starts no viewer, and
// programs are started with argument vectors.
#include "tests/reports/report_fixture.h"

#include <chrono>
#include <clocale>
#include <thread>

#include "panel_ids.h"
#include "reports/protocol.h"
#include "reports/report.h"

using namespace rt;

namespace {

std::string Output(const std::vector<std::string>& argv)
{
    std::string out;
    RunProgram(argv, &out);
    return out;
}

int Pages(const std::string& pdf)
{
    const std::string info = Output({"/usr/bin/pdfinfo", pdf});
    const size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

std::string PdfText(const std::string& pdf) { return Output({"/usr/bin/pdftotext", "-layout", pdf, "-"}); }

// Words of the PDF with their boxes (points from the top left of the page).
struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
    std::string text;
};
std::vector<Word> Words(const std::string& pdf)
{
    const std::string html = Output({"/usr/bin/pdftotext", "-bbox", pdf, "-"});
    std::vector<Word> words;
    int page = 0;
    size_t at = 0;
    while ((at = html.find('<', at)) != std::string::npos) {
        if (html.compare(at, 5, "<page") == 0) ++page;
        if (html.compare(at, 6, "<word ") == 0) {
            Word w{page, 0, 0, 0, 0, ""};
            std::sscanf(html.c_str() + at, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\">", &w.xMin, &w.yMin, &w.xMax,
                        &w.yMax);
            const size_t start = html.find('>', at) + 1, end = html.find("</word>", start);
            w.text = html.substr(start, end - start);
            words.push_back(w);
        }
        ++at;
    }
    return words;
}

// Nothing but the foot block below the foot line (2 cm) and nothing past
// the right edge of the text area (20 cm, a little ink allowed).
void ExpectNoOverlap(const std::string& pdf)
{
    const double pt = 72.0 / 2.54, footLine = 29.7 * pt - 2.0 * pt;
    const std::vector<Word> words = Words(pdf);
    ASSERT_FALSE(words.empty());
    for (const Word& w : words) {
        const bool foot = w.yMin > footLine;
        if (foot) {
            EXPECT_GT(w.yMin, footLine) << "page " << w.page << " word " << w.text;
            continue;
        }
        EXPECT_LT(w.yMax, footLine) << "page " << w.page << " word " << w.text;
        EXPECT_LT(w.xMax, 20.3 * pt) << "page " << w.page << " word " << w.text;
        EXPECT_GT(w.xMin, 0.9 * pt) << "page " << w.page << " word " << w.text;
    }
}

struct ReportPdf : ReportTest {
    std::string path;
    std::string Make(const Para& p, int frames = 4)
    {
        path = FixedText(p.log_file);
        if (p.test_kind == 0) WriteHarmonic(path, p, frames);
        else WriteFlicker(path, p, FlickerEntries(p));
        Load(path);
        std::string script, pdf;
        EXPECT_EQ(MakeReport(true, &script, &pdf), 0);
        return pdf;
    }
    static std::string FixedText(const char* f) { return std::string(f); }
};

}  // namespace

TEST_F(ReportPdf, HarmonicThreePhasesIsTwoPages)
{
    const std::string pdf = Make(RunPara(0, 3, ShortPath("three.qel")));
    EXPECT_EQ(pdf, ShortPath("three.pdf"));
    EXPECT_EQ(Pages(pdf), 2);
    const std::string text = PdfText(pdf);
    for (const char* s : {"Harmonics testing according EN61000-3-2", "Measuring protocol printed at 01. January 2026",
                          "Description", "Table 1", "Test results", "Voltage magnitude check", "Table 2", "Page 1",
                          "Values measured at 00:00:00 before end of measurement", "Detailed evaluation results",
                          "Table 4", "Page 2", "Test equipment: QEL KORVEL Darezorovi Systems GmbH", "SIM00003"})
        EXPECT_NE(text.find(s), std::string::npos) << s;
    ExpectNoOverlap(pdf);
}

TEST_F(ReportPdf, FlickerReportsAreTwoPages)
{
    for (int phases : {1, 3}) {
        Para p = RunPara(1, phases, ShortPath("flicker" + std::to_string(phases) + ".qel"));
        CopyFixed(p.fl_standard, "EN61000-3-11");
        for (auto& c : p.comment) c[0] = 0;   // the longest first page that fits
        p.z_test = 0.25f;
        const std::string pdf = Make(p);
        EXPECT_EQ(Pages(pdf), 2);
        const std::string text = PdfText(pdf);
        for (const char* s : {"Flicker testing according EN61000-3-11", "Reference impedance: 0,24+j0,15.",
                              "Check Pst 1.0 p.u.", "Table 3", "Pst1", "Table 4", "Page 2"})
            EXPECT_NE(text.find(s), std::string::npos) << s;
        ExpectNoOverlap(pdf);
    }
}

TEST_F(ReportPdf, WhatDoesNotFitGoesOnAFurtherPage)
{
    Para p = RunPara(0, 3, Path("full.qel"));
    p.h_standard = 4;
    p.h_class = 12;
    for (int i = 0; i < 7; ++i)
        CopyFixed(p.comment[i], ("Comment line " + std::to_string(i + 1) + " " + std::string(240, 'x')).c_str());
    const char* eut[7] = {"Name of the EUT 123", "Department of tests", "Company name 123456", "A device with a na",
                          "Maker of the device", "Type 1234567890123", "SN 1234567890123456"};
    for (int i = 0; i < 7; ++i) CopyFixed(p.test_data[i], eut[i]);
    const std::string pdf = Make(p);
    EXPECT_EQ(Pages(pdf), 3);
    ExpectNoOverlap(pdf);
    EXPECT_NE(PdfText(pdf).find("Page 3"), std::string::npos);

    Para f = RunPara(1, 1, Path("long.qel"));
    f.fl_periods = 70;
    f.fl_minutes = 0;
    f.fl_seconds = 10;
    for (int i = 0; i < 7; ++i) CopyFixed(f.comment[i], "A comment");
    const std::string fpdf = Make(f);
    EXPECT_EQ(Pages(fpdf), 4);   // Table 3 of page 1 and the long Table 4 continue
    ExpectNoOverlap(fpdf);
}

TEST_F(ReportPdf, UserTextsArriveAsTypedAndNeverRun)
{
    Para p = RunPara(0, 1, Path("typed.qel"));
    const std::string marker = Path("injected");
    CopyFixed(p.comment[1], ("\"); import os; os.system(\"touch " + marker + "\"); #").c_str());
    CopyFixed(p.comment[3], "\"\"\"); c.showPage(); (\"\"\"");
    WriteHarmonic(Path("typed.qel"), p, 2);
    Load(Path("typed.qel"));
    SetCtrlVal(setting, SETTING_NAME, "Q\"u\\o<t&e \xc3\xbc");
    SetCtrlVal(setting, SETTING_TYPE, "</font><b>x");
    std::string script, pdf;
    ASSERT_EQ(MakeReport(true, &script, &pdf), 0);
    EXPECT_EQ(Pages(pdf), 2);
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("Q\"u\\o<t&e \xc3\xbc"), std::string::npos) << text;
    EXPECT_NE(text.find("</font><b>x"), std::string::npos);
    EXPECT_NE(text.find("\"); import os; os.system(\"touch"), std::string::npos);
    EXPECT_FALSE(FileExists(marker.c_str(), nullptr));
    EXPECT_NE(ReadText(script).find("Q\\\"u\\\\o&lt;t&amp;e \xc3\xbc"), std::string::npos);
}

TEST_F(ReportPdf, InjectedCodeIsRefusedAndTheOldPdfStays)
{
    Para p = RunPara(0, 1, Path("inject.qel"));
    const std::string pdf = Make(p);
    const std::string before = ReadText(pdf);
    const std::string script = Path("inject.txt");
    std::string text = ReadText(script);
    const std::string marker = Path("ran");
    text.insert(text.find("c.showPage()"), "__import__('os').system('touch " + marker + "')\n");
    { std::ofstream(script, std::ios::trunc) << text; }
    std::string error;
    EXPECT_EQ(ConvertReport(script, pdf, &error), -1);
    EXPECT_NE(error.find("line "), std::string::npos) << error;
    EXPECT_NE(error.find("refused"), std::string::npos) << error;
    EXPECT_FALSE(FileExists(marker.c_str(), nullptr));
    EXPECT_EQ(ReadText(pdf), before);
}

TEST_F(ReportPdf, FailedConversionShowsAnErrorAndNoViewer)
{
    const std::string viewerLog = Path("viewer.log");
    const std::string viewer = Path("my viewer 'x'; $(true)");
    { std::ofstream(viewer) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << viewerLog << "'\n"; }
    ::chmod(viewer.c_str(), 0755);
    SetPdfViewer(viewer);

    // A logging file whose name holds blanks, quotes, ";" and "$(...)".
    Para p = RunPara(0, 1, Path("odd 'name'; $(touch x) \"q\".qel"));
    const std::string pdf = Make(p);
    EXPECT_EQ(pdf, Path("odd 'name'; $(touch x) \"q\".pdf"));
    EXPECT_EQ(Pages(pdf), 2);
    EXPECT_FALSE(FileExists(Path("x").c_str(), nullptr));
    for (int i = 0; i < 200 && FileSize(viewerLog.c_str()) <= 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadText(viewerLog), pdf + "\n");

    // The logo cannot be read: the conversion fails at its line.
    const std::string before = ReadText(pdf);
    const std::string logo = Path("broken.bmp");
    { std::ofstream(logo) << "not a picture"; }
    CopyFixed(para.logo_file, logo.c_str());
    ui::QueueMessageAck();
    EXPECT_LT(MakeReport(true), 0);
    ASSERT_FALSE(ui::PopupLog().empty());
    EXPECT_EQ(ui::PopupLog().back().title, "Error");
    EXPECT_NE(ui::PopupLog().back().text.find("The PDF report could not be made"), std::string::npos);
    EXPECT_NE(ui::PopupLog().back().text.find("line 9"), std::string::npos) << ui::PopupLog().back().text;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(ReadText(viewerLog), pdf + "\n");   // no second start
    EXPECT_EQ(ReadText(pdf), before);
    EXPECT_EQ(Output({"/bin/sh", "-c", "ls -a '" + dir + "' | grep -c txt2pdf || true"}), "0\n");   // no temporary file left
}

TEST_F(ReportPdf, AMissingConverterIsAnError)
{
    Make(RunPara(0, 1, Path("noconv.qel")));
    SetConverterPath(Path("no-such-txt2pdf"));
    ui::QueueMessageAck();
    EXPECT_LT(MakeReport(true), 0);
    EXPECT_NE(ui::PopupLog().back().text.find("converter is missing"), std::string::npos);
}

TEST_F(ReportPdf, GermanLocaleStillWritesDecimalPoints)
{
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    const std::string pdf = Make(RunPara(0, 1, Path("de.qel")));
    ::setenv("LC_ALL", "C.UTF-8", 1);
    std::setlocale(LC_ALL, saved.c_str());
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find("250.000000 V"), std::string::npos);
    EXPECT_NE(text.find("230.1250"), std::string::npos);
    EXPECT_EQ(text.find("250,000000"), std::string::npos);
}

TEST_F(ReportPdf, AScriptThatCannotBeWrittenIsReported)
{
    const std::string pdf = Make(RunPara(0, 1, Path("write.qel")));
    CopyFixed(para.log_file, Path("no such dir/write.qel").c_str());
    ui::QueueMessageAck();
    EXPECT_LT(MakeReport(true), 0);
    EXPECT_EQ(ui::PopupLog().back().title, "Error");
    EXPECT_NE(ui::PopupLog().back().text.find("Unable to write the report script " + Path("no such dir/write.txt")),
              std::string::npos);
}
