// Driving the headless back-end: user actions, timer ticks and popup answers
// for tests and batch runs. Panels live in memory only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/model.h"

namespace ui {

// ---- mode --------------------------------------------------------------------
// Test mode (default): every popup needs a queued answer; a popup without one
// is reported to the unexpected-popup handler with its title and text.
// Batch mode (orivan-cli): messages go to stderr, confirmations answer "no"
// and file dialogs cancel unless an answer is queued.
enum class HeadlessMode { Test, Batch };
void SetHeadlessMode(HeadlessMode m);
HeadlessMode GetHeadlessMode();
using PopupFailure = std::function<void(const std::string& what)>;
// Default handler: print the popup to stderr and abort the program.
void SetUnexpectedPopupHandler(PopupFailure f);

// ---- popup answers, consumed in order ---------------------------------------------
// `during` runs while the popup is up (e.g. to inject a timer tick).
using During = std::function<void()>;
void QueueMessageAck(During during = {});
void QueueConfirm(int answer, During during = {});
// An empty path cancels the dialog.
void QueueFileSelect(const std::string& path, During during = {});
size_t QueuedAnswers();
void ClearQueuedAnswers();

struct PopupRecord {
    std::string kind;    // "message", "confirm", "file"
    std::string title, text;
    FileRequest request;
    int answer = 0;
};
const std::vector<PopupRecord>& PopupLog();
void ClearPopupLog();

// ---- user actions (false when the control is missing, hidden or dimmed) --------------
// A command button: commit.
bool Commit(int panel, int control);
// Changes a value as the user does: value changed, then commit.
bool UserSetValue(int panel, int control, double value);
bool UserSetValue(int panel, int control, const std::string& value);
bool UserSelectIndex(int panel, int control, int index);
// Flips a check box or toggle button.
bool Click(int panel, int control);
bool RightClick(int panel, int control);
// A key pressed on a control (e.g. VAL_MENUKEY_MODIFIER | 'C').
bool KeyPress(int panel, int control, int key);
// The close box of a panel.
bool ClosePanel(int panel);
// Moves a graph cursor as the user does (snaps, then commit).
bool UserMoveCursor(int panel, int control, int cursor, double x, double y);
// Whether a user could operate the control now.
bool Operable(int panel, int control);

// ---- timers ---------------------------------------------------------------------------
// One tick of a timer control if it is enabled; false otherwise. A tick that
// arrives while a callback runs is held back (see Deliver).
bool TickTimer(int panel, int control);
// Advances the timers' own time by `seconds`, ticking every enabled timer as
// its interval falls due, in time order. Returns the ticks delivered.
int AdvanceTimers(double seconds);

// ---- inspection -----------------------------------------------------------------------
// The first loaded panel with this resource number (0 when none).
int PanelByNumber(int number);
std::string PrintedText();   // everything printed to the printer so far
void ClearPrinted();
// Makes the printer fail: after `okJobs` more jobs printed, every job sent to
// the printer returns `code` (e.g. UIE_NoPrinter); code 0 mends it.
void SetPrinterFailure(int code, int okJobs = 0);
int PrintJobs();             // jobs the printer took
const Bitmap* ClipboardBitmap();
int MouseCursorShape();
int BeepCount();
bool QuitRequested(int* code = nullptr);
// Discards panels, answers, logs, printer and clipboard; test mode.
void ResetUi();

}  // namespace ui
