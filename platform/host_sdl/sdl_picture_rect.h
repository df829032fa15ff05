// sdl_picture_rect.h -- where the display mode's picture lies in a window of another size.
#pragma once

#include "settings.h"

#include <SDL.h>

namespace plat {

// The rectangle a `pictureWidth` x `pictureHeight` picture covers in a `areaWidth` x `areaHeight` area,
// centred; empty if either has no pixels. Pixels are square: Fit keeps the picture's proportions.
SDL_Rect PictureRect(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight, Scaling scaling);

}  // namespace plat
