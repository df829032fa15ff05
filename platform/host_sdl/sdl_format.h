// sdl_format.h -- the SDL pixel format whose pixels lie in memory as a canvas layout's do (unused bits aside).
#pragma once

#include "canvas.h"

#include <SDL.h>

namespace plat {

inline Uint32 SdlFormatOf(PixelLayout layout) {
    switch (layout) {
        case PixelLayout::Indexed8:
            return SDL_PIXELFORMAT_INDEX8;
        case PixelLayout::Rgb555:
            return SDL_PIXELFORMAT_RGB555;
        case PixelLayout::Rgb565:
            return SDL_PIXELFORMAT_RGB565;
        case PixelLayout::Rgb888:
            return SDL_PIXELFORMAT_BGR24;
        case PixelLayout::Xrgb8888:
            return SDL_PIXELFORMAT_RGB888;
    }
    return SDL_PIXELFORMAT_UNKNOWN;
}

}  // namespace plat
