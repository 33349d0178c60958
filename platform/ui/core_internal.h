// Private to the toolkit core (platform/ui/core*.cpp): the state of the
// panel model and the helpers its API sections share.
#pragma once

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/model.h"

namespace ui {

std::unique_ptr<Backend> MakeHeadlessBackend();

namespace core {

struct Frame {
    int panel, control;
    int inProcess = 0;
};

struct State {
    std::map<int, std::unique_ptr<Panel>> panels;
    int nextPanel = 1;
    std::map<int, Bitmap> bitmaps;
    int nextBitmap = 1;
    std::vector<Frame> stack;
    int popupDepth = 0;
    std::deque<Event> pending;
    std::string resourceDir;
    std::map<std::string, std::map<int, PanelSpec>> resources;   // dir -> panels
    std::string printOutput, printDocument;
    int printOrientation = VAL_PORTRAIT, printFontSize = 10;
    std::unique_ptr<Backend> backend;
};

State& S();
std::map<std::string, CtrlCallbackPtr>& CtrlRegistry();
std::map<std::string, PanelCallbackPtr>& PanelRegistry();
Backend& B();
void Changed(int panel, Control& c);
std::string Lower(std::string s);
bool ParseDouble(const std::string& s, double* out);
std::vector<std::string> SplitList(const std::string& s, char sep);
std::vector<std::string> SplitLines(const std::string& s);
bool IsTrue(const std::string& s);
Control MakeControl(const CtrlSpec& cs);
bool Ok(int panel, int control, Control** c);
bool HasItems(const Control* c);
double Clamp(const Control* c, double v);
bool SameValue(const Value& a, double v);
bool ToInt(double d, int* out);
int SetNumber(int panel, Control* c, double v, bool isInt, long long iv);
void PushFrame(int panel, int control);
void PopFrame();
bool OnStack(int panel, int control);
int RunCallback(const Event& e);
bool MayRunNow(const Event& e);
void Hold(const Event& e);
void Drain();
int Popup(const std::function<int()>& f);
std::string ExeDir();
bool IsDir(const std::string& d);
const std::map<int, PanelSpec>* Resources(const char* file, int* err);
int CopyToBuffer(const std::string& s, char* buf, size_t size);

}  // namespace core
}  // namespace ui

// Declares `Control* c` for a control of a panel, or returns the error.
#define CTRL_OR_FAIL(panel, control)                         \
    Control* c = nullptr;                                    \
    if (!FindPanel(panel)) return UIE_InvalidPanel;          \
    if (!Ok(panel, control, &c)) return UIE_InvalidControl;
