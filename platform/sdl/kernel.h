// kernel.h -- the kernel pieces other parts of the layer reach: the module handle, debugger text, cursor.
#pragma once

#include <windows.h>

#include <string>

namespace plat {

HINSTANCE ProgramModule();
// What OutputDebugStringA wrote since the last call.
std::string TakeDebugText();
void ResetCursor();

}  // namespace plat
