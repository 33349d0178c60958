// Toolkit API: control values and attributes, bitmaps.
#include "platform/ui/core_internal.h"

using namespace ui;
using namespace ui::core;

// ---- values --------------------------------------------------------------------------

int SetCtrlValInt(int panel, int control, long long v)
{
    CTRL_OR_FAIL(panel, control);
    return SetNumber(panel, c, double(v), true, v);
}

int SetCtrlValDouble(int panel, int control, double v)
{
    CTRL_OR_FAIL(panel, control);
    return SetNumber(panel, c, v, false, 0);
}

int SetCtrlValStr(int panel, int control, const char* v)
{
    CTRL_OR_FAIL(panel, control);
    std::string s = v ? v : "";
    switch (c->kind) {
    case Kind::String: {
        int maxLen = c->attrInt(ATTR_MAX_VALUE, 32767);
        if (maxLen > 0 && int(s.size()) > maxLen) s.resize(size_t(maxLen));
        c->value = Value::ofStr(s);
        break;
    }
    case Kind::TextMsg: case Kind::Picture: case Kind::Deco: case Kind::Command: case Kind::Toggle:
        if (c->kind == Kind::Command || c->kind == Kind::Toggle) c->attrs[ATTR_LABEL_TEXT] = Value::ofStr(s);
        else c->value = Value::ofStr(s);
        break;
    case Kind::TextBox:
        // Setting a text box appends the text, as the toolkit does.
        if (c->lines.empty()) c->lines.push_back("");
        for (char ch : s) {
            if (ch == '\n') c->lines.push_back("");
            else c->lines.back() += ch;
        }
        break;
    case Kind::Ring: case Kind::ListBox:
        for (size_t i = 0; i < c->items.size(); ++i)
            if (c->items[i].value.type == Value::Str && c->items[i].value.s == s) { c->index = int(i); Changed(panel, *c); return 0; }
        return UIE_ItemNotFound;
    default:
        return UIE_OperationNotAllowed;
    }
    Changed(panel, *c);
    return 0;
}

static int GetNum(Control* c, double* out)
{
    switch (c->kind) {
    case Kind::Numeric: case Kind::Slide: case Kind::CheckBox: case Kind::Toggle: case Kind::Led:
    case Kind::Command:
        *out = c->value.num();
        return 0;
    case Kind::Ring: case Kind::ListBox:
        if (c->index < 0 || c->index >= int(c->items.size())) return UIE_IndexOutOfRange;
        if (!c->items[size_t(c->index)].value.numeric()) return UIE_OperationNotAllowed;
        *out = c->items[size_t(c->index)].value.num();
        return 0;
    default:
        return UIE_OperationNotAllowed;
    }
}

int GetCtrlVal(int panel, int control, int* v)
{
    CTRL_OR_FAIL(panel, control);
    double d;
    int r = GetNum(c, &d);
    if (r == 0 && !ToInt(d, v)) return UIE_OperationNotAllowed;
    return r;
}

int GetCtrlVal(int panel, int control, double* v)
{
    CTRL_OR_FAIL(panel, control);
    return GetNum(c, v);
}

int GetCtrlVal(int panel, int control, float* v)
{
    CTRL_OR_FAIL(panel, control);
    double d;
    int r = GetNum(c, &d);
    if (r == 0) *v = float(d);
    return r;
}

int GetCtrlVal(int panel, int control, std::string* v)
{
    CTRL_OR_FAIL(panel, control);
    switch (c->kind) {
    case Kind::String: case Kind::TextMsg: case Kind::Picture: case Kind::Deco:
        *v = c->value.s;
        return 0;
    case Kind::TextBox: {
        v->clear();
        for (size_t i = 0; i < c->lines.size(); ++i) *v += (i ? "\n" : "") + c->lines[i];
        return 0;
    }
    case Kind::Ring: case Kind::ListBox:
        if (c->index < 0 || c->index >= int(c->items.size())) return UIE_IndexOutOfRange;
        if (c->items[size_t(c->index)].value.type != Value::Str) return UIE_OperationNotAllowed;
        *v = c->items[size_t(c->index)].value.s;
        return 0;
    default:
        return UIE_OperationNotAllowed;
    }
}


