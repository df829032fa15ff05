// frame_script.cpp -- the frame script: parsing, and delivery of its actions as window messages.
#include "frame_script.h"

#include "display.h"
#include "keyboard_state.h"
#include "platform_state.h"
#include "parse.h"
#include "user_message.h"
#include "user_window.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace plat::script {
namespace {

// The key named by `name` (as the key map names keys), or a virtual-key code as a number.
// False if there is no such key.
bool NamedKey(const std::string& name, keys::KeyCodes* key) {
    if (const int position = keys::PositionNamed(name)) {
        *key = keys::Lookup(position, 0, true);
        return key->virtualKey != 0;
    }
    long long number = 0;
    if (ParseNumber(name, 1, 255, &number)) {
        *key = keys::KeyCodes{};
        key->virtualKey = static_cast<int>(number);  // a key with no scan code
        return true;
    }
    return false;
}

// Posts a key press and release to the program's window, as the keyboard would.
void PressKey(const keys::KeyCodes& key) {
    const windows::Window* window = windows::MainWindow();
    if (!window) {
        return;
    }
    for (const bool down : {true, false}) {
        keyboard::Set(key.directInput, down);
        const keys::KeyMessage message = keys::MessageFor(keys::KeyEvent{key, down, false, false, false});
        queue::PostInput(window->handle, message.message, message.wParam, message.lParam);
    }
}

bool ParseEntry(const std::string& piece, Entry* entry) {
    const std::size_t colon = piece.find(':');
    long long frame = 0;
    if (colon == std::string::npos || !ParseNumber(piece.substr(0, colon), 0, INT_MAX, &frame)) {
        return false;
    }
    entry->frame = static_cast<int>(frame);
    const std::string action = piece.substr(colon + 1);
    if (action.rfind("key=", 0) == 0) {
        entry->action = Action::Key;
        return NamedKey(action.substr(4), &entry->key);
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

std::deque<Entry>& Script() {
    return Platform().script.entries;
}

void SortByFrame(std::deque<Entry>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.frame < b.frame; });
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

bool Parse(const std::string& text, std::vector<Entry>* entries, std::string* why) {
    for (const std::string& piece : Split(text, ',')) {
        Entry entry{};
        if (!ParseEntry(piece, &entry)) {
            *why = "\"" + piece +
                   "\" is not frame:action (a frame number from 0; key=NAME, deactivate, activate or close)";
            return false;
        }
        entries->push_back(entry);
    }
    return true;
}

void Start(ScriptState& state, const std::vector<Entry>& entries) {
    state.entries.assign(entries.begin(), entries.end());
    SortByFrame(state.entries);
}

bool Deliver(bool waiting) {
    std::deque<Entry>& script = Script();
    bool ran = false;
    while (!script.empty() && (script.front().frame <= display::FlipsAttempted() || (waiting && !ran))) {
        const Entry entry = script.front();
        script.pop_front();
        Run(entry);
        ran = true;
    }
    return ran;
}

}  // namespace plat::script
