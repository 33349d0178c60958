#!/usr/bin/python3
"""Writes the first version of the panel resource (resources/*.ui).

The .ui files are the source of the panels and may be edited in Qt Designer
afterwards; rerunning this script overwrites such edits. Layout rules: group
boxes with form or grid layouts, one control per role, the `callback`
dynamic property names the callback, `values` the ring item values.
"""
import os
import sys
from xml.sax.saxutils import escape

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
_auto = [0]


def auto(prefix="w"):
    _auto[0] += 1
    return "%s_%d" % (prefix, _auto[0])


def prop(name, kind, value, dyn=False):
    sd = ' stdset="0"' if dyn else ""
    if kind == "bool":
        value = "true" if value else "false"
    return '<property name="%s"%s><%s>%s</%s></property>' % (name, sd, kind, escape(str(value)), kind)


class W:
    def __init__(self, cls, name=None, props=None, dyn=None, items=None, layout=None, extra=""):
        self.cls, self.name = cls, name or auto(cls.lower().lstrip("q"))
        self.props, self.dyn = props or [], dyn or []
        self.items, self.layout, self.extra = items or [], layout, extra

    def xml(self):
        out = ['<widget class="%s" name="%s">' % (self.cls, self.name)]
        for p in self.props:
            out.append(prop(*p))
        for p in self.dyn:
            out.append(prop(*p, dyn=True))
        for it in self.items:
            out.append('<item><property name="text"><string>%s</string></property></item>' % escape(it))
        out.append(self.extra)
        if self.layout:
            out.append(self.layout.xml())
        out.append("</widget>")
        return "\n".join(out)


class L:
    """A layout: kind 'form', 'grid', 'h', 'v'. Items: (widget, row, col, rowspan, colspan) for grids."""

    def __init__(self, kind, items, spacing=6, margins=None):
        self.kind, self.items, self.spacing, self.margins = kind, items, spacing, margins

    def xml(self):
        cls = {"form": "QFormLayout", "grid": "QGridLayout", "h": "QHBoxLayout", "v": "QVBoxLayout"}[self.kind]
        out = ['<layout class="%s" name="%s">' % (cls, auto("layout"))]
        out.append('<property name="spacing"><number>%d</number></property>' % self.spacing)
        if self.kind == "form":
            out.append('<property name="labelAlignment"><set>Qt::AlignRight|Qt::AlignVCenter</set></property>')
        if self.margins is not None:
            for side in ("left", "top", "right", "bottom"):
                out.append('<property name="%sMargin"><number>%d</number></property>' % (side, self.margins))
        if self.kind == "form":
            for r, row in enumerate(self.items):
                if isinstance(row, tuple):
                    label, w = row
                    lab = W("QLabel", props=[("text", "string", label)] + ([("buddy", "cstring", w.name)] if w.name else []))
                    out.append('<item row="%d" column="0">%s</item>' % (r, lab.xml()))
                    out.append('<item row="%d" column="1">%s</item>' % (r, item_xml(w)))
                else:
                    out.append('<item row="%d" column="0" colspan="2">%s</item>' % (r, item_xml(row)))
        elif self.kind == "grid":
            for it in self.items:
                w, r, c = it[0], it[1], it[2]
                rs = it[3] if len(it) > 3 else 1
                cs = it[4] if len(it) > 4 else 1
                out.append('<item row="%d" column="%d" rowspan="%d" colspan="%d">%s</item>' % (r, c, rs, cs, item_xml(w)))
        else:
            for w in self.items:
                if isinstance(w, tuple) and w[0] == "stretch":
                    out.append("<item>%s</item>" % item_xml(Spacer("h" if self.kind == "h" else "v")))
                else:
                    out.append("<item>%s</item>" % item_xml(w))
        out.append("</layout>")
        return "\n".join(out)


class Spacer:
    def __init__(self, orient):
        self.orient = orient


def item_xml(w):
    if isinstance(w, Spacer):
        o = "Qt::Horizontal" if w.orient == "h" else "Qt::Vertical"
        return ('<spacer name="%s"><property name="orientation"><enum>%s</enum></property>'
                '<property name="sizeHint" stdset="0"><size><width>10</width><height>10</height></size></property></spacer>'
                % (auto("spacer"), o))
    if isinstance(w, L):
        return w.xml()
    return w.xml()


STRETCH = ("stretch",)


def cbp(cb):
    return [("callback", "string", cb)] if cb else []


def spin(name, lo=0, hi=99999, value=0, cb=None, suffix=None, width=None):
    p = [("minimum", "number", lo), ("maximum", "number", hi), ("value", "number", value)]
    if suffix:
        p.append(("suffix", "string", suffix))
    return W("QSpinBox", name, p, cbp(cb))


def dspin(name, lo=0.0, hi=1e6, dec=2, value=0.0, cb=None, suffix=None, readonly=False):
    p = [("decimals", "number", dec), ("minimum", "double", lo), ("maximum", "double", hi), ("value", "double", value)]
    if suffix:
        p.append(("suffix", "string", suffix))
    if readonly:
        p += [("readOnly", "bool", True), ("buttonSymbols", "enum", "QAbstractSpinBox::NoButtons")]
    return W("QDoubleSpinBox", name, p, cbp(cb))


def value_field(name, dec=3, suffix=None):
    return dspin(name, -1e9, 1e9, dec, 0.0, None, suffix, readonly=True)


def line(name, text="", maxlen=None, cb=None, placeholder=None, readonly=False, minw=None):
    p = [("text", "string", text)]
    if minw:
        p.append(("minimumSize", "size", None))
    if maxlen:
        p.append(("maxLength", "number", maxlen))
    if placeholder:
        p.append(("placeholderText", "string", placeholder))
    if readonly:
        p.append(("readOnly", "bool", True))
    p = [x for x in p if x[0] != "minimumSize"]
    w = W("QLineEdit", name, p, cbp(cb))
    if minw:
        w.extra = '<property name="minimumSize"><size><width>%d</width><height>0</height></size></property>' % minw
    return w


