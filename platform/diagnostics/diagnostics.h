// diagnostics.h -- the platform's controls for tests and tools, beyond the Win32 API: the only door tests have
// into the platform. Whole-program runs set the same things through TAMBERLYN_* environment variables (README).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tamberlyn {

// A fresh platform for the next in-process test: every window ended (each told as Windows would), the queue,
// display, GDI table, keyboard, sockets, script, failpoints and trace names made anew. The settings are read
// again from the settings file and the environment, with `settings` (variable name to value, e.g.
// {"TAMBERLYN_WINDOW", "window"}; "" unsets) taking the place of the environment's; a value that cannot be read
// is warned of and left at its default. COM objects the test still holds stay valid.
void ResetPlatform(const std::map<std::string, std::string>& settings = {});

// Makes the named platform call (as the relay trace names it, e.g. "IDirectDraw::SetDisplayMode",
// "CreateSolidBrush") return `result` instead of doing its work. With `onlyCall` > 0 only that call
// (1-based, counted from now) fails; with 0 every call fails.
void SetFailpoint(const std::string& call, std::int64_t result, int onlyCall = 0);
void ClearFailpoints();

// Collects relay-trace lines in memory (in addition to any trace file) until TakeTrace.
void StartTraceCapture();
std::vector<std::string> TakeTrace();
// The name the trace gives an object ("surface2", "hwnd1", "BLACK_BRUSH").
std::string NameOf(const void* object);

// What OutputDebugStringA wrote since the last call: its last 64 KiB.
std::string TakeDebugOutput();

struct GdiCounts {
    int brushes;
    int pens;
    int fonts;
    int bitmaps;
    int dcs;
};
// Live GDI objects created by the program (stock objects not counted).
GdiCounts LiveGdiObjects();
// Live DirectDraw surfaces.
int LiveSurfaces();

}  // namespace tamberlyn
