// User-interface toolkit: panels loaded by number from the panel resource,
// controls addressed by (panel handle, control id), callbacks bound by name,
// graphs, popups, timers, printing and clipboard. The program logic talks
// only to these functions; a back-end (headless or Qt) carries them out.
//
// Conventions follow the toolkit the logic was written for: status results
// are 0 or positive on success and negative on failure; table cells and list
// indices are as noted at each function.
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>

#include "platform/lowfile.h"   // MAX_PATHNAME_LEN

// ---- Event codes --------------------------------------------------------
enum {
    EVENT_NONE = 0,
    EVENT_COMMIT = 1,
    EVENT_VAL_CHANGED = 2,
    EVENT_RIGHT_CLICK = 5,
    EVENT_KEYPRESS = 7,     // event data 1: the key, with VAL_MENUKEY_MODIFIER for Ctrl
    EVENT_CLOSE = 11,
    EVENT_TIMER_TICK = 15,
};

// ---- Error codes (negative) ---------------------------------------------
enum {
    UIE_NoError = 0,
    UIE_CouldNotOpenFile = -6,          // resource file missing or unreadable
    UIE_BadFileFormat = -9,             // resource file cannot be parsed
    UIE_PanelNotFound = -10,            // no panel with that number in the resource
    UIE_InvalidPanel = -42,
    UIE_InvalidControl = -43,
    UIE_OperationNotAllowed = -44,      // operation does not fit the control kind
    UIE_IndexOutOfRange = -55,
    UIE_ItemNotFound = -56,
    UIE_NoPopupAnswer = -70,            // headless: popup without a queued answer
    UIE_NoPrinter = -71,                // printing: no printer is installed
    UIE_PrinterFailed = -72,            // printing: the printer did not take the job
};

// ---- Attributes -----------------------------------------------------------
enum {
    // panels and controls
    ATTR_DIMMED = 1, ATTR_VISIBLE, ATTR_LABEL_TEXT, ATTR_TITLE,
    ATTR_TEXT_COLOR, ATTR_TEXT_BGCOLOR, ATTR_FRAME_COLOR, ATTR_ON_COLOR, ATTR_OFF_COLOR,
    ATTR_BACKCOLOR, ATTR_CMD_BUTTON_COLOR,
    ATTR_MIN_VALUE, ATTR_MAX_VALUE, ATTR_PRECISION, ATTR_CTRL_MODE, ATTR_CTRL_INDEX,
    ATTR_CTRL_STYLE, ATTR_LEFT, ATTR_TOP, ATTR_WIDTH, ATTR_HEIGHT, ATTR_NUM_CTRLS,
    ATTR_CONSTANT_NAME, ATTR_CALLBACK_NAME, ATTR_PANEL_PARENT, ATTR_ACTIVATE_WHEN_CLICKED_ON,
    // timers: interval in seconds (double), enabled 0/1
    ATTR_INTERVAL = 40, ATTR_ENABLED,
    // graphs
    ATTR_XNAME = 50, ATTR_YNAME, ATTR_PLOT_BGCOLOR, ATTR_GRID_COLOR, ATTR_XGRID_VISIBLE,
    ATTR_YGRID_VISIBLE, ATTR_XMAP_MODE, ATTR_YMAP_MODE, ATTR_XPRECISION, ATTR_YPRECISION,
    ATTR_NUM_CURSORS, ATTR_REFRESH_GRAPH, ATTR_XLABEL_VISIBLE, ATTR_YLABEL_VISIBLE,
    // plots (GetPlotAttribute / SetPlotAttribute)
    ATTR_TRACE_COLOR = 80, ATTR_PLOT_STYLE, ATTR_TRACE_POINT_STYLE, ATTR_NUM_POINTS,
    ATTR_PLOT_KIND,
    // cursors (SetCursorAttribute)
    ATTR_CURSOR_COLOR = 90, ATTR_CURSOR_MODE, ATTR_CROSS_HAIR_STYLE, ATTR_CURSOR_POINT_STYLE,
    // table cells
    ATTR_CELL_TYPE = 100, ATTR_CELL_DIMMED, ATTR_CELL_JUSTIFY, ATTR_TABLE_MODE,
    ATTR_COLUMN_WIDTH, ATTR_LABEL_BGCOLOR,
    // tab control
    ATTR_EASY_TAB_ACTIVE_PANEL = 120, ATTR_EASY_TAB_DIMMED, ATTR_EASY_TAB_LABEL_TEXT,
    // printing
    ATTR_PRINT_OUTPUT_FILE = 130, ATTR_PRINT_ORIENTATION, ATTR_PRINT_FONT_SIZE,
    ATTR_PRINT_DOCUMENT_NAME,
};

