// bmp_decoder_test.cpp -- tests of the BMP decoder behind LoadImageA: every supported variant, refusals, robustness.
#include "bmp_decoder.h"

#include "bmp_builder.h"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using bmptest::BmpParts;
using bmptest::BuildBmp;
using bmptest::PackRows;
using plat::DecodedBmp;
using plat::PixelLayout;
using Pixels = std::vector<std::uint32_t>;

constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3;
constexpr std::uint32_t kBiAlphaBitFields = 6;

std::optional<DecodedBmp> Decode(const std::vector<std::uint8_t>& file) {
    return plat::DecodeBmp(file.data(), file.size());
}

DecodedBmp DecodeValid(const BmpParts& parts) {
    const std::optional<DecodedBmp> image = Decode(BuildBmp(parts));
    EXPECT_TRUE(image.has_value()) << "expected a valid " << parts.bitCount << "-bit file to decode, got nullopt";
    return image.value_or(DecodedBmp{});
}

int BytesPerPixel(PixelLayout layout) {
    switch (layout) {
    case PixelLayout::Indexed8:
        return 1;
    case PixelLayout::Rgb555:
    case PixelLayout::Rgb565:
        return 2;
    case PixelLayout::Rgb888:
        return 3;
    case PixelLayout::Xrgb8888:
        return 4;
    }
    return 0;
}

// The raw pixel at (x, y) counted from the top, its bytes read little-endian (Xrgb8888 gives 0xXXRRGGBB).
std::uint32_t PixelAt(const DecodedBmp& image, int x, int y) {
    const int bytes = BytesPerPixel(image.layout);
    const std::size_t offset = static_cast<std::size_t>(y) * image.pitch + static_cast<std::size_t>(x) * bytes;
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        value |= std::uint32_t{image.pixels.at(offset + i)} << (8 * i);
    }
    return value;
}

// All pixels of one row, top row 0.
Pixels Row(const DecodedBmp& image, int y) {
    Pixels row;
    for (int x = 0; x < image.width; ++x) {
        row.push_back(PixelAt(image, x, y));
    }
    return row;
}

std::vector<std::uint32_t> GreyRamp(int count) {
    std::vector<std::uint32_t> colors;
    for (int i = 0; i < count; ++i) {
        colors.push_back(static_cast<std::uint32_t>(i) * 0x010101);
    }
    return colors;
}

// ---- Valid files used across the tests ----

BmpParts Indexed1() {
    BmpParts parts;
    parts.width = 10;
    parts.height = 2;
    parts.bitCount = 1;
    parts.colors = {0x000000, 0xFFFFFF};
    parts.pixels = PackRows({{1, 0, 1, 1, 0, 0, 0, 1, 1, 0}, {0, 1, 0, 0, 0, 0, 1, 0, 0, 1}}, 1);
    return parts;
}

BmpParts Indexed4() {
    BmpParts parts;
    parts.width = 5;
    parts.height = 2;
    parts.bitCount = 4;
    parts.colorsUsed = 3;
    parts.colors = {0x102030, 0x405060, 0x708090};
    parts.pixels = PackRows({{0, 1, 2, 15, 1}, {2, 2, 0, 1, 9}}, 4);
    return parts;
}

BmpParts Indexed8() {
    BmpParts parts;
    parts.width = 3;
    parts.height = 3;
    parts.bitCount = 8;
    parts.colors = GreyRamp(256);
    parts.pixels = PackRows({{1, 2, 3}, {4, 5, 6}, {7, 8, 255}}, 8);
    return parts;
}

BmpParts Rgb24() {
    BmpParts parts;
    parts.width = 3;
    parts.height = 2;
    parts.pixels = PackRows({{0x112233, 0x445566, 0x778899}, {0xAABBCC, 0xDDEEFF, 0x010203}}, 24);
    return parts;
}

BmpParts Rgb32() {
    BmpParts parts;
    parts.width = 2;
    parts.height = 2;
    parts.bitCount = 32;
    parts.pixels = PackRows({{0xAA112233, 0x00445566}, {0xFF778899, 0x12ABCDEF}}, 32);
    return parts;
}

BmpParts BitFields16(std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::vector<std::uint32_t> row) {
    BmpParts parts;
    parts.width = static_cast<std::int32_t>(row.size());
    parts.bitCount = 16;
    parts.compression = kBiBitFields;
    parts.masks = {red, green, blue};
    parts.pixels = PackRows({row}, 16);
    return parts;
}

