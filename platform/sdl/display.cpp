// display.cpp -- the display's mode and owner, surface loss, frame counting, capture, presenting and pacing.
#include "display.h"

#include "capture.h"
#include "screen.h"
#include "settings.h"
#include "window_table.h"

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>
#include <vector>

namespace plat::display {
namespace {

struct State {
    int width = 1024;
    int height = 768;
    int bitsPerPixel = CurrentSettings().desktopBitsPerPixel;
    HWND owner = nullptr;
    std::vector<Losable*> surfaces;
    std::set<const gdi::DC*> lentDCs;
    int frames = 0;
    const Canvas* shown = nullptr;
    std::chrono::steady_clock::time_point nextFrame{};
};

State& TheState() {
    static State* state = new State;  // never destroyed: surfaces are released by global destructors
    return *state;
}

// Holds frames to 60 a second, or to the frame cap, where nothing else does: without vsync, headless, or with
// a cap below the display's refresh. Unpaced runs (benchmarks) never wait.
void Pace(State& state, bool syncedToDisplay) {
    const Settings& settings = CurrentSettings();
    if (settings.unpaced || (syncedToDisplay && settings.frameCap == 0)) {
        return;
    }
    const auto period = std::chrono::microseconds(1000000 / (settings.frameCap > 0 ? settings.frameCap : 60));
    const auto now = std::chrono::steady_clock::now();
    if (state.nextFrame < now - period) {
        state.nextFrame = now;  // fell behind (or first frame): start afresh rather than rush
    }
    std::this_thread::sleep_until(state.nextFrame);
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
    State& state = TheState();
    state.width = width;
    state.height = height;
    state.bitsPerPixel = bitsPerPixel;
    if (state.owner) {
        screen::DisplayModeSet(state.owner, width, height);
    }
    return true;
}

HWND ExclusiveOwner() {
    return TheState().owner;
}
void SetExclusiveOwner(HWND hwnd) {
    State& state = TheState();
    if (state.owner && state.owner != hwnd) {
        screen::DisplayReleased(state.owner);
    }
    state.owner = hwnd;
}

void WindowDestroyed(HWND hwnd) {
    State& state = TheState();
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
    State& state = TheState();
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
    State& state = TheState();
    ++state.frames;
    state.shown = &front;
    capture::FrameShown(state.frames, front);
    screen::Present(front);
    Pace(state, screen::SyncsToDisplay());
}

int FramesShown() {
    return TheState().frames;
}

const Canvas* ShownPicture() {
    return TheState().shown;
}

void Reset() {
    State& state = TheState();
    state.width = 1024;
    state.height = 768;
    state.bitsPerPixel = CurrentSettings().desktopBitsPerPixel;
    state.owner = nullptr;
    state.frames = 0;
    state.shown = nullptr;
}

}  // namespace plat::display