// Colours are 0xRRGGBB; VAL_TRANSPARENT marks "no background".
enum : int {
    VAL_BLACK = 0x000000, VAL_WHITE = 0xFFFFFF, VAL_RED = 0xFF0000, VAL_GREEN = 0x00FF00,
    VAL_BLUE = 0x0000FF, VAL_YELLOW = 0xFFFF00, VAL_OLIVE = 0x808000, VAL_GRAY = 0x808080,
    VAL_LT_GRAY = 0xCCCCCC, VAL_DK_GRAY = 0x404040, VAL_MAGENTA = 0xFF00FF, VAL_CYAN = 0x00FFFF,
    VAL_TRANSPARENT = 0x1000000,
};

enum {
    // axes and scaling
    VAL_XAXIS = 0, VAL_LEFT_YAXIS = 1, VAL_BOTTOM_XAXIS = 0,
    VAL_MANUAL = 0, VAL_AUTOSCALE = 1, VAL_LOCK = 2,
    VAL_LINEAR = 0, VAL_LOG = 1,
    // data types of plot arrays
    VAL_DOUBLE = 0, VAL_FLOAT = 1, VAL_INTEGER = 2, VAL_SHORT_INTEGER = 3,
    // plot styles
    VAL_THIN_LINE = 0, VAL_CONNECTED_POINTS = 1, VAL_SCATTER = 2, VAL_VERTICAL_BAR = 3,
    VAL_FAT_LINE = 4, VAL_THIN_STEP = 5, VAL_BASE_ZERO_VERTICAL_BAR = 6,
    // point styles (0..30; the cursor styles use the same numbers)
    VAL_EMPTY_SQUARE = 0, VAL_SOLID_SQUARE = 1, VAL_ASTERISK = 2, VAL_DOTTED_EMPTY_SQUARE = 3,
    VAL_SOLID_CIRCLE = 4, VAL_SIMPLE_DOT = 5, VAL_EMPTY_CIRCLE = 6, VAL_X = 7, VAL_CROSS = 8,
    VAL_NO_POINT = 17, VAL_SMALL_SOLID_SQUARE = 24,
    // line styles
    VAL_SOLID = 0, VAL_DASH = 1, VAL_DOT = 2,
    // cross-hair styles
    VAL_LONG_CROSS = 0, VAL_VERTICAL_LINE = 1, VAL_HORIZONTAL_LINE = 2, VAL_NO_CROSS = 3,
    VAL_SHORT_CROSS = 4,
    // cursor modes
    VAL_FREE_FORM = 0, VAL_SNAP_TO_POINT = 1,
    // fonts for PlotText
    VAL_MENU_META_FONT = 0, VAL_DIALOG_META_FONT = 1,
    // control modes
    VAL_HOT = 0, VAL_INDICATOR = 1, VAL_NORMAL = 2,
    // table cell types
    VAL_CELL_NUMERIC = 0, VAL_CELL_STRING = 1,
    // plot kinds of the plot model
    VAL_PLOT_Y = 0, VAL_PLOT_XY = 1, VAL_PLOT_POINT = 2, VAL_PLOT_TEXT = 3, VAL_PLOT_RECT = 4,
    // file dialog buttons and results
    VAL_OK_BUTTON = 0, VAL_SAVE_BUTTON = 1, VAL_SELECT_BUTTON = 2, VAL_LOAD_BUTTON = 3,
    VAL_NO_FILE_SELECTED = 0, VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2,
    // printing
    VAL_FULL_PANEL = 0, VAL_VISIBLE_AREA = 1, VAL_PORTRAIT = 0, VAL_LANDSCAPE = 1,
    // mouse cursors
    VAL_DEFAULT_CURSOR = 0, VAL_HOUR_GLASS_CURSOR = 1,
    // RemovePopup argument
    VAL_REMOVE_TOPMOST = 0,
};
// Key codes of EVENT_KEYPRESS: a character, with this bit for Ctrl.
enum : int { VAL_MENUKEY_MODIFIER = 0x40000 };

