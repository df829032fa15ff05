// program.h -- the real program as the system and X tests run it: started in a scratch folder of its own (intro.bmp
// linked in unless left out) with only the settings given, waited for, its output and relay trace read back.
#pragma once

#include "relay_trace.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace systemtest {

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

inline void Kill(pid_t pid) {
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// The program with `settings` ("NAME=value"; an empty value unsets NAME) and `arguments`, over an environment of
// none of the caller's TAMBERLYN_* settings, no settings file, the trace in trace.log, no sound card and no
// photosensitivity warning. A sanitizer build's leak checker is told what the display's system libraries keep.
class Program {
public:
    explicit Program(const std::vector<std::string>& settings, const std::vector<std::string>& arguments = {},
                     bool withImage = true) {
        static int runs = 0;
        folder_ =
            fs::path(testing::TempDir()) / ("tamberlyn-run-" + std::to_string(getpid()) + "-" + std::to_string(++runs));
        fs::create_directories(folder_);
        if (withImage) {
            fs::create_symlink(TAMBERLYN_INTRO_PATH, folder_ / "intro.bmp");
        }
        std::vector<std::string> environment;
        for (char** entry = environ; *entry; ++entry) {
            if (std::string(*entry).rfind("TAMBERLYN_", 0) == 0) {
                environment.push_back(std::string(*entry).substr(0, std::string(*entry).find('=') + 1));
            }
        }
        environment.insert(
            environment.end(),
            {"XDG_CONFIG_HOME=" + folder_.string(), "SDL_AUDIODRIVER=dummy", "TAMBERLYN_TRACE=trace.log",
             "TAMBERLYN_WARNING=no", std::string("LSAN_OPTIONS=suppressions=") + TAMBERLYN_LSAN_SUPPRESSIONS});
        environment.insert(environment.end(), settings.begin(), settings.end());
        std::vector<std::string> argv = {TAMBERLYN_PROGRAM_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        pid_ = Spawn(argv, environment, folder_, folder_ / "output.log");
    }
    ~Program() {
        if (exitCode_ == -1) {
            Kill(pid_);
        }
        fs::remove_all(folder_);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    const fs::path& Folder() const { return folder_; }

    // The exit code once the program has ended within `limit`, else -1 (and it is still running).
    int WaitForExit(std::chrono::milliseconds limit) {
        int status = -1;
        if (exitCode_ == -1 && Eventually(limit, [&] { return waitpid(pid_, &status, WNOHANG) == pid_; })) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        return exitCode_;
    }

    // Processor time used so far, user and system, in seconds: /proc's fields 14 and 15, after the command's name.
    double CpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        unsigned long long user = 0, system = 0;
        std::sscanf(text.c_str() + text.rfind(')') + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                    &system);
        return double(user + system) / double(sysconf(_SC_CLK_TCK));
    }

    Trace ReadTrace() const { return systemtest::ReadTrace(folder_ / "trace.log"); }

    std::string Output() const {
        std::ifstream file(folder_ / "output.log");
        return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    }

private:
    fs::path folder_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
};

}  // namespace systemtest
