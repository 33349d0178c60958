#include "platform/ui/qt/graph_painter.h"

#include <QGuiApplication>
#include <QPolygonF>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/ui/ui.h"

namespace ui {

namespace {

QColor Col(int c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }
bool Transparent(int c) { return c & 0x1000000; }

struct Ticks {
    std::vector<double> at;
    int decimals = 0;
    bool sci = false;
};

Ticks MakeTicks(double lo, double hi, bool log, int maxTicks, int precision = -1)
{
    Ticks t;
    if (!(hi > lo)) return t;
    if (log) {
        for (double d = std::pow(10.0, std::floor(std::log10(lo))); d <= hi * 1.0001; d *= 10)
            if (d >= lo * 0.9999) t.at.push_back(d);
        t.sci = true;
        return t;
    }
    const double raw = (hi - lo) / std::max(1, maxTicks);
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    double step = mag * 10;
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (m * mag >= raw && (precision != 0 || m * mag >= 1.0) && (precision != 0 || m != 2.5 || mag >= 10)) {
            step = m * mag;
            break;
        }
    if (precision == 0) step = std::max(step, 1.0);
    for (double v = std::ceil(lo / step - 1e-9) * step; v <= hi + step * 1e-6; v += step)
        t.at.push_back(std::fabs(v) < step * 1e-9 ? 0 : v);
    const double big = std::max(std::fabs(lo), std::fabs(hi));
    t.sci = big >= 1e6 || (big < 1e-3 && big > 0);
    t.decimals = std::clamp(int(std::ceil(-std::log10(step) - 1e-9)), 0, 9);
    if (step / std::pow(10.0, -t.decimals) != std::floor(step / std::pow(10.0, -t.decimals))) ++t.decimals;
    if (precision >= 0) t.decimals = std::min(precision, 9);
    return t;
}

QString TickText(double v, const Ticks& t)
{
    if (t.sci) return QString::number(v, 'g', 3);
    return QString::number(v, 'f', t.decimals);
}

void PointMark(QPainter& p, QPointF c, int style, QColor col, double s = 3)
{
    if (style == VAL_NO_POINT) return;
    p.setPen(col);
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

QFont TitleFont(const QFont& f)
{
    QFont t = f;
    t.setBold(true);
    return t;
}

// Everything the layout needs, computed once per paint.
struct Layout {
    QRectF area;
    Range xr, yr;
    Ticks xt, yt;
};

Layout MakeLayout(const QRect& r, const Graph& g, const GraphLook& look, const QFont& font)
{
    Layout L;
    QFontMetrics fm(font);
    L.xr = XRange(g);
    L.yr = YRange(g);
    const int top = 8 + (look.title.empty() ? 0 : QFontMetrics(TitleFont(font)).height() + 6);
    const int bottom = fm.height() * (g.x.name.empty() ? 1 : 2) + 12;
    // the y ticks first: their labels decide the left margin
    const double h = std::max(10, r.height() - top - bottom);
    L.yt = MakeTicks(L.yr.min, L.yr.max, g.y.map == VAL_LOG, std::max(2, int(h / (fm.height() * 2.2))), look.yprecision);
    int widest = fm.horizontalAdvance("0");
    for (double v : L.yt.at) widest = std::max(widest, fm.horizontalAdvance(TickText(v, L.yt)));
    const int left = widest + 10 + (g.y.name.empty() ? 0 : fm.height() + 6);
    const int right = 16;
    L.area = QRectF(r.left() + left, r.top() + top, std::max(10, r.width() - left - right), h);
    // x ticks far enough apart for their widest label
    const Ticks probe = MakeTicks(L.xr.min, L.xr.max, false, 8, look.xprecision);
    const int sample = std::max(fm.horizontalAdvance(TickText(L.xr.max, probe)), fm.horizontalAdvance(TickText(L.xr.min, probe)));
    const int maxX = std::max(2, int(L.area.width() / (sample + fm.horizontalAdvance("0000"))));
    L.xt = MakeTicks(L.xr.min, L.xr.max, g.x.map == VAL_LOG, maxX, look.xprecision);
    return L;
}

void PaintPlot(QPainter& p, const Plot& pl, const AxisMap& mx, const AxisMap& my, const QRectF& a, const Graph& g,
               const Range& yr, const QFontMetrics& fm)
{
    const QColor c = Col(pl.color);
    const size_t n = std::min(pl.x.size(), pl.y.size());
    if (pl.kind == VAL_PLOT_RECT && n == 2) {
        QRectF rc = QRectF(QPointF(mx(pl.x[0]), my(pl.y[0])), QPointF(mx(pl.x[1]), my(pl.y[1]))).normalized();
        if (!Transparent(pl.fillColor)) p.fillRect(rc, Col(pl.fillColor));
        p.setPen(c);
        p.drawRect(rc);
        return;
    }
    if (pl.kind == VAL_PLOT_TEXT && n == 1) {
        const QString s = QString::fromStdString(pl.text);
        const QPointF at(mx(pl.x[0]), my(pl.y[0]));
        const QRectF box(at.x(), at.y() - fm.ascent(), fm.horizontalAdvance(s), fm.height());
        if (!Transparent(pl.fillColor)) p.fillRect(box, Col(pl.fillColor));
        p.setPen(c);
        p.drawText(at, s);
        return;
    }
    if (pl.style == VAL_VERTICAL_BAR || pl.style == VAL_BASE_ZERO_VERTICAL_BAR) {
        double w = n > 1 ? std::fabs(mx(pl.x[1]) - mx(pl.x[0])) * 0.7 : 8;
        w = std::max(1.0, w);
        const double base = my(g.y.map == VAL_LOG ? yr.min : 0.0);
        for (size_t i = 0; i < n; ++i) {
            if (!std::isfinite(pl.y[i]) || pl.y[i] == 0) continue;
            const double px = mx(pl.x[i]);
            p.fillRect(QRectF(QPointF(px - w / 2, my(pl.y[i])), QPointF(px + w / 2, base)).normalized(), c);
        }
        return;
    }
    const bool scatter = pl.style == VAL_SCATTER || pl.kind == VAL_PLOT_POINT;
    if (scatter) {
        // every point (a scatter is not ordered along x); small marks when many
        const int ps = pl.pointStyle == VAL_NO_POINT ? VAL_SOLID_CIRCLE : pl.pointStyle;
        const double s = n > 2000 ? 1.5 : 3;
        for (size_t i = 0; i < n; ++i)
            if (std::isfinite(pl.x[i]) && std::isfinite(pl.y[i]))
                PointMark(p, QPointF(mx(pl.x[i]), my(pl.y[i])), n > 2000 ? VAL_SOLID_SQUARE : ps, c, s);
        return;
    }
    // curves: at most four points (first, minimum, maximum, last) per pixel column
    const std::vector<int> idx = Decimate(pl, mx.lo, mx.hi, int(a.width()));
    QPen pen(c, pl.style == VAL_FAT_LINE ? 2.5 : 1.2);
    if (pl.lineStyle == VAL_DASH) pen.setStyle(Qt::DashLine);
    if (pl.lineStyle == VAL_DOT) pen.setStyle(Qt::DotLine);
    // runs of finite points as polylines (a path of thousands of segments is
    // stroked as one polygon, many times slower); dense curves without
    // antialiasing, where it would only blur the pixel columns
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const bool dense = double(idx.size()) > a.width();
    p.setRenderHint(QPainter::Antialiasing, !dense);
    QPolygonF run;
    // in pieces of a few dozen points: a wide pen's outline of one long
    // zig-zag is filled scanline by scanline with every edge active at once
    auto flush = [&] {
        constexpr int piece = 48;
        if (run.size() == 1) p.drawPoint(run[0]);
        for (int i = 0; i + 1 < run.size(); i += piece)
            p.drawPolyline(run.constData() + i, std::min<int>(piece + 1, int(run.size()) - i));
        run.clear();
    };
    for (int i : idx) {
        const double x = pl.x[size_t(i)], y = pl.y[size_t(i)];
        if (!std::isfinite(x) || !std::isfinite(y)) { flush(); continue; }
        const QPointF q(mx(x), my(y));
        if (pl.style == VAL_THIN_STEP && !run.isEmpty()) run << QPointF(q.x(), run.back().y());
        run << q;
    }
    flush();
    p.setRenderHint(QPainter::Antialiasing, true);
    if (pl.style == VAL_CONNECTED_POINTS && idx.size() < 5000)
        for (int i : idx) PointMark(p, QPointF(mx(pl.x[size_t(i)]), my(pl.y[size_t(i)])), pl.pointStyle, c);
}

}  // namespace

double AxisMap::operator()(double v) const
{
    if (log) {
        const double l = std::log10(std::max(lo, 1e-300)), h = std::log10(std::max(hi, 1e-300));
        const double t = v > 0 ? (std::log10(v) - l) / (h - l) : -1e9;
        return a + (b - a) * t;
    }
    return a + (b - a) * (v - lo) / (hi - lo);
}

double AxisMap::inverse(double px) const
{
    const double t = (px - a) / (b - a);
    if (log) {
        const double l = std::log10(lo), h = std::log10(hi);
        return std::pow(10.0, l + t * (h - l));
    }
    return lo + t * (hi - lo);
}

namespace {

GraphMaps MapsOf(const Layout& L, const Graph& g)
{
    const QRectF& a = L.area;
    return {a, {L.xr.min, L.xr.max, g.x.map == VAL_LOG, a.left(), a.right()},
            {L.yr.min, L.yr.max, g.y.map == VAL_LOG, a.bottom(), a.top()}};
}

}  // namespace

GraphMaps MapGraph(const QRect& r, const Graph& g, const GraphLook& look, const QFont& font)
{
    return MapsOf(MakeLayout(r, g, look, font), g);
}

void PaintGraph(QPainter& p, const QRect& r, const Graph& g, const GraphLook& look, const QFont& font)
{
    p.save();
    p.setFont(font);
    const QFontMetrics fm(font);
    const bool dark = !Transparent(look.background) && qGray(Col(look.background).rgb()) < 100;
    const QColor fg = dark ? QColor(220, 220, 220) : QColor(30, 30, 30);
    p.fillRect(r, dark ? QColor(20, 20, 20) : QColor(240, 240, 240));
    const Layout L = MakeLayout(r, g, look, font);
    const QRectF& a = L.area;
    p.fillRect(a, Transparent(look.background) ? QColor(Qt::white) : Col(look.background));
    const GraphMaps maps = MapsOf(L, g);
    const AxisMap& mx = maps.x;
    const AxisMap& my = maps.y;

    if (!look.title.empty()) {
        p.setFont(TitleFont(font));
        const QFontMetrics tm(p.font());
        const QString t = tm.elidedText(QString::fromStdString(look.title), Qt::ElideRight, r.width() - 16);
        p.setPen(fg);
        p.drawText(QPointF(r.left() + (r.width() - tm.horizontalAdvance(t)) / 2.0, r.top() + 6 + tm.ascent()), t);
        p.setFont(font);
    }

    // grid, tick labels and axis names
    const QColor grid = dark ? QColor(70, 70, 70) : QColor(215, 215, 215);
    double last_right = -1e9;
    for (double t : L.xt.at) {
        const double px = mx(t);
        p.setPen(grid);
        p.drawLine(QPointF(px, a.top()), QPointF(px, a.bottom()));
        const QString s = TickText(t, L.xt);
        const double left = std::clamp(px - fm.horizontalAdvance(s) / 2.0, double(r.left()), r.right() - double(fm.horizontalAdvance(s)));
        if (left < last_right + 4) continue;   // never two labels on top of each other
        p.setPen(fg);
        p.drawText(QPointF(left, a.bottom() + fm.ascent() + 4), s);
        last_right = left + fm.horizontalAdvance(s);
    }
    for (double t : L.yt.at) {
        const double py = my(t);
        p.setPen(grid);
        p.drawLine(QPointF(a.left(), py), QPointF(a.right(), py));
        p.setPen(fg);
        const QString s = TickText(t, L.yt);
        p.drawText(QPointF(a.left() - fm.horizontalAdvance(s) - 5, py + fm.ascent() / 2.0 - 1), s);
    }
    p.setPen(fg);
    if (!g.x.name.empty()) {
        const QString s = QString::fromStdString(g.x.name);
        p.drawText(QPointF(a.center().x() - fm.horizontalAdvance(s) / 2.0, r.bottom() - fm.descent() - 3), s);
    }
    if (!g.y.name.empty()) {
        p.save();
        p.translate(r.left() + fm.ascent() + 3, a.center().y());
        p.rotate(-90);
        const QString s = QString::fromStdString(g.y.name);
        p.drawText(QPointF(-fm.horizontalAdvance(s) / 2.0, 0), s);
        p.restore();
    }

    p.setClipRect(a);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const auto& pl : g.plots) PaintPlot(p, pl, mx, my, a, g, L.yr, fm);

