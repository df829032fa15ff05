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
using plat::DecodedBmp;
using plat::PixelLayout;
using Values = std::vector<std::uint32_t>;

constexpr std::uint32_t kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3, kBiAlphaBitFields = 6;

// Decodes an exact-size copy of `file`, so that ASan sees any read past its end.
std::optional<DecodedBmp> Decode(const std::vector<std::uint8_t>& file) {
    const std::vector<std::uint8_t> exact(file);
    return plat::DecodeBmp(exact.data(), exact.size());
}

// The raw pixel at (x, y) counted from the top, little-endian as the layouts are (Xrgb8888 gives 0xXXRRGGBB).
std::uint32_t PixelAt(const DecodedBmp& image, int x, int y) {
    const int bytes = plat::BitsPerPixel(image.layout) / 8;
    std::uint32_t value = 0;
    std::memcpy(&value, &image.pixels.at(std::size_t(y) * image.pitch + std::size_t(x) * bytes), std::size_t(bytes));
    return value;
}

// What any decoded image must be, whatever the file: sane sides, rows of whole words holding the pixels.
::testing::AssertionResult WellFormed(const DecodedBmp& image) {
    if (image.width <= 0 || image.width > 16384 || image.height <= 0 || image.height > 16384 || image.pitch % 4 != 0 ||
        image.pitch < image.width * plat::BitsPerPixel(image.layout) / 8 ||
        image.pixels.size() != std::size_t(image.pitch) * std::size_t(image.height)) {
        return ::testing::AssertionFailure() << "expected 1..16384 pixels a side and pitch x height bytes in rows of "
                                                "whole words, got " << image.width << " x " << image.height
                                             << ", pitch " << image.pitch << ", " << image.pixels.size() << " bytes";
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
        {"biClrUsed 257 on 8 bits", BuildBmp(With(Indexed8(), [](P p) { p.colorsUsed = 257; }))},
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
    EXPECT_FALSE(plat::DecodeBmp(nullptr, 100).has_value()) << "null data: expected nullopt, got an image";
}

// Cut short anywhere (in the headers, table, masks, rows), an uncompressed file is refused; a cut RLE stream decodes
// with the pixels it no longer reaches at index 0, as one lacking its end-of-bitmap code does.
TEST(BmpDecoder, EveryTruncationIsRefusedOrAnRlePrefix) {
    for (const Variant& v : Variants()) {
        if (v.parts.pixels.empty()) {
            continue;  // pixels made of the colour table: a cut may leave enough of them
        }
        const std::vector<std::uint8_t> file = BuildBmp(v.parts);
        const std::optional<DecodedBmp> full = Decode(file);
        ASSERT_TRUE(full.has_value()) << v.name;
        const bool rle = v.parts.compression == kBiRle8 || v.parts.compression == kBiRle4;
        const std::size_t streamStart = file.size() - v.parts.pixels.size();
        for (std::size_t length = 0; length < file.size(); ++length) {
            const std::optional<DecodedBmp> cut = Decode({file.begin(), file.begin() + length});
            if (!rle || length <= streamStart) {
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
