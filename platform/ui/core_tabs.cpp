// Toolkit API: the tab control.
#include "platform/ui/core_internal.h"

using namespace ui;
using namespace ui::core;

// ---- tab control --------------------------------------------------------------------------------

#define TAB_OR_FAIL(panel, control)  \
    CTRL_OR_FAIL(panel, control);    \
    if (c->kind != Kind::Tab) return UIE_OperationNotAllowed;

int EasyTab_ConvertFromCanvas(int panel, int canvas)
{
    CTRL_OR_FAIL(panel, canvas);
    if (c->kind != Kind::Tab && c->kind != Kind::Deco) return UIE_OperationNotAllowed;
    c->kind = Kind::Tab;
    return canvas;
}

int EasyTab_LoadPanel(int panel, int tabCtrl, const char* file, int number, int* page)
{
    {
        TAB_OR_FAIL(panel, tabCtrl);
    }
    int h = LoadPanel(panel, file, number);
    if (h < 0) return h;
    Control* c = FindCtrl(panel, tabCtrl);
    Panel* p = FindPanel(h);
    p->tabOwner = panel;
    p->visible = true;
    c->pages.push_back(h);
    if (!c->activePage) c->activePage = h;
    if (page) *page = h;
    B().tabChanged(*FindPanel(panel), *c);
    return 0;
}

int EasyTab_SetAttribute(int panel, int tabCtrl, int attr, int value)
{
    TAB_OR_FAIL(panel, tabCtrl);
    if (attr != ATTR_EASY_TAB_ACTIVE_PANEL) return UIE_OperationNotAllowed;
    if (std::find(c->pages.begin(), c->pages.end(), value) == c->pages.end()) return UIE_InvalidPanel;
    c->activePage = value;
    B().tabChanged(*FindPanel(panel), *c);
    return 0;
}

int EasyTab_GetAttribute(int panel, int tabCtrl, int attr, int* value)
{
    TAB_OR_FAIL(panel, tabCtrl);
    if (attr != ATTR_EASY_TAB_ACTIVE_PANEL) return UIE_OperationNotAllowed;
    *value = c->activePage;
    return 0;
}

int EasyTab_SetTabAttribute(int panel, int tabCtrl, int page, int attr, int value)
{
    TAB_OR_FAIL(panel, tabCtrl);
    if (std::find(c->pages.begin(), c->pages.end(), page) == c->pages.end()) return UIE_InvalidPanel;
    if (attr != ATTR_EASY_TAB_DIMMED) return UIE_OperationNotAllowed;
    c->pageDimmed[page] = value != 0;
    FindPanel(page)->dimmed = value != 0;
    B().tabChanged(*FindPanel(panel), *c);
    return 0;
}

int EasyTab_GetTabAttribute(int panel, int tabCtrl, int page, int attr, int* value)
{
    TAB_OR_FAIL(panel, tabCtrl);
    if (std::find(c->pages.begin(), c->pages.end(), page) == c->pages.end()) return UIE_InvalidPanel;
    if (attr != ATTR_EASY_TAB_DIMMED) return UIE_OperationNotAllowed;
    *value = c->pageDimmed[page];
    return 0;
}
