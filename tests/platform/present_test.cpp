// present_test.cpp -- tests of presenting: where the picture lies, drawing it into SDL's pixels with each
// instruction set, frames reaching the (dummy) window with their black bars, the frame cap and Print Screen's file.
#include "capture.h"
#include "diagnostics.h"
#include "platform_state.h"
#include "sdl_host.h"
#include "sdl_picture_drawer.h"
#include "sdl_picture_rect.h"
#include "settings.h"
#include "user_window.h"

#include <ddraw.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using plat::Canvas;
using plat::PixelLayout;
using plat::Scaling;

// ---- where the picture lies ----

std::string Text(const SDL_Rect& rect) {
    return "{" + std::to_string(rect.x) + ", " + std::to_string(rect.y) + ", " + std::to_string(rect.w) + " x " +
           std::to_string(rect.h) + "}";
}

struct RectCase {
    int areaWidth;
    int areaHeight;
    Scaling scaling;
    SDL_Rect expected;
};

TEST(PictureRectTest, FitIntegerAndStretchPlaceThePictureInWindowsOfManySizes) {
    const RectCase cases[] = {
        {1280, 1024, Scaling::Fit, {0, 32, 1280, 960}},    // bars above and below
        {1920, 1080, Scaling::Fit, {240, 0, 1440, 1080}},  // bars left and right
        {800, 600, Scaling::Fit, {0, 0, 800, 600}},        // 4:3 fills it
        {600, 400, Scaling::Fit, {33, 0, 533, 400}},       // smaller than the picture
        {1920, 1080, Scaling::Integer, {320, 60, 1280, 960}},
        {3840, 2160, Scaling::Integer, {640, 120, 2560, 1920}},
        {640, 480, Scaling::Integer, {0, 0, 640, 480}},
        {600, 400, Scaling::Integer, {33, 0, 533, 400}},  // not even once: as Fit
        {1920, 1080, Scaling::Stretch, {0, 0, 1920, 1080}},
    };
    for (const RectCase& c : cases) {
        const SDL_Rect got = plat::PictureRect(640, 480, c.areaWidth, c.areaHeight, c.scaling);
        EXPECT_EQ(Text(got), Text(c.expected))
            << "640 x 480 in " << c.areaWidth << " x " << c.areaHeight << ", scaling " << int(c.scaling);
    }
}

TEST(PictureRectTest, NoPixelsGiveAnEmptyRectangle) {
    EXPECT_EQ(Text(plat::PictureRect(640, 480, 0, 768, Scaling::Fit)), Text({0, 0, 0, 0}));
    EXPECT_EQ(Text(plat::PictureRect(0, 480, 1024, 768, Scaling::Stretch)), Text({0, 0, 0, 0}));
    EXPECT_EQ(Text(plat::PictureRect(640, 480, 1, 1, Scaling::Fit)), Text({0, 0, 1, 1})) << "never below a pixel";
}

// ---- drawing the picture into SDL's pixels ----

constexpr std::uint32_t kGarbage = 0xDEADBEEF;

// SDL pixels of one format, filled with garbage so that anything left unpainted shows.
struct Target {
    std::vector<std::uint32_t> memory;
    plat::PixelTarget pixels;

    Target(int width, int height, Uint32 format) : memory(std::size_t(width) * height, kGarbage) {
        pixels = plat::PixelTarget{memory.data(), width, height, width * int(SDL_BYTESPERPIXEL(format)), format};
    }
    std::uint32_t At(int x, int y) const {
        const auto* row = reinterpret_cast<const std::uint8_t*>(memory.data()) + std::size_t(y) * pixels.pitch;
        std::uint32_t value = 0;
        std::memcpy(&value, row + std::size_t(x) * SDL_BYTESPERPIXEL(pixels.format), SDL_BYTESPERPIXEL(pixels.format));
        return value;
    }
};

// A picture whose pixels differ from their neighbours and are never black: 0x00XXYY10 at 32 bits, a scramble of
// x and y at 16.
void FillDistinct(Canvas& picture) {
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const std::uint32_t distinct = std::uint32_t(x) << 16 | std::uint32_t(y) << 8 | 0x10;
            picture.WritePixel(x, y, picture.BitsPerPixel() == 32 ? distinct : (distinct * 2654435761u) >> 16 | 1);
        }
    }
}

// The colour of a picture pixel as 0x00RRGGBB.
std::uint32_t Rgb(const Canvas& picture, int x, int y) {
    const COLORREF color = picture.PixelColor(picture.ReadPixel(x, y));
    return std::uint32_t(GetRValue(color)) << 16 | std::uint32_t(GetGValue(color)) << 8 | GetBValue(color);
}

