// kernel.h -- the kernel pieces other parts of the layer reach: the module handle and debugger text.
#pragma once

#include <windows.h>

#include <string>

namespace plat {

struct KernelState {
    std::string debugText;  // the last of what OutputDebugStringA wrote (at most 64 KiB), for tests to take
};

HINSTANCE ProgramModule();
// The command line WinMain receives: the program's arguments that are not the platform's own options.
std::string WinMainCommandLine();
// What OutputDebugStringA wrote since the last call (its last 64 KiB).
std::string TakeDebugText();

}  // namespace plat
