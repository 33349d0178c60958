#include "platform/ui/qt/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "platform/ui/model.h"
#include "platform/ui/ui.h"

namespace ui {

namespace {

QColor Col(int c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }
bool Transparent(int c) { return c & 0x1000000; }

struct Map {
    double lo, hi;
    bool log;
    double a, b;   // pixel range
    double operator()(double v) const
    {
        if (log) {
            double l = std::log10(std::max(lo, 1e-300)), h = std::log10(std::max(hi, 1e-300));
            double t = v > 0 ? (std::log10(v) - l) / (h - l) : -1e9;
            return a + (b - a) * t;
        }
        return a + (b - a) * (v - lo) / (hi - lo);
    }
    double inverse(double px) const
    {
        double t = (px - a) / (b - a);
        if (log) {
            double l = std::log10(lo), h = std::log10(hi);
            return std::pow(10.0, l + t * (h - l));
        }
        return lo + t * (hi - lo);
    }
};

std::vector<double> Ticks(double lo, double hi, bool log, int maxTicks)
{
    std::vector<double> t;
    if (!(hi > lo)) return t;
    if (log) {
        for (double d = std::pow(10.0, std::floor(std::log10(lo))); d <= hi * 1.0001; d *= 10)
            if (d >= lo * 0.9999) t.push_back(d);
        return t;
    }
    double raw = (hi - lo) / std::max(1, maxTicks);
    double mag = std::pow(10.0, std::floor(std::log10(raw)));
    double step = mag;
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (m * mag >= raw) { step = m * mag; break; }
    for (double v = std::ceil(lo / step) * step; v <= hi + step * 1e-6; v += step) t.push_back(std::fabs(v) < step * 1e-9 ? 0 : v);
    return t;
}

QString Num(double v)
{
    if (v != 0 && (std::fabs(v) >= 1e5 || std::fabs(v) < 1e-3)) return QString::number(v, 'g', 3);
    return QString::number(v, 'g', 6);
}

void PointMark(QPainter& p, QPointF c, int style, QColor col)
{
    if (style == VAL_NO_POINT) return;
    p.setPen(col);
    double s = 3;
    switch (style) {
    case VAL_SOLID_SQUARE: case VAL_SMALL_SOLID_SQUARE:
        p.fillRect(QRectF(c.x() - s, c.y() - s, 2 * s, 2 * s), col);
        break;
    case VAL_SOLID_CIRCLE:
        p.setBrush(col);
        p.drawEllipse(c, s, s);
        p.setBrush(Qt::NoBrush);
        break;
    case VAL_EMPTY_CIRCLE: p.drawEllipse(c, s, s); break;
    case VAL_X: case VAL_ASTERISK:
        p.drawLine(QPointF(c.x() - s, c.y() - s), QPointF(c.x() + s, c.y() + s));
        p.drawLine(QPointF(c.x() - s, c.y() + s), QPointF(c.x() + s, c.y() - s));
        if (style == VAL_X) break;
        [[fallthrough]];
    case VAL_CROSS:
        p.drawLine(QPointF(c.x() - s, c.y()), QPointF(c.x() + s, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - s), QPointF(c.x(), c.y() + s));
        break;
    case VAL_SIMPLE_DOT: p.drawPoint(c); break;
    default: p.drawRect(QRectF(c.x() - s, c.y() - s, 2 * s, 2 * s)); break;
    }
}

QRectF Area(const QRect& r, const QFontMetrics& fm, const Graph& g)
{
    int left = fm.horizontalAdvance("-0.0000") + 10 + (g.y.name.empty() ? 0 : fm.height() + 2);
    int bottom = fm.height() * (g.x.name.empty() ? 1 : 2) + 10;
    return QRectF(r.left() + left, r.top() + 8, std::max(10, r.width() - left - 12), std::max(10, r.height() - bottom - 8));
}

}  // namespace

void PaintGraph(QPainter& p, const QRect& r, const Graph& g, int background, const QFont& font)
{
    p.save();
    p.setFont(font);
    QFontMetrics fm(font);
    bool dark = !Transparent(background) && qGray(Col(background).rgb()) < 100;
    QColor fg = dark ? QColor(220, 220, 220) : QColor(30, 30, 30);
    QColor frame = dark ? QColor(20, 20, 20) : QColor(240, 240, 240);
    p.fillRect(r, frame);
    QRectF a = Area(r, fm, g);
    p.fillRect(a, Transparent(background) ? QColor(Qt::white) : Col(background));
    Range xr = XRange(g), yr = YRange(g);
    Map mx{xr.min, xr.max, g.x.map == VAL_LOG, a.left(), a.right()};
    Map my{yr.min, yr.max, g.y.map == VAL_LOG, a.bottom(), a.top()};

    // grid and axis labels
    QColor grid = dark ? QColor(70, 70, 70) : QColor(215, 215, 215);
    int maxX = std::max(2, int(a.width() / (fm.horizontalAdvance("00000") + 12)));
    int maxY = std::max(2, int(a.height() / (fm.height() * 2)));
    for (double t : Ticks(xr.min, xr.max, g.x.map == VAL_LOG, maxX)) {
        double px = mx(t);
        p.setPen(grid);
        p.drawLine(QPointF(px, a.top()), QPointF(px, a.bottom()));
        p.setPen(fg);
        QString s = Num(t);
        p.drawText(QPointF(px - fm.horizontalAdvance(s) / 2.0, a.bottom() + fm.ascent() + 4), s);
    }
    for (double t : Ticks(yr.min, yr.max, g.y.map == VAL_LOG, maxY)) {
        double py = my(t);
        p.setPen(grid);
        p.drawLine(QPointF(a.left(), py), QPointF(a.right(), py));
        p.setPen(fg);
        QString s = Num(t);
        p.drawText(QPointF(a.left() - fm.horizontalAdvance(s) - 5, py + fm.ascent() / 2.0 - 1), s);
    }
    p.setPen(fg);
    if (!g.x.name.empty()) {
        QString s = QString::fromStdString(g.x.name);
        p.drawText(QPointF(a.center().x() - fm.horizontalAdvance(s) / 2.0, r.bottom() - 4), s);
    }
    if (!g.y.name.empty()) {
        p.save();
        p.translate(r.left() + fm.ascent() + 2, a.center().y());
        p.rotate(-90);
        QString s = QString::fromStdString(g.y.name);
        p.drawText(QPointF(-fm.horizontalAdvance(s) / 2.0, 0), s);
        p.restore();
    }

    p.setClipRect(a);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const auto& pl : g.plots) {
        QColor c = Col(pl.color);
        size_t n = std::min(pl.x.size(), pl.y.size());
        if (pl.kind == VAL_PLOT_RECT && n == 2) {
            QRectF rc(QPointF(mx(pl.x[0]), my(pl.y[0])), QPointF(mx(pl.x[1]), my(pl.y[1])));
            rc = rc.normalized();
            if (!Transparent(pl.fillColor)) p.fillRect(rc, Col(pl.fillColor));
            p.setPen(c);
            p.drawRect(rc);
        } else if (pl.kind == VAL_PLOT_TEXT && n == 1) {
            QString s = QString::fromStdString(pl.text);
            QPointF at(mx(pl.x[0]), my(pl.y[0]));
            QRectF box(at.x(), at.y() - fm.ascent(), fm.horizontalAdvance(s), fm.height());
            if (!Transparent(pl.fillColor)) p.fillRect(box, Col(pl.fillColor));
            p.setPen(c);
            p.drawText(at, s);
        } else if (pl.style == VAL_VERTICAL_BAR || pl.style == VAL_BASE_ZERO_VERTICAL_BAR) {
            double w = n > 1 ? std::fabs(mx(pl.x[1]) - mx(pl.x[0])) * 0.7 : 8;
            w = std::max(1.0, w);
            double base = my(g.y.map == VAL_LOG ? yr.min : 0.0);
            for (size_t i = 0; i < n; ++i) {
                if (!std::isfinite(pl.y[i]) || pl.y[i] == 0) continue;
                double px = mx(pl.x[i]);
                QRectF rc(QPointF(px - w / 2, my(pl.y[i])), QPointF(px + w / 2, base));
                p.fillRect(rc.normalized(), c);
            }
        } else {
            std::vector<int> idx = Decimate(pl, xr.min, xr.max, int(a.width()));
            bool line = pl.style != VAL_SCATTER && pl.kind != VAL_PLOT_POINT;
            QPen pen(c, pl.style == VAL_FAT_LINE ? 2.5 : 1.2);
            if (pl.lineStyle == VAL_DASH) pen.setStyle(Qt::DashLine);
            if (pl.lineStyle == VAL_DOT) pen.setStyle(Qt::DotLine);
            if (line) {
                QPainterPath path;
                bool open = false;
                for (int i : idx) {
                    double x = pl.x[size_t(i)], y = pl.y[size_t(i)];
                    if (!std::isfinite(x) || !std::isfinite(y)) { open = false; continue; }
                    QPointF q(mx(x), my(y));
                    if (!open) { path.moveTo(q); open = true; }
                    else if (pl.style == VAL_THIN_STEP) { path.lineTo(q.x(), path.currentPosition().y()); path.lineTo(q); }
                    else path.lineTo(q);
                }
                p.setPen(pen);
                p.drawPath(path);
            }
            int ps = pl.kind == VAL_PLOT_POINT || pl.style == VAL_SCATTER ? (pl.pointStyle == VAL_NO_POINT ? VAL_SOLID_CIRCLE : pl.pointStyle)
                                                                         : (pl.style == VAL_CONNECTED_POINTS ? pl.pointStyle : VAL_NO_POINT);
            if (ps != VAL_NO_POINT && idx.size() < 5000)
                for (int i : idx) PointMark(p, QPointF(mx(pl.x[size_t(i)]), my(pl.y[size_t(i)])), ps, c);
        }
    }
    // cursors
    for (int i = 0; i < std::min(4, g.numCursors); ++i) {
        const Cursor& cu = g.cursors[i];
        QColor c = Col(cu.color);
        QPointF at(mx(cu.x), my(cu.y));
        p.setPen(QPen(c, i + 1 == g.active ? 1.5 : 1.0, Qt::DashLine));
        switch (cu.crossHair) {
        case VAL_LONG_CROSS:
            p.drawLine(QPointF(a.left(), at.y()), QPointF(a.right(), at.y()));
            p.drawLine(QPointF(at.x(), a.top()), QPointF(at.x(), a.bottom()));
            break;
        case VAL_VERTICAL_LINE: p.drawLine(QPointF(at.x(), a.top()), QPointF(at.x(), a.bottom())); break;
        case VAL_HORIZONTAL_LINE: p.drawLine(QPointF(a.left(), at.y()), QPointF(a.right(), at.y())); break;
        case VAL_SHORT_CROSS:
            p.drawLine(QPointF(at.x() - 8, at.y()), QPointF(at.x() + 8, at.y()));
            p.drawLine(QPointF(at.x(), at.y() - 8), QPointF(at.x(), at.y() + 8));
            break;
        default: break;
        }
        PointMark(p, at, cu.pointStyle, c);
    }
    p.setClipping(false);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(fg);
    p.drawRect(a);
    p.restore();
}