// Every target pixel inside `rect` against the colour of the picture pixel under its centre, and black outside,
// with the alpha bits opaque in ARGB8888; returns the number of wrong pixels, reporting the first.
int CountWrongPixels(const Target& target, const SDL_Rect& rect, const Canvas& picture) {
    const bool alpha = target.pixels.format == SDL_PIXELFORMAT_ARGB8888;
    int wrong = 0;
    for (int y = 0; y < target.pixels.height; ++y) {
        for (int x = 0; x < target.pixels.width; ++x) {
            const int i = x - rect.x, j = y - rect.y;
            const bool inside = i >= 0 && i < rect.w && j >= 0 && j < rect.h;
            const std::uint32_t expected = inside ? Rgb(picture, (2 * i + 1) * picture.Width() / (2 * rect.w),
                                                        (2 * j + 1) * picture.Height() / (2 * rect.h))
                                                  : 0;
            const std::uint32_t got = target.At(x, y);
            if (((got & 0xFFFFFF) != expected || (alpha && got >> 24 != 0xFF)) && wrong++ == 0) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") of " << Text(rect) << ": expected " << std::hex
                              << expected << ", got " << got;
            }
        }
    }
    return wrong;
}

TEST(PictureDrawerTest, WholeAndFractionalEnlargementsShowThePixelUnderEachCentreWithBlackBars) {
    Canvas picture(5, 3, PixelLayout::Xrgb8888);
    FillDistinct(picture);
    plat::PictureDrawer drawer;
    const SDL_Rect rects[] = {{0, 0, 5, 3}, {1, 2, 10, 6}, {0, 1, 15, 9}, {2, 0, 20, 12}, {3, 1, 8, 7}, {0, 0, 3, 2}};
    for (const SDL_Rect& rect : rects) {
        Target target(24, 14, SDL_PIXELFORMAT_RGB888);
        plat::PaintMargins(target.pixels, rect);
        drawer.Draw(picture, target.pixels, rect);
        EXPECT_EQ(CountWrongPixels(target, rect, picture), 0) << "5 x 3 onto " << Text(rect);
    }
}

TEST(PictureDrawerTest, EmptyRectangleLeavesTheTargetBlack) {
    Canvas picture(5, 3, PixelLayout::Xrgb8888);
    FillDistinct(picture);
    Target target(8, 4, SDL_PIXELFORMAT_RGB888);
    plat::PaintMargins(target.pixels, SDL_Rect{0, 0, 0, 0});
    plat::PictureDrawer().Draw(picture, target.pixels, SDL_Rect{0, 0, 0, 0});
    EXPECT_EQ(CountWrongPixels(target, SDL_Rect{0, 0, 0, 0}, picture), 0);
}

TEST(PictureDrawerTest, EveryInstructionSetDrawsEveryPlacementOfSixteenAndThirtyTwoBitPictures) {
    struct Set {
        plat::InstructionSet set;
        const char* name;
    };
    // A picture of a quarter of the display mode's size in windows of the proportions the real one meets (wide,
    // 5:4, 4:3, a pixel off, smaller, tiny), and an odd one.
    const std::pair<SDL_Point, SDL_Point> sizes[] = {
        {{160, 120}, {480, 270}}, {{160, 120}, {320, 256}}, {{160, 120}, {256, 192}}, {{160, 120}, {161, 119}},
        {{160, 120}, {83, 62}},   {{160, 120}, {7, 5}},     {{37, 23}, {301, 187}}};
    for (const Set set : {Set{plat::InstructionSet::Portable, "portable"}, Set{plat::InstructionSet::Sse2, "sse2"},
                          Set{plat::InstructionSet::Avx2, "avx2"}}) {
        const plat::RowRoutines* routines = plat::RowRoutinesFor(set.set);
        if (!routines) {
            continue;  // not on this processor
        }
        plat::PictureDrawer drawer(*routines);
        for (const PixelLayout layout : {PixelLayout::Xrgb8888, PixelLayout::Rgb565}) {
            for (const auto& [picture, window] : sizes) {
                Canvas source(picture.x, picture.y, layout);
                FillDistinct(source);
                for (const Scaling scaling : {Scaling::Fit, Scaling::Integer, Scaling::Stretch}) {
                    for (const Uint32 format : {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_ARGB8888}) {
                        const SDL_Rect rect = plat::PictureRect(picture.x, picture.y, window.x, window.y, scaling);
                        Target target(window.x, window.y, format);
                        plat::PaintMargins(target.pixels, rect);
                        drawer.Draw(source, target.pixels, rect);
                        EXPECT_EQ(CountWrongPixels(target, rect, source), 0)
                            << set.name << ", " << source.BitsPerPixel() << "-bit " << picture.x << " x " << picture.y
                            << " onto " << Text(rect) << " of " << SDL_GetPixelFormatName(format);
                    }
                }
            }
        }
    }
}

