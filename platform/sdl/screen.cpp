// screen.cpp -- the program's windows as SDL windows: full screen, presenting, cursor and screenshots.
#include "screen.h"

#include "capture.h"
#include "display.h"
#include "presenter.h"
#include "settings.h"
#include "window_table.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace plat::screen {
namespace {

struct OpenWindow {
    HWND hwnd;
    SDL_Window* window;
};

struct State {
    bool videoTried = false;
    bool videoReady = false;
    std::vector<OpenWindow> windows;
    SDL_Window* presented = nullptr;  // the window `presenter` draws into
    std::unique_ptr<Presenter> presenter;
    bool synced = false;  // the last present waited for the display
    PresentRecord lastPresent;
    int pictureWidth = 640;
    int pictureHeight = 480;
    bool cursorVisible = true;
};

State& TheState() {
    static State* state = new State;  // never destroyed: global destructors may still close windows
    return *state;
}

// True where SDL found no display and fell back on its offscreen driver without being asked to: nobody would
// see the window, and its renderers would load OpenGL for nothing.
bool OnlyOffscreen() {
    return !SDL_getenv("SDL_VIDEODRIVER") && std::strcmp(SDL_GetCurrentVideoDriver(), "offscreen") == 0;
}

// Starts SDL's video on first use; false (for the whole run) where there is no display or driver.
bool VideoReady() {
    State& state = TheState();
    if (state.videoTried) {
        return state.videoReady;
    }
    state.videoTried = true;
    // Ctrl+C and kill end the program as they would without SDL, not as an event nobody asked for.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "tamberlyn: no display (%s); running without a window\n", SDL_GetError());
        return false;
    }
    if (OnlyOffscreen()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        std::fprintf(stderr, "tamberlyn: no display; running without a window\n");
        return false;
    }
    SDL_ShowCursor(state.cursorVisible ? SDL_ENABLE : SDL_DISABLE);
    state.videoReady = true;
    return true;
}

SDL_Window* SdlWindow(HWND hwnd) {
    for (const OpenWindow& open : TheState().windows) {
        if (open.hwnd == hwnd) {
            return open.window;
        }
    }
    return nullptr;
}

int DisplayIndex() {
    const int wanted = CurrentSettings().displayIndex;
    const int count = SDL_GetNumVideoDisplays();
    if (wanted < count) {
        return wanted;
    }
    static bool warned = false;
    if (!warned) {
        std::fprintf(stderr, "tamberlyn: no display %d (there are %d); using display 0\n", wanted, count);
        warned = true;
    }
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
        std::fprintf(stderr, "tamberlyn: no display mode near %dx%d (%s); full screen at the desktop's\n", width,
                     height, SDL_GetError());
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

// The window frames go to: the exclusive owner's, else the first one opened.
SDL_Window* FrameWindow() {
    if (SDL_Window* owner = SdlWindow(display::ExclusiveOwner())) {
        return owner;
    }
    const auto& windows = TheState().windows;
    return windows.empty() ? nullptr : windows.front().window;
}

}  // namespace

void Open(HWND hwnd, const std::string& title, bool borderless) {
    const windows::Window* table = windows::Find(hwnd);
    if (!table || !VideoReady()) {
        return;
    }
    SDL_Rect bounds{};
    SDL_GetDisplayBounds(DisplayIndex(), &bounds);
    const Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | (borderless ? SDL_WINDOW_BORDERLESS : 0);
    SDL_Window* window = SDL_CreateWindow(title.c_str(), bounds.x + table->x, bounds.y + table->y,
                                          std::max(table->width, 1), std::max(table->height, 1), flags);
    if (!window) {
        std::fprintf(stderr, "tamberlyn: cannot open a window (%s)\n", SDL_GetError());
        return;
    }
    TheState().windows.push_back(OpenWindow{hwnd, window});
}

void Show(HWND hwnd) {
    if (SDL_Window* window = SdlWindow(hwnd)) {
        SDL_ShowWindow(window);
        SDL_RaiseWindow(window);
    }
}

void Close(HWND hwnd) {
    State& state = TheState();
    SDL_Window* window = SdlWindow(hwnd);
    if (!window) {
        return;
    }
    if (state.presented == window) {
        state.presenter.reset();
        state.presented = nullptr;
    }
    SDL_DestroyWindow(window);
    state.windows.erase(std::remove_if(state.windows.begin(), state.windows.end(),
                                       [&](const OpenWindow& open) { return open.hwnd == hwnd; }),
                        state.windows.end());
}

HWND WindowOf(Uint32 sdlWindowId) {
    for (const OpenWindow& open : TheState().windows) {
        if (SDL_GetWindowID(open.window) == sdlWindowId) {
            return open.hwnd;
        }
    }
    return nullptr;
}

void DisplayModeSet(HWND owner, int width, int height) {
    State& state = TheState();
    state.pictureWidth = width;
    state.pictureHeight = height;
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

void DisplayReleased(HWND owner) {
    if (SDL_Window* window = SdlWindow(owner)) {
        SDL_SetWindowFullscreen(window, 0);
    }
}

void Present(const Canvas& front) {
    State& state = TheState();
    state.synced = false;
    state.lastPresent = PresentRecord{};
    SDL_Window* window = FrameWindow();
    if (!window || (SDL_GetWindowFlags(window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED))) {
        return;  // nowhere to show it; the display's pacing still holds the frame rate
    }
    const Settings& settings = CurrentSettings();
    if (state.presented != window) {
        state.presenter.reset();
        state.presenter = MakePresenter(window, settings.presentPath, settings.vsync && !settings.unpaced);
        state.presented = window;
    }
    state.presenter->Present(front, settings.scaling);
    state.synced = state.presenter->SyncsToDisplay();
    state.lastPresent.path = state.presenter->Path();
    SDL_GetWindowSizeInPixels(window, &state.lastPresent.width, &state.lastPresent.height);
}

PresentRecord LastPresent() {
    return TheState().lastPresent;
}

bool SyncsToDisplay() {
    return TheState().synced;
}

void ToggleFullScreen() {
    State& state = TheState();
    SDL_Window* window = FrameWindow();
    if (!window) {
        return;
    }
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) {
        EnterWindow(window, state.pictureWidth, state.pictureHeight);
        return;
    }
    const WindowMode mode = CurrentSettings().windowMode;
    EnterFullScreen(window, mode == WindowMode::Window ? WindowMode::Desktop : mode, state.pictureWidth,
                    state.pictureHeight);
}

std::string SaveScreenshot() {
    const Canvas* picture = display::ShownPicture();
    return picture ? capture::SaveScreenshot(*picture) : std::string();
}

void SetCursorVisible(bool visible) {
    State& state = TheState();
    state.cursorVisible = visible;
    if (state.videoReady) {
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }
}

}  // namespace plat::screen
