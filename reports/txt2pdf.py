#!/usr/bin/python3
"""txt2pdf: makes the PDF of an ORIVAN report script.

    txt2pdf --input SCRIPT --output PDF [-o]

The script is a sequence of drawing statements for the ReportLab PDF library.
It runs with a canvas `c` on an A4 page and `cm`, `colors`, `Paragraph`,
`getSampleStyleSheet`, `Table` and `TableStyle` in scope; the canvas is saved
at the end. Every statement is checked before any runs: only the forms
report scripts use are accepted (numbers and lengths assigned to x, y, b, h
and rechteck1, tables of paragraph cells in one font element, the drawing
calls of the canvas and of tables with their own kinds of arguments), nothing
else runs. The PDF is written to a temporary file beside the output and replaces
it only when the whole script succeeded; -o allows replacing an existing
file. Errors name the script line and end with exit status 1 (2 for wrong
arguments).
"""

import argparse
import ast
import math
import os
import re
import sys
import tempfile

NUMBERS = {"x", "y", "b", "h"}                 # lengths; with `cm` the names of number expressions
TABLES = {"tab", "tab1", "tabelle"}
CELL = re.compile(r"^P[0-9]+(_[0-9]+)?$")
# The mark-up of a table cell: one font element around text without mark-up.
CELL_TEXT = re.compile(r"<font face=Helvetica size=[0-9]{1,2}>[^<>]*</font>")
FONTS = {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique", "Times-Roman",
         "Times-Bold", "Times-Italic", "Times-BoldItalic", "Courier", "Courier-Bold", "Courier-Oblique",
         "Courier-BoldOblique", "Symbol", "ZapfDingbats"}
STYLE_WORD = re.compile(r"^[A-Za-z-]*$")
OPERATORS = (ast.Add, ast.Sub, ast.Mult, ast.Div)
MAX_SCRIPT = 64 * 1024 * 1024                 # bytes
MAX_STATEMENT_LINES = 200


class Refused(Exception):
    def __init__(self, node, what):
        super().__init__(what)
        self.line = getattr(node, "lineno", 0)


