// x_window_picture.cpp -- the picture as a pixmap of the window's X server: the shared memory itself where the
// server is on this machine and makes such pixmaps, else filled from a shared-memory image, else sent in the request.
// It is composited into the window through a scaling transform with RENDER's nearest filter.
#include "x_window_picture.h"

#include "log.h"
#include "sdl_picture_rect.h"
#include "x_shared_image.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrender.h>

#include <cstdlib>
#include <cstring>

namespace plat {
namespace {

// The pictures' pixels: x8r8g8b8 in a 24-bit pixmap.
constexpr int kDepth = 24;
// The X protocol's widths and heights are 16-bit, and drawing coordinates signed.
constexpr int kLargestSide = 32767;

// True if the server takes 24-bit pixmaps as 32-bit pixels, least significant byte first (as the picture lies in
// memory on the little-endian machines this runs on).
bool ServerTakesOurPixels(Display* display) {
    if (ImageByteOrder(display) != LSBFirst) {
        return false;
    }
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    bool found = false;
    for (int i = 0; i < count && !found; ++i) {
        found = formats[i].depth == kDepth && formats[i].bits_per_pixel == 32;
    }
    if (formats) {
        XFree(formats);
    }
    return found;
}

}  // namespace

struct XWindowPicture::Server {
    Display* display;
    Window window;
    Visual* visual;
    Picture windowPicture;
    XRenderPictFormat* pixmapFormat;
    bool shmUsable;
    GC gc = nullptr;
    // The picture at its current size: the pixmap, RENDER's picture of it and the image that fills it, in memory
    // shared with the server or in this process's.
    int width = 0;
    int height = 0;
    Pixmap pixmap = 0;
    Picture picture = 0;
    std::unique_ptr<XSharedImage> shared = nullptr;
    XImage* unshared = nullptr;
    bool sharedPixmap = false;  // the pixmap is the shared image's memory
    XTransform transform{};

    ~Server() {
        FreePicture();
        if (gc) {
            XFreeGC(display, gc);
        }
        XRenderFreePicture(display, windowPicture);
        XFlush(display);
    }

    XImage* Image() const { return shared ? shared->Image() : unshared; }

    void FreePicture() {
        if (picture) {
            XRenderFreePicture(display, picture);
            picture = 0;
        }
        if (pixmap) {
            XFreePixmap(display, pixmap);
            pixmap = 0;
        }
        shared.reset();
        if (unshared) {
            XDestroyImage(unshared);
            unshared = nullptr;
        }
        width = height = 0;
        sharedPixmap = false;
    }

    // An image in this process's memory, sent to the server in the request.
    XImage* UnsharedImage(int w, int h) {
        XImage* made = XCreateImage(display, visual, kDepth, ZPixmap, 0, nullptr, unsigned(w), unsigned(h), 32, 0);
        if (made && !(made->data = static_cast<char*>(std::calloc(std::size_t(made->bytes_per_line) * h, 1)))) {
            XDestroyImage(made);
            return nullptr;
        }
        return made;
    }

