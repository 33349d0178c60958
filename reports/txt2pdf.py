#!/usr/bin/python3
"""txt2pdf: makes the PDF of an ORIVAN report script.

    txt2pdf --input SCRIPT --output PDF [-o]

The script is a sequence of drawing statements for the ReportLab PDF library.
It runs with a canvas `c` on an A4 page and `cm`, `colors`, `Paragraph`,
`getSampleStyleSheet`, `Table` and `TableStyle` in scope; the canvas is saved
at the end. Every statement is checked first: only the forms report scripts
use are accepted (assignments to the script's variables, the drawing calls
of the canvas and of tables, tables built from paragraphs), nothing else
runs. The PDF is written to a temporary file beside the output and replaces
it only when the whole script succeeded; -o allows replacing an existing
file. Errors name the script line and end with exit status 1 (2 for wrong
arguments).
"""

import argparse
import ast
import os
import re
import sys
import tempfile

VARIABLE = re.compile(r"^(x|y|b|h|rechteck1|tab|tab1|tabelle|P[0-9]+|P[0-9]+_[0-9]+)$")
TABLES = {"tab", "tab1", "tabelle"}
CANVAS_CALLS = {"setTitle", "setAuthor", "setSubject", "drawInlineImage", "line", "setFont",
                "setFillColorRGB", "drawString", "drawCentredString", "drawRightString",
                "showPage", "linkURL"}
TABLE_CALLS = {"setStyle", "drawOn"}
TABLE_KEYWORDS = {"colWidths", "rowHeights"}
STYLE_NAMES = {"BodyText"}
OPERATORS = (ast.Add, ast.Sub, ast.Mult, ast.Div)


class Refused(Exception):
    def __init__(self, node, what):
        super().__init__(what)
        self.line = getattr(node, "lineno", 0)


def check_value(node, tables_ok=False):
    """An expression of the forms the scripts use; raises Refused otherwise."""
    if isinstance(node, ast.Constant):
        if isinstance(node.value, bool) or not isinstance(node.value, (int, float, str)):
            raise Refused(node, "constant of a kind not allowed")
        return
    if isinstance(node, ast.Name) and isinstance(node.ctx, ast.Load):
        if node.id == "cm" or VARIABLE.match(node.id):
            return
        raise Refused(node, "name %r not allowed" % node.id)
    if isinstance(node, ast.BinOp) and isinstance(node.op, OPERATORS):
        check_value(node.left)
        check_value(node.right)
        return
    if isinstance(node, ast.UnaryOp) and isinstance(node.op, (ast.USub, ast.UAdd)):
        check_value(node.operand)
        return
    if isinstance(node, (ast.Tuple, ast.List)) and isinstance(node.ctx, ast.Load):
        for item in node.elts:
            check_value(item, tables_ok)
        return
    if isinstance(node, ast.Attribute):
        if (isinstance(node.value, ast.Name) and node.value.id == "colors" and
                re.match(r"^[a-z][A-Za-z0-9]*$", node.attr)):
            return
        raise Refused(node, "attribute not allowed")
    if isinstance(node, ast.Call) and isinstance(node.func, ast.Name):
        name = node.func.id
        if name == "Paragraph" and not node.keywords and len(node.args) == 2:
            text, style = node.args
            if not (isinstance(text, ast.Constant) and isinstance(text.value, str)):
                raise Refused(node, "Paragraph text must be a string")
            check_style(style)
            return
        if name == "TableStyle" and not node.keywords and len(node.args) == 1:
            check_value(node.args[0])
            return
        if name == "Table" and len(node.args) == 1:
            check_value(node.args[0])
            for k in node.keywords:
                if k.arg not in TABLE_KEYWORDS:
                    raise Refused(node, "Table argument %r not allowed" % k.arg)
                check_value(k.value)
            return
        raise Refused(node, "call of %s not allowed" % name)
    raise Refused(node, "expression not allowed")


def check_style(node):
    ok = (isinstance(node, ast.Subscript) and isinstance(node.value, ast.Call) and
          isinstance(node.value.func, ast.Name) and node.value.func.id == "getSampleStyleSheet" and
          not node.value.args and not node.value.keywords)
    if ok:
        index = node.slice
        if isinstance(index, ast.Index):          # Python < 3.9
            index = index.value
        ok = isinstance(index, ast.Constant) and index.value in STYLE_NAMES
    if not ok:
        raise Refused(node, "paragraph style not allowed")


