// settings.h -- the platform's settings, read once from TAMBERLYN_* environment variables.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace plat {

// How an exclusive full-screen display mode is shown on the real screen.
enum class WindowMode {
    Desktop,  // a full-screen window at the desktop's resolution, the picture scaled into it
    Window,   // a window of the picture's size
    Mode,     // a real display mode switch to the nearest mode the screen has
};

// How the picture fills the window.
enum class Scaling {
    Fit,      // as large as fits, proportions kept, black bars
    Integer,  // the largest whole multiple that fits (as Fit when even one time does not), black bars
    Stretch,  // the whole window, proportions lost
};

// How frames reach the screen.
enum class PresentPath {
    Auto,      // the window surface where no hardware renderer exists, else the renderer
    Surface,   // the window's own pixels: the picture scaled on the processor, no vsync
    Renderer,  // a renderer with a streaming texture, scaled and synchronised by the renderer
};

struct Settings {
    std::string tracePath;                        // TAMBERLYN_TRACE
    std::string failpoints;                       // TAMBERLYN_FAIL
    std::string script;                           // TAMBERLYN_SCRIPT
    std::vector<int> captureFrames;               // TAMBERLYN_CAPTURE
    std::string captureDir = ".";                 // TAMBERLYN_CAPTURE_DIR
    bool unpaced = false;                         // TAMBERLYN_UNPACED
    bool headless = false;                        // TAMBERLYN_HEADLESS: no window, no display, no sound
    int desktopBitsPerPixel = 32;                 // TAMBERLYN_DESKTOP_BPP
    WORD winsockVersion = 0x0101;                 // TAMBERLYN_WINSOCK_VERSION
    WindowMode windowMode = WindowMode::Desktop;  // TAMBERLYN_WINDOW
    Scaling scaling = Scaling::Fit;               // TAMBERLYN_SCALE
    bool vsync = true;                            // TAMBERLYN_VSYNC
    int frameCap = 0;                             // TAMBERLYN_FRAME_CAP: frames a second at most, 0 for no cap
    int displayIndex = 0;                         // TAMBERLYN_DISPLAY
    PresentPath presentPath = PresentPath::Auto;  // TAMBERLYN_PRESENT
};

// The settings of this run, read when the platform starts; they do not change during the run.
const Settings& CurrentSettings();

// Settings from `variable` (a variable's value by name, empty when unset). Values that make no sense leave the
// default, and are described in `unusable` when given.
Settings ReadSettings(const std::function<std::string(const char*)>& variable,
                      std::vector<std::string>* unusable = nullptr);
// Settings from this process's environment, where `overrides` (variable name to value) take its place.
Settings SettingsFromEnvironment(std::vector<std::string>* unusable,
                                 const std::map<std::string, std::string>& overrides = {});

// Parses a number written in decimal or with a 0x prefix; false if `text` is not one.
bool ParseNumber(const std::string& text, long long* value);
// Splits `text` at each `separator`, dropping empty pieces.
std::vector<std::string> Split(const std::string& text, char separator);

}  // namespace plat
