// The Qt widgets' side of the shared control model: a control's state
// applied to its widget and conversions
// between the model's bitmaps and Qt images.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <string>

#include "platform/ui/model.h"

class QLabel;
class QObject;
class QWidget;

namespace ui {

QColor Col(int rgb);   // 0xRRGGBB
QImage ToImage(const Bitmap& b);
void FromImage(const QImage& src, Bitmap* b);

// A list line with its column escapes turned into blanks.
std::string StripEsc(const std::string& s);
// A table cell's text: its precision (decimals) when set, else five significant digits.
QString CellText(const Cell& cell);

// Shows the control's value and attributes (dimmed, visible, colours, label,
// items, cells) on its widget and on the label that names it (`buddy`, may be null).
void ApplyControl(QWidget* w, QLabel* buddy, const Control& c);

}  // namespace ui