// Table cells: x = column, y = row, both from 1.
struct Point { int x; int y; };
inline Point MakePoint(int x, int y) { return Point{x, y}; }
struct Rect { int top; int left; int height; int width; };
inline Rect MakeRect(int top, int left, int height, int width) { return Rect{top, left, height, width}; }
inline constexpr Rect VAL_EMPTY_RECT{0, 0, 0, 0};

// ---- Callbacks ------------------------------------------------------------
using CtrlCallbackPtr = int (*)(int panel, int control, int event, void* callbackData,
                                int eventData1, int eventData2);
using PanelCallbackPtr = int (*)(int panel, int event, void* callbackData, int eventData1,
                                 int eventData2);

// Names a callback so that the `callback` property of a control (or panel)
// in the resource binds it. Register before the panel is loaded.
void RegisterCallback(const char* name, CtrlCallbackPtr fn);
void RegisterPanelCallback(const char* name, PanelCallbackPtr fn);
// Registers at static initialisation: UI_CALLBACK(cbStart) after its definition.
#define UI_CALLBACK(fn) \
    static const bool ui_registered_##fn = (::RegisterCallback(#fn, fn), true)
#define UI_PANEL_CALLBACK(fn) \
    static const bool ui_registered_##fn = (::RegisterPanelCallback(#fn, fn), true)
// A file that holds only callbacks (a *_panel.cpp: nothing calls them by
// name) marks itself with UI_CALLBACK_FILE(name); the code that loads the
// panels naming them links it with UI_LINK_CALLBACK_FILE(name), so that its
// registrations run in every program that loads those panels.
#define UI_CALLBACK_FILE(name) int ui_callback_file_##name = 0
#define UI_LINK_CALLBACK_FILE(name)       \
    extern int ui_callback_file_##name; \
    __attribute__((used)) static int* const ui_link_callback_file_##name = &ui_callback_file_##name

int InstallCtrlCallback(int panel, int control, CtrlCallbackPtr fn, void* callbackData);
int InstallPanelCallback(int panel, PanelCallbackPtr fn, void* callbackData);
// Calls a control's callback directly (the logic's own call: no re-entry guard).
int CallCtrlCallback(int panel, int control, int event, int eventData1, int eventData2,
                     int* callbackReturn);
int CallPanelCallback(int panel, int event, int eventData1, int eventData2, int* callbackReturn);

// ---- Panels ------------------------------------------------------------------
// Loads panel `number` of the resource `file` (e.g. "ORV3.uir"); returns its
// handle (> 0) or a negative error. parent 0 = top level window.
int LoadPanel(int parent, const char* file, int number);
int DiscardPanel(int panel);
int DisplayPanel(int panel);
int HidePanel(int panel);
int InstallPopup(int panel);
int RemovePopup(int panelOrTopmost);
int DefaultPanel(int panel);
int SetPanelAttribute(int panel, int attr, int value);
int SetPanelAttribute(int panel, int attr, const char* value);
int GetPanelAttribute(int panel, int attr, int* value);
int GetPanelAttribute(int panel, int attr, std::string* value);
int GetActivePanel();
int SetActivePanel(int panel);

