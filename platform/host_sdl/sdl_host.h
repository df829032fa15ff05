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
    // sdl_host.cpp
    // Starts SDL's video, deciding once whether there is a display. A display that cannot be opened makes no host,
    // with why in `why`; SDL_VIDEODRIVER=dummy (or offscreen) asks for none, and the host runs without a window.
    static std::unique_ptr<SdlHost> Open(std::string* why);
    ~SdlHost() override;
    SdlHost(const SdlHost&) = delete;
    SdlHost& operator=(const SdlHost&) = delete;
    bool HasDisplay() override { return hasDisplay_; }

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
    // Where the last frame went, for benchmarks: the way ("surface" or "renderer", as TAMBERLYN_PRESENT names them;
    // empty when it reached no window) and that window's size in real pixels.
    struct PresentRecord {
        std::string path;
        int width = 0;
        int height = 0;
    };
    PresentRecord LastPresent() const;
    // The window showed something else for a while (another window lay over it): it shows its last frame again.
    void Reshow(Uint32 sdlWindowId);

    // sdl_events.cpp
    bool PumpEvents() override;
    bool WaitEvent(std::chrono::milliseconds timeout) override;

    // sdl_message_box.cpp
    bool ShowMessageBox(const char* text, const char* caption, UINT type) override;
    Answer AskToGoOn(const char* text, const char* caption, const char* goOn, const char* quit) override;

    // sdl_audio.cpp
    std::unique_ptr<AudioOutput> OpenAudio() override;

private:
    struct OpenSdlWindow {
        HWND hwnd;
        SDL_Window* window;
    };

    explicit SdlHost(bool hasDisplay) : hasDisplay_(hasDisplay) {}
    SDL_Window* SdlWindow(HWND hwnd) const;
    // The window frames go to: the exclusive owner's, else the first one opened.
    SDL_Window* FrameWindow() const;

    const bool hasDisplay_;
    std::vector<OpenSdlWindow> windows_;
    SDL_Window* presented_ = nullptr;  // the window `presenter_` draws into
    std::unique_ptr<Presenter> presenter_;
    int pictureWidth_ = 640;
    int pictureHeight_ = 480;
    // Where the window was, and its size, when Alt+Enter last took it full screen; empty before that.
    SDL_Rect windowedPlace_{};
    bool lastFrameShown_ = false;  // the last Present reached `presented_`
};

}  // namespace plat::sdl
