// key_map_test.cpp -- keys by position (SDL's scan codes) as Windows codes. (The key messages' bits: the events test.)
#include "key_map.h"

#include <dinput.h>

#include <SDL.h>
#include <gtest/gtest.h>

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

}  // namespace
