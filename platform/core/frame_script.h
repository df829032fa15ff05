// frame_script.h -- scripted input at given frame numbers (TAMBERLYN_SCRIPT): keys, focus changes, window close.
#pragma once

#include "key_map.h"

#include <deque>
#include <string>

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

// Sets the run's script from its setting; an entry that cannot be read is reported, and the script dropped.
void Start(ScriptState& state, const std::string& text);
// Replaces the script: "frame:action,..." with actions key=NAME, deactivate, activate, close.
// False (and an empty script) if any entry cannot be read.
bool Load(const std::string& text);
// Runs the actions due by the current frame; with `waiting`, also the next one whatever its frame
// (a program waiting for messages shows no frames). True if an action ran.
bool Deliver(bool waiting);

}  // namespace plat::script
