// key_map.cpp -- the table from key positions (USB usage codes) to Windows' virtual keys and DirectInput's key codes.
#include "key_map.h"

#include <cctype>

namespace plat::keys {
namespace {

constexpr int kVkF10 = 0x79;
constexpr int kExtendedCode = 0x80;  // DirectInput marks the 0xE0-prefixed keys with the top bit
constexpr int kDikNumLock = 0x45;
constexpr int kDikPause = 0xC5;

struct Row {
    int position;
    const char* name;  // as the frame script names the key
    int virtualKey;
    int directInput;
    int navigationKey;  // the keypad key's virtual key while Num Lock is off, or 0
};

// Virtual keys and DirectInput codes (set-1 scan codes, 0x80 added for the extended ones) of a US keyboard.
constexpr Row kRows[] = {
    {4, "A", 'A', 0x1E, 0},
    {5, "B", 'B', 0x30, 0},
    {6, "C", 'C', 0x2E, 0},
    {7, "D", 'D', 0x20, 0},
    {8, "E", 'E', 0x12, 0},
    {9, "F", 'F', 0x21, 0},
    {10, "G", 'G', 0x22, 0},
    {11, "H", 'H', 0x23, 0},
    {12, "I", 'I', 0x17, 0},
    {13, "J", 'J', 0x24, 0},
    {14, "K", 'K', 0x25, 0},
    {15, "L", 'L', 0x26, 0},
    {16, "M", 'M', 0x32, 0},
    {17, "N", 'N', 0x31, 0},
    {18, "O", 'O', 0x18, 0},
    {19, "P", 'P', 0x19, 0},
    {20, "Q", 'Q', 0x10, 0},
    {21, "R", 'R', 0x13, 0},
    {22, "S", 'S', 0x1F, 0},
    {23, "T", 'T', 0x14, 0},
    {24, "U", 'U', 0x16, 0},
    {25, "V", 'V', 0x2F, 0},
    {26, "W", 'W', 0x11, 0},
    {27, "X", 'X', 0x2D, 0},
    {28, "Y", 'Y', 0x15, 0},
    {29, "Z", 'Z', 0x2C, 0},
    {30, "1", '1', 0x02, 0},
    {31, "2", '2', 0x03, 0},
    {32, "3", '3', 0x04, 0},
    {33, "4", '4', 0x05, 0},
    {34, "5", '5', 0x06, 0},
    {35, "6", '6', 0x07, 0},
    {36, "7", '7', 0x08, 0},
    {37, "8", '8', 0x09, 0},
    {38, "9", '9', 0x0A, 0},
    {39, "0", '0', 0x0B, 0},
    {40, "Return", 0x0D, 0x1C, 0},
    {41, "Escape", 0x1B, 0x01, 0},
    {42, "Backspace", 0x08, 0x0E, 0},
    {43, "Tab", 0x09, 0x0F, 0},
    {44, "Space", 0x20, 0x39, 0},
    {45, "-", 0xBD, 0x0C, 0},
    {46, "=", 0xBB, 0x0D, 0},
    {47, "[", 0xDB, 0x1A, 0},
    {48, "]", 0xDD, 0x1B, 0},
    {49, "\\", 0xDC, 0x2B, 0},
    {50, "#", 0xDC, 0x2B, 0},
    {51, ";", 0xBA, 0x27, 0},
    {52, "'", 0xDE, 0x28, 0},
    {53, "`", 0xC0, 0x29, 0},
    {54, ",", 0xBC, 0x33, 0},
    {55, ".", 0xBE, 0x34, 0},
    {56, "/", 0xBF, 0x35, 0},
    {100, "NonUSBackslash", 0xE2, 0x56, 0},
    {57, "CapsLock", 0x14, 0x3A, 0},
    {58, "F1", 0x70, 0x3B, 0},
    {59, "F2", 0x71, 0x3C, 0},
    {60, "F3", 0x72, 0x3D, 0},
    {61, "F4", 0x73, 0x3E, 0},
    {62, "F5", 0x74, 0x3F, 0},
    {63, "F6", 0x75, 0x40, 0},
    {64, "F7", 0x76, 0x41, 0},
    {65, "F8", 0x77, 0x42, 0},
    {66, "F9", 0x78, 0x43, 0},
    {67, "F10", kVkF10, 0x44, 0},
    {68, "F11", 0x7A, 0x57, 0},
    {69, "F12", 0x7B, 0x58, 0},
    {70, "PrintScreen", 0x2C, 0xB7, 0},
    {71, "ScrollLock", 0x91, 0x46, 0},
    {72, "Pause", 0x13, kDikPause, 0},
    {73, "Insert", 0x2D, 0xD2, 0},
    {74, "Home", 0x24, 0xC7, 0},
    {75, "PageUp", 0x21, 0xC9, 0},
    {76, "Delete", 0x2E, 0xD3, 0},
    {77, "End", 0x23, 0xCF, 0},
    {78, "PageDown", 0x22, 0xD1, 0},
    {79, "Right", 0x27, 0xCD, 0},
    {80, "Left", 0x25, 0xCB, 0},
    {81, "Down", 0x28, 0xD0, 0},
    {82, "Up", 0x26, 0xC8, 0},
    {83, "Numlock", 0x90, kDikNumLock, 0},
    {84, "Keypad /", 0x6F, 0xB5, 0},
    {85, "Keypad *", 0x6A, 0x37, 0},
    {86, "Keypad -", 0x6D, 0x4A, 0},
    {87, "Keypad +", 0x6B, 0x4E, 0},
    {88, "Keypad Enter", 0x0D, 0x9C, 0},
    {89, "Keypad 1", 0x61, 0x4F, 0x23},
    {90, "Keypad 2", 0x62, 0x50, 0x28},
    {91, "Keypad 3", 0x63, 0x51, 0x22},
    {92, "Keypad 4", 0x64, 0x4B, 0x25},
    {93, "Keypad 5", 0x65, 0x4C, 0x0C},
    {94, "Keypad 6", 0x66, 0x4D, 0x27},
    {95, "Keypad 7", 0x67, 0x47, 0x24},
    {96, "Keypad 8", 0x68, 0x48, 0x26},
    {97, "Keypad 9", 0x69, 0x49, 0x21},
    {98, "Keypad 0", 0x60, 0x52, 0x2D},
    {99, "Keypad .", 0x6E, 0x53, 0x2E},
    {101, "Application", 0x5D, 0xDD, 0},
    {224, "Left Ctrl", 0x11, 0x1D, 0},
    {225, "Left Shift", 0x10, 0x2A, 0},
    {226, "Left Alt", 0x12, 0x38, 0},
    {227, "Left GUI", 0x5B, 0xDB, 0},
    {228, "Right Ctrl", 0x11, 0x9D, 0},
    {229, "Right Shift", 0x10, 0x36, 0},
    {230, "Right Alt", 0x12, 0xB8, 0},
    {231, "Right GUI", 0x5C, 0xDC, 0},
};

const Row* Find(int position) {
    for (const Row& row : kRows) {
        if (row.position == position) {
            return &row;
        }
    }
    return nullptr;
}

// The layout's letter or digit on the key, as its virtual key, or 0.
int LayoutKey(int character) {
    if (character >= 'a' && character <= 'z') {
        return character - 'a' + 'A';
    }
    if (character >= '0' && character <= '9') {
        return character;
    }
    return 0;
}

bool EqualIgnoringCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return i == a.size() && !b[i];
}

}  // namespace

