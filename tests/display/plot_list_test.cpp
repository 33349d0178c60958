// The plot selection: quantity lists and codes of both run kinds, the plot
// list with its refusals, and the kind of run taken from the frame lists.
#include "display_fixture.h"

using namespace dt;

namespace {

using PlotListTest = DisplayTest;

std::vector<std::string> Labels(int panel, int control)
{
    int n = 0;
    GetNumListItems(panel, control, &n);
    std::vector<std::string> v;
    for (int i = 0; i < n; ++i) {
        std::string s;
        GetLabelFromIndex(panel, control, i, &s);
        v.push_back(s);
    }
    return v;
}

TEST_F(PlotListTest, HarmonicRunListsFiftyEightQuantitiesAndCodesStepByFiftyEight)
{
    LoadHarmonic(3, 3, {}, [](Para& p) {
        p.h_standard = 4;
        CopyFixed(p.ai_name[2], "Torque");
    });
    EXPECT_EQ(Labels(diagnos, DIAGNOS_PHASELIST), (std::vector<std::string>{"1", "2", "3"}));
    auto q = Labels(diagnos, DIAGNOS_QUANTITY);
    ASSERT_EQ(q.size(), 58u);
    EXPECT_EQ(q[0], "HCurr(0)");
    EXPECT_EQ(q[40], "HCurr(40)");
    EXPECT_EQ(q[41], "U");
    EXPECT_EQ(q[49], "ITHD");
    EXPECT_EQ(q[51], "Pwhd");
    EXPECT_EQ(q[53], "Iover");
    EXPECT_EQ(q[56], "Torque");

    EXPECT_EQ(InsertPlot(2, 3), 119);
    EXPECT_EQ(InsertPlot(1, HQ_U), 99);
    EXPECT_EQ(Labels(diagnos, DIAGNOS_PLOTLIST), (std::vector<std::string>{"3 HCurr(3)", "2 U"}));
    EXPECT_EQ(Labels(diagnos, DIAGNOS_OPERAND1), Labels(diagnos, DIAGNOS_PLOTLIST));
    EXPECT_EQ(Labels(diagnos, DIAGNOS_OPERAND2), Labels(diagnos, DIAGNOS_PLOTLIST));
    EXPECT_EQ(PlotListCode(1), 99);
    int sel = -1;
    GetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, &sel);
    EXPECT_EQ(sel, 1);   // the new line is selected

    PlotCode c;
    ASSERT_TRUE(DecodePlotCode(RUN_HARMONIC, 119, &c));
    EXPECT_EQ(c.phase, 2);
    EXPECT_EQ(c.quantity, 3);
    EXPECT_FALSE(DecodePlotCode(RUN_HARMONIC, 3 * 58, &c));
    EXPECT_EQ(QuantityLabel(RUN_HARMONIC, 5, 0, true), "Iharm,%");
    EXPECT_EQ(QuantityLabel(RUN_HARMONIC, HQ_ITHD, 0, false), "THD(I)%");
    EXPECT_EQ(HistogramLabel(RUN_HARMONIC, 5, 0), "A");
}

TEST_F(PlotListTest, FlickerRunListsFifteenQuantitiesAndCodesStepByFifty)
{
    LoadFlicker(4, 3, {}, [](Para& p) { DefaultAnalogInputs(p); });
    auto q = Labels(diagnos, DIAGNOS_QUANTITY);
    ASSERT_EQ(q.size(), 15u);
    EXPECT_EQ(q[0], "Pmom");
    EXPECT_EQ(q[8], "Pst");
    EXPECT_EQ(q[11], "Ch 1");   // the default input names
    EXPECT_EQ(InsertPlot(2, FQ_PST), 108);
    EXPECT_EQ(InsertPlot(1, FQ_PMOM), 50);
    EXPECT_EQ(QuantityLabel(RUN_FLICKER, FQ_PMOM, 0, false), "pu");
    EXPECT_EQ(QuantityLabel(RUN_FLICKER, FQ_PMOM, 1, false), "p.u");
    EXPECT_EQ(QuantityLabel(RUN_FLICKER, FQ_PST, 0, false), "p.u.");
}

