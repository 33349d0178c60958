"""txt2pdf: the statement forms report scripts use are accepted and nothing
else runs; errors name the line; the PDF is replaced only on success."""

import os
import subprocess
import sys

import pytest

TXT2PDF = os.environ.get("TXT2PDF", os.path.join(os.path.dirname(__file__), "..", "..", "reports", "txt2pdf.py"))

HEAD = (
    'c.setTitle("Test report")\n'
    'y=29.7*cm-1*cm\nx=1*cm\nh=.9*cm\nb=3*1.3875*cm\ny=y-h\n'
    'c.line(1*cm,y,20*cm,y)\ny = y - .5*cm\n'
)
TABLE = (
    'P11=Paragraph("""<font face=Helvetica size=9>Name</font>""",getSampleStyleSheet()["BodyText"])\n'
    'P1_1=Paragraph("""<font face=Helvetica size=7>n</font>""",getSampleStyleSheet()["BodyText"])\n'
    'tab=Table([[P11,P1_1]],colWidths=[6*cm, 1.5*cm],rowHeights=[0.5*cm])\n'
    'tab.setStyle(TableStyle([("GRID",(0,0),(-1,-1),0.5,colors.black),(\'LEFTPADDING\', (0,0),(-1,-1), 1),]))\n'
    'b,h=tab.wrap(19*cm,5*cm)\ny=y-h\ntab.drawOn(c,4*cm,y)\n'
    'rechteck1 = (12*cm, y, 15*cm, y+1*cm)\nc.linkURL("https://www.qel-korvel.example/", rechteck1)\n'
)


def run(tmp_path, script, overwrite=True, output=None):
    src = tmp_path / "report.txt"
    src.write_bytes(script.encode("utf-8") if isinstance(script, str) else script)
    pdf = output or tmp_path / "report.pdf"
    args = [sys.executable, TXT2PDF, "--input", str(src), "--output", str(pdf)] + (["-o"] if overwrite else [])
    p = subprocess.run(args, capture_output=True, text=True)
    return p, pdf


def text_of(pdf):
    return subprocess.run(["pdftotext", str(pdf), "-"], capture_output=True, text=True).stdout


def test_report_statements_make_a_pdf(tmp_path):
    p, pdf = run(tmp_path, HEAD + 'c.setFont("Helvetica", 9)\nc.drawString(1*cm, y, "M\u00fcller 90\u00b0 \\"q\\"")\n'
                 + TABLE + "c.showPage()\n" + HEAD + 'c.drawRightString(20*cm,y,"Page 2")\n')
    assert p.returncode == 0, p.stderr
    out = text_of(pdf)
    assert 'M\u00fcller 90\u00b0 "q"' in out
    assert "Page 2" in out
    pages = subprocess.run(["pdfinfo", str(pdf)], capture_output=True, text=True).stdout
    assert "Pages:           2" in pages


@pytest.mark.parametrize("statement", [
    "import os",
    "__import__('os').system('true')",
    "open('/etc/passwd')",
    "exec('1')",
    "c.__class__",
    "c.__dict__.clear()",
    "c._filename = 'x'",
    "y = c.__class__",
    "y = (lambda: 1)()",
    "y = [i for i in range(3)]",
    "tab.drawOn(os, 1, 2)",
    "tab.wrap(1, 2)",
    "b,h=tab.drawOn(c,1,2)",
    "P1=Paragraph(y, getSampleStyleSheet()['BodyText'])",
    "P1=Paragraph('x', getSampleStyleSheet()['__class__'])",
    "y = colors.__dict__",
    "y = cm if cm else 1",
    "y = c.drawString(1, 2, 'x')",
    "c.drawString(1, 2, text='x')",
    "del y",
    "while True: pass",
    "def f(): pass",
    "y += 1",
    "c.save()",
    "y = b'bytes'",
    # expressions that would grow without bound, strings and tables in arithmetic
    "c.drawString(1, 2, 'a' * 100000000)",
    "y = [1] * 100000000",
    "tab = Table([[P1]] * 100000000)",
    "y = 'text'",
    "x = tab",
    "y = f'{cm}'",
    "y = 1e999",
    "y = " + "-" * 100000 + "1",
    # mark-up, pictures, links, fonts and style values that reach outside
    "P1=Paragraph(\"\"\"<font face=Helvetica size=9><img src='/etc/hosts'/></font>\"\"\",getSampleStyleSheet()['BodyText'])",
    "P1=Paragraph(\"\"\"<font color='red'>x</font>\"\"\",getSampleStyleSheet()['BodyText'])",
    "c.drawInlineImage('http://localhost/logo.bmp', x, y, b, h)",
    "c.linkURL('javascript:app.alert(1)', rechteck1)",
    "c.setFont('../../etc/passwd', 9)",
    "tab.setStyle(TableStyle([('BACKGROUND',(0,0),(-1,-1),'[x for x in ()]')]))",
    "y = colors.toColor",
])
def test_other_statements_are_refused_naming_the_line(tmp_path, statement):
    marker = tmp_path / "ran"
    p, pdf = run(tmp_path, HEAD + statement + "\n")
    assert p.returncode == 1
    assert "line 9" in p.stderr and "refused" in p.stderr, p.stderr
    assert not pdf.exists()
    assert not marker.exists()


