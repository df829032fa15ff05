// canvas_test.cpp -- the canvas: size limits, fills, scaled and converting copies.
#include "canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using plat::Canvas;
using plat::Palette;
using plat::PixelLayout;

constexpr std::uint32_t kWhite = 0xFFFFFF;

// A distinct non-black value for every pixel of canvases up to 16384 x 1023.
std::uint32_t Distinct(int x, int y) {
    return std::uint32_t(y + 1) << 14 | std::uint32_t(x);
}

// A Xrgb8888 canvas whose pixels are Distinct(x, y).
std::unique_ptr<Canvas> DistinctCanvas(int width, int height) {
    auto canvas = std::make_unique<Canvas>(width, height, PixelLayout::Xrgb8888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            canvas->WritePixel(x, y, Distinct(x, y));
        }
    }
    return canvas;
}

std::uint32_t Rgb(std::uint32_t raw) {
    return raw & 0xFFFFFF;
}

// GDI's sampling: destination index i reads source index ceil((2i + 1) * srcLen / (2 * dstLen)) - 1, the pixel
// under i's centre, the lower one when the centre falls on a boundary.
constexpr int RuleSource(int i, int srcLen, int dstLen) {
    const std::int64_t numerator = (2 * std::int64_t{i} + 1) * srcLen, denominator = 2 * std::int64_t{dstLen};
    return int((numerator + denominator - 1) / denominator - 1);
}
static_assert(RuleSource(2, 2, 5) == 0 && RuleSource(3, 2, 5) == 1 && RuleSource(4, 4, 6) == 2,
              "2 -> 5 reads 0 0 0 1 1, 4 -> 6 reads 0 0 1 2 2 3");

// White at 0, red at 3, black at 7, grey elsewhere: black is not index 0, and grey repeats.
Palette MarkedPalette() {
    Palette palette{};
    std::fill(std::begin(palette.rgb), std::end(palette.rgb), 0x808080);
    palette.rgb[0] = 0xFFFFFF;
    palette.rgb[3] = 0xFF0000;
    palette.rgb[7] = 0x000000;
    return palette;
}

// Stretches a distinct source onto a white Xrgb8888 destination and compares every destination pixel with the
// rule (black where it reads outside the source, white outside dstRect). Returns the mismatches, the first reported.
int CountRuleMismatches(int srcW, int srcH, const RECT& srcRect, int dstW, int dstH, const RECT& dstRect) {
    const auto src = DistinctCanvas(srcW, srcH);
    Canvas dst(dstW, dstH, PixelLayout::Xrgb8888);
    plat::FillRect(dst, RECT{0, 0, dstW, dstH}, kWhite);
    plat::StretchCopy(dst, dstRect, *src, srcRect);
    // Other parts composite straight from Image(): a scaled copy must not leave its transform behind.
    Canvas plain(srcW, srcH, PixelLayout::Xrgb8888);
    pixman_image_composite32(PIXMAN_OP_SRC, src->Image(), nullptr, plain.Image(), 0, 0, 0, 0, 0, 0, srcW, srcH);
    EXPECT_EQ(Rgb(plain.ReadPixel(srcW - 1, srcH - 1)), Distinct(srcW - 1, srcH - 1)) << "source left transformed";
    const int rectW = dstRect.right - dstRect.left, rectH = dstRect.bottom - dstRect.top;
    int mismatches = 0;
    for (int y = 0; y < dstH; ++y) {
        for (int x = 0; x < dstW; ++x) {
            const int i = x - dstRect.left, j = y - dstRect.top;
            std::uint32_t expected = kWhite;
            if (i >= 0 && i < rectW && j >= 0 && j < rectH) {
                const int sx = srcRect.left + RuleSource(i, srcRect.right - srcRect.left, rectW);
                const int sy = srcRect.top + RuleSource(j, srcRect.bottom - srcRect.top, rectH);
                expected = sx >= 0 && sx < srcW && sy >= 0 && sy < srcH ? Distinct(sx, sy) : 0;
            }
            const std::uint32_t got = Rgb(dst.ReadPixel(x, y));
            if (got != expected && ++mismatches == 1) {
                ADD_FAILURE() << srcW << "x" << srcH << " -> " << dstW << "x" << dstH << " at (" << x << "," << y
                              << "): expected 0x" << std::hex << expected << ", got 0x" << got;
            }
        }
    }
    return mismatches;
}

