// key_map_test.cpp -- keys by position (SDL's scan codes) as Windows codes, and the key messages' lParam bits.
#include "key_map.h"

#include <dinput.h>

#include <SDL.h>

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <sstream>

namespace {

using plat::keys::KeyCodes;
using plat::keys::Lookup;
using plat::keys::MessageFor;

std::string Describe(const KeyCodes& codes) {
    std::ostringstream text;
    text << std::hex << "vk 0x" << codes.virtualKey << ", scan 0x" << codes.scanCode
         << (codes.extended ? " extended" : "") << ", dik 0x" << codes.directInput;
    return text.str();
}

std::string Describe(int virtualKey, int scanCode, bool extended, int directInput) {
    return Describe(KeyCodes{virtualKey, scanCode, extended, directInput});
}

TEST(KeyMap, PlainKeysCarryTheirScanCodeAsDirectInputCode) {
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, false)), Describe(VK_ESCAPE, 0x01, false, DIK_ESCAPE));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_A, 'a', false)), Describe('A', 0x1E, false, DIK_A));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_Z, 'z', false)), Describe('Z', 0x2C, false, DIK_Z));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_1, '1', false)), Describe('1', 0x02, false, DIK_1));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_0, '0', false)), Describe('0', 0x0B, false, DIK_0));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_SPACE, ' ', false)), Describe(VK_SPACE, 0x39, false, DIK_SPACE));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_F1, SDLK_F1, false)), Describe(0x70, 0x3B, false, DIK_F1));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_F4, SDLK_F4, false)), Describe(VK_F4, 0x3E, false, DIK_F4));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, false)), Describe(VK_SHIFT, 0x2A, false, DIK_LSHIFT));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, false)), Describe(VK_SHIFT, 0x36, false, DIK_RSHIFT));
}

TEST(KeyMap, RightHandModifiersArrowsAndPrintScreenAreExtended) {
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_RCTRL, SDLK_RCTRL, false)), Describe(VK_CONTROL, 0x1D, true, DIK_RCONTROL));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_RALT, SDLK_RALT, false)), Describe(VK_MENU, 0x38, true, DIK_RMENU));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_LALT, SDLK_LALT, false)), Describe(VK_MENU, 0x38, false, DIK_LMENU));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_UP, SDLK_UP, false)), Describe(0x26, 0x48, true, DIK_UP));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_LEFT, SDLK_LEFT, false)), Describe(0x25, 0x4B, true, DIK_LEFT));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_RIGHT, SDLK_RIGHT, false)), Describe(0x27, 0x4D, true, DIK_RIGHT));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_DOWN, SDLK_DOWN, false)), Describe(0x28, 0x50, true, DIK_DOWN));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_PRINTSCREEN, SDLK_PRINTSCREEN, false)),
              Describe(VK_SNAPSHOT, 0x37, true, DIK_SYSRQ));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, true)), Describe(VK_RETURN, 0x1C, true, 0x9C));
}

TEST(KeyMap, NumLockIsExtendedAndPauseIsNotThoughBothSendScanCode45) {
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_NUMLOCKCLEAR, SDLK_NUMLOCKCLEAR, true)), Describe(0x90, 0x45, true, 0x45));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_PAUSE, SDLK_PAUSE, false)), Describe(0x13, 0x45, false, 0xC5));
}

TEST(KeyMap, KeypadGivesDigitsWithNumLockAndNavigationKeysWithout) {
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_KP_7, SDLK_KP_7, true)), Describe(0x67, 0x47, false, 0x47));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_KP_7, SDLK_KP_7, false)), Describe(0x24, 0x47, false, 0x47)) << "VK_HOME";
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_KP_5, SDLK_KP_5, false)), Describe(0x0C, 0x4C, false, 0x4C)) << "VK_CLEAR";
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, false)), Describe(0x2E, 0x53, false, 0x53))
        << "VK_DELETE";
    // The keys between the letters and the keypad are extended, unlike their keypad twins.
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_HOME, SDLK_HOME, true)), Describe(0x24, 0x47, true, 0xC7));
}

