// canvas_test.cpp -- tests of the canvas: size limits, colour mapping, fills, scaled, converting and keyed copies.
#include "canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>

namespace {

using plat::Canvas;
using plat::Palette;
using plat::PixelLayout;

constexpr PixelLayout kAllLayouts[] = {PixelLayout::Indexed8, PixelLayout::Rgb555, PixelLayout::Rgb565,
                                       PixelLayout::Rgb888, PixelLayout::Xrgb8888};
constexpr std::uint32_t kWhite = 0xFFFFFF;

// A distinct non-black value for every pixel of canvases up to 16384 x 1023.
std::uint32_t Distinct(int x, int y) {
    return (static_cast<std::uint32_t>(y + 1) << 14) | static_cast<std::uint32_t>(x);
}

// A Xrgb8888 canvas whose pixels are Distinct(x, y).
class DistinctCanvas : public Canvas {
public:
    DistinctCanvas(int width, int height) : Canvas(width, height, PixelLayout::Xrgb8888) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                WritePixel(x, y, Distinct(x, y));
            }
        }
    }
};

// The source index destination index i reads: the source pixel under the centre of i.
int RuleSource(int i, int srcLen, int dstLen) {
    return static_cast<int>((2 * std::int64_t{i} + 1) * srcLen / (2 * std::int64_t{dstLen}));
}

std::uint32_t Rgb(std::uint32_t raw) { return raw & 0xFFFFFF; }

// Palette with white at 0, red at 3, black at 7 and grey elsewhere: black is not index 0.
Palette MarkedPalette() {
    Palette palette{};
    for (std::uint32_t& entry : palette.rgb) {
        entry = 0x808080;
    }
    palette.rgb[0] = 0xFFFFFF;
    palette.rgb[3] = 0xFF0000;
    palette.rgb[7] = 0x000000;
    return palette;
}

Palette GreyRamp() {
    Palette palette{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        palette.rgb[i] = i * 0x010101;
    }
    return palette;
}

// Stretches a distinct source onto a Xrgb8888 destination and compares every destination pixel with the rule.
// Returns the number of mismatches (each one reported).
int CountRuleMismatches(int srcW, int srcH, const RECT& srcRect, int dstW, int dstH, const RECT& dstRect) {
    const DistinctCanvas src(srcW, srcH);
    Canvas dst(dstW, dstH, PixelLayout::Xrgb8888);
    plat::FillRect(dst, RECT{0, 0, dstW, dstH}, kWhite);
    plat::StretchCopy(dst, dstRect, src, srcRect);
    const int rectW = dstRect.right - dstRect.left;
    const int rectH = dstRect.bottom - dstRect.top;
    int mismatches = 0;
    for (int y = 0; y < dstH; ++y) {
        for (int x = 0; x < dstW; ++x) {
            const int i = x - dstRect.left;
            const int j = y - dstRect.top;
            std::uint32_t expected = kWhite;
            if (i >= 0 && i < rectW && j >= 0 && j < rectH) {
                const int sx = srcRect.left + RuleSource(i, srcRect.right - srcRect.left, rectW);
                const int sy = srcRect.top + RuleSource(j, srcRect.bottom - srcRect.top, rectH);
                expected = sx >= 0 && sx < srcW && sy >= 0 && sy < srcH ? Distinct(sx, sy) : 0;
            }
            const std::uint32_t got = Rgb(dst.ReadPixel(x, y));
            if (got != expected && ++mismatches <= 3) {
                ADD_FAILURE() << srcW << "x" << srcH << " -> " << dstW << "x" << dstH << " at (" << x << "," << y
                              << "): expected 0x" << std::hex << expected << ", got 0x" << got;
            }
        }
    }
    return mismatches;
}

TEST(CanvasConstruction, RefusesAbsurdSizes) {
    const std::pair<int, int> sizes[] = {{0, 1}, {1, 0}, {-4, 4}, {4, -4}, {16385, 1}, {1, 16385}, {16384, 4097}};
    for (const auto& [width, height] : sizes) {
        const Canvas canvas(width, height, PixelLayout::Xrgb8888);
        EXPECT_FALSE(canvas.Valid()) << width << "x" << height << ": expected refusal, got a valid canvas";
        EXPECT_EQ(canvas.Width() * canvas.Height(), 0) << width << "x" << height << ": a refused canvas has no area";
    }
    EXPECT_TRUE(Canvas(16384, 1, PixelLayout::Xrgb8888).Valid()) << "16384 wide is the limit, not beyond it";
}