    bool MakePicture(int w, int h) {
        FreePicture();
        shared = shmUsable ? XSharedImage::Make(display, visual, kDepth, w, h) : nullptr;
        if (!shared && shmUsable) {
            shmUsable = false;
            Warn("the X server does not share memory with this program; each frame is sent to it instead");
        }
        unshared = shared ? nullptr : UnsharedImage(w, h);
        XImage* image = Image();
        if (!image || image->bits_per_pixel != 32 || image->byte_order != LSBFirst) {
            FreePicture();
            return false;
        }
        // A pixmap over the shared memory itself where the server makes them: nothing to copy on its side.
        sharedPixmap = shared && XShmPixmapFormat(display) == ZPixmap;
        pixmap = sharedPixmap ? XShmCreatePixmap(display, window, image->data, shared->Segment(), unsigned(w),
                                                 unsigned(h), kDepth)
                              : XCreatePixmap(display, window, unsigned(w), unsigned(h), kDepth);
        if (!gc) {
            gc = XCreateGC(display, pixmap, 0, nullptr);
        }
        picture = XRenderCreatePicture(display, pixmap, pixmapFormat, 0, nullptr);
        XRenderSetPictureFilter(display, picture, FilterNearest, nullptr, 0);
        transform = XTransform{};
        width = w;
        height = h;
        return true;
    }
};

std::unique_ptr<XWindowPicture> XWindowPicture::Open(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return nullptr;
    }
    Display* display = info.info.x11.display;
    int event = 0;
    int error = 0;
    XWindowAttributes attributes;
    if (!XRenderQueryExtension(display, &event, &error) || !ServerTakesOurPixels(display) ||
        !XGetWindowAttributes(display, info.info.x11.window, &attributes)) {
        return nullptr;
    }
    XRenderPictFormat* windowFormat = XRenderFindVisualFormat(display, attributes.visual);
    XRenderPictFormat* pixmapFormat = XRenderFindStandardFormat(display, PictStandardRGB24);
    if (!windowFormat || !pixmapFormat) {
        return nullptr;
    }
    std::unique_ptr<Server> server(new Server{
        display, info.info.x11.window, attributes.visual,
        XRenderCreatePicture(display, info.info.x11.window, windowFormat, 0, nullptr), pixmapFormat,
        XShmQueryExtension(display) == True});
    return std::unique_ptr<XWindowPicture>(new XWindowPicture(std::move(server)));
}

XWindowPicture::XWindowPicture(std::unique_ptr<Server> server) : server_(std::move(server)) {}

XWindowPicture::~XWindowPicture() = default;

std::uint32_t* XWindowPicture::Pixels(int width, int height, int* pitch) {
    Server& server = *server_;
    if (width != server.width || height != server.height) {
        if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide || !server.MakePicture(width, height)) {
            return nullptr;
        }
    } else if (server.shared) {
        XSync(server.display, False);  // the server is done reading the last picture out of the shared memory
    }
    *pitch = server.Image()->bytes_per_line;
    return reinterpret_cast<std::uint32_t*>(server.Image()->data);
}

void XWindowPicture::Send() {
    Server& server = *server_;
    if (server.sharedPixmap) {
        return;  // the server reads the pixels where they are
    }
    if (server.shared) {
        XShmPutImage(server.display, server.pixmap, server.gc, server.Image(), 0, 0, 0, 0, unsigned(server.width),
                     unsigned(server.height), False);
    } else {
        XPutImage(server.display, server.pixmap, server.gc, server.Image(), 0, 0, 0, 0, unsigned(server.width),
                  unsigned(server.height));
    }
}

void XWindowPicture::Draw(const SDL_Rect& rect, const pixman_transform_t& transform, int windowWidth,
                          int windowHeight, bool bars) {
    Server& server = *server_;
    if (!server.picture) {
        return;
    }
    XTransform wanted;
    static_assert(sizeof wanted.matrix == sizeof transform.matrix, "both are 3 x 3 16.16 fixed point");
    std::memcpy(wanted.matrix, transform.matrix, sizeof wanted.matrix);
    if (std::memcmp(&wanted, &server.transform, sizeof wanted) != 0) {
        XRenderSetPictureTransform(server.display, server.picture, &wanted);
        server.transform = wanted;
    }
    XRenderComposite(server.display, PictOpSrc, server.picture, 0, server.windowPicture, 0, 0, 0, 0, rect.x, rect.y,
                     unsigned(rect.w), unsigned(rect.h));
    if (bars) {
        SDL_Rect margins[4];
        XRectangle boxes[4];
        const int count = Margins(rect, windowWidth, windowHeight, margins);
        for (int i = 0; i < count; ++i) {
            boxes[i] = XRectangle{static_cast<short>(margins[i].x), static_cast<short>(margins[i].y),
                                  static_cast<unsigned short>(margins[i].w), static_cast<unsigned short>(margins[i].h)};
        }
        const XRenderColor black{0, 0, 0, 0xFFFF};
        XRenderFillRectangles(server.display, PictOpSrc, server.windowPicture, &black, boxes, count);
    }
    XFlush(server.display);
}

}  // namespace plat
