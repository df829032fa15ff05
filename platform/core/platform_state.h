// platform_state.h -- the one owner of the emulation's state: every area's state and the host hang off it, so a
// fresh platform is one new object and nothing can be left behind.
#pragma once

#include "display.h"
#include "frame_script.h"
#include "gdi_objects.h"
#include "host.h"
#include "input.h"
#include "kernel.h"
#include "keyboard_state.h"
#include "log.h"
#include "relay_state.h"
#include "settings.h"
#include "sockets.h"
#include "user_message.h"
#include "user_window.h"

#include <memory>
#include <string>
#include <vector>

namespace plat {

struct PlatformState {
    PlatformState(Settings settings, std::vector<std::string> commandLine);

    const Settings settings;
    const std::vector<std::string> commandLine;  // the program's arguments that are not the platform's options
    LogState log;
    relay::RelayState relay;
    windows::WindowState windows;
    queue::QueueState queue;
    display::DisplayState display;
    gdi::GdiState gdi;
    keyboard::KeyboardState keyboard;
    input::InputState input;
    script::ScriptState script;
    SocketState sockets;
    KernelState kernel;
    std::unique_ptr<Host> host;
};

// The platform's state, made from the environment's settings on first use. Never destroyed: the program's
// global destructors still call into the platform after main returns.
PlatformState& Platform();
// The host serving this run.
inline Host& TheHost() {
    return *Platform().host;
}

// Replaces the whole state with a fresh one made from `settings`, served by `host` if given (tests), else by the
// host the build chooses for these settings.
void StartPlatform(Settings settings, std::vector<std::string> commandLine, std::unique_ptr<Host> host = nullptr);

}  // namespace plat