class Checker:
    """Accepts the statement forms report scripts use, nothing else. Whole
    numbers of length expressions become floats, so no expression can grow
    without bound."""

    def __init__(self, colors):
        self.colors = colors

    # -- expressions
    def number(self, node):
        if isinstance(node, ast.Constant):
            if isinstance(node.value, bool) or not isinstance(node.value, (int, float)):
                raise Refused(node, "a number is needed here")
            try:
                value = float(node.value)
            except OverflowError:
                raise Refused(node, "number too large")
            if not math.isfinite(value):
                raise Refused(node, "number too large")
            node.value = value
            return
        if isinstance(node, ast.Name) and isinstance(node.ctx, ast.Load):
            if node.id == "cm" or node.id in NUMBERS:
                return
            raise Refused(node, "name %r not allowed" % node.id)
        if isinstance(node, ast.BinOp) and isinstance(node.op, OPERATORS):
            self.number(node.left)
            self.number(node.right)
            return
        if isinstance(node, ast.UnaryOp) and isinstance(node.op, (ast.USub, ast.UAdd)):
            self.number(node.operand)
            return
        raise Refused(node, "expression not allowed")

    def numbers(self, node, count=None):
        if not isinstance(node, (ast.List, ast.Tuple)) or (count is not None and len(node.elts) != count):
            raise Refused(node, "expression not allowed")
        for item in node.elts:
            self.number(item)

    @staticmethod
    def text(node):
        if not (isinstance(node, ast.Constant) and isinstance(node.value, str)):
            raise Refused(node, "a string is needed here")
        return node.value

    def color(self, node):
        if (isinstance(node, ast.Attribute) and isinstance(node.value, ast.Name) and node.value.id == "colors" and
                re.match(r"^[a-z][A-Za-z0-9]*$", node.attr) and
                isinstance(getattr(self.colors, node.attr, None), self.colors.Color)):
            return
        raise Refused(node, "attribute not allowed")

    def style_value(self, node):
        if isinstance(node, ast.Constant) and isinstance(node.value, (int, float)) and not isinstance(node.value, bool):
            return
        if isinstance(node, ast.Constant) and isinstance(node.value, str) and STYLE_WORD.match(node.value):
            return
        if (isinstance(node, ast.UnaryOp) and isinstance(node.op, ast.USub) and isinstance(node.operand, ast.Constant)
                and isinstance(node.operand.value, (int, float)) and not isinstance(node.operand.value, bool)):
            return
        if isinstance(node, ast.Tuple):
            for item in node.elts:
                self.style_value(item)
            return
        if isinstance(node, ast.Attribute):
            self.color(node)
            return
        raise Refused(node, "style value not allowed")

    def table_style(self, node):
        if not (isinstance(node, ast.Call) and isinstance(node.func, ast.Name) and node.func.id == "TableStyle" and
                len(node.args) == 1 and not node.keywords and isinstance(node.args[0], (ast.List, ast.Tuple))):
            raise Refused(node, "a TableStyle is needed here")
        for command in node.args[0].elts:
            if not (isinstance(command, ast.Tuple) and command.elts and isinstance(command.elts[0], ast.Constant) and
                    isinstance(command.elts[0].value, str) and re.match(r"^[A-Z]+$", command.elts[0].value)):
                raise Refused(command, "style command not allowed")
            for item in command.elts[1:]:
                self.style_value(item)

    def table(self, node):
        if not (isinstance(node, ast.Call) and isinstance(node.func, ast.Name) and node.func.id == "Table" and
                len(node.args) == 1 and isinstance(node.args[0], (ast.List, ast.Tuple))):
            raise Refused(node, "a Table is needed here")
        for row in node.args[0].elts:
            if not isinstance(row, (ast.List, ast.Tuple)):
                raise Refused(row, "table rows are lists of cells")
            for cell in row.elts:
                if isinstance(cell, ast.Name) and isinstance(cell.ctx, ast.Load) and CELL.match(cell.id):
                    continue
                self.text(cell)
        for k in node.keywords:
            if k.arg not in ("colWidths", "rowHeights"):
                raise Refused(node, "Table argument %r not allowed" % k.arg)
            if isinstance(k.value, (ast.List, ast.Tuple)):
                self.numbers(k.value)
            else:
                self.number(k.value)

    def paragraph(self, node):
        if not (isinstance(node, ast.Call) and isinstance(node.func, ast.Name) and node.func.id == "Paragraph" and
                len(node.args) == 2 and not node.keywords):
            raise Refused(node, "a Paragraph is needed here")
        if not CELL_TEXT.fullmatch(self.text(node.args[0])):
            raise Refused(node, "cell mark-up not allowed")
        style = node.args[1]
        ok = (isinstance(style, ast.Subscript) and isinstance(style.value, ast.Call) and
              isinstance(style.value.func, ast.Name) and style.value.func.id == "getSampleStyleSheet" and
              not style.value.args and not style.value.keywords)
        if ok:
            index = style.slice
            if isinstance(index, ast.Index):          # Python < 3.9
                index = index.value
            ok = isinstance(index, ast.Constant) and index.value == "BodyText"
        if not ok:
            raise Refused(node, "paragraph style not allowed")

    # -- canvas calls: argument kinds by method
    def image(self, node):
        path = self.text(node)
        if "://" in path or path.startswith("data:") or not os.path.isfile(path):
            raise Refused(node, "the picture %r is not a file" % path)

    def font(self, node):
        if self.text(node) not in FONTS:
            raise Refused(node, "font not allowed")

    def url(self, node):
        if not re.match(r"^https?://", self.text(node), re.IGNORECASE):
            raise Refused(node, "link not allowed")

    def rect(self, node):
        if isinstance(node, ast.Name) and node.id == "rechteck1":
            return
        self.numbers(node, 4)

    def canvas_arguments(self, method):
        n, s = self.number, self.text
        return {
            "setTitle": [s], "setAuthor": [s], "setSubject": [s],
            "drawInlineImage": [self.image, n, n, n, n],
            "line": [n, n, n, n],
            "setFont": [self.font, n],
            "setFillColorRGB": [n, n, n],
            "drawString": [n, n, s], "drawCentredString": [n, n, s], "drawRightString": [n, n, s],
            "showPage": [],
            "linkURL": [self.url, self.rect],
        }.get(method)

    # -- statements
    def statement(self, st):
        if isinstance(st, ast.Assign) and len(st.targets) == 1:
            target = st.targets[0]
            if isinstance(target, ast.Name):
                name = target.id
                if name in NUMBERS:
                    self.number(st.value)
                elif name == "rechteck1":
                    self.numbers(st.value, 4)
                elif name in TABLES:
                    self.table(st.value)
                elif CELL.match(name):
                    self.paragraph(st.value)
                else:
                    raise Refused(st, "assignment to %r not allowed" % name)
                return
            call = st.value
            if (isinstance(target, ast.Tuple) and [getattr(e, "id", None) for e in target.elts] == ["b", "h"] and
                    isinstance(call, ast.Call) and isinstance(call.func, ast.Attribute) and
                    isinstance(call.func.value, ast.Name) and call.func.value.id in TABLES and
                    call.func.attr == "wrap" and len(call.args) == 2 and not call.keywords):
                for a in call.args:
                    self.number(a)
                return
            raise Refused(st, "assignment not allowed")
        if isinstance(st, ast.Expr) and isinstance(st.value, ast.Call):
            call = st.value
            func = call.func
            if call.keywords or not isinstance(func, ast.Attribute) or not isinstance(func.value, ast.Name):
                raise Refused(st, "call not allowed")
            owner, method = func.value.id, func.attr
            kinds = self.canvas_arguments(method) if owner == "c" else None
            if kinds is not None:
                if len(call.args) != len(kinds):
                    raise Refused(st, "c.%s takes %d arguments" % (method, len(kinds)))
                for check, a in zip(kinds, call.args):
                    check(a)
                return
            if owner in TABLES and method == "setStyle" and len(call.args) == 1:
                self.table_style(call.args[0])
                return
            if owner in TABLES and method == "drawOn" and len(call.args) == 3:
                if not (isinstance(call.args[0], ast.Name) and call.args[0].id == "c"):
                    raise Refused(st, "drawOn needs the canvas")
                self.number(call.args[1])
                self.number(call.args[2])
                return
            raise Refused(st, "call of %s.%s not allowed" % (owner, method))
        raise Refused(st, "statement not allowed")


