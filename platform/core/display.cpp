// display.cpp -- the display's mode and owner, surface loss, frame counting, capture, presenting and pacing.
#include "display.h"

#include "capture.h"
#include "platform_state.h"
#include "settings.h"
#include "user_window.h"

#include <algorithm>

namespace plat::display {
namespace {

DisplayState& TheState() {
    return Platform().display;
}

// Holds frames to the frame cap (60 a second unless set otherwise), also where the display refreshes faster: the
// program's frames are its clock. Unpaced runs (benchmarks) and uncapped ones (as fast as the display's refresh with
// vsync, or the processor, allows) never wait here, but let the host do its work.
void Pace(DisplayState& state) {
    const Settings& settings = CurrentSettings();
    Host& host = TheHost();
    if (settings.unpaced || settings.frameCap == 0) {
        host.Yield();
        return;
    }
    const auto period = std::chrono::microseconds(1000000 / settings.frameCap);
    const auto now = host.Now();
    if (state.nextFrame < now - period) {
        state.nextFrame = now;  // fell behind (or first frame): start afresh rather than rush
    }
    host.SleepUntil(state.nextFrame);
    state.nextFrame += period;
}

}  // namespace

int ScreenWidth() {
    return TheState().width;
}
int ScreenHeight() {
    return TheState().height;
}
int ScreenBitsPerPixel() {
    return TheState().bitsPerPixel;
}

PixelLayout ScreenLayout() {
    switch (TheState().bitsPerPixel) {
        case 8:
            return PixelLayout::Indexed8;
        case 16:
            return PixelLayout::Rgb565;
        case 24:
            return PixelLayout::Rgb888;
        default:
            return PixelLayout::Xrgb8888;
    }
}

bool SetMode(int width, int height, int bitsPerPixel) {
    static const int sizes[][2] = {{320, 200}, {320, 240},  {512, 384},  {640, 400},   {640, 480},
                                   {800, 600}, {1024, 768}, {1280, 720}, {1280, 1024}, {1920, 1080}};
    const bool knownSize = std::any_of(std::begin(sizes), std::end(sizes),
                                       [&](const int* size) { return size[0] == width && size[1] == height; });
    const bool knownDepth = bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
    if (!knownSize || !knownDepth) {
        return false;
    }
    DisplayState& state = TheState();
    state.width = width;
    state.height = height;
    state.bitsPerPixel = bitsPerPixel;
    if (state.owner) {
        TheHost().SetDisplayMode(state.owner, width, height);
    }
    return true;
}

HWND ExclusiveOwner() {
    return TheState().owner;
}
void SetExclusiveOwner(HWND hwnd) {
    DisplayState& state = TheState();
    if (state.owner && state.owner != hwnd) {
        TheHost().RestoreDisplayMode(state.owner);
    }
    state.owner = hwnd;
}

void WindowDestroyed(HWND hwnd) {
    DisplayState& state = TheState();
    if (state.owner == hwnd) {
        state.owner = nullptr;
    }
}

void Track(Losable* surface) {
    TheState().surfaces.push_back(surface);
}

void Untrack(Losable* surface) {
    TheState().shown = nullptr;  // the picture may have been this surface's
    auto& surfaces = TheState().surfaces;
    surfaces.erase(std::remove(surfaces.begin(), surfaces.end(), surface), surfaces.end());
}

int TrackedCount() {
    return static_cast<int>(TheState().surfaces.size());
}

bool CanRestore() {
    return !TheState().owner || windows::AppActive();
}

void AppActivated(bool active) {
    DisplayState& state = TheState();
    if (active || !state.owner) {
        return;
    }
    // An exclusive full-screen program in the background loses the video memory of all its surfaces.
    state.shown = nullptr;
    for (Losable* surface : state.surfaces) {
        surface->Lose();
    }
}

void LendDC(const gdi::DC* dc) {
    TheState().lentDCs.insert(dc);
}
void ReturnDC(const gdi::DC* dc) {
    TheState().lentDCs.erase(dc);
}
bool IsSurfaceDC(const gdi::DC* dc) {
    return TheState().lentDCs.count(dc) != 0;
}

void FrameShown(const Canvas& front) {
    DisplayState& state = TheState();
    ++state.frames;
    state.shown = &front;
    capture::FrameShown(state.frames, front);
    Host& host = TheHost();
    host.Present(CurrentSettings().reducedFlashing ? state.flashLimiter.Filter(front, host.Now()) : front);
    Pace(state);
}

int FramesShown() {
    return TheState().frames;
}

void FlipAttempted() {
    ++TheState().flipsAttempted;
}

int FlipsAttempted() {
    return TheState().flipsAttempted;
}

const Canvas* ShownPicture() {
    return TheState().shown;
}

}  // namespace plat::display