BmpParts BitFields32(std::uint32_t red, std::uint32_t green, std::uint32_t blue, std::vector<std::uint32_t> row) {
    BmpParts parts = BitFields16(red, green, blue, {});
    parts.width = static_cast<std::int32_t>(row.size());
    parts.bitCount = 32;
    parts.pixels = PackRows({row}, 32);
    return parts;
}

BmpParts CoreIndexed8() {
    BmpParts parts = Indexed8();
    parts.headerSize = 12;
    return parts;
}

// 6 x 4 RLE8: runs, an odd absolute run, a delta over a row, a run overrunning its row, end of bitmap.
BmpParts Rle8() {
    BmpParts parts;
    parts.width = 6;
    parts.height = 4;
    parts.bitCount = 8;
    parts.compression = kBiRle8;
    parts.colorsUsed = 16;
    parts.colors = GreyRamp(16);
    parts.pixels = {
        3, 5, 0, 3, 1, 2, 3, 0, 0, 0,  // bottom row: 5 5 5, absolute 1 2 3 (+ pad), end of line
        0, 2, 2, 1,                    // delta: 2 right, 1 up
        2, 7, 0, 0,                    // third row from the bottom: 7 7 at x 2..3, end of line
        10, 9,                         // top row: 10 x 9, clipped to 6
        0, 1,                          // end of bitmap
    };
    return parts;
}

// 7 x 3 RLE4: alternating runs, odd absolute runs with padding, a delta inside the row.
BmpParts Rle4() {
    BmpParts parts;
    parts.width = 7;
    parts.height = 3;
    parts.bitCount = 4;
    parts.compression = kBiRle4;
    parts.colors = GreyRamp(16);
    parts.pixels = {
        5, 0x12, 2, 0x34, 0, 0,          // bottom row: 1 2 1 2 1, 3 4, end of line
        0, 3, 0x56, 0x70, 0, 2, 1, 0,    // middle row: absolute 5 6 7, delta 1 right
        1, 0xF0, 0, 0,                   // F at x 4, end of line
        0, 5, 0x9A, 0xBC, 0xD0, 0, 0, 1  // top row: absolute 9 A B C D (+ pad), end of bitmap
    };
    return parts;
}

// ---- Indexed files ----

TEST(BmpIndexed, OneBitRowsComeOutTopDownWithTheirPalette) {
    const DecodedBmp image = DecodeValid(Indexed1());
    EXPECT_EQ(image.layout, PixelLayout::Indexed8);
    EXPECT_EQ(image.fileBitCount, 1);
    EXPECT_EQ(image.width, 10);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.pitch, 12) << "10 one-byte pixels pad to 12";
    EXPECT_EQ(image.pixels.size(), 24u);
    EXPECT_EQ(Row(image, 0), (Pixels{0, 1, 0, 0, 0, 0, 1, 0, 0, 1})) << "file's last row on top";
    EXPECT_EQ(Row(image, 1), (Pixels{1, 0, 1, 1, 0, 0, 0, 1, 1, 0}));
    EXPECT_EQ(image.palette.rgb[1], 0xFFFFFFu);
    EXPECT_EQ(image.palette.rgb[2], 0u) << "entries past a 2-colour table are black";
}

TEST(BmpIndexed, FourBitKeepsIndexesAndBlackensEntriesPastColorsUsed) {
    const DecodedBmp image = DecodeValid(Indexed4());
    EXPECT_EQ(image.fileBitCount, 4);
    EXPECT_EQ(Row(image, 0), (Pixels{2, 2, 0, 1, 9})) << "indexes past the table stay as stored";
    EXPECT_EQ(Row(image, 1), (Pixels{0, 1, 2, 15, 1}));
    EXPECT_EQ(image.palette.rgb[2], 0x708090u);
    EXPECT_EQ(image.palette.rgb[3], 0u) << "biClrUsed 3 leaves entry 3 black";
    EXPECT_EQ(image.palette.rgb[15], 0u);
}

TEST(BmpIndexed, EightBitNegativeHeightIsTopDown) {
    BmpParts parts = Indexed8();
    parts.height = -3;
    const DecodedBmp image = DecodeValid(parts);
    EXPECT_EQ(image.height, 3) << "height is reported positive";
    EXPECT_EQ(Row(image, 0), (Pixels{1, 2, 3})) << "first stored row stays on top";
    EXPECT_EQ(Row(image, 2), (Pixels{7, 8, 255}));
    EXPECT_EQ(image.palette.rgb[255], 0xFFFFFFu);
}

TEST(BmpIndexed, CoreHeaderReadsThreeByteColorEntries) {
    BmpParts parts = CoreIndexed8();
    parts.colors[6] = 0x123456;
    const DecodedBmp image = DecodeValid(parts);
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.palette.rgb[6], 0x123456u) << "RGBTRIPLE table misread";
    EXPECT_EQ(image.palette.rgb[7], 0x070707u);
    EXPECT_EQ(Row(image, 0), (Pixels{7, 8, 255}));
}