OrivanGraph::OrivanGraph(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::ClickFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

Graph* OrivanGraph::model() const
{
    Control* c = FindCtrl(panel_, control_);
    return c && c->kind == Kind::Graph ? &c->graph : nullptr;
}

int OrivanGraph::background() const
{
    Control* c = FindCtrl(panel_, control_);
    return c ? c->attrInt(ATTR_PLOT_BGCOLOR, VAL_WHITE) : VAL_WHITE;
}

QImage OrivanGraph::render(QSize size) const
{
    QImage img(size, QImage::Format_ARGB32);
    img.fill(Qt::white);
    if (Graph* g = model()) {
        QPainter p(&img);
        PaintGraph(p, QRect(QPoint(0, 0), size), *g, background(), font());
    }
    return img;
}

void OrivanGraph::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (Graph* g = model()) PaintGraph(p, rect(), *g, background(), font());
    else p.fillRect(rect(), Qt::white);
}

QRectF OrivanGraph::plotArea(const QRect& r) const
{
    Graph* g = model();
    return g ? Area(r, QFontMetrics(font()), *g) : QRectF(r);
}

bool OrivanGraph::toData(QPointF pos, double* x, double* y) const
{
    Graph* g = model();
    if (!g) return false;
    QRectF a = plotArea(rect());
    Range xr = XRange(*g), yr = YRange(*g);
    Map mx{xr.min, xr.max, g->x.map == VAL_LOG, a.left(), a.right()};
    Map my{yr.min, yr.max, g->y.map == VAL_LOG, a.bottom(), a.top()};
    *x = mx.inverse(std::clamp(pos.x(), a.left(), a.right()));
    *y = my.inverse(std::clamp(pos.y(), a.top(), a.bottom()));
    return true;
}

