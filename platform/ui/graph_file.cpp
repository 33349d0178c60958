#include "platform/ui/graph_file.h"

#include <algorithm>
#include <cctype>

#include "platform/ui/model.h"
#include "platform/ui/ui.h"

namespace ui {
namespace {
GraphFileWriter g_writer = nullptr;
}
void SetGraphFileWriter(GraphFileWriter w) { g_writer = w; }
bool HaveGraphPainter() { return g_writer != nullptr; }
GraphFileWriter CurrentGraphFileWriter() { return g_writer; }
}  // namespace ui

ui::GraphLook ui::LookOf(const ui::Control& c)
{
    GraphLook look;
    look.title = c.attrStr(ATTR_LABEL_TEXT);
    look.background = c.attrInt(ATTR_PLOT_BGCOLOR, VAL_WHITE);
    look.xprecision = c.attrInt(ATTR_XPRECISION, -1);
    look.yprecision = c.attrInt(ATTR_YPRECISION, -1);
    return look;
}

int SaveGraphToFile(int panel, int control, const char* path, int width, int height)
{
    ui::Control* c = ui::FindCtrl(panel, control);
    if (!c) return ui::FindPanel(panel) ? UIE_InvalidControl : UIE_InvalidPanel;
    if (c->kind != ui::Kind::Graph || !path || width < 16 || height < 16 || !ui::HaveGraphPainter())
        return UIE_OperationNotAllowed;
    std::string p = path, ext = p.size() >= 4 ? p.substr(p.size() - 4) : "";
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char ch) { return char(std::tolower(ch)); });
    if (ext != ".png" && ext != ".svg") return UIE_OperationNotAllowed;
    return ui::CurrentGraphFileWriter()(c->graph, ui::LookOf(*c), p, width, height);
}
