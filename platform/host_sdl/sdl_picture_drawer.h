// sdl_picture_drawer.h -- the display mode's picture drawn, scaled and converted, into SDL's pixels.
#pragma once

#include "canvas.h"

#include <SDL.h>

#include <cstdint>
#include <vector>

namespace plat {

// Pixels in one of SDL's formats: a window surface or a locked texture.
struct PixelTarget {
    void* pixels;
    int width;
    int height;
    int pitch;
    Uint32 format;
};

// True if PictureDrawer can write pixels of `sdlFormat`.
bool CanDrawInto(Uint32 sdlFormat);

// Draws pictures frame after frame, keeping its scratch memory between frames.
class PictureDrawer {
public:
    // Draws `picture` onto `rect` of `target`, nearest-neighbour scaled (each destination pixel shows the source
    // pixel under its centre) and converted to the target's format, and paints the rest of the target black.
    // `rect` must lie inside the target; an empty one leaves it all black.
    void Draw(const Canvas& picture, const PixelTarget& target, const SDL_Rect& rect);

private:
    std::vector<int> columns_;           // the source column of each destination column
    std::vector<std::uint8_t> staging_;  // the picture in the target's format, when the two differ
};

}  // namespace plat
