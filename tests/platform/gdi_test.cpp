// gdi_test.cpp -- GDI through its API: bitmaps loaded from BMP files, BitBlt and StretchBlt out of memory DCs,
// Rectangle on bitmaps and surfaces, selecting and deleting objects.
#include "api_helpers.h"
#include "bmp_builder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using namespace apitest;
using Rows = std::vector<std::vector<std::uint32_t>>;

class GdiTest : public ApiTest {
protected:
    void TearDown() override {
        for (HDC dc : dcs_) {
            DeleteDC(dc);
        }
        for (HBITMAP bitmap : bitmaps_) {
            DeleteObject(bitmap);
        }
        for (const std::string& path : files_) {
            std::remove(path.c_str());
        }
        ApiTest::TearDown();
    }

    // A path in the temporary folder, named after the test and removed when it ends.
    std::string TempPath(const std::string& name) {
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        files_.push_back((std::filesystem::temp_directory_path() / ("tamberlyn_" + test + "_" + name)).string());
        return files_.back();
    }

    std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = TempPath(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    // A bottom-up BI_RGB file of `rows`, top row first: 0x00RRGGBB values, or indices into a grey ramp.
    std::string WriteBmp(const std::string& name, int bitCount, Rows rows) {
        bmptest::BmpParts parts;
        parts.width = int(rows[0].size());
        parts.height = int(rows.size());
        parts.bitCount = std::uint16_t(bitCount);
        for (int i = 0; bitCount <= 8 && i < (1 << bitCount); ++i) {
            parts.colors.push_back(0x010101u * std::uint32_t(i * 255 / ((1 << bitCount) - 1)));
        }
        std::reverse(rows.begin(), rows.end());
        parts.pixels = bmptest::PackRows(rows, bitCount);
        return WriteFile(name, bmptest::BuildBmp(parts));
    }

    HBITMAP Load(const std::string& path) {
        const auto bitmap = static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        if (bitmap) {
            bitmaps_.push_back(bitmap);
        }
        return bitmap;
    }

    HDC MemoryDC(HBITMAP selected = nullptr) {
        const HDC dc = CreateCompatibleDC(nullptr);
        EXPECT_NE(nullptr, dc) << "CreateCompatibleDC(NULL)";
        dcs_.push_back(dc);
        if (selected) {
            EXPECT_NE(nullptr, SelectObject(dc, selected)) << "selecting a loaded bitmap";
        }
        return dc;
    }

    HDC WhiteBitmapDC(int size) {
        const HBITMAP bitmap = Load(WriteBmp("white.bmp", 24, Rows(size, std::vector<std::uint32_t>(size, 0xFFFFFF))));
        EXPECT_NE(nullptr, bitmap);
        return MemoryDC(bitmap);
    }

private:
    std::vector<HDC> dcs_;
    std::vector<HBITMAP> bitmaps_;
    std::vector<std::string> files_;
};

std::uint32_t FileValue(COLORREF color) { return GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color); }

TEST_F(GdiTest, LoadImageFromFileGivesDibSectionOfTheFileDepth) {
    const struct {
        int bitCount;
        LONG widthBytes;  // DWORD-aligned rows of 5 pixels
    } cases[] = {{1, 4}, {4, 4}, {8, 8}, {16, 12}, {24, 16}, {32, 20}};
    for (const auto& c : cases) {
        const std::uint32_t mask = (1u << std::min(c.bitCount, 24)) - 1;
        Rows rows(3, std::vector<std::uint32_t>(5));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                rows[y][x] = std::uint32_t(x + 2 * y) * 0x010305u & mask;
            }
        }
        const HBITMAP bitmap = Load(WriteBmp(std::to_string(c.bitCount) + ".bmp", c.bitCount, rows));
        SCOPED_TRACE(std::to_string(c.bitCount) + "-bit file");
        ASSERT_NE(nullptr, bitmap);
        BITMAP bm{};
        ASSERT_EQ(int(sizeof bm), GetObjectA(bitmap, sizeof bm, &bm));
        const std::vector<LONG> expected{0, 5, 3, c.widthBytes, 1, c.bitCount};
        EXPECT_EQ(expected, (std::vector<LONG>{bm.bmType, bm.bmWidth, bm.bmHeight, bm.bmWidthBytes, bm.bmPlanes,
                                               bm.bmBitsPixel}))
            << "type, width, height, bytes a row, planes, bits a pixel";
        EXPECT_NE(nullptr, bm.bmBits);
    }
}

TEST_F(GdiTest, LoadImageRefusesMissingAndGarbageFilesAndResources) {
    EXPECT_EQ(nullptr, Load(TempPath("missing.bmp"))) << "missing file";
    EXPECT_EQ(nullptr, Load(WriteFile("garbage.bmp", {'B', 'M', 0x36, 0, 0, 0, 0, 0, 7, 7, 7}))) << "garbage file";
    EXPECT_EQ(nullptr, LoadImageA(GetModuleHandleA(nullptr), "TAMBERLYN_NO_SUCH_BITMAP", IMAGE_BITMAP, 0, 0,
                                  LR_CREATEDIBSECTION))
        << "resource form";
}