int GetCtrlValStr(int panel, int control, char* buf, size_t size)
{
    std::string s;
    int r = GetCtrlVal(panel, control, &s);
    if (r < 0) return r;
    return CopyToBuffer(s, buf, size);
}

int DefaultCtrl(int panel, int control)
{
    CTRL_OR_FAIL(panel, control);
    switch (c->kind) {
    case Kind::Ring:
        c->index = c->defIndex;
        if (c->index >= int(c->items.size())) c->index = c->items.empty() ? -1 : 0;
        break;
    case Kind::ListBox:
        c->items = c->defItems;
        c->index = c->defIndex;
        break;
    case Kind::TextBox:
        c->lines = c->defLines;
        break;
    case Kind::Table:
        for (auto& row : c->cells)
            for (auto& cell : row) cell.value = Value{};
        break;
    case Kind::Graph: case Kind::Timer: case Kind::Tab:
        return 0;
    default:
        c->value = c->defValue;
        break;
    }
    Changed(panel, *c);
    return 0;
}

int SetCtrlIndex(int panel, int control, int index)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    if (index < 0 || index >= int(c->items.size())) return UIE_IndexOutOfRange;
    c->index = index;
    Changed(panel, *c);
    return 0;
}

int GetCtrlIndex(int panel, int control, int* index)
{
    CTRL_OR_FAIL(panel, control);
    if (!HasItems(c)) return UIE_OperationNotAllowed;
    *index = c->index;
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attr, int value)
{
    CTRL_OR_FAIL(panel, control);
    switch (attr) {
    case ATTR_INTERVAL:
        return SetCtrlAttribute(panel, control, attr, double(value));
    case ATTR_MIN_VALUE: case ATTR_MAX_VALUE:
        c->attrs[attr] = Value::ofReal(value);
        break;
    case ATTR_CTRL_INDEX:
        return SetCtrlIndex(panel, control, value);
    case ATTR_XMAP_MODE: c->graph.x.map = value; break;
    case ATTR_YMAP_MODE: c->graph.y.map = value; break;
    case ATTR_NUM_CURSORS: c->graph.numCursors = std::clamp(value, 0, 4); c->attrs[attr] = Value::ofInt(c->graph.numCursors); break;
    case ATTR_LABEL_TEXT: case ATTR_XNAME: case ATTR_YNAME: case ATTR_TITLE:
        return UIE_OperationNotAllowed;
    default:
        c->attrs[attr] = Value::ofInt(value);
    }
    if (attr == ATTR_MIN_VALUE || attr == ATTR_MAX_VALUE) {
        double v;
        if (GetNum(c, &v) == 0 && (c->kind == Kind::Numeric || c->kind == Kind::Slide)) SetNumber(panel, c, v, false, 0);
    }
    if (c->kind == Kind::Timer) { if (Panel* p = FindPanel(panel)) B().timerChanged(*p, *c); }
    else Changed(panel, *c);
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attr, double value)
{
    CTRL_OR_FAIL(panel, control);
    if (attr == ATTR_INTERVAL) {
        if (!(value > 0)) return UIE_OperationNotAllowed;
        c->attrs[attr] = Value::ofReal(value);
        if (Panel* p = FindPanel(panel)) B().timerChanged(*p, *c);
        return 0;
    }
    if (attr == ATTR_MIN_VALUE || attr == ATTR_MAX_VALUE) {
        c->attrs[attr] = Value::ofReal(value);
        double v;
        if (GetNum(c, &v) == 0 && (c->kind == Kind::Numeric || c->kind == Kind::Slide)) SetNumber(panel, c, v, false, 0);
        Changed(panel, *c);
        return 0;
    }
    int iv = 0;
    if (!ToInt(value, &iv)) return UIE_OperationNotAllowed;
    return SetCtrlAttribute(panel, control, attr, iv);
}

