// platform_state.cpp -- making the platform's state at start (settings first), and making it anew.
#include "platform_state.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace plat {
namespace {

PlatformState* current = nullptr;

void ReportUnfiredFailpointsAtExit() {
    relay::ReportUnfiredFailpoints(current->relay);
}

// The settings the program starts with. --help and --version are answered here, and settings that cannot be read
// end the run, before anything opens.
Settings ProgramSettings(std::vector<std::string>* commandLine) {
    StartSettings start = ReadSettings(ProcessSources(ProgramArguments()));
    if (start.request != StartSettings::Request::Run) {
        std::fputs((start.request == StartSettings::Request::Help ? HelpText() : VersionText()).c_str(), stdout);
        std::exit(0);
    }
    if (!start.errors.empty()) {
        for (const std::string& error : start.errors) {
            std::fprintf(stderr, "tamberlyn: %s\n", error.c_str());
        }
        std::fprintf(stderr, "tamberlyn: see tamberlyn --help\n");
        std::exit(2);
    }
    *commandLine = std::move(start.commandLine);
    return std::move(start.settings);
}

}  // namespace

PlatformState::PlatformState(Settings settings, std::vector<std::string> commandLine)
    : settings(std::move(settings)), commandLine(std::move(commandLine)), display(this->settings.desktopBitsPerPixel) {}

PlatformState& Platform() {
    if (!current) {
        std::vector<std::string> commandLine;
        Settings settings = ProgramSettings(&commandLine);
        StartPlatform(std::move(settings), std::move(commandLine));
        std::atexit(ReportUnfiredFailpointsAtExit);  // after the global objects' destructors, the last calls
    }
    return *current;
}

const Settings& CurrentSettings() {
    return Platform().settings;
}

void StartPlatform(Settings settings, std::vector<std::string> commandLine, std::unique_ptr<Host> host) {
    // The new state is built without calling back into the platform; what needs the platform (the trace file,
    // warnings, the host) starts once it is the current state.
    PlatformState* previous = std::exchange(current, new PlatformState(std::move(settings), std::move(commandLine)));
    if (previous) {
        relay::ReportUnfiredFailpoints(previous->relay);
    }
    delete previous;
    PlatformState& state = *current;
    relay::Start(state.relay, state.settings.tracePath, state.settings.failpoints);
    std::string why;
    state.host = host ? std::move(host) : MakeHost(state.settings, &why);
    if (!state.host) {
        Warn("%s", why.c_str());
        std::exit(1);  // before anything opens: nothing to clean up
    }
    state.input.start = state.host->Now();
    script::Start(state.script, state.settings.script);
}

}  // namespace plat
