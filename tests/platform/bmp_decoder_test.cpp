// bmp_decoder_test.cpp -- tests of the BMP decoder behind LoadImageA: the supported variants, refusals, robustness.
#include "bmp_decoder.h"

#include "bmp_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <utility>
#include <vector>

namespace {

using bmptest::BmpParts;
using bmptest::BuildBmp;
using plat::PixelLayout;
using Values = std::vector<std::uint32_t>;

constexpr std::uint32_t kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3, kBiAlphaBitFields = 6;

// An exact-size copy of a file, so that ASan sees any read past its end. Reads fail from `failFrom` on, as when
// a file shrinks while it is read.
class MemorySource : public plat::BmpSource {
public:
    explicit MemorySource(const std::vector<std::uint8_t>& file, std::uint64_t failFrom = UINT64_MAX)
        : bytes_(file), failFrom_(failFrom) {}

    std::uint64_t Size() const override { return bytes_.size(); }

    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) override {
        if (offset > bytes_.size() || count > bytes_.size() - offset || offset + count > failFrom_) {
            return false;
        }
        std::copy_n(bytes_.begin() + std::ptrdiff_t(offset), count, out);
        return true;
    }

private:
    const std::vector<std::uint8_t> bytes_;
    std::uint64_t failFrom_;
};

// What the decoder gives: the format, and the pixels in rows of whole words as a canvas holds them.
struct DecodedBmp {
    int width;
    int height;
    int fileBitCount;
    PixelLayout layout;
    plat::Palette palette;
    int pitch;
    std::vector<std::uint8_t> pixels;
};

std::optional<DecodedBmp> Decode(plat::BmpSource& source) {
    const std::optional<plat::BmpFormat> format = plat::ReadBmpFormat(source);
    if (!format) {
        return std::nullopt;
    }
    const int pitch = (format->width * plat::BitsPerPixel(format->layout) / 8 + 3) / 4 * 4;
    DecodedBmp image{format->width, format->height, format->fileBitCount, format->layout, format->palette, pitch, {}};
    image.pixels.assign(std::size_t(pitch) * std::size_t(format->height), 0);
    if (!plat::DecodeBmpPixels(source, *format, image.pixels.data(), pitch)) {
        return std::nullopt;
    }
    return image;
}

std::optional<DecodedBmp> Decode(const std::vector<std::uint8_t>& file) {
    MemorySource source(file);
    return Decode(source);
}

// The raw pixel at (x, y) counted from the top, little-endian as the layouts are (Xrgb8888 gives 0xXXRRGGBB).
std::uint32_t PixelAt(const DecodedBmp& image, int x, int y) {
    const int bytes = plat::BitsPerPixel(image.layout) / 8;
    std::uint32_t value = 0;
    std::memcpy(&value, &image.pixels.at(std::size_t(y) * image.pitch + std::size_t(x) * bytes), std::size_t(bytes));
    return value;
}

// What any decoded image must be, whatever the file: sane sides, at most 256 MiB of pixels.
::testing::AssertionResult WellFormed(const DecodedBmp& image) {
    if (image.width <= 0 || image.width > 16384 || image.height <= 0 || image.height > 16384 ||
        image.pixels.size() > std::size_t{256} << 20) {
        return ::testing::AssertionFailure() << "expected 1..16384 pixels a side and at most 256 MiB, got "
                                             << image.width << " x " << image.height << ", " << image.pixels.size()
                                             << " bytes";
    }
    return ::testing::AssertionSuccess();
}

Values GreyRamp(int count) {
    Values colors;
    for (int i = 0; i < count; ++i) {
        colors.push_back(std::uint32_t(i) * 0x010101);
    }
    return colors;
}

template <class Change>
BmpParts With(BmpParts parts, Change change) {
    change(parts);
    return parts;
}

