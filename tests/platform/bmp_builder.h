// bmp_builder.h -- assembles BMP files in memory for the decoder tests.
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
    std::vector<std::uint32_t> masks;         // inside a header of 52 bytes or more, else right after the header
    std::vector<std::uint32_t> colors;        // 0x00RRGGBB, as RGBQUAD (RGBTRIPLE after a core header)
    std::uint32_t gap = 0;                    // filler bytes between the colour table and the pixels
    std::vector<std::uint8_t> pixels;         // stored as given
    std::optional<std::uint32_t> offBits;     // bfOffBits as written; default: where the pixels start
};

inline void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

inline std::vector<std::uint8_t> BuildBmp(const BmpParts& parts) {
    std::vector<std::uint8_t> info;
    PutU32(info, parts.headerSize);
    if (parts.headerSize == 12) {
        PutU16(info, static_cast<std::uint16_t>(parts.width));
        PutU16(info, static_cast<std::uint16_t>(parts.height));
        PutU16(info, parts.planes);
        PutU16(info, parts.bitCount);
    } else {
        PutU32(info, static_cast<std::uint32_t>(parts.width));
        PutU32(info, static_cast<std::uint32_t>(parts.height));
        PutU16(info, parts.planes);
        PutU16(info, parts.bitCount);
        PutU32(info, parts.compression);
        PutU32(info, static_cast<std::uint32_t>(parts.pixels.size()));
        PutU32(info, 2835);  // 72 dpi
        PutU32(info, 2835);
        PutU32(info, parts.colorsUsed);
        PutU32(info, 0);
    }
    const bool masksInside = parts.headerSize > 40;
    if (masksInside) {
        for (std::uint32_t mask : parts.masks) {
            PutU32(info, mask);
        }
    }
    info.resize(parts.headerSize, 0);
    if (!masksInside) {
        for (std::uint32_t mask : parts.masks) {
            PutU32(info, mask);
        }
    }
    for (std::uint32_t color : parts.colors) {
        info.push_back(static_cast<std::uint8_t>(color));
        info.push_back(static_cast<std::uint8_t>(color >> 8));
        info.push_back(static_cast<std::uint8_t>(color >> 16));
        if (parts.headerSize != 12) {
            info.push_back(0);
        }
    }

    info.insert(info.end(), parts.gap, 0xEE);

    const std::uint32_t pixelStart = static_cast<std::uint32_t>(14 + info.size());
    std::vector<std::uint8_t> file = {'B', 'M'};
    PutU32(file, static_cast<std::uint32_t>(pixelStart + parts.pixels.size()));
    PutU32(file, 0);
    PutU32(file, parts.offBits.value_or(pixelStart));
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), parts.pixels.begin(), parts.pixels.end());
    return file;
}

// Packs one row of pixel values as a file stores them at `bitCount` bits, padded to 4 bytes. 24-bit values are
// 0x00RRGGBB; 16- and 32-bit values are stored little-endian as given.
inline std::vector<std::uint8_t> PackRow(const std::vector<std::uint32_t>& values, int bitCount) {
    std::vector<std::uint8_t> row;
    if (bitCount < 8) {
        row.assign((values.size() * bitCount + 7) / 8, 0);
        for (std::size_t x = 0; x < values.size(); ++x) {
            const std::size_t bit = x * bitCount;
            row[bit / 8] |= static_cast<std::uint8_t>(values[x] << (8 - bitCount - bit % 8));
        }
    } else {
        for (std::uint32_t value : values) {
            for (int byte = 0; byte < bitCount / 8; ++byte) {
                row.push_back(static_cast<std::uint8_t>(value >> (8 * byte)));
            }
        }
    }
    row.resize((row.size() + 3) / 4 * 4, 0);
    return row;
}

// Rows in the order the file stores them.
inline std::vector<std::uint8_t> PackRows(const std::vector<std::vector<std::uint32_t>>& rows, int bitCount) {
    std::vector<std::uint8_t> out;
    for (const auto& values : rows) {
        const std::vector<std::uint8_t> row = PackRow(values, bitCount);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace bmptest
