// sdl_screen.cpp -- the program's windows as SDL windows: full screen, presenting and the cursor.
#include "sdl_host.h"

#include "display.h"
#include "log.h"
#include "platform_state.h"
#include "settings.h"

#include <algorithm>
#include <cstring>

namespace plat::sdl {
namespace {

// True where SDL found no display and fell back on its offscreen driver without being asked to: nobody would
// see the window, and its renderers would load OpenGL for nothing.
bool OnlyOffscreen() {
    return !SDL_getenv("SDL_VIDEODRIVER") && std::strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0;
}

int DisplayIndex() {
    const int wanted = CurrentSettings().displayIndex;
    const int count = SDL_GetNumVideoDisplays();
    if (wanted < count) {
        return wanted;
    }
    WarnOnce("no display %d (there are %d); using display 0", wanted, count);
    return 0;
}

// Covers the window's display with it, borderless, before asking the window manager for full screen: where
// there is no window manager (a bare X server) nobody answers that request, and the window must already be
// where full screen would put it.
void CoverDisplay(SDL_Window* window, int width, int height) {
    SDL_Rect bounds{};
    SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds);
    SDL_SetWindowBordered(window, SDL_FALSE);
    SDL_SetWindowPosition(window, bounds.x, bounds.y);
    SDL_SetWindowSize(window, width > 0 ? width : bounds.w, height > 0 ? height : bounds.h);
}

void EnterFullScreen(SDL_Window* window, WindowMode mode, int width, int height) {
    if (mode == WindowMode::Mode) {
        SDL_DisplayMode wanted{0, width, height, 0, nullptr};
        SDL_DisplayMode closest{};
        if (SDL_GetClosestDisplayMode(SDL_GetWindowDisplayIndex(window), &wanted, &closest) &&
            SDL_SetWindowDisplayMode(window, &closest) == 0) {
            CoverDisplay(window, closest.w, closest.h);
            if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0) {
                return;
            }
        }
        Warn("no display mode near %dx%d (%s); full screen at the desktop's", width, height, SDL_GetError());
    }
    CoverDisplay(window, 0, 0);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

// A movable, resizable window showing the picture at its own size.
void EnterWindow(SDL_Window* window, int width, int height) {
    SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowBordered(window, SDL_TRUE);
    SDL_SetWindowResizable(window, SDL_TRUE);
    SDL_SetWindowSize(window, width, height);
    const int display = DisplayIndex();
    SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED_DISPLAY(display), SDL_WINDOWPOS_CENTERED_DISPLAY(display));
}

}  // namespace

SdlHost::~SdlHost() {
    presenter_.reset();
    for (const OpenSdlWindow& open : windows_) {
        SDL_DestroyWindow(open.window);
    }
}

bool SdlHost::VideoReady() {
    if (videoTried_) {
        return videoReady_;
    }
    videoTried_ = true;
    // Ctrl+C and kill end the program as they would without SDL, not as an event nobody asked for.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        Warn("no display (%s); running without a window", SDL_GetError());
        return false;
    }
    if (OnlyOffscreen()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        Warn("no display; running without a window");
        return false;
    }
    SDL_ShowCursor(cursorVisible_ ? SDL_ENABLE : SDL_DISABLE);
    videoReady_ = true;
    return true;
}

bool SdlHost::HasDisplay() {
    if (!VideoReady()) {
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
}

SDL_Window* SdlHost::SdlWindow(HWND hwnd) const {
    for (const OpenSdlWindow& open : windows_) {
        if (open.hwnd == hwnd) {
            return open.window;
        }
    }
    return nullptr;
}

SDL_Window* SdlHost::FrameWindow() const {
    if (SDL_Window* owner = SdlWindow(display::ExclusiveOwner())) {
        return owner;
    }
    return windows_.empty() ? nullptr : windows_.front().window;
}

HWND SdlHost::WindowOf(Uint32 sdlWindowId) const {
    for (const OpenSdlWindow& open : windows_) {
        if (SDL_GetWindowID(open.window) == sdlWindowId) {
            return open.hwnd;
        }
    }
    return nullptr;
}

void SdlHost::OpenWindow(HWND hwnd, const std::string& title, int x, int y, int width, int height, bool borderless) {
    if (!VideoReady()) {
        return;
    }
    SDL_Rect bounds{};
    SDL_GetDisplayBounds(DisplayIndex(), &bounds);
    const Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | (borderless ? SDL_WINDOW_BORDERLESS : 0);
    SDL_Window* window =
        SDL_CreateWindow(title.c_str(), bounds.x + x, bounds.y + y, std::max(width, 1), std::max(height, 1), flags);
    if (!window) {
        Warn("cannot open a window (%s)", SDL_GetError());
        return;
    }
    windows_.push_back(OpenSdlWindow{hwnd, window});
}

void SdlHost::ShowWindow(HWND hwnd) {
    if (SDL_Window* window = SdlWindow(hwnd)) {
        SDL_ShowWindow(window);
        SDL_RaiseWindow(window);
    }
}

void SdlHost::CloseWindow(HWND hwnd) {
    SDL_Window* window = SdlWindow(hwnd);
    if (!window) {
        return;
    }
    if (presented_ == window) {
        presenter_.reset();
        presented_ = nullptr;
    }
    SDL_DestroyWindow(window);
    windows_.erase(
        std::remove_if(windows_.begin(), windows_.end(), [&](const OpenSdlWindow& open) { return open.hwnd == hwnd; }),
        windows_.end());
}

void SdlHost::SetDisplayMode(HWND owner, int width, int height) {
    pictureWidth_ = width;
    pictureHeight_ = height;
    SDL_Window* window = SdlWindow(owner);
    if (!window) {
        return;
    }
    const WindowMode mode = CurrentSettings().windowMode;
    if (mode == WindowMode::Window) {
        EnterWindow(window, width, height);
    } else {
        EnterFullScreen(window, mode, width, height);
    }
}

void SdlHost::RestoreDisplayMode(HWND owner) {
    if (SDL_Window* window = SdlWindow(owner)) {
        SDL_SetWindowFullscreen(window, 0);
    }
}

void SdlHost::Present(const Canvas& picture) {
    SDL_Window* window = FrameWindow();
    if (!window || (SDL_GetWindowFlags(window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED))) {
        return;  // nowhere to show it; the display's pacing still holds the frame rate
    }
    const Settings& settings = CurrentSettings();
    if (presented_ != window) {
        presenter_.reset();
        presenter_ = MakePresenter(window, settings.presentPath, settings.vsync && !settings.unpaced);
        presented_ = window;
    }
    presenter_->Present(picture, settings.scaling);
}

void SdlHost::ToggleFullScreen() {
    SDL_Window* window = FrameWindow();
    if (!window) {
        return;
    }
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) {
        EnterWindow(window, pictureWidth_, pictureHeight_);
        return;
    }
    const WindowMode mode = CurrentSettings().windowMode;
    EnterFullScreen(window, mode == WindowMode::Window ? WindowMode::Desktop : mode, pictureWidth_, pictureHeight_);
}

void SdlHost::SetCursorVisible(bool visible) {
    cursorVisible_ = visible;
    if (videoReady_) {
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }
}

}  // namespace plat::sdl
