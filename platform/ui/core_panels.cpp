// Toolkit API: panels.
#include "platform/ui/core_internal.h"

using namespace ui;
using namespace ui::core;

// ---- panels ----------------------------------------------------------------------

int LoadPanel(int parent, const char* file, int number)
{
    int err = 0;
    const auto* res = Resources(file, &err);
    if (!res) return err;
    auto it = res->find(number);
    if (it == res->end()) return UIE_PanelNotFound;
    if (parent && !FindPanel(parent)) return UIE_InvalidPanel;
    const PanelSpec& spec = it->second;
    auto p = std::make_unique<Panel>();
    p->handle = S().nextPanel++;
    p->number = number;
    p->name = spec.name;
    p->file = spec.file;
    p->parent = parent;
    p->title = spec.title;
    p->callbackName = spec.callback;
    for (const auto& cs : spec.controls) p->controls.push_back(MakeControl(cs));
    Panel& ref = *p;
    S().panels[ref.handle] = std::move(p);
    B().panelLoaded(ref);
    return ref.handle;
}

int DiscardPanel(int panel)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    std::vector<int> children;
    for (const auto& [h, q] : S().panels)
        if (q->parent == panel) children.push_back(h);
    for (int h : children) DiscardPanel(h);
    B().panelDiscarded(panel);
    S().panels.erase(panel);
    return 0;
}

// Applies a change to a panel and tells the back-end.
template <class Change>
static int ChangePanel(int panel, Change change)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    change(*p);
    B().panelChanged(*p);
    return 0;
}

int DisplayPanel(int panel)
{
    return ChangePanel(panel, [](Panel& p) { p.visible = true; });
}

int HidePanel(int panel)
{
    return ChangePanel(panel, [](Panel& p) {
        p.visible = false;
        p.popup = false;
    });
}

int InstallPopup(int panel)
{
    return ChangePanel(panel, [](Panel& p) {
        p.visible = true;
        p.popup = true;
    });
}

int RemovePopup(int panel)
{
    Panel* target = nullptr;
    if (panel > 0) target = FindPanel(panel);
    else
        for (auto it = S().panels.rbegin(); it != S().panels.rend(); ++it)
            if (it->second->popup) { target = it->second.get(); break; }
    if (!target) return panel > 0 ? UIE_InvalidPanel : 0;
    target->popup = false;
    target->visible = false;
    B().panelChanged(*target);
    return 0;
}

int DefaultPanel(int panel)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    for (auto& c : p->controls) DefaultCtrl(panel, c.id);
    return 0;
}

int SetPanelAttribute(int panel, int attr, int value)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    if (attr == ATTR_VISIBLE) p->visible = value != 0;
    else if (attr == ATTR_DIMMED) p->dimmed = value != 0;
    else return UIE_OperationNotAllowed;
    B().panelChanged(*p);
    return 0;
}

int SetPanelAttribute(int panel, int attr, const char* value)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    if (attr != ATTR_TITLE) return UIE_OperationNotAllowed;
    p->title = value ? value : "";
    B().panelChanged(*p);
    return 0;
}

int GetPanelAttribute(int panel, int attr, int* value)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    if (attr == ATTR_VISIBLE) *value = p->visible;
    else if (attr == ATTR_DIMMED) *value = p->dimmed;
    else if (attr == ATTR_NUM_CTRLS) *value = int(p->controls.size());
    else if (attr == ATTR_PANEL_PARENT) *value = p->parent;
    else return UIE_OperationNotAllowed;
    return 0;
}

int GetPanelAttribute(int panel, int attr, std::string* value)
{
    Panel* p = FindPanel(panel);
    if (!p) return UIE_InvalidPanel;
    if (attr == ATTR_TITLE) *value = p->title;
    else if (attr == ATTR_CONSTANT_NAME) *value = p->name;
    else return UIE_OperationNotAllowed;
    return 0;
}

static int g_activePanel = 0;
int GetActivePanel() { return g_activePanel; }
int SetActivePanel(int panel)
{
    if (!FindPanel(panel)) return UIE_InvalidPanel;
    g_activePanel = panel;
    return 0;
}
