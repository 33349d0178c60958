// orivan-cli plot: the quantity list, pictures drawn from the graph panel's
// plot model, and the refusals with their exit codes.
#include "app/cli.h"
#include "app/cli_plot.h"
#include "app/startup.h"
#include "display/cursors.h"
#include "display/plot.h"
#include "display/plot_list.h"
#include "display/plot_quantities.h"
#include "display/plot_series.h"
#include "display/views.h"
#include "files/load.h"
#include "panel_ids.h"
#include "platform/lowfile.h"
#include "platform/ui/model.h"
#include "platform/ui/ui_testing.h"
#include "tests/display/sample_runs.h"

#ifdef ORIVAN_HAVE_GRAPH_PAINTER
#include <QImage>
#include "platform/ui/qt/graph_painter.h"
#include "state/para.h"
#include "state/panels.h"
#include "state/reset.h"
#endif

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Output {
    char* data = nullptr;
    size_t size = 0;
    std::FILE* f = open_memstream(&data, &size);
    std::string Text() { std::fflush(f); return std::string(data, size); }
    ~Output() { std::fclose(f); std::free(data); }
};

struct CliPlotTest : ui::HeadlessUiTest {
    std::string dir;
    void SetUp() override
    {
        ui::HeadlessUiTest::SetUp();
        Reset();
        char tmpl[] = "/tmp/orivan_plot_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        SetProjectDir(dir.c_str());
        ui::SetResourceDir(std::string(ORIVAN_SOURCE_DIR) + "/resources");
#ifdef ORIVAN_HAVE_GRAPH_PAINTER
        ui::InstallGraphPainter();
#endif
        ASSERT_TRUE(sample::WriteHarmonic(dir + "/h.qel", 300, 3));
        ASSERT_TRUE(sample::WriteFlicker(dir + "/f.qel", 1));
    }
    void TearDown() override
    {
        Reset();
        SetProjectDir(nullptr);
        ui::SetResourceDir("");
        std::system(("rm -rf '" + dir + "'").c_str());
        ui::HeadlessUiTest::TearDown();
    }
    static void Reset()
    {
        ResetProgramState();
    }
    int Run(std::vector<std::string> args, std::string* text = nullptr)
    {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        Output out;
        const int rc = CliPlot(int(argv.size()), argv.data(), out.f);
        if (text) *text = out.Text();
        return rc;
    }
    const ui::Graph& G() { return ui::FindCtrl(diagnos, DIAGNOS_GRAPH)->graph; }
};

TEST_F(CliPlotTest, ListPrintsTheQuantityCodesOfTheFilesKind)
{
    std::string text;
    ASSERT_EQ(Run({dir + "/h.qel", "--list"}, &text), CLI_OK);
    EXPECT_NE(text.find("harmonic run, 3 phases, 300 frames"), std::string::npos) << text;
    EXPECT_NE(text.find("plot code = code + 58 x (phase - 1)"), std::string::npos);
    EXPECT_NE(text.find("  40  HCurr(40)   Iharm,A\n"), std::string::npos);
    EXPECT_NE(text.find("  51  Ipoh        Ipoh, A\n"), std::string::npos);
    EXPECT_NE(text.find("  57  Ch 4        Ch 4\n"), std::string::npos);
    Reset();
    ASSERT_EQ(Run({dir + "/f.qel", "--list"}, &text), CLI_OK);
    EXPECT_NE(text.find("flicker run, 1 phase,"), std::string::npos) << text;
    EXPECT_NE(text.find("   8  Pst         p.u.\n"), std::string::npos);
    EXPECT_EQ(text.find("  15  "), std::string::npos);
}

