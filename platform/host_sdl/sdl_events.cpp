// sdl_events.cpp -- SDL's keyboard, focus and close events delivered to the emulation as Windows delivers them;
// an uncovered window shown again.
#include "sdl_host.h"

#include "input.h"

namespace plat::sdl {
namespace {

// The letter or digit the keyboard layout puts on the key, or 0.
int LayoutCharacter(SDL_Keycode keycode) {
    const bool letter = keycode >= 'a' && keycode <= 'z';
    const bool digit = keycode >= '0' && keycode <= '9';
    return letter || digit ? static_cast<int>(keycode) : 0;
}

bool Key(const SdlHost& host, const SDL_KeyboardEvent& key) {
    const Uint16 mod = key.keysym.mod;
    return input::Key(host.WindowOf(key.windowID),
                      input::KeyChange{static_cast<int>(key.keysym.scancode), LayoutCharacter(key.keysym.sym),
                                       key.state == SDL_PRESSED, key.repeat != 0, (mod & KMOD_ALT) != 0,
                                       (mod & KMOD_CTRL) != 0, (mod & KMOD_NUM) != 0});
}

bool WindowEvent(SdlHost& host, const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_EXPOSED:
            host.Reshow(event.windowID);  // the host's own business: the program in the background draws nothing
            return false;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            return input::SetActive(false);
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            return input::SetActive(true);
        case SDL_WINDOWEVENT_CLOSE:
            return input::Close(host.WindowOf(event.windowID));
        default:
            return false;
    }
}

// True if the event reached the program: a message posted or sent.
bool Handle(SdlHost& host, const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            return Key(host, event.key);
        case SDL_WINDOWEVENT:
            return WindowEvent(host, event.window);
        case SDL_QUIT:
            // The last window closed (already handled), or the session is ending. (Ctrl+C and kill end the process
            // as they would without SDL: see SdlHost.)
            return input::CloseMain();
        default:
            return false;
    }
}

}  // namespace

bool SdlHost::PumpEvents() {
    bool delivered = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        delivered = Handle(*this, event) || delivered;
    }
    return delivered;
}

bool SdlHost::WaitEvent(std::chrono::milliseconds timeout) {
    if (!HasDisplay()) {
        SleepUntil(Now() + timeout);  // nothing can send an event
        return false;
    }
    return SDL_WaitEventTimeout(nullptr, static_cast<int>(timeout.count())) != 0;
}

}  // namespace plat::sdl
