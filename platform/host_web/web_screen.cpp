// web_screen.cpp -- the page's canvas as the program's screen: one screen for all its windows, the display mode's
// picture converted to the canvas's bytes and put there each frame; the page scales it.
#include "web_host.h"

#include "canvas.h"
#include "web_page.h"

namespace plat::web {
namespace {

// The longest a frame waits for the page's next animation frame: a hidden page gets none.
constexpr double kLongestRefreshWait = 100;

const char* ScalingWord(Scaling scaling) {
    switch (scaling) {
        case Scaling::Integer:
            return "integer";
        case Scaling::Stretch:
            return "stretch";
        default:
            return "fit";
    }
}

const char* WindowModeWord(WindowMode mode) {
    return mode == WindowMode::Window ? "window" : "desktop";
}

}  // namespace

void WebHost::OpenWindow(HWND, const std::string&, int, int, int, int, bool) {}

void WebHost::ShowWindow(HWND) {
    if (!screenShown_) {
        page::ShowScreen(ScalingWord(scaling_), WindowModeWord(windowMode_));
        screenShown_ = true;
    }
}

void WebHost::CloseWindow(HWND) {}

void WebHost::ToggleFullScreen() {
    page::ToggleFullScreen();
}

// The canvas takes the size of each frame's picture.
void WebHost::SetDisplayMode(HWND, int, int) {}
void WebHost::RestoreDisplayMode(HWND) {}

void WebHost::Present(const Canvas& picture) {
    const int width = picture.Width();
    const int height = picture.Height();
    if (!rgbaImage_ || pixman_image_get_width(rgbaImage_.get()) != width ||
        pixman_image_get_height(rgbaImage_.get()) != height) {
        rgba_.assign(static_cast<std::size_t>(width) * height, 0);
        rgbaImage_.reset(pixman_image_create_bits_no_clear(PIXMAN_a8b8g8r8, width, height, rgba_.data(), width * 4));
    }
    if (!rgbaImage_) {
        return;
    }
    pixman_image_composite32(PIXMAN_OP_SRC, picture.Image(), nullptr, rgbaImage_.get(), 0, 0, 0, 0, 0, 0, width,
                             height);
    page::Present(reinterpret_cast<const std::uint8_t*>(rgba_.data()), width, height);
    if (waitForRefresh_) {
        page::WaitForAnimationFrame(kLongestRefreshWait);
    }
}

void WebHost::SetCursorVisible(bool visible) {
    page::SetCursorVisible(visible);
}

// Kept in the program's file system as on any host, and offered by the page for download.
std::string WebHost::SavePicture(const std::string& name, const std::vector<std::uint8_t>& bmp) {
    std::string why = Host::SavePicture(name, bmp);
    if (why.empty()) {
        page::PictureSaved(name, bmp);
    }
    return why;
}

}  // namespace plat::web