TEST(CanvasConstruction, ZeroedWithPitchAMultipleOfFour) {
    const int expectedPitch[] = {4, 8, 8, 12, 12};  // 3 pixels wide, in kAllLayouts order
    for (int i = 0; i < 5; ++i) {
        const Canvas canvas(3, 2, kAllLayouts[i]);
        ASSERT_TRUE(canvas.Valid());
        EXPECT_EQ(canvas.Pitch(), expectedPitch[i]) << "layout " << i;
        for (int byte = 0; byte < canvas.Pitch() * 2; ++byte) {
            ASSERT_EQ(canvas.Bits()[byte], 0) << "layout " << i << ": byte " << byte << " not zeroed";
        }
    }
}

TEST(CanvasColors, DefaultPaletteIsThreeThreeTwoWithReplicatedBits) {
    const Palette& palette = plat::DefaultPalette();
    EXPECT_EQ(palette.rgb[0x00], 0x000000u);
    EXPECT_EQ(palette.rgb[0xFF], 0xFFFFFFu);
    EXPECT_EQ(palette.rgb[1 << 5], 0x240000u) << "red 1 of 7";
    EXPECT_EQ(palette.rgb[4 << 2], 0x009200u) << "green 4 of 7";
    EXPECT_EQ(palette.rgb[1], 0x000055u) << "blue 1 of 3";
}

TEST(CanvasColors, MapAndShowEachLayout) {
    const COLORREF color = RGB(0xFF, 0x80, 0x08);
    struct Case {
        PixelLayout layout;
        std::uint32_t pixel;
        COLORREF shown;
    };
    const Case cases[] = {
        {PixelLayout::Indexed8, 0xF0, RGB(0xFF, 0x92, 0x00)},  // nearest of the 3-3-2 palette
        {PixelLayout::Rgb555, 0x7E01, RGB(0xFF, 0x84, 0x08)},
        {PixelLayout::Rgb565, 0xFC01, RGB(0xFF, 0x82, 0x08)},
        {PixelLayout::Rgb888, 0xFF8008, color},
        {PixelLayout::Xrgb8888, 0xFF8008, color},
    };
    for (const Case& c : cases) {
        const Canvas canvas(1, 1, c.layout);
        EXPECT_EQ(canvas.MapColor(color), c.pixel) << "layout " << static_cast<int>(c.layout);
        EXPECT_EQ(canvas.PixelColor(c.pixel), c.shown) << "layout " << static_cast<int>(c.layout);
    }
    const Palette palette = MarkedPalette();
    const Canvas marked(1, 1, PixelLayout::Indexed8, &palette);
    EXPECT_EQ(marked.MapColor(RGB(10, 0, 0)), 7u) << "black is entry 7 of this palette";
}

TEST(CanvasFill, EachLayoutFillsTheRectAndNothingElse) {
    const COLORREF color = RGB(0x12, 0x34, 0x56);
    for (const PixelLayout layout : kAllLayouts) {
        Canvas canvas(7, 5, layout);
        const std::uint32_t pixel = canvas.MapColor(color);
        plat::FillRect(canvas, RECT{1, 1, 6, 4}, pixel);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 7; ++x) {
                const bool inside = x >= 1 && x < 6 && y >= 1 && y < 4;
                ASSERT_EQ(canvas.ReadPixel(x, y), inside ? pixel : 0u)
                    << "layout " << static_cast<int>(layout) << " at (" << x << "," << y << ")";
            }
        }
        const COLORREF shown = canvas.PixelColor(canvas.ReadPixel(3, 2));
        EXPECT_NEAR(GetRValue(shown), 0x12, 36) << "layout " << static_cast<int>(layout);
        EXPECT_NEAR(GetGValue(shown), 0x34, 36) << "layout " << static_cast<int>(layout);
        EXPECT_NEAR(GetBValue(shown), 0x56, 43) << "layout " << static_cast<int>(layout);
    }
}