TEST(Canvas, RefusesInvalidSizesAndRectangles) {
    const std::pair<int, int> sizes[] = {{0, 1}, {1, 0}, {-4, 4}, {4, -4}, {16385, 1}, {1, 16385}, {16384, 4097}};
    for (const auto& [width, height] : sizes) {
        const Canvas canvas(width, height, PixelLayout::Xrgb8888);
        EXPECT_TRUE(!canvas.Valid() && canvas.Width() * canvas.Height() == 0)
            << width << "x" << height << ": expected a refused 0 x 0 canvas, got " << canvas.Width() << " x "
            << canvas.Height() << (canvas.Valid() ? ", valid" : "");
    }
    EXPECT_TRUE(Canvas(16384, 1, PixelLayout::Xrgb8888).Valid()) << "16384 wide is the limit, not beyond it";

    constexpr LONG kMin = std::numeric_limits<LONG>::min(), kMax = std::numeric_limits<LONG>::max();
    const std::pair<RECT, RECT> copies[] = {
        {{0, 0, 0, 4}, {0, 0, 4, 4}}, {{0, 0, 4, 4}, {2, 0, 2, 4}},       {{4, 0, 0, 4}, {0, 0, 4, 4}},
        {{0, 0, 4, 4}, {0, 4, 4, 0}}, {{kMin, 0, kMax, 4}, {0, 0, 4, 4}}, {{0, 0, 4, 4}, {0, kMin, 4, kMax}},
    };
    const auto src = DistinctCanvas(4, 4);
    Canvas dst(4, 4, PixelLayout::Xrgb8888);
    for (const auto& [dstRect, srcRect] : copies) {
        plat::StretchCopy(dst, dstRect, *src, srcRect);
    }
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            ASSERT_EQ(dst.ReadPixel(x, y), 0u) << "at (" << x << "," << y << "): empty or absurd copies draw nothing";
        }
    }
}

// Each layout's raw value and shown colour for RGB(0xFF, 0x80, 0x08), filled clipped to the canvas.
TEST(CanvasFill, EachLayoutStoresItsRawValueInsideTheClippedRect) {
    const struct {
        PixelLayout layout;
        std::uint32_t pixel;
        COLORREF shown;
    } cases[] = {
        {PixelLayout::Indexed8, 0xF0, RGB(0xFF, 0x92, 0x00)},  // nearest of the 3-3-2 palette
        {PixelLayout::Rgb555, 0x7E01, RGB(0xFF, 0x84, 0x08)},
        {PixelLayout::Rgb565, 0xFC01, RGB(0xFF, 0x82, 0x08)},
        {PixelLayout::Rgb888, 0xFF8008, RGB(0xFF, 0x80, 0x08)},
        {PixelLayout::Xrgb8888, 0xFF8008, RGB(0xFF, 0x80, 0x08)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("layout " + std::to_string(int(c.layout)));
        Canvas canvas(6, 4, c.layout);
        const std::uint32_t pixel = canvas.MapColor(RGB(0xFF, 0x80, 0x08));
        EXPECT_EQ(pixel, c.pixel);
        EXPECT_EQ(canvas.PixelColor(pixel), c.shown);
        plat::FillRect(canvas, RECT{-3, 1, 4, 100}, pixel);
        plat::FillRect(canvas, RECT{6, 0, 9, 4}, 1);  // wholly outside
        plat::FillRect(canvas, RECT{5, 3, 4, 2}, 2);  // inverted
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x) {
                ASSERT_EQ(canvas.ReadPixel(x, y), x < 4 && y >= 1 ? pixel : 0u) << "at (" << x << "," << y << ")";
            }
        }
        const std::uint8_t* stored = canvas.Bits() + 3 * canvas.Pitch() + 3 * canvas.BitsPerPixel() / 8;
        EXPECT_EQ(std::memcmp(stored, &c.pixel, canvas.BitsPerPixel() / 8), 0) << "(3,3): expected little-endian bytes";
    }
}

TEST(CanvasStretch, AnyRatioSamplesAsGdiDoes) {
    int mismatches = 0;
    for (const int s : {1, 2, 3, 5, 7, 64, 333, 640}) {
        for (const int d : {1, 2, 3, 5, 6, 11, 31, 99, 598, 1000}) {
            mismatches += CountRuleMismatches(s, 2, RECT{0, 0, s, 2}, d, 3, RECT{0, 0, d, 3});
            mismatches += CountRuleMismatches(2, s, RECT{0, 0, 2, s}, 3, d, RECT{0, 0, 3, d});
        }
    }
    // Long axes, where 16.16 fixed point alone drifts by whole pixels; and inner rectangles.
    mismatches += CountRuleMismatches(16383, 1, RECT{0, 0, 16383, 1}, 16384, 1, RECT{0, 0, 16384, 1});
    mismatches += CountRuleMismatches(16384, 1, RECT{0, 0, 16384, 1}, 12347, 1, RECT{0, 0, 12347, 1});
    mismatches += CountRuleMismatches(3, 1, RECT{0, 0, 3, 1}, 16381, 1, RECT{0, 0, 16381, 1});
    mismatches += CountRuleMismatches(60, 45, RECT{0, 0, 60, 45}, 640, 480, RECT{21, 16, 619, 464});
    mismatches += CountRuleMismatches(50, 40, RECT{7, 5, 38, 31}, 90, 70, RECT{3, 9, 80, 66});
    EXPECT_EQ(mismatches, 0);
}

