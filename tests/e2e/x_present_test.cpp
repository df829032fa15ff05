// x_present_test.cpp -- the X presenter on a private Xvfb: the pixels the X server scales into the window are those
// the window surface would show, at the sizes it scales itself and at those it leaves to the surface, with and
// without shared memory; the kept picture shown again; the bars drawn only when the window may have lost them.
#include "sdl_picture_drawer.h"
#include "sdl_picture_rect.h"
#include "sdl_presenter.h"
#include "x_nearest_transform.h"
#include "x_session.h"
#include "x_shared_image.h"  // after the headers that bring GoogleTest: X defines None

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

using plat::Canvas;
using plat::PixelLayout;

// A picture of random pixels, so that a pixel taken from a neighbour shows.
std::unique_ptr<Canvas> RandomPicture(PixelLayout layout) {
    auto picture = std::make_unique<Canvas>(640, 480, layout);
    std::mt19937 random(7);
    for (int y = 0; y < picture->Height(); ++y) {
        for (int x = 0; x < picture->Width(); ++x) {
            picture->WritePixel(x, y, std::uint32_t(random()) & (layout == PixelLayout::Rgb565 ? 0xFFFFu : 0xFFFFFFu));
        }
    }
    return picture;
}

class XPresenterTest : public testing::Test {
protected:
    explicit XPresenterTest(std::vector<std::string> serverOptions = {}) : server_(1920, 1080, serverOptions) {}

    void SetUp() override {
        ASSERT_NE(server_.Name(), "") << "expected Xvfb running within 10 s";
        setenv("DISPLAY", server_.Name().c_str(), 1);
        ASSERT_EQ(SDL_VideoInit("x11"), 0) << SDL_GetError();
        display_ = XOpenDisplay(server_.Name().c_str());
        ASSERT_NE(display_, nullptr);
    }
    void TearDown() override {
        if (window_) {
            presenter_.reset();
            SDL_DestroyWindow(window_);
        }
        if (display_) {
            XCloseDisplay(display_);
        }
        SDL_VideoQuit();
    }

    // A shown window of `width` x `height` at the screen's corner, with the X presenter on it.
    void Open(int width, int height) {
        window_ = SDL_CreateWindow("x presenter", 0, 0, width, height, SDL_WINDOW_BORDERLESS);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        Settle();
        presenter_ = plat::MakeXPresenter(window_);
        ASSERT_NE(presenter_, nullptr) << "expected the X presenter on an Xvfb with RENDER";
    }
    // Lets the window's events and the server's work settle.
    void Settle() {
        for (int i = 0; i < 5; ++i) {
            SDL_PumpEvents();
            SDL_Delay(20);
        }
        XSync(display_, False);
    }
    unsigned long XWindow() const {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        return SDL_GetWindowWMInfo(window_, &info) ? info.info.x11.window : 0;
    }
    // Pixel (x, y) of the window as the X server has it, 0xRRGGBB.
    std::vector<std::uint32_t> Shown(int width, int height) {
        Settle();
        std::vector<std::uint32_t> pixels;
        if (XImage* image = XGetImage(display_, XWindow(), 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap)) {
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    pixels.push_back(std::uint32_t(XGetPixel(image, x, y)) & 0xFFFFFF);
                }
            }
            XDestroyImage(image);
        }
        return pixels;
    }
    // What the window surface shows of `picture` in a `width` x `height` window: the picture drawn nearest, bars black.
    static std::vector<std::uint32_t> Expected(const Canvas& picture, int width, int height) {
        std::vector<std::uint32_t> pixels(std::size_t(width) * height, 0xDEADBEEF);
        const plat::PixelTarget target{pixels.data(), width, height, 4 * width, SDL_PIXELFORMAT_RGB888};
        const SDL_Rect rect = plat::PictureRect(picture.Width(), picture.Height(), width, height, plat::Scaling::Fit);
        plat::PaintMargins(target, rect);
        plat::PictureDrawer().Draw(picture, target, rect);
        for (std::uint32_t& pixel : pixels) {
            pixel &= 0xFFFFFF;
        }
        return pixels;
    }
    // Paints part of the window magenta behind the presenter's back.
    void PaintOver(int x, int y, int width, int height) {
        GC gc = XCreateGC(display_, XWindow(), 0, nullptr);
        XSetForeground(display_, gc, 0xFF00FF);
        XFillRectangle(display_, XWindow(), gc, x, y, unsigned(width), unsigned(height));
        XFreeGC(display_, gc);
        XSync(display_, False);
    }
    // The number of pixels differing, reporting the first.
    static int Differing(const std::vector<std::uint32_t>& expected, const std::vector<std::uint32_t>& got, int width) {
        if (expected.size() != got.size()) {
            ADD_FAILURE() << "expected " << expected.size() << " pixels, got " << got.size();
            return -1;
        }
        int differing = 0;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            if (expected[i] != got[i] && differing++ == 0) {
                ADD_FAILURE() << "pixel (" << i % std::size_t(width) << ", " << i / std::size_t(width) << "): expected "
                              << std::hex << expected[i] << ", got " << got[i];
            }
        }
        return differing;
    }

    e2e::XServer server_;
    Display* display_ = nullptr;
    SDL_Window* window_ = nullptr;
    std::unique_ptr<plat::Presenter> presenter_;
};