// One white column at a time on black, enlarged 2.25 times: how much light each column puts on screen. Nearest gives
// some columns two pixels and some three; linear and sharp give each the same 2.25 pixels' worth.
TEST(PictureDrawerTest, BlendedFiltersGiveEverySourceColumnTheSameWidth) {
    constexpr int kWidth = 16, kHeight = 4;
    for (const auto& [filter, name] : {std::pair{plat::Filter::Nearest, "nearest"},
                                       {plat::Filter::Linear, "linear"},
                                       {plat::Filter::Sharp, "sharp"}}) {
        std::vector<double> widths;
        for (int column = 2; column < kWidth - 2; ++column) {
            Canvas picture(kWidth, kHeight, PixelLayout::Xrgb8888);
            for (int y = 0; y < kHeight; ++y) {
                picture.WritePixel(column, y, 0xFFFFFF);
            }
            Target target(kWidth * 9 / 4, kHeight * 9 / 4, SDL_PIXELFORMAT_RGB888);
            plat::PictureDrawer().Draw(picture, target.pixels, SDL_Rect{0, 0, kWidth * 9 / 4, kHeight * 9 / 4}, filter);
            double light = 0;
            for (int x = 0; x < kWidth * 9 / 4; ++x) {
                light += (target.At(x, 4) & 0xFF) / 255.0;
            }
            widths.push_back(light);
        }
        const auto [narrowest, widest] = std::minmax_element(widths.begin(), widths.end());
        SCOPED_TRACE(name);
        if (filter == plat::Filter::Nearest) {
            EXPECT_EQ(*narrowest, 2.0);
            EXPECT_EQ(*widest, 3.0);
        } else {
            EXPECT_NEAR(*narrowest, 2.25, 0.05);
            EXPECT_NEAR(*widest, 2.25, 0.05);
        }
    }
    // Sharp stays crisp where linear blurs: the middle of a column is white.
    Canvas picture(kWidth, kHeight, PixelLayout::Xrgb8888);
    for (int y = 0; y < kHeight; ++y) {
        picture.WritePixel(8, y, 0xFFFFFF);
    }
    Target sharp(kWidth * 9 / 4, kHeight * 9 / 4, SDL_PIXELFORMAT_RGB888);
    plat::PictureDrawer().Draw(picture, sharp.pixels, SDL_Rect{0, 0, kWidth * 9 / 4, kHeight * 9 / 4},
                               plat::Filter::Sharp);
    EXPECT_EQ(sharp.At(8 * 9 / 4 + 1, 4) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(PictureDrawerTest, PicturesOfOtherFormatsAreConvertedAtTheirSizeAndScaled) {
    Canvas indexed(4, 2, PixelLayout::Indexed8);  // the display's fixed 3-3-2 palette
    indexed.WritePixel(0, 0, 0xE0);               // red
    indexed.WritePixel(1, 0, 0x1C);               // green
    indexed.WritePixel(2, 0, 0x03);               // blue
    indexed.WritePixel(3, 0, 0xFF);               // white
    plat::PictureDrawer drawer;
    for (const SDL_Rect& rect : {SDL_Rect{0, 0, 4, 2}, SDL_Rect{0, 0, 8, 4}, SDL_Rect{1, 0, 6, 4}}) {
        Target target(8, 4, SDL_PIXELFORMAT_RGB888);
        drawer.Draw(indexed, target.pixels, rect);
        EXPECT_EQ(target.At(rect.x, 0) & 0xFFFFFF, 0xFF0000u) << Text(rect);
        EXPECT_EQ(target.At(rect.x + rect.w - 1, 0) & 0xFFFFFF, 0xFFFFFFu) << Text(rect);
        EXPECT_EQ(target.At(rect.x + rect.w / 2 - 1, 0) & 0xFFFFFF, 0x00FF00u) << Text(rect);
        EXPECT_EQ(target.At(rect.x, rect.h - 1) & 0xFFFFFF, 0u) << Text(rect) << ": bottom row is index 0, black";
    }

    Canvas wide(2, 1, PixelLayout::Xrgb8888);
    wide.WritePixel(0, 0, 0xFF0000);
    wide.WritePixel(1, 0, 0x0000FF);
    Target rgb565(6, 2, SDL_PIXELFORMAT_RGB565);
    drawer.Draw(wide, rgb565.pixels, SDL_Rect{0, 0, 6, 2});
    EXPECT_EQ(rgb565.At(2, 1), 0xF800u) << "red in 5-6-5";
    EXPECT_EQ(rgb565.At(3, 0), 0x001Fu) << "blue in 5-6-5";
}

// ---- frames through DirectDraw into the dummy window, the frame cap, screenshots ----

LRESULT CALLBACK PlainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// An exclusive full-screen 640 x 480 x 32 display with its flip chain, as the program sets it up.
class DisplayTest : public ::testing::Test {
protected:
    // The settings the display runs with, besides the environment's.
    virtual std::map<std::string, std::string> Settings() const { return {}; }

    void SetUp() override {
        tamberlyn::ResetPlatform(Settings());
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = PlainWindowProc;
        windowClass.lpszClassName = "PresentTest";
        RegisterClassA(&windowClass);
        hwnd_ = CreateWindowExA(0, "PresentTest", "PresentTest", WS_POPUPWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        ShowWindow(hwnd_, SW_SHOW);
        ASSERT_EQ(DirectDrawCreate(nullptr, &ddraw_, nullptr), DD_OK);
        ASSERT_EQ(ddraw_->SetCooperativeLevel(hwnd_, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
        ASSERT_EQ(ddraw_->SetDisplayMode(640, 480, 32), DD_OK);
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        ASSERT_EQ(ddraw_->CreateSurface(&desc, &primary_, nullptr), DD_OK);
        DDSCAPS caps{DDSCAPS_BACKBUFFER};
        ASSERT_EQ(primary_->GetAttachedSurface(&caps, &back_), DD_OK);
    }
    void TearDown() override {
        if (back_) {
            back_->Release();
        }
        if (primary_) {
            primary_->Release();
        }
        if (ddraw_) {
            ddraw_->Release();
        }
        tamberlyn::ResetPlatform();
    }

    // Fills `rect` of the back buffer with `color` (0x00RRGGBB at 32 bits).
    void Fill(RECT rect, DWORD color) {
        DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = color;
        ASSERT_EQ(back_->Blt(&rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    }
    // The SDL window showing the program's window, or null where none opened.
    SDL_Window* ShownWindow() const {
        const auto& host = dynamic_cast<const plat::sdl::SdlHost&>(plat::TheHost());
        for (Uint32 id = 1; id < 10000; ++id) {
            if (host.WindowOf(id) == hwnd_) {
                return SDL_GetWindowFromID(id);
            }
        }
        return nullptr;
    }

    HWND hwnd_ = nullptr;
    IDirectDraw* ddraw_ = nullptr;
    IDirectDrawSurface* primary_ = nullptr;
    IDirectDrawSurface* back_ = nullptr;
};

TEST_F(DisplayTest, AFlipShowsThePictureScaledIntoTheFullScreenWindow) {
    const char* driver = SDL_getenv("SDL_VIDEODRIVER");
    if (!driver || std::string(driver) != "dummy") {
        GTEST_SKIP() << "needs SDL's dummy video driver (SDL_VIDEODRIVER=dummy), got " << (driver ? driver : "none");
    }
    SDL_Window* window = ShownWindow();
    ASSERT_NE(window, nullptr) << "the dummy video driver opens a window for the program's";
    Fill(RECT{0, 0, 640, 480}, 0x0000FF);
    Fill(RECT{320, 240, 640, 480}, 0xFFFFFF);
    ASSERT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);

    SDL_Surface* surface = SDL_GetWindowSurface(window);
    ASSERT_NE(surface, nullptr);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    SDL_DisplayMode desktop{};
    SDL_GetDesktopDisplayMode(0, &desktop);
    EXPECT_EQ(width, desktop.w) << "desktop full screen";
    EXPECT_EQ(height, desktop.h) << "desktop full screen";
    const SDL_Rect rect = plat::PictureRect(640, 480, surface->w, surface->h, Scaling::Fit);
    const auto pixel = [&](int x, int y) {
        return static_cast<const std::uint32_t*>(surface->pixels)[std::size_t(y) * surface->pitch / 4 + x] & 0xFFFFFF;
    };
    EXPECT_EQ(pixel(rect.x, rect.y), 0x0000FFu) << "top left of the picture in " << Text(rect);
    EXPECT_EQ(pixel(rect.x + rect.w - 1, rect.y + rect.h - 1), 0xFFFFFFu) << "bottom right in " << Text(rect);
    EXPECT_EQ(pixel(rect.x + rect.w / 2 - 1, rect.y + rect.h / 2 - 1), 0x0000FFu) << "just left of the middle";
}

TEST_F(DisplayTest, BarsArePaintedOnlyWhenTheWindowChangesOrWasExposed) {
    SDL_Window* window = ShownWindow();
    if (!window) {
        GTEST_SKIP() << "needs a video driver that opens windows";
    }
    SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowSize(window, 1280, 768);  // the 1024 x 768 picture with a bar of 128 on either side
    const auto corner = [&] {
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        return surface && surface->w == 1280 ? static_cast<std::uint32_t*>(surface->pixels) : nullptr;
    };
    ASSERT_NE(corner(), nullptr) << "the window surface takes the new size";
    *corner() = 0xFF00FF;
    Fill(RECT{0, 0, 640, 480}, 0x00FF00);
    ASSERT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(*corner() & 0xFFFFFF, 0u) << "bars painted in a window of a new size";

    *corner() = 0xFF00FF;
    ASSERT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(*corner() & 0xFFFFFF, 0xFF00FFu) << "bars already there are not painted again every frame";

    SDL_Event exposed{};
    exposed.type = SDL_WINDOWEVENT;
    exposed.window.windowID = SDL_GetWindowID(window);
    exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
    SDL_PushEvent(&exposed);
    ASSERT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(*corner() & 0xFFFFFF, 0u) << "bars painted again once the window system lost what the window showed";
    SDL_FlushEvent(SDL_WINDOWEVENT);
}

class CappedDisplayTest : public DisplayTest {
protected:
    std::map<std::string, std::string> Settings() const override {
        return {{"TAMBERLYN_UNPACED", ""}, {"TAMBERLYN_FRAME_CAP", "20"}};
    }
};

TEST_F(CappedDisplayTest, TheFrameCapHoldsFramesBackEvenWithoutPacing) {
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < 6; ++frame) {
        ASSERT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(240)) << "6 frames at 20 a second take five periods of 50 ms";
}

// Runs the test in a fresh folder of its own, the working directory where screenshots go.
class ScreenshotTest : public DisplayTest {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        folder_ = std::filesystem::temp_directory_path() /
                  ("tamberlyn-screenshots-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
        DisplayTest::SetUp();
    }
    void TearDown() override {
        DisplayTest::TearDown();
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(folder_);
    }

    std::filesystem::path previous_;
    std::filesystem::path folder_;
};

TEST_F(ScreenshotTest, PrintScreenSavesTheShownPictureAtItsOwnSizeUnderNewNames) {
    EXPECT_EQ(plat::capture::SaveScreenshot(), "") << "no frame shown yet";
    Fill(RECT{0, 0, 640, 480}, 0x00FF00);
    Fill(RECT{600, 0, 640, 10}, 0xFF0000);
    ASSERT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    Fill(RECT{0, 0, 640, 480}, 0x0000FF);  // the next frame, drawn but not shown

    const std::filesystem::path here = std::filesystem::current_path();
    ASSERT_EQ(plat::capture::SaveScreenshot(), (here / "tamberlyn-0001.bmp").string());
    EXPECT_EQ(plat::capture::SaveScreenshot(), (here / "tamberlyn-0002.bmp").string())
        << "a second shot takes the next free name";
    SDL_Surface* saved = SDL_LoadBMP("tamberlyn-0001.bmp");
    ASSERT_NE(saved, nullptr) << SDL_GetError();
    EXPECT_EQ(saved->w, 640);
    EXPECT_EQ(saved->h, 480);
    const auto rgb = [&](int x, int y) {
        Uint8 r = 0, g = 0, b = 0;
        const auto* row = static_cast<const Uint8*>(saved->pixels) + std::size_t(y) * saved->pitch;
        Uint32 value = 0;
        std::memcpy(&value, row + std::size_t(x) * saved->format->BytesPerPixel, saved->format->BytesPerPixel);
        SDL_GetRGB(value, saved->format, &r, &g, &b);
        return Uint32(r) << 16 | Uint32(g) << 8 | b;
    };
    EXPECT_EQ(rgb(0, 0), 0x00FF00u) << "the shown frame, not the back buffer";
    EXPECT_EQ(rgb(639, 0), 0xFF0000u) << "top right corner";
    EXPECT_EQ(rgb(639, 479), 0x00FF00u) << "bottom right corner";
    SDL_FreeSurface(saved);
}

TEST_F(ScreenshotTest, NothingIsSavedOnceTheShownSurfacesAreLost) {
    ASSERT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    plat::windows::SetAppActive(false);
    EXPECT_EQ(plat::capture::SaveScreenshot(), "") << "the program is in the background: its surfaces are lost";
    EXPECT_FALSE(std::filesystem::exists("tamberlyn-0001.bmp"));
}

}  // namespace
