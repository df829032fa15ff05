// stretch_blit.h -- DirectDraw's stretching copy between surfaces of one pixel layout.
#pragma once

#include "canvas.h"

namespace plat {

// Copies `srcRect` of `src` onto `dstRect` of `dst` (same layout; both rectangles non-empty and inside their
// canvases), nearest-neighbour with DirectDraw's 16.16 fixed-point stepping: destination column i takes source
// column srcRect.left + (i * ((srcWidth << 16) / dstWidth) >> 16), and rows likewise. A destination row whose
// source row is the one before's is a copy of that row, so enlarging costs little more than a memcpy.
void StretchBlit(Canvas& dst, const RECT& dstRect, const Canvas& src, const RECT& srcRect);

// As StretchBlit, leaving out source pixels whose colour bits lie in [keyLow, keyHigh]: a source colour key.
void StretchBlitKeyed(Canvas& dst, const RECT& dstRect, const Canvas& src, const RECT& srcRect, std::uint32_t keyLow,
                      std::uint32_t keyHigh);

}  // namespace plat