TEST(BmpIndexed, CoreHeaderFourBitTableIsSixteenTriples) {
    BmpParts parts = Indexed4();
    parts.headerSize = 12;
    parts.colors = GreyRamp(16);
    parts.colors[15] = 0xABCDEF;
    const DecodedBmp image = DecodeValid(parts);
    EXPECT_EQ(image.palette.rgb[15], 0xABCDEFu);
    EXPECT_EQ(PixelAt(image, 3, 1), 15u);
}

// ---- Direct-colour files ----

TEST(BmpDirect, TwentyFourBitKeepsBgrBytesAndZeroesPadding) {
    const DecodedBmp image = DecodeValid(Rgb24());
    EXPECT_EQ(image.layout, PixelLayout::Rgb888);
    EXPECT_EQ(image.pitch, 12);
    EXPECT_EQ(Row(image, 0), (Pixels{0xAABBCC, 0xDDEEFF, 0x010203}));
    EXPECT_EQ(Row(image, 1), (Pixels{0x112233, 0x445566, 0x778899}));
    EXPECT_EQ(image.pixels[0], 0xCC) << "first byte is blue";
    EXPECT_EQ(image.pixels[9] | image.pixels[10] | image.pixels[11], 0) << "row padding not zeroed";
}

TEST(BmpDirect, ThirtyTwoBitClearsTheFourthByte) {
    const DecodedBmp image = DecodeValid(Rgb32());
    EXPECT_EQ(image.layout, PixelLayout::Xrgb8888);
    EXPECT_EQ(Row(image, 0), (Pixels{0x778899, 0xABCDEF}));
    EXPECT_EQ(Row(image, 1), (Pixels{0x112233, 0x445566}));
}

TEST(BmpDirect, SixteenBitRgbIs555WithTheTopBitCleared) {
    BmpParts parts;
    parts.width = 3;
    parts.bitCount = 16;
    parts.pixels = PackRows({{0xFFFF, 0x7C00, 0x001F}}, 16);
    const DecodedBmp image = DecodeValid(parts);
    EXPECT_EQ(image.layout, PixelLayout::Rgb555);
    EXPECT_EQ(image.pitch, 8);
    EXPECT_EQ(Row(image, 0), (Pixels{0x7FFF, 0x7C00, 0x001F}));
}

TEST(BmpBitFields, Masks555And565KeepTheirWords) {
    const DecodedBmp rgb555 = DecodeValid(BitFields16(0x7C00, 0x03E0, 0x001F, {0x8123, 0x03E0}));
    EXPECT_EQ(rgb555.layout, PixelLayout::Rgb555);
    EXPECT_EQ(Row(rgb555, 0), (Pixels{0x0123, 0x03E0}));

    const DecodedBmp rgb565 = DecodeValid(BitFields16(0xF800, 0x07E0, 0x001F, {0xF800, 0x8421}));
    EXPECT_EQ(rgb565.layout, PixelLayout::Rgb565);
    EXPECT_EQ(Row(rgb565, 0), (Pixels{0xF800, 0x8421}));
}

TEST(BmpBitFields, OtherSixteenBitMasksScaleEachChannelTo8Bits) {
    // 4-4-4: 15 -> 255, 8 -> 136 (8 * 255 / 15), 0 -> 0; 1-bit alpha ignored.
    const DecodedBmp image = DecodeValid(BitFields16(0x0F00, 0x00F0, 0x000F, {0x0F80, 0xF00F}));
    EXPECT_EQ(image.layout, PixelLayout::Xrgb8888);
    EXPECT_EQ(Row(image, 0), (Pixels{0xFF8800, 0x0000FF}));

    // 5-5-5 in swapped order: blue in the top bits.
    const DecodedBmp swapped = DecodeValid(BitFields16(0x001F, 0x03E0, 0x7C00, {0x7C01}));
    EXPECT_EQ(swapped.layout, PixelLayout::Xrgb8888);
    EXPECT_EQ(PixelAt(swapped, 0, 0), 0x0800FFu) << "red 1/31 -> 8, blue 31/31 -> 255";
}

TEST(BmpBitFields, ThirtyTwoBitMasksAreReadChannelByChannel) {
    const DecodedBmp swapped = DecodeValid(BitFields32(0x000000FF, 0x0000FF00, 0x00FF0000, {0xEE112233}));
    EXPECT_EQ(PixelAt(swapped, 0, 0), 0x332211u);

    // 10-10-10: the top 8 bits of each channel.
    const DecodedBmp wide = DecodeValid(BitFields32(0x3FF00000, 0x000FFC00, 0x000003FF, {0x3FF80001}));
    EXPECT_EQ(PixelAt(wide, 0, 0), 0xFF8000u);
}