TEST_F(GdiTest, BitBltFromLoadedBitmapIntoSurfacesConvertsColours) {
    Rows row(1);
    for (const Color16& c : kColors16) {
        row[0].push_back(FileValue(c.color));
    }
    const HDC source = MemoryDC(Load(WriteBmp("colours.bmp", 24, row)));
    ASSERT_TRUE(StartDirectDraw(32));
    for (const DWORD bitsPerPixel : {32u, 16u}) {
        const std::string name = std::to_string(bitsPerPixel) + "-bit surface";
        ASSERT_EQ(DD_OK, ddraw_->SetDisplayMode(640, 480, bitsPerPixel)) << name;
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

TEST_F(GdiTest, StretchBltEnlargesByCentreSamplingLowerIndexOnTies) {
    const struct {
        int source;
        int dest;
        bool vertical;
    } cases[] = {{2, 5, false}, {3, 7, false}, {4, 6, false}, {2, 5, true}, {4, 6, true}};
    Rows distinct(7, std::vector<std::uint32_t>(7));
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x) {
            distinct[y][x] = FileValue(RGB(0x40 + x, 0x40 + y, 0x80));
        }
    }
    const HDC source = MemoryDC(Load(WriteBmp("distinct.bmp", 24, distinct)));
    for (const auto& c : cases) {
        const std::string name = std::to_string(c.source) + "->" + std::to_string(c.dest) + (c.vertical ? " V" : " H");
        const HDC dest = WhiteBitmapDC(8);
        const int w = c.vertical ? 1 : c.dest, h = c.vertical ? c.dest : 1;
        EXPECT_TRUE(StretchBlt(dest, 0, 0, w, h, source, 0, 0, c.vertical ? 1 : c.source, c.vertical ? c.source : 1,
                               SRCCOPY))
            << name;
        // Destination i reads source ceil((2i + 1) * s / 2d) - 1.
        const auto picked = [&](int i) { return ((2 * i + 1) * c.source + 2 * c.dest - 1) / (2 * c.dest) - 1; };
        ExpectPixels(name, RECT{0, 0, w + 1, h + 1}, [&](int x, int y) { return GetPixel(dest, x, y); },
                     [&](int x, int y) -> DWORD {
                         if (x >= w || y >= h) {
                             return 0xFFFFFF;
                         }
                         return c.vertical ? RGB(0x40, 0x40 + picked(y), 0x80) : RGB(0x40 + picked(x), 0x40, 0x80);
                     });
    }
}

// Shrinking in the default stretching mode ANDs the source pixels that fall on one destination pixel.
TEST_F(GdiTest, StretchBltShrinkingCombinesPixelsWithAnd) {
    const COLORREF colours[] = {RGB(255, 255, 0), RGB(0, 255, 255), RGB(255, 0, 255), RGB(255, 255, 255)};
    Rows row(1);
    for (const COLORREF colour : colours) {
        row[0].push_back(FileValue(colour));
    }
    const HDC source = MemoryDC(Load(WriteBmp("shrink.bmp", 24, row)));
    const HDC dest = WhiteBitmapDC(8);
    EXPECT_TRUE(StretchBlt(dest, 0, 0, 2, 1, source, 0, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(RGB(0, 255, 0), GetPixel(dest, 0, 0)) << "pixels 0 and 1 ANDed";
    EXPECT_EQ(RGB(255, 0, 255), GetPixel(dest, 1, 0)) << "pixels 2 and 3 ANDed";
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dest, 2, 0)) << "outside the destination rectangle";
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
        ExpectPixels(std::string(c.name) + " on a bitmap", RECT{0, 0, 24, 24},
                     [&](int x, int y) { return GetPixel(dc, x, y); },
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

TEST_F(GdiTest, SelectObjectReturnsDisplacedObjectAndDeleteObjectFreesBrush) {
    const HDC dc = MemoryDC();
    const HBRUSH first = CreateSolidBrush(RGB(1, 2, 3)), second = CreateSolidBrush(RGB(4, 5, 6));
    const HPEN pen = CreatePen(PS_SOLID, 1, RGB(7, 8, 9));
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), SelectObject(dc, first)) << "a new DC holds WHITE_BRUSH";
    EXPECT_EQ(HGDIOBJ(first), SelectObject(dc, second));
    EXPECT_EQ(HGDIOBJ(second), SelectObject(dc, GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(GetStockObject(BLACK_PEN), SelectObject(dc, pen)) << "a new DC holds BLACK_PEN";
    EXPECT_EQ(HGDIOBJ(pen), SelectObject(dc, GetStockObject(BLACK_PEN)));
    LOGBRUSH logBrush{};
    EXPECT_EQ(int(sizeof logBrush), GetObjectA(first, sizeof logBrush, &logBrush));
    EXPECT_EQ(RGB(1, 2, 3), logBrush.lbColor);
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_EQ(0, GetObjectA(first, sizeof logBrush, &logBrush)) << "GetObjectA of a deleted brush";
    EXPECT_TRUE(DeleteObject(second));
    EXPECT_TRUE(DeleteObject(pen));
    const HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    ASSERT_NE(nullptr, black);
    EXPECT_EQ(int(sizeof logBrush), GetObjectA(black, sizeof logBrush, &logBrush));
    EXPECT_EQ(RGB(0, 0, 0), logBrush.lbColor) << "BLACK_BRUSH";
}

}  // namespace
