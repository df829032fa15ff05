// bmp_decoder.h -- decodes Windows BMP files for LoadImageA: the headers first, then the pixels straight into the
// rows that will hold them, the file read front to back in pieces.
#pragma once

#include "canvas.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace plat {

// Where a BMP file's bytes come from.
class BmpSource {
public:
    virtual ~BmpSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads `count` bytes at `offset` into `out`; false unless all of them were read.
    virtual bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) = 0;
};

struct ColorMasks {
    std::uint32_t red;
    std::uint32_t green;
    std::uint32_t blue;
};

// How a file stores its pixels, as DecodeBmpPixels needs it.
struct BmpStorage {
    std::uint32_t compression = 0;
    bool topDown = false;
    ColorMasks masks = {};  // 16- and 32-bit files; BI_RGB ones get the fixed masks of their depth
    std::uint64_t pixelOffset = 0;
};

struct BmpFormat {
    int width = 0;         // pixels
    int height = 0;        // pixels, always positive
    int fileBitCount = 0;  // bits per pixel as the file stores them (1, 4, 8, 16, 24, 32)
    // Indexed8 for 1/4/8-bit and RLE files; Rgb555 for 16-bit BI_RGB and bit fields 0x7C00/0x03E0/0x001F;
    // Rgb565 for bit fields 0xF800/0x07E0/0x001F; Rgb888 for 24-bit; Xrgb8888 for 32-bit and any other bit fields.
    PixelLayout layout = PixelLayout::Indexed8;
    Palette palette{};  // Indexed8 only: the file's colour table (0x00RRGGBB), entries past the table black
    BmpStorage storage;
};

// Reads and checks the headers and the colour table. Null for anything malformed, unsupported, larger than
// 16384 x 16384 pixels or 256 MiB decoded, or too short to hold its pixels. A colour count above 2^bits means a
// longer table of which the first 2^bits entries are used. Rows need not be padded after the last pixel of the
// file's last row.
std::optional<BmpFormat> ReadBmpFormat(BmpSource& source);

// Decodes the pixels into `rows`: top-down, `pitch` bytes apart, zero beforehand. False when the source fails to
// give what it gave ReadBmpFormat. An RLE stream that ends without its end-of-bitmap code is accepted: the pixels
// it did not reach stay 0. Reads the source only from the pixel offset on, in pieces of at most 256 KiB or a row.
bool DecodeBmpPixels(BmpSource& source, const BmpFormat& format, std::uint8_t* rows, int pitch);

}  // namespace plat
