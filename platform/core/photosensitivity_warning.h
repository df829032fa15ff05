// photosensitivity_warning.h -- the warning about the intro's flashing, asked before the program starts.
#pragma once

#include <optional>

namespace plat {

// Before WinMain: on a display, unless the settings skip it (--no-warning, or a frame script: a test), shows the
// photosensitivity warning with the choice to go on or quit. The exit code to end with before anything opens (0:
// the person chose to quit; 1: the warning could not be shown), or nothing if the program may start.
std::optional<int> AskBeforeFlashing();

}  // namespace plat