// An uncompressed file of `rows`, bottom row first as the file stores them.
BmpParts Plain(int bitCount, const std::vector<Values>& rows, Values colors = {}) {
    BmpParts parts;
    parts.width = std::int32_t(rows[0].size());
    parts.height = std::int32_t(rows.size());
    parts.bitCount = std::uint16_t(bitCount);
    parts.colors = std::move(colors);
    parts.pixels = bmptest::PackRows(rows, bitCount);
    return parts;
}

// One row of bit-field pixels; four masks make BI_ALPHABITFIELDS.
BmpParts Fields(int bitCount, Values masks, const Values& row) {
    BmpParts parts = Plain(bitCount, {row});
    parts.compression = masks.size() == 4 ? kBiAlphaBitFields : kBiBitFields;
    parts.masks = std::move(masks);
    return parts;
}

BmpParts Rle(int bitCount, int width, int height, std::vector<std::uint8_t> stream) {
    BmpParts parts;
    parts.width = width;
    parts.height = height;
    parts.bitCount = std::uint16_t(bitCount);
    parts.compression = bitCount == 8 ? kBiRle8 : kBiRle4;
    parts.colorsUsed = 16;
    parts.colors = GreyRamp(16);
    parts.pixels = std::move(stream);
    return parts;
}

BmpParts Rgb24() { return Plain(24, {{0x112233, 0x445566, 0x778899}, {0xAABBCC, 0xDDEEFF, 0x010203}}); }
BmpParts Indexed8() { return Plain(8, {{1, 2, 3}, {4, 5, 6}, {7, 8, 255}}, GreyRamp(256)); }

// 4 x 4 RLE8: 5 5 5; an odd absolute run of 5 cut to the row; a delta 2 right, 1 up; a run of three 7s cut to the row.
BmpParts Rle8() { return Rle(8, 4, 4, {3, 5, 0, 0, 0, 5, 1, 2, 3, 4, 6, 0, 0, 0, 0, 2, 2, 1, 3, 7, 0, 1}); }

// 7 x 3 RLE4: runs 1 2 1 2 1 and 3 4; absolute 5 6 7, a delta 1 right, F; absolute 9 A B C D.
BmpParts Rle4() {
    return Rle(4, 7, 3, {5, 0x12, 2, 0x34, 0, 0, 0, 3, 0x56, 0x70, 0, 2, 1, 0, 1, 0xF0, 0, 0, 0, 5, 0x9A, 0xBC, 0xD0, 0,
                         0, 1});
}

struct Probe {
    int x;  // a palette index in palette probes
    int y;  // from the top
    std::uint32_t value;
};

struct Variant {
    const char* name;
    BmpParts parts;
    PixelLayout layout;
    std::vector<Probe> pixels;
    std::vector<Probe> palette;
};

