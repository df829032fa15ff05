// host.h -- what the Windows emulation needs from the machine it runs on: windows, the display, events, message
// boxes, pictures, sound and time. One host serves a run; the emulation reaches it only through this contract.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

class Canvas;
struct Settings;

// The default audio output, opened for DirectSound; it plays silence while started.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // IDirectSoundBuffer::Play and Stop on the primary buffer.
    virtual void SetPlaying(bool playing) = 0;
};

class Host {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~Host() = default;

    // Whether a person can see what the emulation shows, decided when the host started: the photosensitivity
    // warning or not, a message box on the screen or on standard error, and whether anything but the frame script
    // can send the program input.
    virtual bool HasDisplay() = 0;

    // CreateWindowExA made a top-level window: open a window for it, hidden, at (x, y) with the given size.
    virtual void OpenWindow(HWND hwnd, const std::string& title, int x, int y, int width, int height,
                            bool borderless) = 0;
    // ShowWindow made the window visible: show it and raise it.
    virtual void ShowWindow(HWND hwnd) = 0;
    // The window was destroyed.
    virtual void CloseWindow(HWND hwnd) = 0;
    // The person asked to switch between full screen and a window (Alt+Enter).
    virtual void ToggleFullScreen() = 0;

    // DirectDraw set a `width` x `height` display mode for `owner`, the window holding the display exclusively.
    virtual void SetDisplayMode(HWND owner, int width, int height) = 0;
    // The exclusive owner let the display go back to the desktop.
    virtual void RestoreDisplayMode(HWND owner) = 0;

    // A flip shows `picture`, the display mode's front buffer: put it on the screen (waiting for the display's
    // refresh where vsync is on). The emulation paces frames itself afterwards.
    virtual void Present(const Canvas& picture) = 0;

    // The message calls look for input: deliver what happened on the host (keys, focus, closing) to the emulation
    // through input.h. True if anything reached the program.
    virtual bool PumpEvents() = 0;

    // MessageBoxA on a host with a display: a modal box, returning once it is answered. False if none could be
    // shown (the emulation then writes the text on standard error).
    virtual bool ShowMessageBox(const char* text, const char* caption, UINT type) = 0;
    // Before the program starts, on a host with a display: `text` in a modal box titled `caption` with two buttons,
    // `goOn` (also Enter) and `quit` (also Escape, or closing the box). The person's answer, or NotShown if no box
    // could be shown.
    enum class Answer { GoOn, Quit, NotShown };
    virtual Answer AskToGoOn(const char* text, const char* caption, const char* goOn, const char* quit) = 0;
    // ShowCursor's counter went below zero (hidden) or back to zero or above.
    virtual void SetCursorVisible(bool visible) = 0;

    // A captured frame or a screenshot, as a BMP file's bytes, is to be kept under `name`. Empty if it was,
    // else why not. By default, a file of that name.
    virtual std::string SavePicture(const std::string& name, const std::vector<std::uint8_t>& bmp);

    // DirectSoundCreate: the default audio output, paused; null if there is none.
    virtual std::unique_ptr<AudioOutput> OpenAudio() = 0;

    // Time and waiting: pacing, WaitMessage, GetMessageA and message boxes wait only through these, so that a
    // host that must hand control back (a web page) can do so there.
    virtual Clock::time_point Now();
    virtual void SleepUntil(Clock::time_point when);
    // Waits until input may be waiting for PumpEvents, at most `timeout`. True if some may be.
    virtual bool WaitEvent(std::chrono::milliseconds timeout) = 0;
    // An unpaced or uncapped frame was shown: a chance for the host to do its own work. By default, nothing.
    virtual void Yield() {}
};

// The hosts this build has, chosen by the build; MakeHost picks the one for this run's settings. Null if that host
// cannot serve the run (a display that cannot be opened), with what failed and what to do instead in `why`.
std::unique_ptr<Host> MakeHost(const Settings& settings, std::string* why);

}  // namespace plat
