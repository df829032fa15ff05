// x_requests.h -- the few things the tests ask of an X server directly, through Xlib.
#pragma once

#include <string>

namespace e2e {

// The top-level window titled `name`, or 0 if there is none (or no connection).
unsigned long WindowNamed(const std::string& display, const std::string& name);
// Asks `window` to close as a window manager does (WM_DELETE_WINDOW); false if there is no connection.
bool RequestClose(const std::string& display, unsigned long window);

// A window of one colour (0xRRGGBB) lying over part of the screen, as another program's window would, until it is
// destroyed. It bypasses any window manager, so it needs none.
class CoveringWindow {
public:
    CoveringWindow(const std::string& display, int x, int y, int width, int height, unsigned long color);
    ~CoveringWindow();
    CoveringWindow(const CoveringWindow&) = delete;
    CoveringWindow& operator=(const CoveringWindow&) = delete;

    // False if there was no connection to make it on.
    bool Shown() const { return window_ != 0; }

private:
    void* connection_ = nullptr;  // the window lasts as long as its connection
    unsigned long window_ = 0;
};

}  // namespace e2e
