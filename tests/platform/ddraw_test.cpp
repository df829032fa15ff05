// ddraw_test.cpp -- DirectDraw through its API: colour fills, stretched and keyed Blt, rejected rectangles, GetDC,
// reference counts, Flip and the 16-bit mode.
#include "api_helpers.h"

namespace {

using namespace apitest;

constexpr DWORD kUntouched = 0x777777;

// A different value for each source pixel: 0x80yyxx.
DWORD Distinct(int x, int y) { return 0x800000u | DWORD(y) << 8 | DWORD(x); }

// DirectDraw stretches as Wine's software blitter: destination i reads source (i * ((s << 16) / d)) >> 16.
int FixedPointSource(int i, int s, int d) { return int((std::int64_t(i) * ((s << 16) / d)) >> 16); }

// Writes valueOf(x, y) into every pixel of a 32-bit surface.
template <class ValueOf>
void WritePixels(IDirectDrawSurface* surface, ValueOf valueOf) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(DD_OK, surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr));
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        for (DWORD x = 0; x < desc.dwWidth; ++x) {
            reinterpret_cast<DWORD*>(static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch)[x] = valueOf(int(x), int(y));
        }
    }
    surface->Unlock(desc.lpSurface);
}

class DirectDrawTest : public ApiTest {
protected:
    // The primary surface; given `back`, a flip chain whose back buffer (from GetAttachedSurface) goes there.
    IDirectDrawSurface* Primary(IDirectDrawSurface** back = nullptr) {
        DDSURFACEDESC desc{};
        desc.dwFlags = DDSD_CAPS | (back ? DDSD_BACKBUFFERCOUNT : 0);
        desc.dwBackBufferCount = back ? 1 : 0;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | (back ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0);
        desc.dwSize = sizeof desc;
        IDirectDrawSurface* primary = nullptr;
        EXPECT_EQ(DD_OK, ddraw_->CreateSurface(&desc, &primary, nullptr)) << "primary surface";
        if (primary) {
            surfaces_.push_back(primary);
        }
        if (primary && back) {
            DDSCAPS caps{DDSCAPS_BACKBUFFER};
            *back = nullptr;
            EXPECT_EQ(DD_OK, primary->GetAttachedSurface(&caps, back));
            if (*back) {
                surfaces_.push_back(*back);
            }
        }
        return primary;
    }
};

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

