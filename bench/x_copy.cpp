// x_copy.cpp -- see x_copy.h.
#include "x_copy.h"

#include <cstring>

XCopy::XCopy() {
    display_ = XOpenDisplay(nullptr);
    if (!display_) {
        failure_ = "needs an X display (run under xvfb-run)";
        return;
    }
    if (!XShmQueryExtension(display_)) {
        failure_ = "the X server has no MIT-SHM";
        return;
    }
    const int screen = DefaultScreen(display_);
    const int screenWidth = DisplayWidth(display_, screen), screenHeight = DisplayHeight(display_, screen);
    // The 4:3 picture fitted to the screen, as the program shows it full screen.
    width_ = screenWidth * 3 >= screenHeight * 4 ? screenHeight * 4 / 3 : screenWidth;
    height_ = screenWidth * 3 >= screenHeight * 4 ? screenHeight : screenWidth * 3 / 4;
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, screenWidth, screenHeight, 0, 0, 0);
    XMapWindow(display_, window_);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    shared_ = plat::XSharedImage::Make(display_, DefaultVisual(display_, screen), DefaultDepth(display_, screen),
                                       width_, height_);
    if (!shared_) {
        failure_ = "the X server did not attach a shared memory image";
        return;
    }
    if (shared_->Image()->bits_per_pixel != 32) {
        failure_ = "the screen is not 32 bits a pixel";
    }
}

XCopy::~XCopy() {
    if (!display_) {
        return;
    }
    shared_.reset();
    if (gc_) {
        XFreeGC(display_, gc_);
    }
    XCloseDisplay(display_);
}

void XCopy::Write(std::uint8_t value) {
    const XImage& image = *shared_->Image();
    for (int y = 0; y < height_; ++y) {
        std::memset(image.data + std::size_t(y) * image.bytes_per_line, value, std::size_t(width_) * 4);
    }
}

void XCopy::PutAndWait() {
    const int screen = DefaultScreen(display_);
    XShmPutImage(display_, window_, gc_, shared_->Image(), 0, 0, (DisplayWidth(display_, screen) - width_) / 2,
                 (DisplayHeight(display_, screen) - height_) / 2, width_, height_, False);
    XSync(display_, False);
}
