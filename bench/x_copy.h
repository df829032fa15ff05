// x_copy.h -- the X server's side of a full-screen present, apart from the program: one MIT-SHM image of the
// picture's size full screen, put into a window that covers the screen, with the X server waited for.
#pragma once

#include "x_shared_image.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class XCopy {
public:
    XCopy();
    ~XCopy();
    XCopy(const XCopy&) = delete;
    XCopy& operator=(const XCopy&) = delete;

    // Empty if the image is ready, else why not (no X display, no MIT-SHM).
    const std::string& Failure() const { return failure_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Writes every pixel of the image with `value`, row by row, as a presenter draws.
    void Write(std::uint8_t value);
    // Puts the image into the window, in the middle, and waits until the X server has copied it.
    void PutAndWait();

private:
    Display* display_ = nullptr;
    Window window_ = 0;
    GC gc_ = nullptr;
    std::unique_ptr<plat::XSharedImage> shared_;
    int width_ = 0;
    int height_ = 0;
    std::string failure_;
};
