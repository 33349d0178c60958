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
#include "platform/ui/qt/graph_painter.h"
#include "platform/ui/ui.h"

namespace ui {

namespace {

QColor Col(int c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

}  // namespace

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

GraphLook OrivanGraph::look() const
{
    Control* c = FindCtrl(panel_, control_);
    return c ? LookOf(*c) : GraphLook{};
}

QImage OrivanGraph::render(QSize size) const
{
    if (Graph* g = model()) return RenderGraph(*g, look(), size, font());
    QImage img(size, QImage::Format_ARGB32);
    img.fill(Qt::white);
    return img;
}

void OrivanGraph::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (Graph* g = model()) PaintGraph(p, rect(), *g, look(), font());
    else p.fillRect(rect(), Qt::white);
}

bool OrivanGraph::toData(QPointF pos, double* x, double* y) const
{
    Graph* g = model();
    if (!g) return false;
    const GraphMaps m = MapGraph(rect(), *g, look(), font());
    const QRectF& a = m.area;
    *x = m.x.inverse(std::clamp(pos.x(), a.left(), a.right()));
    *y = m.y.inverse(std::clamp(pos.y(), a.top(), a.bottom()));
    return true;
}

void OrivanGraph::mousePressEvent(QMouseEvent* e)
{
    Graph* g = model();
    if (e->button() == Qt::RightButton) { emit rightClicked(); return; }
    if (!g || g->numCursors <= 0 || e->button() != Qt::LeftButton) return;
    // take the nearest cursor, else the active one
    const GraphMaps m = MapGraph(rect(), *g, look(), font());
    double best = 1e18;
    int pick = g->active;
    for (int i = 0; i < std::min(4, g->numCursors); ++i) {
        double dx = m.x(g->cursors[i].x) - e->position().x(), dy = m.y(g->cursors[i].y) - e->position().y();
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
        Control* c = FindCtrl(panel_, control_);
        if (c && (c->callback || !c->callbackName.empty())) emit keyPressed(VAL_MENUKEY_MODIFIER | 'C');
        else QApplication::clipboard()->setImage(render(size()));
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
