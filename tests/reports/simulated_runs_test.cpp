// Protocols and reports of logging files that simulated runs wrote: the
// program's own run on the simulated bench (orivan-cli run, virtual clock),
// then the text protocol and the report script line by line against the
// records those files hold, formatted here independently, and the PDF.
#include "tests/reports/report_fixture.h"

#include <map>
#include <unistd.h>

#include "app/cli.h"
#include "app/cli_run.h"
#include "app/config.h"
#include "app/config_show.h"
#include "app/simulation.h"
#include "reports/protocol.h"
#include "reports/report.h"
#include "state/reset.h"

using namespace rt;

namespace {

// One directory per test process (CTest runs the tests of this file side by side).
const std::string kDir = std::string(ORIVAN_BINARY_DIR) + "/reports_simulated/" + std::to_string(::getpid());

struct SimulatedRun {
    const char* name;
    const char* eut;
    Para setup;
};

std::vector<SimulatedRun> Runs()
{
    std::vector<SimulatedRun> runs;
    Para h3;   // three PAM-A, EN61000-3-2:2006 class A
    MakeSampleConfig(h3);
    h3.h_minutes = 0;
    h3.h_seconds = 12;
    runs.push_back({"harmonic3", "smps:power=400", h3});

    Para d1 = h3;   // one PAM-A, the 1995 edition with grouping, class D
    d1.analyser = 4;
    d1.phases = 1;
    d1.h_standard = 1;
    d1.h_class = 3;
    d1.ctrl_power[0] = 250.0f;
    d1.i_range[0] = 10.0f;
    CopyFixed(d1.test_data[3], "PC power supply");
    runs.push_back({"classd1", "smps:power=250", d1});

    Para f1 = d1;   // one PAM-A, flicker, two periods of 10 s, base edition
    f1.test_kind = 1;
    f1.h_mode = 0;
    f1.fl_periods = 2;
    f1.fl_minutes = 0;
    f1.fl_seconds = 10;
    f1.meas_time = 20;
    f1.switching = 0;
    f1.dmax_limit = 4.0f;
    CopyFixed(f1.fl_standard, "EN61000-3-3");
    runs.push_back({"flicker1", "switch:power=960.4,cpm=110", f1});
    return runs;
}

// Writes each run's logging file once per test program.
const std::map<std::string, std::string>& Files()
{
    static std::map<std::string, std::string> files;
    if (!files.empty()) return files;
    std::system(("rm -rf '" + kDir + "' && mkdir -p '" + kDir + "'").c_str());
    std::atexit([] { std::system(("rm -rf '" + kDir + "'").c_str()); });
    for (const SimulatedRun& r : Runs()) {
        ResetProgramState();
        ui::ResetUi();
        ui::SetResourceDir(std::string(ORIVAN_SOURCE_DIR) + "/resources");
        SetProjectDir(kDir.c_str());
        SetSimulationStarter(sim::StartProgramSimulation);
        const std::string cfg = kDir + "/" + r.name + ".cfg", qel = kDir + "/" + r.name + ".qel";
        EXPECT_EQ(WriteConfigFile(cfg.c_str(), r.setup), CFG_OK);
        std::vector<std::string> args = {"--config", cfg, "--out", qel, std::string("--simulate=") + r.eut, "--speed", "max"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        std::FILE* out = std::tmpfile();
        const int rc = CliRun(int(argv.size()), argv.data(), out);
        std::fclose(out);
        EXPECT_EQ(rc, CLI_OK) << r.name;
        SetSimulationStarter(nullptr);
        files[r.name] = qel;
    }
    ResetProgramState();
    ui::ResetUi();
    ui::SetHeadlessMode(ui::HeadlessMode::Test);
    SetProjectDir(nullptr);
    return files;
}

struct SimulatedReports : ReportTest {
    static void SetUpTestSuite() { Files(); }
    void LoadRun(const char* name)
    {
        const std::string path = Files().at(name);
        ASSERT_EQ(load_measurement(path.c_str(), -1, -1), 0) << LastLoadReport().message;
    }
    static const char* Mark(const int32_t words[2], int n) { return (OrderMask(words) & OrderBit(n)) ? "!" : " "; }
};

}  // namespace

TEST_F(SimulatedReports, HarmonicProtocolPageTwoLineByLine)
{
    for (const char* name : {"harmonic3", "classd1"}) {
        LoadRun(name);
        const std::vector<std::string> l = Lines(bufTable);
        const int P = para.phases == 3 ? 3 : 1;
        const bool fluct = para.h_standard <= 1;
        size_t at = 0;
        for (int p = 0; p < P; ++p) {
            at = size_t(std::find(l.begin() + long(at), l.end(), F("  Phase  %d", p + 1)) - l.begin());
            ASSERT_LT(at + 3 + 41, l.size()) << name;
            EXPECT_EQ(l[at + 2], fluct ? "         n    Iaver     fluc%  Imax      Iall     I/Ilim,%    Umax"
                                       : "         n    Iaver        Imax     Iall    I/Ilim,%  Frame      Umax");
            const HarmResult& r = buf_result[p];
            for (int n = 0; n <= 40; ++n) {
                const std::string& got = l[at + 4 + size_t(n)];
                const double iaver = r.hiav[n], imax = h_max[p][n], umax = r.humx[n], ratio = max[p][n];
                const char *a = Mark(r.hilt, n), *b = Mark(r.hult, n), *c = Mark(r.hifl, n);
                std::string want;
                if (fluct && IsNaN(max[p][n]))
                    want = F("       %2d %9.4f %9.4f   %9.4f%s   %s              %9.4f%s", n, iaver, 100.0 * r.hfmx[n], imax, c, a, umax, b);
                else if (fluct)
                    want = F("       %2d %9.4f %9.4f   %9.4f%s   %s   %9.4f  %9.4f%s", n, iaver, 100.0 * r.hfmx[n], imax, c, a, ratio, umax, b);
                else if (IsNaN(max[p][n]))
                    want = F("       %2d %9.4f   %9.4f      %s                      %9.4f%s", n, iaver, imax, a, umax, b);
                else
                    want = F("       %2d %9.4f   %9.4f      %s   %9.4f  %d    %9.4f%s", n, iaver, imax, a, ratio, fr_max[p][n], umax, b);
                for (size_t k; (k = want.find("nan")) != std::string::npos;) want.replace(k, 3, "NaN");   // the notation's spelling
                EXPECT_EQ(got, want) << name << " phase " << p + 1 << " order " << n;
            }
        }
        // The global values of the chosen (last) frame.
        std::string u = "     U =             ";
        for (int p = 0; p < P; ++p) u += F("  %11.4f V    ", double(buf[p].utrms));
        EXPECT_NE(std::find(l.begin(), l.end(), u), l.end()) << name;
        EXPECT_GT(buf[0].utrms, 200.0f);
    }
}

TEST_F(SimulatedReports, HarmonicPageOneAndScript)
{
    LoadRun("classd1");
    const std::vector<std::string> l = Lines(bufTable);
    auto has = [&](const std::string& s) { return std::find(l.begin(), l.end(), s) != l.end(); };
    EXPECT_TRUE(has("       according to the standard: EN61000-4-7:2002"));
    EXPECT_TRUE(has("       Compliance was tested against EN61000-3-2:1995 limits"));
    EXPECT_TRUE(has("       Class D was chosen"));
    EXPECT_TRUE(has("       Measuring time was : 00:00:12"));
    EXPECT_TRUE(has(std::string("       The class D check was ") + ((buf_result[0].hens & 1) ? "fail" : "ok")));
    EXPECT_TRUE(has(F("       Voltage +/-2%% of nominal value                  :  %s   ", (buf_result[0].hugf & 4) ? "fail" : "ok  ")));
    EXPECT_TRUE(has("       Device:              PC power supply"));

    std::string script;
    ASSERT_TRUE(BuildReportScript(&script));
    const std::vector<std::string> s = Lines(script);
    auto cell = [](int c, int r, const std::string& text) {
        return F("P%d_%d=Paragraph(\"\"\"<font face=Helvetica size=7>", c, r) + text +
               "</font>\"\"\",getSampleStyleSheet()[\"BodyText\"])";
    };
    const HarmResult& r = buf_result[0];
    for (int n = 0; n <= 40; ++n) {
        const int row = n + 2;
        EXPECT_NE(std::find(s.begin(), s.end(), cell(2, row, F("%6.3f%s", double(r.hiav[n]), Mark(r.hilt, n)))), s.end()) << n;
        EXPECT_NE(std::find(s.begin(), s.end(), cell(4, row, F("%6.3f", double(h_max[0][n])))), s.end()) << n;
        const std::string ratio = IsNaN(max[0][n]) ? "---" : F("%5.1f", double(max[0][n]));
        EXPECT_NE(std::find(s.begin(), s.end(), cell(5, row, ratio)), s.end()) << n;
        EXPECT_NE(std::find(s.begin(), s.end(), cell(7, row, F("%6.2f%s", double(r.humx[n]), Mark(r.hult, n)))), s.end()) << n;
    }
    EXPECT_EQ(std::count(s.begin(), s.end(), "c.showPage()"), 1);
}

TEST_F(SimulatedReports, ThreePhaseHarmonicReportIsTwoPages)
{
    LoadRun("harmonic3");
    std::string script, pdf;
    ASSERT_EQ(MakeReport(true, &script, &pdf), 0);
    std::string info;
    RunProgram({"/usr/bin/pdfinfo", pdf}, &info);
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    std::string text;
    RunProgram({"/usr/bin/pdftotext", "-layout", pdf, "-"}, &text);
    for (const char* t : {"Harmonics testing according EN61000-3-2", "Limits: EN61000-3-2:2006.", "Table 4", "Page 2"})
        EXPECT_NE(text.find(t), std::string::npos) << t;
    EXPECT_NE(text.find(F("%.4f", double(buf[2].utrms))), std::string::npos);
}

TEST_F(SimulatedReports, FlickerProtocolAndReport)
{
    LoadRun("flicker1");
    const std::vector<std::string> l = Lines(bufTable);
    auto has = [&](const std::string& s) { return std::find(l.begin(), l.end(), s) != l.end(); };
    EXPECT_TRUE(has("       Short time        : 00:00:10"));
    EXPECT_TRUE(has("       Number of periods : 2"));
    EXPECT_TRUE(has(F("       Plt < 0.65 informative:       %s     ", (flkbuf[0].flre & 4) ? "fail" : "ok")));
    EXPECT_TRUE(has("       d(t) < 3.000000% for <200ms :      " + std::string((flkbuf[0].flre & 0x10) ? "fail" : "ok") + "     "));
    // Page 2: one row per period; the last also with Plt, as the final record shows them.
    const size_t head = size_t(std::find(l.begin(), l.end(), "    n      Pst 1       Plt 1      ") - l.begin());
    ASSERT_LT(head + 4, l.size());
    EXPECT_EQ(l[head + 4], F("    2   %9.4f    %9.4f       ", double(flkbuf[0].flst), double(flkbuf[0].fllt)));
    EXPECT_EQ(l[head + 3].substr(0, 7), "    1  ");
    EXPECT_EQ(l.size(), head + 5);
    EXPECT_GT(flkbuf[0].flst, 0.1f);   // the switched load flickers

    std::string script, pdf;
    ASSERT_EQ(MakeReport(true, &script, &pdf), 0);
    std::string text;
    RunProgram({"/usr/bin/pdftotext", "-layout", pdf, "-"}, &text);
    EXPECT_NE(text.find("Flicker testing according EN61000-3-3"), std::string::npos);
    EXPECT_NE(text.find(F("%.4f", double(flkbuf[0].fllt))), std::string::npos);
    std::string info;
    RunProgram({"/usr/bin/pdfinfo", pdf}, &info);
    EXPECT_NE(info.find("Pages:           2"), std::string::npos);
}
