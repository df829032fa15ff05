// screen.h -- the SDL window that shows the program's window and the display's frames on a real screen.
#pragma once

#include "canvas.h"
#include "settings.h"

#include <windows.h>

#include <SDL.h>

#include <string>

namespace plat::screen {

// A top-level window was created: opens its SDL window, hidden, titled `title`, borderless for pop-ups.
// Without a usable video driver nothing opens and the layer runs headless.
void Open(HWND hwnd, const std::string& title, bool borderless);
void Show(HWND hwnd);
void Close(HWND hwnd);
// The program's window behind an SDL window id, or null.
HWND WindowOf(Uint32 sdlWindowId);

// DirectDraw set a `width` x `height` display mode for `owner`, its exclusive full-screen window: the window
// takes the screen as the window-mode setting says.
void DisplayModeSet(HWND owner, int width, int height);
// The exclusive owner let the display go: its window leaves full screen.
void DisplayReleased(HWND owner);

// Shows `front` (the display mode's picture) scaled into the window, waiting for the display where vsync is on.
void Present(const Canvas& front);
// True if presenting waits for the display's refresh (so no other pacing is needed).
bool SyncsToDisplay();

// Where the last frame went: the way it took (Surface or Renderer; Auto when it reached no window) and the size of
// the window, in real pixels.
struct PresentRecord {
    PresentPath path = PresentPath::Auto;
    int width = 0;
    int height = 0;
};
PresentRecord LastPresent();
// Alt+Enter: full screen to a window and back.
void ToggleFullScreen();
// Print Screen: saves the last presented picture at the display mode's size in the working directory;
// returns the file's name, or empty if nothing was saved.
std::string SaveScreenshot();
// ShowCursor's counter went below zero (hidden) or back to zero or above.
void SetCursorVisible(bool visible);

}  // namespace plat::screen