TEST(CanvasFill, TwentyFourBitsWritesThreeBytesPerPixel) {
    Canvas canvas(5, 3, PixelLayout::Rgb888);
    plat::FillRect(canvas, RECT{1, 0, 4, 3}, 0xA1B2C3);
    const std::uint8_t expectedRow[] = {0, 0, 0, 0xC3, 0xB2, 0xA1, 0xC3, 0xB2, 0xA1, 0xC3, 0xB2, 0xA1, 0, 0, 0};
    for (int y = 0; y < 3; ++y) {
        for (int byte = 0; byte < 15; ++byte) {
            ASSERT_EQ(canvas.Bits()[y * canvas.Pitch() + byte], expectedRow[byte]) << "row " << y << " byte " << byte;
        }
    }
    EXPECT_EQ(canvas.PixelColor(canvas.ReadPixel(2, 1)), RGB(0xA1, 0xB2, 0xC3));
}

TEST(CanvasFill, ClipsToTheCanvas) {
    for (const PixelLayout layout : kAllLayouts) {
        Canvas canvas(6, 4, layout);
        plat::FillRect(canvas, RECT{-3, -2, 2, 100}, 1);
        plat::FillRect(canvas, RECT{6, 0, 9, 4}, 2);    // wholly to the right
        plat::FillRect(canvas, RECT{5, 3, 4, 2}, 3);    // inverted
        plat::FillRect(canvas, RECT{-9, -9, -1, 9}, 4);  // wholly to the left
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x) {
                ASSERT_EQ(canvas.ReadPixel(x, y), x < 2 ? 1u : 0u)
                    << "layout " << static_cast<int>(layout) << " at (" << x << "," << y << ")";
            }
        }
    }
}

TEST(CanvasStretch, IntegerFactorsMakeBlocks) {
    const struct {
        int srcW;
        int srcH;
        int factor;
    } cases[] = {{6, 4, 2}, {6, 4, 3}, {60, 3, 10}};
    for (const auto& c : cases) {
        const DistinctCanvas src(c.srcW, c.srcH);
        Canvas dst(c.srcW * c.factor, c.srcH * c.factor, PixelLayout::Xrgb8888);
        plat::StretchCopy(dst, RECT{0, 0, dst.Width(), dst.Height()}, src, RECT{0, 0, c.srcW, c.srcH});
        for (int y = 0; y < dst.Height(); ++y) {
            for (int x = 0; x < dst.Width(); ++x) {
                ASSERT_EQ(Rgb(dst.ReadPixel(x, y)), Distinct(x / c.factor, y / c.factor))
                    << "factor " << c.factor << " at (" << x << "," << y << ")";
            }
        }
    }
}

TEST(CanvasStretch, AnyRatioFollowsThePixelCentreRule) {
    const int srcLens[] = {1, 2, 3, 5, 7, 13, 45, 60, 64, 100, 333, 640};
    const int dstLens[] = {1, 2, 3, 4, 5, 7, 11, 17, 31, 64, 99, 448, 598, 600, 1000, 4093};
    int mismatches = 0;
    for (const int s : srcLens) {
        for (const int d : dstLens) {
            mismatches += CountRuleMismatches(s, 2, RECT{0, 0, s, 2}, d, 3, RECT{0, 0, d, 3});
            mismatches += CountRuleMismatches(2, s, RECT{0, 0, 2, s}, 3, d, RECT{0, 0, 3, d});
        }
    }
    // Long axes, where 16.16 fixed point alone drifts by whole pixels; and inner rectangles.
    mismatches += CountRuleMismatches(16383, 1, RECT{0, 0, 16383, 1}, 16384, 1, RECT{0, 0, 16384, 1});
    mismatches += CountRuleMismatches(12345, 1, RECT{0, 0, 12345, 1}, 16384, 1, RECT{0, 0, 16384, 1});
    mismatches += CountRuleMismatches(16384, 1, RECT{0, 0, 16384, 1}, 12347, 1, RECT{0, 0, 12347, 1});
    mismatches += CountRuleMismatches(3, 1, RECT{0, 0, 3, 1}, 16381, 1, RECT{0, 0, 16381, 1});
    mismatches += CountRuleMismatches(60, 45, RECT{0, 0, 60, 45}, 640, 480, RECT{21, 16, 619, 464});
    mismatches += CountRuleMismatches(50, 40, RECT{7, 5, 38, 31}, 90, 70, RECT{3, 9, 80, 66});
    EXPECT_EQ(mismatches, 0);
}