int SetCtrlAttribute(int panel, int control, int attr, const char* value)
{
    CTRL_OR_FAIL(panel, control);
    std::string s = value ? value : "";
    if (attr == ATTR_XNAME) c->graph.x.name = s;
    else if (attr == ATTR_YNAME) c->graph.y.name = s;
    else if (attr == ATTR_LABEL_TEXT) c->attrs[attr] = Value::ofStr(s);
    else if (attr == ATTR_CALLBACK_NAME) {
        c->callbackName = s;
        c->callback = nullptr;
        c->attrs[attr] = Value::ofStr(s);
    } else return UIE_OperationNotAllowed;
    Changed(panel, *c);
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attr, int* value)
{
    CTRL_OR_FAIL(panel, control);
    if (attr == ATTR_CTRL_INDEX) return GetCtrlIndex(panel, control, value);
    if (attr == ATTR_XMAP_MODE) { *value = c->graph.x.map; return 0; }
    if (attr == ATTR_YMAP_MODE) { *value = c->graph.y.map; return 0; }
    auto it = c->attrs.find(attr);
    if (it == c->attrs.end()) {
        if (attr == ATTR_TEXT_COLOR || attr == ATTR_FRAME_COLOR) { *value = VAL_BLACK; return 0; }
        return UIE_OperationNotAllowed;
    }
    if (!it->second.numeric() || !ToInt(it->second.num(), value)) return UIE_OperationNotAllowed;
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attr, double* value)
{
    CTRL_OR_FAIL(panel, control);
    auto it = c->attrs.find(attr);
    if (it == c->attrs.end() || !it->second.numeric()) return UIE_OperationNotAllowed;
    *value = it->second.num();
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attr, std::string* value)
{
    CTRL_OR_FAIL(panel, control);
    if (attr == ATTR_XNAME) { *value = c->graph.x.name; return 0; }
    if (attr == ATTR_YNAME) { *value = c->graph.y.name; return 0; }
    auto it = c->attrs.find(attr);
    if (it == c->attrs.end() || it->second.type != Value::Str) return UIE_OperationNotAllowed;
    *value = it->second.s;
    return 0;
}

// ---- bitmaps ----------------------------------------------------------------------------

int GetBitmapFromFile(const char* path, int* bitmap)
{
    Bitmap b;
    int r = B().loadBitmap(path ? path : "", &b);
    if (r < 0) return r;
    *bitmap = AddBitmap(std::move(b));
    return 0;
}

int SetCtrlBitmap(int panel, int control, int, int bitmap)
{
    CTRL_OR_FAIL(panel, control);
    if (bitmap && !FindBitmap(bitmap)) return UIE_OperationNotAllowed;
    c->bitmap = bitmap;
    Changed(panel, *c);
    return 0;
}

int GetCtrlDisplayBitmap(int panel, int control, int, int* bitmap)
{
    CTRL_OR_FAIL(panel, control);
    Bitmap b;
    int r = B().renderCtrl(*FindPanel(panel), *c, &b);
    if (r < 0) return r;
    *bitmap = AddBitmap(std::move(b));
    return 0;
}

int DiscardBitmap(int bitmap)
{
    if (!S().bitmaps.erase(bitmap)) return UIE_OperationNotAllowed;
    return 0;
}

int ClipboardPutBitmap(int bitmap)
{
    const Bitmap* b = FindBitmap(bitmap);
    if (!b) return UIE_OperationNotAllowed;
    return B().clipboardPut(*b);
}

int SaveBitmapToFile(int bitmap, const char* path)
{
    const Bitmap* b = FindBitmap(bitmap);
    if (!b) return UIE_OperationNotAllowed;
    return B().saveBitmap(*b, path ? path : "");
}
