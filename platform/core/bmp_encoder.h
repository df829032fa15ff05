// bmp_encoder.h -- a canvas as the bytes of a Windows BMP file, for captured frames and screenshots.
#pragma once

#include "canvas.h"

#include <cstdint>
#include <vector>

namespace plat {

// An 8-bit file with the canvas's palette for Indexed8, else a 24-bit one; rows bottom-up as BMP files keep them.
std::vector<std::uint8_t> EncodeBmp(const Canvas& canvas);

}  // namespace plat
