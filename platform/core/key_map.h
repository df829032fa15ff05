// key_map.h -- keys as Windows sees them: virtual-key codes, scan codes, DirectInput key codes, key messages.
#pragma once

#include <windows.h>

#include <string>

namespace plat::keys {

struct KeyCodes {
    int virtualKey = 0;     // VK_*; 0 for a key Windows has no code for
    int scanCode = 0;       // set-1 scan code without its 0xE0 prefix, as lParam carries it
    bool extended = false;  // the 0xE0-prefixed keys (right Ctrl and Alt, arrows, keypad Enter and divide...)
    int directInput = 0;    // DIK_*: index into the DirectInput keyboard state
};

// Key positions are USB keyboard usage codes, the numbers hosts report keys by.
constexpr int kPositionReturn = 40;
constexpr int kPositionF4 = 61;
constexpr int kPositionPrintScreen = 70;

// The codes of a physical key. Letters and digits follow the keyboard layout (`character`, the lower-case letter
// or digit the layout puts on the key, or 0), the rest the key's `position`; keypad keys give their navigation
// codes while Num Lock is off, as on Windows.
KeyCodes Lookup(int position, int character, bool numLock);

// The position of the key called `name`, in any case: its name ("Escape", "Space", "A", "F1", "Left Alt"...) or
// a Windows spelling (ESC, ENTER, BACK, SNAPSHOT, ALT, CONTROL, SHIFT); 0 if there is none.
int PositionNamed(const std::string& name);

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
