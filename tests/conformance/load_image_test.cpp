// load_image_test.cpp -- LoadImageA on BMP files of every kind the format allows, what GetObjectA tells of the
// bitmaps, and files that are not BMP files.
#include "bitmap_files.h"
#include "bmp_variants.h"
#include "on_wine.h"

namespace {

using namespace apitest;
using bmptest::kHeight;
using bmptest::kWidth;

COLORREF ColorOf(std::uint32_t rgb) {
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

using LoadImageTest = BitmapFileTest;

TEST_F(LoadImageTest, EveryVariantLoadsWithEachPixelsColour) {
    int file = 0;
    for (const bmptest::BmpVariant& variant : bmptest::BmpVariants()) {
        const HBITMAP bitmap = Load(WriteBmp(std::to_string(++file) + ".bmp", variant.parts));
        if (!bitmap) {
            ADD_FAILURE() << variant.name << ": LoadImageA gave NULL";
            continue;
        }
        const HDC dc = MemoryDC(bitmap);
        const bmptest::ColourAt& colour = OnWine() && variant.onWine ? variant.onWine : variant.colour;
        ExpectPixels(
            variant.name, RECT{0, 0, variant.parts.width, std::abs(variant.parts.height)},
            [&](int x, int y) { return GetPixel(dc, x, y); }, [&](int x, int y) { return ColorOf(colour(x, y)); });
    }
}

TEST_F(LoadImageTest, EveryDepthGivesDibSectionOfThatDepthWithDwordRows) {
    const struct {
        int bitCount;
        LONG widthBytes;  // 5 pixels a row
    } cases[] = {{1, 4}, {4, 4}, {8, 8}, {16, 12}, {24, 16}, {32, 20}};
    const std::vector<bmptest::BmpVariant> variants = bmptest::BmpVariants();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ASSERT_EQ(variants[i].parts.bitCount, cases[i].bitCount);
        const HBITMAP bitmap = Load(WriteBmp(std::to_string(i) + ".bmp", variants[i].parts));
        BITMAP bm{};
        ASSERT_EQ(int(sizeof bm), GetObjectA(bitmap, sizeof bm, &bm)) << variants[i].name;
        const std::vector<LONG> want{0, kWidth, kHeight, cases[i].widthBytes, 1, cases[i].bitCount};
        EXPECT_EQ(want,
                  (std::vector<LONG>{bm.bmType, bm.bmWidth, bm.bmHeight, bm.bmWidthBytes, bm.bmPlanes, bm.bmBitsPixel}))
            << variants[i].name << ": type, width, height, bytes a row, planes, bits a pixel";
        EXPECT_NE(nullptr, bm.bmBits) << variants[i].name << ": a DIB section's pixels";
    }
}

TEST_F(LoadImageTest, GetObjectFillsBitmapRecordOnlyWhenTheBufferHoldsIt) {
    const std::string path = WriteBmp("24.bmp", bmptest::Grid(24, bmptest::Rgb24));
    const HBITMAP bitmap = Load(path);
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
    const HGDIOBJ deleted = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    ASSERT_TRUE(deleted && DeleteObject(deleted));
    EXPECT_EQ(0, GetObjectA(deleted, size, &small)) << "a deleted bitmap";
}

TEST_F(LoadImageTest, MissingAndMalformedFilesGiveNull) {
    EXPECT_EQ(nullptr, Load(FilePath("missing.bmp"))) << "missing file";
    EXPECT_EQ(nullptr, LoadImageA(GetModuleHandleA(nullptr), "TAMBERLYN_NO_SUCH_BITMAP", IMAGE_BITMAP, 0, 0,
                                  LR_CREATEDIBSECTION))
        << "a resource the program does not have";
    int file = 0;
    for (const bmptest::MalformedBmp& malformed : bmptest::MalformedBmps()) {
        if (OnWine() && malformed.wine == bmptest::WineGives::Crash) {
            continue;  // not tried there
        }
        const HBITMAP bitmap = Load(WriteFile(std::to_string(++file) + ".bmp", malformed.bytes));
        if (OnWine() && malformed.wine == bmptest::WineGives::Bitmap) {
            EXPECT_NE(nullptr, bitmap) << malformed.name << " on Wine";
        } else {
            EXPECT_EQ(nullptr, bitmap) << malformed.name;
        }
    }
}

}  // namespace
