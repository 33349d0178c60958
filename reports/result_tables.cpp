#include "reports/result_tables.h"
#include "state/workmode.h"

#include <string>

#include "panel_ids.h"
#include "platform/lowfile.h"
#include "platform/ui/ui.h"
#include "reports/protocol_data.h"
#include "state/para.h"

namespace {

bool Fails(const int32_t words[2], int order) { return OrderMark(words, order)[0] == '!'; }

void SetCell(int panel, int control, int column, int row, const std::string& text)
{
    SetTableCellValStr(panel, control, MakePoint(column, row), text.c_str());
}

void Mark(int panel, int control, int column, int row, bool fail)
{
    SetCell(panel, control, column, row, fail ? "fail" : "");
    SetTableCellAttribute(panel, control, MakePoint(column, row), ATTR_TEXT_BGCOLOR, fail ? VAL_RED : VAL_WHITE);
}

// Makes the table hold exactly `columns` string columns and no rows.
void ResetTable(int panel, int control, int columns)
{
    DeleteTableRows(panel, control, 1, -1);
    int have = 0;
    GetNumTableColumns(panel, control, &have);
    if (have > columns) DeleteTableColumns(panel, control, columns + 1, -1);
    else if (have < columns) InsertTableColumns(panel, control, -1, columns - have, VAL_CELL_STRING);
}

}  // namespace

int createTable(int panel, int control, HarmFrame record, int highest)
{
    std::string text = " n   I(n)    Limit(n)    I/Limit,%\n----------------------------------";
    const int32_t* first = record.hiov;       // mask words of the "?" mark
    const int32_t* second = record.hiov + 2;  // mask words of the "!" mark
    auto line = [&](int n) {
        const char* mark = Fails(second, n) ? "!" : Fails(first, n) ? "?" : " ";
        const double current = record.hiam[n], limit = record.limit[n];
        text += '\n';
        if (IsNaN(record.limit[n])) {
            Put(text, "%i[w2] %f[p5w8]%s%f[p5w8]", n, current, mark, limit);
            return;
        }
        const double ratio = limit == 0.0 ? limit : 100.0 * current / limit;
        if (n <= 31) Put(text, "%i[w2] %f[p5w8]%s %f[p5w8]   %f[p2]", n, current, mark, limit, ratio);
        else Put(text, "%i[w2] %f[p5w8]%s  %f[p5w8]    %f[p2]", n, current, mark, limit, ratio);
    };
    const int top = highest < 31 ? highest : 31;
    for (int n = 0; n <= top; ++n) line(n);
    if (highest > 31)
        for (int n = 32; n <= MAX_ORDER; ++n) line(n);
    ResetTextBox(panel, control, text.c_str());
    return 0;
}

int createTableResultNew(int panel, int control, HarmResult record, int highest, int phase)
{
    (void)highest;
    if (phase < 0 || phase > 2) return -1;
    SetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, "Results of harmonics testing");
    ResetTable(panel, control, 6);
    InsertTableRows(panel, control, -1, ORDERS, VAL_CELL_STRING);
    static const char* const heads[6] = {"Iaver, A", "fluc, %", "I/Ilim, %", "Iall", "Umax, V", "Uall"};
    for (int k = 0; k < 6; ++k) SetTableColumnLabel(panel, control, k + 1, heads[k]);
    const bool en12 = para.h_class >= 10;
    if (en12) SetTableColumnLabel(panel, control, 2, "");
    for (int n = 0; n < ORDERS; ++n) {
        const int row = n + 1;
        std::string label;
        Put(label, "%i", n);
        SetTableRowLabel(panel, control, row, label.c_str());
        const float ratio = max[phase][n];
        SetCell(panel, control, 1, row, Formatted("%f[p4]", record.hiav[n]));
        if (en12) {
            SetCell(panel, control, 2, row, "");
            SetCell(panel, control, 3, row, IsNaN(ratio) || ratio <= 0.0001f ? "" : Formatted("%f[p2]", ratio));
        } else {
            const float fluct = 100.0f * record.hfmx[n];
            // Empty for no value or an order never loaded; an order without
            // a limit (its maximum not a number) shows its value.
            SetCell(panel, control, 2, row,
                    IsNaN(record.hfmx[n]) || ratio <= 0.000001f ? "" : Formatted("%f[p2]", fluct));
            SetCell(panel, control, 3, row, IsNaN(ratio) ? "" : Formatted("%f[p2]", ratio));
        }
        Mark(panel, control, 4, row, Fails(record.hilt, n));
        SetCell(panel, control, 5, row, Formatted("%f[p3]", record.humx[n]));
        Mark(panel, control, 6, row, Fails(record.hult, n));
    }
    SetActiveTableCell(panel, control, MakePoint(1, 1));
    SetTableSelection(panel, control, VAL_EMPTY_RECT);
    return 0;
}

