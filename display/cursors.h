// Measuring cursors (1 red, 2 black) and zoom cursors (3, 4) of the graph
// panel's graph, the zoom with its remembered ranges.
#pragma once

// Zoom state: a zoom is in force, and the ranges before the first zoom.
extern int ZOMMED;
extern double x_min, x_max, y_min, y_max;

enum {
    CURSOR_RED = 1,
    CURSOR_BLACK = 2,
    CURSOR_ZOOM1 = 3,
    CURSOR_ZOOM2 = 4,
};
// Zoom modes of SwitchZoomCursors.
enum { ZOOM_OFF = 0, ZOOM_X = 1, ZOOM_Y = 2, ZOOM_XY = 3 };

// Appearance of a measuring cursor; switched on, its x and y go into its fields.
void SwitchRedCursor(int on);
void SwitchBlackCursor(int on);
// 0: the switched-off appearance; 1, 2, 3: that of zoom X, Y, XY; other
// values do nothing.
void SwitchZoomCursors(int mode);

// The red or black cursor's fields after it moved ("" when its switch is
// off), and the difference fields.
void ShowCursorFields(int cursor);
void ShowDifference();
// Puts a measuring cursor on the minimum or maximum of the plot it is
// attached to (first occurrence). False when there is no plot.
bool CursorToExtreme(int cursor, bool maximum);

// The zoom switch that is on (ZOOM_OFF when none).
int ZoomMode();
// Zooms to the range between the zoom cursors. False (nothing changed) for
// no zoom mode or a range of zero width.
bool ZoomGraph();
// Back to the ranges before the first zoom; zoom switches off.
void RestoreGraph();

void reset_cursor_state();
