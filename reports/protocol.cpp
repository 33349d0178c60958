#include "reports/protocol.h"

#include "panel_ids.h"
#include "platform/state_reset.h"
#include "platform/ui/ui.h"
#include "reports/advanced.h"
#include "reports/protocol_data.h"
#include "state/para.h"
#include "state/panels.h"

std::string bufTable;

static void reset_protocol_state() { bufTable.clear(); }
REGISTER_STATE_RESET(reset_protocol_state);

void LoggingFileLines(std::string& out)
{
    std::string date, time;
    LogFileDateTime(&date, &time);
    Put(out, "       Measuring loggfile %s \n       is dated %s %s\n\n", FixedText(para.log_file), date, time);
}

void ProtocolHeader(std::string& out, bool harmonic)
{
    Put(out, "               Measuring protocol printed at %s %s\n\n", TodayText(), NowText());
    LoggingFileLines(out);
    if (harmonic) out += "            Test data:\n";
    Put(out, "\n       Name:                %s", EutField(0));
    Put(out, "\n       Department:          %s", EutField(1));
    Put(out, "\n       Company:             %s", EutField(2));
    Put(out, "\n       Device:              %s", EutField(3));
    Put(out, "\n       Manufacturer:        %s", EutField(4));
    Put(out, harmonic ? "\n       Type:                %s\n" : "\n       Type:                %s", EutField(5));
    for (int i = 0; i < 7; ++i) Put(out, "       %s\n", CommentLine(i));
    Put(out, "\n       %s Version %s was used", ProgramName(), RunVersion());
    Put(out, "\n       The measuring setup consists of  \n       a %s, SN %s, Rev. %s", FixedText(para.model[0]),
        FixedText(para.serial_no[0]), FixedText(para.revision[0]));
    if (ReportPhases() == 3)
        for (int p = 1; p < 3; ++p)
            Put(out, harmonic ? " a %s, SN %s, Rev. %s" : "       a %s, SN %s, Rev. %s", FixedText(para.model[p]),
                FixedText(para.serial_no[p]), FixedText(para.revision[p]));
}

int CreateProtocol()
{
    bufTable.clear();
    const int kind = LoadedTestKind();
    if (kind == 0) {
        createResultTableH1(bufTable);
        createResultTableH2(bufTable);
    } else if (kind == 1) {
        createResultTableF1(bufTable);
        createResultTableF2(bufTable);
    }
    ResetTextBox(protocol, PROTOCOL_TEXT, bufTable.c_str());
    SetAdvancedPanel();
    return 0;
}

bool PrintedProtocolPages(std::string* page1, std::string* page2)
{
    const int kind = LoadedTestKind();
    if (kind != 0 && kind != 1) return false;
    if (kind == 0) createResultTableH1(*page1);
    else createResultTableF1(*page1);
    *page1 += "                                                          Page 2 ..";
    page2->clear();
    Put(*page2, "Protocol from %s %s            Page 2\n\n", TodayText(), NowText());
    LoggingFileLines(*page2);
    if (kind == 0) createResultTableH2(*page2);
    else createResultTableF2(*page2);
    return true;
}
