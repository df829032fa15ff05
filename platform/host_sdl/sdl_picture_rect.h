// sdl_picture_rect.h -- where the display mode's picture lies in a window of another size.
#pragma once

#include "settings.h"

#include <SDL.h>

namespace plat {

// The rectangle a `pictureWidth` x `pictureHeight` picture covers in a `areaWidth` x `areaHeight` area,
// centred; empty if either has no pixels. Pixels are square: Fit keeps the picture's proportions.
SDL_Rect PictureRect(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight, Scaling scaling);

// The parts of a `areaWidth` x `areaHeight` area outside `rect` (all of it when `rect` is empty), at most four, into
// `margins`; how many.
int Margins(const SDL_Rect& rect, int areaWidth, int areaHeight, SDL_Rect margins[4]);

}  // namespace plat
