// input.h -- where messages come from besides the program: the frame script, and the host's keyboard, focus and
// closing, which hosts deliver here as Windows would.
#pragma once

#include "host.h"
#include "key_map.h"

#include <windows.h>

#include <bitset>

namespace plat::input {

struct InputState {
    std::bitset<512> keysTaken;     // key positions whose press went to the platform: their release goes there too
    Host::Clock::time_point start;  // when the platform started, for MSG::time
};

// Delivers what has happened: due frame-script actions, then the host's events. With `wait`, waits a little for
// something to arrive (a waiting program also moves the frame script on to its next action). True if anything
// was delivered.
bool Pump(bool wait);
// Milliseconds since the platform started, for MSG::time.
DWORD Milliseconds();

// A key on the host's keyboard went down or up, in the host's window for `window` (null: the foreground window).
struct KeyChange {
    int position;   // the key's USB usage code (see key_map.h)
    int character;  // the lower-case letter or digit the keyboard layout puts on the key, or 0
    bool down;
    bool repeat;  // an auto-repeated press
    bool alt;
    bool control;
    bool numLock;
};
// Sets the key's DirectInput state and posts its key message; Alt+Enter, Alt+F4, Print Screen and the screenshot key
// stay with the platform. True if a message reached the program.
bool Key(HWND window, const KeyChange& key);
// The host's window for the program gained or lost the focus: the program is activated or deactivated.
bool SetActive(bool active);
// The window manager asked to close the window: WM_CLOSE, as Windows sends it.
bool Close(HWND window);
// The host was asked to end the program (the session ending): the main window is closed.
bool CloseMain();

}  // namespace plat::input
