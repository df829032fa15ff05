// ddraw_test.cpp -- DirectDraw through its API: colour fills, stretched and keyed Blt, rejected rectangles, drawing
// through GetDC, reference counts, Flip and the 16-bit mode.
#include "api_helpers.h"

namespace {

using namespace apitest;
using DirectDrawTest = ApiTest;

constexpr DWORD kUntouched = 0x777777;

// A different value for each source pixel: 0x80yyxx.
DWORD Distinct(int x, int y) { return 0x800000u | DWORD(y) << 8 | DWORD(x); }

TEST_F(DirectDrawTest, ColorFillCoversWholeSurfaceOrRectRightAndBottomExclusive) {
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* surface = Offscreen(40, 30);
    ASSERT_NE(nullptr, surface);
    ASSERT_EQ(DD_OK, ColorFill(surface, nullptr, 0xabcdef));
    ExpectSurfacePixels("NULL-rect fill", surface, RECT{0, 0, 40, 30}, [](int, int) { return 0xabcdefu; });
    RECT rect{2, 3, 6, 5};
    ASSERT_EQ(DD_OK, ColorFill(surface, &rect, 0x123456));
    ExpectSurfacePixels("fill of (2,3,6,5)", surface, RECT{0, 0, 10, 8},
                        [&](int x, int y) { return Holds(rect, x, y) ? 0x123456u : 0xabcdefu; });
}

TEST_F(DirectDrawTest, StretchBltAtIntegerFactorMakesBlocks) {
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* source = Offscreen(3, 2);
    IDirectDrawSurface* dest = Offscreen(40, 30);
    ASSERT_TRUE(source && dest);
    ASSERT_NO_FATAL_FAILURE(WritePixels(source, Distinct));
    ASSERT_EQ(DD_OK, ColorFill(dest, nullptr, kUntouched));
    // 4x: the 16.16 step is exact, so every rule gives 4 x 4 blocks (10x is not exact: 10->100 gives 11, 10.., 9).
    RECT to{5, 5, 17, 13};
    ASSERT_EQ(DD_OK, dest->Blt(&to, source, nullptr, DDBLT_WAIT, nullptr));
    ExpectSurfacePixels("3x2 -> 12x8 at (5,5)", dest, RECT{0, 0, 25, 20}, [&](int x, int y) {
        return Holds(to, x, y) ? Distinct((x - 5) / 4, (y - 5) / 4) : kUntouched;
    });
}

TEST_F(DirectDrawTest, StretchBltPicksSourceByFixedPointStep) {
    struct StretchCase {
        int source;
        int dest;
        bool vertical;
    };
    const StretchCase cases[] = {{3, 7, false}, {7, 3, false}, {3, 7, true}, {7, 3, true}, {10, 100, false},
                                 {4, 6, false}, {5, 7, true}};
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* source = Offscreen(16, 16);
    IDirectDrawSurface* dest = Offscreen(101, 101);
    ASSERT_TRUE(source && dest);
    ASSERT_NO_FATAL_FAILURE(WritePixels(source, Distinct));
    for (const StretchCase& c : cases) {
        const std::string name = std::to_string(c.source) + "->" + std::to_string(c.dest) + (c.vertical ? " V" : " H");
        ASSERT_EQ(DD_OK, ColorFill(dest, nullptr, kUntouched));
        RECT from = c.vertical ? RECT{0, 0, 1, c.source} : RECT{0, 0, c.source, 1};
        RECT to = c.vertical ? RECT{0, 0, 1, c.dest} : RECT{0, 0, c.dest, 1};
        ASSERT_EQ(DD_OK, dest->Blt(&to, source, &from, DDBLT_WAIT, nullptr)) << name;
        // Wine's software blitter: source = (i * ((s << 16) / d)) >> 16.
        const auto expected = [&](int x, int y) {
            const int i = c.vertical ? y : x;
            const int picked = int((std::int64_t(i) * ((c.source << 16) / c.dest)) >> 16);
            return Holds(to, x, y) ? (c.vertical ? Distinct(0, picked) : Distinct(picked, 0)) : kUntouched;
        };
        const RECT checked{0, 0, c.vertical ? 2 : c.dest + 1, c.vertical ? c.dest + 1 : 2};
        ExpectSurfacePixels(name, dest, checked, expected);
    }
}

TEST_F(DirectDrawTest, BltRejectsBadDestinationRectAndDrawsNothing) {
    const struct {
        const char* name;
        RECT rect;
    } cases[] = {{"partly right/bottom", {30, 20, 50, 40}}, {"partly left/top", {-5, -5, 15, 15}},
                 {"wholly outside", {50, 40, 70, 60}},      {"zero width", {10, 10, 10, 20}},
                 {"zero height", {10, 10, 20, 10}},         {"inverted", {20, 10, 10, 20}}};
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* source = Offscreen(20, 20);
    IDirectDrawSurface* dest = Offscreen(40, 30);
    ASSERT_TRUE(source && dest);
    ASSERT_EQ(DD_OK, ColorFill(source, nullptr, 0x00ff00));
    ASSERT_EQ(DD_OK, ColorFill(dest, nullptr, kUntouched));
    for (const auto& c : cases) {
        RECT rect = c.rect;
        const HRESULT hr = dest->Blt(&rect, source, nullptr, DDBLT_WAIT, nullptr);
        EXPECT_EQ(DDERR_INVALIDRECT, hr) << c.name << ": got " << Hex(DWORD(hr));
        ExpectSurfacePixels(c.name, dest, RECT{0, 0, 40, 30}, [](int, int) { return kUntouched; });
    }
}

TEST_F(DirectDrawTest, SourceColorKeyIsRequiredForKeySrcAndSkipsKeyedPixels) {
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* source = Offscreen(4, 1);
    IDirectDrawSurface* dest = Offscreen(4, 1);
    ASSERT_TRUE(source && dest);
    const DWORD key = 0xff00ff, row[] = {key, 0x112233, key, 0x445566};
    ASSERT_NO_FATAL_FAILURE(WritePixels(source, [&](int x, int) { return row[x]; }));
    ASSERT_EQ(DD_OK, ColorFill(dest, nullptr, kUntouched));
    HRESULT hr = dest->Blt(nullptr, source, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr);
    EXPECT_EQ(DDERR_INVALIDPARAMS, hr) << "DDBLT_KEYSRC without a source key: got " << Hex(DWORD(hr));
    DDCOLORKEY colorKey{key, key};
    ASSERT_EQ(DD_OK, source->SetColorKey(DDCKEY_SRCBLT, &colorKey));
    ASSERT_EQ(DD_OK, dest->Blt(nullptr, source, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr));
    const DWORD expected[] = {kUntouched, 0x112233, kUntouched, 0x445566};
    ExpectSurfacePixels("keyed copy", dest, RECT{0, 0, 4, 1}, [&](int x, int) { return expected[x]; });
}

TEST_F(DirectDrawTest, RectangleThroughGetDCPaintsPenBandsAndBrush) {
    const RectangleCase cases[] = {
        {"w=2 (10,10,20,16)", {10, 10, 20, 16}, 2, {9, 9, 20, 16}, {11, 11, 18, 14}},
        {"w=2 whole 40x30", {0, 0, 40, 30}, 2, {0, 0, 40, 30}, {1, 1, 38, 28}},
        {"w=1 (10,10,20,16)", {10, 10, 20, 16}, 1, {10, 10, 20, 16}, {11, 11, 19, 15}},
    };
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* surface = Offscreen(40, 30);
    ASSERT_NE(nullptr, surface);
    for (const RectangleCase& c : cases) {
        ASSERT_EQ(DD_OK, ColorFill(surface, nullptr, 0));
        HDC dc = nullptr;
        ASSERT_EQ(DD_OK, surface->GetDC(&dc)) << c.name;
        EXPECT_TRUE(DrawRectangle(dc, c.drawn, c.penWidth, RGB(255, 0, 0), RGB(0, 0, 255))) << c.name;
        ASSERT_EQ(DD_OK, surface->ReleaseDC(dc)) << c.name;
        ExpectSurfacePixels(c.name, surface, RECT{0, 0, 40, 30},
                            [&](int x, int y) { return RectanglePixel(c, x, y, 0xff0000, 0x0000ff, 0); });
    }
}

TEST_F(DirectDrawTest, SecondGetDCFails) {
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* surface = Offscreen(8, 8);
    ASSERT_NE(nullptr, surface);
    HDC first = nullptr, second = nullptr;
    ASSERT_EQ(DD_OK, surface->GetDC(&first));
    const HRESULT hr = surface->GetDC(&second);
    EXPECT_TRUE(FAILED(hr)) << "second GetDC gave " << Hex(DWORD(hr));
    EXPECT_EQ(DD_OK, surface->ReleaseDC(first));
}

TEST_F(DirectDrawTest, ReferenceCounts) {
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* primary = Primary(true);
    ASSERT_NE(nullptr, primary);
    IDirectDrawSurface* back = BackBuffer(primary);  // one reference from the chain, one from GetAttachedSurface
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(3u, back->AddRef()) << "back buffer after GetAttachedSurface";
    EXPECT_EQ(2u, back->Release());
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* again = nullptr;
    ASSERT_EQ(DD_OK, primary->GetAttachedSurface(&caps, &again));
    EXPECT_EQ(back, again) << "second GetAttachedSurface";
    EXPECT_EQ(2u, back->Release()) << "dropping the second GetAttachedSurface reference";
    EXPECT_EQ(2u, primary->AddRef()) << "primary";
    EXPECT_EQ(1u, primary->Release());
    IDirectDrawSurface* offscreen = nullptr;  // released here, not by the fixture
    DDSURFACEDESC desc = OffscreenDesc(8, 8);
    ASSERT_EQ(DD_OK, ddraw_->CreateSurface(&desc, &offscreen, nullptr));
    EXPECT_EQ(2u, ddraw_->AddRef()) << "DirectDraw with surfaces: they hold no reference to it";
    EXPECT_EQ(1u, ddraw_->Release());
    EXPECT_EQ(2u, offscreen->AddRef()) << "offscreen";
    EXPECT_EQ(1u, offscreen->Release());
    EXPECT_EQ(0u, offscreen->Release());
}

TEST_F(DirectDrawTest, FlipExchangesFrontAndBackContents) {
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* primary = Primary(true);
    ASSERT_NE(nullptr, primary);
    IDirectDrawSurface* back = BackBuffer(primary);
    ASSERT_NE(nullptr, back);
    ASSERT_EQ(DD_OK, ColorFill(primary, nullptr, 0xff0000));
    ASSERT_EQ(DD_OK, ColorFill(back, nullptr, 0x00ff00));
    for (int flip = 1; flip <= 2; ++flip) {
        ASSERT_EQ(DD_OK, primary->Flip(nullptr, DDFLIP_WAIT));
        const DWORD front = flip == 1 ? 0x00ff00 : 0xff0000, behind = flip == 1 ? 0xff0000 : 0x00ff00;
        EXPECT_EQ(front, PixelAt(primary, 320, 240)) << "front after flip " << flip;
        EXPECT_EQ(behind, PixelAt(back, 320, 240)) << "back after flip " << flip;
    }
}

TEST_F(DirectDrawTest, Mode16IsRgb565AndGdiColoursTruncate) {
    ASSERT_TRUE(StartDirectDraw(16));
    IDirectDrawSurface* primary = Primary(false);
    IDirectDrawSurface* surface = Offscreen(8, 8);
    ASSERT_TRUE(primary && surface);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(DD_OK, primary->GetSurfaceDesc(&desc));
    const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
    EXPECT_EQ(DDPF_RGB, format.dwFlags & DDPF_RGB);
    EXPECT_EQ(16u, format.dwRGBBitCount);
    EXPECT_EQ(0xf800u, format.dwRBitMask);
    EXPECT_EQ(0x07e0u, format.dwGBitMask);
    EXPECT_EQ(0x001fu, format.dwBBitMask);
    EXPECT_EQ(1280, desc.lPitch);
    const struct {
        COLORREF color;
        DWORD pixel;
    } cases[] = {{0xFFFFFF, 0xffff}, {0x808080, 0x8410}, {0x010203, 0x0000}, {0xFF8040, 0x441f},
                 {0x070707, 0x0020}};
    for (const auto& c : cases) {
        ASSERT_EQ(DD_OK, ColorFill(surface, nullptr, 0x1234));
        HDC dc = nullptr;
        ASSERT_EQ(DD_OK, surface->GetDC(&dc));
        EXPECT_TRUE(DrawRectangle(dc, RECT{0, 0, 8, 8}, 1, c.color, c.color));
        ASSERT_EQ(DD_OK, surface->ReleaseDC(dc));
        EXPECT_EQ(c.pixel, PixelAt(surface, 0, 0)) << "pen of COLORREF " << Hex(c.color);
        EXPECT_EQ(c.pixel, PixelAt(surface, 4, 4)) << "brush of COLORREF " << Hex(c.color);
    }
}

}  // namespace