TEST(CanvasStretch, PartlyOutsideKeepsTheMappingAndReadsBlack) {
    EXPECT_EQ(CountRuleMismatches(10, 10, RECT{0, 0, 10, 10}, 20, 12, RECT{-7, -3, 23, 17}), 0) << "destination";
    EXPECT_EQ(CountRuleMismatches(10, 10, RECT{0, 0, 10, 10}, 20, 12, RECT{-7, -3, 13, 7}), 0) << "destination 1:1";
    EXPECT_EQ(CountRuleMismatches(8, 8, RECT{-4, -4, 12, 12}, 32, 32, RECT{0, 0, 32, 32}), 0) << "source";
    EXPECT_EQ(CountRuleMismatches(8, 8, RECT{-4, 3, 4, 11}, 10, 10, RECT{1, 1, 9, 9}), 0) << "source 1:1";
    EXPECT_EQ(CountRuleMismatches(8, 8, RECT{20, 0, 28, 8}, 10, 10, RECT{0, 0, 10, 10}), 0) << "wholly outside";
}

TEST(CanvasConversion, ThirtyTwoToSixteenTruncatesAndToEightTakesTheNearestEntry) {
    const Palette marked = MarkedPalette();
    const std::uint32_t colors[] = {0x000000, 0xFFFFFF, 0xFF8008, 0x249255, 0xFA0A64};
    const struct {
        PixelLayout layout;
        const Palette* palette;
        std::uint32_t pixels[5];
    } cases[] = {
        {PixelLayout::Rgb565, nullptr, {0x0000, 0xFFFF, 0xFC01, 0x248A, 0xF84C}},
        {PixelLayout::Rgb555, nullptr, {0x0000, 0x7FFF, 0x7E01, 0x124A, 0x7C2C}},
        {PixelLayout::Indexed8, nullptr, {0x00, 0xFF, 0xF0, 0x31, 0xE1}},
        {PixelLayout::Indexed8, &marked, {7, 0, 3, 1, 3}},  // grey repeats from entry 1: the lowest index wins
    };
    Canvas src(5, 1, PixelLayout::Xrgb8888);
    for (int x = 0; x < 5; ++x) {
        src.WritePixel(x, 0, colors[x]);
    }
    for (const auto& c : cases) {
        for (const int factor : {1, 3}) {
            Canvas dst(5 * factor, 1, c.layout, c.palette);
            plat::StretchCopy(dst, RECT{0, 0, 5 * factor, 1}, src, RECT{0, 0, 5, 1});
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(dst.ReadPixel(x * factor, 0), c.pixels[x])
                    << "layout " << int(c.layout) << " x" << factor << ", colour 0x" << std::hex << colors[x];
            }
        }
    }
}

TEST(CanvasConversion, EightShowsItsPaletteAndKeepsIndicesBetweenEqualPalettes) {
    const Palette marked = MarkedPalette();
    Canvas src(8, 1, PixelLayout::Indexed8, &marked);
    for (int x = 0; x < 8; ++x) {
        src.WritePixel(x, 0, std::uint32_t(x));
    }
    for (const int factor : {1, 2}) {
        Canvas wide(8 * factor, 2, PixelLayout::Xrgb8888);
        plat::StretchCopy(wide, RECT{0, 0, 8 * factor, 2}, src, RECT{0, 0, 8, 1});
        Canvas same(8 * factor, 2, PixelLayout::Indexed8, &marked);
        plat::StretchCopy(same, RECT{0, 0, 8 * factor, 2}, src, RECT{0, 0, 8, 1});
        for (int x = 0; x < 8 * factor; ++x) {
            EXPECT_EQ(Rgb(wide.ReadPixel(x, 1)), marked.rgb[x / factor]) << "x" << factor << " column " << x;
            EXPECT_EQ(same.ReadPixel(x, 1), std::uint32_t(x / factor))
                << "x" << factor << " column " << x << ": index kept between equal palettes";
        }
    }
    Canvas other(8, 1, PixelLayout::Indexed8);
    plat::StretchCopy(other, RECT{0, 0, 8, 1}, src, RECT{0, 0, 8, 1});
    EXPECT_EQ(other.ReadPixel(0, 0), 0xFFu) << "white becomes the 3-3-2 white";
    EXPECT_EQ(other.ReadPixel(3, 0), 0xE0u) << "red becomes the 3-3-2 red";
}

}  // namespace
