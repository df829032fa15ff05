// bmp_variants.h -- BMP files assembled in memory: of every kind the format allows, each with the colour every pixel
// must load as, and files that are not valid BMP files; the cases of LoadImageA's conformance tests and of the
// decoder's own tests.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
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

using ColourAt = std::function<std::uint32_t(int x, int y)>;  // 0x00RRGGBB, y counted from the top

struct BmpVariant {
    std::string name;
    BmpParts parts;
    ColourAt colour;
    ColourAt onWine;  // where Wine's LoadImageA departs from the format (the reason beside it); null: as `colour`
};

constexpr int kWidth = 5;  // odd, so that every depth pads its rows
constexpr int kHeight = 3;

// A file of `width` x `height` pixels whose values (indices, or packed pixels) are value(x, y), stored bottom-up.
inline BmpParts Grid(int bitCount, const ColourAt& value, int width = kWidth, int height = kHeight) {
    std::vector<std::vector<std::uint32_t>> rows(height, std::vector<std::uint32_t>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rows[std::size_t(height - 1 - y)][std::size_t(x)] = value(x, y);
        }
    }
    BmpParts parts;
    parts.width = width;
    parts.height = height;
    parts.bitCount = std::uint16_t(bitCount);
    parts.pixels = PackRows(rows, bitCount);
    return parts;
}

// Colour-table entry i: 0x00RRGGBB, a different colour for each of the first 16 (later ones carry bits beyond).
inline std::uint32_t TableColour(int i) {
    return std::uint32_t(17 * i) << 16 | std::uint32_t(255 - 17 * i) << 8 | std::uint32_t(i * 53 & 0xFF);
}
inline std::vector<std::uint32_t> Table(int entries) {
    std::vector<std::uint32_t> table;
    for (int i = 0; i < entries; ++i) {
        table.push_back(TableColour(i));
    }
    return table;
}

// Indices x + 2y into a full colour table of `bitCount` bits.
inline int IndexAt(int bitCount, int x, int y) {
    return (x + 2 * y) % (1 << bitCount);
}
inline BmpParts Indexed(int bitCount) {
    BmpParts parts = Grid(bitCount, [=](int x, int y) { return std::uint32_t(IndexAt(bitCount, x, y)); });
    parts.colors = Table(1 << bitCount);
    return parts;
}
inline ColourAt IndexedColour(int bitCount) {
    return [=](int x, int y) { return TableColour(IndexAt(bitCount, x, y)); };
}

// An n-bit channel widened to 8 bits by repeating its top bits, as reading a 5-5-5 or 5-6-5 pixel back does.
inline std::uint32_t Widen(std::uint32_t value, int bits) {
    return (value << (8 - bits) | value >> (2 * bits - 8)) & 0xFF;
}
inline std::uint32_t Rgb24(int x, int y) {
    return std::uint32_t(0x10 + x) << 16 | std::uint32_t(0x20 + y) << 8 | 0x30;
}
// Rgb24 with red and blue swapped, for masks in the reverse of BI_RGB's order.
inline std::uint32_t SwappedRgb24(int x, int y) {
    return 0x30 << 16 | std::uint32_t(0x20 + y) << 8 | std::uint32_t(0x10 + x);
}
inline std::uint32_t Pixel555(int x, int y) {
    return std::uint32_t(x * 7 % 32) << 10 | std::uint32_t(y * 11 % 32) << 5 | 31;
}
inline std::uint32_t Colour555(int x, int y) {
    return Widen(x * 7 % 32, 5) << 16 | Widen(y * 11 % 32, 5) << 8 | 0xFF;
}
inline std::uint32_t Pixel565(int x, int y) {
    return std::uint32_t(x * 7 % 32) << 11 | std::uint32_t(y * 21 + 1) << 5 | 31;
}

