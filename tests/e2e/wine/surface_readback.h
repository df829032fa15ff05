// surface_readback.h -- reads a DirectDraw surface's pixels back as a picture.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <optional>

#include "picture.h"

// Locks the whole surface and converts each pixel through the surface's RGB masks (channels narrower than 8 bits are
// widened by repeating their bits). Nothing if the surface cannot be locked or is not an RGB surface of 16 to 32 bits.
std::optional<screen::Picture> ReadSurface(IDirectDrawSurface* surface);