class ScriptError(Exception):
    def __init__(self, line, what):
        super().__init__(what)
        self.line = line


def statements(source, filename, checker):
    """The script's statements, checked, a line at a time (a statement that
    spans lines is taken with the lines that complete it): (first line,
    parsed module with line numbers counted from that line)."""
    parts = source.split("\n")
    lines = [p + "\n" for p in parts[:-1]] + ([parts[-1]] if parts[-1] else [])
    i = 0
    while i < len(lines):
        first = i + 1
        text, j = lines[i], i + 1
        if not text.strip():
            i = j
            continue
        error = None
        while True:
            try:
                tree = ast.parse(text, filename=filename)
                break
            except SyntaxError as e:
                error = error or e
                if j >= len(lines) or j - i >= MAX_STATEMENT_LINES:
                    raise ScriptError(first + (error.lineno or 1) - 1,
                                      "syntax error: %s" % re.sub(r" \(detected at line [0-9]+\)", "", error.msg))
                text += lines[j]
                j += 1
            except (RecursionError, MemoryError):
                raise ScriptError(first, "refused: statement too deeply nested")
        i = j
        try:
            for st in tree.body:
                checker.statement(st)
        except Refused as e:
            raise ScriptError(first + max(e.line, 1) - 1, "refused: %s" % e)
        except (RecursionError, MemoryError):
            raise ScriptError(first, "refused: statement too deeply nested")
        if tree.body:
            yield first, tree


def fail(script, line, text):
    where = "%s line %d" % (script, line) if line else script
    sys.stderr.write("txt2pdf: %s: %s\n" % (where, text))
    sys.exit(1)


