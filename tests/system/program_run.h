// program_run.h -- runs the real program headless in a scratch folder and reads back its relay trace.
#pragma once

#include <gtest/gtest.h>

#include <fnmatch.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace systemtest {

namespace fs = std::filesystem;

// The relay trace: each line as written, and without its indentation for matching where depth does not matter.
struct Trace {
    std::vector<std::string> raw;
    std::vector<std::string> calls;

    static constexpr std::size_t npos = std::string::npos;

    // A pattern matches the start of a call; '*' in it stands for any text.
    static bool Matches(const std::string& call, const std::string& pattern) {
        return fnmatch((pattern + "*").c_str(), call.c_str(), FNM_NOESCAPE) == 0;
    }
    std::size_t Depth(std::size_t i) const { return (raw[i].size() - calls[i].size()) / 2; }

    // The calls from `from` up to `to` matching `pattern`.
    std::vector<std::size_t> FindAll(const std::string& pattern, std::size_t from = 0, std::size_t to = npos) const {
        std::vector<std::size_t> found;
        for (std::size_t i = from; i < calls.size() && i < to; ++i) {
            if (Matches(calls[i], pattern)) {
                found.push_back(i);
            }
        }
        return found;
    }
    std::size_t Find(const std::string& pattern, std::size_t from = 0) const {
        const std::vector<std::size_t> found = FindAll(pattern, from);
        return found.empty() ? npos : found.front();
    }
    std::size_t Count(const std::string& pattern, std::size_t from = 0, std::size_t to = npos) const {
        return FindAll(pattern, from, to).size();
    }

    // The lines around `at`, for failure messages.
    std::string Excerpt(std::size_t at) const {
        std::string text;
        for (std::size_t i = at > 4 ? at - 4 : 0; i < raw.size() && i < at + 8; ++i) {
            text += std::to_string(i) + ": " + raw[i] + "\n";
        }
        return text;
    }

    // Each pattern matched by a later call than the one before, starting at `from`.
    testing::AssertionResult InOrder(const std::vector<std::string>& patterns, std::size_t from = 0) const {
        for (const std::string& pattern : patterns) {
            const std::size_t found = Find(pattern, from);
            if (found == npos) {
                return testing::AssertionFailure()
                       << "expected \"" << pattern << "\" at or after line " << from << ", got none; the trace there:\n"
                       << Excerpt(from);
            }
            from = found + 1;
        }
        return testing::AssertionSuccess();
    }
};

struct ProgramRun {
    fs::path folder;
    int exitCode = -1;   // 137: killed at the time limit
    std::string output;  // what it wrote to standard output and error
    Trace trace;
};

// Runs the program in a new folder (removed at exit) with the frame script `script` and further settings
// ("NAME=value ..."); intro.bmp is linked into the folder unless `withImage` is false.
inline ProgramRun RunProgram(const std::string& script, const std::string& settings = "", bool withImage = true) {
    static const struct Root {
        ~Root() { fs::remove_all(path); }
        fs::path path = fs::path(testing::TempDir()) / ("tamberlyn-runs-" + std::to_string(getpid()));
    } root;
    static int runs = 0;
    ProgramRun run;
    run.folder = root.path / std::to_string(++runs);
    fs::create_directories(run.folder);
    if (withImage) {
        fs::create_symlink(TAMBERLYN_INTRO_PATH, run.folder / "intro.bmp");
    }
    // Settings a test leaves out are unset, whatever this process's environment holds.
    const std::string command = "cd '" + run.folder.string() +
                                "' && env -u TAMBERLYN_FAIL -u TAMBERLYN_CAPTURE -u TAMBERLYN_DESKTOP_BPP "
                                "-u TAMBERLYN_WINSOCK_VERSION SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "
                                "TAMBERLYN_UNPACED=1 TAMBERLYN_TRACE=trace.log TAMBERLYN_CAPTURE_DIR=. "
                                "TAMBERLYN_SCRIPT=" +
                                script + " " + settings + " timeout -s KILL 20 '" + TAMBERLYN_PROGRAM_PATH +
                                "' >output.log 2>&1";
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

    std::ifstream output(run.folder / "output.log");
    run.output.assign(std::istreambuf_iterator<char>(output), std::istreambuf_iterator<char>());
    std::ifstream trace(run.folder / "trace.log");
    for (std::string line; std::getline(trace, line);) {
        run.trace.calls.push_back(line.substr(std::min(line.find_first_not_of(' '), line.size())));
        run.trace.raw.push_back(std::move(line));
    }
    return run;
}

}  // namespace systemtest