std::vector<Variant> Variants() {
    using L = PixelLayout;
    using P = BmpParts&;
    const Values masks565 = {0xF800, 0x07E0, 0x001F}, swapped888 = {0xFF, 0xFF00, 0xFF0000};
    return {
        {"1-bit", Plain(1, {{1, 0, 1, 1, 0, 0, 0, 1, 1, 0}, {0, 1, 0, 0, 0, 0, 1, 0, 0, 1}}, {0, 0xFFFFFF}),
         L::Indexed8, {{0, 0, 0}, {1, 0, 1}, {9, 0, 1}, {0, 1, 1}, {9, 1, 0}}, {{1, 0, 0xFFFFFF}, {2, 0, 0}}},
        {"4-bit, 3 colours used, pixels right after the table",
         With(Plain(4, {{0, 1, 2, 15, 1}, {2, 2, 0, 1, 9}}, {0x102030, 0x405060, 0x708090}),
              [](P p) { p.colorsUsed = 3, p.offBits = 0; }),
         L::Indexed8, {{0, 0, 2}, {4, 0, 9}, {3, 1, 15}}, {{2, 0, 0x708090}, {3, 0, 0}}},
        {"8-bit top-down, a gap before the pixels", With(Indexed8(), [](P p) { p.height = -3, p.gap = 100; }),
         L::Indexed8, {{0, 0, 1}, {2, 2, 255}}, {{255, 0, 0xFFFFFF}}},
        {"8-bit core header", With(Indexed8(), [](P p) { p.headerSize = 12, p.colors[6] = 0x123456; }), L::Indexed8,
         {{0, 0, 7}, {1, 2, 2}}, {{6, 0, 0x123456}, {7, 0, 0x070707}}},
        {"8-bit, 300 colours: the first 256 used", With(Indexed8(), [](P p) { p.colorsUsed = 300; }), L::Indexed8,
         {{2, 0, 255}}, {{255, 0, 0xFFFFFF}}},
        {"4-bit, 20 colours, pixels right after all 20",
         With(Plain(4, {{0, 15}}, GreyRamp(20)), [](P p) { p.colorsUsed = 20, p.offBits = 0; }), L::Indexed8,
         {{0, 0, 0}, {1, 0, 15}}, {{15, 0, 0x0F0F0F}}},
        {"24-bit, the last row without its padding", With(Rgb24(), [](P p) { p.pixels.resize(p.pixels.size() - 3); }),
         L::Rgb888, {{2, 0, 0x010203}, {0, 1, 0x112233}}, {}},
        {"8-bit, pixels starting inside the table: entries there black",
         With(Plain(8, {{0}}, {0x111111, 0x222222, 0x334455, 0x444444}),
              [](P p) { p.colorsUsed = 4, p.pixels = {}, p.offBits = 14 + 40 + 2 * 4; }),
         L::Indexed8, {{0, 0, 0x55}}, {{1, 0, 0x222222}, {2, 0, 0}}},
        {"16-bit 555 fields", Fields(16, {0x7C00, 0x03E0, 0x001F}, {0x8123, 0x03E0}), L::Rgb555,
         {{0, 0, 0x0123}, {1, 0, 0x03E0}}, {}},
        {"16-bit 565 fields", Fields(16, masks565, {0xF800, 0x8421}), L::Rgb565, {{0, 0, 0xF800}, {1, 0, 0x8421}}, {}},
        {"16-bit 4-4-4 fields widen to 8 bits", Fields(16, {0x0F00, 0x00F0, 0x000F}, {0x0F80, 0xF00F}), L::Xrgb8888,
         {{0, 0, 0xFF8800}, {1, 0, 0x0000FF}}, {}},
        {"24-bit", Rgb24(), L::Rgb888, {{0, 0, 0xAABBCC}, {2, 0, 0x010203}, {1, 1, 0x445566}}, {}},
        {"32-bit", Plain(32, {{0xAA112233, 0x00445566}, {0xFF778899, 0x12ABCDEF}}), L::Xrgb8888,
         {{0, 0, 0x778899}, {1, 0, 0xABCDEF}, {0, 1, 0x112233}}, {}},
        {"32-bit 10-10-10 fields narrow to 8 bits", Fields(32, {0x3FF00000, 0x000FFC00, 0x000003FF}, {0x3FF80001}),
         L::Xrgb8888, {{0, 0, 0xFF8000}}, {}},
        {"32-bit alpha fields, pixels right after the four masks",
         With(Fields(32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}, {0x80302010}), [](P p) { p.offBits = 0; }),
         L::Xrgb8888, {{0, 0, 0x102030}}, {}},
        {"V4 header holding the masks", With(Fields(32, swapped888, {0x445566}), [](P p) { p.headerSize = 108; }),
         L::Xrgb8888, {{0, 0, 0x665544}}, {}},
        {"V5 header, BI_RGB: masks ignored",
         With(Fields(16, masks565, {0x8421}), [](P p) { p.headerSize = 124, p.compression = 0; }), L::Rgb555,
         {{0, 0, 0x0421}}, {}},
        {"RLE8", Rle8(), L::Indexed8,
         {{1, 0, 0}, {2, 0, 7}, {3, 0, 7}, {0, 1, 0}, {3, 1, 0}, {0, 2, 1}, {3, 2, 4}, {0, 3, 5}, {1, 3, 5}, {3, 3, 0}},
         {{7, 0, 0x070707}}},
        {"RLE4", Rle4(), L::Indexed8,
         {{0, 0, 9}, {4, 0, 13}, {5, 0, 0}, {2, 1, 7}, {3, 1, 0}, {4, 1, 15}, {3, 2, 2}, {5, 2, 3}, {6, 2, 4}}, {}},
    };
}