    // cursors
    for (int i = 0; i < std::min(4, g.numCursors); ++i) {
        const Cursor& cu = g.cursors[i];
        const QColor c = Col(cu.color);
        const QPointF at(mx(cu.x), my(cu.y));
        p.setPen(QPen(c, i + 1 == g.active ? 1.5 : 1.0, Qt::DashLine));
        switch (cu.crossHair) {
        case VAL_LONG_CROSS:
            p.drawLine(QPointF(a.left(), at.y()), QPointF(a.right(), at.y()));
            p.drawLine(QPointF(at.x(), a.top()), QPointF(at.x(), a.bottom()));
            break;
        case VAL_VERTICAL_LINE: p.drawLine(QPointF(at.x(), a.top()), QPointF(at.x(), a.bottom())); break;
        case VAL_HORIZONTAL_LINE: p.drawLine(QPointF(a.left(), at.y()), QPointF(a.right(), at.y())); break;
        case VAL_SHORT_CROSS:
            p.setPen(QPen(c, 1.5));
            p.drawLine(QPointF(at.x() - 10, at.y()), QPointF(at.x() + 10, at.y()));
            p.drawLine(QPointF(at.x(), at.y() - 10), QPointF(at.x(), at.y() + 10));
            break;
        default: break;
        }
        PointMark(p, at, cu.pointStyle, c);
    }
    p.setClipping(false);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(fg);
    p.setBrush(Qt::NoBrush);
    p.drawRect(a);
    p.restore();
}

QImage RenderGraph(const Graph& g, const GraphLook& look, QSize size, const QFont& font)
{
    QImage img(size, QImage::Format_ARGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    PaintGraph(p, QRect(QPoint(0, 0), size), g, look, font);
    p.end();
    return img;
}

namespace {

// A font for pictures made without a window: the application's, a little
// larger than the screen's default so that labels read well in reports.
QFont PictureFont()
{
    QFont f = QGuiApplication::font();
    if (f.pointSizeF() > 0 && f.pointSizeF() < 10) f.setPointSizeF(10);
    return f;
}

// Without a session (batch runs, CI) Qt warns that it has no runtime
// directory; the pictures need none.
QtMessageHandler g_previous_handler = nullptr;
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg && text.startsWith("QStandardPaths: XDG_RUNTIME_DIR")) return;
    if (g_previous_handler) g_previous_handler(type, context, text);
}

bool EnsureApplication()
{
    if (QCoreApplication::instance()) return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    g_previous_handler = qInstallMessageHandler(QuietHandler);
    static int argc = 1;
    static char name[] = "orivan";
    static char* argv[] = {name, nullptr};
    // kept to the end of the program: Qt's own statics are gone by the time
    // a static destructor would delete it
    new QGuiApplication(argc, argv);
    return true;
}

int WriteFile(const Graph& g, const GraphLook& look, const std::string& path, int width, int height)
{
    return WriteGraphFile(g, look, path, width, height);
}

}  // namespace

int WriteGraphFile(const Graph& g, const GraphLook& look, const std::string& path, int width, int height)
{
    if (!EnsureApplication()) return UIE_OperationNotAllowed;
    const QString file = QString::fromStdString(path);
    const QSize size(width, height);
    if (file.endsWith(".svg", Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setFileName(file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QString::fromStdString(look.title));
        QPainter p;
        if (!p.begin(&svg)) return UIE_CouldNotOpenFile;
        PaintGraph(p, QRect(QPoint(0, 0), size), g, look, PictureFont());
        return p.end() ? 0 : UIE_CouldNotOpenFile;
    }
    const QImage img = RenderGraph(g, look, size, PictureFont());
    return img.save(file, "PNG") ? 0 : UIE_CouldNotOpenFile;
}

void InstallGraphPainter() { SetGraphFileWriter(WriteFile); }

}  // namespace ui
