// The diagnostic side files of a run, beside the logging file: "spy.txt"
// (frame-check and answer notes), "spy.spy" (the raw bytes of answers that
// were refused for their length) and "signal.txt" (what an analyser still
// sent after a failed flicker read). Opened once per run, closed at its end.
#pragma once

#include <cstddef>
#include <string>

// Creates (truncates) spy.spy and spy.txt in the directory of `log_file`.
void OpenDiagnosticFiles(const char* log_file);
void CloseDiagnosticFiles();
bool DiagnosticFilesOpen();
// A line for spy.txt (no line feed is added).
void SpyText(const std::string& text);
// Raw bytes for spy.spy.
void SpyBytes(const void* bytes, size_t n);
// Writes exactly the `n` bytes read into signal.txt beside `log_file`
// (truncated first).
void WriteSignal(const char* log_file, const void* bytes, size_t n);
// Path of a side file beside the logging file.
std::string DiagnosticPath(const char* log_file, const char* name);
