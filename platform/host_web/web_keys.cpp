// web_keys.cpp -- KeyboardEvent.code names to USB usage codes: the browser names key positions after the same
// keyboard usages, so letters, digits, function keys and the keypad's digits follow a rule and the rest a table.
#include "web_keys.h"

namespace plat::web {
namespace {

struct Named {
    const char* code;
    int position;
};

constexpr Named kNamed[] = {
    {"Enter", 40},
    {"Escape", 41},
    {"Backspace", 42},
    {"Tab", 43},
    {"Space", 44},
    {"Minus", 45},
    {"Equal", 46},
    {"BracketLeft", 47},
    {"BracketRight", 48},
    {"Backslash", 49},
    {"Semicolon", 51},
    {"Quote", 52},
    {"Backquote", 53},
    {"Comma", 54},
    {"Period", 55},
    {"Slash", 56},
    {"CapsLock", 57},
    {"PrintScreen", 70},
    {"ScrollLock", 71},
    {"Pause", 72},
    {"Insert", 73},
    {"Home", 74},
    {"PageUp", 75},
    {"Delete", 76},
    {"End", 77},
    {"PageDown", 78},
    {"ArrowRight", 79},
    {"ArrowLeft", 80},
    {"ArrowDown", 81},
    {"ArrowUp", 82},
    {"NumLock", 83},
    {"NumpadDivide", 84},
    {"NumpadMultiply", 85},
    {"NumpadSubtract", 86},
    {"NumpadAdd", 87},
    {"NumpadEnter", 88},
    {"NumpadDecimal", 99},
    {"IntlBackslash", 100},
    {"ContextMenu", 101},
    {"ControlLeft", 224},
    {"ShiftLeft", 225},
    {"AltLeft", 226},
    {"MetaLeft", 227},
    {"ControlRight", 228},
    {"ShiftRight", 229},
    {"AltRight", 230},
    {"MetaRight", 231},
};

// The number after `prefix` in `code` if it is all digits and in [low, high]; else -1.
int NumberAfter(const std::string& code, const char* prefix, int low, int high) {
    const std::string start(prefix);
    if (code.size() <= start.size() || code.compare(0, start.size(), start) != 0) {
        return -1;
    }
    int number = 0;
    for (std::size_t i = start.size(); i < code.size(); ++i) {
        if (code[i] < '0' || code[i] > '9' || number > high) {
            return -1;
        }
        number = number * 10 + (code[i] - '0');
    }
    return number >= low && number <= high ? number : -1;
}

}  // namespace

int KeyPosition(const std::string& code) {
    if (code.size() == 4 && code.compare(0, 3, "Key") == 0 && code[3] >= 'A' && code[3] <= 'Z') {
        return 4 + (code[3] - 'A');
    }
    // Digits and the keypad's digits run 1 to 9, then 0.
    if (const int digit = NumberAfter(code, "Digit", 0, 9); digit >= 0 && code.size() == 6) {
        return digit == 0 ? 39 : 29 + digit;
    }
    if (const int digit = NumberAfter(code, "Numpad", 0, 9); digit >= 0 && code.size() == 7) {
        return digit == 0 ? 98 : 88 + digit;
    }
    if (const int key = NumberAfter(code, "F", 1, 24); key >= 0 && code[1] != '0') {
        return key <= 12 ? 57 + key : 91 + key;
    }
    for (const Named& named : kNamed) {
        if (code == named.code) {
            return named.position;
        }
    }
    return 0;
}

}  // namespace plat::web
