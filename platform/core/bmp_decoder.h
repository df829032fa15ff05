// bmp_decoder.h -- decodes Windows BMP files held in memory into top-down rows of pixels for LoadImageA.
#pragma once

#include "canvas.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace plat {

struct DecodedBmp {
    int width = 0;         // pixels
    int height = 0;        // pixels, always positive
    int fileBitCount = 0;  // bits per pixel as the file stores them (1, 4, 8, 16, 24, 32)
    // Indexed8 for 1/4/8-bit and RLE files; Rgb555 for 16-bit BI_RGB and bit fields 0x7C00/0x03E0/0x001F;
    // Rgb565 for bit fields 0xF800/0x07E0/0x001F; Rgb888 for 24-bit; Xrgb8888 for 32-bit and any other bit fields.
    PixelLayout layout = PixelLayout::Indexed8;
    Palette palette{};  // Indexed8 only: the file's colour table (0x00RRGGBB), entries past the table black
    int pitch = 0;      // bytes per row, a multiple of 4
    std::vector<std::uint8_t> pixels;  // rows top-down whatever the file's order, pitch * height bytes
};

// Decodes a whole BMP file (file header included). Null for anything malformed, truncated, unsupported or
// larger than 16384 x 16384 pixels or 256 MiB decoded; never reads outside [data, data + size).
// An RLE stream that ends without its end-of-bitmap code is accepted: the pixels it did not reach are index 0.
std::optional<DecodedBmp> DecodeBmp(const std::uint8_t* data, std::size_t size);

}  // namespace plat