// ---- Event loop ------------------------------------------------------------------
int RunUserInterface();
int QuitUserInterface(int code);
// Lets pending events run inside a long operation (a stop button, a timer);
// a callback that is already running is never entered again.
int ProcessSystemEvents();
int ProcessDrawEvents();

// ---- Control values ---------------------------------------------------------------
int SetCtrlValInt(int panel, int control, long long value);
int SetCtrlValDouble(int panel, int control, double value);
int SetCtrlValStr(int panel, int control, const char* value);
inline int SetCtrlVal(int panel, int control, const char* v) { return SetCtrlValStr(panel, control, v); }
inline int SetCtrlVal(int panel, int control, char* v) { return SetCtrlValStr(panel, control, v); }
inline int SetCtrlVal(int panel, int control, const std::string& v) { return SetCtrlValStr(panel, control, v.c_str()); }
template <class T, std::enable_if_t<std::is_arithmetic_v<T> || std::is_enum_v<T>, int> = 0>
int SetCtrlVal(int panel, int control, T v)
{
    if constexpr (std::is_floating_point_v<T>) return SetCtrlValDouble(panel, control, double(v));
    else return SetCtrlValInt(panel, control, (long long)v);
}

int GetCtrlVal(int panel, int control, int* value);
int GetCtrlVal(int panel, int control, double* value);
int GetCtrlVal(int panel, int control, float* value);
int GetCtrlVal(int panel, int control, std::string* value);
// Into a character buffer of `size` bytes (cut, always terminated).
int GetCtrlValStr(int panel, int control, char* buffer, size_t size);
template <size_t N>
int GetCtrlVal(int panel, int control, char (&buffer)[N]) { return GetCtrlValStr(panel, control, buffer, N); }

int DefaultCtrl(int panel, int control);
int SetCtrlIndex(int panel, int control, int index);
int GetCtrlIndex(int panel, int control, int* index);

int SetCtrlAttribute(int panel, int control, int attr, int value);
int SetCtrlAttribute(int panel, int control, int attr, double value);
int SetCtrlAttribute(int panel, int control, int attr, const char* value);
int GetCtrlAttribute(int panel, int control, int attr, int* value);
int GetCtrlAttribute(int panel, int control, int attr, double* value);
int GetCtrlAttribute(int panel, int control, int attr, std::string* value);

// ---- Bitmaps --------------------------------------------------------------------
int GetBitmapFromFile(const char* path, int* bitmap);
int SetCtrlBitmap(int panel, int control, int index, int bitmap);
// An image of the control as shown (graphs rendered from their plot model).
int GetCtrlDisplayBitmap(int panel, int control, int includeLabel, int* bitmap);
int DiscardBitmap(int bitmap);
int ClipboardPutBitmap(int bitmap);
int SaveBitmapToFile(int bitmap, const char* path);

// ---- Lists and rings (indices from 0) ----------------------------------------------
int ClearListCtrl(int panel, int control);
// index -1 appends. Item values are int, double or text.
int InsertListItemInt(int panel, int control, int index, const char* label, long long value);
int InsertListItemDouble(int panel, int control, int index, const char* label, double value);
int InsertListItemStr(int panel, int control, int index, const char* label, const char* value);
template <class T, std::enable_if_t<std::is_arithmetic_v<T>, int> = 0>
int InsertListItem(int panel, int control, int index, const char* label, T v)
{
    if constexpr (std::is_floating_point_v<T>) return InsertListItemDouble(panel, control, index, label, double(v));
    else return InsertListItemInt(panel, control, index, label, (long long)v);
}
inline int InsertListItem(int panel, int control, int index, const char* label, const char* v)
{ return InsertListItemStr(panel, control, index, label, v); }
int ReplaceListItem(int panel, int control, int index, const char* label, double value);
int DeleteListItem(int panel, int control, int index, int count);
int GetNumListItems(int panel, int control, int* count);
int GetLabelFromIndex(int panel, int control, int index, std::string* label);
int GetLabelFromIndexStr(int panel, int control, int index, char* buffer, size_t size);
template <size_t N>
int GetLabelFromIndex(int panel, int control, int index, char (&buffer)[N])
{ return GetLabelFromIndexStr(panel, control, index, buffer, N); }
int GetValueFromIndex(int panel, int control, int index, int* value);
int GetValueFromIndex(int panel, int control, int index, double* value);
int GetValueFromIndex(int panel, int control, int index, std::string* value);
// Index of the first item whose value equals `value` (numbers compare within 1e-9 relative).
int GetIndexFromValue(int panel, int control, int* index, double value);
int GetIndexFromValueStr(int panel, int control, int* index, const char* value);
// List boxes with check marks.
int IsListItemChecked(int panel, int control, int index, int* checked);
int CheckListItem(int panel, int control, int index, int checked);

