// orivan: the desktop test program on the Qt Widgets back-end.
#include <clocale>
#include <cstdio>

#include "app/startup.h"
#include "app/simulation.h"
#include "reports/converter.h"
#include "platform/ui/qt/qtbackend.h"

int main(int argc, char** argv)
{
    if (!ui::UseQtBackend(argc, argv)) {
        std::fprintf(stderr, "orivan: no display (DISPLAY or WAYLAND_DISPLAY is not set); "
                             "run under Xvfb or use orivan-cli\n");
        return 1;
    }
    // Qt takes the numeric locale from the desktop; numbers stay in the C locale.
    std::setlocale(LC_NUMERIC, "C");
    sim::FollowSettingsRecord();
    SetSimulationStarter(sim::StartProgramSimulation);
    SetPdfViewer(DefaultPdfViewer());   // reports open in the desktop's viewer (pdfviewer.ini beside the program)
    return orivan_main(argc, argv) < 0 ? 1 : 0;
}