def main(argv):
    parser = argparse.ArgumentParser(prog="txt2pdf", description="Makes the PDF of an ORIVAN report script.")
    parser.add_argument("--input", required=True, help="the report script")
    parser.add_argument("--output", required=True, help="the PDF file")
    parser.add_argument("-o", dest="overwrite", action="store_true", help="replace an existing PDF")
    args = parser.parse_args(argv)

    try:
        if os.path.getsize(args.input) > MAX_SCRIPT:
            fail(args.input, 0, "the script is larger than %d bytes" % MAX_SCRIPT)
        with open(args.input, "rb") as f:
            raw = f.read(MAX_SCRIPT + 1)
    except OSError as e:
        fail(args.input, 0, "cannot read the script: %s" % e.strerror)
    try:
        source = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        fail(args.input, raw.count(b"\n", 0, e.start) + 1, "not UTF-8 text")
    del raw
    try:
        from reportlab.lib import colors
        from reportlab.lib.pagesizes import A4
        from reportlab.lib.styles import getSampleStyleSheet
        from reportlab.lib.units import cm
        from reportlab.pdfgen import canvas
        from reportlab.platypus import Paragraph, Table, TableStyle
    except ImportError as e:
        fail(args.input, 0, "the ReportLab PDF library is missing: %s" % e)

    # Every statement is checked before any runs; then they run one by one,
    # so a long script never holds more than one statement's tree.
    checker = Checker(colors)
    count = 0
    try:
        for _ in statements(source, args.input, checker):
            count += 1
    except ScriptError as e:
        fail(args.input, e.line, str(e))
    if count == 0:
        fail(args.input, 0, "the script holds no statement")

    if os.path.exists(args.output) and not args.overwrite:
        fail(args.output, 0, "exists (use -o to replace it)")
    out_dir = os.path.dirname(os.path.abspath(args.output))
    try:
        fd, temp = tempfile.mkstemp(prefix=".txt2pdf-", suffix=".pdf", dir=out_dir)
        os.close(fd)
    except OSError as e:
        fail(args.output, 0, "cannot write beside the PDF: %s" % e.strerror)
    try:
        class ReportTable(Table):
            """A table whose cells are centred vertically; with fixed row heights
            the cells keep a small padding, so one line of text fits the row.
            A table without column widths never grows wider than it was
            wrapped in: when the longest words of its columns do not fit, the
            narrow columns keep their width, the others share the rest and
            their long words are broken."""

            def __init__(self, data, colWidths=None, rowHeights=None):
                Table.__init__(self, data, colWidths=colWidths, rowHeights=rowHeights)
                self._auto_widths = colWidths is None
                base = [("VALIGN", (0, 0), (-1, -1), "MIDDLE")]
                if rowHeights is not None:
                    base += [("TOPPADDING", (0, 0), (-1, -1), 0), ("BOTTOMPADDING", (0, 0), (-1, -1), 0),
                             ("LEFTPADDING", (0, 0), (-1, -1), 2), ("RIGHTPADDING", (0, 0), (-1, -1), 1)]
                self.setStyle(TableStyle(base))

            def wrap(self, availWidth, availHeight):
                width, height = Table.wrap(self, availWidth, availHeight)
                if self._auto_widths and width > availWidth + 0.01:
                    least = list(self._colWidths)
                    widths = [0.0] * len(least)
                    rest, left = float(availWidth), len(least)
                    for col in sorted(range(len(least)), key=lambda k: least[k]):
                        widths[col] = min(least[col] + 1.0, rest / left)   # a point of slack: no needless break
                        rest -= widths[col]
                        left -= 1
                    self._argW = self._colWidths = widths
                    self._width_calculated_once = None
                    width, height = Table.wrap(self, availWidth, availHeight)
                return width, height

        c = canvas.Canvas(temp, pagesize=A4)
        scope = {"__builtins__": {}, "c": c, "cm": cm, "colors": colors, "Paragraph": Paragraph,
                 "getSampleStyleSheet": getSampleStyleSheet, "Table": ReportTable, "TableStyle": TableStyle}
        first = 0
        try:
            for first, tree in statements(source, args.input, checker):
                exec(compile(tree, args.input, "exec"), scope)   # checked statements, nothing else
        except ScriptError as e:
            fail(args.input, e.line, str(e))
        except Exception as e:  # noqa: BLE001 - any failure of a statement
            line = 1
            tb = sys.exc_info()[2]
            while tb is not None:
                if tb.tb_frame.f_code.co_filename == args.input:
                    line = tb.tb_lineno
                tb = tb.tb_next
            fail(args.input, first + line - 1, "%s: %s" % (type(e).__name__, e))
        c.save()
        os.chmod(temp, 0o644)
        os.replace(temp, args.output)
        temp = None
    except OSError as e:
        fail(args.output, 0, "cannot write the PDF: %s" % (e.strerror or e))
    finally:
        if temp is not None and os.path.exists(temp):
            os.unlink(temp)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