// ---- Text boxes (lines from 0) ----------------------------------------------------------
int ResetTextBox(int panel, int control, const char* text);
int InsertTextBoxLine(int panel, int control, int index, const char* text); // -1 appends
int ReplaceTextBoxLine(int panel, int control, int index, const char* text);
int DeleteTextBoxLine(int panel, int control, int index);
int GetTextBoxLine(int panel, int control, int index, std::string* text);
int GetTextBoxLineStr(int panel, int control, int index, char* buffer, size_t size);
template <size_t N>
int GetTextBoxLine(int panel, int control, int index, char (&buffer)[N])
{ return GetTextBoxLineStr(panel, control, index, buffer, N); }
int GetNumTextBoxLines(int panel, int control, int* count);

// ---- Tables (rows and columns from 1) ------------------------------------------------
int InsertTableRows(int panel, int control, int index, int count, int cellType); // -1 appends
int DeleteTableRows(int panel, int control, int index, int count);              // count -1: to the end
int InsertTableColumns(int panel, int control, int index, int count, int cellType);
int DeleteTableColumns(int panel, int control, int index, int count);
int GetNumTableRows(int panel, int control, int* rows);
int GetNumTableColumns(int panel, int control, int* columns);
int SetTableCellValStr(int panel, int control, Point cell, const char* value);
int SetTableCellValDouble(int panel, int control, Point cell, double value);
inline int SetTableCellVal(int panel, int control, Point cell, const char* v) { return SetTableCellValStr(panel, control, cell, v); }
inline int SetTableCellVal(int panel, int control, Point cell, const std::string& v) { return SetTableCellValStr(panel, control, cell, v.c_str()); }
inline int SetTableCellVal(int panel, int control, Point cell, double v) { return SetTableCellValDouble(panel, control, cell, v); }
inline int SetTableCellVal(int panel, int control, Point cell, int v) { return SetTableCellValDouble(panel, control, cell, v); }
int GetTableCellVal(int panel, int control, Point cell, std::string* value);
int GetTableCellVal(int panel, int control, Point cell, double* value);
int SetTableCellAttribute(int panel, int control, Point cell, int attr, int value);
int GetTableCellAttribute(int panel, int control, Point cell, int attr, int* value);
int SetTableColumnLabel(int panel, int control, int column, const char* label);
int SetTableRowLabel(int panel, int control, int row, const char* label);
int SetActiveTableCell(int panel, int control, Point cell);
int GetActiveTableCell(int panel, int control, Point* cell);
int SetTableSelection(int panel, int control, Rect selection);
int GetTableSelection(int panel, int control, Rect* selection);

// ---- Graphs ---------------------------------------------------------------------------
// Plot functions return a plot handle (> 0) or a negative error.
int PlotY(int panel, int control, const void* y, int numPoints, int yType, int plotStyle,
          int pointStyle, int lineStyle, int pointFrequency, int color);
