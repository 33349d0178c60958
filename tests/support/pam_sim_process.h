// pam-sim as a child process of a test; the first line it prints says where
// it serves (a pseudo-terminal path, or "127.0.0.1 PORT").
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

class PamSim {
public:
    explicit PamSim(std::vector<std::string> args)
    {
        int out[2];
        if (pipe(out) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            std::string prog = ORIVAN_BINARY_DIR "/bin/pam-sim";
            std::vector<char*> argv{const_cast<char*>(prog.c_str())};
            for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(prog.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') line_ += c;
        close(out[0]);
    }
    ~PamSim()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    PamSim(const PamSim&) = delete;
    PamSim& operator=(const PamSim&) = delete;
    const std::string& line() const { return line_; }

private:
    pid_t pid_ = -1;
    std::string line_;
};