def ring(name, items, values=None, cb=None, index=0):
    dyn = cbp(cb)
    if values is not None:
        dyn.append(("values", "string", ";".join(str(v) for v in values)))
    return W("QComboBox", name, [("currentIndex", "number", index)], dyn, items)


def listbox(name, items=(), values=None, cb=None, minh=None):
    dyn = cbp(cb)
    if values is not None:
        dyn.append(("values", "string", ";".join(str(v) for v in values)))
    p = [("minimumSize", "size", None)] if False else []
    w = W("QListWidget", name, p, dyn, list(items))
    if minh:
        w.extra = '<property name="minimumSize"><size><width>0</width><height>%d</height></size></property>' % minh
    return w


def check(name, text, cb=None, checked=False):
    return W("QCheckBox", name, [("text", "string", text), ("checked", "bool", checked)], cbp(cb))


def button(name, text, cb=None, default=False):
    p = [("text", "string", text)]
    if default:
        p.append(("default", "bool", True))
    return W("QPushButton", name, p, cbp(cb))


def small_button(name, text, cb=None, width=32):
    w = button(name, text, cb)
    w.extra = '<property name="maximumSize"><size><width>%d</width><height>16777215</height></size></property>' % width
    return w


def toggle(name, text, cb=None):
    return W("QPushButton", name, [("text", "string", text), ("checkable", "bool", True)], cbp(cb))


def textbox(name, text="", cb=None, readonly=False, minh=None, mono=False):
    p = [("plainText", "string", text)]
    if readonly:
        p.append(("readOnly", "bool", True))
    w = W("QPlainTextEdit", name, p, cbp(cb))
    extra = ""
    if minh:
        extra += '<property name="minimumSize"><size><width>0</width><height>%d</height></size></property>' % minh
    if mono:
        extra += '<property name="font"><font><family>Monospace</family><pointsize>9</pointsize></font></property>'
        extra += '<property name="lineWrapMode"><enum>QPlainTextEdit::NoWrap</enum></property>'
    w.extra = extra
    return w


def msg(name, text="", bold=False, hidden=False, center=False):
    p = [("text", "string", text)]
    if center:
        p.append(("alignment", "set", "Qt::AlignCenter"))
    w = W("QLabel", name, p, [("hidden", "bool", True)] if hidden else [])
    if bold:
        w.extra = '<property name="font"><font><weight>75</weight><bold>true</bold></font></property>'
    return w


def label(text, bold=False, center=False):
    w = msg(None, text, bold, center=center)
    return w


def picture(name):
    w = W("QLabel", name, [("text", "string", ""), ("alignment", "set", "Qt::AlignCenter")], [("picture", "bool", True)])
    w.extra = '<property name="minimumSize"><size><width>360</width><height>220</height></size></property>'
    return w


def table(name, columns, rows=0, minh=None):
    cols = "".join('<column><property name="text"><string>%s</string></property></column>' % escape(c) for c in columns)
    w = W("QTableWidget", name, [("rowCount", "number", rows), ("columnCount", "number", len(columns))])
    w.extra = cols
    if minh:
        w.extra += '<property name="minimumSize"><size><width>0</width><height>%d</height></size></property>' % minh
    return w


def graph(name, xname="", yname="", xmin=None, xmax=None, bg=0xFFFFFF, cursors=0, minh=180, cb=None):
    dyn = [("xname", "string", xname), ("yname", "string", yname), ("bgcolor", "number", bg), ("cursors", "number", cursors)]
    if xmin is not None:
        dyn += [("xmin", "double", xmin), ("xmax", "double", xmax)]
    w = W("OrivanGraph", name, [], dyn + cbp(cb))
    w.extra = '<property name="minimumSize"><size><width>200</width><height>%d</height></size></property>' % minh
    return w


def timer(name, interval, cb, enabled=False):
    return W("OrivanTimer", name, [], [("interval", "double", interval), ("timer_enabled", "bool", enabled)] + cbp(cb))


def led(name, text, on_color=0x00FF00, off_color=0x404040):
    return W("OrivanLed", name, [], [("text", "string", text), ("on_color", "number", on_color), ("off_color", "number", off_color)])


def progress(name, hidden=True, hi=100):
    return W("QProgressBar", name, [("minimum", "number", 0), ("maximum", "number", hi), ("value", "number", 0)],
             [("hidden", "bool", hidden)])


def group(title, layout, name=None):
    return W("QGroupBox", name, [("title", "string", title)], layout=layout)


def box(kind, items, margins=0, spacing=6):
    return W("QWidget", None, layout=L(kind, items, spacing, margins))


def panel(name, number, title, layout, cls="QWidget", callback=None, w=900, h=600):
    dyn = [("panel_number", "number", number)] + cbp(callback)
    root = W(cls, name, [("windowTitle", "string", title)], dyn, layout=layout)
    root.extra = '<property name="geometry"><rect><x>0</x><y>0</y><width>%d</width><height>%d</height></rect></property>' % (w, h)
    text = '<?xml version="1.0" encoding="UTF-8"?>\n<ui version="4.0">\n<class>%s</class>\n%s\n%s\n</ui>\n' % (
        name, root.xml(), CUSTOM)
    fn = os.path.join(OUT, "p%02d_%s.ui" % (number, name.lower()))
    with open(fn, "w") as f:
        f.write(text)


CUSTOM = """<customwidgets>
<customwidget><class>OrivanGraph</class><extends>QWidget</extends><header>platform/ui/qt/graphwidget.h</header></customwidget>
<customwidget><class>OrivanTimer</class><extends>QWidget</extends><header>platform/ui/qt/timerwidget.h</header></customwidget>
<customwidget><class>OrivanLed</class><extends>QWidget</extends><header>platform/ui/qt/ledwidget.h</header></customwidget>
</customwidgets>"""

