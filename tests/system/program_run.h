// program_run.h -- runs the real program headless in a scratch folder and reads back its relay trace.
#pragma once

#include "relay_trace.h"

#include <gtest/gtest.h>

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
    // Settings a test leaves out are unset, whatever this process's environment holds; the run folder holds no
    // settings file.
    const std::string command =
        "cd '" + run.folder.string() +
        "' && env -u TAMBERLYN_FAIL -u TAMBERLYN_CAPTURE -u TAMBERLYN_DESKTOP_BPP "
        "-u TAMBERLYN_WINSOCK_VERSION XDG_CONFIG_HOME=. SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "
        "TAMBERLYN_UNPACED=1 TAMBERLYN_TRACE=trace.log TAMBERLYN_CAPTURE_DIR=. "
        "TAMBERLYN_SCRIPT=" +
        script + " " + settings + " timeout -s KILL 20 '" + TAMBERLYN_PROGRAM_PATH + "' >output.log 2>&1";
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

    std::ifstream output(run.folder / "output.log");
    run.output.assign(std::istreambuf_iterator<char>(output), std::istreambuf_iterator<char>());
    run.trace = ReadTrace(run.folder / "trace.log");
    return run;
}

}  // namespace systemtest
