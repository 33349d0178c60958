// Dates in words, the frame table, the result tables of the results panel
// and the graph titles.
#include "tests/reports/report_fixture.h"

#include "panel_ids.h"
#include "reports/protocol_data.h"
#include "reports/result_tables.h"

using namespace rt;

namespace {

std::string Line(int panel, int control, int index)
{
    std::string s;
    GetTextBoxLine(panel, control, index, &s);
    return s;
}

std::string CellText(int panel, int control, int column, int row)
{
    std::string s;
    GetTableCellVal(panel, control, MakePoint(column, row), &s);
    return s;
}

int CellColour(int panel, int control, int column, int row)
{
    int v = -1;
    GetTableCellAttribute(panel, control, MakePoint(column, row), ATTR_TEXT_BGCOLOR, &v);
    return v;
}

}  // namespace

TEST(Date2Asc, MonthNamesAndMonthsOutsideTheYear)
{
    std::string s;
    EXPECT_EQ(Date2Asc(7, 12, 2026, &s), 0);
    EXPECT_EQ(s, "07. December 2026");
    Date2Asc(31, 1, 999, &s);
    EXPECT_EQ(s, "31. January 0999");
    Date2Asc(3, 0, 2026, &s);
    EXPECT_EQ(s, "03. 2026");
    Date2Asc(3, 13, 2026, &s);
    EXPECT_EQ(s, "03. 2026");
}

using ResultTables = ReportTest;

TEST_F(ResultTables, FrameTableLinesMarksAndAZeroLimit)
{
    HarmFrame f{};
    for (int n = 0; n < ORDERS; ++n) {
        f.hiam[n] = 0.5f + 0.25f * float(n);
        f.limit[n] = 2.0f;
    }
    f.limit[0] = NoLimit();
    f.limit[4] = 0.0f;   // a limit of exactly 0: the ratio column shows the limit
    SetOrderMaskWords(f.hiov, OrderBit(2) | OrderBit(3));        // "?"
    SetOrderMaskWords(f.hiov + 2, OrderBit(3) | OrderBit(33));   // "!" wins
    ASSERT_EQ(createTable(diagnos, DIAGNOS_FRAMETABLE, f, 40), 0);
    int lines = 0;
    GetNumTextBoxLines(diagnos, DIAGNOS_FRAMETABLE, &lines);
    EXPECT_EQ(lines, 43);
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 0), " n   I(n)    Limit(n)    I/Limit,%");
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 1), "----------------------------------");
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 2), " 0  0.50000      NaN");
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 3), " 1  0.75000   2.00000   37.50");
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 4), " 2  1.00000?  2.00000   50.00");
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 5), " 3  1.25000!  2.00000   62.50");
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 6), " 4  1.50000   0.00000   0.00");
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 33), "31  8.25000   2.00000   412.50");
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 34), "32  8.50000    2.00000    425.00");
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 35), "33  8.75000!   2.00000    437.50");
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 42), "40 10.50000    2.00000    525.00");

    // A highest order of 31 or less writes only those orders.
    createTable(diagnos, DIAGNOS_FRAMETABLE, f, 5);
    GetNumTextBoxLines(diagnos, DIAGNOS_FRAMETABLE, &lines);
    EXPECT_EQ(lines, 8);
    EXPECT_EQ(Line(diagnos, DIAGNOS_FRAMETABLE, 7), " 5  1.75000   2.00000   87.50");
}