TEST(KeyMap, LettersFollowTheLayoutAndScanCodesThePosition) {
    // On a French layout the key in the US "Q" position types "a".
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_Q, 'a', false)), Describe('A', 0x10, false, DIK_Q));
    // On a German layout the US "Z" position types "y".
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_Z, 'y', false)), Describe('Y', 0x2C, false, DIK_Z));
    // A letter key that types no letter keeps the US code of its position.
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_A, 0x00E4, false)), Describe('A', 0x1E, false, DIK_A));
}

TEST(KeyMap, KeysWindowsDoesNotKnowHaveNoCodes) {
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN, false)), Describe(0, 0, false, 0));
    EXPECT_EQ(Describe(Lookup(SDL_SCANCODE_AC_BACK, SDLK_AC_BACK, false)), Describe(0, 0, false, 0));
}

TEST(KeyMap, NoTwoKeysShareADirectInputCode) {
    // The US backslash and the ISO hash key sit at the same place and send the same scan code.
    std::map<int, SDL_Scancode> owners;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        const KeyCodes codes = Lookup(static_cast<SDL_Scancode>(scancode), SDLK_UNKNOWN, true);
        if (!codes.directInput || scancode == SDL_SCANCODE_NONUSHASH) {
            continue;
        }
        const auto [owner, added] = owners.emplace(codes.directInput, static_cast<SDL_Scancode>(scancode));
        EXPECT_TRUE(added) << "DirectInput code 0x" << std::hex << codes.directInput << " for both "
                           << SDL_GetScancodeName(owner->second) << " and "
                           << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
        EXPECT_NE(codes.virtualKey, 0) << SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
    }
    EXPECT_GE(owners.size(), 104u) << "expected a full keyboard";
}

// Key messages: wParam the virtual key, lParam = repeat count | scan code << 16 | extended << 24 | Alt << 29 |
// previous state << 30 | transition << 31.
struct MessageCase {
    const char* what;
    SDL_Scancode scancode;
    bool down, repeat, alt, control;
    UINT message;
    WPARAM wParam;
    unsigned long lParam;
};

const MessageCase kMessageCases[] = {
    {"Escape pressed", SDL_SCANCODE_ESCAPE, true, false, false, false, WM_KEYDOWN, VK_ESCAPE, 0x00010001},
    {"Escape released", SDL_SCANCODE_ESCAPE, false, false, false, false, WM_KEYUP, VK_ESCAPE, 0xC0010001},
    {"A held down", SDL_SCANCODE_A, true, true, false, false, WM_KEYDOWN, 'A', 0x401E0001},
    {"Up arrow pressed", SDL_SCANCODE_UP, true, false, false, false, WM_KEYDOWN, 0x26, 0x01480001},
    {"Alt pressed", SDL_SCANCODE_LALT, true, false, true, false, WM_SYSKEYDOWN, VK_MENU, 0x20380001},
    {"Alt released", SDL_SCANCODE_LALT, false, false, false, false, WM_KEYUP, VK_MENU, 0xC0380001},
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
        MessageFor({Lookup(key.scancode, SDLK_UNKNOWN, true), key.down, key.repeat, key.alt, key.control});
    EXPECT_EQ(message.message, key.message) << key.what << ": message";
    EXPECT_EQ(message.wParam, key.wParam) << key.what << ": virtual key";
    EXPECT_EQ(message.lParam, static_cast<LPARAM>(key.lParam))
        << key.what << std::hex << ": expected lParam 0x" << key.lParam << ", got 0x" << message.lParam;
}

INSTANTIATE_TEST_SUITE_P(EachKind, KeyMessageBits, testing::ValuesIn(kMessageCases),
                         [](const testing::TestParamInfo<MessageCase>& info) {
                             std::string name = info.param.what;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

}  // namespace
