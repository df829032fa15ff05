// x_session.h -- a private X server (Xvfb) for one test, the X tools run on it, and the program started on it.
#pragma once

#include "relay_trace.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Runs `argv` in a child process with `environment` added ("NAME=value"; an empty value unsets NAME), in `folder`,
// its output going to `logFile` (or nowhere).
inline pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   const fs::path& folder = ".", const fs::path& logFile = "/dev/null", int keepFd = -1) {
    const pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    setpgid(0, 0);  // its own group, so that ending it ends what it started
    for (const std::string& setting : environment) {
        const std::size_t equals = setting.find('=');
        const std::string name = setting.substr(0, equals), value = setting.substr(equals + 1);
        value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
    }
    const int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (chdir(folder.c_str()) != 0 || log < 0) {
        _exit(126);
    }
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != keepFd) {
            close(fd);
        }
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

// Waits up to `limit` for `pid` to end; its exit code, or -1 if it is still running (or died of a signal).
inline int WaitForExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (Clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

inline void Kill(pid_t pid) {
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Calls `done` every 20 ms until it is true or `limit` has passed; true if it became true.
inline bool Eventually(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Xvfb on a display number of its choosing, ended with the object.
class XServer {
public:
    XServer(int width, int height) {
        int fds[2];
        if (pipe(fds) != 0) {
            error_ = "no pipe for Xvfb's display number";
            return;
        }
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        // -noreset: a test's own short connections (window lookups, screenshots) must not make the server start over
        // while the program connects.
        pid_ = Spawn({TAMBERLYN_XVFB, "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp",
                      "-noreset"},
                     {}, ".", "/dev/null", fds[1]);
        close(fds[1]);
        // Xvfb writes the number and a newline once it accepts connections.
        std::string number;
        pollfd ready{fds[0], POLLIN, 0};
        char c = 0;
        while (poll(&ready, 1, 10000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        close(fds[0]);
        if (c == '\n' && !number.empty() && number.find_first_not_of("0123456789") == std::string::npos) {
            name_ = ":" + number;
        } else {
            error_ =
                std::string("Xvfb (") + TAMBERLYN_XVFB + ") gave no display number within 10 s, got \"" + number + "\"";
        }
    }
    ~XServer() {
        if (pid_ > 0) {
            Kill(pid_);
        }
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool Started() const { return !name_.empty(); }
    const std::string& Error() const { return error_; }
    const std::string& Name() const { return name_; }

    // Runs a shell command with DISPLAY set to this server, at most `seconds` long; its standard output, and its
    // exit status in `status`.
    std::string Run(const std::string& command, int* status = nullptr, int seconds = 10) const {
        const std::string line = "DISPLAY=" + name_ + " timeout " + std::to_string(seconds) + " " + command;
        FILE* pipe = popen(line.c_str(), "r");
        std::string output;
        char buffer[4096];
        for (std::size_t got; pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, got);
        }
        const int result = pipe ? pclose(pipe) : -1;
        if (status) {
            *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
        }
        return output;
    }

private:
    pid_t pid_ = -1;
    std::string name_;
    std::string error_;
};

// The program running on an X server in a folder of its own (intro.bmp linked in), tracing to trace.log, with
// `arguments` on its command line. The photosensitivity warning is skipped unless `settings` unset it
// ("TAMBERLYN_WARNING=").
class ProgramOnDisplay {
public:
    ProgramOnDisplay(const XServer& server, const std::vector<std::string>& settings = {},
                     const std::vector<std::string>& arguments = {}) {
        static int runs = 0;
        folder_ =
            fs::path(testing::TempDir()) / ("tamberlyn-e2e-" + std::to_string(getpid()) + "-" + std::to_string(++runs));
        fs::create_directories(folder_);
        fs::create_symlink(TAMBERLYN_INTRO_PATH, folder_ / "intro.bmp");
        // Only the settings given here: none of the caller's TAMBERLYN_* or SDL driver choices leak in. A sanitizer
        // build's leak checker is told what the display's system libraries keep until exit.
        std::vector<std::string> environment = {
            "DISPLAY=" + server.Name(),
            "XDG_CONFIG_HOME=" + folder_.string(),
            "SDL_VIDEODRIVER=",
            "SDL_AUDIODRIVER=dummy",
            "TAMBERLYN_TRACE=trace.log",
            "TAMBERLYN_SCRIPT=",
            "TAMBERLYN_FAIL=",
            "TAMBERLYN_CAPTURE=",
            "TAMBERLYN_UNPACED=",
            "TAMBERLYN_WARNING=no",
            std::string("LSAN_OPTIONS=suppressions=") + TAMBERLYN_LSAN_SUPPRESSIONS};
        environment.insert(environment.end(), settings.begin(), settings.end());
        std::vector<std::string> argv = {TAMBERLYN_PROGRAM_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        pid_ = Spawn(argv, environment, folder_, folder_ / "output.log");
    }
    ~ProgramOnDisplay() {
        if (pid_ > 0 && exitCode_ == -1) {
            Kill(pid_);
        }
        fs::remove_all(folder_);
    }
    ProgramOnDisplay(const ProgramOnDisplay&) = delete;
    ProgramOnDisplay& operator=(const ProgramOnDisplay&) = delete;

    pid_t Pid() const { return pid_; }
    const fs::path& Folder() const { return folder_; }

    // The exit code once the program has ended within `limit`, else -1 (and it is still running).
    int WaitForExit(std::chrono::milliseconds limit) {
        if (exitCode_ == -1) {
            exitCode_ = e2e::WaitForExit(pid_, limit);
        }
        return exitCode_;
    }

    // Processor time used so far, user and system, in seconds.
    double CpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));  // after the command name
        std::string field;
        unsigned long long user = 0, system = 0;
        for (int index = 3; fields >> field; ++index) {
            if (index == 14) {
                user = std::stoull(field);
            } else if (index == 15) {
                system = std::stoull(field);
                break;
            }
        }
        return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

    systemtest::Trace Trace() const { return systemtest::ReadTrace(folder_ / "trace.log"); }

    std::string Output() const {
        std::ifstream file(folder_ / "output.log");
        return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    }

private:
    fs::path folder_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
};

}  // namespace e2e