TEST_F(ResultTables, HarmonicResultTableOfEachPhase)
{
    const std::string path = Path("harm3.qel");
    WriteHarmonic(path, RunPara(0, 3, path), 5);
    Load(path);   // fills the three tables through the loading
    int rows = 0, columns = 0;
    GetNumTableRows(results, RESULTS_TABLE2, &rows);
    GetNumTableColumns(results, RESULTS_TABLE2, &columns);
    EXPECT_EQ(rows, 41);
    EXPECT_EQ(columns, 6);
    std::string label;
    GetCtrlAttribute(results, RESULTS_TABLE2, ATTR_LABEL_TEXT, &label);
    EXPECT_EQ(label, "Results of harmonics testing");
    // Order 3 of phase 2: average 0.15 A, fluctuation 12.5 %, largest ratio
    // over the frames 100 * 0.45 / 3 * 1.4 / (1/3) = 63 %, current flag set.
    EXPECT_EQ(CellText(results, RESULTS_TABLE2, 1, 4), "0.1500");
    EXPECT_EQ(CellText(results, RESULTS_TABLE2, 2, 4), "12.50");
    EXPECT_EQ(CellText(results, RESULTS_TABLE2, 3, 4), "63.00");
    EXPECT_EQ(CellText(results, RESULTS_TABLE2, 4, 4), "fail");
    EXPECT_EQ(CellColour(results, RESULTS_TABLE2, 4, 4), VAL_RED);
    EXPECT_EQ(CellText(results, RESULTS_TABLE2, 5, 4), "1.750");
    EXPECT_EQ(CellText(results, RESULTS_TABLE2, 6, 4), "");
    EXPECT_EQ(CellColour(results, RESULTS_TABLE2, 6, 4), VAL_WHITE);
    EXPECT_EQ(CellText(results, RESULTS_TABLE2, 6, 6), "fail");   // voltage flag of order 5
    // Order 1 has no limit: the ratio empty; the fluctuation is empty only
    // for a maximum of at most 0.000001, which a missing one is not.
    EXPECT_EQ(CellText(results, RESULTS_TABLE1, 3, 2), "");
    EXPECT_EQ(CellText(results, RESULTS_TABLE1, 2, 2), "0.00");
    // An order whose largest ratio is 0: no fluctuation shown.
    max[0][7] = 0.0f;
    createTableResultNew(results, RESULTS_TABLE1, buf_result[0], 40, 0);
    EXPECT_EQ(CellText(results, RESULTS_TABLE1, 2, 8), "");
    EXPECT_EQ(CellText(results, RESULTS_TABLE1, 3, 8), "0.00");
}

TEST_F(ResultTables, En61000_3_12ClearsTheFluctuationColumn)
{
    const std::string path = Path("harm12.qel");
    Para p = RunPara(0, 1, path);
    p.h_standard = 4;
    p.h_class = 11;
    p.rsce = 33;
    WriteHarmonic(path, p, 3);
    Load(path);
    EXPECT_EQ(CellText(results, RESULTS_TABLE1, 2, 4), "");
    EXPECT_EQ(CellText(results, RESULTS_TABLE1, 4, 4), "fail");
    EXPECT_EQ(CellText(results, RESULTS_TABLE1, 3, 4), "48.00");
}

TEST_F(ResultTables, FlickerTableOneRowPerPeriodPltOnlyInTheLast)
{
    const std::string path = Path("flk.qel");
    Para p = RunPara(1, 1, path);
    p.fl_periods = 3;
    WriteFlicker(path, p, FlickerEntries(p));
    Load(path);
    int rows = 0;
    GetNumTableRows(results, RESULTS_TABLE1, &rows);
    ASSERT_EQ(rows, 4);   // three periods and the end row
    std::string label;
    GetCtrlAttribute(results, RESULTS_TABLE1, ATTR_LABEL_TEXT, &label);
    EXPECT_EQ(label, "Results of flicker testing");
    for (int r = 1; r <= 3; ++r) {
        EXPECT_EQ(CellText(results, RESULTS_TABLE1, 1, r), F("%.4f", PeriodPst(r, 0))) << r;
        EXPECT_EQ(CellText(results, RESULTS_TABLE1, 2, r), r == 3 ? "0.6300" : "") << r;
    }
    // Pst 0.875 of period 3 is within 1.0; Plt 0.63 within 0.65.
    EXPECT_EQ(CellColour(results, RESULTS_TABLE1, 1, 3), VAL_WHITE);
    EXPECT_EQ(CellText(results, RESULTS_TABLE1, 1, 4), "");
}

