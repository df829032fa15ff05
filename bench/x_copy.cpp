// x_copy.cpp -- see x_copy.h.
#include "x_copy.h"

#include <cstring>

#include <sys/ipc.h>
#include <sys/shm.h>

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
    image_ = XShmCreateImage(display_, DefaultVisual(display_, screen), DefaultDepth(display_, screen), ZPixmap,
                             nullptr, &segment_, width_, height_);
    if (!image_ || image_->bits_per_pixel != 32) {
        failure_ = "the screen is not 32 bits a pixel";
        return;
    }
    segment_.shmid = shmget(IPC_PRIVATE, std::size_t(image_->bytes_per_line) * height_, IPC_CREAT | 0600);
    if (segment_.shmid < 0) {
        failure_ = "no shared memory segment";
        return;
    }
    segment_.shmaddr = image_->data = static_cast<char*>(shmat(segment_.shmid, nullptr, 0));
    shmctl(segment_.shmid, IPC_RMID, nullptr);  // freed once both sides have detached
    if (segment_.shmaddr == reinterpret_cast<char*>(-1)) {
        image_->data = nullptr;
        failure_ = "the shared memory segment could not be attached";
        return;
    }
    segment_.readOnly = False;
    attached_ = XShmAttach(display_, &segment_);
    XSync(display_, False);
    if (!attached_) {
        failure_ = "the X server did not attach the shared memory";
    }
}

XCopy::~XCopy() {
    if (!display_) {
        return;
    }
    if (attached_) {
        XShmDetach(display_, &segment_);
        XSync(display_, False);
    }
    if (image_ && image_->data) {
        shmdt(segment_.shmaddr);
    }
    if (image_) {
        image_->data = nullptr;
        XDestroyImage(image_);
    }
    if (gc_) {
        XFreeGC(display_, gc_);
    }
    XCloseDisplay(display_);
}

void XCopy::Write(std::uint8_t value) {
    for (int y = 0; y < height_; ++y) {
        std::memset(image_->data + std::size_t(y) * image_->bytes_per_line, value, std::size_t(width_) * 4);
    }
}

void XCopy::PutAndWait() {
    const int screen = DefaultScreen(display_);
    XShmPutImage(display_, window_, gc_, image_, 0, 0, (DisplayWidth(display_, screen) - width_) / 2,
                 (DisplayHeight(display_, screen) - height_) / 2, width_, height_, False);
    XSync(display_, False);
}