KeyCodes Lookup(int position, int character, bool numLock) {
    const Row* row = Find(position);
    if (!row) {
        return {};
    }
    KeyCodes codes;
    codes.directInput = row->directInput;
    codes.scanCode = row->directInput & ~kExtendedCode;
    codes.extended = (row->directInput & kExtendedCode) != 0;
    // Num Lock and Pause share scan code 0x45: the keyboard sends Num Lock with the prefix, Pause without it.
    if (row->directInput == kDikNumLock || row->directInput == kDikPause) {
        codes.extended = !codes.extended;
    }
    codes.virtualKey = row->virtualKey;
    if (const int layoutKey = LayoutKey(character)) {
        codes.virtualKey = layoutKey;
    }
    if (row->navigationKey && !numLock) {
        codes.virtualKey = row->navigationKey;
    }
    return codes;
}

int PositionNamed(const std::string& name) {
    static const struct {
        const char* windows;
        const char* named;
    } kAliases[] = {{"ESC", "Escape"},   {"ENTER", "Return"},      {"BACK", "Backspace"},  {"SNAPSHOT", "PrintScreen"},
                    {"ALT", "Left Alt"}, {"CONTROL", "Left Ctrl"}, {"SHIFT", "Left Shift"}};
    const char* wanted = name.c_str();
    for (const auto& alias : kAliases) {
        if (EqualIgnoringCase(name, alias.windows)) {
            wanted = alias.named;
        }
    }
    for (const Row& row : kRows) {
        if (EqualIgnoringCase(wanted, row.name)) {
            return row.position;
        }
    }
    return 0;
}

KeyMessage MessageFor(const KeyEvent& event) {
    const bool system = (event.alt && !event.control) || event.key.virtualKey == kVkF10;
    const bool context = system && event.alt;
    const bool previous = !event.down || event.repeat;
    const bool transition = !event.down;
    const DWORD bits = 1 | (DWORD(event.key.scanCode & 0xFF) << 16) | (DWORD(event.key.extended) << 24) |
                       (DWORD(context) << 29) | (DWORD(previous) << 30) | (DWORD(transition) << 31);
    KeyMessage message;
    message.message = event.down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    message.wParam = static_cast<WPARAM>(event.key.virtualKey);
    message.lParam = static_cast<LPARAM>(bits);
    return message;
}

}  // namespace plat::keys
