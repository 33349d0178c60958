#include "reports/report_script.h"

#include <algorithm>
#include <cstdint>

#include "reports/put.h"

namespace {

constexpr double kTop = 27.3;       // y after the page head, cm
constexpr double kBottom = 2.15;    // lowest y of content above the foot line (2 cm), cm
constexpr double kPageWidth = 19.0; // 1 cm .. 20 cm
constexpr double kPt = 72.0 / 2.54; // points per cm

// Helvetica advance widths (1/1000 em) of the characters 32..126.
const short kHelvetica[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667, 611, 778,
    722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278,
    278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584};

// Length of the UTF-8 sequence starting at s[i], or 0 when it is not one.
size_t Utf8Length(const std::string& s, size_t i)
{
    const unsigned char c = (unsigned char)s[i];
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n < 2) return n;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if (((unsigned char)s[i + k] >> 6) != 2) return 0;
    if (n == 2 && c < 0xC2) return 0;   // overlong
    return n;
}

// The text as well-formed UTF-8: bytes that are not UTF-8 taken as Latin-1.
std::string AsUtf8(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t n = Utf8Length(s, i);
        if (n == 0) {
            const unsigned char c = (unsigned char)s[i];
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
            ++i;
        } else {
            out.append(s, i, n);
            i += n;
        }
    }
    return out;
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::string w;
    for (char ch : text) {
        if (ch == ' ') {
            if (!w.empty()) words.push_back(w);
            w.clear();
        } else w += ch;
    }
    if (!w.empty()) words.push_back(w);
    return words;
}

// Lines a paragraph of `text` takes in `width` points (greedy word wrap; a
// word wider than the line stands alone).
int ParagraphLines(const std::string& text, double size, double width)
{
    const std::vector<std::string> words = Words(text);
    if (words.empty()) return 0;
    const double space = HelveticaWidth(" ", size);
    int lines = 1;
    double used = 0;
    for (const std::string& w : words) {
        const double ww = HelveticaWidth(w, size);
        if (used > 0 && used + space + ww > width) {
            ++lines;
            used = ww;
        } else used += (used > 0 ? space : 0) + ww;
    }
    return lines;
}

}  // namespace

// ---- names and literals ------------------------------------------------------

static std::string ReportStem(const std::string& logFile)
{
    const size_t n = logFile.size();
    if (n >= 4) {
        std::string tail = logFile.substr(n - 4);
        std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (tail == ".qel") return logFile.substr(0, n - 4);
    }
    return logFile;
}

std::string ReportScriptName(const std::string& logFile) { return ReportStem(logFile) + ".txt"; }
std::string ReportPdfName(const std::string& logFile) { return ReportStem(logFile) + ".pdf"; }

std::string ScriptLiteral(const std::string& text)
{
    const std::string s = AsUtf8(text);
    std::string out;
    out.reserve(s.size());
    for (char ch : s) {
        const unsigned char c = (unsigned char)ch;
        switch (ch) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                static const char hex[] = "0123456789abcdef";
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else out += ch;
        }
    }
    return out;
}

std::string CellLiteral(const std::string& text)
{
    std::string m;
    for (char ch : text) {
        if (ch == '&') m += "&amp;";
        else if (ch == '<') m += "&lt;";
        else if (ch == '>') m += "&gt;";
        else m += ch;
    }
    return ScriptLiteral(m);
}

double HelveticaWidth(const std::string& text, double size)
{
    double units = 0;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = (unsigned char)text[i];
        size_t n = Utf8Length(text, i);
        if (n == 0) n = 1;
        units += c >= 32 && c < 127 ? kHelvetica[c - 32] : 556;
        i += n;
    }
    return units * size / 1000.0;
}

// ---- the writer -----------------------------------------------------------------

void ReportScript::PageHead()
{
    text += "c.setTitle(\"Test report\")\n";
    text += "c.setAuthor(\"ORIVAN\")\n";
    text += "c.setSubject(\"pdf report\")\n";
    text += "y=29.7*cm-1*cm\nx=1*cm\nh=.9*cm\nb=3*1.3875*cm\ny=y-h\n";
    if (!logo.empty()) text += "c.drawInlineImage(\"" + ScriptLiteral(logo) + "\", x, y, b, h)\n";
    text += "c.line(1*cm,y,20*cm,y)\n";
    text += "y = y - .5*cm\n";
    y = kTop;
}

