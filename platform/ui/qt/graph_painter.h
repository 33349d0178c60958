// The painter of the graph control: one drawing of the plot model for the
// screen (OrivanGraph), printing and the clipboard, and for pictures in
// files (PNG through QImage, SVG through QSvgGenerator), with or without a
// window system.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <string>

#include "platform/ui/graph_file.h"
#include "platform/ui/plotmodel.h"

namespace ui {

void PaintGraph(QPainter& p, const QRect& r, const Graph& g, const GraphLook& look, const QFont& font);
QImage RenderGraph(const Graph& g, const GraphLook& look, QSize size, const QFont& font);
// PNG or SVG by the extension; 0 or a negative toolkit error.
int WriteGraphFile(const Graph& g, const GraphLook& look, const std::string& path, int width, int height);

// Makes SaveGraphToFile draw with this painter. Without an application
// object one is made on first use, on the offscreen platform unless
// QT_QPA_PLATFORM names another.
void InstallGraphPainter();

// Maps data to pixels along one axis.
struct AxisMap {
    double lo, hi;
    bool log;
    double a, b;   // pixel range
    double operator()(double v) const;
    double inverse(double px) const;
};

// The plot area inside r (the rest holds title, tick labels and axis names)
// and the maps of both axes onto it, as the graph is painted.
struct GraphMaps {
    QRectF area;
    AxisMap x, y;
};
GraphMaps MapGraph(const QRect& r, const Graph& g, const GraphLook& look, const QFont& font);

}  // namespace ui