TEST(BmpBitFields, AlphaBitFieldsAfterAFortyByteHeaderTakeFourMasks) {
    BmpParts parts = BitFields32(0x00FF0000, 0x0000FF00, 0x000000FF, {0x80102030});
    parts.compression = kBiAlphaBitFields;
    parts.masks.push_back(0xFF000000);
    const DecodedBmp image = DecodeValid(parts);
    EXPECT_EQ(PixelAt(image, 0, 0), 0x102030u) << "alpha dropped, fourth byte 0";
}

TEST(BmpBitFields, MasksInsideV2ToV5Headers) {
    for (std::uint32_t headerSize : {52u, 56u, 108u, 124u}) {
        SCOPED_TRACE("header size " + std::to_string(headerSize));
        BmpParts rgb565 = BitFields16(0xF800, 0x07E0, 0x001F, {0x1234});
        rgb565.headerSize = headerSize;
        const DecodedBmp image = DecodeValid(rgb565);
        EXPECT_EQ(image.layout, PixelLayout::Rgb565);
        EXPECT_EQ(PixelAt(image, 0, 0), 0x1234u);

        BmpParts swapped = BitFields32(0x000000FF, 0x0000FF00, 0x00FF0000, {0x00445566});
        swapped.headerSize = headerSize;
        EXPECT_EQ(PixelAt(DecodeValid(swapped), 0, 0), 0x665544u);
    }
}

TEST(BmpBitFields, V4AndV5IgnoreTheirMasksWithoutBitFields) {
    for (std::uint32_t headerSize : {108u, 124u}) {
        BmpParts parts = BitFields16(0xF800, 0x07E0, 0x001F, {0x8421});
        parts.headerSize = headerSize;
        parts.compression = 0;
        const DecodedBmp image = DecodeValid(parts);
        EXPECT_EQ(image.layout, PixelLayout::Rgb555) << "header size " << headerSize;
        EXPECT_EQ(PixelAt(image, 0, 0), 0x0421u);
    }
}

// ---- Where the pixels start ----

TEST(BmpPixelOffset, AGapBeforeThePixelsIsSkipped) {
    BmpParts parts = Indexed8();
    parts.gap = 100;
    const DecodedBmp image = DecodeValid(parts);
    EXPECT_EQ(Row(image, 0), (Pixels{7, 8, 255})) << "bfOffBits not honoured";
}

TEST(BmpPixelOffset, ZeroMeansRightAfterTheColorTable) {
    BmpParts parts = Indexed4();
    parts.offBits = 0;
    EXPECT_EQ(Row(DecodeValid(parts), 1), (Pixels{0, 1, 2, 15, 1}));

    BmpParts fields = BitFields16(0xF800, 0x07E0, 0x001F, {0xBEEF});
    fields.offBits = 0;
    EXPECT_EQ(PixelAt(DecodeValid(fields), 0, 0), 0xBEEFu) << "pixels start after the masks";

    BmpParts alphaFields = BitFields32(0xFF0000, 0xFF00, 0xFF, {0x00123456});
    alphaFields.compression = kBiAlphaBitFields;
    alphaFields.masks.push_back(0xFF000000);
    alphaFields.offBits = 0;
    EXPECT_EQ(PixelAt(DecodeValid(alphaFields), 0, 0), 0x123456u) << "pixels start after the four masks";
}

TEST(BmpPixelOffset, PixelsStartingInsideTheTableCutItShort) {
    BmpParts parts = Indexed8();
    parts.width = 1;
    parts.height = 1;
    parts.colorsUsed = 4;
    parts.colors = {0x111111, 0x222222, 0x334455, 0x444444};
    parts.pixels = {};
    parts.offBits = 14 + 40 + 2 * 4;
    const DecodedBmp image = DecodeValid(parts);
    EXPECT_EQ(image.palette.rgb[1], 0x222222u);
    EXPECT_EQ(image.palette.rgb[2], 0u) << "entries overlapping the pixels are black";
    EXPECT_EQ(PixelAt(image, 0, 0), 0x55u) << "first pixel byte is entry 2's blue";
}

// ---- RLE ----

