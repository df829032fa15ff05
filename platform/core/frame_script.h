// frame_script.h -- scripted input at given frame numbers (TAMBERLYN_SCRIPT): keys, focus changes, window close.
#pragma once

#include "key_map.h"

#include <deque>
#include <string>
#include <vector>

namespace plat::script {

enum class Action { Key, Deactivate, Activate, Close };

struct Entry {
    int frame;
    Action action;
    keys::KeyCodes key;
};

struct ScriptState {
    std::deque<Entry> entries;  // in frame order
};

// Reads a script, "frame:action,..." with actions key=NAME, deactivate, activate, close; false, saying why, if
// any entry cannot be read.
bool Parse(const std::string& text, std::vector<Entry>* entries, std::string* why);
// Sets the run's script.
void Start(ScriptState& state, const std::vector<Entry>& entries);
// Runs the actions due by the frame the program is at (the flips it has attempted, whether or not they
// succeeded); with `waiting`, also the next one whatever its frame (a program waiting for messages flips
// nothing). True if an action ran.
bool Deliver(bool waiting);

}  // namespace plat::script
