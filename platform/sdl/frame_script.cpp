// frame_script.cpp -- the frame script: parsing, and delivery of its actions as window messages.
#include "frame_script.h"

#include "display.h"
#include "keyboard_state.h"
#include "message_queue.h"
#include "settings.h"
#include "window_table.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <deque>

namespace plat::script {
namespace {

enum class Action { Key, Deactivate, Activate, Close };

struct Entry {
    int frame;
    Action action;
    int key;
};

// The Windows virtual-key code named by `name` (ESCAPE, SPACE, RETURN, A..Z, 0..9, F1..F12, or a number), or 0.
int VirtualKey(const std::string& name) {
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    if (upper.size() == 1 && std::isalnum(static_cast<unsigned char>(upper[0]))) {
        return upper[0];
    }
    static const struct {
        const char* name;
        int key;
    } named[] = {{"ESCAPE", VK_ESCAPE}, {"ESC", VK_ESCAPE},      {"SPACE", VK_SPACE}, {"RETURN", VK_RETURN},
                 {"ENTER", VK_RETURN},  {"TAB", VK_TAB},         {"BACK", VK_BACK},   {"SNAPSHOT", VK_SNAPSHOT},
                 {"ALT", VK_MENU},      {"CONTROL", VK_CONTROL}, {"SHIFT", VK_SHIFT}};
    for (const auto& entry : named) {
        if (upper == entry.name) {
            return entry.key;
        }
    }
    long long number = 0;
    if (upper.size() >= 2 && upper[0] == 'F' && ParseNumber(upper.substr(1), &number) && number >= 1 && number <= 12) {
        return VK_F4 - 4 + static_cast<int>(number);
    }
    if (ParseNumber(name, &number) && number > 0 && number < 256) {
        return static_cast<int>(number);
    }
    return 0;
}

// The keyboard scan code (set 1) of a virtual key, or 0.
int ScanCode(int virtualKey) {
    static const char* rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    static const int rowStarts[] = {0x10, 0x1E, 0x2C};
    if (virtualKey >= '1' && virtualKey <= '9') {
        return 0x02 + virtualKey - '1';
    }
    if (virtualKey == '0') {
        return 0x0B;
    }
    for (int row = 0; row < 3; ++row) {
        for (int i = 0; rows[row][i]; ++i) {
            if (rows[row][i] == virtualKey) {
                return rowStarts[row] + i;
            }
        }
    }
    if (virtualKey >= VK_F4 - 3 && virtualKey <= VK_F4 + 6) {
        return 0x3B + virtualKey - (VK_F4 - 3);  // F1..F10
    }
    switch (virtualKey) {
        case VK_ESCAPE:
            return 0x01;
        case VK_BACK:
            return 0x0E;
        case VK_TAB:
            return 0x0F;
        case VK_RETURN:
            return 0x1C;
        case VK_CONTROL:
            return 0x1D;
        case VK_SHIFT:
            return 0x2A;
        case VK_MENU:
            return 0x38;
        case VK_SPACE:
            return 0x39;
        case VK_SNAPSHOT:
            return 0xB7;
        default:
            return 0;
    }
}

// Posts a key press and release to the program's window, as the keyboard would.
void PressKey(int virtualKey) {
    const windows::Window* window = windows::MainWindow();
    if (!window) {
        return;
    }
    const int scan = ScanCode(virtualKey);
    const LPARAM down = 1 | (LPARAM(scan) << 16);
    const LPARAM up = down | (LPARAM(1) << 30) | (LPARAM(1) << 31);
    keyboard::Set(scan, true);
    queue::PostInput(window->handle, WM_KEYDOWN, WPARAM(virtualKey), down);
    keyboard::Set(scan, false);
    queue::PostInput(window->handle, WM_KEYUP, WPARAM(virtualKey), up);
}

bool Parse(const std::string& piece, Entry* entry) {
    const std::size_t colon = piece.find(':');
    long long frame = 0;
    if (colon == std::string::npos || !ParseNumber(piece.substr(0, colon), &frame) || frame < 0) {
        return false;
    }
    entry->frame = static_cast<int>(frame);
    const std::string action = piece.substr(colon + 1);
    entry->key = 0;
    if (action.rfind("key=", 0) == 0) {
        entry->action = Action::Key;
        entry->key = VirtualKey(action.substr(4));
        return entry->key != 0;
    }
    if (action == "deactivate") {
        entry->action = Action::Deactivate;
    } else if (action == "activate") {
        entry->action = Action::Activate;
    } else if (action == "close") {
        entry->action = Action::Close;
    } else {
        return false;
    }
    return true;
}

// All entries of `text` in frame order; empty (with a message) if any entry cannot be read.
std::deque<Entry> ParseAll(const std::string& text) {
    std::deque<Entry> entries;
    for (const std::string& piece : Split(text, ',')) {
        Entry entry{};
        if (!Parse(piece, &entry)) {
            std::fprintf(stderr, "tamberlyn: cannot read the script entry \"%s\"\n", piece.c_str());
            return {};
        }
        entries.push_back(entry);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.frame < b.frame; });
    return entries;
}

std::deque<Entry>& Script() {
    static auto* script = new std::deque<Entry>(ParseAll(CurrentSettings().script));
    return *script;
}

void Run(const Entry& entry) {
    switch (entry.action) {
        case Action::Key:
            PressKey(entry.key);
            break;
        case Action::Deactivate:
            windows::SetAppActive(false);
            break;
        case Action::Activate:
            windows::SetAppActive(true);
            break;
        case Action::Close:
            if (const windows::Window* window = windows::MainWindow()) {
                queue::Post(window->handle, WM_CLOSE, 0, 0);
            }
            break;
    }
}

}  // namespace

bool Load(const std::string& text) {
    Script() = ParseAll(text);
    return !Script().empty() || Split(text, ',').empty();
}

bool Deliver(bool waiting) {
    std::deque<Entry>& script = Script();
    bool ran = false;
    while (!script.empty() && (script.front().frame <= display::FramesShown() || (waiting && !ran))) {
        const Entry entry = script.front();
        script.pop_front();
        Run(entry);
        ran = true;
    }
    return ran;
}

}  // namespace plat::script
