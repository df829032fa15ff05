// capture.h -- writes chosen frames (TAMBERLYN_CAPTURE) as BMP files.
#pragma once

#include "canvas.h"

namespace plat::capture {

// Frame `frame` (counted from 1) is on screen: saves it when the settings ask for it.
void FrameShown(int frame, const Canvas& front);

}  // namespace plat::capture
