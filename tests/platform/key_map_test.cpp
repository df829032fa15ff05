// key_map_test.cpp -- keys by position (SDL's scan codes) as Windows codes, and the key messages' lParam bits.
#include "key_map.h"
#include "test_names.h"

#include <dinput.h>

#include <SDL.h>

#include <sstream>

namespace {

using plat::keys::KeyCodes;
using plat::keys::Lookup;

std::string Describe(const KeyCodes& codes) {
    std::ostringstream text;
    text << std::hex << "vk 0x" << codes.virtualKey << ", scan 0x" << codes.scanCode
         << (codes.extended ? " extended" : "") << ", dik 0x" << codes.directInput;
    return text.str();
}

TEST(KeyMap, KeysGiveTheirWindowsCodes) {
    const struct {
        const char* what;
        SDL_Scancode scancode;
        SDL_Keycode character;  // what the layout puts on the key
        bool numLock;
        KeyCodes codes;
    } cases[] = {
        {"Escape", SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, false, {VK_ESCAPE, 0x01, false, DIK_ESCAPE}},
        {"A", SDL_SCANCODE_A, 'a', false, {'A', 0x1E, false, DIK_A}},
        {"F4", SDL_SCANCODE_F4, SDLK_F4, false, {VK_F4, 0x3E, false, DIK_F4}},
        {"right Shift", SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, false, {VK_SHIFT, 0x36, false, DIK_RSHIFT}},
        // Right-hand modifiers, arrows, Print Screen and the keypad's Enter are extended.
        {"right Ctrl", SDL_SCANCODE_RCTRL, SDLK_RCTRL, false, {VK_CONTROL, 0x1D, true, DIK_RCONTROL}},
        {"right Alt", SDL_SCANCODE_RALT, SDLK_RALT, false, {VK_MENU, 0x38, true, DIK_RMENU}},
        {"Up", SDL_SCANCODE_UP, SDLK_UP, false, {0x26, 0x48, true, DIK_UP}},
        {"Print Screen", SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN, false, {VK_SNAPSHOT, 0x37, true, DIK_SYSRQ}},
        {"keypad Enter", SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, true, {VK_RETURN, 0x1C, true, 0x9C}},
        // Num Lock and Pause both send scan code 0x45; Num Lock is the extended one.
        {"Num Lock", SDL_SCANCODE_NUMLOCKCLEAR, SDLK_NUMLOCKCLEAR, true, {0x90, 0x45, true, 0x45}},
        {"Pause", SDL_SCANCODE_PAUSE, SDLK_PAUSE, false, {0x13, 0x45, false, 0xC5}},
        // The keypad: digits with Num Lock, Home, Clear and Delete without; the Home key itself is extended.
        {"keypad 7, Num Lock on", SDL_SCANCODE_KP_7, SDLK_KP_7, true, {0x67, 0x47, false, 0x47}},
        {"keypad 7, Num Lock off", SDL_SCANCODE_KP_7, SDLK_KP_7, false, {0x24, 0x47, false, 0x47}},
        {"keypad period, Num Lock off", SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, false, {0x2E, 0x53, false, 0x53}},
        {"Home", SDL_SCANCODE_HOME, SDLK_HOME, true, {0x24, 0x47, true, 0xC7}},
        // Letters follow the layout, scan codes the position: French "a" on Q, German "y" on Z; a key typing no
        // letter keeps its position's US code.
        {"French A", SDL_SCANCODE_Q, 'a', false, {'A', 0x10, false, DIK_Q}},
        {"German Y", SDL_SCANCODE_Z, 'y', false, {'Y', 0x2C, false, DIK_Z}},
        {"a letter key typing no letter", SDL_SCANCODE_A, 0x00E4, false, {'A', 0x1E, false, DIK_A}},
        {"a key Windows does not know", SDL_SCANCODE_AC_BACK, SDLK_AC_BACK, false, {0, 0, false, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Describe(Lookup(c.scancode, c.character, c.numLock)), Describe(c.codes)) << c.what;
    }
}

// Key messages: wParam the virtual key, lParam = repeat count | scan code << 16 | extended << 24 | Alt << 29 |
// previous state << 30 | transition << 31.
struct MessageCase {
    const char* name;
    SDL_Scancode scancode;
    bool down, repeat, alt, control;
    UINT message;
    WPARAM wParam;
    unsigned long lParam;
    friend std::ostream& operator<<(std::ostream& out, const MessageCase& key) { return out << key.name; }
};

const MessageCase kMessageCases[] = {
    {"Escape pressed", SDL_SCANCODE_ESCAPE, true, false, false, false, WM_KEYDOWN, VK_ESCAPE, 0x00010001},
    {"Escape released", SDL_SCANCODE_ESCAPE, false, false, false, false, WM_KEYUP, VK_ESCAPE, 0xC0010001},
    {"A held down", SDL_SCANCODE_A, true, true, false, false, WM_KEYDOWN, 'A', 0x401E0001},
    {"Alt pressed", SDL_SCANCODE_LALT, true, false, true, false, WM_SYSKEYDOWN, VK_MENU, 0x20380001},
    {"Alt+X pressed", SDL_SCANCODE_X, true, false, true, false, WM_SYSKEYDOWN, 'X', 0x202D0001},
    {"X released, Alt held", SDL_SCANCODE_X, false, false, true, false, WM_SYSKEYUP, 'X', 0xE02D0001},
    {"F10 pressed", SDL_SCANCODE_F10, true, false, false, false, WM_SYSKEYDOWN, 0x79, 0x00440001},
    {"F10 released", SDL_SCANCODE_F10, false, false, false, false, WM_SYSKEYUP, 0x79, 0xC0440001},
    {"AltGr+Q (Ctrl+Alt)", SDL_SCANCODE_Q, true, false, true, true, WM_KEYDOWN, 'Q', 0x00100001},
    {"right Ctrl released", SDL_SCANCODE_RCTRL, false, false, false, false, WM_KEYUP, VK_CONTROL, 0xC11D0001},
};

class KeyMessageBits : public testing::TestWithParam<MessageCase> {};

TEST_P(KeyMessageBits, MatchWindows) {
    const MessageCase& key = GetParam();
    const plat::keys::KeyMessage message =
        plat::keys::MessageFor({Lookup(key.scancode, SDLK_UNKNOWN, true), key.down, key.repeat, key.alt, key.control});
    EXPECT_EQ(message.message, key.message) << "message";
    EXPECT_EQ(message.wParam, key.wParam) << "virtual key";
    EXPECT_EQ(message.lParam, static_cast<LPARAM>(key.lParam))
        << std::hex << "expected lParam 0x" << key.lParam << ", got 0x" << message.lParam;
}

INSTANTIATE_TEST_SUITE_P(EachKind, KeyMessageBits, testing::ValuesIn(kMessageCases), ByName());

}  // namespace
