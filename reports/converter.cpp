#include "reports/converter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/lowfile.h"
#include "platform/state_reset.h"

extern char** environ;

namespace {

std::string g_converter;
std::string g_viewer;

std::vector<char*> Argv(const std::vector<std::string>& argv)
{
    std::vector<char*> v;
    for (const std::string& a : argv) v.push_back(const_cast<char*>(a.c_str()));
    v.push_back(nullptr);
    return v;
}

}  // namespace

int RunProgram(const std::vector<std::string>& argv, std::string* messages)
{
    messages->clear();
    if (argv.empty()) return -1;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        *messages = std::string("cannot create a pipe: ") + std::strerror(errno);
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    std::vector<char*> args = Argv(argv);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        *messages = "cannot start " + argv[0] + ": " + std::strerror(rc);
        return -1;
    }
    char chunk[4096];
    while (true) {
        const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
        if (n > 0) {
            if (messages->size() < 65536) messages->append(chunk, size_t(n));
        } else if (n == 0 || errno != EINTR) break;
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    *messages += argv[0] + " ended by signal " + std::to_string(WTERMSIG(status));
    return -1;
}

int StartDetached(const std::vector<std::string>& argv, std::string* error)
{
    error->clear();
    if (argv.empty() || argv[0].empty()) return -1;
    // The grandchild reports a failed exec through the pipe; a successful
    // exec closes it (close-on-exec).
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        *error = std::strerror(errno);
        return -1;
    }
    std::vector<char*> args = Argv(argv);
    const pid_t child = ::fork();
    if (child < 0) {
        *error = std::strerror(errno);
        ::close(fds[0]);
        ::close(fds[1]);
        return -1;
    }
    if (child == 0) {
        ::close(fds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            const int in = ::open("/dev/null", O_RDWR);
            if (in >= 0) {
                ::dup2(in, 0);
                ::dup2(in, 1);
                ::dup2(in, 2);
            }
            ::execvp(args[0], args.data());
            const int e = errno;
            ssize_t ignored = ::write(fds[1], &e, sizeof e);
            (void)ignored;
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    int e = 0;
    ssize_t n;
    while ((n = ::read(fds[0], &e, sizeof e)) < 0 && errno == EINTR) {}
    ::close(fds[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *error = "cannot start a process";
        return -1;
    }
    if (n == ssize_t(sizeof e)) {
        *error = "cannot start " + argv[0] + ": " + std::strerror(e);
        return -1;
    }
    return 0;
}

void SetConverterPath(const std::string& path) { g_converter = path; }

std::string ConverterPath() { return g_converter.empty() ? ProjectFile("txt2pdf") : g_converter; }

int ConvertReport(const std::string& script, const std::string& pdf, std::string* error)
{
    const std::string converter = ConverterPath();
    if (FileExists(converter.c_str(), nullptr) != 1) {
        *error = "The report converter is missing: " + converter;
        return -1;
    }
    std::string messages;
    const int rc = RunProgram({"/usr/bin/python3", "-I", converter, "--input", script, "--output", pdf, "-o"}, &messages);
    if (rc == 0) return 0;
    while (!messages.empty() && (messages.back() == '\n' || messages.back() == '\r')) messages.pop_back();
    *error = messages.empty() ? "txt2pdf failed (exit status " + std::to_string(rc) + ")" : messages;
    return -1;
}

void SetPdfViewer(const std::string& program) { g_viewer = program; }
const std::string& PdfViewer() { return g_viewer; }

// No viewer and the converter beside the program (tests and batch runs start
// from here; the desktop program sets its viewer after the reset).
static void reset_converter_state()
{
    g_converter.clear();
    g_viewer.clear();
}
REGISTER_STATE_RESET(reset_converter_state);

std::string DefaultPdfViewer()
{
    std::ifstream in(ProjectFile("pdfviewer.ini"));
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        line = line.substr(start);
        return line == "none" ? std::string() : line;
    }
    return "xdg-open";
}

int ShowPdf(const std::string& pdf, std::string* error)
{
    error->clear();
    if (g_viewer.empty()) return 0;
    return StartDetached({g_viewer, pdf}, error);
}
