// Toolkit API: list items of rings and list boxes, text boxes.
#include "platform/ui/core_internal.h"

using namespace ui;
using namespace ui::core;

// ---- lists ----------------------------------------------------------------------------------

int ClearListCtrl(int panel, int control)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    c->items.clear();
    c->index = -1;
    Changed(panel, *c);
    return 0;
}

static int InsertItem(int panel, int control, int index, const char* label, Value v)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < -1 || index > int(c->items.size())) return UIE_IndexOutOfRange;
    size_t at = index == -1 ? c->items.size() : size_t(index);
    c->items.insert(c->items.begin() + long(at), Item{label ? label : "", std::move(v)});
    if (c->index < 0) c->index = 0;
    else if (int(at) <= c->index && c->items.size() > 1) ++c->index;
    Changed(panel, *c);
    return 0;
}

int InsertListItemInt(int panel, int control, int index, const char* label, long long value)
{ return InsertItem(panel, control, index, label, Value::ofInt(value)); }
int InsertListItemDouble(int panel, int control, int index, const char* label, double value)
{ return InsertItem(panel, control, index, label, Value::ofReal(value)); }
int InsertListItemStr(int panel, int control, int index, const char* label, const char* value)
{ return InsertItem(panel, control, index, label, Value::ofStr(value ? value : "")); }

int ReplaceListItem(int panel, int control, int index, const char* label, double value)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(c->items.size())) return UIE_IndexOutOfRange;
    auto& it = c->items[size_t(index)];
    it.label = label ? label : "";
    // An integer item stays integer while the new value is one that fits.
    const bool integer = value == std::floor(value) && std::fabs(value) < 9223372036854775808.0;
    it.value = it.value.type == Value::Int && integer ? Value::ofInt((long long)value) : Value::ofReal(value);
    Changed(panel, *c);
    return 0;
}

int DeleteListItem(int panel, int control, int index, int count)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    int n = int(c->items.size());
    if (index < 0 || index >= n) return UIE_IndexOutOfRange;
    if (count < 0 || index + count > n) count = n - index;
    c->items.erase(c->items.begin() + index, c->items.begin() + index + count);
    if (c->index >= index + count) c->index -= count;
    else if (c->index >= index) c->index = c->items.empty() ? -1 : std::min(index, int(c->items.size()) - 1);
    Changed(panel, *c);
    return 0;
}

int GetNumListItems(int panel, int control, int* count)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    *count = int(c->items.size());
    return 0;
}

int GetLabelFromIndex(int panel, int control, int index, std::string* label)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(c->items.size())) return UIE_IndexOutOfRange;
    *label = c->items[size_t(index)].label;
    return 0;
}

int GetLabelFromIndexStr(int panel, int control, int index, char* buf, size_t size)
{
    std::string s;
    int r = GetLabelFromIndex(panel, control, index, &s);
    if (r < 0) return r;
    return CopyToBuffer(s, buf, size);
}

static int ItemAt(int panel, int control, int index, const Item** it)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(c->items.size())) return UIE_IndexOutOfRange;
    *it = &c->items[size_t(index)];
    return 0;
}

int GetValueFromIndex(int panel, int control, int index, int* value)
{
    const Item* it;
    int r = ItemAt(panel, control, index, &it);
    if (r < 0) return r;
    if (!it->value.numeric() || !ToInt(it->value.num(), value)) return UIE_OperationNotAllowed;
    return 0;
}

int GetValueFromIndex(int panel, int control, int index, double* value)
{
    const Item* it;
    int r = ItemAt(panel, control, index, &it);
    if (r < 0) return r;
    if (!it->value.numeric()) return UIE_OperationNotAllowed;
    *value = it->value.num();
    return 0;
}

int GetValueFromIndex(int panel, int control, int index, std::string* value)
{
    const Item* it;
    int r = ItemAt(panel, control, index, &it);
    if (r < 0) return r;
    *value = it->value.text();
    return 0;
}

int GetIndexFromValue(int panel, int control, int* index, double value)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    for (size_t i = 0; i < c->items.size(); ++i)
        if (SameValue(c->items[i].value, value)) { *index = int(i); return 0; }
    *index = -1;
    return UIE_ItemNotFound;
}

int GetIndexFromValueStr(int panel, int control, int* index, const char* value)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    for (size_t i = 0; i < c->items.size(); ++i)
        if (c->items[i].value.type == Value::Str && c->items[i].value.s == (value ? value : "")) { *index = int(i); return 0; }
    *index = -1;
    return UIE_ItemNotFound;
}

int IsListItemChecked(int panel, int control, int index, int* checked)
{
    const Item* it;
    int r = ItemAt(panel, control, index, &it);
    if (r < 0) return r;
    *checked = it->checked;
    return 0;
}

int CheckListItem(int panel, int control, int index, int checked)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(c->items.size())) return UIE_IndexOutOfRange;
    c->items[size_t(index)].checked = checked != 0;
    Changed(panel, *c);
    return 0;
}

// ---- text boxes -------------------------------------------------------------------------------

#define TEXTBOX_OR_FAIL(panel, control)  \
    CTRL_OR_FAIL(panel, control);        \
    if (c->kind != Kind::TextBox) return UIE_OperationNotAllowed;

int ResetTextBox(int panel, int control, const char* text)
{
    TEXTBOX_OR_FAIL(panel, control);
    c->lines = SplitLines(text ? text : "");
    Changed(panel, *c);
    return 0;
}

int InsertTextBoxLine(int panel, int control, int index, const char* text)
{
    TEXTBOX_OR_FAIL(panel, control);
    if (index < -1 || index > int(c->lines.size())) return UIE_IndexOutOfRange;
    std::vector<std::string> add = SplitLines(text ? text : "");
    if (add.empty()) add.push_back("");
    size_t at = index == -1 ? c->lines.size() : size_t(index);
    c->lines.insert(c->lines.begin() + long(at), add.begin(), add.end());
    Changed(panel, *c);
    return 0;
}

int ReplaceTextBoxLine(int panel, int control, int index, const char* text)
{
    TEXTBOX_OR_FAIL(panel, control);
    if (index < 0 || index >= int(c->lines.size())) return UIE_IndexOutOfRange;
    c->lines[size_t(index)] = text ? text : "";
    Changed(panel, *c);
    return 0;
}

int DeleteTextBoxLine(int panel, int control, int index)
{
    TEXTBOX_OR_FAIL(panel, control);
    if (index < 0 || index >= int(c->lines.size())) return UIE_IndexOutOfRange;
    c->lines.erase(c->lines.begin() + index);
    Changed(panel, *c);
    return 0;
}

int GetTextBoxLine(int panel, int control, int index, std::string* text)
{
    TEXTBOX_OR_FAIL(panel, control);
    if (index < 0 || index >= int(c->lines.size())) return UIE_IndexOutOfRange;
    *text = c->lines[size_t(index)];
    return 0;
}

int GetTextBoxLineStr(int panel, int control, int index, char* buf, size_t size)
{
    std::string s;
    int r = GetTextBoxLine(panel, control, index, &s);
    if (r < 0) return r;
    return CopyToBuffer(s, buf, size);
}

int GetNumTextBoxLines(int panel, int control, int* count)
{
    TEXTBOX_OR_FAIL(panel, control);
    *count = int(c->lines.size());
    return 0;
}