def test_a_failing_statement_names_its_line_and_keeps_the_old_pdf(tmp_path):
    p, pdf = run(tmp_path, HEAD + 'c.drawString(1*cm, y, "first")\n')
    assert p.returncode == 0
    before = pdf.read_bytes()
    p, _ = run(tmp_path, HEAD + 'c.drawInlineImage("/no/such/logo.bmp", x, y, b, h)\n')
    assert p.returncode == 1
    assert "line 9" in p.stderr, p.stderr
    assert pdf.read_bytes() == before
    assert [f for f in os.listdir(tmp_path) if f.startswith(".txt2pdf")] == []


def test_bad_scripts(tmp_path):
    p, _ = run(tmp_path, HEAD + "c.drawString(1*cm, y, \"unterminated)\n")
    assert p.returncode == 1 and "line 9" in p.stderr and "syntax error" in p.stderr
    p, _ = run(tmp_path, (HEAD + 'c.drawString(1*cm, y, "M\xfcller")\n').encode("latin-1"))
    assert p.returncode == 1 and "line 9" in p.stderr and "UTF-8" in p.stderr
    p, _ = run(tmp_path, "")
    assert p.returncode == 1 and "no statement" in p.stderr
    p, _ = run(tmp_path, HEAD + 'P1=Paragraph("""<font face=Helvetica size=9>a<b</font>""",getSampleStyleSheet()["BodyText"])\n')
    assert p.returncode == 1 and "line 9" in p.stderr


def test_an_existing_pdf_is_replaced_only_with_o(tmp_path):
    p, pdf = run(tmp_path, HEAD)
    assert p.returncode == 0
    p, _ = run(tmp_path, HEAD, overwrite=False)
    assert p.returncode == 1 and "-o" in p.stderr
    p, _ = run(tmp_path, HEAD, overwrite=True)
    assert p.returncode == 0


def test_arguments(tmp_path):
    p = subprocess.run([sys.executable, TXT2PDF, "--input", "x"], capture_output=True, text=True)
    assert p.returncode == 2
    p, _ = run(tmp_path, HEAD, output=tmp_path / "no" / "dir" / "r.pdf")
    assert p.returncode == 1 and "cannot write" in p.stderr


def test_lengths_are_numbers_that_cannot_grow_without_bound(tmp_path):
    # Whole numbers become floats: squaring runs into infinity at once
    # instead of building an integer of billions of digits.
    p, pdf = run(tmp_path, HEAD + "y=10\n" + "y=y*y\n" * 40)
    assert p.returncode == 0, p.stderr


def test_nothing_runs_before_every_statement_is_checked(tmp_path):
    p, pdf = run(tmp_path, HEAD + 'c.drawString(1*cm, y, "first")\n')
    assert p.returncode == 0
    before = pdf.read_bytes()
    p, _ = run(tmp_path, HEAD + 'c.drawString(1*cm, y, "second")\n' * 500 + "import os\n")
    assert p.returncode == 1 and "line 509" in p.stderr, p.stderr
    assert pdf.read_bytes() == before
    assert [f for f in os.listdir(tmp_path) if f.startswith(".txt2pdf")] == []


def test_statements_over_several_lines_and_the_lines_errors_name(tmp_path):
    table = ('P11=Paragraph("""<font face=Helvetica size=9>a</font>""",getSampleStyleSheet()["BodyText"])\n'
             'tab=Table([[P11,\n"b"]],\ncolWidths=[2*cm,2*cm])\n'
             'b,h=tab.wrap(19*cm,5*cm)\ntab.drawOn(c,1*cm,y)\n')
    p, pdf = run(tmp_path, HEAD + table)
    assert p.returncode == 0, p.stderr
    assert "a\n" in text_of(pdf)
    p, _ = run(tmp_path, HEAD + table + "y=y/0\n")
    assert p.returncode == 1 and "line 15" in p.stderr and "ZeroDivisionError" in p.stderr, p.stderr
    p, _ = run(tmp_path, HEAD + "tab=Table([[\n" + '"a",\n' * 3000)
    assert p.returncode == 1 and "line 9" in p.stderr and "syntax error" in p.stderr, p.stderr


def test_a_long_script_runs_in_bounded_memory(tmp_path):
    # 150,000 statements: each is checked and run on its own, no tree of the
    # whole script is kept (that took some 700 MB).
    import resource
    p, pdf = run(tmp_path, HEAD + "y=y-0.01*cm\n" * 150000)
    assert p.returncode == 0, p.stderr
    peak_kb = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    assert peak_kb < 200 * 1024, peak_kb
