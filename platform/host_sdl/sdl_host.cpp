// sdl_host.cpp -- the hosts of the SDL build: SDL's, or the null host where a run asks to be headless; SDL's video
// started once, at start, and the display it found or could not open.
#include "sdl_host.h"

#include "null_host.h"
#include "settings.h"

#include <cstring>

namespace plat {
namespace sdl {
namespace {

// What a person needs to hear when no display opens: what was tried, and how to run without one.
std::string CannotOpenDisplay(const char* driver) {
    std::string tried;
    if (driver) {
        tried = std::string("SDL_VIDEODRIVER=") + driver + ": " + SDL_GetError();
    } else {
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
            if (const char* value = SDL_getenv(variable)) {
                tried += (tried.empty() ? "" : ", ") + std::string(variable) + "=" + value;
            }
        }
        if (tried.empty()) {
            tried = "neither DISPLAY nor WAYLAND_DISPLAY is set";
        }
    }
    return "cannot open a display (" + tried + "); to run without a window, use --headless";
}

}  // namespace

std::unique_ptr<SdlHost> SdlHost::Open(std::string* why) {
    // Ctrl+C and kill end the program as they would without SDL, not as an event nobody asked for.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    const char* variable = SDL_getenv("SDL_VIDEODRIVER");
    const char* chosenDriver = variable && *variable ? variable : nullptr;  // SDL ignores an empty one too
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *why = CannotOpenDisplay(chosenDriver);
        return nullptr;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool windowless = std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
    if (windowless && !chosenDriver) {
        // SDL found no display and fell back on its offscreen driver: nobody would see the program.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        *why = CannotOpenDisplay(nullptr);
        return nullptr;
    }
    return std::unique_ptr<SdlHost>(new SdlHost(!windowless));
}

SdlHost::~SdlHost() {
    presenter_.reset();
    for (const OpenSdlWindow& open : windows_) {
        SDL_DestroyWindow(open.window);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace sdl

std::unique_ptr<Host> MakeHost(const Settings& settings, std::string* why) {
    if (settings.headless) {
        return null::MakeNullHost();
    }
    return sdl::SdlHost::Open(why);
}

}  // namespace plat
