// web_keys_test.cpp -- the browser's key names (KeyboardEvent.code) give the positions SDL gives on Linux, so keys
// reach the program in a page as they do on the desktop.
#include "web_keys.h"

#include <SDL.h>

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* code;
    int position;  // SDL's scan code for the key, 0 for none
};

// Each rule at both ends, and every key named one by one.
constexpr Case kCases[] = {
    {"KeyA", SDL_SCANCODE_A},
    {"KeyZ", SDL_SCANCODE_Z},
    {"Digit1", SDL_SCANCODE_1},
    {"Digit9", SDL_SCANCODE_9},
    {"Digit0", SDL_SCANCODE_0},
    {"Numpad1", SDL_SCANCODE_KP_1},
    {"Numpad9", SDL_SCANCODE_KP_9},
    {"Numpad0", SDL_SCANCODE_KP_0},
    {"F1", SDL_SCANCODE_F1},
    {"F12", SDL_SCANCODE_F12},
    {"F13", SDL_SCANCODE_F13},
    {"F24", SDL_SCANCODE_F24},
    {"Enter", SDL_SCANCODE_RETURN},
    {"Escape", SDL_SCANCODE_ESCAPE},
    {"Backspace", SDL_SCANCODE_BACKSPACE},
    {"Tab", SDL_SCANCODE_TAB},
    {"Space", SDL_SCANCODE_SPACE},
    {"Minus", SDL_SCANCODE_MINUS},
    {"Equal", SDL_SCANCODE_EQUALS},
    {"BracketLeft", SDL_SCANCODE_LEFTBRACKET},
    {"BracketRight", SDL_SCANCODE_RIGHTBRACKET},
    {"Backslash", SDL_SCANCODE_BACKSLASH},
    {"Semicolon", SDL_SCANCODE_SEMICOLON},
    {"Quote", SDL_SCANCODE_APOSTROPHE},
    {"Backquote", SDL_SCANCODE_GRAVE},
    {"Comma", SDL_SCANCODE_COMMA},
    {"Period", SDL_SCANCODE_PERIOD},
    {"Slash", SDL_SCANCODE_SLASH},
    {"CapsLock", SDL_SCANCODE_CAPSLOCK},
    {"PrintScreen", SDL_SCANCODE_PRINTSCREEN},
    {"ScrollLock", SDL_SCANCODE_SCROLLLOCK},
    {"Pause", SDL_SCANCODE_PAUSE},
    {"Insert", SDL_SCANCODE_INSERT},
    {"Home", SDL_SCANCODE_HOME},
    {"PageUp", SDL_SCANCODE_PAGEUP},
    {"Delete", SDL_SCANCODE_DELETE},
    {"End", SDL_SCANCODE_END},
    {"PageDown", SDL_SCANCODE_PAGEDOWN},
    {"ArrowRight", SDL_SCANCODE_RIGHT},
    {"ArrowLeft", SDL_SCANCODE_LEFT},
    {"ArrowDown", SDL_SCANCODE_DOWN},
    {"ArrowUp", SDL_SCANCODE_UP},
    {"NumLock", SDL_SCANCODE_NUMLOCKCLEAR},
    {"NumpadDivide", SDL_SCANCODE_KP_DIVIDE},
    {"NumpadMultiply", SDL_SCANCODE_KP_MULTIPLY},
    {"NumpadSubtract", SDL_SCANCODE_KP_MINUS},
    {"NumpadAdd", SDL_SCANCODE_KP_PLUS},
    {"NumpadEnter", SDL_SCANCODE_KP_ENTER},
    {"NumpadDecimal", SDL_SCANCODE_KP_PERIOD},
    {"IntlBackslash", SDL_SCANCODE_NONUSBACKSLASH},
    {"ContextMenu", SDL_SCANCODE_APPLICATION},
    {"ControlLeft", SDL_SCANCODE_LCTRL},
    {"ShiftLeft", SDL_SCANCODE_LSHIFT},
    {"AltLeft", SDL_SCANCODE_LALT},
    {"MetaLeft", SDL_SCANCODE_LGUI},
    {"ControlRight", SDL_SCANCODE_RCTRL},
    {"ShiftRight", SDL_SCANCODE_RSHIFT},
    {"AltRight", SDL_SCANCODE_RALT},
    {"MetaRight", SDL_SCANCODE_RGUI},
    // Names that only look like the rules'.
    {"", 0},
    {"Key", 0},
    {"Keya", 0},
    {"KeyAB", 0},
    {"Digit", 0},
    {"Digit10", 0},
    {"Numpad10", 0},
    {"F0", 0},
    {"F01", 0},
    {"F25", 0},
    {"F99999999999", 0},
    {"Unidentified", 0},
};

TEST(WebKeys, BrowserKeyNamesGiveSdlsPositions) {
    for (const Case& c : kCases) {
        EXPECT_EQ(plat::web::KeyPosition(c.code), c.position) << "\"" << c.code << "\"";
    }
}

}  // namespace
