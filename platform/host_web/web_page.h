// web_page.h -- the calls the browser host makes into its page (page.js): the canvas, queued input, waiting,
// message boxes, sound, saved pictures and the program's arguments.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat::web::page {

// The program's screen replaces the warning; `scaling` and `windowMode` are the settings' words ("fit", "desktop").
void ShowScreen(const char* scaling, const char* windowMode);
// Puts `width` x `height` pixels, bytes red, green, blue, alpha, on the canvas.
void Present(const std::uint8_t* rgba, int width, int height);
void SetCursorVisible(bool visible);
void ToggleFullScreen();

// One input event the page queued, oldest first.
struct Event {
    enum Kind { kNone, kKey, kActive };
    Kind kind = kNone;
    std::string code;   // kKey: KeyboardEvent.code
    int character = 0;  // kKey: the lower-case letter or digit the layout puts on the key, or 0
    bool down = false;
    bool repeat = false;
    bool alt = false;
    bool control = false;
    bool numLock = false;
    bool active = false;  // kActive: the page is shown and has the focus
};
Event NextEvent();

// Hands the browser its thread back for `milliseconds` (0: one turn of its event loop, no timer clamping). With
// `untilInput`, input arriving ends the wait early. True if input is waiting.
bool Wait(double milliseconds, bool untilInput);
// Waits for the browser's next animation frame (its display's refresh), at most `capMilliseconds`: hidden pages get
// none.
void WaitForAnimationFrame(double capMilliseconds);
// A modal box in the page; returns when it is answered.
void MessageBox(const char* text, const char* caption, const char* icon);

// The page's sound: false if the browser has none. Opened paused.
bool OpenAudio();
void SetAudioPlaying(bool playing);
void CloseAudio();

// A picture the program saved, offered by the page for download.
void PictureSaved(const std::string& name, const std::vector<std::uint8_t>& bmp);

// The options and arguments the page gives the program.
std::vector<std::string> Arguments();

}  // namespace plat::web::page