TEST(BmpDecoder, DecodesEachVariant) {
    for (const Variant& v : Variants()) {
        SCOPED_TRACE(v.name);
        const std::optional<DecodedBmp> image = Decode(BuildBmp(v.parts));
        ASSERT_TRUE(image.has_value()) << "expected an image, got nullopt";
        EXPECT_TRUE(WellFormed(*image));
        EXPECT_EQ(image->width, std::abs(v.parts.width));
        EXPECT_EQ(image->height, std::abs(v.parts.height));
        EXPECT_EQ(image->fileBitCount, v.parts.bitCount);
        EXPECT_EQ(int(image->layout), int(v.layout)) << "layout";
        for (const Probe& p : v.pixels) {
            EXPECT_EQ(PixelAt(*image, p.x, p.y), p.value) << "pixel (" << p.x << ", " << p.y << ")";
        }
        for (const Probe& p : v.palette) {
            EXPECT_EQ(image->palette.rgb[p.x], p.value) << "palette entry " << p.x;
        }
    }
}

TEST(BmpDecoder, AcceptsSidesUpTo16384) {
    for (const BmpParts& parts : {Plain(1, {Values(16384, 1)}, {0, 0xFFFFFF}), Rle(8, 1, 16384, {0, 1})}) {
        const std::optional<DecodedBmp> image = Decode(BuildBmp(parts));
        ASSERT_TRUE(image.has_value()) << parts.width << " x " << parts.height << ": expected an image, got nullopt";
        EXPECT_TRUE(WellFormed(*image)) << parts.width << " x " << parts.height;
    }
}

