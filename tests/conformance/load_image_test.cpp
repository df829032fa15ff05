// load_image_test.cpp -- LoadImageA on BMP files of every kind the format allows, and files that are not BMP files.
// (What GetObjectA tells of a loaded bitmap: its size, which the system reads, in the unit tests.)
#include "api_helpers.h"
#include "bmp_variants.h"
#include "on_wine.h"

namespace {

using namespace apitest;

COLORREF ColorOf(std::uint32_t rgb) {
    return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

using LoadImageTest = ApiTest;

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