void ReportScript::PageFoot(bool last)
{
    if (last) text += "y=y-.5*cm\n";
    text += "y=y-1*cm\ny=2*cm\nc.line(1*cm,y,20*cm,y)\nc.setFont(\"Helvetica\", 6)\nc.setFillColorRGB(0, 0, 0)\n";
    Put(text, "y=y-0.3*cm\nc.drawRightString(20*cm,y,\"Page %i\")\n", page);
    text += "c.drawString(1*cm, y, \"Test equipment: QEL KORVEL Darezorovi Systems GmbH, " + std::string(kMakerAddress) +
            "\")\n";
    text += "rechteck1 = (12*cm, y, 15*cm, y+1*cm)\n";
    text += "c.linkURL(\"" + std::string(kMakerWeb) + "\", rechteck1)\n";
    text += "c.drawString(12*cm, y, \"" + std::string(kMakerSite) + "\")\n";
    if (!last) text += "c.showPage()\n";
    y = 1.7;
}

void ReportScript::EndPage()
{
    PageFoot(false);
    ++page;
}

void ReportScript::NewPage()
{
    EndPage();
    PageHead();
    Put(text, "c.setFont(\"Helvetica\", %i)\n", int(font));   // a new page starts with the default font
    ++breaks;
}

void ReportScript::Need(double height)
{
    if (y - height < kBottom && y < kTop) NewPage();
}

void ReportScript::Move(const char* statement, double cm)
{
    text += statement;
    y -= cm;
}

void ReportScript::TextLine(const std::string& line, const char* move, const char* head)
{
    const double limit = kPageWidth * kPt;
    std::string rest = AsUtf8(line);
    while (true) {
        std::string part = rest;
        if (HelveticaWidth(rest, font) > limit) {
            // The longest head that fits, broken after a blank where there is one.
            size_t cut = 0, blank = std::string::npos;
            for (size_t i = 0; i < rest.size();) {
                size_t n = Utf8Length(rest, i);
                if (n == 0) n = 1;
                if (HelveticaWidth(rest.substr(0, i + n), font) > limit) break;
                i += n;
                cut = i;
                if (rest[i - 1] == ' ') blank = i;
            }
            if (blank != std::string::npos && blank > 0) cut = blank;
            if (cut == 0) cut = Utf8Length(rest, 0) ? Utf8Length(rest, 0) : 1;
            part = rest.substr(0, cut);
            rest = rest.substr(cut);
        } else rest.clear();
        Need(0);
        text += head + ScriptLiteral(part) + "\")\n";
        Move(move, 0.5);
        if (rest.empty()) break;
    }
}

void ReportScript::Heading(const std::string& title, double following)
{
    Need(0.5 + following);
    text += "c.setFont(\"Helvetica\", 9)\nc.drawCentredString(10*cm, y, \"" + ScriptLiteral(title) + "\")\ny=y-0.5*cm\n";
    font = 9;
    y -= 0.5;
}

void ReportScript::Cell(const std::string& name, const std::string& cellText, int size)
{
    Put(text, "%s=Paragraph(\"\"\"%<font face=Helvetica size=%i%>%s%</font%>\"\"\",getSampleStyleSheet()[\"BodyText\"])\n",
        name, size, CellLiteral(cellText));
}