TEST(BmpRle, Rle8RunsAbsoluteRunsDeltaAndClipping) {
    const DecodedBmp image = DecodeValid(Rle8());
    EXPECT_EQ(image.layout, PixelLayout::Indexed8);
    EXPECT_EQ(image.fileBitCount, 8);
    EXPECT_EQ(Row(image, 0), (Pixels{9, 9, 9, 9, 9, 9})) << "run past the row is clipped";
    EXPECT_EQ(Row(image, 1), (Pixels{0, 0, 7, 7, 0, 0})) << "7 7 where the delta landed";
    EXPECT_EQ(Row(image, 2), (Pixels{0, 0, 0, 0, 0, 0})) << "row skipped by the delta";
    EXPECT_EQ(Row(image, 3), (Pixels{5, 5, 5, 1, 2, 3}));
    EXPECT_EQ(image.palette.rgb[9], 0x090909u);
}

TEST(BmpRle, Rle4AlternatesNibblesAndPadsAbsoluteRuns) {
    const DecodedBmp image = DecodeValid(Rle4());
    EXPECT_EQ(image.fileBitCount, 4);
    EXPECT_EQ(Row(image, 0), (Pixels{9, 10, 11, 12, 13, 0, 0}));
    EXPECT_EQ(Row(image, 1), (Pixels{5, 6, 7, 0, 15, 0, 0}));
    EXPECT_EQ(Row(image, 2), (Pixels{1, 2, 1, 2, 1, 3, 4}));
}

TEST(BmpRle, AbsoluteRunPastTheRowIsClippedNotWrapped) {
    BmpParts parts = Rle8();
    parts.width = 4;
    parts.height = 2;
    parts.pixels = {0, 6, 1, 2, 3, 4, 5, 6, 0, 0, 1, 8, 0, 1};
    const DecodedBmp image = DecodeValid(parts);
    EXPECT_EQ(Row(image, 1), (Pixels{1, 2, 3, 4}));
    EXPECT_EQ(Row(image, 0), (Pixels{8, 0, 0, 0})) << "overrun leaked into the next row";
}

TEST(BmpRle, DeltaAndLinesPastTheTopStopDecoding) {
    BmpParts parts = Rle8();
    parts.height = 2;
    parts.pixels = {2, 4, 0, 2, 255, 255, 3, 6, 0, 0, 0, 0, 0, 0, 5, 5};
    const DecodedBmp image = DecodeValid(parts);
    EXPECT_EQ(Row(image, 1), (Pixels{4, 4, 0, 0, 0, 0}));
    EXPECT_EQ(Row(image, 0), (Pixels{0, 0, 0, 0, 0, 0}));
}

TEST(BmpRle, StreamWithoutEndOfBitmapLeavesTheRestZero) {
    BmpParts parts = Rle8();
    parts.pixels = {4, 3};
    const DecodedBmp image = DecodeValid(parts);
    EXPECT_EQ(Row(image, 3), (Pixels{3, 3, 3, 3, 0, 0}));
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(Row(image, y), (Pixels(6, 0))) << "row " << y;
    }
}

TEST(BmpRle, CutStreamsDecodeAPrefixOfTheImage) {
    for (const BmpParts& parts : {Rle8(), Rle4()}) {
        const std::vector<std::uint8_t> file = BuildBmp(parts);
        const DecodedBmp full = DecodeValid(parts);
        const std::size_t streamStart = file.size() - parts.pixels.size();
        for (std::size_t length = 0; length < file.size(); ++length) {
            const std::optional<DecodedBmp> cut = Decode({file.begin(), file.begin() + length});
            if (length <= streamStart) {
                EXPECT_FALSE(cut.has_value()) << "file cut to " << length << " bytes, before any pixel data";
                continue;
            }
            ASSERT_TRUE(cut.has_value()) << "RLE stream cut to " << length - streamStart << " bytes refused";
            ASSERT_EQ(cut->pixels.size(), full.pixels.size());
            for (std::size_t i = 0; i < full.pixels.size(); ++i) {
                ASSERT_TRUE(cut->pixels[i] == full.pixels[i] || cut->pixels[i] == 0)
                    << "byte " << i << " of a " << length << "-byte cut is " << int{cut->pixels[i]}
                    << ", expected " << int{full.pixels[i]} << " or 0";
            }
        }
    }
}

// ---- Limits ----

TEST(BmpLimits, LargestDimensionsAreAccepted) {
    BmpParts wide;
    wide.width = 16384;
    wide.bitCount = 8;
    wide.colors = GreyRamp(2);
    wide.colorsUsed = 2;
    wide.pixels.assign(16384, 1);
    const std::optional<DecodedBmp> wideImage = Decode(BuildBmp(wide));
    ASSERT_TRUE(wideImage.has_value()) << "16384 pixels wide refused";
    EXPECT_EQ(PixelAt(*wideImage, 16383, 0), 1u);

    BmpParts tall = wide;
    tall.width = 1;
    tall.height = -16384;
    tall.pixels.assign(16384 * 4, 1);
    EXPECT_TRUE(Decode(BuildBmp(tall)).has_value()) << "16384 pixels tall (top-down) refused";
}

