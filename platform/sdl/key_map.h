// key_map.h -- SDL keys as Windows sees them: virtual-key codes, scan codes, DirectInput key codes, key messages.
#pragma once

#include <windows.h>

#include <SDL.h>

namespace plat::keys {

struct KeyCodes {
    int virtualKey = 0;     // VK_*; 0 for a key Windows has no code for
    int scanCode = 0;       // set-1 scan code without its 0xE0 prefix, as lParam carries it
    bool extended = false;  // the 0xE0-prefixed keys (right Ctrl and Alt, arrows, keypad Enter and divide...)
    int directInput = 0;    // DIK_*: index into the DirectInput keyboard state
};

// The codes of a physical key. Letters and digits follow the keyboard layout (`keycode`), the rest the key's
// position (`scancode`); keypad keys give their navigation codes while Num Lock is off, as on Windows.
KeyCodes Lookup(SDL_Scancode scancode, SDL_Keycode keycode, bool numLock);

struct KeyMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct KeyEvent {
    KeyCodes key;
    bool down;
    bool repeat;  // an auto-repeated press: the key was already down
    bool alt;     // Alt held once this event has happened (so not on the release of Alt itself)
    bool control;
};

// The window message for a key event: WM_SYSKEYDOWN/UP with Alt (but not with Ctrl+Alt, which is AltGr) and for
// F10, WM_KEYDOWN/UP otherwise; lParam = repeat count 1, scan code, extended bit, Alt context, previous state,
// transition.
KeyMessage MessageFor(const KeyEvent& event);

}  // namespace plat::keys