void OrivanGraph::mousePressEvent(QMouseEvent* e)
{
    Graph* g = model();
    if (e->button() == Qt::RightButton) { emit rightClicked(); return; }
    if (!g || g->numCursors <= 0 || e->button() != Qt::LeftButton) return;
    // take the nearest cursor, else the active one
    QRectF a = plotArea(rect());
    Range xr = XRange(*g), yr = YRange(*g);
    Map mx{xr.min, xr.max, g->x.map == VAL_LOG, a.left(), a.right()};
    Map my{yr.min, yr.max, g->y.map == VAL_LOG, a.bottom(), a.top()};
    double best = 1e18;
    int pick = g->active;
    for (int i = 0; i < std::min(4, g->numCursors); ++i) {
        double dx = mx(g->cursors[i].x) - e->position().x(), dy = my(g->cursors[i].y) - e->position().y();
        double d = std::min(std::fabs(dx), std::fabs(dy));
        if (d < best && d < 12) { best = d; pick = i + 1; }
    }
    dragging_ = pick;
    mouseMoveEvent(e);
}

void OrivanGraph::mouseMoveEvent(QMouseEvent* e)
{
    Graph* g = model();
    if (!g || !dragging_) return;
    double x, y;
    if (!toData(e->position(), &x, &y)) return;
    Cursor& c = g->cursors[dragging_ - 1];
    c.x = x;
    c.y = y;
    SnapCursor(*g, c);
    g->active = dragging_;
    update();
}

