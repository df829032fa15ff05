// events.cpp -- the sources of messages besides the program: the frame script, then the display's SDL events.
#include "events.h"

#include "frame_script.h"
#include "key_map.h"
#include "keyboard_state.h"
#include "message_queue.h"
#include "screen.h"
#include "window_table.h"

#include <SDL.h>

#include <bitset>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace plat::events {
namespace {

// How long one wait for an SDL event lasts; the caller waits again if nothing came.
constexpr int kWaitMilliseconds = 100;

// Keys whose press went to the platform (Alt+Enter, Alt+F4, Print Screen): their release goes there too.
std::bitset<SDL_NUM_SCANCODES> keysTaken;

bool DisplayCanSendEvents() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
}

// What the window manager's close does on Windows: WM_CLOSE sent to the window, whose default handling destroys it.
bool Close(HWND hwnd) {
    if (!hwnd || !windows::Find(hwnd)) {
        return false;
    }
    windows::Send(hwnd, WM_CLOSE, 0, 0);
    return true;
}

bool SetActive(bool active) {
    if (windows::AppActive() == active) {
        return false;
    }
    if (!active) {
        keyboard::ReleaseAll();  // the keys held now are released in another program's window
    }
    windows::SetAppActive(active);
    return true;
}

// Keys the platform keeps for itself rather than passing to the program. True if `key` is one of them.
bool TakeForPlatform(const SDL_KeyboardEvent& key, HWND window) {
    const SDL_Scancode scancode = key.keysym.scancode;
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0;
    const bool platformKey = scancode == SDL_SCANCODE_PRINTSCREEN ||
                             (alt && (scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_F4));
    if (key.state == SDL_RELEASED) {
        const bool taken = keysTaken[scancode];
        keysTaken[scancode] = false;
        return taken;
    }
    if (!platformKey) {
        return false;
    }
    keysTaken[scancode] = true;
    if (key.repeat) {
        return true;
    }
    if (scancode == SDL_SCANCODE_RETURN) {
        screen::ToggleFullScreen();
    } else if (scancode == SDL_SCANCODE_F4) {
        Close(window);
    } else {
        const std::string saved = screen::SaveScreenshot();
        std::fprintf(stderr, saved.empty() ? "tamberlyn: no picture to save yet\n" : "tamberlyn: saved %s\n",
                     saved.c_str());
    }
    return true;
}

// A key goes to the window with the keyboard focus: SDL's, or the program's foreground window when SDL names none.
bool Key(const SDL_KeyboardEvent& key) {
    const keys::KeyCodes codes = keys::Lookup(key.keysym.scancode, key.keysym.sym, (key.keysym.mod & KMOD_NUM) != 0);
    const bool down = key.state == SDL_PRESSED;
    keyboard::Set(codes.directInput, down);
    HWND window = screen::WindowOf(key.windowID);
    if (!window) {
        window = windows::Foreground();
    }
    if (TakeForPlatform(key, window) || !window || !codes.virtualKey) {
        return false;
    }
    const keys::KeyMessage message = keys::MessageFor(
        {codes, down, key.repeat != 0, (key.keysym.mod & KMOD_ALT) != 0, (key.keysym.mod & KMOD_CTRL) != 0});
    queue::PostInput(window, message.message, message.wParam, message.lParam);
    return true;
}

bool WindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST:
            return SetActive(false);
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            return SetActive(true);
        case SDL_WINDOWEVENT_CLOSE:
            return Close(screen::WindowOf(event.windowID));
        default:
            return false;
    }
}

// True if the event reached the program: a message posted or sent.
bool Handle(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return Key(event.key);
        case SDL_WINDOWEVENT:
            return WindowEvent(event.window);
        case SDL_QUIT: {
            // The last window closed (already handled), or the process was asked to end (Ctrl+C, SIGTERM).
            const windows::Window* main = windows::MainWindow();
            return main && Close(main->handle);
        }
        default:
            return false;
    }
}

bool HandlePending() {
    bool delivered = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        delivered = Handle(event) || delivered;
    }
    return delivered;
}

// Nothing can send this program a message: wait as a real queue would, without spinning.
void IdleWithoutSource() {
    static bool warned = false;
    if (!warned) {
        std::fprintf(stderr, "tamberlyn: waiting for a message, and no script or display can send one\n");
        warned = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

}  // namespace

bool Pump(bool wait) {
    if (script::Deliver(wait)) {
        return true;
    }
    const bool sdl = SDL_WasInit(SDL_INIT_VIDEO) != 0;
    if (sdl && HandlePending()) {
        return true;
    }
    if (!wait) {
        return false;
    }
    if (!sdl || !DisplayCanSendEvents()) {
        IdleWithoutSource();
        return false;
    }
    SDL_Event event;
    if (!SDL_WaitEventTimeout(&event, kWaitMilliseconds)) {
        return false;
    }
    const bool delivered = Handle(event);
    return HandlePending() || delivered;
}

DWORD Milliseconds() {
    static const auto start = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

}  // namespace plat::events
