// frame_script.h -- scripted input at given frame numbers (TAMBERLYN_SCRIPT): keys, focus changes, window close.
#pragma once

#include <string>

namespace plat::script {

// Replaces the script: "frame:action,..." with actions key=NAME, deactivate, activate, close.
// False (and an empty script) if any entry cannot be read.
bool Load(const std::string& text);
// Runs the actions due by the current frame; with `waiting`, also the next one whatever its frame
// (a program waiting for messages shows no frames). True if an action ran.
bool Deliver(bool waiting);

}  // namespace plat::script
