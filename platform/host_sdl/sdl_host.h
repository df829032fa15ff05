// sdl_host.h -- the host on SDL2: the program's windows as SDL windows, frames through a presenter, SDL's events,
// message boxes and audio. Its functions live in the sdl_*.cpp files of their area.
#pragma once

#include "host.h"
#include "sdl_presenter.h"

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

namespace plat::sdl {

class SdlHost final : public Host {
public:
    ~SdlHost() override;
    bool HasDisplay() override;

    // sdl_screen.cpp
    void OpenWindow(HWND hwnd, const std::string& title, int x, int y, int width, int height, bool borderless) override;
    void ShowWindow(HWND hwnd) override;
    void CloseWindow(HWND hwnd) override;
    void ToggleFullScreen() override;
    void SetDisplayMode(HWND owner, int width, int height) override;
    void RestoreDisplayMode(HWND owner) override;
    void Present(const Canvas& picture) override;
    void SetCursorVisible(bool visible) override;
    // The program's window behind an SDL window id, or null.
    HWND WindowOf(Uint32 sdlWindowId) const;

    // sdl_events.cpp
    bool PumpEvents() override;
    bool WaitEvent(std::chrono::milliseconds timeout) override;

    // sdl_message_box.cpp
    bool ShowMessageBox(const char* text, const char* caption, UINT type) override;

    // sdl_audio.cpp
    std::unique_ptr<AudioOutput> OpenAudio() override;

private:
    struct OpenSdlWindow {
        HWND hwnd;
        SDL_Window* window;
    };

    // Starts SDL's video on first use; false (for the whole run) where there is no display or driver.
    bool VideoReady();
    SDL_Window* SdlWindow(HWND hwnd) const;
    // The window frames go to: the exclusive owner's, else the first one opened.
    SDL_Window* FrameWindow() const;

    bool videoTried_ = false;
    bool videoReady_ = false;
    std::vector<OpenSdlWindow> windows_;
    SDL_Window* presented_ = nullptr;  // the window `presenter_` draws into
    std::unique_ptr<Presenter> presenter_;
    int pictureWidth_ = 640;
    int pictureHeight_ = 480;
    bool cursorVisible_ = true;
};

}  // namespace plat::sdl
