// web_host.h -- the host in a web page: the program's screen is the page's canvas, its input the page's keys, focus
// and visibility, its message boxes the page's; every wait hands the browser its thread back. Its functions live in
// the web_*.cpp files of their area.
#pragma once

#include "host.h"
#include "settings.h"

#include <pixman.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace plat::web {

class WebHost final : public Host {
public:
    explicit WebHost(const Settings& settings);
    bool HasDisplay() override { return true; }

    // web_screen.cpp
    void OpenWindow(HWND hwnd, const std::string& title, int x, int y, int width, int height, bool borderless) override;
    void ShowWindow(HWND hwnd) override;
    void CloseWindow(HWND hwnd) override;
    void ToggleFullScreen() override;
    void SetDisplayMode(HWND owner, int width, int height) override;
    void RestoreDisplayMode(HWND owner) override;
    void Present(const Canvas& picture) override;
    void SetCursorVisible(bool visible) override;
    std::string SavePicture(const std::string& name, const std::vector<std::uint8_t>& bmp) override;

    // web_host.cpp
    bool PumpEvents() override;
    bool ShowMessageBox(const char* text, const char* caption, UINT type) override;
    Answer AskToGoOn(const char* text, const char* caption, const char* goOn, const char* quit) override;
    std::unique_ptr<AudioOutput> OpenAudio() override;
    void SleepUntil(Clock::time_point when) override;
    bool WaitEvent(std::chrono::milliseconds timeout) override;
    void Yield() override;

private:
    struct Unref {
        void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
    };

    const Scaling scaling_;
    const WindowMode windowMode_;
    const bool waitForRefresh_;  // vsync: each frame waits for the page's next animation frame
    bool screenShown_ = false;
    // The picture as the canvas takes it (bytes red, green, blue, alpha), kept from frame to frame.
    std::vector<std::uint32_t> rgba_;
    std::unique_ptr<pixman_image_t, Unref> rgbaImage_;
};

}  // namespace plat::web
