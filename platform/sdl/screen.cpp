// screen.cpp -- the SDL window on a real screen (headless for now: nothing opens).
#include "screen.h"

namespace plat::screen {

void Open(HWND, const std::string&, bool) {}
void Show(HWND) {}
void Close(HWND) {}
HWND WindowOf(Uint32) {
    return nullptr;
}
void Present(const Canvas&) {}
void ToggleFullScreen() {}
std::string SaveScreenshot() {
    return {};
}
void SetCursorVisible(bool) {}

}  // namespace plat::screen
