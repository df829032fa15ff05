// kernel.cpp -- KERNEL32's calls here: the module handle and debugger output.
#include "kernel.h"

#include "platform_state.h"
#include "relay.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace plat {
namespace {

// Stands for the program's own module; only its address is used.
int programModule;

// The most debugger text kept for tests to take: a program writing a line every frame must not grow forever.
constexpr std::size_t kKeptDebugText = 64 * 1024;

}  // namespace

HINSTANCE ProgramModule() {
    const auto module = reinterpret_cast<HINSTANCE>(&programModule);
    relay::NameAs(module, "module");
    return module;
}

std::string WinMainCommandLine() {
    std::string commandLine;
    for (const std::string& argument : Platform().commandLine) {
        commandLine += (commandLine.empty() ? "" : " ") + argument;
    }
    return commandLine;
}

std::string TakeDebugText() {
    return std::move(Platform().kernel.debugText);
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
            std::string& kept = plat::Platform().kernel.debugText;
            kept += lpOutputString;
            if (kept.size() > plat::kKeptDebugText) {
                kept.erase(0, kept.size() - plat::kKeptDebugText);  // the newest text is kept
            }
        },
        relay::Text{lpOutputString});
}
