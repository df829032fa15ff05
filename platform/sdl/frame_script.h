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
// True while actions remain.
bool Pending();

// The Windows virtual-key code named by `name` (ESCAPE, SPACE, RETURN, A..Z, 0..9, F1..F12, or a number), or 0.
int VirtualKey(const std::string& name);
// The keyboard scan code (set 1) of a virtual key, or 0.
int ScanCode(int virtualKey);
// Posts a key press and release to the program's window, as the keyboard would.
void PressKey(int virtualKey);

}  // namespace plat::script