std::vector<std::pair<const char*, std::vector<std::uint8_t>>> MalformedFiles() {
    using P = BmpParts&;
    const auto rgb24 = [](auto change) { return BuildBmp(With(Rgb24(), change)); };
    std::vector<std::uint8_t> badMagic = BuildBmp(Rgb24()), hugeHeader = badMagic;
    badMagic[1] = 'A';
    for (std::size_t i = 14; i < 18; ++i) {  // biSize
        hugeHeader.at(i) = 0xFF;
    }
    return {
        {"wrong magic", badMagic},
        {"header size 0xFFFFFFFF", hugeHeader},
        {"header size 64", rgb24([](P p) { p.headerSize = 64; })},
        {"width 0", rgb24([](P p) { p.width = 0; })},
        {"width -3", rgb24([](P p) { p.width = -3; })},
        {"height 0", rgb24([](P p) { p.height = 0; })},
        {"planes 2", rgb24([](P p) { p.planes = 2; })},
        {"bit count 2", rgb24([](P p) { p.bitCount = 2; })},
        {"core header, 16 bits", rgb24([](P p) { p.headerSize = 12, p.bitCount = 16; })},
        {"compression BI_JPEG", rgb24([](P p) { p.compression = 4; })},
        {"RLE8 on 4 bits", BuildBmp(With(Rle4(), [](P p) { p.compression = kBiRle8; }))},
        {"bit fields on 24 bits", rgb24([](P p) { p.compression = kBiBitFields, p.masks = {0xFF0000, 0xFF00, 0xFF}; })},
        {"top-down RLE8", BuildBmp(With(Rle8(), [](P p) { p.height = -p.height; }))},
        {"top-down RLE4", BuildBmp(With(Rle4(), [](P p) { p.height = -p.height; }))},
        {"zero red mask", BuildBmp(Fields(16, {0, 0x07E0, 0x001F}, {1}))},
        {"mask with a hole", BuildBmp(Fields(16, {0xD800, 0x07E0, 0x001F}, {1}))},
        {"overlapping masks", BuildBmp(Fields(16, {0xFC00, 0x07E0, 0x001F}, {1}))},
        {"mask past 16 bits", BuildBmp(Fields(16, {0x1F0000, 0x07E0, 0x001F}, {1}))},
        {"alpha bit fields, three masks",
         BuildBmp(With(Fields(32, {0xFF0000, 0xFF00, 0xFF}, {1}), [](P p) { p.compression = kBiAlphaBitFields; }))},
        {"width 16385, headers only", rgb24([](P p) { p.width = 16385, p.pixels = {}; })},
        {"16384 x 16384 x 32 bits, headers only",
         rgb24([](P p) { p.width = p.height = 16384, p.bitCount = 32, p.pixels = {}; })},
        {"RLE8 16385 wide", BuildBmp(With(Rle8(), [](P p) { p.width = 16385; }))},
        {"RLE8 16385 tall", BuildBmp(With(Rle8(), [](P p) { p.height = 16385; }))},
        {"height INT32_MIN", rgb24([](P p) { p.height = std::numeric_limits<std::int32_t>::min(); })},
        {"the last pixel of the last row missing", rgb24([](P p) { p.pixels.resize(p.pixels.size() - 4); })},
        {"bfOffBits past the end", rgb24([](P p) { p.offBits = 0xFFFFFFF0; })},
        {"bfOffBits inside the info header", rgb24([](P p) { p.offBits = 20; })},
        {"bfOffBits inside the masks",
         BuildBmp(With(Fields(16, {0xF800, 0x07E0, 0x001F}, {1}), [](P p) { p.offBits = 14 + 40 + 4; }))},
    };
}

TEST(BmpDecoder, RefusesMalformedFiles) {
    for (const auto& [what, file] : MalformedFiles()) {
        EXPECT_FALSE(Decode(file).has_value()) << what << ": expected nullopt, got an image";
    }
}

// Cut short anywhere before its last pixel (in the headers, table, masks, rows), an uncompressed file is refused, and
// cut inside the last row's padding it decodes whole; a cut RLE stream decodes with the pixels it no longer reaches
// at index 0, as one lacking its end-of-bitmap code does.
TEST(BmpDecoder, EveryTruncationIsRefusedOrDecodesWhatIsThere) {
    for (const Variant& v : Variants()) {
        if (v.parts.pixels.empty()) {
            continue;  // pixels made of the colour table: a cut may leave enough of them
        }
        const std::vector<std::uint8_t> file = BuildBmp(v.parts);
        const std::optional<DecodedBmp> full = Decode(file);
        ASSERT_TRUE(full.has_value()) << v.name;
        const bool rle = v.parts.compression == kBiRle8 || v.parts.compression == kBiRle4;
        const std::size_t streamStart = file.size() - v.parts.pixels.size();
        const std::size_t lastPixelEnd =
            streamStart + std::size_t(full->height - 1) * ((full->width * v.parts.bitCount + 31) / 32 * 4) +
            std::size_t(full->width * v.parts.bitCount + 7) / 8;
        for (std::size_t length = 0; length < file.size(); ++length) {
            const std::optional<DecodedBmp> cut = Decode({file.begin(), file.begin() + length});
            if (!rle) {
                EXPECT_EQ(cut.has_value(), length >= lastPixelEnd) << v.name << " cut to " << length << " bytes";
                EXPECT_TRUE(!cut || cut->pixels == full->pixels) << v.name << " cut to " << length << " bytes";
                continue;
            }
            if (length <= streamStart) {
                EXPECT_FALSE(cut.has_value()) << v.name << " cut to " << length << " bytes: expected nullopt, got one";
                continue;
            }
            ASSERT_TRUE(cut.has_value()) << v.name << " stream cut to " << length - streamStart << " bytes refused";
            for (std::size_t i = 0; i < full->pixels.size(); ++i) {
                ASSERT_TRUE(cut->pixels[i] == full->pixels[i] || cut->pixels[i] == 0)
                    << v.name << " cut to " << length << " bytes: byte " << i << " expected " << int{full->pixels[i]}
                    << " or 0, got " << int{cut->pixels[i]};
            }
        }
    }
}

