// platform_state.cpp -- making the platform's state, and making it anew.
#include "platform_state.h"

#include <utility>

namespace plat {
namespace {

PlatformState* current = nullptr;

}  // namespace

PlatformState::PlatformState(Settings settings)
    : settings(std::move(settings)), display(this->settings.desktopBitsPerPixel) {}

PlatformState& Platform() {
    if (!current) {
        std::vector<std::string> unusable;
        Settings settings = SettingsFromEnvironment(&unusable);
        StartPlatform(std::move(settings), unusable);
    }
    return *current;
}

const Settings& CurrentSettings() {
    return Platform().settings;
}

void StartPlatform(Settings settings, const std::vector<std::string>& unusable) {
    // The new state is built without calling back into the platform; what needs the platform (warnings, the
    // trace file, the host) starts once it is the current state.
    PlatformState* previous = std::exchange(current, new PlatformState(std::move(settings)));
    delete previous;
    PlatformState& state = *current;
    relay::Start(state.relay, state.settings.tracePath, state.settings.failpoints);
    for (const std::string& problem : unusable) {
        Warn("%s", problem.c_str());
    }
    state.host = MakeHost(state.settings);
    state.input.start = state.host->Now();
    script::Start(state.script, state.settings.script);
}

}  // namespace plat
