// Query texts of the cyclic and the result answers.
#include "measure/commands.h"

#include "platform/fmt.h"
#include "state/channels.h"
#include "state/para.h"
#include "state/records.h"
#include "state/workmode.h"

namespace {

bool PamC() { return para.analyser == 1; }

// Power pair of the harmonic query: the test's averages under the 2006
// limits, the frame's values otherwise. `group` 0 is unnumbered, the groups
// of L2 and L3 carry their channel number so that each record holds its own
// phase's power.
std::string PowerPair(int group)
{
    const bool averages = para.h_standard == 2 || para.h_standard == 3;
    if (group == 0) return averages ? "HPAV?;HPFA?;" : "P?;PF?;";
    std::string n = std::to_string(group + 1);
    return averages ? "HPAV" + n + "?;HPFA" + n + "?;" : "P" + n + "?;PF" + n + "?;";
}

std::string HarmonicGroup(int group)
{
    std::string t;
    const int c = group + 1;
    Fmt(t,
        "FLTR?;HIAM%i? (0:%i);HIPH%i? (0:%i);UTRMS%i?;ITRMS%i?;%sFREQ?;HUHD%i?;HIHD%i?;S%i?;Q%i?;HTHC%i?;"
        "HPOC%i?;HIOV%i? (0:3);HIST%i?;HENS%i?;HUOV%i? (0:3);HUST%i?;HUPH%i? (1:1);EDIT?;COUNT?;OVRU%i?;OVRI%i?;"
        "HIMA%i?;AIVA1?;AIVA2?;AIVA3?;AIVA4?;",
        c, 40, c, 40, c, c, PowerPair(group), c, c, c, c, c, c, c, c, c, c, c, c, c, c, c);
    return t;
}

std::string FlickerGroup(int group, bool leader)
{
    std::string t;
    const int c = group + 1;
    Fmt(t,
        "%sFLTR?;FSTR?;FSTA?;UTRMS%i?;ITRMS%i?;P%i?;PF%i?;FREQ%i?;HUHD%i?;HIHD%i?;S%i?;Q%i?;FLST%i?;FLLT%i?;"
        "FLMO%i?;FLMS%i? (0:31);FLRM%i? (0:31);FLDT%i? (0:31);FLDC%i?;FLDX%i?;FLRE%i?;EDIT?;COUNT?;OVRU%i?;"
        "OVRI%i?;AIVA1?;AIVA2?;AIVA3?;AIVA4?;",
        leader ? "ACTN;" : "", c, c, c, c, c, c, c, c, c, c, c, c, c, c, c, c, c, c, c, c);
    return t;
}

}  // namespace

void PrepareCmd(std::string& text, int channel)
{
    text.clear();
    const bool flicker = para.test_kind == 1;
    if (PamC()) {
        if (channel != 0) return;
        for (int g = 0; g < 3; ++g) text += flicker ? FlickerGroup(g, g == 0) : (g ? "" : "ACTN;") + HarmonicGroup(g);
        text += "\n";
        return;
    }
    const bool inputs = channel >= 0 && channel < 3 && para.ai_on[channel] != 0;
    std::string t;
    if (flicker) {
        t = "ACTN;FLTR?;FSTR?;FSTA?;UTRMS?;ITRMS?;P?;PF?;FREQ?;HUHD?;HIHD?;S?;Q?;FLST?;FLLT?;FLMO?;FLMS? (0:31);"
            "FLRM? (0:31);FLDT? (0:31);FLDC?;FLDX?;FLRE?;EDIT?;COUNT?;OVRU?;OVRI?";
        t += inputs ? ";AIVA1?;AIVA2?;AIVA3?;AIVA4?\n" : "\n";
    } else {
        Fmt(t, "ACTN;FLTR?;HIAM? (0:%i);HIPH? (0:%i);UTRMS?;ITRMS?;%sFREQ?;HUHD?;HIHD?;S?;Q?;HTHC?;HPOC?;HIOV? (0:3);"
               "HIST?;HENS?;HUOV? (0:3);HUST?;%s;EDIT?;COUNT?;OVRU?;OVRI?",
            40, 40, PowerPair(0), inputs ? "HUPH? (1:1)" : "HUPH1? (1:1)");
        t += inputs ? ";HIMA?;AIVA1?;AIVA2?;AIVA3?;AIVA4?\n" : "\n";
    }
    text = t;
}

void PrepareCmdResult(std::string& text)
{
    text.clear();
    const bool flicker = para.test_kind == 1;
    if (PamC()) {
        text = "INIM;";
        for (int g = 0; g < 3; ++g) {
            const int c = g + 1;
            std::string t;
            if (flicker) {
                // The first group is unnumbered (channel 1).
                const std::string n = g ? std::to_string(c) : std::string();
                Fmt(t, "FLTR?;FSTR?;FSTA?;UTRMS%s?;ITRMS%s?;P%s?;PF%s?;FREQ%s?;HUHD%s?;HIHD%s?;S%s?;Q%s?;FLST%s?;"
                       "FLLT%s?;FLMO%s?;FLMS%s? (0:31);FLRM%s? (0:31);FLDT%s? (0:31);FLDC%s?;FLDX%s?;FLRE%s?;EDIT?;"
                       "COUNT?;",
                    n, n, n, n, n, n, n, n, n, n, n, n, n, n, n, n, n, n);
            } else {
                Fmt(t, "FLTR?;HIAV%i? (0:40);HUMX%i? (0:40);HFMX%i? (0:40);HILT%i? (0:1);HULT%i? (0:1);HIFL%i? (0:1);"
                       "HIGF%i?;HUGF%i?;HENS%i?;EVAL?;EDIT?;HPM%i?;HPFM%i?;HIFM%i?;",
                    c, c, c, c, c, c, c, c, c, c, c, c);
            }
            text += t;
        }
        text += "\n";
        return;
    }
    if (flicker)
        text = "INIM;FLTR?;FSTR?;FSTA?;UTRMS?;ITRMS?;P?;PF?;FREQ?;HUHD?;HIHD?;S?;Q?;FLST?;FLLT?;FLMO?;FLMS? (0:31);"
               "FLRM? (0:31);FLDT? (0:31);FLDC?;FLDX?;FLRE?;EDIT?;COUNT?;\n";
    else
        text = "INIM;FLTR?;HIAV? (0:40);HUMX? (0:40);HFMX? (0:40);HILT? (0:1);HULT? (0:1);HIFL? (0:1);HIGF?;HUGF?;"
               "HENS?;EVAL?;EDIT?;HPM?;HPFM?;HIFM?\n";
}

int CyclicAnswerSize(int channel)
{
    const bool flicker = para.test_kind == 1;
    if (PamC()) return channel == 0 ? 3 * (flicker ? int(sizeof(FlkFrame)) : int(sizeof(HarmFrame))) : 0;
    const bool inputs = channel >= 0 && channel < 3 && para.ai_on[channel] != 0;
    if (flicker) return inputs ? int(sizeof(FlkFrame)) : int(sizeof(FlkFrame)) - 16;
    return inputs ? int(sizeof(HarmFrame)) : int(sizeof(HarmFrame)) - 20;
}

int ResultAnswerSize() { return (PamC() ? 3 : 1) * int(sizeof(HarmResult)); }
