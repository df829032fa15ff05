// display.h -- the display behind DirectDraw: its mode, the exclusive owner, surface loss, shown frames.
#pragma once

#include "canvas.h"

#include "flash_limiter.h"
#include "host.h"

#include <windows.h>

#include <set>
#include <vector>

namespace plat::gdi {
struct DC;
}

namespace plat::display {

class Losable;

struct DisplayState {
    explicit DisplayState(int desktopBitsPerPixel) : bitsPerPixel(desktopBitsPerPixel) {}

    // The desktop's mode until DirectDraw sets one.
    int width = 1024;
    int height = 768;
    int bitsPerPixel;
    HWND owner = nullptr;
    std::vector<Losable*> surfaces;
    std::set<const gdi::DC*> lentDCs;
    int frames = 0;          // flips that showed a frame
    int flipsAttempted = 0;  // flips the program asked for, shown or not
    const Canvas* shown = nullptr;
    Host::Clock::time_point nextFrame{};
    FlashLimiter flashLimiter;  // with reduced flashing: what the screen shows
};

// The mode the screen is in: the desktop's until DirectDraw sets one.
int ScreenWidth();
int ScreenHeight();
int ScreenBitsPerPixel();
PixelLayout ScreenLayout();
bool SetMode(int width, int height, int bitsPerPixel);

// The window that holds the display exclusively (full-screen), or null.
HWND ExclusiveOwner();
void SetExclusiveOwner(HWND hwnd);
void WindowDestroyed(HWND hwnd);

// Something that loses its memory when an exclusive full-screen program goes to the background.
class Losable {
public:
    virtual void Lose() = 0;

protected:
    ~Losable() = default;
};
void Track(Losable* surface);
void Untrack(Losable* surface);
int TrackedCount();
// True while surfaces may get their memory back (the exclusive owner, if any, is in the foreground).
bool CanRestore();
void AppActivated(bool active);

// Device contexts lent by surfaces: DeleteDC refuses them, IDirectDrawSurface::ReleaseDC takes them back.
void LendDC(const gdi::DC* dc);
void ReturnDC(const gdi::DC* dc);
bool IsSurfaceDC(const gdi::DC* dc);

// A flip showed `front`: count the frame, capture it if asked, present it on the screen (with reduced flashing,
// what the flash limiter lets through), then pace to the frame cap.
void FrameShown(const Canvas& front);
int FramesShown();
// The program called Flip; FlipsAttempted counts those calls, whatever became of them.
void FlipAttempted();
int FlipsAttempted();
// The picture the last frame showed, while it is still there (no surface released or lost since); else null.
const Canvas* ShownPicture();

}  // namespace plat::display
