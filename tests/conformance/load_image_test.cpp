// load_image_test.cpp -- LoadImageA on BMP files of every kind the format allows, what GetObjectA tells of the
// bitmaps, and files that are not BMP files.
#include "bitmap_files.h"
#include "on_wine.h"

#include <algorithm>
#include <functional>

namespace {

using namespace apitest;
using Grid = std::vector<std::vector<std::uint32_t>>;  // top row first

constexpr int kWidth = 5;  // odd, so that every depth pads its rows
constexpr int kHeight = 3;

// Colour-table entry i: 0x00RRGGBB, a different colour for each of 16 entries.
std::uint32_t TableColor(int i) {
    return std::uint32_t(17 * i) << 16 | std::uint32_t(255 - 17 * i) << 8 | std::uint32_t(i * 53 & 0xFF);
}

COLORREF ColorOf(std::uint32_t rgb) {
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

// A 5-bit channel widened to 8 bits by repeating its top bits, as reading a 16-bit pixel back does.
int Widen5(int value) {
    return value << 3 | value >> 2;
}
int Widen6(int value) {
    return value << 2 | value >> 4;
}

Grid MakeGrid(const std::function<std::uint32_t(int x, int y)>& value) {
    Grid grid(kHeight, std::vector<std::uint32_t>(kWidth));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            grid[y][x] = value(x, y);
        }
    }
    return grid;
}

// BI_RGB rows of `grid` in the file's bottom-up order.
std::vector<std::uint8_t> BottomUp(Grid grid, int bitCount) {
    std::reverse(grid.begin(), grid.end());
    return bmptest::PackRows(grid, bitCount);
}

std::vector<std::uint32_t> Table(int entries) {
    std::vector<std::uint32_t> table;
    for (int i = 0; i < entries; ++i) {
        table.push_back(TableColor(i));
    }
    return table;
}

// A file whose pixels are indices (x + 2y) into a colour table of `bitCount` bits.
bmptest::BmpParts Indexed(int bitCount) {
    bmptest::BmpParts parts;
    parts.width = kWidth;
    parts.height = kHeight;
    parts.bitCount = std::uint16_t(bitCount);
    parts.colors = Table(1 << bitCount);
    const auto index = [&](int x, int y) { return std::uint32_t(x + 2 * y) % (1u << bitCount); };
    parts.pixels = BottomUp(MakeGrid(index), bitCount);
    return parts;
}

COLORREF IndexedColor(int bitCount, int x, int y) {
    return ColorOf(TableColor((x + 2 * y) % (1 << bitCount)));
}

// 16-bit pixels with 5-bit red, green and blue: 0RRRRRGGGGGBBBBB.
std::uint32_t Pixel555(int x, int y) {
    return std::uint32_t(x * 7 % 32) << 10 | std::uint32_t(y * 11 % 32) << 5 | 31;
}
COLORREF Color555(int x, int y) {
    return RGB(Widen5(x * 7 % 32), Widen5(y * 11 % 32), 255);
}

// 16-bit pixels with 6 bits of green: RRRRRGGGGGGBBBBB.
std::uint32_t Pixel565(int x, int y) {
    return std::uint32_t(x * 7 % 32) << 11 | std::uint32_t(y * 21 + 1) << 5 | 31;
}
COLORREF Color565(int x, int y) {
    return RGB(Widen5(x * 7 % 32), Widen6(y * 21 + 1), 255);
}

std::uint32_t Rgb24(int x, int y) {
    return std::uint32_t(0x10 + x) << 16 | std::uint32_t(0x20 + y) << 8 | 0x30;
}

class LoadImageTest : public BitmapFileTest {
protected:
    // Loads the file and compares every pixel, read with GetPixel, with expected(x, y); gives the bitmap.
    HBITMAP ExpectImage(const std::string& name, const bmptest::BmpParts& parts,
                        const std::function<COLORREF(int x, int y)>& expected) {
        const HBITMAP bitmap = Load(WriteBmp(name + ".bmp", parts));
        EXPECT_NE(nullptr, bitmap) << name << ": LoadImageA gave NULL";
        if (bitmap) {
            const HDC dc = MemoryDC(bitmap);
            ExpectPixels(
                name, RECT{0, 0, kWidth, kHeight}, [&](int x, int y) { return GetPixel(dc, x, y); }, expected);
        }
        return bitmap;
    }
};