inline BmpParts With(BmpParts parts, const std::function<void(BmpParts&)>& change) {
    change(parts);
    return parts;
}
inline BmpParts Fields(int bitCount, std::vector<std::uint32_t> masks, const ColourAt& value) {
    BmpParts parts = Grid(bitCount, value);
    parts.compression = masks.size() == 4 ? 6 : 3;  // BI_ALPHABITFIELDS, BI_BITFIELDS
    parts.masks = std::move(masks);
    return parts;
}
// An RLE file (BI_RLE8 or BI_RLE4) of `stream`, whose indices come out as `indices` (top row first).
inline BmpVariant Rle(const std::string& name, int bitCount, std::vector<std::uint8_t> stream,
                      std::vector<std::vector<int>> indices) {
    BmpParts parts = Grid(
        bitCount, [](int, int) { return 0u; }, int(indices[0].size()), int(indices.size()));
    parts.compression = bitCount == 8 ? 1 : 2;
    parts.colorsUsed = 16;
    parts.colors = Table(16);
    parts.pixels = std::move(stream);
    return {name, parts, [=](int x, int y) { return TableColour(indices[std::size_t(y)][std::size_t(x)]); }, {}};
}

inline std::vector<BmpVariant> BmpVariants() {
    const ColourAt rgb24 = Rgb24;
    std::vector<BmpVariant> variants = {
        {"1-bit", Indexed(1), IndexedColour(1), {}},
        {"4-bit", Indexed(4), IndexedColour(4), {}},
        {"8-bit", Indexed(8), IndexedColour(8), {}},
        {"16-bit", Grid(16, Pixel555), Colour555, {}},
        {"24-bit", Grid(24, Rgb24), rgb24, {}},
        {"32-bit", Grid(32, [](int x, int y) { return Rgb24(x, y) | (x == 1 ? 0xAA000000 : 0); }), rgb24, {}},
        // Runs; an absolute run; a delta past pixel 0, a run, then the end of the bitmap before the row is full.
        // Pixels a stream skips are index 0.
        Rle("RLE8", 8, {3, 1, 2, 2, 0, 0, 0, 5, 3, 4, 5, 6, 7, 0, 0, 0, 0, 2, 1, 0, 2, 8, 0, 1},
            {{0, 8, 8, 0, 0}, {3, 4, 5, 6, 7}, {1, 1, 1, 2, 2}}),
        Rle("RLE4", 4, {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 4, 0x9A, 0, 1},
            {{9, 10, 9, 10, 0}, {3, 4, 5, 6, 7}, {1, 2, 1, 2, 1}}),
        // A run of three cut at the row's end; an odd absolute run of five cut to the row; a delta two right and one
        // up, and a run of three cut to the row.
        Rle("RLE8 runs cut at the row's end", 8, {3, 5, 0, 0, 0, 5, 1, 2, 3, 4, 6, 0, 0, 0, 0, 2, 2, 1, 3, 7, 0, 1},
            {{0, 0, 7, 7}, {0, 0, 0, 0}, {1, 2, 3, 4}, {5, 5, 5, 0}}),
        // Runs of two colours; an odd absolute run, a delta one right, a run of one; an absolute run of five.
        Rle("RLE4 with a delta", 4,
            {5, 0x12, 2, 0x34, 0, 0, 0, 3, 0x56, 0x70, 0, 2, 1, 0, 1, 0xF0, 0, 0, 0, 5, 0x9A, 0xBC, 0xD0, 0, 0, 1},
            {{9, 10, 11, 12, 13, 0, 0}, {5, 6, 7, 0, 15, 0, 0}, {1, 2, 1, 2, 1, 3, 4}}),
        {"5-5-5 bit fields", Fields(16, {0x7C00, 0x03E0, 0x001F}, Pixel555), Colour555, {}},
        {"5-6-5 bit fields", Fields(16, {0xF800, 0x07E0, 0x001F}, Pixel565),
         [](int x, int y) { return Widen(x * 7 % 32, 5) << 16 | Widen(y * 21 + 1, 6) << 8 | 0xFF; },
         // Wine's LoadImageA makes a 5-5-5 section of a 5-6-5 file, dropping green's lowest bit.
         [](int x, int y) { return Widen(x * 7 % 32, 5) << 16 | Widen((y * 21 + 1) / 2, 5) << 8 | 0xFF; }},
        {"4-4-4 bit fields widen to 8 bits",
         Fields(16, {0x0F00, 0x00F0, 0x000F},
                [](int x, int y) { return std::uint32_t(0xF000 | x << 8 | y << 4 | 15); }),
         [](int x, int y) { return std::uint32_t(x * 17) << 16 | std::uint32_t(y * 17) << 8 | 0xFF; },
         // Wine's LoadImageA makes a 5-5-5 section of this file too, each 4-bit channel widened to 5 bits.
         [](int x, int y) {
             const auto channel = [](std::uint32_t v) { return Widen(v << 1 | v >> 3, 5); };
             return channel(x) << 16 | channel(y) << 8 | channel(15);
         }},
        {"32-bit bit fields, blue high and red low", Fields(32, {0xFF, 0xFF00, 0xFF0000}, SwappedRgb24), rgb24, {}},
        {"10-10-10 bit fields narrow to 8 bits",
         Fields(32, {0x3FF00000, 0x000FFC00, 0x000003FF},
                [](int x, int y) { return std::uint32_t(x * 200) << 20 | std::uint32_t(y * 300) << 10 | 0x3FF; }),
         [](int x, int y) { return std::uint32_t(x * 50) << 16 | std::uint32_t(y * 75) << 8 | 0xFF; },
         {}},
        {"alpha bit fields, pixels right after the four masks",
         With(Fields(32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000},
                     [](int x, int y) { return 0x80000000 | SwappedRgb24(x, y); }),
              [](BmpParts& p) { p.offBits = 0; }),
         // Wine's LoadImageA gives a BI_ALPHABITFIELDS file a bitmap of the right size with no pixels copied.
         rgb24, [](int, int) { return 0u; }},
        {"V4 header holding the masks",
         With(Fields(32, {0xFF, 0xFF00, 0xFF0000}, SwappedRgb24), [](BmpParts& p) { p.headerSize = 108; }),
         rgb24,
         {}},
        {"V5 header, BI_RGB: masks ignored",
         With(Fields(16, {0xF800, 0x07E0, 0x001F}, Pixel555),
              [](BmpParts& p) { p.headerSize = 124, p.compression = 0; }),
         Colour555,
         {}},
        {"top-down 24-bit", With(Grid(24, Rgb24), [](BmpParts& p) { p.height = -p.height; }),
         [](int x, int y) { return Rgb24(x, kHeight - 1 - y); },
         // Wine's LoadImageA gives a top-down BI_RGB file a bitmap of the right size with no pixels copied.
         [](int, int) { return 0u; }},
        {"top-down 8-bit, a gap before the pixels",
         With(Indexed(8), [](BmpParts& p) { p.height = -p.height, p.gap = 100; }),
         [](int x, int y) { return TableColour(IndexAt(8, x, kHeight - 1 - y)); },
         [](int, int) { return TableColour(0); }},  // no pixels copied on Wine either: all index 0
        {"core header 8-bit", With(Indexed(8), [](BmpParts& p) { p.headerSize = 12; }), IndexedColour(8),
         // Wine's LoadImageA reads an OS/2 colour table partly wrong: here entries 1 and 2 show entries 0 and 3.
         [](int x, int y) {
             const int index = IndexAt(8, x, y);
             return TableColour(index == 1 ? 0 : index == 2 ? 3 : index);
         }},
        {"core header 24-bit", With(Grid(24, Rgb24), [](BmpParts& p) { p.headerSize = 12; }), rgb24, {}},
        {"V5 header 4-bit", With(Indexed(4), [](BmpParts& p) { p.headerSize = 124; }), IndexedColour(4), {}},
        {"4-bit, 3 colours, pixels right after the table",
         With(Indexed(4), [](BmpParts& p) { p.colorsUsed = 3, p.colors = Table(3), p.offBits = 0; }),
         [](int x, int y) { return IndexAt(4, x, y) < 3 ? TableColour(IndexAt(4, x, y)) : 0; },
         {}},
        {"8-bit, pixels starting inside the colour table: the entries there black",
         With(Grid(
                  8, [](int, int) { return 0u; }, 1, 1),
              [](BmpParts& p) {
                  p.colorsUsed = 4, p.colors = {0x111111, 0x222222, 0x334402, 0x444444}, p.pixels = {},
                  p.offBits = 14 + 40 + 8;
              }),
         [](int, int) { return 0u; },
         // Wine's LoadImageA takes the whole colour table, also the entries the pixels start inside of.
         [](int, int) { return 0x334402u; }},
    };
    // A colour count above 2^bitCount: the table holds that many entries, the pixels reach the first 2^bitCount.
    // With bfOffBits 0 the pixels follow the whole table.
    for (const int bitCount : {1, 4, 8}) {
        for (const bool offBitsZero : {false, true}) {
            const int colours = bitCount == 1 ? 3 : bitCount == 4 ? 20 : 300;
            BmpParts parts = With(Indexed(bitCount), [&](BmpParts& p) {
                p.colorsUsed = std::uint32_t(colours), p.colors = Table(colours);
                if (offBitsZero) {
                    p.offBits = 0;
                }
            });
            ColourAt onWine;
            if (offBitsZero && colours > 256) {
                // Wine's LoadImageA looks for the pixels after at most 256 entries, so it takes the table's last
                // entries for pixels (8-bit rows of 5 pixels: 8 bytes).
                const std::vector<std::uint8_t> file = BuildBmp(parts);
                onWine = [file](int x, int y) {
                    return TableColour(file.at(14 + 40 + 256 * 4 + std::size_t(kHeight - 1 - y) * 8 + x));
                };
            }
            variants.push_back({std::to_string(bitCount) + "-bit, " + std::to_string(colours) + " colours" +
                                    (offBitsZero ? ", bfOffBits 0" : ""),
                                parts, IndexedColour(bitCount), onWine});
        }
    }
    // Some writers size the file without the padding of its last row; the pixels are all there.
    for (std::size_t i = 0; i < 5; ++i) {
        BmpVariant padded = variants[i];  // 1- to 24-bit
        const int bitCount = padded.parts.bitCount;
        padded.name += ", the last row without its padding";
        padded.parts.pixels.resize(padded.parts.pixels.size() - (kWidth * bitCount + 31) / 32 * 4 +
                                   (kWidth * bitCount + 7) / 8);
        variants.push_back(padded);
    }
    return variants;
}

