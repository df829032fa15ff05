// present_test.cpp -- presenting: where the picture lies, drawing it into SDL's pixels with each instruction set,
// frames reaching the (dummy) window with their black bars, the frame cap and Print Screen's file.
#include "api_helpers.h"
#include "capture.h"
#include "diagnostics.h"
#include "picture.h"
#include "platform_state.h"
#include "sdl_host.h"
#include "sdl_picture_drawer.h"
#include "sdl_picture_rect.h"
#include "user_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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

std::string Text(const SDL_Rect& rect) {
    return "{" + std::to_string(rect.x) + ", " + std::to_string(rect.y) + ", " + std::to_string(rect.w) + " x " +
           std::to_string(rect.h) + "}";
}

TEST(PictureRectTest, FitIntegerAndStretchPlaceThePictureInWindowsOfManySizes) {
    const struct {
        int areaWidth, areaHeight;
        Scaling scaling;
        SDL_Rect expected;
    } cases[] = {
        {1280, 1024, Scaling::Fit, {0, 32, 1280, 960}},    // bars above and below
        {1920, 1080, Scaling::Fit, {240, 0, 1440, 1080}},  // bars left and right
        {800, 600, Scaling::Fit, {0, 0, 800, 600}},        // 4:3 fills it
        {600, 400, Scaling::Fit, {33, 0, 533, 400}},       // smaller than the picture
        {1, 1, Scaling::Fit, {0, 0, 1, 1}},                // never below a pixel
        {0, 768, Scaling::Fit, {0, 0, 0, 0}},              // no pixels, no picture
        {1920, 1080, Scaling::Integer, {320, 60, 1280, 960}},
        {3840, 2160, Scaling::Integer, {640, 120, 2560, 1920}},
        {640, 480, Scaling::Integer, {0, 0, 640, 480}},
        {600, 400, Scaling::Integer, {33, 0, 533, 400}},  // not even once: as Fit
        {1920, 1080, Scaling::Stretch, {0, 0, 1920, 1080}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Text(plat::PictureRect(640, 480, c.areaWidth, c.areaHeight, c.scaling)), Text(c.expected))
            << "640 x 480 in " << c.areaWidth << " x " << c.areaHeight << ", scaling " << int(c.scaling);
    }
}

// SDL pixels of one format, filled with garbage so that anything left unpainted shows.
struct Target {
    std::vector<std::uint32_t> memory;
    plat::PixelTarget pixels;

    Target(int width, int height, Uint32 format) : memory(std::size_t(width) * height, 0xDEADBEEF) {
        pixels = plat::PixelTarget{memory.data(), width, height, width * int(SDL_BYTESPERPIXEL(format)), format};
    }
    std::uint32_t At(int x, int y) const {
        std::uint32_t value = 0;
        const int bytes = SDL_BYTESPERPIXEL(pixels.format);
        std::memcpy(&value, reinterpret_cast<const std::uint8_t*>(memory.data()) + y * pixels.pitch + x * bytes, bytes);
        return value;
    }
};

// Every target pixel inside `rect` against the colour of the picture pixel under its centre, and black outside,
// with the alpha bits opaque in ARGB8888; returns the number of wrong pixels, reporting the first.
int CountWrongPixels(const Target& target, const SDL_Rect& rect, const Canvas& picture) {
    const bool alpha = target.pixels.format == SDL_PIXELFORMAT_ARGB8888;
    int wrong = 0;
    for (int y = 0; y < target.pixels.height; ++y) {
        for (int x = 0; x < target.pixels.width; ++x) {
            const int i = x - rect.x, j = y - rect.y;
            const bool inside = i >= 0 && i < rect.w && j >= 0 && j < rect.h;
            const COLORREF colour =
                inside ? picture.PixelColor(picture.ReadPixel((2 * i + 1) * picture.Width() / (2 * rect.w),
                                                              (2 * j + 1) * picture.Height() / (2 * rect.h)))
                       : 0;
            const std::uint32_t expected = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
            const std::uint32_t got = target.At(x, y);
            if (((got & 0xFFFFFF) != expected || (alpha && got >> 24 != 0xFF)) && wrong++ == 0) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") of " << Text(rect) << ": expected " << std::hex
                              << expected << ", got " << got;
            }
        }
    }
    return wrong;
}