TEST_F(DirectDrawTest, StretchBltPicksSourceByFixedPointStep) {
    const struct {
        int sourceWidth;
        int sourceHeight;
        RECT to;
    } cases[] = {
        {3, 2, {5, 5, 17, 13}},  // 4x: an exact step, 4 x 4 blocks
        {3, 1, {0, 0, 7, 1}},  {7, 1, {0, 0, 3, 1}},  {1, 3, {0, 0, 1, 7}}, {1, 7, {0, 0, 1, 3}},
        {4, 1, {0, 0, 6, 1}},  {1, 5, {0, 0, 1, 7}},
        {10, 1, {0, 0, 100, 1}},  // the step is not exact: 10 -> 100 gives runs of 11, 10 .. 9
    };
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* source = Offscreen(16, 16);
    IDirectDrawSurface* dest = Offscreen(101, 101);
    ASSERT_TRUE(source && dest);
    ASSERT_NO_FATAL_FAILURE(WritePixels(source, Distinct));
    for (const auto& c : cases) {
        const int w = c.to.right - c.to.left, h = c.to.bottom - c.to.top;
        const std::string name = std::to_string(c.sourceWidth) + "x" + std::to_string(c.sourceHeight) + " -> " +
                                 std::to_string(w) + "x" + std::to_string(h);
        ASSERT_EQ(DD_OK, ColorFill(dest, nullptr, kUntouched));
        RECT from{0, 0, c.sourceWidth, c.sourceHeight}, to = c.to;
        ASSERT_EQ(DD_OK, dest->Blt(&to, source, &from, DDBLT_WAIT, nullptr)) << name;
        ExpectSurfacePixels(name, dest, RECT{0, 0, c.to.right + 1, c.to.bottom + 1}, [&](int x, int y) {
            return Holds(to, x, y) ? Distinct(FixedPointSource(x - to.left, c.sourceWidth, w),
                                              FixedPointSource(y - to.top, c.sourceHeight, h))
                                   : kUntouched;
        });
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

TEST_F(DirectDrawTest, SourceColorKeyIsRequiredForKeySrcAndSkipsKeyedPixelsAlsoStretched) {
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* source = Offscreen(4, 2);
    IDirectDrawSurface* dest = Offscreen(10, 6);
    ASSERT_TRUE(source && dest);
    // Keyed where x + y is even; the unused top byte set on one keyed pixel must not hide the key.
    const DWORD key = 0xff00ff;
    const auto keyed = [](int x, int y) { return (x + y) % 2 == 0; };
    ASSERT_NO_FATAL_FAILURE(WritePixels(source, [&](int x, int y) {
        return !keyed(x, y) ? Distinct(x, y) : x == 0 ? 0xff000000 | key : key;
    }));
    ASSERT_EQ(DD_OK, ColorFill(dest, nullptr, kUntouched));
    const HRESULT hr = dest->Blt(nullptr, source, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr);
    EXPECT_EQ(DDERR_INVALIDPARAMS, hr) << "DDBLT_KEYSRC without a source key: got " << Hex(DWORD(hr));
    DDCOLORKEY colorKey{key, key};
    ASSERT_EQ(DD_OK, source->SetColorKey(DDCKEY_SRCBLT, &colorKey));
    for (RECT to : {RECT{1, 1, 5, 3}, RECT{1, 1, 9, 5}}) {  // 1:1 and 2x
        const std::string name = "keyed 4x2 -> " + std::to_string(to.right - to.left) + "x" +
                                 std::to_string(to.bottom - to.top);
        ASSERT_EQ(DD_OK, ColorFill(dest, nullptr, kUntouched));
        ASSERT_EQ(DD_OK, dest->Blt(&to, source, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr)) << name;
        ExpectSurfacePixels(name, dest, RECT{0, 0, 10, 6}, [&](int x, int y) {
            const int sx = FixedPointSource(x - to.left, 4, to.right - to.left);
            const int sy = FixedPointSource(y - to.top, 2, to.bottom - to.top);
            return Holds(to, x, y) && !keyed(sx, sy) ? Distinct(sx, sy) : kUntouched;
        });
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
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* primary = Primary(&back);  // the back buffer: one reference from the chain, one from us
    ASSERT_TRUE(primary && back);
    EXPECT_EQ(3u, back->AddRef()) << "back buffer after GetAttachedSurface";
    EXPECT_EQ(2u, back->Release());
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* again = nullptr;
    ASSERT_EQ(DD_OK, primary->GetAttachedSurface(&caps, &again));
    EXPECT_EQ(back, again) << "second GetAttachedSurface";
    EXPECT_EQ(2u, back->Release()) << "dropping the second GetAttachedSurface reference";
    EXPECT_EQ(2u, primary->AddRef()) << "primary";
    EXPECT_EQ(1u, primary->Release());
    IDirectDrawSurface* offscreen = Offscreen(8, 8, false);  // released here, not by the fixture
    ASSERT_NE(nullptr, offscreen);
    EXPECT_EQ(2u, ddraw_->AddRef()) << "DirectDraw with surfaces: they hold no reference to it";
    EXPECT_EQ(1u, ddraw_->Release());
    EXPECT_EQ(2u, offscreen->AddRef()) << "offscreen";
    EXPECT_EQ(1u, offscreen->Release());
    EXPECT_EQ(0u, offscreen->Release());
}

TEST_F(DirectDrawTest, FlipExchangesFrontAndBackContents) {
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* primary = Primary(&back);
    ASSERT_TRUE(primary && back);
    ASSERT_EQ(DD_OK, ColorFill(primary, nullptr, 0xff0000));
    ASSERT_EQ(DD_OK, ColorFill(back, nullptr, 0x00ff00));
    for (int flip = 1; flip <= 2; ++flip) {
        ASSERT_EQ(DD_OK, primary->Flip(nullptr, DDFLIP_WAIT));
        const DWORD front = flip == 1 ? 0x00ff00 : 0xff0000, behind = flip == 1 ? 0xff0000 : 0x00ff00;
        const RECT centre{320, 240, 321, 241};
        const std::string after = " after flip " + std::to_string(flip);
        ExpectSurfacePixels("front" + after, primary, centre, [&](int, int) { return front; });
        ExpectSurfacePixels("back" + after, back, centre, [&](int, int) { return behind; });
    }
}

TEST_F(DirectDrawTest, Mode16IsRgb565AndGdiColoursTruncate) {
    ASSERT_TRUE(StartDirectDraw(16));
    IDirectDrawSurface* primary = Primary();
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
    for (const Color16& c : kColors16) {
        ASSERT_EQ(DD_OK, ColorFill(surface, nullptr, 0x1234));
        HDC dc = nullptr;
        ASSERT_EQ(DD_OK, surface->GetDC(&dc));
        EXPECT_TRUE(DrawRectangle(dc, RECT{0, 0, 8, 8}, 1, c.color, c.color));
        ASSERT_EQ(DD_OK, surface->ReleaseDC(dc));
        ExpectSurfacePixels("pen and brush of COLORREF " + Hex(c.color), surface, RECT{0, 0, 8, 8},
                            [&](int, int) { return c.pixel16; });
    }
}

}  // namespace
