// Pictures of a graph control in files: PNG or SVG, drawn by the painter of
// the graph widget (the same code paints the screen, print and clipboard).
// The headless library holds no painter; a program that links one installs
// it (ui::InstallGraphPainter in platform/ui/qt/graph_painter.h).
#pragma once

#include <string>

#include "platform/ui/plotmodel.h"

namespace ui {

// What a painter needs besides the plot model.
struct GraphLook {
    std::string title;          // the control's label text, drawn above the plot area
    int background = 0xFFFFFF;  // plot area colour
    // Digits after the point of the tick labels (ATTR_XPRECISION,
    // ATTR_YPRECISION); 0 keeps the ticks on whole numbers; -1 chooses.
    int xprecision = -1, yprecision = -1;
};
// The look of a graph control as its attributes say.
struct Control;
GraphLook LookOf(const Control& c);

// Writes the picture; the format follows the extension (".png", ".svg").
// 0, or a negative toolkit error.
using GraphFileWriter = int (*)(const Graph& g, const GraphLook& look, const std::string& path, int width,
                                int height);
void SetGraphFileWriter(GraphFileWriter w);
bool HaveGraphPainter();
GraphFileWriter CurrentGraphFileWriter();

}  // namespace ui

// Saves graph `control` of `panel` as a `width` x `height` picture. Returns
// UIE_OperationNotAllowed without a painter or for another extension,
// UIE_CouldNotOpenFile when the file cannot be written.
int SaveGraphToFile(int panel, int control, const char* path, int width, int height);
