// Diagnostic side files of a run.
#include "measure/diagnostics.h"

#include "platform/lowfile.h"

namespace {

int g_spy_bin = -1;
int g_spy_txt = -1;

void Close(int& handle)
{
    if (handle >= 0) CloseFile(handle);
    handle = -1;
}

}  // namespace

std::string DiagnosticPath(const char* log_file, const char* name)
{
    return PathDir(log_file ? log_file : "") + name;
}

void OpenDiagnosticFiles(const char* log_file)
{
    CloseDiagnosticFiles();
    g_spy_bin = OpenFile(DiagnosticPath(log_file, "spy.spy").c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    g_spy_txt = OpenFile(DiagnosticPath(log_file, "spy.txt").c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_ASCII);
}

void CloseDiagnosticFiles()
{
    Close(g_spy_bin);
    Close(g_spy_txt);
}

bool DiagnosticFilesOpen() { return g_spy_bin >= 0 || g_spy_txt >= 0; }

void SpyText(const std::string& text)
{
    if (g_spy_txt >= 0 && !text.empty()) WriteFile(g_spy_txt, text.data(), (long long)text.size());
}

void SpyBytes(const void* bytes, size_t n)
{
    if (g_spy_bin >= 0 && n) WriteFile(g_spy_bin, bytes, (long long)n);
}

void WriteSignal(const char* log_file, const void* bytes, size_t n)
{
    int h = OpenFile(DiagnosticPath(log_file, "signal.txt").c_str(), VAL_READ_WRITE, VAL_TRUNCATE, VAL_ASCII);
    if (h < 0) return;
    if (n) WriteFile(h, bytes, (long long)n);
    CloseFile(h);
}
