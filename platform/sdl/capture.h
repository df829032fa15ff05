// capture.h -- writes chosen frames (TAMBERLYN_CAPTURE) and screenshots as BMP files.
#pragma once

#include "canvas.h"

#include <string>

namespace plat::capture {

// Frame `frame` (counted from 1) is on screen: saves it when the settings ask for it.
void FrameShown(int frame, const Canvas& front);

// Saves `picture` in the working directory as tamberlyn-NNNN.bmp, the first such name not yet taken; returns
// the name, or empty (with the reason on standard error) if it could not be written.
std::string SaveScreenshot(const Canvas& picture);

}  // namespace plat::capture
