// Class list and class-finding wizard.
#include "evaluation/class_wizard.h"

#include <string>
#include <vector>

#include "evaluation/limits.h"
#include "panel_ids.h"
#include "platform/fmt.h"
#include "platform/ui/ui.h"
#include "state/para.h"
#include "state/panels.h"

namespace {

constexpr int kDecided = 6;     // step counter after a class was decided
std::vector<int> g_steps;       // questions asked so far, the current one last

int Edition()
{
    int e = para.h_standard;
    if (setting > 0) GetCtrlVal(setting, SETTING_VERSION, &e);
    return e;
}

void ShowStep(int step)
{
    char text[32];
    Fmt(text, "Step %i", step > 5 ? 5 : step);
    SetCtrlVal(panelWizard, WIZARD_STEP, text);
    SetCtrlAttribute(panelWizard, WIZARD_PREV, ATTR_DIMMED, g_steps.size() <= 1 ? 1 : 0);
    SetCtrlAttribute(panelWizard, WIZARD_NEXT, ATTR_DIMMED, step == kDecided ? 1 : 0);
    SetCtrlAttribute(panelWizard, WIZARD_SWITCH, ATTR_DIMMED, step == kDecided ? 1 : 0);
}

void Ask(int step)
{
    question(step);
    SetCtrlVal(panelWizard, WIZARD_RESULT, "");
    SetCtrlVal(panelWizard, WIZARD_SWITCH, 0);
    ShowStep(step);
}

void Decide(int cls)
{
    static const char* const names[] = {"Class A", "Class B", "Class C", "Class D"};
    para.h_class = cls;
    SetCtrlVal(panelWizard, WIZARD_RESULT, names[cls]);
    g_steps.push_back(kDecided);
    ShowStep(kDecided);
}

}  // namespace

void InsertClassItems(int panel, int control, int is_3_2)
{
    int count = 0;
    const ClassItem* items = ClassItems(is_3_2 != 0, &count);
    ClearListCtrl(panel, control);
    for (int i = 0; i < count; ++i) InsertListItem(panel, control, -1, items[i].label, items[i].value);
    if (count > 0) SetCtrlIndex(panel, control, 0);
}

void question(int number)
{
    const bool e2006 = Edition() == 2 || Edition() == 3;
    std::string text;
    switch (number) {
    case 1:
        text = e2006 ? "Balanced three-phase equipment ?\nHousehold appliances ?\nTools excluding portable tools ?\n"
                       "Dimmers for incandescent lamps ?\nAudio equipment ?"
                     : "Balanced three-phase equipment ?";
        break;
    case 2: text = "Portable tool ?"; break;
    case 3: text = "Lighting equipment ?"; break;
    case 4: text = e2006 ? "Equipment having P<600 W ?" : "Equipment having the special wave shape and P<600 W ?"; break;
    case 5:
        text = e2006 ? "Personal computers and personal computer monitors ?\nTelevision receivers ?" : "Motor driven ?";
        break;
    default: break;
    }
    SetCtrlVal(panelWizard, WIZARD_QUESTION, text);
}

int cbWizard(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    g_steps.assign(1, 1);
    Ask(1);
    InstallPopup(panelWizard);
    return 0;
}
UI_CALLBACK(cbWizard);

int cbNext(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT || g_steps.empty()) return 0;
    const int step = g_steps.back();
    if (step == kDecided) return 0;
    int yes = 0;
    GetCtrlVal(panel, WIZARD_SWITCH, &yes);
    const int e = Edition();
    switch (step) {
    case 1: if (yes) Decide(CLASS_A); else { g_steps.push_back(2); Ask(2); } break;
    case 2: if (yes) Decide(CLASS_B); else { g_steps.push_back(3); Ask(3); } break;
    case 3: if (yes) Decide(CLASS_C); else { g_steps.push_back(4); Ask(4); } break;
    case 4: if (yes) { g_steps.push_back(5); Ask(5); } else Decide(CLASS_A); break;
    case 5: Decide((yes != 0) == (e >= 2) ? CLASS_D : CLASS_A); break;
    default: break;
    }
    return 0;
}
UI_CALLBACK(cbNext);

int cbPrev(int, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT || g_steps.size() <= 1) return 0;
    g_steps.pop_back();
    if (g_steps.back() == kDecided) g_steps.pop_back();
    Ask(g_steps.back());
    return 0;
}
UI_CALLBACK(cbPrev);

int cbFinish(int panel, int, int event, void*, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    RemovePopup(panel);
    if (SetCtrlVal(setting, SETTING_CLASS, para.h_class) == 0)
        CallCtrlCallback(setting, SETTING_CLASS, EVENT_COMMIT, 0, 0, nullptr);
    return 0;
}
UI_CALLBACK(cbFinish);

int cbWisardSwitch(int panel, int control, int event, void*, int, int)
{
    if (event != EVENT_VAL_CHANGED && event != EVENT_COMMIT) return 0;
    int yes = 0;
    GetCtrlVal(panel, control, &yes);
    SetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, yes ? "Yes" : "No");
    return 0;
}
UI_CALLBACK(cbWisardSwitch);
