// diagnostics.h -- controls of the platform layer for tests and tools, beyond the Win32 API.
// Whole-program runs set the same things through TAMBERLYN_* environment variables (see README).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tamberlyn {

// Makes the named platform call (as the relay trace names it, e.g. "IDirectDraw::SetDisplayMode",
// "CreateSolidBrush") return `result` instead of doing its work. With `onlyCall` > 0 only that call
// (1-based, counted from now) fails; with 0 every call fails.
void SetFailpoint(const std::string& call, std::int64_t result, int onlyCall = 0);
void ClearFailpoints();

// Collects relay-trace lines in memory (in addition to any trace file) until TakeTrace.
void StartTraceCapture();
std::vector<std::string> TakeTrace();

// Everything written with OutputDebugStringA since the last call.
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

// How the last flip reached a window: the way ("surface" or "renderer", as TAMBERLYN_PRESENT names them; empty when
// no window showed it) and that window's size in real pixels.
struct PresentedFrame {
    std::string path;
    int windowWidth;
    int windowHeight;
};
PresentedFrame LastPresentedFrame();

// The version WSAStartup reports in wVersion (default 0x0101).
void SetWinsockVersion(WORD version);

// Ends every window, empties the message queue, forgets the display mode, failpoints and script:
// a fresh platform for the next in-process test. Objects the test still holds stay valid.
void ResetPlatform();

}  // namespace tamberlyn