TEST(CanvasStretch, DestinationPartlyOutsideKeepsTheMapping) {
    EXPECT_EQ(CountRuleMismatches(10, 10, RECT{0, 0, 10, 10}, 20, 12, RECT{-7, -3, 23, 17}), 0);
    EXPECT_EQ(CountRuleMismatches(10, 10, RECT{0, 0, 10, 10}, 20, 12, RECT{-7, -3, 13, 7}), 0) << "1:1";
}

TEST(CanvasStretch, SourceOutsideReadsBlack) {
    EXPECT_EQ(CountRuleMismatches(8, 8, RECT{-4, -4, 12, 12}, 32, 32, RECT{0, 0, 32, 32}), 0) << "scaled";
    EXPECT_EQ(CountRuleMismatches(8, 8, RECT{-4, 3, 4, 11}, 10, 10, RECT{1, 1, 9, 9}), 0) << "1:1";
    EXPECT_EQ(CountRuleMismatches(8, 8, RECT{20, 0, 28, 8}, 10, 10, RECT{0, 0, 10, 10}), 0) << "wholly outside";

    Canvas red(4, 4, PixelLayout::Xrgb8888);
    plat::FillRect(red, RECT{0, 0, 4, 4}, 0xFF0000);
    const Palette marked = MarkedPalette();
    for (const RECT& srcRect : {RECT{-4, 0, 4, 4}, RECT{-2, 0, 2, 4}}) {  // scaled 2x, and 1:1
        Canvas indexed(4, 4, PixelLayout::Indexed8, &marked);
        plat::StretchCopy(indexed, RECT{0, 0, 4, 4}, red, srcRect);
        for (int x = 0; x < 4; ++x) {  // both rectangles put columns 0 and 1 left of the source
            EXPECT_EQ(indexed.ReadPixel(x, 1), x < 2 ? 7u : 3u)
                << "column " << x << ": expected black's index 7 outside the source, red's index 3 inside";
        }
    }
}

// Other parts composite straight from Image(); a scaled copy must not leave its transform behind.
TEST(CanvasStretch, LeavesTheSourceImageUntransformed) {
    const DistinctCanvas src(4, 4);
    Canvas zoomed(12, 12, PixelLayout::Xrgb8888);
    plat::StretchCopy(zoomed, RECT{0, 0, 12, 12}, src, RECT{0, 0, 4, 4});
    Canvas plain(4, 4, PixelLayout::Xrgb8888);
    pixman_image_composite32(PIXMAN_OP_SRC, src.Image(), nullptr, plain.Image(), 0, 0, 0, 0, 0, 0, 4, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            ASSERT_EQ(Rgb(plain.ReadPixel(x, y)), Distinct(x, y)) << "at (" << x << "," << y << ")";
        }
    }
}

TEST(CanvasStretch, EmptyInvertedOrAbsurdRectanglesCopyNothing) {
    constexpr LONG kLongMin = std::numeric_limits<LONG>::min();
    constexpr LONG kLongMax = std::numeric_limits<LONG>::max();
    const DistinctCanvas src(4, 4);
    Canvas dst(4, 4, PixelLayout::Xrgb8888);
    const std::pair<RECT, RECT> cases[] = {
        {RECT{0, 0, 0, 4}, RECT{0, 0, 4, 4}}, {RECT{0, 0, 4, 4}, RECT{2, 0, 2, 4}},
        {RECT{4, 0, 0, 4}, RECT{0, 0, 4, 4}}, {RECT{0, 0, 4, 4}, RECT{0, 4, 4, 0}},
        {RECT{kLongMin, 0, kLongMax, 4}, RECT{0, 0, 4, 4}}, {RECT{0, 0, 4, 4}, RECT{0, kLongMin, 4, kLongMax}},
    };
    for (const auto& [dstRect, srcRect] : cases) {
        plat::StretchCopy(dst, dstRect, src, srcRect);
        plat::StretchCopyKeyed(dst, dstRect, src, srcRect, 1, 0);
    }
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            ASSERT_EQ(dst.ReadPixel(x, y), 0u) << "at (" << x << "," << y << ")";
        }
    }
}