def check_statement(st):
    if isinstance(st, ast.Assign) and len(st.targets) == 1:
        target = st.targets[0]
        if isinstance(target, ast.Name):
            if not VARIABLE.match(target.id):
                raise Refused(st, "assignment to %r not allowed" % target.id)
            check_value(st.value)
            return
        if (isinstance(target, ast.Tuple) and len(target.elts) == 2 and
                all(isinstance(e, ast.Name) for e in target.elts) and
                [e.id for e in target.elts] == ["b", "h"]):
            call = st.value
            if (isinstance(call, ast.Call) and isinstance(call.func, ast.Attribute) and
                    isinstance(call.func.value, ast.Name) and call.func.value.id in TABLES and
                    call.func.attr == "wrap" and len(call.args) == 2 and not call.keywords):
                for a in call.args:
                    check_value(a)
                return
        raise Refused(st, "assignment not allowed")
    if isinstance(st, ast.Expr) and isinstance(st.value, ast.Call):
        call = st.value
        func = call.func
        if call.keywords or not isinstance(func, ast.Attribute) or not isinstance(func.value, ast.Name):
            raise Refused(st, "call not allowed")
        owner, method = func.value.id, func.attr
        if owner == "c" and method in CANVAS_CALLS:
            for a in call.args:
                check_value(a)
            return
        if owner in TABLES and method in TABLE_CALLS:
            args = call.args
            if method == "drawOn":
                if len(args) != 3 or not (isinstance(args[0], ast.Name) and args[0].id == "c"):
                    raise Refused(st, "drawOn needs the canvas")
                args = args[1:]
            for a in args:
                check_value(a)
            return
        raise Refused(st, "call of %s.%s not allowed" % (owner, method))
    raise Refused(st, "statement not allowed")


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
        with open(args.input, "rb") as f:
            raw = f.read()
    except OSError as e:
        fail(args.input, 0, "cannot read the script: %s" % e.strerror)
    try:
        source = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        fail(args.input, raw.count(b"\n", 0, e.start) + 1, "not UTF-8 text")
    try:
        tree = ast.parse(source, filename=args.input)
    except SyntaxError as e:
        fail(args.input, e.lineno or 0, "syntax error: %s" % e.msg)
    if not tree.body:
        fail(args.input, 0, "the script holds no statement")
    try:
        for st in tree.body:
            check_statement(st)
    except Refused as e:
        fail(args.input, e.line, "refused: %s" % e)

    if os.path.exists(args.output) and not args.overwrite:
        fail(args.output, 0, "exists (use -o to replace it)")
    out_dir = os.path.dirname(os.path.abspath(args.output))
    try:
        fd, temp = tempfile.mkstemp(prefix=".txt2pdf-", suffix=".pdf", dir=out_dir)
        os.close(fd)
    except OSError as e:
        fail(args.output, 0, "cannot write beside the PDF: %s" % e.strerror)
    try:
        from reportlab.lib import colors
        from reportlab.lib.pagesizes import A4
        from reportlab.lib.styles import getSampleStyleSheet
        from reportlab.lib.units import cm
        from reportlab.pdfgen import canvas
        from reportlab.platypus import Paragraph, Table, TableStyle

        class ReportTable(Table):
            """A table whose cells are centred vertically; with fixed row heights
            the cells keep a small padding, so one line of text fits the row."""

            def __init__(self, data, colWidths=None, rowHeights=None):
                Table.__init__(self, data, colWidths=colWidths, rowHeights=rowHeights)
                base = [("VALIGN", (0, 0), (-1, -1), "MIDDLE")]
                if rowHeights is not None:
                    base += [("TOPPADDING", (0, 0), (-1, -1), 0), ("BOTTOMPADDING", (0, 0), (-1, -1), 0),
                             ("LEFTPADDING", (0, 0), (-1, -1), 2), ("RIGHTPADDING", (0, 0), (-1, -1), 1)]
                self.setStyle(TableStyle(base))

        c = canvas.Canvas(temp, pagesize=A4)
        scope = {"__builtins__": {}, "c": c, "cm": cm, "colors": colors, "Paragraph": Paragraph,
                 "getSampleStyleSheet": getSampleStyleSheet, "Table": ReportTable, "TableStyle": TableStyle}
        code = compile(tree, args.input, "exec")
        try:
            exec(code, scope)   # the statements checked above, nothing else
        except Exception as e:  # noqa: BLE001 - any failure of a statement
            line = 0
            tb = sys.exc_info()[2]
            while tb is not None:
                if tb.tb_frame.f_code.co_filename == args.input:
                    line = tb.tb_lineno
                tb = tb.tb_next
            fail(args.input, line, "%s: %s" % (type(e).__name__, e))
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
