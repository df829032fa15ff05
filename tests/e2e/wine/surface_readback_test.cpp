// surface_readback_test.cpp -- frame_dump's readback of a display surface at the depths it meets.
#include <gtest/gtest.h>

#include "diagnostics.h"
#include "engine/engine.h"
#include "surface_readback.h"

namespace {

constexpr DWORD kSixteenBits = 1;
constexpr DWORD kThirtyTwoBits = 3;

class SurfaceReadback : public ::testing::Test {
protected:
    void SetUp() override { tamberlyn::ResetPlatform(); }
    void TearDown() override { engine.Shutdown(); }

    void StartAtDepth(DWORD depthSelector) {
        ASSERT_TRUE(engine.Init("Tamberlyn", 640, 480, depthSelector, DefWindowProcA, GetModuleHandleA(nullptr),
                                nullptr, nullptr));
    }

    // Fills a rectangle of the back buffer with a raw pixel value.
    void Fill(LONG left, LONG top, LONG right, LONG bottom, DWORD pixel) {
        DDBLTFX fx = {};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = pixel;
        RECT area = {left, top, right, bottom};
        ASSERT_EQ(engine.drawDevice.backBuffer->Blt(&area, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    }

    Engine engine;
};

TEST_F(SurfaceReadback, ThirtyTwoBitPixelsReadAsTheirRgb) {
    StartAtDepth(kThirtyTwoBits);
    Fill(0, 0, 640, 480, 0x123456);
    Fill(639, 479, 640, 480, 0xFFFFFF);
    const std::optional<RgbImage> image = ReadSurface(engine.drawDevice.backBuffer);
    ASSERT_TRUE(image.has_value()) << "expected the back buffer to be read";
    EXPECT_EQ(image->width, 640);
    EXPECT_EQ(image->height, 480);
    EXPECT_EQ(image->Pixel(0, 0), 0x123456u);
    EXPECT_EQ(image->Pixel(639, 479), 0xFFFFFFu) << "expected the last pixel of the last row";
    EXPECT_TRUE(ReadSurface(engine.drawDevice.backBuffer).has_value()) << "expected the surface unlocked again";
}

TEST_F(SurfaceReadback, SixteenBitChannelsWidenByRepeatingTheirBits) {
    StartAtDepth(kSixteenBits);
    Fill(0, 0, 1, 1, 0xF800);  // full red
    Fill(1, 0, 2, 1, 0x8410);  // mid grey, as GDI's GetPixel reads it: 84 82 84
    Fill(2, 0, 3, 1, 0xFFFF);
    const std::optional<RgbImage> image = ReadSurface(engine.drawDevice.backBuffer);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(image->Pixel(1, 0), 0x848284u);
    EXPECT_EQ(image->Pixel(2, 0), 0xFFFFFFu);
}

TEST_F(SurfaceReadback, NothingWhenTheSurfaceCannotBeLocked) {
    StartAtDepth(kThirtyTwoBits);
    tamberlyn::SetFailpoint("IDirectDrawSurface::Lock", DDERR_SURFACELOST);
    EXPECT_FALSE(ReadSurface(engine.drawDevice.backBuffer).has_value()) << "expected no picture from a lost surface";
}

}  // namespace
