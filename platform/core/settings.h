// settings.h -- the platform's settings: what each is, read once at start from the settings file, the environment
// and the command line (later ones winning), and never changed during the run.
#pragma once

#include "frame_script.h"
#include "relay_state.h"

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

// How the picture's pixels are scaled to the window's.
enum class Filter {
    Nearest,  // each window pixel shows the picture's pixel under its centre: sharp, uneven at fractional scales
    Linear,   // blended between the four nearest pixels: even, soft
    Sharp,    // the largest whole multiple nearest, then the rest of the way blended: even and crisp
};

// How frames reach the screen.
enum class PresentPath {
    Auto,      // the window's own pixels where no hardware renderer exists, else the renderer
    Surface,   // the window's own pixels: the picture scaled on the processor, no vsync
    Renderer,  // a renderer with a streaming texture, scaled and synchronised by the renderer
};

struct Settings {
    // For people.
    WindowMode windowMode = WindowMode::Desktop;
    Scaling scaling = Scaling::Fit;
    Filter filter = Filter::Nearest;
    bool vsync = true;
    int frameCap = 60;  // frames a second at most; 0 for no cap
    int displayIndex = 0;
    PresentPath presentPath = PresentPath::Auto;
    int screenshotKey = 69;  // a key position (F12): the key that saves a screenshot, besides Print Screen
    bool warning = true;     // the photosensitivity warning before the first frame
    bool reducedFlashing = false;

    // For tests and diagnostics.
    std::string tracePath;
    std::vector<relay::FailpointRequest> failpoints;
    std::vector<script::Entry> script;
    std::vector<int> captureFrames;
    std::string captureDir = ".";
    bool unpaced = false;
    bool headless = false;
    int desktopBitsPerPixel = 32;
    WORD winsockVersion = 0x0101;

    // Frames wait for the display's refresh: with vsync, unless unpaced.
    bool WaitsForRefresh() const { return vsync && !unpaced; }
};

enum class Audience { User, Diagnostic };

// One setting, declared once: its names in every source, what it takes, its help, and its parser.
struct SettingDefinition {
    std::string key;       // the option (--key=value) and the settings file's key
    std::string variable;  // the environment variable
    Audience audience;
    std::string values;        // what it takes, for people: "desktop, window or mode"
    std::string defaultValue;  // as it would be written
    std::string help;          // what it does, one sentence
    bool yesNo;                // a yes/no setting: --key alone means yes, --no-key no
    // Sets the setting from `text`; false, with what it expected in `why`, if it cannot.
    std::function<bool(const std::string& text, Settings& settings, std::string* why)> parse;
};

// Every setting, in the order --help and the README list them.
const std::vector<SettingDefinition>& SettingDefinitions();

// Where settings come from, from weakest to strongest.
struct SettingSources {
    std::string fileName;                                 // the settings file, read if it exists ("" for none)
    std::function<std::string(const char*)> environment;  // a variable's value by name, "" when unset
    std::vector<std::string> variableNames;               // the TAMBERLYN_* variables set, known or not
    std::vector<std::string> arguments;                   // the command line after the program's name
};

struct StartSettings {
    enum class Request { Run, Help, Version };
    Request request = Request::Run;
    Settings settings;
    std::vector<std::string> errors;       // "source: problem", each enough to stop the run
    std::vector<std::string> commandLine;  // the arguments that are not ours, for WinMain
};

// Reads the sources: defaults, then the settings file, the environment and the command line, each later one
// winning. Anything that cannot be read is an error naming its source and what would be understood.
StartSettings ReadSettings(const SettingSources& sources);
// This process's sources: $XDG_CONFIG_HOME/tamberlyn/tamberlyn.ini (else ~/.config/...), the environment with
// `overrides` (variable to value) in its place, and `arguments`.
SettingSources ProcessSources(const std::vector<std::string>& arguments,
                              const std::map<std::string, std::string>& overrides = {});

// The program's own command line after its name, read where the platform first needs its settings (before main,
// as the global objects start the platform). The program's start-up defines it; elsewhere (tests, tools) it is
// empty.
std::vector<std::string> ProgramArguments();

// What --help prints: every option with its default and choices.
std::string HelpText();
// What --version prints.
std::string VersionText();

// The settings of this run, read when the platform started; they do not change during the run.
const Settings& CurrentSettings();

}  // namespace plat
