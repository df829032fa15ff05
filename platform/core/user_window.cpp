// user_window.cpp -- window classes and windows: RegisterClassA, CreateWindowExA, ShowWindow, DefWindowProcA.
#include "user_window.h"

#include "display.h"
#include "platform_state.h"
#include "relay.h"

#include <algorithm>

namespace plat::windows {
namespace {

WindowState& TheTable() {
    return Platform().windows;
}

// Stands for the desktop window; only its address is used.
int desktopWindow;

ATOM Register(const WNDCLASSA* attributes) {
    if (!attributes || !attributes->lpszClassName || !attributes->lpfnWndProc) {
        return 0;
    }
    WindowState& table = TheTable();
    if (table.classes.count(attributes->lpszClassName)) {
        return 0;  // ERROR_CLASS_ALREADY_EXISTS
    }
    WindowClass& added = table.classes[attributes->lpszClassName];
    added.attributes = *attributes;
    added.name = attributes->lpszClassName;
    added.attributes.lpszClassName = added.name.c_str();
    added.attributes.lpszMenuName = nullptr;
    return static_cast<ATOM>(0xC000 + table.classes.size());
}

void Destroy(Window* window);

HWND Create(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height, HINSTANCE instance,
            LPVOID param) {
    WindowState& table = TheTable();
    auto found = className ? table.classes.find(className) : table.classes.end();
    if (found == table.classes.end()) {
        return nullptr;
    }
    auto window = std::make_unique<Window>();
    Window* raw = window.get();
    raw->handle = reinterpret_cast<HWND>(raw);
    raw->className = found->second.name;
    raw->title = windowName ? windowName : "";
    raw->style = style;
    raw->x = x;
    raw->y = y;
    raw->width = width;
    raw->height = height;
    raw->proc = found->second.attributes.lpfnWndProc;
    table.windows.push_back(std::move(window));
    relay::Name(raw->handle, "hwnd");

    CREATESTRUCTA create{
        param, instance, nullptr, nullptr, height, width, y, x, LONG(style), raw->title.c_str(), raw->className.c_str(),
        0};
    const LPARAM createParam = reinterpret_cast<LPARAM>(&create);
    if (!Send(raw->handle, WM_NCCREATE, 0, createParam) || Send(raw->handle, WM_CREATE, 0, createParam) == -1) {
        Destroy(raw);
        return nullptr;
    }
    TheHost().OpenWindow(raw->handle, raw->title, x, y, width, height, (style & WS_POPUP) != 0);
    return raw->handle;
}

void Destroy(Window* window) {
    const HWND handle = window->handle;
    WindowState& table = TheTable();
    if (table.foreground == handle && table.appActive) {
        SetAppActive(false);  // the program's last window goes, and the program with it leaves the foreground
    }
    Send(handle, WM_DESTROY, 0, 0);
    Send(handle, WM_NCDESTROY, 0, 0);
    if (table.foreground == handle) {
        table.foreground = nullptr;
    }
    display::WindowDestroyed(handle);
    TheHost().CloseWindow(handle);
    table.windows.erase(std::remove_if(table.windows.begin(), table.windows.end(),
                                       [&](const std::unique_ptr<Window>& w) { return w.get() == window; }),
                        table.windows.end());
}

BOOL Show(HWND hwnd, int command) {
    Window* window = Find(hwnd);
    if (!window) {
        return FALSE;
    }
    const BOOL wasVisible = window->visible;
    window->visible = command != SW_HIDE;
    if (window->visible && !wasVisible) {
        TheHost().ShowWindow(hwnd);
        Send(hwnd, WM_SHOWWINDOW, TRUE, 0);
        // The first window shown takes the foreground, and the program is told it is active.
        WindowState& table = TheTable();
        table.foreground = hwnd;
        if (!table.appActive) {
            SetAppActive(true);
        }
    }
    return wasVisible;
}

LRESULT DefaultProc(HWND hwnd, UINT message, WPARAM, LPARAM) {
    switch (message) {
        case WM_NCCREATE:
            return TRUE;
        case WM_CLOSE:
            if (Window* window = Find(hwnd)) {
                Destroy(window);
            }
            return 0;
        default:
            return 0;
    }
}

}  // namespace

Window* Find(HWND hwnd) {
    for (const auto& window : TheTable().windows) {
        if (window->handle == hwnd) {
            return window.get();
        }
    }
    return nullptr;
}

Window* MainWindow() {
    const WindowState& table = TheTable();
    return table.windows.empty() ? nullptr : table.windows.front().get();
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const Window* window = Find(hwnd);
    return window ? window->proc(hwnd, message, wParam, lParam) : 0;
}

HWND Desktop() {
    const HWND desktop = reinterpret_cast<HWND>(&desktopWindow);
    relay::NameAs(desktop, "desktop");
    return desktop;
}

void SetAppActive(bool active) {
    WindowState& table = TheTable();
    if (table.appActive == active) {
        return;
    }
    table.appActive = active;
    const HWND previousForeground = table.foreground;
    if (active && !table.foreground && !table.windows.empty()) {
        table.foreground = table.windows.front()->handle;
    } else if (!active) {
        table.foreground = nullptr;
    }
    const HWND focus = active ? table.foreground : previousForeground;
    display::AppActivated(active);
    std::vector<HWND> handles;
    for (const auto& window : table.windows) {
        handles.push_back(window->handle);
    }
    // Windows' order: WM_ACTIVATE(0) before WM_ACTIVATEAPP(0); WM_ACTIVATEAPP(1) before WM_ACTIVATE(1).
    if (!active && focus) {
        Send(focus, WM_ACTIVATE, 0, 0);
    }
    for (HWND handle : handles) {
        Send(handle, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
    }
    if (focus) {
        Send(focus, active ? WM_ACTIVATE : WM_KILLFOCUS, active ? 1 : 0, 0);
        if (active) {
            Send(focus, WM_SETFOCUS, 0, 0);
        }
    }
}

bool AppActive() {
    return TheTable().appActive;
}

HWND Foreground() {
    return TheTable().foreground;
}

void DestroyAll() {
    WindowState& table = TheTable();
    while (!table.windows.empty()) {
        Destroy(table.windows.back().get());
    }
}

}  // namespace plat::windows

using namespace plat;

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
    return relay::Call(
        "RegisterClassA", [&] { return windows::Register(lpWndClass); },
        relay::Text{lpWndClass ? lpWndClass->lpszClassName : nullptr});
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam) {
    return relay::Call(
        "CreateWindowExA",
        [&] { return windows::Create(lpClassName, lpWindowName, dwStyle, X, Y, nWidth, nHeight, hInstance, lpParam); },
        relay::Hex(dwExStyle), relay::Text{lpClassName}, relay::Text{lpWindowName}, relay::Hex(dwStyle), X, Y, nWidth,
        nHeight, static_cast<const void*>(hWndParent), static_cast<const void*>(hMenu),
        static_cast<const void*>(hInstance), lpParam);
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    return relay::Call(
        "DestroyWindow",
        [&] {
            windows::Window* window = windows::Find(hWnd);
            if (!window) {
                return FALSE;
            }
            windows::Destroy(window);
            return TRUE;
        },
        static_cast<const void*>(hWnd));
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    return relay::Call(
        "ShowWindow", [&] { return windows::Show(hWnd, nCmdShow); }, static_cast<const void*>(hWnd), nCmdShow);
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    // Nothing is ever invalid here: the program paints through DirectDraw, so there is no WM_PAINT to send.
    return relay::Call(
        "UpdateWindow", [&] { return windows::Find(hWnd) ? TRUE : FALSE; }, static_cast<const void*>(hWnd));
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return relay::Call(
        "DefWindowProcA", [&] { return windows::DefaultProc(hWnd, Msg, wParam, lParam); },
        static_cast<const void*>(hWnd), relay::Hex(Msg), relay::Hex(wParam), relay::Hex(lParam));
}

HWND WINAPI GetForegroundWindow(void) {
    return relay::Call("GetForegroundWindow", [] { return windows::Foreground(); });
}

HWND WINAPI GetDesktopWindow(void) {
    return relay::Call("GetDesktopWindow", [] { return windows::Desktop(); });
}