TEST_F(LoadImageTest, EveryDepthGivesDibSectionOfThatDepthWithDwordRows) {
    const struct {
        int bitCount;
        LONG widthBytes;  // 5 pixels a row
    } cases[] = {{1, 4}, {4, 4}, {8, 8}, {16, 12}, {24, 16}, {32, 20}};
    for (const auto& c : cases) {
        const std::string name = std::to_string(c.bitCount) + "-bit";
        SCOPED_TRACE(name);
        bmptest::BmpParts parts;
        std::function<COLORREF(int, int)> expected;
        switch (c.bitCount) {
            case 16:
                parts.pixels = BottomUp(MakeGrid(Pixel555), 16);
                expected = Color555;
                break;
            case 24:
            case 32:
                parts.pixels = BottomUp(MakeGrid(Rgb24), c.bitCount);
                expected = [](int x, int y) { return ColorOf(Rgb24(x, y)); };
                break;
            default:
                parts = Indexed(c.bitCount);
                expected = [&](int x, int y) { return IndexedColor(c.bitCount, x, y); };
        }
        parts.width = kWidth;
        parts.height = kHeight;
        parts.bitCount = std::uint16_t(c.bitCount);
        const HBITMAP bitmap = ExpectImage(name, parts, expected);
        BITMAP bm{};
        ASSERT_EQ(int(sizeof bm), GetObjectA(bitmap, sizeof bm, &bm));
        const std::vector<LONG> want{0, kWidth, kHeight, c.widthBytes, 1, c.bitCount};
        EXPECT_EQ(want,
                  (std::vector<LONG>{bm.bmType, bm.bmWidth, bm.bmHeight, bm.bmWidthBytes, bm.bmPlanes, bm.bmBitsPixel}))
            << "type, width, height, bytes a row, planes, bits a pixel";
        EXPECT_NE(nullptr, bm.bmBits) << "a DIB section's pixels";
    }
}

