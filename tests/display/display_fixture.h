// Stored runs for the graph tests: logging files written with the logging
// file writers, loaded on the headless back-end with the program's panels.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/files/builder.h"
#include "display/cursors.h"
#include "display/plot.h"
#include "display/plot_list.h"
#include "display/plot_quantities.h"
#include "display/plot_series.h"
#include "display/views.h"
#include "panel_ids.h"
#include "platform/ui/headless.h"
#include "platform/ui/ui.h"

namespace dt {

struct DisplayTest : tb::FilesTest {
    void TearDown() override
    {
        tb::FilesTest::TearDown();
    }

    // Loads a file as the graph panel's load button does with the file-name
    // field in use: the panel then shows the standard view in work mode 1.
    void Open(const std::string& path)
    {
        SetCtrlVal(diagnos, DIAGNOS_USEFILE, 1);
        SetCtrlVal(diagnos, DIAGNOS_FILE, path.c_str());
        CallCtrlCallback(diagnos, DIAGNOS_LOAD, EVENT_COMMIT, 0, 0, nullptr);
        ASSERT_EQ(LastLoadReport().status, 0) << LastLoadReport().message;
    }

    // A harmonic run of n frames; `edit` changes frame k of phase p.
    void LoadHarmonic(int n, int phases, const std::function<void(int k, int p, HarmFrame&)>& edit = {},
                      const std::function<void(Para&)>& settings = {})
    {
        Para p = tb::MakePara(0, phases);
        if (settings) settings(p);
        auto sets = tb::HarmSets(n, phases);
        if (edit)
            for (int k = 0; k < n; ++k)
                for (int ph = 0; ph < phases; ++ph) edit(k, ph, sets[size_t(k)][size_t(ph)]);
        std::vector<HarmResult> res;
        for (int ph = 0; ph < phases; ++ph) res.push_back(tb::HResult(ph));
        tb::WriteCurrent(Path("h.qel"), p, sets, res);
        Open(Path("h.qel"));
    }

    // A flicker run as the analyser stores it; frames are numbered 1..n in
    // the frame list order (the loading keeps one of each stored pair).
    void LoadFlicker(int n, int phases, const std::function<void(int k, int p, FlkFrame&)>& edit = {},
                     const std::function<void(Para&)>& settings = {})
    {
        Para p = tb::MakePara(1, phases);
        if (settings) settings(p);
        std::vector<tb::Set<FlkFrame>> v;
        for (int k = 1; k <= n; ++k) {
            tb::Set<FlkFrame> s{};
            for (int ph = 0; ph < phases; ++ph) {
                s[size_t(ph)] = tb::FFrame(k, ph);
                if (edit) edit(k - 1, ph, s[size_t(ph)]);
            }
            v.push_back(s);
            if (k > 1) v.push_back(s);
        }
        tb::WriteCurrent(Path("f.qel"), p, v);
        Open(Path("f.qel"));
        ASSERT_EQ(ListNumItems(listbuf[0]), n);
    }

    // The plot view with these plots in the list (codes), the first selected.
    void PlotView(std::initializer_list<int> codes)
    {
        ui::UserSetValue(diagnos, DIAGNOS_VIEWMODE, 0);
        for (int code : codes) {
            const int step = PlotCodeStep(LoadedRunKind());
            ASSERT_GE(InsertPlot(code / step, code % step), 0) << code;
        }
        SetCtrlIndex(diagnos, DIAGNOS_PLOTLIST, 0);
        SetCtrlAttribute(diagnos, DIAGNOS_KIND, ATTR_DIMMED, 0);
        RedrawPlotList(CurrentPlotKind());
    }

    const ui::Graph& G() { return ui::FindCtrl(diagnos, DIAGNOS_GRAPH)->graph; }
    // Plots drawn in this colour, in order.
    std::vector<const ui::Plot*> PlotsOf(int color)
    {
        std::vector<const ui::Plot*> v;
        for (const auto& p : G().plots)
            if (p.color == color) v.push_back(&p);
        return v;
    }
    std::string Text(int control)
    {
        std::string s;
        GetCtrlVal(diagnos, control, &s);
        return s;
    }
    std::string Title()
    {
        std::string s;
        GetCtrlAttribute(diagnos, DIAGNOS_GRAPH, ATTR_LABEL_TEXT, &s);
        return s;
    }
    int Dimmed(int control) { return Attr(diagnos, control, ATTR_DIMMED); }
    void SetSwitch(int control, int on) { SetCtrlVal(diagnos, control, on); }
};

}  // namespace dt
