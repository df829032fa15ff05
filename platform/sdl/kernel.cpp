// kernel.cpp -- the module handle, debugger output, message boxes and the cursor's display counter.
#include "kernel.h"
#include "relay.h"
#include "screen.h"

#include <windows.h>

#include <SDL.h>

#include <cstdio>
#include <string>

namespace plat {
namespace {

// Stands for the program's own module; only its address is used.
int programModule;
int cursorCount = 0;

std::string& DebugBuffer() {
    static std::string* buffer = new std::string;  // never destroyed: global destructors may still write
    return *buffer;
}

// SDL's drivers that draw nowhere a person could see a box.
bool Headless() {
    const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : SDL_getenv("SDL_VIDEODRIVER");
    return driver && (SDL_strcasecmp(driver, "dummy") == 0 || SDL_strcasecmp(driver, "offscreen") == 0);
}

Uint32 MessageBoxKind(UINT type) {
    constexpr UINT kIconMask = 0xF0, kIconWarning = 0x30;
    switch (type & kIconMask) {
        case MB_ICONERROR:
            return SDL_MESSAGEBOX_ERROR;
        case kIconWarning:
            return SDL_MESSAGEBOX_WARNING;
        default:
            return SDL_MESSAGEBOX_INFORMATION;
    }
}

// A modal box on the display, above the window that has the keyboard (the program's, full screen) so that a window
// manager keeps it in sight. False where no box can be shown.
bool ShowOnDisplay(const char* text, const char* caption, UINT type) {
    if (Headless()) {
        return false;
    }
    if (SDL_ShowSimpleMessageBox(MessageBoxKind(type), caption, text, SDL_GetKeyboardFocus()) != 0) {
        std::fprintf(stderr, "tamberlyn: cannot show a message box (%s)\n", SDL_GetError());
        return false;
    }
    return true;
}

}  // namespace

HINSTANCE ProgramModule() {
    static const HINSTANCE module = [] {
        const auto handle = reinterpret_cast<HINSTANCE>(&programModule);
        relay::NameAs(handle, "module");
        return handle;
    }();
    return module;
}

std::string TakeDebugText() {
    return std::move(DebugBuffer());
}

void ResetCursor() {
    cursorCount = 0;
}

}  // namespace plat

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    // The program is the only module here: other names are not loaded.
    return relay::Call(
        "GetModuleHandleA", [&] { return lpModuleName ? nullptr : plat::ProgramModule(); }, relay::Text{lpModuleName});
}

void WINAPI OutputDebugStringA(LPCSTR lpOutputString) {
    relay::Call(
        "OutputDebugStringA",
        [&] {
            if (!lpOutputString) {
                return;
            }
            // No debugger here: the text goes to standard error, and to tests that collect it.
            std::fputs(lpOutputString, stderr);
            plat::DebugBuffer() += lpOutputString;
        },
        relay::Text{lpOutputString});
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    return relay::Call(
        "MessageBoxA",
        [&] {
            const char* caption = lpCaption ? lpCaption : "Error";  // Windows' caption for a box without one
            const char* text = lpText ? lpText : "";
            if (!plat::ShowOnDisplay(text, caption, uType)) {
                // Without a display the box is its text on standard error, answered at once.
                std::fprintf(stderr, "[%s] %s\n", caption, text);
            }
            return IDOK;  // the only button
        },
        static_cast<const void*>(hWnd), relay::Text{lpText}, relay::Text{lpCaption}, relay::Hex(uType));
}

int WINAPI ShowCursor(BOOL bShow) {
    return relay::Call(
        "ShowCursor",
        [&] {
            const int count = bShow ? ++plat::cursorCount : --plat::cursorCount;
            plat::screen::SetCursorVisible(count >= 0);
            return count;
        },
        bShow);
}
