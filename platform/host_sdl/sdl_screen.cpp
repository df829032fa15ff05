// sdl_screen.cpp -- the program's windows as SDL windows: full screen, presenting and the cursor.
#include "sdl_host.h"

#include "display.h"
#include "log.h"
#include "platform_state.h"
#include "settings.h"

#include <algorithm>

namespace plat::sdl {
namespace {

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
    const int display = SDL_GetWindowDisplayIndex(window);
    if (mode == WindowMode::Mode) {
        SDL_DisplayMode wanted{0, width, height, 0, nullptr};
        SDL_DisplayMode closest{};
        if (SDL_GetClosestDisplayMode(display, &wanted, &closest) && SDL_SetWindowDisplayMode(window, &closest) == 0) {
            CoverDisplay(window, closest.w, closest.h);
            if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0) {
                if (closest.w != width || closest.h != height) {
                    WarnOnce("no %dx%d display mode; full screen in the nearest, %dx%d", width, height, closest.w,
                             closest.h);
                }
                return;
            }
        }
        SDL_DisplayMode desktop{};
        SDL_GetDesktopDisplayMode(display, &desktop);
        WarnOnce("no display mode near %dx%d (%s); full screen at the desktop's %dx%d", width, height, SDL_GetError(),
                 desktop.w, desktop.h);
    }
    CoverDisplay(window, 0, 0);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

// A movable, resizable window at `place`.
void EnterWindow(SDL_Window* window, const SDL_Rect& place) {
    SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowBordered(window, SDL_TRUE);
    SDL_SetWindowResizable(window, SDL_TRUE);
    SDL_SetWindowSize(window, place.w, place.h);
    SDL_SetWindowPosition(window, place.x, place.y);
}

// A window of the picture's size in the middle of the chosen display.
SDL_Rect CentredPlace(int width, int height) {
    const int display = DisplayIndex();
    return SDL_Rect{int(SDL_WINDOWPOS_CENTERED_DISPLAY(display)), int(SDL_WINDOWPOS_CENTERED_DISPLAY(display)), width,
                    height};
}

}  // namespace

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
        lastFrameShown_ = false;
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
        EnterWindow(window, CentredPlace(width, height));
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
    lastFrameShown_ = false;
    SDL_Window* window = FrameWindow();
    if (!window || (SDL_GetWindowFlags(window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED))) {
        return;  // nowhere to show it; the display's pacing still holds the frame rate
    }
    const Settings& settings = CurrentSettings();
    if (presented_ != window) {
        presenter_.reset();
        presenter_ = MakePresenter(window, settings.presentPath, settings.WaitsForRefresh());
        presented_ = window;
    }
    presenter_->Present(picture, settings.scaling, settings.filter);
    lastFrameShown_ = true;
}

SdlHost::PresentRecord SdlHost::LastPresent() const {
    PresentRecord record;
    if (lastFrameShown_) {
        record.path = presenter_->Path() == PresentPath::Surface ? "surface" : "renderer";
        SDL_GetWindowSizeInPixels(presented_, &record.width, &record.height);
    }
    return record;
}

void SdlHost::Reshow(Uint32 sdlWindowId) {
    if (presenter_ && SDL_GetWindowID(presented_) == sdlWindowId) {
        presenter_->Refresh(CurrentSettings().scaling);
    }
}

void SdlHost::ToggleFullScreen() {
    SDL_Window* window = FrameWindow();
    if (!window) {
        return;
    }
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) {
        EnterWindow(window, windowedPlace_.w > 0 ? windowedPlace_ : CentredPlace(pictureWidth_, pictureHeight_));
        return;
    }
    SDL_GetWindowPosition(window, &windowedPlace_.x, &windowedPlace_.y);
    SDL_GetWindowSize(window, &windowedPlace_.w, &windowedPlace_.h);
    const WindowMode mode = CurrentSettings().windowMode;
    EnterFullScreen(window, mode == WindowMode::Window ? WindowMode::Desktop : mode, pictureWidth_, pictureHeight_);
}

void SdlHost::SetCursorVisible(bool visible) {
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace plat::sdl
