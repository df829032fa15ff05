// bitmap_test.cpp -- Bitmap: loading, the clipped blit's rectangles, and the reload after a failed blit.
#include "unit_support.h"

#include "graphics/bitmap.h"
#include "graphics/bitmap_surface.h"

namespace {

using namespace unit;

const RECT kClip = {21, 16, 619, 464};
const auto kGrey = [](int, int) { return 0x808080u; };

struct ClipCase {
    int imageWidth, imageHeight, x, y, w, h;
    const char* destination;
    const char* source;
};

const ClipCase kClipCases[] = {
    {640, 480, -2880, -2160, 6400, 4800, "{21, 16, 619, 464}", "{290, 218, 350, 262}"},
    {640, 480, 0, 0, 640, 480, "{21, 16, 619, 464}", "{21, 16, 619, 464}"},
    {320, 240, -160, -120, 960, 720, "{21, 16, 619, 464}", "{60, 45, 260, 195}"},
    // The vertical factor is single precision: 5 x 0.7f + 0.5 stays below 4.
    {7, 7, 16, 11, 10, 10, "{21, 16, 26, 21}", "{4, 3, 7, 7}"},
};

using BitmapDraw = EngineTest;

TEST_F(BitmapDraw, BlitsTheClippedRectangles) {
    const std::string backBuffer = NameOf(engine.drawDevice.backBuffer);
    for (const ClipCase& c : kClipCases) {
        Bitmap bitmap;
        ASSERT_TRUE(bitmap.Load(WriteBmp(c.imageWidth, c.imageHeight, kGrey).c_str(), &engine.drawDevice));
        StartTraceCapture();
        bitmap.Draw(c.x, c.y, c.w, c.h, kClip);
        const std::string expected = "IDirectDrawSurface::Blt(" + backBuffer + ", " + c.destination + ", " +
                                     NameOf(bitmap.surface) + ", " + c.source + ", 0x1000000, 0x0) = 0x0";
        EXPECT_EQ(Calls(TakeTrace(), "IDirectDrawSurface::Blt"), std::vector<std::string>{expected});
    }
}

TEST_F(BitmapDraw, FailedBlitReloadsTheFileOncePerDraw) {
    const std::string file = WriteBmp(64, 48, kGrey);
    Bitmap bitmap;
    ASSERT_TRUE(bitmap.Load(file.c_str(), &engine.drawDevice));
    SetFailpoint("IDirectDrawSurface::Blt", DDERR_SURFACELOST);
    const std::string fileLoad = "LoadImageA(NULL, \"" + file + "\", 0, 0, 0, 0x2010) = bitmap";
    const std::string restore = "IDirectDrawSurface::Restore(" + NameOf(bitmap.surface) + ") = 0x0";
    for (int draw = 1; draw <= 2; ++draw) {
        StartTraceCapture();
        bitmap.Draw(0, 0, 640, 480, kClip);
        const std::vector<std::string> trace = TakeTrace();
        EXPECT_EQ(Calls(trace, fileLoad).size(), 1u) << "file loads in draw " << draw;
        EXPECT_EQ(Calls(trace, "IDirectDrawSurface::Restore"), std::vector<std::string>{restore}) << "draw " << draw;
    }
}

using BitmapLoad = EngineTest;

TEST_F(BitmapLoad, SecondLoadReleasesTheFirstSurfaceAndTakesTheNewSize) {
    Bitmap bitmap;
    ASSERT_TRUE(bitmap.Load(WriteBmp(7, 7, kGrey).c_str(), &engine.drawDevice));
    const int surfaces = LiveSurfaces();
    const std::string first = NameOf(bitmap.surface);
    StartTraceCapture();
    ASSERT_TRUE(bitmap.LoadFile(WriteBmp(100, 50, kGrey).c_str()));
    EXPECT_EQ(LiveSurfaces(), surfaces);
    EXPECT_EQ(Calls(TakeTrace(), "IDirectDrawSurface::Release("),
              std::vector<std::string>{"IDirectDrawSurface::Release(" + first + ") = 0"});
    EXPECT_EQ(bitmap.width, 100);
    EXPECT_EQ(bitmap.height, 50);
    EXPECT_EQ(g_lastBitmapWidth, 100);
    EXPECT_EQ(g_lastBitmapHeight, 50);
}

}  // namespace
