// gdi_test.cpp -- GDI through its API: bitmaps loaded from BMP files, BitBlt and StretchBlt out of memory DCs,
// Rectangle on bitmaps and surfaces. (Selecting objects back: the painter's unit test.)
#include "api_helpers.h"

namespace {

using namespace apitest;
using Rows = std::vector<std::vector<std::uint32_t>>;

class GdiTest : public ApiTest {
protected:
    // A bottom-up 24-bit file of `rows` (0x00RRGGBB, top row first), loaded and selected into a memory DC.
    HDC LoadedDC(const std::string& name, const Rows& rows) {
        const auto value = [&](int x, int y) { return rows[std::size_t(y)][std::size_t(x)]; };
        const HBITMAP bitmap = Load(WriteBmp(name, bmptest::Grid(24, value, int(rows[0].size()), int(rows.size()))));
        EXPECT_NE(nullptr, bitmap) << "loading " << name;
        return MemoryDC(bitmap);
    }

    HDC WhiteBitmapDC(int size) {
        return LoadedDC("white.bmp", Rows(size, std::vector<std::uint32_t>(size, 0xFFFFFF)));
    }
};

std::uint32_t FileValue(COLORREF color) {
    return GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
}

// As the system copies a loaded bitmap into a surface: BitBlt from a memory DC into the surface's DC, from a
// 24-bit file and from an 8-bit one whose colour table holds the same colours.
TEST_F(GdiTest, BitBltFromLoadedBitmapIntoSurfacesConvertsColours) {
    Rows row(1);
    for (const Color16& c : kColors16) {
        row[0].push_back(FileValue(c.color));
    }
    bmptest::BmpParts indexed;
    indexed.width = int(row[0].size());
    indexed.bitCount = 8;
    indexed.colorsUsed = std::uint32_t(row[0].size());
    indexed.colors = row[0];
    indexed.pixels = bmptest::PackRows({{0, 1, 2, 3, 4, 5}}, 8);
    const HDC sources[] = {LoadedDC("colours.bmp", row), MemoryDC(Load(WriteBmp("indexed.bmp", indexed)))};
    ASSERT_TRUE(StartDirectDraw(32));
    for (const DWORD bitsPerPixel : {32u, 16u}) {
        ASSERT_EQ(DD_OK, ddraw_->SetDisplayMode(640, 480, bitsPerPixel)) << bitsPerPixel << "-bit mode";
        for (const HDC source : sources) {
            const std::string name = std::string(source == sources[0] ? "24" : "8") + "-bit file into a " +
                                     std::to_string(bitsPerPixel) + "-bit surface";
            IDirectDrawSurface* surface = Offscreen(8, 1);
            HDC dc = nullptr;
            ASSERT_TRUE(surface && surface->GetDC(&dc) == DD_OK) << name;
            EXPECT_TRUE(BitBlt(dc, 0, 0, 6, 1, source, 0, 0, SRCCOPY)) << name;
            ASSERT_EQ(DD_OK, surface->ReleaseDC(dc)) << name;
            ExpectSurfacePixels(name, surface, RECT{0, 0, 6, 1}, [&](int x, int) {
                return bitsPerPixel == 16 ? kColors16[x].pixel16 : FileValue(kColors16[x].color);
            });
        }
    }
}

// Source indices behind destination pixel i when s pixels stretch to d: when enlarging, the one whose centre is
// nearest (the lower on a tie); when shrinking, every one whose centre falls on i (the default mode ANDs them).
std::vector<int> SourcesOf(int i, int s, int d) {
    const auto landing = [](int j, int from, int to) { return ((2 * j + 1) * to + 2 * from - 1) / (2 * from) - 1; };
    if (d >= s) {
        return {landing(i, d, s)};
    }
    std::vector<int> sources;
    for (int j = 0; j < s; ++j) {
        if (landing(j, s, d) == i) {
            sources.push_back(j);
        }
    }
    return sources;
}

// A different colour for each pixel of a size x size image: RGB(0x40 + x, 0x40 + y, 0x80).
Rows DistinctRows(int size) {
    Rows rows(size, std::vector<std::uint32_t>(size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            rows[y][x] = FileValue(RGB(0x40 + x, 0x40 + y, 0x80));
        }
    }
    return rows;
}

DWORD To565(std::uint32_t rgb) {
    return (rgb >> 19 & 31) << 11 | (rgb >> 10 & 63) << 5 | (rgb >> 3 & 31);
}

TEST_F(GdiTest, StretchBltEnlargesByCentreSamplingLowerIndexOnTies) {
    const struct {
        int source;
        int dest;
        bool vertical;
    } cases[] = {{2, 5, false}, {3, 7, false}, {4, 6, false}, {2, 5, true}, {4, 6, true}};
    const HDC source = LoadedDC("distinct.bmp", DistinctRows(7));
    for (const auto& c : cases) {
        const std::string name = std::to_string(c.source) + "->" + std::to_string(c.dest) + (c.vertical ? " V" : " H");
        const HDC dest = WhiteBitmapDC(8);
        const int w = c.vertical ? 1 : c.dest, h = c.vertical ? c.dest : 1;
        EXPECT_TRUE(
            StretchBlt(dest, 0, 0, w, h, source, 0, 0, c.vertical ? 1 : c.source, c.vertical ? c.source : 1, SRCCOPY))
            << name;
        ExpectPixels(
            name, RECT{0, 0, w + 1, h + 1}, [&](int x, int y) { return GetPixel(dest, x, y); },
            [&](int x, int y) -> DWORD {
                if (x >= w || y >= h) {
                    return 0xFFFFFF;
                }
                const int picked = SourcesOf(c.vertical ? y : x, c.source, c.dest)[0];
                return c.vertical ? RGB(0x40, 0x40 + picked, 0x80) : RGB(0x40 + picked, 0x40, 0x80);
            });
    }
}

// As the system copies a bitmap over a whole surface: StretchBlt of a part of a loaded bitmap into the surface's DC,
// enlarged across and shrunk down, into 32- and 16-bit surfaces.
TEST_F(GdiTest, StretchBltFromLoadedBitmapIntoSurfaces) {
    const Rows distinct = DistinctRows(7);
    const HDC source = LoadedDC("distinct.bmp", distinct);
    const RECT from{1, 2, 4, 7};
    const int fromWidth = 3, fromHeight = 5, width = 7, height = 2;
    const auto expected = [&](int x, int y) {
        std::uint32_t anded = 0xFFFFFF;
        for (int sy : SourcesOf(y, fromHeight, height)) {
            for (int sx : SourcesOf(x, fromWidth, width)) {
                anded &= distinct[from.top + sy][from.left + sx];
            }
        }
        return anded;
    };
    ASSERT_TRUE(StartDirectDraw(32));
    for (const DWORD bitsPerPixel : {32u, 16u}) {
        const std::string name = "3x5 -> 7x2 into a " + std::to_string(bitsPerPixel) + "-bit surface";
        ASSERT_EQ(DD_OK, ddraw_->SetDisplayMode(640, 480, bitsPerPixel)) << name;
        IDirectDrawSurface* surface = Offscreen(width, height);
        HDC dc = nullptr;
        ASSERT_TRUE(surface && surface->GetDC(&dc) == DD_OK) << name;
        EXPECT_TRUE(StretchBlt(dc, 0, 0, width, height, source, from.left, from.top, fromWidth, fromHeight, SRCCOPY))
            << name;
        ASSERT_EQ(DD_OK, surface->ReleaseDC(dc)) << name;
        ExpectSurfacePixels(name, surface, RECT{0, 0, width, height},
                            [&](int x, int y) { return bitsPerPixel == 16 ? To565(expected(x, y)) : expected(x, y); });
    }
}

// Rectangle on a bitmap and on a surface's DC: the brush inside `brush`, the pen over the rest of `pen` (half-open).
TEST_F(GdiTest, RectanglePaintsPenBandsAndBrushNormalisedOrDegenerate) {
    const struct {
        const char* name;
        RECT drawn;
        int penWidth;
        RECT pen;
        RECT brush;
    } cases[] = {
        {"(20,16,10,10) w=1", {20, 16, 10, 10}, 1, {10, 10, 20, 16}, {11, 11, 19, 15}},
        {"(20,10,10,16) w=2", {20, 10, 10, 16}, 2, {9, 9, 20, 16}, {11, 11, 18, 14}},
        {"whole 24x24 w=2", {0, 0, 24, 24}, 2, {0, 0, 24, 24}, {1, 1, 22, 22}},
        {"(14,14,25,25) w=2 over the edge", {14, 14, 25, 25}, 2, {13, 13, 24, 24}, {15, 15, 23, 23}},
        {"1x1 w=1 draws nothing", {10, 10, 11, 11}, 1, {}, {}},
        {"1x1 w=2", {10, 10, 11, 11}, 2, {9, 9, 11, 11}, {}},
        {"1 wide w=1", {10, 10, 11, 16}, 1, {10, 10, 11, 16}, {}},
        {"zero width w=2 draws nothing", {10, 10, 10, 16}, 2, {}, {}},
    };
    const COLORREF penColor = RGB(255, 0, 0), brushColor = RGB(0, 0, 255);
    ASSERT_TRUE(StartDirectDraw(32));
    for (const auto& c : cases) {
        const auto painted = [&](int x, int y, COLORREF background) {
            return Holds(c.brush, x, y) ? brushColor : Holds(c.pen, x, y) ? penColor : background;
        };
        const HDC dc = WhiteBitmapDC(24);
        EXPECT_TRUE(DrawRectangle(dc, c.drawn, c.penWidth, penColor, brushColor)) << c.name;
        ExpectPixels(
            std::string(c.name) + " on a bitmap", RECT{0, 0, 24, 24}, [&](int x, int y) { return GetPixel(dc, x, y); },
            [&](int x, int y) { return painted(x, y, RGB(255, 255, 255)); });
        IDirectDrawSurface* surface = Offscreen(24, 24);
        HDC surfaceDC = nullptr;
        ASSERT_TRUE(surface && ColorFill(surface, nullptr, 0) == DD_OK && surface->GetDC(&surfaceDC) == DD_OK);
        EXPECT_TRUE(DrawRectangle(surfaceDC, c.drawn, c.penWidth, penColor, brushColor)) << c.name;
        ASSERT_EQ(DD_OK, surface->ReleaseDC(surfaceDC)) << c.name;
        ExpectSurfacePixels(std::string(c.name) + " on a surface", surface, RECT{0, 0, 24, 24},
                            [&](int x, int y) { return FileValue(painted(x, y, RGB(0, 0, 0))); });
    }
}

}  // namespace