// Files longer than the decoder's 256 KiB pieces, rows and runs straddling the pieces' ends: every pixel as the
// file says. A file that fails to read before its end is refused.
TEST(BmpDecoder, DecodesAcrossPiecesAndRefusesAFailingRead) {
    const int width = 1001, height = 300;  // rows of 3004 bytes: no piece ends on a row's end
    std::vector<Values> rows(height, Values(width));
    std::vector<std::uint8_t> stream;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rows[y][x] = std::uint32_t(x * 7 + y * 131) & 0xFFFFFF;
        }
        for (int x = 0; x < width; x += 250) {  // absolute runs of 250 pixels (1 left at the end)
            const int count = std::min(250, width - x);
            if (count < 3) {
                stream.insert(stream.end(), {std::uint8_t(count), std::uint8_t(rows[y][x])});
                continue;
            }
            stream.insert(stream.end(), {0, std::uint8_t(count)});
            for (int i = 0; i < count; ++i) {
                stream.push_back(std::uint8_t(rows[y][x + i]));
            }
            if (count % 2 != 0) {
                stream.push_back(0);
            }
        }
        stream.insert(stream.end(), {0, 0});
    }
    BmpParts rle = Rle(8, width, height, stream);
    rle.colorsUsed = 0;
    rle.colors = GreyRamp(256);
    for (const BmpParts& parts : {Plain(24, rows), rle}) {
        const std::vector<std::uint8_t> file = BuildBmp(parts);
        ASSERT_GT(file.size(), 256u * 1024) << "the file must span pieces";
        const std::optional<DecodedBmp> image = Decode(file);
        ASSERT_TRUE(image.has_value()) << parts.bitCount << "-bit";
        int wrong = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint32_t value = rows[height - 1 - y][x];  // the file's first row is the bottom one
                wrong += PixelAt(*image, x, y) != (parts.bitCount == 24 ? value : value & 0xFF);
            }
        }
        EXPECT_EQ(wrong, 0) << parts.bitCount << "-bit: pixels differing from the file";

        MemorySource failing(file, file.size() - 1000);
        EXPECT_FALSE(Decode(failing).has_value()) << parts.bitCount << "-bit: a read that fails near the end";
    }
}

TEST(BmpDecoder, RandomByteFlipsGiveNulloptOrAWellFormedImage) {
    const std::vector<Variant> variants = Variants();
    std::mt19937 random(20240611);
    int decoded = 0;
    for (int iteration = 0; iteration < 4000; ++iteration) {
        std::vector<std::uint8_t> file = BuildBmp(variants[random() % variants.size()].parts);
        for (int flips = 1 + int(random() % 4); flips > 0; --flips) {
            // Half the flips land in the headers, where most of the decisions are made.
            const std::size_t range = random() % 2 == 0 ? std::min<std::size_t>(file.size(), 70) : file.size();
            file[random() % range] ^= std::uint8_t(1 + random() % 255);
        }
        const std::optional<DecodedBmp> image = Decode(file);
        if (image) {
            ++decoded;
            ASSERT_TRUE(WellFormed(*image)) << "iteration " << iteration;
        }
    }
    EXPECT_GT(decoded, 100) << "expected over 100 mutated files to decode, exercising the pixel paths";
}

}  // namespace
