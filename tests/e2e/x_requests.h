// x_requests.h -- the few things the tests ask of an X server directly, through Xlib.
#pragma once

#include <string>

namespace e2e {

// The root window of `display` (":N"), or 0 if there is no connection.
unsigned long RootWindowOf(const std::string& display);
// The top-level window titled `name`, or 0 if there is none (or no connection).
unsigned long WindowNamed(const std::string& display, const std::string& name);
// Asks `window` to close as a window manager does (WM_DELETE_WINDOW); false if there is no connection.
bool RequestClose(const std::string& display, unsigned long window);

}  // namespace e2e