TEST(CanvasConversion, ThirtyTwoToSixteenTruncatesChannels) {
    Canvas src(2, 1, PixelLayout::Xrgb8888);
    src.WritePixel(0, 0, 0xFF8008);
    src.WritePixel(1, 0, 0x123456);
    const struct {
        PixelLayout layout;
        std::uint32_t first;
        std::uint32_t second;
    } cases[] = {{PixelLayout::Rgb565, 0xFC01, 0x11AA}, {PixelLayout::Rgb555, 0x7E01, 0x08CA}};
    for (const auto& c : cases) {
        for (const int factor : {1, 3}) {
            Canvas dst(2 * factor, 1, c.layout);
            plat::StretchCopy(dst, RECT{0, 0, 2 * factor, 1}, src, RECT{0, 0, 2, 1});
            EXPECT_EQ(dst.ReadPixel(0, 0), c.first) << "layout " << static_cast<int>(c.layout) << " x" << factor;
            EXPECT_EQ(dst.ReadPixel(2 * factor - 1, 0), c.second)
                << "layout " << static_cast<int>(c.layout) << " x" << factor;
        }
    }
}

TEST(CanvasConversion, ThirtyTwoToEightTakesTheNearestPaletteEntry) {
    const std::pair<std::uint32_t, std::uint32_t> colorsAndIndices[] = {
        {0x000000, 0x00}, {0xFFFFFF, 0xFF}, {0xFA0A64, 0xE1}, {0xFF8008, 0xF0}, {0x249255, 0x31}};
    Canvas src(5, 1, PixelLayout::Xrgb8888);
    for (int x = 0; x < 5; ++x) {
        src.WritePixel(x, 0, colorsAndIndices[x].first);
    }
    for (const int factor : {1, 2}) {
        Canvas dst(5 * factor, 1, PixelLayout::Indexed8);
        plat::StretchCopy(dst, RECT{0, 0, 5 * factor, 1}, src, RECT{0, 0, 5, 1});
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(dst.ReadPixel(x * factor, 0), colorsAndIndices[x].second)
                << "colour 0x" << std::hex << colorsAndIndices[x].first << " x" << factor;
        }
    }
}

// pixman converts through the canvas's 15-bit table; it must pick what MapColor picks for each of those colours.
TEST(CanvasConversion, ThirtyTwoToEightAgreesWithMapColorForAPalette) {
    std::mt19937 random(7);
    Palette palette{};
    for (std::uint32_t& entry : palette.rgb) {
        entry = random() & 0xFFFFFF;
    }
    std::copy(palette.rgb, palette.rgb + 40, palette.rgb + 200);  // repeated entries: the lowest index wins
    Canvas src(256, 128, PixelLayout::Xrgb8888);
    const auto expand = [](std::uint32_t v) { return (v << 3) | (v >> 2); };
    for (std::uint32_t cell = 0; cell < 32768; ++cell) {
        src.WritePixel(cell % 256, cell / 256,
                       (expand(cell >> 10) << 16) | (expand((cell >> 5) & 31) << 8) | expand(cell & 31));
    }
    Canvas dst(256, 128, PixelLayout::Indexed8, &palette);
    plat::StretchCopy(dst, RECT{0, 0, 256, 128}, src, RECT{0, 0, 256, 128});
    int mismatches = 0;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 256; ++x) {
            const std::uint32_t rgb = src.ReadPixel(x, y);
            const std::uint32_t expected = dst.MapColor(RGB(rgb >> 16, rgb >> 8, rgb));
            if (dst.ReadPixel(x, y) != expected && ++mismatches <= 3) {
                ADD_FAILURE() << "colour 0x" << std::hex << rgb << ": expected index " << std::dec << expected
                              << ", got " << dst.ReadPixel(x, y);
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(CanvasConversion, EightShowsItsPaletteColours) {
    const Palette marked = MarkedPalette();
    Canvas src(3, 1, PixelLayout::Indexed8, &marked);
    src.WritePixel(0, 0, 0);
    src.WritePixel(1, 0, 3);
    src.WritePixel(2, 0, 7);
    for (const PixelLayout layout : {PixelLayout::Xrgb8888, PixelLayout::Rgb888, PixelLayout::Rgb565}) {
        for (const int factor : {1, 2}) {
            Canvas dst(3 * factor, 1, layout);
            plat::StretchCopy(dst, RECT{0, 0, 3 * factor, 1}, src, RECT{0, 0, 3, 1});
            EXPECT_EQ(dst.PixelColor(dst.ReadPixel(0, 0)), RGB(0xFF, 0xFF, 0xFF)) << static_cast<int>(layout);
            EXPECT_EQ(dst.PixelColor(dst.ReadPixel(factor, 0)), RGB(0xFF, 0, 0)) << static_cast<int>(layout);
            EXPECT_EQ(dst.PixelColor(dst.ReadPixel(2 * factor, 0)), RGB(0, 0, 0)) << static_cast<int>(layout);
        }
    }
}

TEST(CanvasConversion, EightToEightKeepsIndicesOnlyWhenPalettesMatch) {
    const Palette greys = GreyRamp();
    Canvas src(256, 1, PixelLayout::Indexed8, &greys);
    for (int x = 0; x < 256; ++x) {
        src.WritePixel(x, 0, static_cast<std::uint32_t>(x));
    }
    for (const int factor : {1, 2}) {
        Canvas same(256 * factor, 3, PixelLayout::Indexed8, &greys);
        plat::StretchCopy(same, RECT{0, 0, 256 * factor, 3}, src, RECT{0, 0, 256, 1});
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 256 * factor; ++x) {
                ASSERT_EQ(same.ReadPixel(x, y), static_cast<std::uint32_t>(x / factor))
                    << "x" << factor << " at (" << x << "," << y << "): index kept between equal palettes";
            }
        }
    }
    Canvas other(256, 1, PixelLayout::Indexed8);
    plat::StretchCopy(other, RECT{0, 0, 256, 1}, src, RECT{0, 0, 256, 1});
    EXPECT_EQ(other.ReadPixel(255, 0), 0xFFu) << "white maps to the 3-3-2 white";
    EXPECT_EQ(other.ReadPixel(0x92, 0), 0x92u) << "grey 0x929292 is 3-3-2 entry 100 100 10";
}

