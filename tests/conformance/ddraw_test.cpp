// ddraw_test.cpp -- DirectDraw through its API: colour fills, stretched Blt, rejected rectangles, surface
// descriptions, GetDC, Flip and the 16-bit mode. (Colour keys: no operation of the system sets one; the references
// the program holds: the system tests and every test's end.)
#include "api_helpers.h"

namespace {

using namespace apitest;

constexpr DWORD kUntouched = 0x777777;

// A different value for each source pixel: 0x80yyxx.
DWORD Distinct(int x, int y) {
    return 0x800000u | DWORD(y) << 8 | DWORD(x);
}

// DirectDraw stretches as Wine's software blitter: destination i reads source (i * ((s << 16) / d)) >> 16.
int FixedPointSource(int i, int s, int d) {
    return int((std::int64_t(i) * ((s << 16) / d)) >> 16);
}

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

using DirectDrawTest = ApiTest;

TEST_F(DirectDrawTest, StretchBltPicksSourceByFixedPointStep) {
    const struct {
        RECT from;
        RECT to;
    } cases[] = {
        {{0, 0, 3, 2}, {5, 5, 17, 13}},  // 4x: an exact step, 4 x 4 blocks
        {{0, 0, 3, 1}, {0, 0, 7, 1}},         {{0, 0, 7, 1}, {0, 0, 3, 1}}, {{0, 0, 1, 3}, {0, 0, 1, 7}},
        {{0, 0, 1, 7}, {0, 0, 1, 3}},         {{0, 0, 4, 1}, {0, 0, 6, 1}}, {{0, 0, 6, 1}, {0, 0, 4, 1}},
        {{0, 0, 1, 5}, {0, 0, 1, 7}},         {{2, 1, 7, 2}, {3, 4, 5, 5}},  // shrunk from inside the source
        {{0, 0, 10, 1}, {0, 0, 100, 1}},       // the step is not exact: 10 -> 100 gives runs of 11, 10 .. 9
        {{2, 3, 62, 47}, {21, 16, 619, 464}},  // a part of the source zoomed 9.97 x 10.18 over most of the screen
    };
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* source = Offscreen(64, 48);
    IDirectDrawSurface* dest = Offscreen(640, 480);
    ASSERT_TRUE(source && dest);
    ASSERT_NO_FATAL_FAILURE(WritePixels(source, Distinct));
    for (const auto& c : cases) {
        const int sw = c.from.right - c.from.left, sh = c.from.bottom - c.from.top;
        const int dw = c.to.right - c.to.left, dh = c.to.bottom - c.to.top;
        const std::string name =
            std::to_string(sw) + "x" + std::to_string(sh) + " -> " + std::to_string(dw) + "x" + std::to_string(dh);
        ASSERT_EQ(DD_OK, ColorFill(dest, nullptr, kUntouched));
        RECT from = c.from, to = c.to;
        ASSERT_EQ(DD_OK, dest->Blt(&to, source, &from, DDBLT_WAIT, nullptr)) << name;
        ExpectSurfacePixels(name, dest, RECT{0, 0, c.to.right + 1, c.to.bottom + 1}, [&](int x, int y) {
            return Holds(to, x, y) ? Distinct(from.left + FixedPointSource(x - to.left, sw, dw),
                                              from.top + FixedPointSource(y - to.top, sh, dh))
                                   : kUntouched;
        });
    }
}

// A destination rectangle not wholly inside the destination, or a source rectangle not wholly inside the source,
// fails the Blt (and a colour fill into that destination rectangle) with DDERR_INVALIDRECT, drawing nothing.
TEST_F(DirectDrawTest, BltRejectsRectsOutsideEitherSurfaceAndDrawsNothing) {
    const RECT wholeSource{0, 0, 20, 20};
    const struct {
        const char* name;
        RECT to;
        bool badSource;  // `from` is the bad rectangle, `to` a good one
        RECT from;
    } cases[] = {{"partly right/bottom", {30, 20, 50, 40}, false, wholeSource},
                 {"partly left/top", {-5, -5, 15, 15}, false, wholeSource},
                 {"wholly outside", {50, 40, 70, 60}, false, wholeSource},
                 {"zero width", {10, 10, 10, 20}, false, wholeSource},
                 {"zero height", {10, 10, 20, 10}, false, wholeSource},
                 {"inverted", {20, 10, 10, 20}, false, wholeSource},
                 {"source partly outside", {0, 0, 20, 20}, true, {10, 10, 30, 30}},
                 {"source left of the surface", {0, 0, 20, 20}, true, {-2, 0, 8, 8}},
                 {"source zero width", {0, 0, 20, 20}, true, {5, 5, 5, 15}},
                 {"source inverted", {0, 0, 20, 20}, true, {15, 5, 5, 15}}};
    ASSERT_TRUE(StartDirectDraw(32));
    IDirectDrawSurface* source = Offscreen(20, 20);
    IDirectDrawSurface* dest = Offscreen(40, 30);
    ASSERT_TRUE(source && dest);
    ASSERT_EQ(DD_OK, ColorFill(source, nullptr, 0x00ff00));
    ASSERT_EQ(DD_OK, ColorFill(dest, nullptr, kUntouched));
    const auto untouched = [](int, int) { return kUntouched; };
    for (const auto& c : cases) {
        RECT to = c.to, from = c.from;
        const HRESULT hr = dest->Blt(&to, source, c.badSource ? &from : nullptr, DDBLT_WAIT, nullptr);
        EXPECT_EQ(DDERR_INVALIDRECT, hr) << c.name << ": got " << Hex(DWORD(hr));
        ExpectSurfacePixels(c.name, dest, RECT{0, 0, 40, 30}, untouched);
        if (!c.badSource) {
            const HRESULT fill = ColorFill(dest, &to, 0x00ff00);
            EXPECT_EQ(DDERR_INVALIDRECT, fill) << c.name << " colour fill: got " << Hex(DWORD(fill));
            ExpectSurfacePixels(std::string(c.name) + " colour fill", dest, RECT{0, 0, 40, 30}, untouched);
        }
    }
}

// The system sizes its copies from the description of the surface it copies into; a surface's DC is lent once.
TEST_F(DirectDrawTest, SurfacesDescribeTheirSizeAndTheModesFormatAndLendOneDC) {
    const struct {
        DWORD bitsPerPixel;
        DWORD masks[3];
        bool primary;  // else an offscreen surface of 37 x 21
    } modes[] = {{32, {0xff0000, 0x00ff00, 0x0000ff}, false}, {16, {0xf800, 0x07e0, 0x001f}, true}};
    ASSERT_TRUE(StartDirectDraw(32));
    for (const auto& mode : modes) {
        ASSERT_EQ(DD_OK, ddraw_->SetDisplayMode(640, 480, mode.bitsPerPixel));
        IDirectDrawSurface* surface = mode.primary ? Primary() : Offscreen(37, 21);
        ASSERT_NE(nullptr, surface);
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        ASSERT_EQ(DD_OK, surface->GetSurfaceDesc(&desc));
        const DWORD described = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
        EXPECT_EQ(described, desc.dwFlags & described) << "dwFlags " << Hex(desc.dwFlags);
        EXPECT_EQ(std::vector<DWORD>({mode.primary ? 640u : 37u, mode.primary ? 480u : 21u, mode.bitsPerPixel, DDPF_RGB,
                                      mode.masks[0], mode.masks[1], mode.masks[2]}),
                  std::vector<DWORD>({desc.dwWidth, desc.dwHeight, desc.ddpfPixelFormat.dwRGBBitCount,
                                      desc.ddpfPixelFormat.dwFlags & DDPF_RGB, desc.ddpfPixelFormat.dwRBitMask,
                                      desc.ddpfPixelFormat.dwGBitMask, desc.ddpfPixelFormat.dwBBitMask}))
            << mode.bitsPerPixel << "-bit mode: width, height, bits, RGB, masks";
        EXPECT_TRUE(mode.primary ? desc.lPitch == 1280 : desc.lPitch >= 37 * 4) << "pitch " << desc.lPitch;
        HDC first = nullptr, second = nullptr;
        ASSERT_EQ(DD_OK, surface->GetDC(&first));
        EXPECT_TRUE(FAILED(surface->GetDC(&second))) << "a second GetDC";
        EXPECT_EQ(DD_OK, surface->ReleaseDC(first));
    }
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

TEST_F(DirectDrawTest, Mode16FillsAsGivenAndGdiColoursTruncate) {
    ASSERT_TRUE(StartDirectDraw(16));
    IDirectDrawSurface* surface = Offscreen(8, 8);
    ASSERT_TRUE(surface);
    ASSERT_EQ(DD_OK, ColorFill(surface, nullptr, 0x1234));
    ExpectSurfacePixels("16-bit colour fill", surface, RECT{0, 0, 8, 8}, [](int, int) { return 0x1234u; });
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
