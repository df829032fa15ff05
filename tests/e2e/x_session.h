// x_session.h -- a private X server (Xvfb) for one test, its screenshots and the commands run on it, and the program
// started on it.
#pragma once

#include "picture.h"
#include "relay_trace.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
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

// Runs `argv` in a child process of its own group, with `environment` added ("NAME=value"; an empty value unsets
// NAME), in `folder`, its output going to `logFile`; of the descriptors above 2 only `keepFd` stays open.
inline pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   const fs::path& folder = ".", const fs::path& logFile = "/dev/null", int keepFd = -1) {
    const pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    setpgid(0, 0);  // ending the group ends what the child started too
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

// `pid`'s exit code once it has ended within `limit`; -1 if it is still running (or died of a signal).
inline int WaitForExit(pid_t pid, std::chrono::milliseconds limit) {
    int status = -1;
    Eventually(limit, [&] { return waitpid(pid, &status, WNOHANG) == pid; });
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline void Kill(pid_t pid) {
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Xvfb on a display number of its choosing, ended with the object.
class XServer {
public:
    XServer(int width, int height) {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        // -noreset: a test's own short connections must not make the server start over while the program connects.
        pid_ = Spawn({TAMBERLYN_XVFB, "-displayfd", std::to_string(fds[1]), "-screen", "0",
                      std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp", "-noreset"},
                     {}, ".", "/dev/null", fds[1]);
        close(fds[1]);
        // Xvfb writes the number and a newline once it accepts connections.
        std::string number;
        pollfd ready{fds[0], POLLIN, 0};
        for (char c = 0; poll(&ready, 1, 10000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n';) {
            number += c;
        }
        close(fds[0]);
        if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos) {
            name_ = ":" + number;
        }
    }
    ~XServer() {
        if (pid_ > 0) {
            Kill(pid_);
        }
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // Empty if Xvfb gave no display number within 10 s.
    const std::string& Name() const { return name_; }

    // Runs a shell command with DISPLAY set to this server, at most `seconds` long; its standard output.
    std::string Run(const std::string& command, int seconds = 10) const {
        FILE* pipe = popen(("DISPLAY=" + name_ + " timeout " + std::to_string(seconds) + " " + command).c_str(), "r");
        std::string output;
        char buffer[4096];
        for (std::size_t got; pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, got);
        }
        if (pipe) {
            pclose(pipe);
        }
        return output;
    }

    // The whole screen, through ImageMagick's import; empty if that failed.
    screen::Picture Screenshot() const {
        const std::string bmp = Run(std::string(TAMBERLYN_IMPORT) + " -window root -type TrueColor BMP3:-");
        return screen::DecodeBmp(std::vector<std::uint8_t>(bmp.begin(), bmp.end())).value_or(screen::Picture{});
    }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// The program on an X server in a folder of its own (intro.bmp linked in), tracing to trace.log, with `arguments`
// on its command line and only the settings given (none of the caller's leak in). The photosensitivity warning is
// skipped unless `settings` unset it ("TAMBERLYN_WARNING=").
class ProgramOnDisplay {
public:
    ProgramOnDisplay(const XServer& server, const std::vector<std::string>& settings = {},
                     const std::vector<std::string>& arguments = {}) {
        static int runs = 0;
        folder_ =
            fs::path(testing::TempDir()) / ("tamberlyn-e2e-" + std::to_string(getpid()) + "-" + std::to_string(++runs));
        fs::create_directories(folder_);
        fs::create_symlink(TAMBERLYN_INTRO_PATH, folder_ / "intro.bmp");
        // A sanitizer build's leak checker is told what the display's system libraries keep until exit.
        std::vector<std::string> environment = {
            "DISPLAY=" + server.Name(), "XDG_CONFIG_HOME=" + folder_.string(), "SDL_VIDEODRIVER=",
            "SDL_AUDIODRIVER=dummy", "TAMBERLYN_TRACE=trace.log", "TAMBERLYN_SCRIPT=", "TAMBERLYN_FAIL=",
            "TAMBERLYN_CAPTURE=", "TAMBERLYN_UNPACED=", "TAMBERLYN_WARNING=no",
            std::string("LSAN_OPTIONS=suppressions=") + TAMBERLYN_LSAN_SUPPRESSIONS};
        environment.insert(environment.end(), settings.begin(), settings.end());
        std::vector<std::string> argv = {TAMBERLYN_PROGRAM_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        pid_ = Spawn(argv, environment, folder_, folder_ / "output.log");
    }
    ~ProgramOnDisplay() {
        if (exitCode_ == -1) {
            Kill(pid_);
        }
        fs::remove_all(folder_);
    }
    ProgramOnDisplay(const ProgramOnDisplay&) = delete;
    ProgramOnDisplay& operator=(const ProgramOnDisplay&) = delete;

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
        const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));  // from the third field on
        std::string skipped;
        for (int field = 3; field < 14 && fields >> skipped; ++field) {
        }
        unsigned long long user = 0, system = 0;
        fields >> user >> system;
        return double(user + system) / double(sysconf(_SC_CLK_TCK));
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