int createPstTableNew(int panel, int control, int phase)
{
    if (phase < 0 || phase > 2) return -1;
    const bool dmaxOnly = DmaxOnlyTest();
    SetCtrlAttribute(panel, control, ATTR_LABEL_TEXT,
                     dmaxOnly ? "Results of dmax testing" : "Results of flicker testing");
    ResetTable(panel, control, dmaxOnly ? 1 : 2);
    if (dmaxOnly) SetTableColumnLabel(panel, control, 1, "dmax, %");
    else {
        SetTableColumnLabel(panel, control, 1, "Pst, p.u.");
        SetTableColumnLabel(panel, control, 2, "Plt, p.u.");
    }
    auto value = [&](int column, int row, double v, double limit) {
        SetCell(panel, control, column, row, Formatted("%f[p4]", v));
        SetTableCellAttribute(panel, control, MakePoint(column, row), ATTR_TEXT_BGCOLOR,
                              v <= limit ? VAL_WHITE : VAL_RED);
    };
    const std::vector<int> entries = FlickerRowEntries(phase);
    int row = 0;
    for (int k : entries) {
        FlkFrame e{};
        if (!FlickerEntry(phase, k, &e)) continue;
        InsertTableRows(panel, control, -1, 1, VAL_CELL_STRING);
        ++row;
        std::string label;
        Put(label, "%i", row);
        SetTableRowLabel(panel, control, row, label.c_str());
        if (dmaxOnly) {
            value(1, row, e.fldx, para.dmax_limit);
        } else {
            value(1, row, e.flst, 1.0);
            if (row == para.fl_periods) value(2, row, e.fllt, 0.65);
            else SetCell(panel, control, 2, row, "");
        }
    }
    InsertTableRows(panel, control, -1, 1, VAL_CELL_STRING);   // the end row
    SetTableSelection(panel, control, MakeRect(1, 1, row, dmaxOnly ? 1 : 2));
    return 0;
}

int PlotTextOfGraph(int panel, int graph)
{
    std::string title;
    const std::string file = PathFile(FixedText(para.log_file));
    if (my_dummy == 4) {   // the plot view
        int lines = 0;
        if (GetNumListItems(panel, DIAGNOS_PLOTLIST, &lines) < 0 || lines <= 0) return 0;
        int kind = 0, index = 0;
        GetCtrlVal(panel, DIAGNOS_KIND, &kind);
        std::string label;
        // The chosen kind of plot, then its selections.
        if (GetCtrlIndex(panel, DIAGNOS_KIND, &index) >= 0) GetLabelFromIndex(panel, DIAGNOS_KIND, index, &label);
        title = label + ":   ";
        if (kind == 3) {
            // Correlation: the one quantity drawn, the selected line.
            int sel = 0;
            if (GetCtrlIndex(panel, DIAGNOS_PLOTLIST, &sel) < 0 || sel < 0 || sel >= lines) sel = 0;
            GetLabelFromIndex(panel, DIAGNOS_PLOTLIST, sel, &label);
            title += label;
        } else if (kind == 4) {
            std::string a, op, b;
            int ia = 0, io = 0, ib = 0;
            if (GetCtrlIndex(panel, DIAGNOS_OPERAND1, &ia) >= 0) GetLabelFromIndex(panel, DIAGNOS_OPERAND1, ia, &a);
            if (GetCtrlIndex(panel, DIAGNOS_OPERATION, &io) >= 0) GetLabelFromIndex(panel, DIAGNOS_OPERATION, io, &op);
            if (GetCtrlIndex(panel, DIAGNOS_OPERAND2, &ib) >= 0) GetLabelFromIndex(panel, DIAGNOS_OPERAND2, ib, &b);
            title += a + " " + op + " " + b;
        } else {
            for (int i = 0; i < lines; ++i) {
                GetLabelFromIndex(panel, DIAGNOS_PLOTLIST, i, &label);
                title += (i ? ",  " : "") + label;
            }
        }
        title += "   Logging file: ";
    } else {
        std::string phase = "1";
        int index = 0;
        if (GetCtrlIndex(panel, DIAGNOS_PHASE, &index) >= 0) GetLabelFromIndex(panel, DIAGNOS_PHASE, index, &phase);
        if (LoadedTestKind() == 1) {
            // The switching procedure draws dmax bars.
            Put(title, "%s %s", DmaxOnlyTest() ? "dmax of phase " : "Pst of phase ", phase);
        } else {
            int frame = 0;
            GetCtrlVal(panel, DIAGNOS_FRAME, &frame);
            Put(title, "%s %i", "Harmonics of phase " + std::string(" ") + phase + "    Frame", frame);
        }
        title += ". Logging file: ";
    }
    title += file;
    SetCtrlAttribute(panel, graph, ATTR_LABEL_TEXT, title.c_str());
    return 0;
}
