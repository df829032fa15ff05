// x_shared_image.cpp -- a System V shared memory segment under an XImage, attached by the server with its errors
// caught, and marked for removal at once so that it goes when both sides let go.
#include "x_shared_image.h"

#include <sys/shm.h>

#include <cstddef>

namespace plat {
namespace {

bool attachRefused = false;
int RecordAttachError(Display*, XErrorEvent*) {
    attachRefused = true;
    return 0;
}

// XShmAttach and a wait for the server's answer: false if it refused.
bool Attach(Display* display, XShmSegmentInfo* segment) {
    XSync(display, False);  // earlier requests' errors are not this one's
    attachRefused = false;
    auto* previous = XSetErrorHandler(&RecordAttachError);
    const bool attached = XShmAttach(display, segment) && (XSync(display, False), !attachRefused);
    XSetErrorHandler(previous);
    return attached;
}

void Destroy(XImage* image) {
    image->data = nullptr;  // shared memory, not XDestroyImage's to free
    XDestroyImage(image);
}

}  // namespace

std::unique_ptr<XSharedImage> XSharedImage::Make(Display* display, Visual* visual, int depth, int width,
                                                 int height) {
    std::unique_ptr<XSharedImage> made(new XSharedImage(display));
    XShmSegmentInfo& segment = made->segment_;
    XImage* image = XShmCreateImage(display, visual, unsigned(depth), ZPixmap, nullptr, &segment, unsigned(width),
                                    unsigned(height));
    if (!image) {
        return nullptr;
    }
    segment.shmid = shmget(IPC_PRIVATE, std::size_t(image->bytes_per_line) * std::size_t(height), IPC_CREAT | 0600);
    void* memory = segment.shmid >= 0 ? shmat(segment.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (segment.shmid >= 0) {
        shmctl(segment.shmid, IPC_RMID, nullptr);  // gone once both sides let go
    }
    if (memory == reinterpret_cast<void*>(-1)) {
        Destroy(image);
        return nullptr;
    }
    segment.shmaddr = image->data = static_cast<char*>(memory);
    segment.readOnly = False;
    if (!Attach(display, &segment)) {
        shmdt(memory);
        Destroy(image);
        return nullptr;
    }
    made->image_ = image;
    return made;
}

XSharedImage::~XSharedImage() {
    if (!image_) {
        return;  // never attached: Make gave up and cleaned up itself
    }
    XShmDetach(display_, &segment_);
    XSync(display_, False);
    shmdt(segment_.shmaddr);
    Destroy(image_);
}

}  // namespace plat
