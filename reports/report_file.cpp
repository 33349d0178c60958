// The report's files: the script beside the logging file, its conversion
// into the PDF and the viewer.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ui/ui.h"
#include "reports/converter.h"
#include "reports/protocol_data.h"
#include "reports/report.h"
#include "state/para.h"

namespace {

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void Error(const std::string& text) { MessagePopup("Error", text.c_str()); }

}  // namespace

int WriteTextFile(const std::string& path, const std::string& text, std::string* error)
{
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = dir + "/." + name + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        *error = std::strerror(errno);
        return -1;
    }
    size_t done = 0;
    int e = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            e = n < 0 ? errno : EIO;
            break;
        }
        done += size_t(n);
    }
    if (e == 0 && ::fsync(fd) != 0) e = errno;
    if (::close(fd) != 0 && e == 0) e = errno;
    if (e == 0) ::fchmodat(AT_FDCWD, temp.c_str(), 0644, 0);
    if (e == 0 && ::rename(temp.c_str(), path.c_str()) != 0) e = errno;
    if (e != 0) {
        ::unlink(temp.c_str());
        *error = std::strerror(e);
        return -1;
    }
    return 0;
}

int MakeReport(bool convert, std::string* scriptPath, std::string* pdfPath, const std::string& pdfOut)
{
    std::string script;
    if (!BuildReportScript(&script)) return 1;
    const std::string logFile = FixedText(para.log_file);
    if (logFile.empty()) {
        Error("No measurement logging file is loaded: there is nothing to report.");
        return -1;
    }
    const std::string scriptName = ReportScriptName(logFile);
    const std::string pdfName = pdfOut.empty() ? ReportPdfName(logFile) : pdfOut;
    if (scriptPath) *scriptPath = scriptName;
    if (pdfPath) *pdfPath = pdfName;
    if (SameFile(scriptName, logFile) || SameFile(pdfName, logFile) || pdfName == logFile) {
        Error("The report would overwrite the logging file " + logFile + ".");
        return -1;
    }
    if (pdfName == scriptName || SameFile(pdfName, scriptName)) {
        Error("The PDF would overwrite the report script " + scriptName + ".");
        return -1;
    }
    std::string why;
    if (WriteTextFile(scriptName, script, &why) != 0) {
        Error("Unable to write the report script " + scriptName + ": " + why);
        return -2;
    }
    if (!convert) return 0;
    if (ConvertReport(scriptName, pdfName, &why) != 0) {
        Error("The PDF report could not be made:\n" + why);
        return -3;
    }
    if (ShowPdf(pdfName, &why) != 0) {
        Error("Unable to start the PDF viewer: " + why);
        return -4;
    }
    return 0;
}
