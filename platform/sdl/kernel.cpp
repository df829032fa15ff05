// kernel.cpp -- the module handle, debugger output, message boxes and the cursor's display counter.
#include "kernel.h"
#include "relay.h"

#include <windows.h>

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
            // Without a display the box is its text on standard error, answered at once.
            std::fprintf(stderr, "[%s] %s\n", lpCaption ? lpCaption : "Error", lpText ? lpText : "");
            return IDOK;
        },
        static_cast<const void*>(hWnd), relay::Text{lpText}, relay::Text{lpCaption}, relay::Hex(uType));
}

int WINAPI ShowCursor(BOOL bShow) {
    return relay::Call(
        "ShowCursor", [&] { return bShow ? ++plat::cursorCount : --plat::cursorCount; }, bShow);
}