int PlotXY(int panel, int control, const void* x, const void* y, int numPoints, int xType,
           int yType, int plotStyle, int pointStyle, int lineStyle, int pointFrequency, int color);
int PlotPoint(int panel, int control, double x, double y, int pointStyle, int color);
int PlotText(int panel, int control, double x, double y, const char* text, int font,
             int textColor, int backColor);
int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2,
                  int color, int fillColor);
// plotHandle -1 deletes every plot of the graph.
int DeleteGraphPlot(int panel, int control, int plotHandle, int refresh);
int RefreshGraph(int panel, int control);
int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max);
int GetAxisScalingMode(int panel, int control, int axis, int* mode, double* min, double* max);
int GetAxisRange(int panel, int control, int* xMode, double* xMin, double* xMax, int* yMode,
                 double* yMin, double* yMax);
int GetPlotAttribute(int panel, int control, int plot, int attr, int* value);
int SetPlotAttribute(int panel, int control, int plot, int attr, int value);
// Cursors are numbered 1..4.
int GetGraphCursor(int panel, int control, int cursor, double* x, double* y);
int SetGraphCursor(int panel, int control, int cursor, double x, double y);
int SetGraphCursorIndex(int panel, int control, int cursor, int plot, int index);
int GetGraphCursorIndex(int panel, int control, int cursor, int* plot, int* index);
int SetActiveGraphCursor(int panel, int control, int cursor);
int GetActiveGraphCursor(int panel, int control, int* cursor);
int SetCursorAttribute(int panel, int control, int cursor, int attr, int value);
int GetCursorAttribute(int panel, int control, int cursor, int attr, int* value);

// ---- Tab control -------------------------------------------------------------------
// The tab control is made from a canvas control of a panel; pages are panels.
int EasyTab_ConvertFromCanvas(int panel, int canvas);
// Loads panel `number` of `file` as the next page; its handle goes to *page.
int EasyTab_LoadPanel(int panel, int tabCtrl, const char* file, int number, int* page);
int EasyTab_SetAttribute(int panel, int tabCtrl, int attr, int value);
int EasyTab_GetAttribute(int panel, int tabCtrl, int attr, int* value);
int EasyTab_SetTabAttribute(int panel, int tabCtrl, int page, int attr, int value);
int EasyTab_GetTabAttribute(int panel, int tabCtrl, int page, int attr, int* value);

// ---- Popups ----------------------------------------------------------------------------
int MessagePopup(const char* title, const char* message);
// 1 = yes, 0 = no.
int ConfirmPopup(const char* title, const char* message);
// Returns VAL_NO_FILE_SELECTED (cancel), VAL_EXISTING_FILE_SELECTED or
// VAL_NEW_FILE_SELECTED; the path goes to `path` (at most `size` bytes).
int FileSelectPopupStr(const char* directory, const char* defaultSpec, const char* fileTypes,
                       const char* title, int button, int restrictDirectory,
                       int restrictExtension, int allowCancel, int allowMakeDirectory,
                       char* path, size_t size);
template <size_t N>
int FileSelectPopup(const char* directory, const char* defaultSpec, const char* fileTypes,
                    const char* title, int button, int restrictDirectory, int restrictExtension,
                    int allowCancel, int allowMakeDirectory, char (&path)[N])
{
    return FileSelectPopupStr(directory, defaultSpec, fileTypes, title, button, restrictDirectory,
                              restrictExtension, allowCancel, allowMakeDirectory, path, N);
}

// ---- Printing ----------------------------------------------------------------------------
int PrintPanel(int panel, const char* file, int scaling, int area, int confirm);
int PrintCtrl(int panel, int control, const char* file, int scaling, int confirm);
int PrintTextBuffer(const char* text, const char* outputFile);
int SetPrintAttribute(int attr, int value);
int SetPrintAttributeEx(int attr, const char* value);

// ---- Mouse cursor -----------------------------------------------------------------------
int SetWaitCursor(int on);
int SetMouseCursor(int shape);
void Beep();