double ReportScript::ParagraphTableHeight(const std::vector<std::vector<std::string>>& rows, int size,
                                          const std::vector<double>& widths, double avail)
{
    if (rows.empty()) return 0;
    size_t columns = 0;
    for (const auto& r : rows) columns = std::max(columns, r.size());
    std::vector<double> w(columns, 0.0);   // points
    if (!widths.empty()) {
        for (size_t c = 0; c < columns; ++c) w[c] = (c < widths.size() ? widths[c] : widths.back()) * kPt;
    } else {
        // Columns without a width: each at least its longest word, the rest
        // of the width shared among the others.
        std::vector<double> least(columns, 12.0);
        for (const auto& r : rows)
            for (size_t c = 0; c < r.size(); ++c)
                for (const std::string& word : Words(r[c]))
                    least[c] = std::max(least[c], HelveticaWidth(word, size) + 12.0);
        std::vector<bool> fixed(columns, false);
        double rest = avail * kPt;
        size_t flexible = columns;
        bool changed = true;
        while (changed && flexible > 0) {
            changed = false;
            const double share = rest / double(flexible);
            for (size_t c = 0; c < columns; ++c)
                if (!fixed[c] && least[c] > share) {
                    fixed[c] = true;
                    w[c] = least[c];
                    rest -= least[c];
                    --flexible;
                    changed = true;
                }
        }
        for (size_t c = 0; c < columns; ++c)
            if (!fixed[c]) w[c] = flexible ? rest / double(flexible) : 0;
    }
    double height = 0;
    for (const auto& r : rows) {
        int lines = 0;
        for (size_t c = 0; c < r.size(); ++c) lines = std::max(lines, ParagraphLines(r[c], size, w[c] - 12.0));
        height += 12.0 * lines + 6.0;
    }
    return height / kPt;
}

// ---- tables ---------------------------------------------------------------------------

namespace {

// The caption above the table's right edge, then the table drawn below `y`.
void CaptionAndDraw(ReportScript& s, const std::string& var, const std::string& captionX, const std::string& caption,
                    const std::string& drawX)
{
    s.text += "c.setFont(\"Helvetica\", 6)\n";
    s.font = 6;
    s.text += "c.setFillColorRGB(0, 0, 0)\n";
    s.text += "c.drawRightString(" + captionX + ",y+0.2*cm,\"" + caption + "\")\n";
    s.text += "y=y-h\n" + var + ".drawOn(c," + drawX + ",y)\n";
}

}  // namespace

void DrawSmallTable(ReportScript& s, const SmallTable& t)
{
    s.Need(t.height);
    s.text += t.statement;
    s.text += t.style.empty() ? t.var + ".setStyle(TableStyle([(\"GRID\",(0,0),(-1,-1),0.5,colors.black)]))\n"
                              : t.style;
    s.text += "b,h=" + t.var + ".wrap(19*cm,5*cm)\n";
    CaptionAndDraw(s, t.var, t.captionX, t.caption, t.drawX);
    s.y -= t.height;
}

void DrawHeadedTable(ReportScript& s, const std::string& heading, const ReportScript& cells, const SmallTable& t)
{
    s.Heading(heading, t.height);
    s.Raw(cells.text);
    DrawSmallTable(s, t);
}

void DrawLargeTable(ReportScript& s, const LargeTable& t)
{
    auto row = [&](int r) {
        std::string line;
        Put(line, "[P1_%i", r);
        for (int c = 2; c <= t.columns; ++c) Put(line, ",P%i_%i", c, r);
        return line + "]";
    };
    int first = 2;
    bool continued = false;
    while (first <= t.rows || (first == 2 && t.rows < 2)) {
        // As many rows as fit below the header on this page (at least one).
        double room = s.y - kBottom - t.headerHeight;
        int fit = int((room + 1e-9) / t.rowHeight);
        const int left = t.rows - first + 1;
        if (fit < left && s.y < kTop && fit < std::min(left, 3)) {
            s.NewPage();
            continue;
        }
        if (fit < 1) fit = 1;
        const int last = std::min(t.rows, first + fit - 1);
        std::string st = "tab=Table([" + row(1);
        for (int r = first; r <= last; ++r) st += "," + row(r);
        st += "],colWidths=[" + t.colWidths;
        if (t.listHeights) {
            st += "],rowHeights=[" + t.headerHeightText;
            for (int r = first; r <= last; ++r) st += "," + t.rowHeightText;
            st += "])\n";
        } else st += "],rowHeights=" + t.rowHeightText + ")\n";
        s.text += st;
        s.text += t.style;
        s.text += t.wrap;
        CaptionAndDraw(s, "tab", t.captionX, t.caption + (continued ? " (continued)" : ""), t.drawX);
        s.y -= t.headerHeight + t.rowHeight * double(std::max(0, last - first + 1));
        first = last + 1;
        if (first > t.rows) break;
        s.NewPage();
        continued = true;
    }
}
