// bmp_builder.h -- assembles BMP files in memory for the tests.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace bmptest {

// Everything a test may want to choose about a file; the defaults make a valid 1 x 1 24-bit BITMAPINFOHEADER file.
struct BmpParts {
    std::uint32_t headerSize = 40;  // 12 writes a BITMAPCOREHEADER; bigger sizes are zero-padded past the masks
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> masks;      // inside a header of 52 bytes or more, else right after the header
    std::vector<std::uint32_t> colors;     // 0x00RRGGBB, as RGBQUAD (RGBTRIPLE after a core header)
    std::uint32_t gap = 0;                 // filler bytes between the colour table and the pixels
    std::vector<std::uint8_t> pixels;      // stored as given
    std::optional<std::uint32_t> offBits;  // bfOffBits as written; default: where the pixels start
};

// `value`'s low `bytes` bytes, little-endian.
inline void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

inline std::vector<std::uint8_t> BuildBmp(const BmpParts& parts) {
    const bool core = parts.headerSize == 12;
    std::vector<std::uint8_t> info;
    Put(info, parts.headerSize, 4);
    Put(info, static_cast<std::uint32_t>(parts.width), core ? 2 : 4);
    Put(info, static_cast<std::uint32_t>(parts.height), core ? 2 : 4);
    Put(info, parts.planes, 2);
    Put(info, parts.bitCount, 2);
    if (!core) {  // compression, image size, 72 dpi across and down, colours used, colours important
        for (std::uint32_t field :
             {parts.compression, std::uint32_t(parts.pixels.size()), 2835u, 2835u, parts.colorsUsed, 0u}) {
            Put(info, field, 4);
        }
    }
    if (parts.headerSize <= 40) {
        info.resize(parts.headerSize, 0);  // masks follow a header of up to 40 bytes, and sit inside bigger ones
    }
    for (std::uint32_t mask : parts.masks) {
        Put(info, mask, 4);
    }
    if (parts.headerSize > 40) {
        info.resize(parts.headerSize, 0);
    }
    for (std::uint32_t color : parts.colors) {
        Put(info, color, core ? 3 : 4);
    }
    info.insert(info.end(), parts.gap, 0xEE);

    const std::uint32_t pixelStart = static_cast<std::uint32_t>(14 + info.size());
    std::vector<std::uint8_t> file = {'B', 'M'};
    Put(file, static_cast<std::uint32_t>(pixelStart + parts.pixels.size()), 4);
    Put(file, 0, 4);
    Put(file, parts.offBits.value_or(pixelStart), 4);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), parts.pixels.begin(), parts.pixels.end());
    return file;
}

// Rows of pixel values in the order the file stores them, each packed at `bitCount` bits and padded to 4 bytes.
// 24-bit values are 0x00RRGGBB; 16- and 32-bit values are stored little-endian as given.
inline std::vector<std::uint8_t> PackRows(const std::vector<std::vector<std::uint32_t>>& rows, int bitCount) {
    std::vector<std::uint8_t> out;
    for (const auto& values : rows) {
        std::vector<std::uint8_t> row((values.size() * bitCount + 31) / 32 * 4, 0);
        for (std::size_t x = 0; x < values.size(); ++x) {
            const std::size_t bit = x * bitCount;
            for (int byte = 0; byte < (bitCount + 7) / 8; ++byte) {
                const std::uint32_t part = bitCount < 8 ? values[x] << (8 - bitCount - bit % 8) : values[x] >> 8 * byte;
                row[bit / 8 + byte] |= static_cast<std::uint8_t>(part);
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace bmptest
