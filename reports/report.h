// The PDF report: its two pages for harmonic and flicker tests written as a
// report script, the script file beside the logging file, the conversion
// into a PDF and the viewer.
#pragma once

#include <string>
#include <vector>

#include "reports/report_script.h"

// Page writers: each appends its page to the script (page 1 starts it).
int createResultTableH1_pdf(ReportScript& s);
int createResultTableH2_pdf(ReportScript& s);
int createResultTableF1_pdf(ReportScript& s);
int createResultTableF2_pdf(ReportScript& s);

// Page 1 of both reports up to the comment lines: title, printing date,
// logging file with its date, the EUT table and the comments.
void DocumentHeader(ReportScript& s, const std::string& titleStatement);
// Table 1 "Description" (instrument, serial number, firmware, ranges and
// scalings per phase) with its heading; `oneWidths` are the two column
// widths (cm) of a single-phase table.
void DescriptionTable(ReportScript& s, const std::vector<double>& oneWidths, const char* oneCaptionX);

// The whole report script of the loaded test; false for a test of another kind.
bool BuildReportScript(std::string* script);

// Writes the report script of the loaded test beside its logging file and,
// with `convert`, converts it into the PDF and shows it in the viewer (when
// one is set). Failures are shown in a message titled "Error"; a failed
// conversion never shows a PDF. Returns 0, 1 when the loaded test is of no
// reportable kind (nothing written), negative on failure. The paths written
// go to `scriptPath` and `pdfPath` when given. `pdfOut` names another PDF
// file than the one beside the logging file.
int MakeReport(bool convert, std::string* scriptPath = nullptr, std::string* pdfPath = nullptr,
               const std::string& pdfOut = "");
// Writes a text file through a temporary file beside it, replaced only when
// every write succeeded. 0, or -1 with the reason.
int WriteTextFile(const std::string& path, const std::string& text, std::string* error);
