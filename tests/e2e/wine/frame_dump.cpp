// frame_dump.cpp -- sets the intro up as the program does, draws its first frames with the system code and saves each
// one, as the front buffer shows it after the flip, as frame-NNNN.bmp in the working directory. Built for Windows (run
// under Wine) and for our own layer, so the two renderings of the same intro.bmp can be compared pixel by pixel, and
// so the two can be timed side by side on one screen.
//
//   frame_dump [FRAMES]         (default 19: zoom 10 down to 1, black and white flashes alternating)
//   frame_dump --time FRAMES    one zoom cycle to settle, then FRAMES frames as fast as they go, nothing saved;
//                               prints "us_per_frame N" (microseconds a frame, start-up left out)
// On our layer the platform reads the options before "--" as its own settings: there, frame_dump -- --time FRAMES.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/globals.h"
#include "app/intro.h"
#include "surface_readback.h"

namespace {

constexpr int kDefaultFrames = 19;
constexpr int kZoomCycle = 36;
constexpr char kTimeOption[] = "--time ";

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

void DrawFrame() {
    DispatchPendingMessages();
    g_engine.BeginFrame();
    IntroFrame(g_engine.userValue);
    g_engine.EndFrame();
}

// Draws `frames` frames after a zoom cycle left untimed (first presents set up windows and buffers) and prints the
// time a frame took.
void TimeFrames(int frames) {
    for (int frame = 0; frame < kZoomCycle; ++frame) {
        DrawFrame();
    }
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < frames; ++frame) {
        DrawFrame();
    }
    const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("us_per_frame %.1f\n", elapsed.count() / frames);
}

// Saves each of the first `frames` frames; the exit code says what failed.
int DumpFrames(int frames) {
    for (int frame = 1; frame <= frames; ++frame) {
        DrawFrame();
        // Read from the front: Wine's Flip faults (third flip, processor renderer) once the back buffer has been
        // locked.
        const std::optional<screen::Picture> image = ReadSurface(g_engine.drawDevice.primary);
        if (!image) {
            std::fprintf(stderr, "frame_dump: frame %d: the front buffer could not be read as 32-bit pixels\n", frame);
            return kReadbackFailed;
        }
        char name[32];
        std::snprintf(name, sizeof name, "frame-%04d.bmp", frame);
        if (!screen::WriteBmp(name, *image)) {
            std::fprintf(stderr, "frame_dump: frame %d: %s could not be written\n", frame, name);
            return kWriteFailed;
        }
    }
    return kDumped;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine, int /*nShowCmd*/) {
    const char* arguments = lpCmdLine != nullptr ? lpCmdLine : "";
    const bool timed = std::strncmp(arguments, kTimeOption, std::strlen(kTimeOption)) == 0;
    if (timed) {
        arguments += std::strlen(kTimeOption);
    }
    const int frames = *arguments != '\0' ? std::atoi(arguments) : kDefaultFrames;
    if (frames <= 0) {
        std::fprintf(stderr, "frame_dump: '%s' is not a number of frames\n", arguments);
        return kSetupFailed;
    }

    // The program's own set-up: window and display at the desktop's depth, hidden cursor, image, clipping rectangle.
    const DWORD desktopDepth = 4;
    if (!g_engine.Init("Tamberlyn", 640, 480, desktopDepth, DumpWindowProc, hInstance, nullptr, nullptr)) {
        std::fprintf(stderr, "frame_dump: the engine did not start\n");
        return kSetupFailed;
    }
    g_engine.HideCursor();
    const bool pictureLoaded = g_engine.LoadBitmap(g_introBitmap, "intro.bmp");
    g_clipRect = RECT{21, 16, 619, 464};
    if (timed && !pictureLoaded) {
        std::fprintf(stderr, "frame_dump: intro.bmp did not load: the frames to time would lack the picture\n");
        g_engine.Shutdown();
        return kSetupFailed;
    }

    int result = kDumped;
    if (timed) {
        TimeFrames(frames);
    } else {
        result = DumpFrames(frames);
    }
    g_engine.Shutdown();
    return result;
}
