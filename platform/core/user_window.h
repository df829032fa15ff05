// user_window.h -- window classes, windows, activation and synchronous (sent) messages.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plat::windows {

struct Window {
    HWND handle = nullptr;
    std::string className;
    std::string title;
    DWORD style = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    WNDPROC proc = nullptr;
    bool visible = false;
};

struct WindowClass {
    WNDCLASSA attributes{};
    std::string name;
};

struct WindowState {
    std::map<std::string, WindowClass> classes;
    std::vector<std::unique_ptr<Window>> windows;  // in creation order
    bool appActive = false;
    HWND foreground = nullptr;
    int cursorCount = 0;  // ShowCursor's: the cursor shows while it is zero or more
};

Window* Find(HWND hwnd);
// The program's first top-level window still alive, or null.
Window* MainWindow();
// Calls the window procedure at once, as SendMessage does on the window's own thread.
LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The desktop window's handle: a window with no procedure of the program's.
HWND Desktop();

// The program gains or loses the foreground: WM_ACTIVATEAPP to its windows and, for an exclusive
// full-screen display, the loss or return of its surfaces.
void SetAppActive(bool active);
bool AppActive();
HWND Foreground();

// Destroys every window, telling each (for a fresh platform between in-process tests).
void DestroyAll();

}  // namespace plat::windows
