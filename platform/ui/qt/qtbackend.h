// The Qt Widgets back-end of the toolkit: panels loaded from the same .ui
// files with QUiLoader, mirroring the shared panel model.
#pragma once

class QWidget;

namespace ui {

// Creates the application object and makes Qt the back-end. Call before the
// first panel is loaded. False when no display can be opened.
bool UseQtBackend(int& argc, char** argv);
// The widget showing a panel, or a control of it (nullptr when none).
QWidget* PanelWidget(int panel);
QWidget* ControlWidget(int panel, int control);

}  // namespace ui
