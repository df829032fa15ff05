// x_requests.cpp -- Xlib calls kept out of the tests' headers (Xlib's macros clash with ordinary names).
#include "x_requests.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace e2e {

unsigned long WindowNamed(const std::string& display, const std::string& name) {
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection) {
        return 0;
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    unsigned long found = 0;
    if (XQueryTree(connection, DefaultRootWindow(connection), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i) {
            // Read as it is stored: SDL's message box stores its title as UTF8_STRING, which XFetchName refuses.
            XTextProperty title{};
            if (XGetWMName(connection, children[i], &title) && title.value) {
                found = name == std::string(reinterpret_cast<const char*>(title.value), title.nitems) ? children[i] : 0;
                XFree(title.value);
            }
        }
        XFree(children);
    }
    XCloseDisplay(connection);
    return found;
}

bool RequestClose(const std::string& display, unsigned long window) {
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection) {
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(connection, window, False, NoEventMask, &event);
    XCloseDisplay(connection);  // flushes the request
    return true;
}

CoveringWindow::CoveringWindow(const std::string& display, int x, int y, int width, int height, unsigned long color) {
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection) {
        return;
    }
    connection_ = connection;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = color;  // a 24-bit TrueColor screen: the pixel is the colour
    window_ = XCreateWindow(connection, DefaultRootWindow(connection), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(connection, window_);
    XSync(connection, False);
}

CoveringWindow::~CoveringWindow() {
    if (auto* connection = static_cast<Display*>(connection_)) {
        XDestroyWindow(connection, window_);
        XCloseDisplay(connection);  // flushes the request
    }
}

}  // namespace e2e