PHASES = (1, 2, 3)
RED = 0xFF0000

# ---------------------------------------------------------------- main window (10)
panel("PANEL", 10, "ORIVAN V3.0", L("v", [
    W("QTabWidget", "PANEL_CANVAS"),
    box("h", [msg("PANEL_STATUS", ""), STRETCH, button("PANEL_QUIT", "Quit", "cbQuit")]),
], margins=8), cls="QWidget", callback="cbPanel", w=1280, h=860)

# ---------------------------------------------------------------- introduction (6)
panel("INTRO", 6, "Introduction", L("v", [
    STRETCH,
    msg("INTRO_NAME", "ORIVAN", bold=True, center=True),
    label("Harmonic currents and flicker per EN61000-3-2, -3-3, -3-11 and -3-12", center=True),
    picture("INTRO_PICTURE"),
    box("h", [STRETCH, group("How do you want to start?", L("v", [
        check("INTRO_CHOICE_MEAS", "Set up a new measurement", "cbChoiceMeas", checked=True),
        check("INTRO_CHOICE", "Open a stored measurement", "cbChoiceLoad"),
        button("INTRO_START", "Start", "cbStartMeas", default=True),
    ])), STRETCH]),
    msg("INTRO_PARTNER", "", hidden=True),
    STRETCH,
], margins=20))

# ---------------------------------------------------------------- settings (15)
BAUD = [9600, 19200, 38400, 57600, 115200]
iface = group("Analyser and interface", L("grid", [
    (label("Analyser set-up"), 0, 0), (ring("SETTING_ANALYSER", ["1 x PAM-A", "3 x PAM-A", "1 x PAM-C", "1 x PAM-B"], [4, 0, 1, 2], "cbConfig"), 0, 1),
    (label("Phases"), 0, 2), (ring("SETTING_PHASES", ["1 phase", "3 phases"], [1, 3], "cbEquipment"), 0, 3),
    (label("Interface"), 1, 0), (ring("SETTING_IFTYPE", ["RS-232", "GPIB"], [0, 1], "cbIFType", index=1), 1, 1),
    (label("GPIB address"), 1, 2), (spin("SETTING_GPIB", 0, 30, 1), 1, 3),
    (label("COM port"), 2, 0), (spin("SETTING_COMPORT", 1, 99, 1), 2, 1),
    (label("Baud rate"), 2, 2), (ring("SETTING_BAUDRATE", [str(b) for b in BAUD], BAUD, index=1), 2, 3),
    (label("Data bits"), 3, 0), (spin("SETTING_DATABITS", 7, 8, 8), 3, 1),
    (label("Parity / stop bits"), 3, 2), (box("h", [ring("SETTING_PARITY", ["none", "even", "odd"], [0, 1, 2]), ring("SETTING_STOPBITS", ["1", "2"], [1, 2])]), 3, 3),
    (label("GPIB addresses L1 / L2 / L3"), 4, 0), (box("h", [spin("SETTING_GPIB1", 0, 30, 1), spin("SETTING_GPIB2", 0, 30, 2), spin("SETTING_GPIB3", 0, 30, 3)]), 4, 1, 1, 3),
    (msg("SETTING_NOTE_SEPARATE", "Phase L1 analyser only", hidden=True), 5, 0, 1, 2),
    (msg("SETTING_NOTE_SINGLE", "Single analyser, phase L1", hidden=True), 5, 2, 1, 2),
    (label("System code"), 6, 0), (spin("SETTING_SYSCODE", 0, 99999, 0, "cbSystem"), 6, 1),
    (label("Printer port"), 6, 2), (line("SETTING_PRINTER", "LPT1", 4), 6, 3),
    (box("h", [button("SETTING_IFTEST", "Interface test", "cbSetupIFTest"), button("SETTING_ANALOG", "Analog inputs...", "cbSetupIO"), STRETCH]), 7, 0, 1, 4),
]))

kind = group("Test", L("form", [
    ("Test kind", ring("SETTING_MODE", ["Harmonic currents", "Flicker"], [0, 1], "cbMode")),
]))

harm = group("Harmonic currents", L("grid", [
    (label("Standard"), 0, 0), (ring("SETTING_VERSION", [
        "EN61000-3-2:1995 (EN61000-4-7:1993)", "EN61000-3-2:1995 (EN61000-4-7:2002)",
        "EN61000-3-2:2006 (EN61000-4-7:1993)", "EN61000-3-2:2006 (EN61000-4-7:2002)",
        "EN61000-3-12 (EN61000-4-7:2002)"], [0, 1, 2, 3, 4], "cbVersion"), 0, 1, 1, 3),
    (label("Class"), 1, 0), (ring("SETTING_CLASS", ["A", "B", "C", "D", "C (Table 3)", "C (specific waveform)"], [0, 1, 2, 3, 4, 5], "cbClass"), 1, 1),
    (label("Rsce"), 1, 2), (dspin("SETTING_RSCE", 0, 100000, 1, 33.0), 1, 3),
    (label("Duration"), 2, 0), (box("h", [spin("SETTING_H_HOURS", 0, 99, 0, suffix=" h"), spin("SETTING_H_MINUTES", 0, 59, 2, suffix=" min"), spin("SETTING_H_SECONDS", 0, 59, 30, suffix=" s")]), 2, 1, 1, 3),
    (check("SETTING_SMOOTHING", "Smoothing filter"), 3, 0, 1, 2),
    (check("SETTING_HMODE", "Harmonic mode"), 3, 2),
    (box("h", [button("SETTING_WIZARD", "Class wizard...", "cbWizard"), button("SETTING_LIMITS", "Own limits...", "cbLimits"), check("SETTING_LIMITS_ON", "Use own limits", "cbLimitsOn"), STRETCH]), 4, 0, 1, 4),
    (label("Control values"), 5, 0), (label("L1", center=True), 5, 1), (label("L2", center=True), 5, 2), (label("L3", center=True), 5, 3),
    (label("Active power P / W"), 6, 0), (dspin("SETTING_P_SOLL1", 0, 1e6, 1), 6, 1), (dspin("SETTING_P_SOLL2", 0, 1e6, 1), 6, 2), (dspin("SETTING_P_SOLL3", 0, 1e6, 1), 6, 3),
    (label("Power factor"), 7, 0), (dspin("SETTING_PF_SOLL1", 0, 1, 3), 7, 1), (dspin("SETTING_PF_SOLL2", 0, 1, 3), 7, 2), (dspin("SETTING_PF_SOLL3", 0, 1, 3), 7, 3),
    (label("Fundamental current / A"), 8, 0), (dspin("SETTING_I_SOLL1", 0, 1000, 3), 8, 1), (dspin("SETTING_I_SOLL2", 0, 1000, 3), 8, 2), (dspin("SETTING_I_SOLL3", 0, 1000, 3), 8, 3),
]), name="SETTING_HARM_GROUP")

