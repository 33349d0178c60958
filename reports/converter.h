// Starting the report converter and the PDF viewer. Programs are started
// with an argument vector (never through a shell), so paths with blanks,
// quotes, ";" or "$(...)" are passed as they are.
#pragma once

#include <string>
#include <vector>

// Runs a program and waits for it; its standard output and error are
// collected in `messages`. Returns the exit status (0..255), or -1 when it
// could not be started or ended by a signal (`messages` says why).
int RunProgram(const std::vector<std::string>& argv, std::string* messages);
// Starts a program in its own session and does not wait for it. 0, or -1
// with the reason in `error` when it could not be started.
int StartDetached(const std::vector<std::string>& argv, std::string* error);

// The converter txt2pdf: beside the program unless set (tests).
void SetConverterPath(const std::string& path);
std::string ConverterPath();
// Converts a report script into a PDF with "txt2pdf --input SCRIPT --output
// PDF -o" run by /usr/bin/python3. 0, or -1 with the converter's message.
int ConvertReport(const std::string& script, const std::string& pdf, std::string* error);

// The PDF viewer: none until set. The desktop program sets the default,
// the program named in "pdfviewer.ini" beside it, else "xdg-open"; tests and
// batch runs start none.
void SetPdfViewer(const std::string& program);
const std::string& PdfViewer();
std::string DefaultPdfViewer();
// Shows the PDF in the viewer (started detached). 0 also when no viewer is
// set; -1 with the reason when it could not be started.
int ShowPdf(const std::string& pdf, std::string* error);