// 24-bit, 16384 wide, `height` rows of zeros: the headers followed by a lazily mapped zero region.
class LargeRgb24File {
public:
    explicit LargeRgb24File(std::int32_t height) {
        BmpParts parts = Rgb24();
        parts.width = 16384;
        parts.height = height;
        parts.pixels = {};
        const std::vector<std::uint8_t> headers = BuildBmp(parts);
        size_ = headers.size() + std::size_t{16384 * 3} * static_cast<std::size_t>(height);
        mapping_ = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (mapping_ != MAP_FAILED) {
            std::memcpy(mapping_, headers.data(), headers.size());
        }
    }
    ~LargeRgb24File() {
        if (mapping_ != MAP_FAILED) {
            munmap(mapping_, size_);
        }
    }
    bool Mapped() const { return mapping_ != MAP_FAILED; }
    std::optional<DecodedBmp> Decode() const { return plat::DecodeBmp(static_cast<std::uint8_t*>(mapping_), size_); }

private:
    std::size_t size_;
    void* mapping_;
};

TEST(BmpLimits, DecodedSizeIsCappedAt256MiB) {
    const LargeRgb24File atLimit(5461);  // 268,419,072 bytes decoded
    ASSERT_TRUE(atLimit.Mapped());
    const std::optional<DecodedBmp> image = atLimit.Decode();
    ASSERT_TRUE(image.has_value()) << "16384 x 5461 x 24 bits (under 256 MiB) refused";
    EXPECT_EQ(image->pixels.size(), 268419072u);

    const LargeRgb24File overLimit(5462);  // 268,468,224 bytes, all of them present
    ASSERT_TRUE(overLimit.Mapped());
    EXPECT_FALSE(overLimit.Decode().has_value()) << "16384 x 5462 x 24 bits (over 256 MiB) decoded";
}

// ---- Refusals ----

struct Malformed {
    const char* what;
    std::vector<std::uint8_t> file;
};

template <typename Change>
Malformed Altered(const char* what, BmpParts parts, Change change) {
    change(parts);
    return {what, BuildBmp(parts)};
}