TEST_F(LoadImageTest, GetObjectFillsBitmapRecordOnlyWhenTheBufferHoldsIt) {
    const HBITMAP bitmap = Load(WriteBmp("24.bmp", [] {
        bmptest::BmpParts parts;
        parts.width = kWidth;
        parts.height = kHeight;
        parts.pixels = BottomUp(MakeGrid(Rgb24), 24);
        return parts;
    }()));
    ASSERT_NE(nullptr, bitmap);
    const int size = int(sizeof(BITMAP));
    EXPECT_EQ(size, GetObjectA(bitmap, 0, nullptr)) << "size asked for with no buffer";
    struct {
        BITMAP bm;
        DWORD beyond;
    } roomy{};
    roomy.beyond = 0xC0FFEE;
    EXPECT_EQ(size, GetObjectA(bitmap, int(sizeof roomy), &roomy)) << "a buffer bigger than BITMAP";
    EXPECT_EQ(kWidth, roomy.bm.bmWidth);
    EXPECT_EQ(0xC0FFEEu, roomy.beyond) << "bytes past the BITMAP record";
    BITMAP small{};
    small.bmWidth = -1;
    EXPECT_EQ(0, GetObjectA(bitmap, 10, &small)) << "a 10-byte buffer";
    EXPECT_EQ(-1, small.bmWidth) << "a too small buffer is left alone";
    const HGDIOBJ deleted =
        LoadImageA(nullptr, FilePath("24.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    ASSERT_NE(nullptr, deleted);
    ASSERT_TRUE(DeleteObject(deleted));
    EXPECT_EQ(0, GetObjectA(deleted, size, &small)) << "a deleted bitmap";
}

TEST_F(LoadImageTest, RunLengthEncodedFilesDecode) {
    // Bottom row: runs; middle row: an absolute run; top row: a delta past pixel 0, a run, then the end of the
    // bitmap before the row is full. Pixels a stream skips are index 0.
    bmptest::BmpParts rle8 = Indexed(8);
    rle8.compression = 1;
    rle8.pixels = {3, 1, 2, 2, 0, 0, 0, 5, 3, 4, 5, 6, 7, 0, 0, 0, 0, 2, 1, 0, 2, 8, 0, 1};
    const Grid indices8 = {{0, 8, 8, 0, 0}, {3, 4, 5, 6, 7}, {1, 1, 1, 2, 2}};
    ExpectImage("RLE8", rle8, [&](int x, int y) { return ColorOf(TableColor(int(indices8[y][x]))); });

    bmptest::BmpParts rle4 = Indexed(4);
    rle4.compression = 2;
    rle4.pixels = {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 4, 0x9A, 0, 1};
    const Grid indices4 = {{9, 10, 9, 10, 0}, {3, 4, 5, 6, 7}, {1, 2, 1, 2, 1}};
    ExpectImage("RLE4", rle4, [&](int x, int y) { return ColorOf(TableColor(int(indices4[y][x]))); });
}

TEST_F(LoadImageTest, BitFieldFilesUseTheirMasks) {
    bmptest::BmpParts parts;
    parts.width = kWidth;
    parts.height = kHeight;
    parts.compression = 3;
    parts.bitCount = 16;
    parts.masks = {0x7C00, 0x03E0, 0x001F};
    parts.pixels = BottomUp(MakeGrid(Pixel555), 16);
    ExpectImage("555 masks", parts, Color555);

    parts.masks = {0xF800, 0x07E0, 0x001F};
    parts.pixels = BottomUp(MakeGrid(Pixel565), 16);
    if (OnWine()) {
        // Wine's LoadImageA makes a 5-5-5 section of a 5-6-5 file, dropping green's lowest bit.
        ExpectImage("565 masks", parts,
                    [](int x, int y) { return RGB(Widen5(x * 7 % 32), Widen5((y * 21 + 1) / 2), 255); });
    } else {
        ExpectImage("565 masks", parts, Color565);
    }

    // Blue in the high byte and red in the low one, the reverse of BI_RGB's order.
    parts.bitCount = 32;
    parts.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    parts.pixels = BottomUp(MakeGrid([](int x, int y) {
                                const std::uint32_t rgb = Rgb24(x, y);
                                return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16;
                            }),
                            32);
    ExpectImage("32-bit reversed masks", parts, [](int x, int y) { return ColorOf(Rgb24(x, y)); });
}

TEST_F(LoadImageTest, TopDownCoreAndLargeHeaderFilesDecode) {
    bmptest::BmpParts topDown;
    topDown.width = kWidth;
    topDown.height = -kHeight;
    topDown.pixels = bmptest::PackRows(MakeGrid(Rgb24), 24);
    // Wine's LoadImageA gives a top-down BI_RGB file a bitmap of the right size with no pixels copied: all black.
    ExpectImage("top-down 24-bit", topDown,
                [](int x, int y) { return OnWine() ? RGB(0, 0, 0) : ColorOf(Rgb24(x, y)); });

    bmptest::BmpParts core = Indexed(8);
    core.headerSize = 12;
    ExpectImage("core header 8-bit", core, [](int x, int y) {
        const int index = (x + 2 * y) % 256;
        // Wine's LoadImageA reads an OS/2 colour table partly wrong: here entries 1 and 2 show entries 0 and 3.
        const int wineIndex = index == 1 ? 0 : index == 2 ? 3 : index;
        return ColorOf(TableColor(OnWine() ? wineIndex : index));
    });

    core.bitCount = 24;
    core.colors.clear();
    core.pixels = BottomUp(MakeGrid(Rgb24), 24);
    ExpectImage("core header 24-bit", core, [](int x, int y) { return ColorOf(Rgb24(x, y)); });

    bmptest::BmpParts v5 = Indexed(4);
    v5.headerSize = 124;
    ExpectImage("124-byte header 4-bit", v5, [](int x, int y) { return IndexedColor(4, x, y); });
}

TEST_F(LoadImageTest, ColourCountsAboveTheDepthUseTheFirstEntries) {
    // biClrUsed beyond 2^bitCount: the table holds that many entries, the pixels reach the first 2^bitCount. With
    // bfOffBits 0 the pixels follow the whole table.
    const struct {
        int bitCount;
        std::uint32_t colorsUsed;
        bool offBitsZero;
    } cases[] = {{1, 3, false}, {4, 20, false}, {8, 300, false}, {1, 3, true}, {4, 20, true}, {8, 300, true}};
    for (const auto& c : cases) {
        const std::string name = std::to_string(c.bitCount) + "-bit, " + std::to_string(c.colorsUsed) + " colours" +
                                 (c.offBitsZero ? ", bfOffBits 0" : "");
        bmptest::BmpParts parts = Indexed(c.bitCount);
        parts.colorsUsed = c.colorsUsed;
        parts.colors = Table(int(c.colorsUsed));
        if (c.offBitsZero) {
            parts.offBits = 0;
        }
        std::function<COLORREF(int, int)> expected = [&](int x, int y) { return IndexedColor(c.bitCount, x, y); };
        const std::vector<std::uint8_t> file = bmptest::BuildBmp(parts);
        if (OnWine() && c.offBitsZero && c.colorsUsed > 256) {
            // Wine's LoadImageA looks for the pixels after at most 256 entries, so it takes the table's last
            // entries for pixels (8-bit rows of 5 pixels: 8 bytes).
            expected = [&](int x, int y) {
                return ColorOf(TableColor(file.at(14 + 40 + 256 * 4 + std::size_t(kHeight - 1 - y) * 8 + x)));
            };
        }
        ExpectImage(name, parts, expected);
    }
}

TEST_F(LoadImageTest, FileEndingInsideTheLastRowsPaddingLoads) {
    // Some writers size the file without the padding of its last row; the pixels are all there.
    for (const int bitCount : {1, 4, 8, 16, 24}) {
        bmptest::BmpParts parts = bitCount <= 8 ? Indexed(bitCount) : bmptest::BmpParts{};
        parts.width = kWidth;
        parts.height = kHeight;
        parts.bitCount = std::uint16_t(bitCount);
        std::function<COLORREF(int, int)> expected = [&](int x, int y) { return IndexedColor(bitCount, x, y); };
        if (bitCount == 16) {
            parts.pixels = BottomUp(MakeGrid(Pixel555), 16);
            expected = Color555;
        } else if (bitCount == 24) {
            parts.pixels = BottomUp(MakeGrid(Rgb24), 24);
            expected = [](int x, int y) { return ColorOf(Rgb24(x, y)); };
        }
        const std::size_t rowBytes = (kWidth * bitCount + 31) / 32 * 4;
        const std::size_t lastRowUsed = (kWidth * bitCount + 7) / 8;
        parts.pixels.resize(parts.pixels.size() - rowBytes + lastRowUsed);
        ExpectImage(std::to_string(bitCount) + "-bit without the last padding", parts, expected);
    }
}

TEST_F(LoadImageTest, MissingFilesAndResourcesGiveNull) {
    EXPECT_EQ(nullptr, Load(FilePath("missing.bmp"))) << "missing file";
    EXPECT_EQ(nullptr, LoadImageA(GetModuleHandleA(nullptr), "TAMBERLYN_NO_SUCH_BITMAP", IMAGE_BITMAP, 0, 0,
                                  LR_CREATEDIBSECTION))
        << "a resource the program does not have";
}

// What Wine's LoadImageA does with a malformed file, where it departs from the format (and from our layer).
enum class WineGives { Null, Bitmap, Crash };

TEST_F(LoadImageTest, MalformedFilesGiveNull) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        WineGives wine;
    };
    std::vector<Case> cases = {
        {"not a BMP", {'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 0, 0}, WineGives::Null},
        {"a file header only", {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0}, WineGives::Null},
    };
    const auto add = [&](const char* name, WineGives wine, const std::function<void(bmptest::BmpParts&)>& spoil) {
        bmptest::BmpParts parts = Indexed(8);
        spoil(parts);
        cases.push_back({name, bmptest::BuildBmp(parts), wine});
    };
    add("unknown header size 20", WineGives::Null, [](auto& p) { p.headerSize = 20; });
    add("7 bits a pixel", WineGives::Null, [](auto& p) { p.bitCount = 7; });
    add("zero width", WineGives::Null, [](auto& p) { p.width = 0; });
    add("2 planes", WineGives::Bitmap, [](auto& p) { p.planes = 2; });
    add("RLE8 in a 4-bit file", WineGives::Bitmap, [](auto& p) {
        p.compression = 1;
        p.bitCount = 4;
    });
    add("pixels cut short", WineGives::Bitmap, [](auto& p) { p.pixels.resize(p.pixels.size() / 2); });
    add("the last pixel's byte missing", WineGives::Bitmap, [](auto& p) { p.pixels.resize(p.pixels.size() - 4); });
    add("pixels beyond the end", WineGives::Crash, [](auto& p) { p.offBits = 4096; });
    for (const Case& c : cases) {
        if (OnWine() && c.wine == WineGives::Crash) {
            // Wine's LoadImageA reads past the end of the file and crashes: not tried there.
            continue;
        }
        const HBITMAP bitmap = Load(WriteFile(std::string(c.name) + ".bmp", c.bytes));
        if (OnWine() && c.wine == WineGives::Bitmap) {
            // Wine's LoadImageA checks less than the format asks and gives these files a bitmap.
            EXPECT_NE(nullptr, bitmap) << c.name << " on Wine";
        } else {
            EXPECT_EQ(nullptr, bitmap) << c.name;
        }
    }
}

}  // namespace