// Files that are not valid BMP files, and what Wine's LoadImageA makes of them where it departs from the format.
enum class WineGives { Null, Bitmap, Crash };

struct MalformedBmp {
    std::string name;
    std::vector<std::uint8_t> bytes;
    WineGives wine;
};

inline std::vector<MalformedBmp> MalformedBmps() {
    std::vector<MalformedBmp> files = {
        {"not a BMP", {'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0}, WineGives::Null},
        {"a file header only", {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0}, WineGives::Null},
    };
    const auto add = [&](const char* name, WineGives wine, const std::function<void(BmpParts&)>& spoil) {
        files.push_back({name, BuildBmp(With(Indexed(8), spoil)), wine});
    };
    add("unknown header size 20", WineGives::Null, [](BmpParts& p) { p.headerSize = 20; });
    add("7 bits a pixel", WineGives::Null, [](BmpParts& p) { p.bitCount = 7; });
    add("zero width", WineGives::Null, [](BmpParts& p) { p.width = 0; });
    // Wine's LoadImageA checks less than the format asks and gives these files a bitmap.
    add("2 planes", WineGives::Bitmap, [](BmpParts& p) { p.planes = 2; });
    add("RLE8 in a 4-bit file", WineGives::Bitmap, [](BmpParts& p) { p.compression = 1, p.bitCount = 4; });
    add("pixels cut short", WineGives::Bitmap, [](BmpParts& p) { p.pixels.resize(p.pixels.size() / 2); });
    add("the last pixel's byte missing", WineGives::Bitmap, [](BmpParts& p) { p.pixels.resize(p.pixels.size() - 4); });
    // Wine's LoadImageA reads past the end of the file and crashes.
    add("pixels beyond the end", WineGives::Crash, [](BmpParts& p) { p.offBits = 4096; });
    return files;
}

}  // namespace bmptest
