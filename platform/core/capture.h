// capture.h -- keeps chosen frames (TAMBERLYN_CAPTURE) and screenshots as BMP files.
#pragma once

#include "canvas.h"

#include <string>

namespace plat::capture {

// Frame `frame` (counted from 1) is on screen: saves it when the settings ask for it.
void FrameShown(int frame, const Canvas& front);

// Print Screen or the screenshot key: saves the picture the last frame showed, at the display mode's size, as
// tamberlyn-NNNN.bmp in the working directory, the first such name not yet taken, and says where in one line (or
// why not). Returns the file's full path, or empty if nothing was saved.
std::string SaveScreenshot();

}  // namespace plat::capture
