// sdl_picture_drawer.h -- the display mode's picture drawn, scaled and converted, into SDL's pixels.
#pragma once

#include "canvas.h"
#include "pixel_rows.h"
#include "settings.h"

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

// Paints the target black outside `rect` (all of it when `rect` is empty).
void PaintMargins(const PixelTarget& target, const SDL_Rect& rect);

// Draws pictures frame after frame, keeping its column map and scratch memory between frames.
class PictureDrawer {
public:
    // Rows go through `routines`: the processor's fastest unless a test asks for others.
    explicit PictureDrawer(const RowRoutines& routines = FastestRowRoutines()) : routines_(&routines) {}

    // Draws `picture` onto `rect` of `target`, scaled as `filter` says and converted to the target's format, straight
    // into the target's memory. Nearest: each destination pixel shows the source pixel under its centre. `rect`
    // must lie inside the target; the pixels outside it are left as they are.
    void Draw(const Canvas& picture, const PixelTarget& target, const SDL_Rect& rect, Filter filter = Filter::Nearest);

    // The whole multiple Sharp scales a `width` x `height` picture by, nearest, on its way to `rect`: the largest
    // that fits, at least 1.
    static int SharpFactor(int width, int height, const SDL_Rect& rect);

private:
    void DrawNearest(const Canvas& picture, const PixelTarget& target, const SDL_Rect& rect);
    // Linear, or Sharp by `factor`: the picture scaled nearest by `factor` into `blended_`, in the target's format,
    // then blended the rest of the way onto `rect`.
    void DrawBlended(const Canvas& picture, const PixelTarget& target, const SDL_Rect& rect, int factor);

    const RowRoutines* routines_;
    ColumnMap columns_;                  // the source column of each destination column
    std::vector<std::uint8_t> staging_;  // the picture in the target's format, for formats without a routine
    std::vector<std::uint8_t> blended_;  // the picture on its way to being blended
};

}  // namespace plat
