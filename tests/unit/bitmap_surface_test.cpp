// bitmap_surface_test.cpp -- the bitmap utilities: reload and stretch failures, GDI clean-up, stretched pixels.
#include "unit_support.h"

#include <ostream>

#include "graphics/bitmap_surface.h"

namespace {

using tamberlyn::LiveGdiObjects;
using tamberlyn::TakeDebugOutput;

// Blocks of 10 x 10 pixels, each of its own colour.
std::uint32_t BlockColour(int x, int y)
{
    return static_cast<std::uint32_t>((x / 10 * 20 + 10) << 16 | (y / 10 * 40 + 10) << 8 | 0x55);
}

std::string BlocksFile() { return unit::WriteBmp("blocks.bmp", 100, 50, BlockColour); }

HBITMAP LoadBlocks()
{
    return static_cast<HBITMAP>(
        LoadImageA(nullptr, BlocksFile().c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

using BitmapSurface = unit::EngineTest;

TEST_F(BitmapSurface, ReloadFailuresWriteTheirLineAndKeepNoBitmap)
{
    IDirectDrawSurface* surface = CreateOffscreenSurface(engine.drawDevice.ddraw, 8, 8);
    EXPECT_EQ(ReloadBitmapIntoSurface(surface, "/nonexistent/intro.bmp"), E_FAIL);
    EXPECT_EQ(TakeDebugOutput(), "handle is null\n");
    surface->Release();

    const std::string file = BlocksFile();
    const int bitmaps = LiveGdiObjects().bitmaps;
    EXPECT_EQ(ReloadBitmapIntoSurface(nullptr, file.c_str()), E_FAIL);
    EXPECT_EQ(TakeDebugOutput(), "ddcopybitmap failed\n");
    EXPECT_EQ(LiveGdiObjects().bitmaps, bitmaps) << "the loaded bitmap must be deleted";
}

TEST_F(BitmapSurface, StretchOfNoBitmapDoesNotRestore)
{
    IDirectDrawSurface* surface = CreateOffscreenSurface(engine.drawDevice.ddraw, 8, 8);
    tamberlyn::StartTraceCapture();
    EXPECT_EQ(StretchBitmapIntoSurface(surface, nullptr, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(tamberlyn::TakeTrace(), std::vector<std::string>{}) << "expected no platform call";
    surface->Release();
}

// A GDI step that fails inside the stretch: nothing is copied and no context stays alive.
struct StretchFailure {
    const char* call;
    const char* debugOutput;
    HRESULT result;
};

void PrintTo(const StretchFailure& failure, std::ostream* out) { *out << failure.call; }

class BitmapStretchFailure : public BitmapSurface, public ::testing::WithParamInterface<StretchFailure> {};

TEST_P(BitmapStretchFailure, CopiesNothingAndLeavesNoContext)
{
    IDirectDrawSurface* surface = CreateOffscreenSurface(engine.drawDevice.ddraw, 20, 20);
    unit::FillSurface(surface, 0x123456);
    HBITMAP bitmap = LoadBlocks();
    const int dcs = LiveGdiObjects().dcs;
    tamberlyn::SetFailpoint(GetParam().call, 0);
    EXPECT_EQ(StretchBitmapIntoSurface(surface, bitmap, 0, 0, 0, 0), GetParam().result);
    tamberlyn::ClearFailpoints();
    EXPECT_EQ(TakeDebugOutput(), GetParam().debugOutput);
    EXPECT_EQ(LiveGdiObjects().dcs, dcs);
    EXPECT_EQ(unit::PixelAt(surface, 0, 0), 0x123456u);
    EXPECT_EQ(unit::PixelAt(surface, 19, 19), 0x123456u);
    DeleteObject(bitmap);
    surface->Release();
}

INSTANTIATE_TEST_SUITE_P(Steps, BitmapStretchFailure,
                         ::testing::Values(StretchFailure{"CreateCompatibleDC", "createcompatible dc failed\n", DD_OK},
                                           StretchFailure{"GetObjectA", "", E_FAIL}));

TEST_F(BitmapSurface, SourcePieceCoversTheWholeSurface)
{
    IDirectDrawSurface* surface = CreateOffscreenSurface(engine.drawDevice.ddraw, 200, 200);
    HBITMAP bitmap = LoadBlocks();
    ASSERT_EQ(StretchBitmapIntoSurface(surface, bitmap, 10, 10, 20, 20), DD_OK);
    // Each 10 x 10 block of the piece (10, 10)-(30, 30) becomes a 100 x 100 quarter of the surface.
    for (int y : {0, 50, 99, 100, 150, 199}) {
        for (int x : {0, 50, 99, 100, 150, 199}) {
            EXPECT_EQ(unit::PixelAt(surface, x, y), BlockColour(10 + x / 10, 10 + y / 10)) << "at " << x << ", " << y;
        }
    }
    DeleteObject(bitmap);
    surface->Release();
}

TEST_F(BitmapSurface, RefusedSurfaceDeletesTheBitmapButKeepsTheSize)
{
    const std::string file = BlocksFile();
    g_lastBitmapWidth = g_lastBitmapHeight = 0;
    const int bitmaps = LiveGdiObjects().bitmaps;
    tamberlyn::SetFailpoint("IDirectDraw::CreateSurface", DDERR_OUTOFMEMORY);
    EXPECT_EQ(CreateSurfaceFromBitmapFile(engine.drawDevice.ddraw, file.c_str()), nullptr);
    EXPECT_EQ(LiveGdiObjects().bitmaps, bitmaps) << "the decoded bitmap must be deleted";
    EXPECT_EQ(g_lastBitmapWidth, 100);
    EXPECT_EQ(g_lastBitmapHeight, 50);
}

}  // namespace