TEST_F(PlotListTest, InsertRefusesInputsThatWereOffAndClassQuantitiesOfTheOldEdition)
{
    LoadHarmonic(2, 3, {}, [](Para& p) {
        p.h_standard = 1;
        p.ai_on[0] = 1;
        p.ai_on[1] = 0;
    });
    EXPECT_EQ(InsertPlot(1, HQ_AI1), PLOT_REFUSED_INPUT_OFF);
    EXPECT_EQ(InsertPlot(1, HQ_ITHC), PLOT_REFUSED_STANDARD);
    EXPECT_EQ(InsertPlot(0, HQ_IPOH), PLOT_REFUSED_STANDARD);
    EXPECT_EQ(PlotListCount(), 0);
    EXPECT_EQ(InsertPlot(0, HQ_AI4), HQ_AI4);
    EXPECT_EQ(PlotListCount(), 1);

    // through the button: a refusal changes nothing, not even the kind selector
    ui::UserSetValue(diagnos, DIAGNOS_VIEWMODE, 0);
    SetCtrlIndex(diagnos, DIAGNOS_PHASELIST, 1);
    SetCtrlIndex(diagnos, DIAGNOS_QUANTITY, HQ_AI2);
    ui::Commit(diagnos, DIAGNOS_INSERT);
    EXPECT_EQ(PlotListCount(), 1);
    SetCtrlIndex(diagnos, DIAGNOS_QUANTITY, HQ_U);
    ui::Commit(diagnos, DIAGNOS_INSERT);
    ui::Commit(diagnos, DIAGNOS_INSERT);   // the same code again: still one line
    EXPECT_EQ(PlotListCount(), 2);
    EXPECT_EQ(Dimmed(DIAGNOS_KIND), 0);
    EXPECT_FALSE(G().plots.empty());
}

TEST_F(PlotListTest, FlickerInputsOfAPhaseWithInputsOffAreRefused)
{
    LoadFlicker(3, 1, {}, [](Para& p) { p.ai_on[0] = 0; });
    EXPECT_EQ(InsertPlot(0, FQ_AI1), PLOT_REFUSED_INPUT_OFF);
    EXPECT_EQ(InsertPlot(0, FQ_U), FQ_U);
    EXPECT_EQ(InsertPlot(1, FQ_U), PLOT_REFUSED_NO_RUN);   // a one-phase run has no L2
}

TEST_F(PlotListTest, DeletingTheLastLineEmptiesTheGraphAndResetsTheKind)
{
    LoadHarmonic(5, 1);
    PlotView({HQ_U, HQ_I});
    SetCtrlVal(diagnos, DIAGNOS_KIND, PLOT_HISTOGRAM);
    SetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, 1);
    ui::Commit(diagnos, DIAGNOS_DELETE);
    EXPECT_EQ(PlotListCount(), 1);
    EXPECT_EQ(PlotListCode(0), HQ_U);
    int n = 0;
    GetNumListItems(diagnos, DIAGNOS_OPERAND2, &n);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(G().plots.size(), 1u);   // redrawn as histogram of the remaining line
    ui::Commit(diagnos, DIAGNOS_DELETE);
    EXPECT_EQ(PlotListCount(), 0);
    EXPECT_TRUE(G().plots.empty());
    EXPECT_EQ(CurrentPlotKind(), PLOT_TIME);
    for (int c : {DIAGNOS_KIND, DIAGNOS_OPERAND1, DIAGNOS_OPERAND2, DIAGNOS_OPERATION}) EXPECT_EQ(Dimmed(c), 1) << c;
    EXPECT_EQ(Text(DIAGNOS_MIN), "");
    EXPECT_EQ(Title(), "");
}

TEST_F(PlotListTest, RunKindComesFromTheFrameListsNotFromChangedSettings)
{
    LoadFlicker(5, 1);
    PlotView({FQ_PST});
    para.test_kind = 0;   // the settings page changed after the load
    para.fl_periods = 999;
    EXPECT_EQ(LoadedRunKind(), RUN_FLICKER);
    RedrawPlotList(PLOT_TIME);
    ASSERT_EQ(PlotsOf(PLOT_COLOR).size(), 1u);
    EXPECT_EQ(PlotsOf(PLOT_COLOR)[0]->y.size(), 4u * 32);   // flicker frames, read as such
    EXPECT_EQ(RunPara().fl_periods, 12);
    // a harmonic code is never drawn from flicker records
    DeleteGraphPlot(diagnos, DIAGNOS_GRAPH, -1, 1);
    DrawHPlot(HQ_U, 1);
    EXPECT_TRUE(G().plots.empty());

    // the next load of the other kind empties the plot list
    LoadHarmonic(3, 1);
    EXPECT_EQ(PlotListCount(), 0);
    EXPECT_EQ(LoadedRunKind(), RUN_HARMONIC);
}

}  // namespace