std::vector<Malformed> MalformedFiles() {
    std::vector<std::uint8_t> badMagic = BuildBmp(Rgb24());
    badMagic[1] = 'A';
    std::vector<std::uint8_t> swappedMagic = BuildBmp(Rgb24());
    std::swap(swappedMagic[0], swappedMagic[1]);
    std::vector<std::uint8_t> hugeHeader = BuildBmp(Rgb24());
    hugeHeader[14] = hugeHeader[15] = hugeHeader[16] = hugeHeader[17] = 0xFF;

    return {
        {"bad magic", badMagic},
        {"swapped magic", swappedMagic},
        {"header size 0xFFFFFFFF", hugeHeader},
        {"only a file header", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        Altered("header size 64", Rgb24(), [](BmpParts& p) { p.headerSize = 64; }),
        Altered("header size 16", Rgb24(), [](BmpParts& p) { p.headerSize = 16; }),
        Altered("header size 0", Rgb24(), [](BmpParts& p) { p.headerSize = 0; }),
        Altered("width 0", Rgb24(), [](BmpParts& p) { p.width = 0; }),
        Altered("width -3", Rgb24(), [](BmpParts& p) { p.width = -3; }),
        Altered("height 0", Rgb24(), [](BmpParts& p) { p.height = 0; }),
        Altered("core width 0", CoreIndexed8(), [](BmpParts& p) { p.width = 0; }),
        Altered("planes 0", Rgb24(), [](BmpParts& p) { p.planes = 0; }),
        Altered("planes 2", Rgb24(), [](BmpParts& p) { p.planes = 2; }),
        Altered("core planes 3", CoreIndexed8(), [](BmpParts& p) { p.planes = 3; }),
        Altered("bit count 0", Rgb24(), [](BmpParts& p) { p.bitCount = 0; }),
        Altered("bit count 2", Indexed4(), [](BmpParts& p) { p.bitCount = 2; }),
        Altered("bit count 48", Rgb24(), [](BmpParts& p) { p.bitCount = 48; }),
        Altered("core 16-bit", Rgb24(), [](BmpParts& p) { p.headerSize = 12, p.bitCount = 16; }),
        Altered("core 32-bit", Rgb32(), [](BmpParts& p) { p.headerSize = 12; }),
        Altered("BI_JPEG", Rgb24(), [](BmpParts& p) { p.compression = 4; }),
        Altered("BI_PNG", Rgb24(), [](BmpParts& p) { p.compression = 5; }),
        Altered("compression 11", Rgb24(), [](BmpParts& p) { p.compression = 11; }),
        Altered("RLE8 with 4 bits", Rle4(), [](BmpParts& p) { p.compression = kBiRle8; }),
        Altered("RLE4 with 8 bits", Rle8(), [](BmpParts& p) { p.compression = kBiRle4; }),
        Altered("RLE8 with 24 bits", Rgb24(), [](BmpParts& p) { p.compression = kBiRle8; }),
        Altered("bit fields with 24 bits", Rgb24(),
                [](BmpParts& p) { p.compression = kBiBitFields, p.masks = {0xFF0000, 0xFF00, 0xFF}; }),
        Altered("bit fields with 8 bits", Indexed8(),
                [](BmpParts& p) { p.compression = kBiBitFields, p.masks = {0xE0, 0x1C, 0x03}; }),
        Altered("top-down RLE8", Rle8(), [](BmpParts& p) { p.height = -p.height; }),
        Altered("top-down RLE4", Rle4(), [](BmpParts& p) { p.height = -p.height; }),
        {"zero red mask", BuildBmp(BitFields16(0, 0x07E0, 0x001F, {1}))},
        {"zero blue mask", BuildBmp(BitFields32(0xFF0000, 0xFF00, 0, {1}))},
        {"mask with a hole", BuildBmp(BitFields16(0xD800, 0x07E0, 0x001F, {1}))},
        {"overlapping masks", BuildBmp(BitFields16(0xFC00, 0x07E0, 0x001F, {1}))},
        {"mask past 16 bits", BuildBmp(BitFields16(0x1F0000, 0x07E0, 0x001F, {1}))},
        Altered("masks cut off after the header", BitFields16(0xF800, 0x07E0, 0x001F, {1}),
                [](BmpParts& p) { p.masks.resize(2), p.pixels = {}; }),
        Altered("alpha bit fields with three masks", BitFields32(0xFF0000, 0xFF00, 0xFF, {1}),
                [](BmpParts& p) { p.compression = kBiAlphaBitFields; }),
        Altered("width 16385", Indexed8(), [](BmpParts& p) { p.width = 16385, p.pixels.assign(16388 * 3, 0); }),
        Altered("height 16385", Indexed1(), [](BmpParts& p) { p.height = 16385, p.pixels.assign(4 * 16385, 0); }),
        Altered("height -16385", Indexed1(), [](BmpParts& p) { p.height = -16385, p.pixels.assign(4 * 16385, 0); }),
        Altered("RLE 16385 wide", Rle8(), [](BmpParts& p) { p.width = 16385; }),
        Altered("height INT32_MIN", Rgb24(), [](BmpParts& p) { p.height = std::numeric_limits<std::int32_t>::min(); }),
        Altered("width INT32_MAX", Rgb24(), [](BmpParts& p) { p.width = std::numeric_limits<std::int32_t>::max(); }),
        Altered("width 0xFFFF0000", Rgb24(), [](BmpParts& p) { p.width = static_cast<std::int32_t>(0xFFFF0000); }),
        Altered("1 GiB decoded", Rgb32(), [](BmpParts& p) { p.width = 16384, p.height = 16384; }),
        Altered("biClrUsed 257 on 8 bits", Indexed8(), [](BmpParts& p) { p.colorsUsed = 257; }),
        Altered("biClrUsed 3 on 1 bit", Indexed1(), [](BmpParts& p) { p.colorsUsed = 3; }),
        Altered("colour table past the end", Indexed8(), [](BmpParts& p) { p.colors.resize(100), p.pixels = {}; }),
        Altered("core colour table past the end", CoreIndexed8(),
                [](BmpParts& p) { p.colors.resize(200), p.pixels = {}; }),
        Altered("biClrUsed 0xFFFFFFFF, pixels after the table", Rgb24(),
                [](BmpParts& p) { p.colorsUsed = 0xFFFFFFFF, p.offBits = 0; }),
        Altered("bfOffBits beyond the data", Rgb24(), [](BmpParts& p) { p.offBits = 0xFFFFFFF0; }),
        Altered("bfOffBits at the end of the data", Rgb24(), [](BmpParts& p) { p.offBits = 14 + 40 + 24; }),
        Altered("bfOffBits inside the info header", Rgb24(), [](BmpParts& p) { p.offBits = 20; }),
        Altered("bfOffBits inside the masks", BitFields16(0xF800, 0x07E0, 0x001F, {1}),
                [](BmpParts& p) { p.offBits = 14 + 40 + 4; }),
        Altered("RLE bfOffBits at the end", Rle8(), [](BmpParts& p) { p.pixels = {}, p.offBits = 0; }),
        Altered("last row one byte short", Rgb24(), [](BmpParts& p) { p.pixels.pop_back(); }),
        Altered("rows missing", Indexed8(), [](BmpParts& p) { p.height = 4; }),
        Altered("gap runs past the data", Indexed8(), [](BmpParts& p) { p.gap = 4, p.pixels.resize(8); }),
    };
}

TEST(BmpRefusal, MalformedFilesGiveNull) {
    for (const Malformed& malformed : MalformedFiles()) {
        EXPECT_FALSE(Decode(malformed.file).has_value()) << malformed.what << ": expected nullopt, got an image";
    }
}

TEST(BmpRefusal, EmptyAndNullInputsGiveNull) {
    const std::uint8_t byte = 'B';
    EXPECT_FALSE(plat::DecodeBmp(nullptr, 0).has_value());
    EXPECT_FALSE(plat::DecodeBmp(nullptr, 100).has_value());
    EXPECT_FALSE(plat::DecodeBmp(&byte, 0).has_value());
    EXPECT_FALSE(plat::DecodeBmp(&byte, 1).has_value());
}

// ---- Robustness ----

std::vector<BmpParts> ValidFiles() {
    BmpParts v5 = BitFields32(0xFF0000, 0xFF00, 0xFF, {1, 2, 3});
    v5.headerSize = 124;
    BmpParts core24 = Rgb24();
    core24.headerSize = 12;
    BmpParts topDown = Indexed8();
    topDown.height = -3;
    return {Indexed1(), Indexed4(), Indexed8(), CoreIndexed8(), core24, topDown, Rgb24(), Rgb32(),
            BitFields16(0xF800, 0x07E0, 0x001F, {1, 2, 3}), BitFields16(0x0F00, 0x00F0, 0x000F, {4}), v5,
            Rle8(), Rle4()};
}

TEST(BmpRobustness, EveryTruncationOfAnUncompressedFileGivesNull) {
    for (const BmpParts& parts : ValidFiles()) {
        if (parts.compression == kBiRle8 || parts.compression == kBiRle4) {
            continue;  // cut RLE streams are accepted: see CutStreamsDecodeAPrefixOfTheImage
        }
        const std::vector<std::uint8_t> file = BuildBmp(parts);
        ASSERT_TRUE(Decode(file).has_value()) << parts.bitCount << "-bit base file refused";
        for (std::size_t length = 0; length < file.size(); ++length) {
            const std::vector<std::uint8_t> cut(file.begin(), file.begin() + length);  // exact-size copy for ASan
            EXPECT_FALSE(Decode(cut).has_value())
                << parts.bitCount << "-bit file cut to " << length << " of " << file.size() << " bytes decoded";
        }
    }
}

TEST(BmpRobustness, RandomByteFlipsNeverBreakTheDecoder) {
    const std::vector<BmpParts> valid = ValidFiles();
    std::vector<std::vector<std::uint8_t>> files;
    for (const BmpParts& parts : valid) {
        files.push_back(BuildBmp(parts));
    }
    std::mt19937 random(20240611);
    int decoded = 0;
    for (int iteration = 0; iteration < 4000; ++iteration) {
        std::vector<std::uint8_t> file = files[random() % files.size()];
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int flip = 0; flip < flips; ++flip) {
            // Half the flips land in the headers, where most of the decisions are made.
            const std::size_t range = random() % 2 == 0 ? std::min<std::size_t>(file.size(), 70) : file.size();
            file[random() % range] ^= static_cast<std::uint8_t>(1 + random() % 255);
        }
        const std::optional<DecodedBmp> image = Decode(file);
        if (!image) {
            continue;
        }
        ++decoded;
        ASSERT_GT(image->width, 0) << "iteration " << iteration;
        ASSERT_LE(image->width, 16384) << "iteration " << iteration;
        ASSERT_GT(image->height, 0) << "iteration " << iteration;
        ASSERT_LE(image->height, 16384) << "iteration " << iteration;
        ASSERT_EQ(image->pitch % 4, 0) << "iteration " << iteration;
        ASSERT_GE(image->pitch, image->width * BytesPerPixel(image->layout)) << "iteration " << iteration;
        ASSERT_EQ(image->pixels.size(), static_cast<std::size_t>(image->pitch) * image->height)
            << "iteration " << iteration;
    }
    EXPECT_GT(decoded, 100) << "too few mutated files decoded to exercise the pixel paths";
}

}  // namespace
