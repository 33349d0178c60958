// Sending command text to the power source.
#include "measure/power_source.h"

#include <string>

#include "platform/gpib/ni488.h"
#include "platform/ui/ui.h"

int SendToSource(int address, const char* text)
{
    const std::string line = std::string(text ? text : "") + "\n";
    const int ud = gpib::ibdev(0, address, 0, 12, 1, 0);
    if (ud < 0) {
        MessagePopup("Error", "Unable to open the interface of the power source");
        return -1;
    }
    const int status = gpib::ibwrt(ud, line.data(), long(line.size()));
    gpib::ibloc(ud);
    gpib::ibonl(ud, 0);
    if (status & gpib::STATUS_ERR) {
        MessagePopup("Error", "Unable to send string to power source");
        return -1;
    }
    return 0;
}
