#include "platform/ui/qt/widget_sync.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/ui/qt/column_list.h"
#include "platform/ui/qt/widgets.h"

namespace ui {

QColor Col(int c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

QImage ToImage(const Bitmap& b)
{
    if (b.argb.empty() || b.width <= 0 || b.height <= 0) return QImage();
    QImage img(b.width, b.height, QImage::Format_ARGB32);
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) img.setPixel(x, y, b.argb[size_t(y) * size_t(b.width) + size_t(x)]);
    return img;
}

void FromImage(const QImage& src, Bitmap* b)
{
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    b->width = img.width();
    b->height = img.height();
    b->argb.resize(size_t(b->width) * size_t(b->height));
    for (int y = 0; y < b->height; ++y)
        for (int x = 0; x < b->width; ++x) b->argb[size_t(y) * size_t(b->width) + size_t(x)] = img.pixel(x, y);
}

// Numbers in table cells: the cell's precision (decimals) when set, else five significant digits.
QString CellText(const Cell& cell)
{
    if (!cell.value.numeric()) return QString::fromStdString(cell.value.text());
    auto prec = cell.attrs.find(ATTR_PRECISION);
    if (prec != cell.attrs.end()) return QString::number(cell.value.num(), 'f', std::clamp(prec->second, 0, 15));
    return QString::number(cell.value.num(), 'g', 5);
}

// Column escapes (ESC p <pixels> c) become spaces in a list line.
std::string StripEsc(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\033' && i + 1 < s.size() && s[i + 1] == 'p') {
            size_t j = i + 2;
            while (j < s.size() && std::isdigit((unsigned char)s[j])) ++j;
            if (j < s.size() && (s[j] == 'c' || s[j] == 'l' || s[j] == 'r')) {
                int px = std::atoi(s.c_str() + i + 2);
                int col = px / 7;
                while (int(out.size()) < col) out += ' ';
                out += ' ';
                i = j;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

void ApplyControl(QWidget* w, QLabel* buddy, const Control& c)
{
    bool visible = c.attrInt(ATTR_VISIBLE, 1) != 0;
    if (c.kind != Kind::Timer) {
        w->setEnabled(!c.attrInt(ATTR_DIMMED));
        if (w->isVisibleTo(w->parentWidget()) != visible || !visible) w->setVisible(visible);
    }
    QString label = QString::fromStdString(c.attrStr(ATTR_LABEL_TEXT));
    if (buddy) {
        buddy->setVisible(visible);
        buddy->setEnabled(!c.attrInt(ATTR_DIMMED));
        if (!label.isEmpty()) buddy->setText(label);
    }
    QString style;
    int bg = c.attrInt(ATTR_TEXT_BGCOLOR, VAL_TRANSPARENT);
    if (!(bg & VAL_TRANSPARENT)) style += QString("background-color: %1;").arg(Col(bg).name());
    auto fgIt = c.attrs.find(ATTR_TEXT_COLOR);
    if (fgIt != c.attrs.end()) style += QString("color: %1;").arg(Col(c.attrInt(ATTR_TEXT_COLOR, 0)).name());
    if (c.kind != Kind::Graph && c.kind != Kind::Led && c.kind != Kind::Tab && c.kind != Kind::Deco &&
        w->styleSheet() != style)
        w->setStyleSheet(style);

    switch (c.kind) {
    case Kind::Numeric:
        if (auto* s = qobject_cast<QSpinBox*>(w)) {
            s->setRange(int(std::max(-2147483648.0, c.attrReal(ATTR_MIN_VALUE, -2147483648.0))),
                        int(std::min(2147483647.0, c.attrReal(ATTR_MAX_VALUE, 2147483647.0))));
            s->setValue(int(c.value.i));
        } else if (auto* d = qobject_cast<QDoubleSpinBox*>(w)) {
            d->setDecimals(c.attrInt(ATTR_PRECISION, 2));
            d->setRange(std::max(-1e15, c.attrReal(ATTR_MIN_VALUE, -1e15)), std::min(1e15, c.attrReal(ATTR_MAX_VALUE, 1e15)));
            d->setValue(c.value.num());
        }
        break;
    case Kind::Slide:
        if (auto* pb = qobject_cast<QProgressBar*>(w)) {
            pb->setRange(int(c.attrReal(ATTR_MIN_VALUE, 0)), int(std::min(2147483647.0, c.attrReal(ATTR_MAX_VALUE, 100))));
            pb->setValue(int(c.value.i));
        }
        break;
    case Kind::String:
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            QString t = QString::fromStdString(c.value.s);
            if (e->text() != t) e->setText(t);
        }
        break;
    case Kind::TextMsg:
        if (auto* l = qobject_cast<QLabel*>(w)) {
            const QString t = QString::fromStdString(c.value.s);
            if (l->text() != t) {
                l->setText(t);
                RefreshListHeadings(l);   // a list heading shows this text
            }
        }
        break;
    case Kind::Picture:
        if (auto* l = qobject_cast<QLabel*>(w)) {
            const Bitmap* b = c.bitmap ? FindBitmap(c.bitmap) : nullptr;
            QImage img = b ? ToImage(*b) : QImage();
            if (img.isNull()) l->clear();
            else l->setPixmap(QPixmap::fromImage(img).scaled(l->minimumSize().expandedTo(QSize(360, 220)),
                                                             Qt::KeepAspectRatio, Qt::SmoothTransformation));
        }
        break;
    case Kind::Ring:
        if (auto* cb = qobject_cast<QComboBox*>(w)) {
            bool same = cb->count() == int(c.items.size());
            for (int i = 0; same && i < cb->count(); ++i) same = cb->itemText(i).toStdString() == c.items[size_t(i)].label;
            if (!same) {
                cb->clear();
                for (const auto& it : c.items) cb->addItem(QString::fromStdString(it.label));
            }
            cb->setCurrentIndex(c.index);
        }
        break;
    case Kind::ListBox:
        if (auto* lw = qobject_cast<QListWidget*>(w)) {
            bool same = lw->count() == int(c.items.size());
            for (int i = 0; same && i < lw->count(); ++i) same = lw->item(i)->data(Qt::UserRole).toString().toStdString() == c.items[size_t(i)].label;
            if (!same) {
                lw->clear();
                for (const auto& it : c.items) {
                    auto* item = new QListWidgetItem(QString::fromStdString(StripEsc(it.label)));
                    item->setData(Qt::UserRole, QString::fromStdString(it.label));
                    lw->addItem(item);
                }
            }
            lw->setCurrentRow(c.index);
        }
        break;
    case Kind::CheckBox:
        if (auto* ck = qobject_cast<QCheckBox*>(w)) {
            ck->setChecked(c.value.i != 0);
            if (!label.isEmpty()) ck->setText(label);
        }
        break;
    case Kind::Toggle: case Kind::Command:
        if (auto* pb = qobject_cast<QPushButton*>(w)) {
            if (pb->isCheckable()) pb->setChecked(c.value.i != 0);
            if (!label.isEmpty()) pb->setText(label);
        }
        break;
    case Kind::TextBox:
        if (auto* te = qobject_cast<QPlainTextEdit*>(w)) {
            QString all;
            for (size_t i = 0; i < c.lines.size(); ++i) all += (i ? "\n" : "") + QString::fromStdString(c.lines[i]);
            if (te->toPlainText() != all) te->setPlainText(all);
        }
        break;
    case Kind::Table:
        if (auto* tw = qobject_cast<QTableWidget*>(w)) {
            tw->setRowCount(int(c.cells.size()));
            tw->setColumnCount(int(c.columnLabels.size()));
            QStringList heads, rows;
            for (const auto& s : c.columnLabels) heads << QString::fromStdString(s);
            tw->setHorizontalHeaderLabels(heads);
            bool rowLabels = false;
            for (const auto& s : c.rowLabels) {
                rows << QString::fromStdString(s);
                rowLabels |= !s.empty();
            }
            if (rowLabels) tw->setVerticalHeaderLabels(rows);
            tw->verticalHeader()->setVisible(rowLabels);
            for (int r = 0; r < int(c.cells.size()); ++r) {
                for (int k = 0; k < int(c.cells[size_t(r)].size()); ++k) {
                    const Cell& cell = c.cells[size_t(r)][size_t(k)];
                    auto* item = tw->item(r, k);
                    if (!item) { item = new QTableWidgetItem; tw->setItem(r, k, item); }
                    item->setText(CellText(cell));
                    auto a = cell.attrs.find(ATTR_TEXT_BGCOLOR);
                    item->setBackground(a != cell.attrs.end() && !(a->second & VAL_TRANSPARENT) ? QBrush(Col(a->second)) : QBrush());
                    auto f = cell.attrs.find(ATTR_TEXT_COLOR);
                    item->setForeground(f != cell.attrs.end() ? QBrush(Col(f->second)) : QBrush());
                }
            }
        }
        break;
    case Kind::Graph:
        w->update();
        break;
    case Kind::Led:
        if (auto* l = qobject_cast<OrivanLed*>(w))
            l->setState(c.value.i != 0, c.attrInt(ATTR_ON_COLOR, VAL_GREEN), c.attrInt(ATTR_OFF_COLOR, VAL_DK_GRAY), label);
        break;
    case Kind::Deco:
        if (auto* gb = qobject_cast<QGroupBox*>(w)) if (!label.isEmpty()) gb->setTitle(label);
        break;
    default:
        break;
    }
}

}  // namespace ui
