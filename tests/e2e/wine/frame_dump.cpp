// frame_dump.cpp -- sets the intro up as the program does, draws its first frames with the system code and saves each
// one, as the front buffer shows it after the flip, as frame-NNNN.bmp in the working directory. Built for Windows (run
// under Wine) and for our own layer, so the two renderings of the same intro.bmp can be compared pixel by pixel.
//
//   frame_dump [FRAMES]     (default 19: zoom 10 down to 1, black and white flashes alternating)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/globals.h"
#include "app/intro.h"
#include "surface_readback.h"

namespace {

constexpr int kDefaultFrames = 19;

enum ExitCode { kDumped = 0, kSetupFailed = 1, kReadbackFailed = 2, kWriteFailed = 3 };

LRESULT CALLBACK DumpWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// What the platform sends while frames are drawn is handled as the program's message loop would.
void DispatchPendingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string FrameFileName(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04d.bmp", frame);
    return name;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine, int /*nShowCmd*/) {
    const int frames = (lpCmdLine != nullptr && *lpCmdLine != '\0') ? std::atoi(lpCmdLine) : kDefaultFrames;

    // The program's own set-up: window and display at the desktop's depth, hidden cursor, image, clipping rectangle.
    const DWORD desktopDepth = 4;
    if (!g_engine.Init("Tamberlyn", 640, 480, desktopDepth, DumpWindowProc, hInstance, nullptr, nullptr)) {
        std::fprintf(stderr, "frame_dump: the engine did not start\n");
        return kSetupFailed;
    }
    g_engine.HideCursor();
    g_engine.LoadBitmap(g_introBitmap, "intro.bmp");
    g_clipRect = RECT{21, 16, 619, 464};

    for (int frame = 1; frame <= frames; ++frame) {
        DispatchPendingMessages();
        g_engine.BeginFrame();
        IntroFrame(g_engine.userValue);
        g_engine.EndFrame();
        // Read from the front: Wine's Flip faults (third flip, processor renderer) once the back buffer has been
        // locked.
        const std::optional<RgbImage> image = ReadSurface(g_engine.drawDevice.primary);
        if (!image) {
            std::fprintf(stderr, "frame_dump: frame %d: the front buffer could not be read\n", frame);
            return kReadbackFailed;
        }
        if (!WriteBmp(FrameFileName(frame), *image)) {
            std::fprintf(stderr, "frame_dump: frame %d: %s could not be written\n", frame,
                         FrameFileName(frame).c_str());
            return kWriteFailed;
        }
    }
    g_engine.Shutdown();
    return kDumped;
}
