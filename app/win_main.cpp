// win_main.cpp -- the program's entry, its start and its window procedure.
#include <windows.h>

#include "app/globals.h"
#include "app/intro.h"

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_ACTIVATEAPP:
            g_engine.active = static_cast<DWORD>(wParam);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                g_engine.Stop();
            }
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

int AppMain(HINSTANCE hInstance, LPSTR /*lpCmdLine*/) {
    const DWORD desktopDepth = 4;
    if (!g_engine.Init("Tamberlyn", 640, 480, desktopDepth, WindowProc, hInstance, nullptr, nullptr)) {
        return 0;
    }
    g_engine.HideCursor();
    g_engine.LoadBitmap(g_introBitmap, "intro.bmp");
    g_clipRect.left = 21;
    g_clipRect.top = 16;
    g_clipRect.right = 619;
    g_clipRect.bottom = 464;
    return g_engine.Run(IntroFrame);
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine, int /*nShowCmd*/) {
    return AppMain(hInstance, lpCmdLine);
}