// Windows the X server scales for (whole and fractional scales, up and down, bars either way) and ones it cannot
// scale exactly for, which go through the window surface; 32- and 16-bit pictures.
TEST_F(XPresenterTest, ShowsThePixelsTheWindowSurfaceWouldAtEverySize) {
    const struct {
        int width, height;
        bool serverScales;
    } windows[] = {{1280, 1024, true}, {1920, 1080, true}, {640, 480, true}, {600, 400, true}, {1365, 1024, false}};
    for (const PixelLayout layout : {PixelLayout::Xrgb8888, PixelLayout::Rgb565}) {
        const std::unique_ptr<Canvas> picture = RandomPicture(layout);
        for (const auto& w : windows) {
            SCOPED_TRACE(std::to_string(w.width) + " x " + std::to_string(w.height) + ", " +
                         std::to_string(picture->BitsPerPixel()) + "-bit");
            const SDL_Rect rect = plat::PictureRect(640, 480, w.width, w.height, plat::Scaling::Fit);
            EXPECT_EQ(plat::ExactNearestTransform(640, 480, rect.w, rect.h).has_value(), w.serverScales);
            Open(w.width, w.height);
            presenter_->Present(*picture, plat::Scaling::Fit, plat::Filter::Nearest);
            EXPECT_EQ(Differing(Expected(*picture, w.width, w.height), Shown(w.width, w.height), w.width), 0);
            presenter_.reset();
            SDL_DestroyWindow(window_);
            window_ = nullptr;
        }
    }
}

TEST_F(XPresenterTest, RefreshShowsTheKeptPictureAndBarsComeBackOnlyWhenLost) {
    const std::unique_ptr<Canvas> picture = RandomPicture(PixelLayout::Xrgb8888);
    Open(1920, 1080);  // bars of 240 left and right
    presenter_->Present(*picture, plat::Scaling::Fit, plat::Filter::Nearest);
    const std::vector<std::uint32_t> expected = Expected(*picture, 1920, 1080);

    PaintOver(0, 0, 1920, 1080);
    presenter_->Refresh(plat::Scaling::Fit);
    EXPECT_EQ(Differing(expected, Shown(1920, 1080), 1920), 0) << "the picture and its bars shown again";

    PaintOver(0, 0, 10, 10);
    presenter_->Present(*picture, plat::Scaling::Fit, plat::Filter::Nearest);
    EXPECT_EQ(Shown(1, 1)[0], 0xFF00FFu) << "bars already there are not drawn again every frame";

    SDL_Event exposed{};
    exposed.type = SDL_WINDOWEVENT;
    exposed.window.windowID = SDL_GetWindowID(window_);
    exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
    SDL_PushEvent(&exposed);
    presenter_->Present(*picture, plat::Scaling::Fit, plat::Filter::Nearest);
    EXPECT_EQ(Shown(1, 1)[0], 0u) << "bars drawn again once the window system lost what the window showed";
}

// The shared image as servers without shared pixmaps take the picture (put into a pixmap): what is written into it is
// what the server copies out of it.
TEST_F(XPresenterTest, ASharedImagePutIntoTheWindowShowsItsPixels) {
    Open(64, 48);
    const std::unique_ptr<plat::XSharedImage> shared =
        plat::XSharedImage::Make(display_, DefaultVisual(display_, DefaultScreen(display_)), 24, 64, 48);
    ASSERT_NE(shared, nullptr) << "expected the Xvfb to attach shared memory";
    XImage* image = shared->Image();
    std::vector<std::uint32_t> expected;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            expected.push_back(std::uint32_t(x * 4 << 16 | y * 5 << 8 | (x + y)));
            XPutPixel(image, x, y, expected.back());
        }
    }
    GC gc = XCreateGC(display_, XWindow(), 0, nullptr);
    XShmPutImage(display_, XWindow(), gc, image, 0, 0, 0, 0, 64, 48, False);
    XFreeGC(display_, gc);
    EXPECT_EQ(Differing(expected, Shown(64, 48), 64), 0);
}

// A server that shares no memory with the program (as one on another machine): each frame goes in the request.
class XPresenterWithoutSharedMemoryTest : public XPresenterTest {
protected:
    XPresenterWithoutSharedMemoryTest() : XPresenterTest({"-extension", "MIT-SHM"}) {}
};

TEST_F(XPresenterWithoutSharedMemoryTest, ShowsThePixelsTheWindowSurfaceWould) {
    const std::unique_ptr<Canvas> picture = RandomPicture(PixelLayout::Xrgb8888);
    Open(1280, 1024);
    for (int frame = 0; frame < 2; ++frame) {
        presenter_->Present(*picture, plat::Scaling::Fit, plat::Filter::Nearest);
        EXPECT_EQ(Differing(Expected(*picture, 1280, 1024), Shown(1280, 1024), 1280), 0) << "frame " << frame;
    }
}

}  // namespace
