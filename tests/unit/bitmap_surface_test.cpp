// bitmap_surface_test.cpp -- the bitmap utilities' failures: their debugger lines, nothing copied, GDI cleaned up.
#include "unit_support.h"

#include "graphics/bitmap_surface.h"

namespace {

using namespace unit;

// Blocks of 10 x 10 pixels, each of its own colour, none black.
std::uint32_t BlockColour(int x, int y) {
    return static_cast<std::uint32_t>((x / 10 * 20 + 10) << 16 | (y / 10 * 40 + 10) << 8 | 0x55);
}

using BitmapSurface = EngineTest;

TEST_F(BitmapSurface, FailuresWriteTheirDebuggerLineAndLeaveNoBitmap) {
    IDirectDrawSurface* surface = CreateOffscreenSurface(engine.drawDevice.ddraw, 8, 8);
    StartTraceCapture();
    EXPECT_EQ(StretchBitmapIntoSurface(surface, nullptr, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(TakeTrace(), std::vector<std::string>{}) << "expected no restore without a bitmap";
    EXPECT_EQ(ReloadBitmapIntoSurface(surface, "/nonexistent/intro.bmp"), E_FAIL);
    EXPECT_EQ(TakeDebugOutput(), "handle is null\n");
    surface->Release();

    const int bitmaps = LiveGdiObjects().bitmaps;
    StartTraceCapture();
    EXPECT_EQ(ReloadBitmapIntoSurface(nullptr, WriteBmp(100, 50, BlockColour).c_str()), E_FAIL);
    EXPECT_EQ(TakeDebugOutput(), "ddcopybitmap failed\n");
    EXPECT_EQ(Calls(TakeTrace(), "OutputDebugStringA("),
              std::vector<std::string>{"OutputDebugStringA(\"ddcopybitmap failed\\n\")"})
        << "one trace line per call, its text written as a C string";
    EXPECT_EQ(LiveGdiObjects().bitmaps, bitmaps) << "the loaded bitmap must be deleted";

    // No memory context: nothing is copied, no context stays alive, and the reload says so.
    surface = CreateOffscreenSurface(engine.drawDevice.ddraw, 8, 8);
    const int dcs = LiveGdiObjects().dcs;
    SetFailpoint("CreateCompatibleDC", 0);
    EXPECT_EQ(ReloadBitmapIntoSurface(surface, WriteBmp(100, 50, BlockColour).c_str()), E_FAIL);
    EXPECT_EQ(TakeDebugOutput(), "createcompatible dc failed\nddcopybitmap failed\n");
    EXPECT_EQ(LiveGdiObjects().dcs, dcs);
    apitest::ExpectSurfacePixels("the new surface", surface, RECT{0, 0, 8, 8}, [](int, int) { return 0u; });
    ClearFailpoints();
    surface->Release();

    // A refused surface: the decoded bitmap is deleted and its size still recorded.
    g_lastBitmapWidth = g_lastBitmapHeight = 0;
    SetFailpoint("IDirectDraw::CreateSurface", DDERR_OUTOFMEMORY);
    EXPECT_EQ(CreateSurfaceFromBitmapFile(engine.drawDevice.ddraw, WriteBmp(100, 50, BlockColour).c_str()), nullptr);
    EXPECT_EQ(LiveGdiObjects().bitmaps, bitmaps);
    EXPECT_EQ(g_lastBitmapWidth, 100);
    EXPECT_EQ(g_lastBitmapHeight, 50);
}

}  // namespace
