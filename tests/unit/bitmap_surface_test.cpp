// bitmap_surface_test.cpp -- the bitmap utilities: reload and stretch failures, GDI clean-up, stretched pixels.
#include "test_names.h"
#include "unit_support.h"

#include "graphics/bitmap_surface.h"

namespace {

using namespace unit;

// Blocks of 10 x 10 pixels, each of its own colour, none black.
std::uint32_t BlockColour(int x, int y) {
    return static_cast<std::uint32_t>((x / 10 * 20 + 10) << 16 | (y / 10 * 40 + 10) << 8 | 0x55);
}

HBITMAP LoadBlocks() {
    return static_cast<HBITMAP>(LoadImageA(nullptr, WriteBmp(100, 50, BlockColour).c_str(), IMAGE_BITMAP, 0, 0,
                                           LR_LOADFROMFILE | LR_CREATEDIBSECTION));
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

    // A refused surface: the decoded bitmap is deleted and its size still recorded.
    g_lastBitmapWidth = g_lastBitmapHeight = 0;
    SetFailpoint("IDirectDraw::CreateSurface", DDERR_OUTOFMEMORY);
    EXPECT_EQ(CreateSurfaceFromBitmapFile(engine.drawDevice.ddraw, WriteBmp(100, 50, BlockColour).c_str()), nullptr);
    EXPECT_EQ(LiveGdiObjects().bitmaps, bitmaps);
    EXPECT_EQ(g_lastBitmapWidth, 100);
    EXPECT_EQ(g_lastBitmapHeight, 50);
}

// A step that fails inside the stretch: nothing is copied and no context stays alive.
struct StretchFailure {
    const char* name;  // the call that fails
    HRESULT failWith;
    const char* debugOutput;
    HRESULT result;
    friend std::ostream& operator<<(std::ostream& out, const StretchFailure& failure) { return out << failure.name; }
};

class BitmapStretchFailure : public BitmapSurface, public ::testing::WithParamInterface<StretchFailure> {};

TEST_P(BitmapStretchFailure, CopiesNothingAndLeavesNoContext) {
    IDirectDrawSurface* surface = CreateOffscreenSurface(engine.drawDevice.ddraw, 20, 20);
    HBITMAP bitmap = LoadBlocks();
    const int dcs = LiveGdiObjects().dcs;
    SetFailpoint(GetParam().name, GetParam().failWith);
    EXPECT_EQ(StretchBitmapIntoSurface(surface, bitmap, 0, 0, 0, 0), GetParam().result);
    EXPECT_EQ(TakeDebugOutput(), GetParam().debugOutput);
    EXPECT_EQ(LiveGdiObjects().dcs, dcs);
    EXPECT_EQ(PixelAt(surface, 10, 10), 0u) << "expected the new surface still black";
    DeleteObject(bitmap);
    surface->Release();
}

INSTANTIATE_TEST_SUITE_P(
    Steps, BitmapStretchFailure,
    ::testing::Values(StretchFailure{"CreateCompatibleDC", 0, "createcompatible dc failed\n", E_FAIL},
                      StretchFailure{"GetObjectA", 0, "", E_FAIL},
                      StretchFailure{"IDirectDrawSurface::GetSurfaceDesc", DDERR_GENERIC, "", E_FAIL}),
    ByName());

}  // namespace
