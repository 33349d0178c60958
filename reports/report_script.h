// The PDF report script: drawing statements for the ReportLab PDF library,
// run by the converter txt2pdf with a canvas `c` on an A4 page and `cm`,
// `colors`, `Paragraph`, `getSampleStyleSheet`, `Table`, `TableStyle` in scope.
//
// The writer keeps the script's vertical position `y` as the converter will
// compute it (table heights estimated from the font metrics), so that
// content never runs into the foot block: a block that does not fit moves to
// a further page, a table taller than a page is split. Reports that fit are
// written exactly as specified, statement for statement.
#pragma once

#include <string>
#include <vector>

// Script and PDF names of a logging file: a trailing ".qel" (any case) is
// replaced, any other name gets the extension appended.
std::string ReportScriptName(const std::string& logFile);
std::string ReportPdfName(const std::string& logFile);

// Text inside a Python string literal: backslash, quote and control
// characters escaped, bytes that are not UTF-8 taken as Latin-1; ordinary
// text unchanged.
std::string ScriptLiteral(const std::string& text);
// Text of a table cell: the mark-up characters <, > and & as entities, then
// escaped as a literal.
std::string CellLiteral(const std::string& text);

// Width of a text in Helvetica, points at the given size.
double HelveticaWidth(const std::string& text, double size);

// One cell of a table to be written: its variable name and text.
struct ScriptCell {
    std::string name;
    std::string text;
};

// The maker's postal address, web address and web site in the foot block.
inline constexpr const char* kMakerAddress = "Am Messfeld 7, 01187 Dresden, Germany";
inline constexpr const char* kMakerWeb = "https://www.qel-korvel.example/";
inline constexpr const char* kMakerSite = "www.qel-korvel.example";

class ReportScript {
public:
    std::string text;        // the script so far
    std::string logo;        // logo picture drawn in the page head (empty: none)
    double y = 0;            // the converter's y, cm
    double font = 9;         // the canvas font size the text lines are drawn in
    int page = 1;            // page being written
    int breaks = 0;          // pages added because content did not fit

    // Page-head block; y becomes 27.3 cm.
    void PageHead();
    // Page-foot block of the current page; `last` = the report's last page
    // (with the extra move before the block, without c.showPage()).
    void PageFoot(bool last);
    // Foot block and c.showPage() of a page that is not the last.
    void EndPage();
    // Foot, c.showPage() and head of a further page (the font restored).
    void NewPage();
    // Starts a new page when `height` cm do not fit above the foot block.
    void Need(double height);

    void Raw(const std::string& s) { text += s; }
    // Moves y down by `cm` with the literal statement `statement`.
    void Move(const char* statement, double cm);
    // A free text line: "c.drawString(1*cm, y, \"...\")" and the move. A line
    // wider than the page is written as several lines.
    void TextLine(const std::string& line, const char* move = "y=y-0.5*cm\n",
                  const char* head = "c.drawString(1*cm, y, \"");
    // Section heading centred at 10 cm (three statements).
    void Heading(const std::string& title, double following = 0);
    // Paragraph cell "NAME=Paragraph(...)".
    void Cell(const std::string& name, const std::string& cellText, int size);

    // Estimated height (cm) of a table whose rows hold paragraphs of the given
    // font size: rows[r][c] are the texts, widths the column widths in cm
    // (empty: the table shares `avail` cm among its columns as ReportLab does).
    static double ParagraphTableHeight(const std::vector<std::vector<std::string>>& rows, int size,
                                       const std::vector<double>& widths, double avail);
};

// Small table: cells are written, then the fixed statement, style, wrap,
// caption and drawing. `statement` is the Table statement line,
// `captionX`/`drawX` the positions (cm text such as "14*cm"), `height` the
// estimated height in cm. Without a style line the table gets a black grid
// of 0.5.
struct SmallTable {
    std::string var;                 // "tab", "tab1", "tabelle"
    std::string statement;           // "tab=Table([...])\n"
    std::string style;               // style line
    std::string caption;             // "Table 1"
    std::string captionX, drawX;     // "14*cm", "4*cm"
    double height = 0;
};
void DrawSmallTable(ReportScript& s, const SmallTable& t);
// The heading (kept on the page with the table), the cells and the table.
void DrawHeadedTable(ReportScript& s, const std::string& heading, const ReportScript& cells, const SmallTable& t);

// Large table (cell names P<column>_<row>): header row 1 and the data rows
// with their label cells; cells already written. Rows that do not fit on the
// page continue in a further table on the next page (with the header row).
struct LargeTable {
    int columns = 0;                 // including the label column
    int rows = 0;                    // including the header row
    std::string colWidths;           // "0.5*cm,1.2*cm,..." (the list's contents)
    double headerHeight = 0.5;       // cm
    double rowHeight = 0.5;          // cm
    bool listHeights = false;        // rowHeights=[...] (else rowHeights=<row>*cm)
    std::string headerHeightText = "1.0*cm", rowHeightText = "0.43*cm";
    std::string style;
    std::string wrap;                // "b,h=tab.wrap(21*cm,5*cm)\n"
    std::string caption, captionX, drawX;
};
void DrawLargeTable(ReportScript& s, const LargeTable& t);