TEST(PictureDrawerTest, EveryInstructionSetDrawsEveryPlacementOfSixteenAndThirtyTwoBitPictures) {
    // A picture of a quarter of the display mode's size in windows of the proportions the real one meets (wide,
    // 5:4, 4:3, a pixel off, smaller, tiny), and odd ones.
    const std::pair<SDL_Point, SDL_Point> sizes[] = {
        {{160, 120}, {480, 270}}, {{160, 120}, {320, 256}}, {{160, 120}, {256, 192}}, {{160, 120}, {161, 119}},
        {{160, 120}, {83, 62}},   {{160, 120}, {7, 5}},     {{37, 23}, {301, 187}},   {{5, 3}, {24, 14}}};
    for (const auto& [set, name] : {std::pair{plat::InstructionSet::Portable, "portable"},
                                    {plat::InstructionSet::Sse2, "sse2"},
                                    {plat::InstructionSet::Avx2, "avx2"}}) {
        const plat::RowRoutines* routines = plat::RowRoutinesFor(set);
        if (!routines) {
            continue;  // not on this processor
        }
        plat::PictureDrawer drawer(*routines);
        for (const PixelLayout layout : {PixelLayout::Xrgb8888, PixelLayout::Rgb565}) {
            for (const auto& [picture, window] : sizes) {
                Canvas source(picture.x, picture.y, layout);  // pixels that differ from their neighbours, none black
                for (int y = 0; y < picture.y; ++y) {
                    for (int x = 0; x < picture.x; ++x) {
                        const std::uint32_t distinct = std::uint32_t(x) << 16 | std::uint32_t(y) << 8 | 0x10;
                        source.WritePixel(
                            x, y, layout == PixelLayout::Xrgb8888 ? distinct : (distinct * 2654435761u) >> 16 | 1);
                    }
                }
                for (const Scaling scaling : {Scaling::Fit, Scaling::Integer, Scaling::Stretch}) {
                    for (const Uint32 format : {SDL_PIXELFORMAT_RGB888, SDL_PIXELFORMAT_ARGB8888}) {
                        const SDL_Rect rect = plat::PictureRect(picture.x, picture.y, window.x, window.y, scaling);
                        Target target(window.x, window.y, format);
                        plat::PaintMargins(target.pixels, rect);
                        drawer.Draw(source, target.pixels, rect);
                        EXPECT_EQ(CountWrongPixels(target, rect, source), 0)
                            << name << ", " << source.BitsPerPixel() << "-bit " << picture.x << " x " << picture.y
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
    Canvas indexed(4, 2, PixelLayout::Indexed8);               // the display's fixed 3-3-2 palette
    const std::uint32_t indices[] = {0xE0, 0x1C, 0x03, 0xFF};  // red, green, blue, white
    for (int x = 0; x < 4; ++x) {
        indexed.WritePixel(x, 0, indices[x]);
    }
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

// An exclusive full-screen 640 x 480 x 32 display with its flip chain, as the program sets it up, in a fresh folder
// of its own: the working directory, where screenshots go.
class DisplayTest : public apitest::ApiTest {
protected:
    // The settings the display runs with, besides the environment's.
    virtual std::map<std::string, std::string> Settings() const { return {}; }

    void SetUp() override {
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
        tamberlyn::ResetPlatform(Settings());
        ASSERT_TRUE(StartDirectDraw(32));
        primary_ = Primary(&back_);
        ASSERT_TRUE(primary_ && back_);
    }
    void TearDown() override {
        ApiTest::TearDown();
        tamberlyn::ResetPlatform();
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(folder_);
    }

    // Fills `rect` of the back buffer with `color` (0x00RRGGBB at 32 bits).
    void Fill(RECT rect, DWORD color) { ASSERT_EQ(apitest::ColorFill(back_, &rect, color), DD_OK); }
    // The SDL window showing the program's window, or null where none opened.
    static SDL_Window* ShownWindow() {
        const auto& host = dynamic_cast<const plat::sdl::SdlHost&>(plat::TheHost());
        for (Uint32 id = 1; id < 10000; ++id) {
            if (host.WindowOf(id)) {
                return SDL_GetWindowFromID(id);
            }
        }
        return nullptr;
    }

    const std::filesystem::path previous_ = std::filesystem::current_path();
    const std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("tamberlyn-present-" + std::to_string(getpid()));
    IDirectDrawSurface* primary_ = nullptr;
    IDirectDrawSurface* back_ = nullptr;
};

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
    const auto cornerAfterFlip = [&] {
        *corner() = 0xFF00FF;
        EXPECT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        return *corner() & 0xFFFFFF;
    };
    EXPECT_EQ(cornerAfterFlip(), 0u) << "bars painted in a window of a new size";
    EXPECT_EQ(cornerAfterFlip(), 0xFF00FFu) << "bars already there are not painted again every frame";
    SDL_Event exposed{};
    exposed.type = SDL_WINDOWEVENT;
    exposed.window.windowID = SDL_GetWindowID(window);
    exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
    SDL_PushEvent(&exposed);
    EXPECT_EQ(cornerAfterFlip(), 0u) << "bars painted again once the window system lost what the window showed";
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
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(240))
        << "6 frames at 20 a second take five periods of 50 ms";
}

TEST_F(DisplayTest, PrintScreenSavesTheShownPictureAtItsOwnSizeUnderNewNamesUnlessInTheBackground) {
    EXPECT_EQ(plat::capture::SaveScreenshot(), "") << "no frame shown yet";
    Fill(RECT{0, 0, 640, 480}, 0x00FF00);
    Fill(RECT{600, 0, 640, 10}, 0xFF0000);
    ASSERT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    Fill(RECT{0, 0, 640, 480}, 0x0000FF);  // the next frame, drawn but not shown

    ASSERT_EQ(plat::capture::SaveScreenshot(), (folder_ / "tamberlyn-0001.bmp").string());
    EXPECT_EQ(plat::capture::SaveScreenshot(), (folder_ / "tamberlyn-0002.bmp").string())
        << "a second shot takes the next free name";
    const std::optional<screen::Picture> saved = screen::ReadBmp("tamberlyn-0001.bmp");
    ASSERT_TRUE(saved && saved->width == 640 && saved->height == 480);
    EXPECT_EQ(saved->At(0, 0), 0x00FF00u) << "the shown frame, not the back buffer";
    EXPECT_EQ(saved->At(639, 0), 0xFF0000u) << "top right corner";
    EXPECT_EQ(saved->At(639, 479), 0x00FF00u) << "bottom right corner";

    plat::windows::SetAppActive(false);
    EXPECT_EQ(plat::capture::SaveScreenshot(), "") << "the program is in the background: its surfaces are lost";
    EXPECT_FALSE(std::filesystem::exists("tamberlyn-0003.bmp"));
}

}  // namespace