flk = group("Flicker", L("grid", [
    (label("Standard EN61000"), 0, 0), (ring("SETTING_FL_STANDARD", ["-3-3", "-3-3 A1", "-3-3 A1 switching procedure", "-3-11"], [0, 1, 2, 3], "cbFlVersion"), 0, 1, 1, 3),
    (label("Periods"), 1, 0), (spin("SETTING_FL_PERIODS", 1, 999, 12), 1, 1),
    (label("Period length"), 1, 2), (box("h", [spin("SETTING_FL_MINUTES", 0, 999, 10, suffix=" min"), spin("SETTING_FL_SECONDS", 0, 59, 0, suffix=" s")]), 1, 3),
    (label("dmax limit"), 2, 0), (dspin("SETTING_DMAX", 0, 100, 2, 4.0, suffix=" %"), 2, 1),
    (label("Switching interval"), 2, 2), (spin("SETTING_SWITCH_INTERVAL", 1, 3600, 60, suffix=" s"), 2, 3),
    (label("Test impedance Ztest"), 3, 0), (dspin("SETTING_ZTEST", 0, 100, 4, 0.0, suffix=" Ohm"), 3, 1),
    (label("Reference impedance"), 3, 2), (ring("SETTING_ZREF", ["0.24 + j0.15 Ohm", "0.4 + j0.25 Ohm"], [0, 1]), 3, 3),
]), name="SETTING_FLK_GROUP")

U_ITEMS = ["600 V", "400 V", "250 V", "130 V", "60 V", "25 V", "12.5 V", "6 V"]
U_VALS = [600, 400, 250, 130, 60, 25, 12.5, 6]
I_ITEMS = ["20 A", "10 A", "5 A", "2.5 A", "1.2 A", "600 mA", "300 mA", "150 mA"]
I_VALS = [20, 10, 5, 2.5, 1.2, 0.6, 0.3, 0.15]
rng_items = [(label(""), 0, 0)] + [(label("L%d" % p, bold=True, center=True), 0, p) for p in PHASES]
rows = [("Voltage range", lambda p: ring("SETTING_URANGE%d" % p, U_ITEMS, U_VALS, "cbURange", index=2)),
        ("Current range", lambda p: ring("SETTING_IRANGE%d" % p, I_ITEMS, I_VALS, "cbIRange", index=5)),
        ("Voltage scale", lambda p: dspin("SETTING_USCALE%d" % p, 0, 10000, 4, 1.0, "cbUScale")),
        ("Current scale", lambda p: dspin("SETTING_ISCALE%d" % p, 0, 10000, 4, 1.0, "cbIScale")),
        ("External sensor", lambda p: check("SETTING_EXT%d" % p, "Clamp", "cbExt%d" % p)),
        ("Clamp", lambda p: ring("SETTING_CLAMP%d" % p, [], None, "cbClamp1"))]
for r, (title, mk) in enumerate(rows, start=1):
    rng_items.append((label(title), r, 0))
    for p in PHASES:
        rng_items.append((mk(p), r, p))
ranges = group("Ranges and sensors", L("grid", rng_items))

eut = group("Equipment under test", L("form", [
    ("Name", line("SETTING_NAME", "", 19)), ("Department", line("SETTING_DEPARTMENT", "", 19)),
    ("Company", line("SETTING_COMPANY", "", 19)), ("Device", line("SETTING_DEVICE", "", 19)),
    ("Manufacturer", line("SETTING_MANUFACTURER", "", 19)), ("Type", line("SETTING_TYPE", "", 19)),
    ("Serial No", line("SETTING_SERIAL", "", 19)),
    ("Comment", textbox("SETTING_COMMENT", minh=110)),
    ("Report logo", box("h", [line("SETTING_LOGO", "", 719, readonly=True), small_button("SETTING_LOGO_BUTTON", "...", "cbInsertLogo")])),
]))

panel("SETTING", 15, "Settings", L("v", [
    box("h", [
        box("v", [iface, kind, ranges, STRETCH]),
        box("v", [harm, flk, STRETCH]),
        box("v", [eut, STRETCH]),
    ], spacing=10),
    box("h", [button("SETTING_NEW", "New set-up", "cbNew_Settings"), button("SETTING_LOAD", "Load set-up...", "cbLoadSetUp"),
              button("SETTING_SAVE", "Save set-up...", "cbSaveSetUp"), STRETCH,
              button("SETTING_OK", "Confirm settings", "cbOK_Settings", default=True)]),
], margins=8))

