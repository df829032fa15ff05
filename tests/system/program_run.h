// program_run.h -- runs the real program headless in a scratch folder and reads back its relay trace.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fnmatch.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace systemtest {

namespace fs = std::filesystem;

// A fresh folder under the test's temporary directory, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = testing::TempDir() + "tamberlyn-run-XXXXXX";
        if (mkdtemp(pattern.data())) {
            path_ = pattern;
        }
    }
    ScratchFolder(ScratchFolder&& other) noexcept : path_(std::exchange(other.path_, fs::path())) {}
    ScratchFolder& operator=(ScratchFolder&&) = delete;
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) {
            fs::remove_all(path_, ignored);
        }
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// The relay trace: each line as written, and without its indentation for matching where depth does not matter.
struct Trace {
    std::vector<std::string> raw;
    std::vector<std::string> calls;

    static constexpr std::size_t npos = std::string::npos;

    static bool Starts(const std::string& line, const std::string& prefix) { return line.rfind(prefix, 0) == 0; }
    // A pattern matches the start of a call; '*' in it stands for any text.
    static bool Matches(const std::string& call, const std::string& pattern) {
        return fnmatch((pattern + "*").c_str(), call.c_str(), FNM_NOESCAPE) == 0;
    }
    std::size_t Depth(std::size_t i) const { return (raw[i].size() - calls[i].size()) / 2; }

    // First call at or after `from` (and before `to`) matching `pattern`; npos if there is none.
    std::size_t Find(const std::string& pattern, std::size_t from = 0, std::size_t to = npos) const {
        for (std::size_t i = from; i < calls.size() && i < to; ++i) {
            if (Matches(calls[i], pattern)) {
                return i;
            }
        }
        return npos;
    }
    std::vector<std::size_t> FindAll(const std::string& pattern, std::size_t from = 0, std::size_t to = npos) const {
        std::vector<std::size_t> found;
        for (std::size_t i = Find(pattern, from, to); i != npos; i = Find(pattern, i + 1, to)) {
            found.push_back(i);
        }
        return found;
    }
    std::size_t Count(const std::string& pattern, std::size_t from = 0, std::size_t to = npos) const {
        return FindAll(pattern, from, to).size();
    }

    // The lines around `at`, for failure messages.
    std::string Excerpt(std::size_t at) const {
        std::string text;
        const std::size_t first = at > 4 ? at - 4 : 0;
        for (std::size_t i = first; i < raw.size() && i < first + 12; ++i) {
            text += std::to_string(i) + ": " + raw[i] + "\n";
        }
        return text;
    }

    // Each pattern matched by a later call than the one before, starting at `from`.
    testing::AssertionResult InOrder(const std::vector<std::string>& patterns, std::size_t from = 0) const {
        std::size_t at = from;
        for (const std::string& pattern : patterns) {
            const std::size_t found = Find(pattern, at);
            if (found == npos) {
                return testing::AssertionFailure() << "expected \"" << pattern << "\" at or after line " << at
                                                   << ", got none; the trace there:\n" << Excerpt(at);
            }
            at = found + 1;
        }
        return testing::AssertionSuccess();
    }
};

struct RunOptions {
    std::string script;                                        // TAMBERLYN_SCRIPT; must end the run
    std::vector<std::pair<std::string, std::string>> settings;  // further environment variables
    bool withImage = true;                                     // intro.bmp linked into the working folder
};

struct ProgramRun {
    ScratchFolder folder;
    bool finished = false;  // false when it had to be killed at the time limit
    int exitCode = -1;      // the exit status, or minus the signal that ended it
    std::string output;     // what it wrote to standard output and error
    Trace trace;
};

inline std::vector<std::string> ChildEnvironment(const RunOptions& options, const fs::path& folder) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        if (!Trace::Starts(variable, "TAMBERLYN_") && !Trace::Starts(variable, "SDL_")) {
            variables.push_back(variable);
        }
    }
    variables.insert(variables.end(), {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "TAMBERLYN_UNPACED=1",
                                       "TAMBERLYN_TRACE=" + (folder / "trace.log").string(),
                                       "TAMBERLYN_SCRIPT=" + options.script,
                                       "TAMBERLYN_CAPTURE_DIR=" + folder.string()});
    for (const auto& [name, value] : options.settings) {
        variables.push_back(name + "=" + value);
    }
    return variables;
}

// Runs the program in a new scratch folder; kills it after `limit`.
inline ProgramRun RunProgram(const RunOptions& options, std::chrono::seconds limit = std::chrono::seconds(20)) {
    ProgramRun run;
    const fs::path folder = run.folder.Path();
    if (options.withImage) {
        fs::create_symlink(TAMBERLYN_INTRO_PATH, folder / "intro.bmp");
    }
    std::vector<std::string> variables = ChildEnvironment(options, folder);
    std::vector<char*> envp;
    for (std::string& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    const std::string output = (folder / "output.log").string();
    char program[] = TAMBERLYN_PROGRAM_PATH;
    char* argv[] = {program, nullptr};

    const pid_t child = fork();
    if (child == 0) {
        const int log = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (chdir(folder.c_str()) != 0 || log < 0 || dup2(log, 1) < 0 || dup2(log, 2) < 0) {
            _exit(126);
        }
        execve(program, argv, envp.data());
        _exit(127);
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (child > 0 && waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return run;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.finished = child > 0;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);

    std::ifstream log(output);
    run.output.assign(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
    std::ifstream file(folder / "trace.log");
    for (std::string line; std::getline(file, line);) {
        run.trace.calls.push_back(line.substr(std::min(line.find_first_not_of(' '), line.size())));
        run.trace.raw.push_back(std::move(line));
    }
    return run;
}

}  // namespace systemtest