TEST_F(ResultTables, FlickerTableWithoutACompletedPeriodHasOnlyTheEndRow)
{
    const std::string path = Path("short.qel");
    Para p = RunPara(1, 1, path);
    p.user_stopped = 1;
    WriteFlicker(path, p, FlickerEntries(p, 0, 40));
    Load(path);
    int rows = 0;
    GetNumTableRows(results, RESULTS_TABLE1, &rows);
    EXPECT_EQ(rows, 1);
}

TEST_F(ResultTables, DmaxTableOfTheSwitchingProcedure)
{
    const std::string path = Path("dmax.qel");
    Para p = RunPara(1, 1, path);
    p.switching = 1;
    p.fl_periods = 4;
    p.dmax_limit = 2.2f;
    WriteFlicker(path, p, FlickerEntries(p));
    Load(path);
    std::string label;
    GetCtrlAttribute(results, RESULTS_TABLE1, ATTR_LABEL_TEXT, &label);
    EXPECT_EQ(label, "Results of dmax testing");
    int rows = 0, columns = 0;
    GetNumTableRows(results, RESULTS_TABLE1, &rows);
    GetNumTableColumns(results, RESULTS_TABLE1, &columns);
    EXPECT_EQ(columns, 1);
    // One row per period end (the last second of each period).
    ASSERT_EQ(rows, 5);
    // The last second of period 1 still shows the dmax of no completed period;
    // of period 2 the dmax of period 1 (1.5 %), within 2.2 %; then 2.0 and 2.5 %.
    EXPECT_EQ(CellText(results, RESULTS_TABLE1, 1, 2), "1.5000");
    EXPECT_EQ(CellColour(results, RESULTS_TABLE1, 1, 2), VAL_WHITE);
    EXPECT_EQ(CellText(results, RESULTS_TABLE1, 1, 4), "2.5000");
    EXPECT_EQ(CellColour(results, RESULTS_TABLE1, 1, 4), VAL_RED);
}

TEST_F(ResultTables, GraphTitles)
{
    const std::string path = Path("titles.qel");
    WriteHarmonic(path, RunPara(0, 1, path), 4);
    Load(path);
    my_dummy = 3;
    SetCtrlVal(diagnos, DIAGNOS_FRAME, 2);
    ASSERT_EQ(PlotTextOfGraph(diagnos, DIAGNOS_GRAPH), 0);
    std::string title;
    GetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, &title);
    EXPECT_EQ(title, "Harmonics of phase  L1    Frame 2. Logging file: titles.qel");

    // The plot view keeps the title while the plot list is empty.
    my_dummy = 4;
    ClearListCtrl(diagnos, DIAGNOS_PLOTLIST);
    PlotTextOfGraph(diagnos, DIAGNOS_GRAPH);
    GetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, &title);
    EXPECT_EQ(title, "Harmonics of phase  L1    Frame 2. Logging file: titles.qel");
    InsertListItem(diagnos, DIAGNOS_PLOTLIST, -1, "1 U", 41);
    InsertListItem(diagnos, DIAGNOS_PLOTLIST, -1, "2 U", 99);
    SetCtrlVal(diagnos, DIAGNOS_KIND, 0);
    PlotTextOfGraph(diagnos, DIAGNOS_GRAPH);
    GetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, &title);
    EXPECT_EQ(title, "Time curve:   1 U,  2 U   Logging file: titles.qel");
    SetCtrlVal(diagnos, DIAGNOS_KIND, 3);   // correlation: the one line drawn, the selected one
    SetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, 1);
    PlotTextOfGraph(diagnos, DIAGNOS_GRAPH);
    GetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, &title);
    EXPECT_EQ(title, "Correlation:   2 U   Logging file: titles.qel");
}

TEST_F(ResultTables, FlickerGraphTitle)
{
    const std::string path = Path("flktitle.qel");
    Para p = RunPara(1, 1, path);
    WriteFlicker(path, p, FlickerEntries(p));
    Load(path);
    my_dummy = 3;
    PlotTextOfGraph(diagnos, DIAGNOS_GRAPH);
    std::string title;
    GetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, &title);
    EXPECT_EQ(title, "Pst of phase  L1. Logging file: flktitle.qel");
}