#ifdef ORIVAN_HAVE_GRAPH_PAINTER
TEST_F(CliPlotTest, PictureOfTheSamePlotModelTheGraphPanelDraws)
{
    std::string text;
    const std::string png = dir + "/curves.png";
    ASSERT_EQ(Run({dir + "/h.qel", "--phase", "2", "--quantity", "3", "--quantity", "5", "--out", png, "--size",
                   "800x500"},
                  &text),
              CLI_OK);
    EXPECT_EQ(text, png + ": Time curve:   2 HCurr(3),  2 HCurr(5)   Logging file: h.qel (800x500)\n");
    // the plot model is the graph panel's: phase L2's order 3 over every frame
    TimeCurve t;
    ASSERT_TRUE(TimeCurveOf(EncodePlotCode(RUN_HARMONIC, 1, 3), false, &t));
    ASSERT_FALSE(G().plots.empty());
    EXPECT_EQ(G().plots[0].y, t.y);
    EXPECT_EQ(G().plots[0].style, VAL_FAT_LINE);
    QImage img(QString::fromStdString(png));
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(800, 500));
    int dark = 0, blue = 0;
    for (int y = 0; y < 22; ++y)
        for (int x = 250; x < 550; ++x) dark += qGray(img.pixel(x, y)) < 100;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) blue += img.pixel(x, y) == qRgb(0, 0, 0x80);
    EXPECT_GT(dark, 30) << "the title is not drawn";
    EXPECT_GT(blue, 500) << "the curves are not drawn";
}

TEST_F(CliPlotTest, SvgHistogramAndFrameWindow)
{
    const std::string svg = dir + "/pst.svg";
    ASSERT_EQ(Run({dir + "/f.qel", "--phase", "1", "--quantity", "8", "--cumulative", "--out", svg}), CLI_OK);
    std::ifstream in(svg);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_NE(ss.str().find("<svg"), std::string::npos);
    EXPECT_NE(ss.str().find("Cumulative histogram:   1 Pst   Logging file: f.qel"), std::string::npos);
    EXPECT_DOUBLE_EQ(G().plots.at(0).y.back(), 100.0);

    Reset();
    ASSERT_EQ(Run({dir + "/h.qel", "--phase", "1", "--quantity", "42", "--frames", "10:19", "--out", dir + "/i.png"}),
              CLI_OK);
    EXPECT_EQ(G().plots.at(0).x.front(), 10.0);
    EXPECT_EQ(G().plots.at(0).x.back(), 19.0);
    int first = 0, last = 0;
    GetPlotFrameWindow(&first, &last);
    EXPECT_EQ(last, -1);   // the window applies to this picture only
}
#endif

TEST_F(CliPlotTest, RefusalsAndUsageErrors)
{
    const std::string h = dir + "/h.qel", out = dir + "/x.png";
    EXPECT_EQ(Run({h, "--phase", "1", "--quantity", "3"}), CLI_USAGE);                            // no --out
    EXPECT_EQ(Run({h, "--phase", "1", "--quantity", "3", "--out", dir + "/x.jpg"}), CLI_USAGE);
    EXPECT_EQ(Run({h, "--phase", "4", "--quantity", "3", "--out", out}), CLI_USAGE);
    EXPECT_EQ(Run({h, "--phase", "1", "--quantity", "3", "--histogram", "--correlation", "--out", out}), CLI_USAGE);
    EXPECT_EQ(Run({h, "--phase", "1", "--quantity", "3", "--frames", "9:2", "--out", out}), CLI_USAGE);
    EXPECT_EQ(Run({h, "--phase", "1", "--quantity", "3", "--bogus", "--out", out}), CLI_USAGE);
    EXPECT_EQ(Run({dir + "/none.qel", "--list"}), CLI_FAILED);
#ifdef ORIVAN_HAVE_GRAPH_PAINTER
    EXPECT_EQ(Run({h, "--phase", "1", "--quantity", "58", "--out", out}), CLI_FAILED);       // no such quantity
    Reset();
    EXPECT_EQ(Run({h, "--phase", "1", "--quantity", "54", "--out", out}), CLI_FAILED);       // inputs were off
    Reset();
    EXPECT_EQ(Run({dir + "/f.qel", "--phase", "2", "--quantity", "8", "--out", out}), CLI_FAILED);   // one phase
    Reset();
    EXPECT_EQ(Run({dir + "/f.qel", "--phase", "1", "--quantity", "8", "--percent", "--out", out}), CLI_FAILED);
    Reset();
    EXPECT_EQ(Run({h, "--phase", "1", "--quantity", "3", "--frames", "300:400", "--out", out}), CLI_FAILED);
    EXPECT_FALSE(FileExists(out.c_str(), nullptr));
#endif
}

}  // namespace
