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
            plat::Platform().kernel.debugText += lpOutputString;
        },
        relay::Text{lpOutputString});
}
