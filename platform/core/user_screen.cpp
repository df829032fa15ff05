// user_screen.cpp -- USER32 on the screen: the screen's device context, the cursor and message boxes.
#include "display.h"
#include "gdi_objects.h"
#include "platform_state.h"
#include "relay.h"
#include "user_window.h"

#include <windows.h>

#include <cstdio>

using namespace plat;

namespace {

int& CursorCount() {
    return Platform().windows.cursorCount;
}

}  // namespace

HDC WINAPI GetDC(HWND hWnd) {
    return relay::Call(
        "GetDC",
        [&]() -> HDC {
            if (hWnd && !windows::Find(hWnd)) {
                return nullptr;
            }
            // Windows of a DirectDraw program are painted through DirectDraw; their contexts draw nowhere.
            gdi::DC* dc = gdi::NewDC(nullptr, display::ScreenBitsPerPixel(), false);
            Platform().gdi.windowDCs.insert(dc);
            return static_cast<HDC>(gdi::Handle(dc));
        },
        static_cast<const void*>(hWnd));
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    return relay::Call(
        "ReleaseDC",
        [&] {
            gdi::DC* dc = gdi::FindDC(hDC);
            if (!dc || !Platform().gdi.windowDCs.erase(dc)) {
                return 0;
            }
            gdi::FreeDC(dc);
            return 1;
        },
        static_cast<const void*>(hWnd), static_cast<const void*>(hDC));
}

int WINAPI ShowCursor(BOOL bShow) {
    return relay::Call(
        "ShowCursor",
        [&] {
            const int count = bShow ? ++CursorCount() : --CursorCount();
            TheHost().SetCursorVisible(count >= 0);
            return count;
        },
        bShow);
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    return relay::Call(
        "MessageBoxA",
        [&] {
            const char* caption = lpCaption ? lpCaption : "Error";  // Windows' caption for a box without one
            const char* text = lpText ? lpText : "";
            Host& host = TheHost();
            if (!host.HasDisplay() || !host.ShowMessageBox(text, caption, uType)) {
                // Without a display the box is its text on standard error, answered at once.
                std::fprintf(stderr, "[%s] %s\n", caption, text);
            }
            return IDOK;  // the only button
        },
        static_cast<const void*>(hWnd), relay::Text{lpText}, relay::Text{lpCaption}, relay::Hex(uType));
}