# ---------------------------------------------------------------- measuring (9)
def phase_column(p):
    abc = "ABC"[p - 1]
    vals = L("grid", [
        (label("U / V"), 0, 0), (value_field("MEASURE_U%d" % p, 2), 0, 1),
        (label("I / A"), 0, 2), (value_field("MEASURE_I%d" % p, 4), 0, 3),
        (label("P / W"), 1, 0), (value_field("MEASURE_P%d" % p, 2), 1, 1),
        (label("PF"), 1, 2), (value_field("MEASURE_PF%d" % p, 3), 1, 3),
        (label("f / Hz"), 2, 0), (value_field("MEASURE_FREQ%d" % p, 3), 2, 1),
        (label("S / VA"), 2, 2), (value_field("MEASURE_S%d" % p, 2), 2, 3),
        (label("THD U / %"), 3, 0), (value_field("MEASURE_UTHD%d" % p, 2), 3, 1),
        (label("THD I / %"), 3, 2), (value_field("MEASURE_ITHD%d" % p, 2), 3, 3),
        (label("Q / var"), 4, 0), (value_field("MEASURE_Q%d" % p, 2), 4, 1),
        (label("PWHD / %"), 4, 2), (value_field("MEASURE_PWHD%d" % p, 2), 4, 3),
        (label("Ithc / A"), 5, 0), (value_field("MEASURE_ITHC%d" % p, 4), 5, 1),
        (label("Ipoh / A"), 5, 2), (value_field("MEASURE_IPOH%d" % p, 4), 5, 3),
    ], spacing=4)
    hl = L("grid", [
        (led("MEASURE_IALL%d" % p, "I harm."), 0, 0), (led("MEASURE_UALL%d" % p, "U harm."), 0, 1),
        (led("MEASURE_U100%d" % p, "U"), 0, 2), (led("MEASURE_AMP%d" % p, "U ampl."), 0, 3),
        (led("MEASURE_FREQL%d" % p, "Freq."), 1, 0), (led("MEASURE_CREST%d" % p, "Crest"), 1, 1),
        (led("MEASURE_PHI%d" % p, "Phase"), 1, 2), (led("MEASURE_ACDC_ALL%d" % p, "Rated"), 1, 3),
        (led("MEASURE_ACDC_MAX%d" % p, "Max"), 2, 0), (led("MEASURE_ACDC_MIN%d" % p, "Min"), 2, 1),
        (led("MEASURE_ACDC_POW%d" % p, "Power"), 2, 2), (led("MEASURE_PWHD_OK%d" % p, "PWHD"), 2, 3),
        (led("MEASURE_THD_OK%d" % p, "THD"), 3, 0),
    ], spacing=2)
    fl = L("grid", [
        (label("d(t) / %"), 0, 0), (value_field("MEASURE_DT%d" % p, 2), 0, 1),
        (label("dc / %"), 0, 2), (value_field("MEASURE_DC%d" % p, 2), 0, 3),
        (label("dmax / %"), 1, 0), (value_field("MEASURE_DMAX%d" % p, 2), 1, 1),
        (label("Pst"), 1, 2), (value_field("MEASURE_PST%d" % p, 3), 1, 3),
        (label("Plt"), 2, 0), (value_field("MEASURE_PLT%d" % p, 3), 2, 1),
        (label("Pmom"), 2, 2), (value_field("MEASURE_PMOM%d" % p, 3), 2, 3),
        (led("MEASURE_FL_DT%d" % p, "d(t)"), 3, 0), (led("MEASURE_FL_DC%d" % p, "dc"), 3, 1),
        (led("MEASURE_FL_PST%d" % p, "Pst"), 3, 2), (led("MEASURE_FL_DMAX%d" % p, "dmax"), 3, 3),
        (led("MEASURE_FL_PLT%d" % p, "Plt"), 4, 0), (led("MEASURE_FL_OVER%d" % p, "Range"), 4, 1),
    ], spacing=2)
    return group("Phase L%d" % p, L("v", [
        graph("MEASURE_GRAPH%d" % p, "Harmonics", "I,A", 0.0, 40.0, bg=0x000000, minh=200),
        box("h", [check("MEASURE_SHOWGRAPH%d" % p, "Graph", "cbGraphData%s" % abc, True),
                  check("MEASURE_SHOWDATA%d" % p, "Values", "cbData%s" % abc, True),
                  check("MEASURE_LIMITS%d" % p, "Limits", "cbLimits%s" % abc, True), STRETCH]),
        box("v", [vals], margins=0),
        group("Harmonic verdicts", hl, name="MEASURE_HGROUP%d" % p),
        group("Flicker", fl, name="MEASURE_FGROUP%d" % p),
    ], spacing=4), name="MEASURE_COLUMN%d" % p)


panel("MEASURE", 9, "Measuring", L("v", [
    box("h", [toggle("MEASURE_START", "Start / Stop measurement", "cbStart"),
              led("MEASURE_ACTIVE", "Measuring"), led("MEASURE_ACTIVE2", "Data"),
              label("File"), msg("MEASURE_FILE", ""), STRETCH,
              label("Class"), msg("MEASURE_CLASS", "", bold=True),
              label("Remaining"), msg("MEASURE_REMAINING", "00:00:00", bold=True),
              label("Period"), msg("MEASURE_PERIOD", "00:00:00", bold=True)]),
    box("h", [msg("MEASURE_MESSAGE", "", bold=True, hidden=True, center=True),
              msg("MEASURE_WAITING", "Waiting for the switching", hidden=True),
              progress("MEASURE_SWITCH_COUNT"), progress("MEASURE_PERIOD_COUNT", hi=20),
              timer("MEASURE_TIMER", 0.25, "cbTimer"), timer("MEASURE_TIMER1", 1.0, "cbTimer1")]),
    box("h", [phase_column(p) for p in PHASES], spacing=8),
], margins=8))