TEST(CanvasKeyed, SkipsTheKeyRangeAndConverts) {
    Canvas src(4, 1, PixelLayout::Rgb565);
    const std::uint32_t row[] = {0x0010, 0xF800, 0x0011, 0x07E0};  // key range [0x10, 0x11]
    for (int x = 0; x < 4; ++x) {
        src.WritePixel(x, 0, row[x]);
    }
    Canvas dst(8, 2, PixelLayout::Xrgb8888);
    plat::FillRect(dst, RECT{0, 0, 8, 2}, 0x0000FF);
    plat::StretchCopyKeyed(dst, RECT{0, 0, 8, 2}, src, RECT{0, 0, 4, 1}, 0x10, 0x11);
    const std::uint32_t expected[] = {0x0000FF, 0xFF0000, 0x0000FF, 0x00FF00};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(Rgb(dst.ReadPixel(x, y)), expected[x / 2]) << "at (" << x << "," << y << ")";
        }
    }
}

TEST(CanvasKeyed, UnusedBitsDoNotHideTheKey) {
    Canvas src(2, 1, PixelLayout::Xrgb8888);
    src.WritePixel(0, 0, 0xFF000000);  // black, as pixman's conversions leave it
    src.WritePixel(1, 0, 0xFF00FF00);
    Canvas dst(2, 1, PixelLayout::Xrgb8888);
    plat::FillRect(dst, RECT{0, 0, 2, 1}, 0x0000FF);
    plat::StretchCopyKeyed(dst, RECT{0, 0, 2, 1}, src, RECT{0, 0, 2, 1}, 0, 0);
    EXPECT_EQ(Rgb(dst.ReadPixel(0, 0)), 0x0000FFu) << "keyed black with the unused byte set is skipped";
    EXPECT_EQ(Rgb(dst.ReadPixel(1, 0)), 0x00FF00u);
}

TEST(CanvasKeyed, OutsideTheSourceIsBlackUnlessBlackIsKeyed) {
    const DistinctCanvas src(4, 4);
    const struct {
        std::uint32_t key;
        std::uint32_t outside;
    } cases[] = {{0, kWhite}, {0x0F, 0}};  // black keyed: left alone; not keyed: black
    for (const auto& c : cases) {
        Canvas dst(4, 4, PixelLayout::Xrgb8888);
        plat::FillRect(dst, RECT{0, 0, 4, 4}, kWhite);
        plat::StretchCopyKeyed(dst, RECT{0, 0, 4, 4}, src, RECT{-2, 0, 2, 4}, c.key, c.key);
        EXPECT_EQ(Rgb(dst.ReadPixel(1, 2)), c.outside) << "key " << c.key;
        EXPECT_EQ(Rgb(dst.ReadPixel(2, 2)), Distinct(0, 2)) << "key " << c.key;
    }
}

}  // namespace
