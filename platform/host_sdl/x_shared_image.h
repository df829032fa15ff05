// x_shared_image.h -- an X image in memory shared with the X server (MIT-SHM), detached and freed with the object.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <memory>

namespace plat {

class XSharedImage {
public:
    // A `width` x `height` ZPixmap image of `depth` the server has attached; null if no segment could be made or the
    // server refused it (one on another machine does: the refusal is caught, not left to the error handler).
    static std::unique_ptr<XSharedImage> Make(Display* display, Visual* visual, int depth, int width, int height);
    ~XSharedImage();
    XSharedImage(const XSharedImage&) = delete;
    XSharedImage& operator=(const XSharedImage&) = delete;

    XImage* Image() const { return image_; }
    XShmSegmentInfo* Segment() { return &segment_; }

private:
    explicit XSharedImage(Display* display) : display_(display) {}

    Display* display_;
    XImage* image_ = nullptr;
    XShmSegmentInfo segment_{};  // the image points to it: it stays where it is for the image's life
};

}  // namespace plat