# ---------------------------------------------------------------- results (14)
LAMPS_H = [("IALL", "I harmonics"), ("I100", "I"), ("U100", "U"), ("UALL", "U harmonics"), ("AMP", "U amplitude"),
           ("FREQ", "Frequency"), ("CREST", "Crest factor"), ("PHI", "Phase angle"), ("THD", "THD"), ("PWHD", "PWHD"),
           ("ACDC_ALL", "Rated values"), ("ACDC_MAX", "Max"), ("ACDC_MIN", "Min"), ("ACDC_POW", "Power")]
LAMPS_F = [("PST", "Pst"), ("PLT", "Plt"), ("DC", "dc"), ("DMAX", "dmax"), ("DT", "d(t)"), ("FOVER", "Range")]
RATED = [("RATED_P", "P rated / W"), ("RATED_PF", "PF rated"), ("RATED_I", "I rated / A"),
         ("MEAS_P", "P measured / W"), ("MEAS_PF", "PF measured"), ("MEAS_I", "I measured / A")]


def result_column(p):
    items = []
    for i, (k, t) in enumerate(LAMPS_H):
        items.append((led("RESULTS_%s%d" % (k, p), t), i // 3, i % 3))
    fitems = []
    for i, (k, t) in enumerate(LAMPS_F):
        fitems.append((led("RESULTS_%s%d" % (k, p), t), i // 3, i % 3))
    rated = L("grid", [x for i, (k, t) in enumerate(RATED) for x in
                       ((label(t), i % 3, (i // 3) * 2), (value_field("RESULTS_%s%d" % (k, p), 3), i % 3, (i // 3) * 2 + 1))], spacing=3)
    return group("Phase L%d" % p, L("v", [
        group("Harmonic verdicts", L("grid", items, spacing=2), name="RESULTS_HGROUP%d" % p),
        group("Flicker verdicts", L("grid", fitems, spacing=2), name="RESULTS_FGROUP%d" % p),
        group("Rated values (class D)", rated, name="RESULTS_RATEDGROUP%d" % p),
        table("RESULTS_TABLE%d" % p, ["Order", "Imax / A", "Limit / A", "Iavg / A", "Max / %", "Result"], 0, minh=240),
    ], spacing=4), name="RESULTS_COLUMN%d" % p)


panel("RESULTS", 14, "Results", L("v", [
    box("h", [msg("RESULTS_VERDICT", "", bold=True), STRETCH, msg("RESULTS_FILE", "")]),
    box("h", [result_column(p) for p in PHASES], spacing=8),
], margins=8))

# ---------------------------------------------------------------- protocol (13)
panel("PROTOCOL", 13, "Protocol", L("v", [
    textbox("PROTOCOL_TEXT", readonly=True, mono=True),
    box("h", [button("PROTOCOL_EDIT", "Edit test data...", "cbEditProtocol"), button("PROTOCOL_ADVANCED", "Detailed protocol...", "cbPage1"),
              STRETCH, button("PROTOCOL_PDF", "PDF report", "cbAdvPro"), button("PROTOCOL_PRINT", "Print", "cbPrintProtocol")]),
], margins=8))

# ---------------------------------------------------------------- diagnosis (3)
H_QUANT = ["HCurr(%d)" % i for i in range(41)] + ["U", "I", "P", "S", "Q", "PF", "Freq", "UTHD", "ITHD", "Ithc", "Ipoh", "Uover", "Iover"]
sel = group("Plot selection", L("grid", [
    (label("Phase"), 0, 0), (label("Quantity"), 0, 1), (label("Plots"), 0, 2),
    (listbox("DIAGNOS_PHASELIST", ["1", "2", "3"], [0, 1, 2], minh=60), 1, 0),
    (listbox("DIAGNOS_QUANTITY", [], None, minh=150), 1, 1),
    (listbox("DIAGNOS_PLOTLIST", [], None, "cbPlot", minh=150), 1, 2),
    (box("h", [button("DIAGNOS_INSERT", "Add >", "cbDiaInsert"), button("DIAGNOS_DELETE", "Remove", "cbDiaDelete")]), 2, 0, 1, 3),
    (label("Kind of plot"), 3, 0), (ring("DIAGNOS_KIND", ["Time curve", "Histogram", "Cumulative histogram", "Correlation", "Combined"], [0, 1, 2, 3, 4], "cbKindOfPlot"), 3, 1, 1, 2),
    (label("Combined"), 4, 0), (box("h", [ring("DIAGNOS_OPERAND1", [], None, "cbPlot1"), ring("DIAGNOS_OPERATION", ["+", "-", "*", "/"], [0, 1, 2, 3], "cbSign"), ring("DIAGNOS_OPERAND2", [], None, "cbPlot2")]), 4, 1, 1, 2),
    (box("h", [check("DIAGNOS_PERCENT", "Percent of limit", "cbPercent"), check("DIAGNOS_NORMALISE", "Rated values"), check("DIAGNOS_YSCALE", "Linear y", "cbY_Scale", True)]), 5, 0, 1, 3),
    (box("h", [msg("DIAGNOS_LABEL", ""), msg("DIAGNOS_MIN", ""), msg("DIAGNOS_MAX", "")]), 6, 0, 1, 3),
]))
cur = group("Cursors and zoom", L("v", [box("v", [L("grid", [
    (check("DIAGNOS_REDCURSOR", "Red cursor", "cbRedCursor"), 0, 0), (line("DIAGNOS_RED_X", readonly=True), 0, 1), (line("DIAGNOS_RED_Y", readonly=True), 0, 2),
    (button("DIAGNOS_REDMIN", "Min", "cbRedMin"), 0, 3), (button("DIAGNOS_REDMAX", "Max", "cbRedMax"), 0, 4),
    (check("DIAGNOS_BLACKCURSOR", "Black cursor", "cbBlackCursor"), 1, 0), (line("DIAGNOS_BLACK_X", readonly=True), 1, 1), (line("DIAGNOS_BLACK_Y", readonly=True), 1, 2),
    (button("DIAGNOS_BLACKMIN", "Min", "cbBlackMin"), 1, 3), (button("DIAGNOS_BLACKMAX", "Max", "cdBlackMax"), 1, 4),
    (check("DIAGNOS_DIFFERENCE", "Difference", "cbDifference"), 2, 0), (line("DIAGNOS_DIFF_X", readonly=True), 2, 1), (line("DIAGNOS_DIFF_Y", readonly=True), 2, 2),
    (box("h", [check("DIAGNOS_ZOOMX", "Zoom X", "cbZoomX"), check("DIAGNOS_ZOOMY", "Zoom Y", "cbZoomY"), check("DIAGNOS_ZOOMXY", "Zoom XY", "cbZoomXY"),
               button("DIAGNOS_ZOOM", "Zoom", "cbZoom"), button("DIAGNOS_RESTORE", "Restore", "cbRestore"), button("DIAGNOS_SCALEGRAPH", "Time curves", "cbScaleGraph")]), 3, 0, 1, 5),
])]), STRETCH]))
frame = group("Frames", L("grid", [
    (check("DIAGNOS_VIEWMODE", "Standard view", "cbViewMode", True), 0, 0), (label("Phase"), 0, 1), (ring("DIAGNOS_PHASE", ["L1", "L2", "L3"], [0, 1, 2], "cbPhase"), 0, 2),
    (label("Frame"), 1, 0), (spin("DIAGNOS_FRAME", 0, 10000000, 0, "cbFrame"), 1, 1), (check("DIAGNOS_SHOWLIMITS", "Limits", None, True), 1, 2),
    (label("Over range"), 2, 0), (msg("DIAGNOS_OVERRANGE", "No"), 2, 1),
    (textbox("DIAGNOS_FRAMETABLE", readonly=True, mono=True, minh=120), 3, 0, 1, 3),
]))
panel("DIAGNOS", 3, "Diagnosis", L("v", [
    box("h", [label("File"), line("DIAGNOS_FILE", "", 255, None, "logging file"), check("DIAGNOS_USEFILE", "Use this file", None),
              button("DIAGNOS_LOAD", "Open stored measurement...", "cbLoadFile"), button("DIAGNOS_SUBPROJECT", "Load x range", "cbSubProject"),
              button("DIAGNOS_NEW", "New measurement", "cbNewMeas"), button("DIAGNOS_EXPORT", "Export...", "cbExport"),
              button("DIAGNOS_PRINT", "Print graph", "cbPrintGraph"), msg("DIAGNOS_SPARE", "", hidden=True)]),
    box("h", [graph("DIAGNOS_GRAPH", "Harmonics", "I,A", 0.0, 40.0, cursors=4, minh=380, cb="cbGraph"),
              box("v", [frame, STRETCH])], spacing=8),
    box("h", [sel, cur], spacing=8),
], margins=8))

# ---------------------------------------------------------------- dialogs
panel("EXPORT", 5, "Export data", L("v", [
    group("Export", L("form", [
        ("File", line("EXPORT_FILE", "", 255)),
        ("First frame", spin("EXPORT_FROM", 0, 10000000, 0)), ("Last frame", spin("EXPORT_TO", 0, 10000000, 0)),
        check("EXPORT_DECIMAL", "Decimal comma"),
        check("EXPORT_10MS", "10 ms values", "cbData10ms"), check("EXPORT_FRAME", "Frame values", "cbDataFrame", True),
        check("EXPORT_PST", "Pst values", "cbDataPst"),
        progress("EXPORT_PROGRESS"),
    ])),
    msg("EXPORT_SPARE", "", hidden=True),
    box("h", [STRETCH, button("EXPORT_CANCEL", "Cancel", "cbClose"), button("EXPORT_OK", "Export", "cbOKExport", default=True)]),
], margins=10), cls="QDialog", w=420, h=330)

panel("PANELIO", 7, "Analog inputs", L("v", [
    box("h", [group("Analyser %d" % a, L("grid",
        [(check("PANELIO_GROUP%d" % a, "Read inputs", "cbGroup%d" % a), 0, 0, 1, 3),
         (label("Name"), 1, 0), (label("Low"), 1, 1), (label("High"), 1, 2)] +
        [x for k in range(1, 5) for x in (
            (line("PANELIO_NAME%d_%d" % (a, k), "Ch %d" % k, 9, ("cbName%d" % k) if a == 1 else "cbName%d_%d" % (a - 1, k), minw=90), k + 1, 0),
            (dspin("PANELIO_LOW%d_%d" % (a, k), -1e6, 1e6, 3, 0.0), k + 1, 1),
            (dspin("PANELIO_HIGH%d_%d" % (a, k), -1e6, 1e6, 3, 10.0), k + 1, 2))], spacing=4)) for a in PHASES]),
    box("h", [STRETCH, button("PANELIO_CANCEL", "Cancel", "CALLCANCELIO"), button("PANELIO_OK", "OK", "CALLSAVEIO", default=True)]),
], margins=10), cls="QDialog", w=900, h=300)

panel("EDIT", 4, "Test data", L("v", [
    group("Equipment under test", L("form", [
        ("Name", line("EDIT_NAME", "", 19, "cbEditName")), ("Department", line("EDIT_DEPARTMENT", "", 19, "cbEditDepart")),
        ("Company", line("EDIT_COMPANY", "", 19, "cbEditCompany")), ("Device", line("EDIT_DEVICE", "", 19, "cbEditDevice")),
        ("Manufacturer", line("EDIT_MANUFACTURER", "", 19, "cbEditManuf")), ("Type", line("EDIT_TYPE", "", 19, "cbEditType")),
        ("Serial No", line("EDIT_SERIAL", "", 19, "cbEditSNummer")),
        ("Comment", textbox("EDIT_COMMENT", cb="cbEditUUData", minh=120)),
        ("Report logo", box("h", [line("EDIT_LOGO", "", 719, readonly=True), small_button("EDIT_LOGO_BUTTON", "...", "cbInsertLogo")])),
    ])),
    box("h", [STRETCH, button("EDIT_CANCEL", "Cancel", "cbCancel_Edit"), button("EDIT_OK", "OK", "cbOK_Edit", default=True)]),
], margins=10), cls="QDialog", w=520, h=480)

panel("LIMITS", 8, "Own limits", L("v", [
    group("Limit per order", L("grid", [
        (label("Order"), 0, 0), (spin("LIMITS_ORDER", 0, 40, 2), 0, 1),
        (label("Limit / A"), 0, 2), (dspin("LIMITS_VALUE", 0, 1000, 4, 0.0), 0, 3),
        (button("LIMITS_INSERT", "Insert", "cbInsert"), 0, 4), (button("LIMITS_DELETE", "Delete", "cbDelete"), 0, 5),
        (listbox("LIMITS_LIST", [], None, minh=260), 1, 0, 1, 6),
    ])),
    box("h", [STRETCH, button("LIMITS_CANCEL", "Cancel", "cbHarmCancel"), button("LIMITS_OK", "OK", "cbHarmOK", default=True)]),
], margins=10), cls="QDialog", w=520, h=420)

panel("WIZARD", 18, "Class wizard", L("v", [
    msg("WIZARD_STEP", "Step 1", bold=True),
    msg("WIZARD_QUESTION", "", center=False),
    box("h", [check("WIZARD_SWITCH", "Yes", "cbWisardSwitch"), STRETCH]),
    msg("WIZARD_RESULT", "", bold=True),
    STRETCH,
    box("h", [button("WIZARD_PREV", "< Back", "cbPrev"), button("WIZARD_NEXT", "Next >", "cbNext"), STRETCH,
              button("WIZARD_FINISH", "Finish", "cbFinish", default=True)]),
], margins=12), cls="QDialog", w=480, h=280)

panel("SMALLRES", 16, "Frame values", L("v", [
    group("Values of the frame", L("form", [
        ("U / V", value_field("SMALLRES_U", 2)), ("I / A", value_field("SMALLRES_I", 4)), ("P / W", value_field("SMALLRES_P", 2)),
        ("PF", value_field("SMALLRES_PF", 3)), ("f / Hz", value_field("SMALLRES_FREQ", 3)), ("THD U / %", value_field("SMALLRES_UTHD", 2)),
        ("THD I / %", value_field("SMALLRES_ITHD", 2)), ("S / VA", value_field("SMALLRES_S", 2)), ("Q / var", value_field("SMALLRES_Q", 2)),
    ])),
    box("h", [STRETCH, button("SMALLRES_CLOSE", "Close", "cbClose", default=True)]),
], margins=10), cls="QDialog", w=300, h=380)

panel("PREPARE", 12, "Preparation", L("v", [
    msg("PREPARE_MESSAGE", "The measuring setup is being prepared.\nWait please", bold=True, center=True),
    progress("PREPARE_PROGRESS", hidden=False),
], margins=14), cls="QDialog", w=380, h=130)

panel("ERRORS", 17, "Errors", L("v", [
    listbox("ERRORS_LIST", [], None, minh=200),
    box("h", [STRETCH, button("ERRORS_CLOSE", "Close", "cbClose", default=True)]),
], margins=10), cls="QDialog", w=520, h=320)

panel("ADVANCED", 1, "Detailed protocol, page 1", L("v", [
    msg("ADVANCED_TITLE", "Test report", bold=True, center=True),
    textbox("ADVANCED_HEADER", readonly=True, minh=44),
    box("h", [group("Equipment under test", L("form", [
        ("Name", msg("ADVANCED_NAME")), ("Department", msg("ADVANCED_DEPARTMENT")), ("Company", msg("ADVANCED_COMPANY")),
        ("Device", msg("ADVANCED_DEVICE")), ("Manufacturer", msg("ADVANCED_MANUFACTURER")), ("Type", msg("ADVANCED_TYPE")),
        ("Serial No", msg("ADVANCED_SERIAL"))])),
        textbox("ADVANCED_INFO", readonly=True, minh=200)]),
    msg("ADVANCED_PHASES", ""),
    box("h", [listbox("ADVANCED_DESCRIPTION", minh=200), listbox("ADVANCED_RESULTS", minh=200), group("Values", L("v", [listbox("ADVANCED_VALUES", minh=180)]), name="ADVANCED_VALUES_GROUP")]),
    box("h", [button("ADVANCED_CLOSE", "Close", "cbAdvCanc"), STRETCH, button("ADVANCED_PRINT", "Print", "cbAdvPrint"), button("ADVANCED_NEXT", "Page 2 >", "cbAdvPage2", default=True)]),
], margins=10), cls="QDialog", w=900, h=700)

panel("ADVANCED2", 2, "Detailed protocol, page 2", L("v", [
    msg("ADVANCED2_PHASES", ""),
    listbox("ADVANCED2_TABLE", minh=220),
    msg("ADVANCED2_GRAPHTITLE", "", bold=True, center=True),
    box("h", [graph("ADVANCED2_GRAPH%d" % p, "Harmonics", "I,A", 0.0, 40.0, minh=200) for p in PHASES]),
    box("h", [button("ADVANCED2_CLOSE", "Close", "cbAdvCanc"), STRETCH, button("ADVANCED2_PRINT", "Print", "cbAdvPrint"), button("ADVANCED2_BACK", "< Page 1", "cbPage1", default=True)]),
], margins=10), cls="QDialog", w=900, h=700)