void OrivanGraph::mouseReleaseEvent(QMouseEvent*)
{
    if (!dragging_) return;
    int c = dragging_;
    dragging_ = 0;
    emit cursorMoved(c);
}

void OrivanGraph::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Copy)) {
        QApplication::clipboard()->setImage(render(size()));
        return;
    }
    QWidget::keyPressEvent(e);
}

OrivanLed::OrivanLed(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void OrivanLed::setState(bool on, int onColor, int offColor, const QString& text)
{
    on_ = on;
    onColor_ = onColor;
    offColor_ = offColor;
    text_ = text;
    updateGeometry();
    update();
}

QSize OrivanLed::sizeHint() const
{
    QFontMetrics fm(font());
    return QSize(fm.height() + 8 + fm.horizontalAdvance(text_), fm.height() + 4);
}

void OrivanLed::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QFontMetrics fm(font());
    int d = fm.height() - 2;
    QRectF lamp(2, (height() - d) / 2.0, d, d);
    QColor c = Col(on_ ? onColor_ : offColor_);
    if (!isEnabled()) c = c.lighter(160);
    QRadialGradient grad(lamp.center() - QPointF(d / 5.0, d / 5.0), d * 0.7);
    grad.setColorAt(0, c.lighter(150));
    grad.setColorAt(1, c.darker(on_ ? 110 : 140));
    p.setBrush(grad);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawEllipse(lamp);
    p.setPen(isEnabled() ? palette().color(QPalette::WindowText) : palette().color(QPalette::Disabled, QPalette::WindowText));
    p.drawText(QRectF(d + 7, 0, width() - d - 7, height()), Qt::AlignVCenter | Qt::AlignLeft, text_);
}

}  // namespace ui
