// capture.h -- writes chosen frames (TAMBERLYN_CAPTURE) as BMP files.
#pragma once

#include "canvas.h"

#include <string>

namespace plat::capture {

// Saves `canvas` as a BMP file; false if it cannot be written.
bool SaveBmp(const Canvas& canvas, const std::string& path);
// Frame `frame` (counted from 1) is on screen: saves it when the settings ask for it.
void FrameShown(int frame, const Canvas& front);

}  // namespace plat::capture
