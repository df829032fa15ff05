// surface_readback.h -- reads a DirectDraw surface's pixels back as a picture.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <optional>

#include "picture.h"

// The pixels of a 32-bit surface with red, green and blue in the low three bytes (the intro's display at the
// desktop's depth, under Wine and on our layer); nothing for a surface that cannot be locked or another format.
std::optional<screen::Picture> ReadSurface(IDirectDrawSurface* surface);
