// Toolkit API: tables.
#include "platform/ui/core_internal.h"

using namespace ui;
using namespace ui::core;

// ---- tables ------------------------------------------------------------------------------------

#define TABLE_OR_FAIL(panel, control)  \
    CTRL_OR_FAIL(panel, control);      \
    if (c->kind != Kind::Table) return UIE_OperationNotAllowed;

static int Columns(const Control* c) { return int(c->columnLabels.size()); }

int InsertTableRows(int panel, int control, int index, int count, int cellType)
{
    TABLE_OR_FAIL(panel, control);
    int rows = int(c->cells.size());
    if (index == -1) index = rows + 1;
    if (index < 1 || index > rows + 1 || count < 0) return UIE_IndexOutOfRange;
    std::vector<Cell> row(size_t(Columns(c)));
    for (auto& cell : row) cell.type = cellType;
    c->cells.insert(c->cells.begin() + (index - 1), size_t(count), row);
    c->rowLabels.insert(c->rowLabels.begin() + (index - 1), size_t(count), std::string());
    Changed(panel, *c);
    return 0;
}

int DeleteTableRows(int panel, int control, int index, int count)
{
    TABLE_OR_FAIL(panel, control);
    int rows = int(c->cells.size());
    if (rows == 0 && count == -1) return 0;
    if (index < 1 || index > rows) return UIE_IndexOutOfRange;
    if (count < 0 || index - 1 + count > rows) count = rows - index + 1;
    c->cells.erase(c->cells.begin() + (index - 1), c->cells.begin() + (index - 1 + count));
    c->rowLabels.erase(c->rowLabels.begin() + (index - 1), c->rowLabels.begin() + (index - 1 + count));
    Changed(panel, *c);
    return 0;
}

int InsertTableColumns(int panel, int control, int index, int count, int cellType)
{
    TABLE_OR_FAIL(panel, control);
    int cols = Columns(c);
    if (index == -1) index = cols + 1;
    if (index < 1 || index > cols + 1 || count < 0) return UIE_IndexOutOfRange;
    Cell cell;
    cell.type = cellType;
    for (auto& row : c->cells) row.insert(row.begin() + (index - 1), size_t(count), cell);
    c->columnLabels.insert(c->columnLabels.begin() + (index - 1), size_t(count), std::string());
    Changed(panel, *c);
    return 0;
}

int DeleteTableColumns(int panel, int control, int index, int count)
{
    TABLE_OR_FAIL(panel, control);
    int cols = Columns(c);
    if (cols == 0 && count == -1) return 0;
    if (index < 1 || index > cols) return UIE_IndexOutOfRange;
    if (count < 0 || index - 1 + count > cols) count = cols - index + 1;
    for (auto& row : c->cells) row.erase(row.begin() + (index - 1), row.begin() + (index - 1 + count));
    c->columnLabels.erase(c->columnLabels.begin() + (index - 1), c->columnLabels.begin() + (index - 1 + count));
    Changed(panel, *c);
    return 0;
}

int GetNumTableRows(int panel, int control, int* rows)
{
    TABLE_OR_FAIL(panel, control);
    *rows = int(c->cells.size());
    return 0;
}

int GetNumTableColumns(int panel, int control, int* cols)
{
    TABLE_OR_FAIL(panel, control);
    *cols = Columns(c);
    return 0;
}

static Cell* CellAt(Control* c, Point p)
{
    if (p.y < 1 || p.y > int(c->cells.size()) || p.x < 1 || p.x > Columns(c)) return nullptr;
    return &c->cells[size_t(p.y - 1)][size_t(p.x - 1)];
}

int SetTableCellValStr(int panel, int control, Point cell, const char* v)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    x->value = Value::ofStr(v ? v : "");
    Changed(panel, *c);
    return 0;
}

int SetTableCellValDouble(int panel, int control, Point cell, double v)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    x->value = Value::ofReal(v);
    Changed(panel, *c);
    return 0;
}

int GetTableCellVal(int panel, int control, Point cell, std::string* v)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    *v = x->value.text();
    return 0;
}

int GetTableCellVal(int panel, int control, Point cell, double* v)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    if (!x->value.numeric()) return UIE_OperationNotAllowed;
    *v = x->value.num();
    return 0;
}

int SetTableCellAttribute(int panel, int control, Point cell, int attr, int value)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    x->attrs[attr] = value;
    if (attr == ATTR_CELL_TYPE) x->type = value;
    Changed(panel, *c);
    return 0;
}

int GetTableCellAttribute(int panel, int control, Point cell, int attr, int* value)
{
    TABLE_OR_FAIL(panel, control);
    Cell* x = CellAt(c, cell);
    if (!x) return UIE_IndexOutOfRange;
    auto it = x->attrs.find(attr);
    if (attr == ATTR_CELL_TYPE) *value = x->type;
    else if (it != x->attrs.end()) *value = it->second;
    else if (attr == ATTR_TEXT_BGCOLOR) *value = VAL_WHITE;
    else if (attr == ATTR_TEXT_COLOR) *value = VAL_BLACK;
    else if (attr == ATTR_CELL_DIMMED) *value = 0;
    else return UIE_OperationNotAllowed;
    return 0;
}

int SetTableColumnLabel(int panel, int control, int column, const char* label)
{
    TABLE_OR_FAIL(panel, control);
    if (column < 1 || column > Columns(c)) return UIE_IndexOutOfRange;
    c->columnLabels[size_t(column - 1)] = label ? label : "";
    Changed(panel, *c);
    return 0;
}

int SetTableRowLabel(int panel, int control, int row, const char* label)
{
    TABLE_OR_FAIL(panel, control);
    if (row < 1 || row > int(c->rowLabels.size())) return UIE_IndexOutOfRange;
    c->rowLabels[size_t(row - 1)] = label ? label : "";
    Changed(panel, *c);
    return 0;
}

int SetActiveTableCell(int panel, int control, Point cell)
{
    TABLE_OR_FAIL(panel, control);
    if (!CellAt(c, cell)) return UIE_IndexOutOfRange;
    c->activeCell = cell;
    Changed(panel, *c);
    return 0;
}

int GetActiveTableCell(int panel, int control, Point* cell)
{
    TABLE_OR_FAIL(panel, control);
    *cell = c->activeCell;
    return 0;
}

int SetTableSelection(int panel, int control, Rect r)
{
    TABLE_OR_FAIL(panel, control);
    c->selection = r;
    Changed(panel, *c);
    return 0;
}

int GetTableSelection(int panel, int control, Rect* r)
{
    TABLE_OR_FAIL(panel, control);
    *r = c->selection;
    return 0;
}
