// settings_table.cpp -- every setting, declared once: its names, what it takes, its default, its help, its parser.
#include "key_map.h"
#include "parse.h"
#include "settings.h"

#include <cctype>
#include <climits>
#include <utility>

namespace plat {
namespace {

using Parser = std::function<bool(const std::string&, Settings&, std::string*)>;

SettingDefinition Define(const char* key, Audience audience, std::string values, std::string defaultValue,
                         const char* help, Parser parse, bool yesNo = false) {
    std::string variable = std::string("TAMBERLYN_") + key;
    for (char& c : variable) {
        c = c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return SettingDefinition{key,  variable, audience,        std::move(values), std::move(defaultValue),
                             help, yesNo,    std::move(parse)};
}

// One of a few words, each standing for a value of the field.
template <class T>
SettingDefinition Choice(const char* key, Audience audience, const char* help, T Settings::*field,
                         std::vector<std::pair<std::string, T>> words) {
    std::vector<std::string> names;
    std::string defaultWord;
    for (const auto& [word, value] : words) {
        names.push_back(word);
        if (value == Settings{}.*field) {
            defaultWord = word;
        }
    }
    const std::string values = JoinChoices(names);
    return Define(key, audience, values, defaultWord, help,
                  [field, words, values](const std::string& text, Settings& settings, std::string* why) {
                      for (const auto& [word, value] : words) {
                          if (text == word) {
                              settings.*field = value;
                              return true;
                          }
                      }
                      *why = "expected " + values;
                      return false;
                  });
}

// A whole number in [low, high].
template <class T>
SettingDefinition Number(const char* key, Audience audience, const char* help, T Settings::*field, long long low,
                         long long high, std::string values = "", std::string defaultValue = "") {
    if (values.empty()) {
        values = "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
    }
    if (defaultValue.empty()) {
        defaultValue = std::to_string(Settings{}.*field);
    }
    return Define(key, audience, values, defaultValue, help,
                  [field, low, high, values](const std::string& text, Settings& settings, std::string* why) {
                      long long number = 0;
                      if (!ParseNumber(text, low, high, &number)) {
                          *why = "expected " + values;
                          return false;
                      }
                      settings.*field = static_cast<T>(number);
                      return true;
                  });
}

SettingDefinition YesNo(const char* key, Audience audience, const char* help, bool Settings::*field) {
    return Define(
        key, audience, "yes or no", Settings{}.*field ? "yes" : "no", help,
        [field](const std::string& text, Settings& settings, std::string* why) {
            if (!ParseYesNo(text, &(settings.*field))) {
                *why = "expected yes or no (or true/false, on/off, 1/0)";
                return false;
            }
            return true;
        },
        true);
}

SettingDefinition Text(const char* key, Audience audience, const char* values, const char* help,
                       std::string Settings::*field) {
    return Define(key, audience, values, Settings{}.*field, help,
                  [field](const std::string& text, Settings& settings, std::string*) {
                      settings.*field = text;
                      return true;
                  });
}

std::vector<SettingDefinition> MakeDefinitions() {
    const Audience user = Audience::User;
    const Audience diagnostic = Audience::Diagnostic;
    return {
        Choice("window", user,
               "How the program's 640 x 480 full-screen display is shown: a full-screen window at the desktop's "
               "resolution, a window of the picture's size, or a real switch to the nearest display mode.",
               &Settings::windowMode,
               {{"desktop", WindowMode::Desktop}, {"window", WindowMode::Window}, {"mode", WindowMode::Mode}}),
        Choice("scale", user,
               "How the picture fills the window: as large as fits keeping its proportions, the largest whole "
               "multiple that fits, or the whole window.",
               &Settings::scaling,
               {{"fit", Scaling::Fit}, {"integer", Scaling::Integer}, {"stretch", Scaling::Stretch}}),
        Choice("filter", user,
               "How the picture's pixels are scaled: each window pixel showing the nearest one, blended between the "
               "nearest four, or the largest whole multiple nearest and the rest of the way blended (even columns, "
               "still crisp).",
               &Settings::filter, {{"nearest", Filter::Nearest}, {"linear", Filter::Linear}, {"sharp", Filter::Sharp}}),
        YesNo("vsync", user, "Wait for the display's refresh where the renderer can.", &Settings::vsync),
        Number("frame-cap", user, "At most this many frames a second, also with vsync; 0 for no cap.",
               &Settings::frameCap, 0, 1000),
        Number("display", user, "The display the window opens on, counted from 0.", &Settings::displayIndex, 0, 63),
        Choice("present", user,
               "How frames reach the window: a hardware renderer where one exists, else the window's own pixels (on X, "
               "scaled by the X server where it shows the same pixels); or either by choice.",
               &Settings::presentPath,
               {{"auto", PresentPath::Auto}, {"surface", PresentPath::Surface}, {"renderer", PresentPath::Renderer}}),
        Define("screenshot-key", user, "a key name (F12, F11, Pause, ...)", "F12",
               "The key that saves a screenshot, besides Print Screen (which desktops often keep for themselves).",
               [](const std::string& text, Settings& settings, std::string* why) {
                   const int position = keys::PositionNamed(text);
                   if (position == 0) {
                       *why = "expected a key name such as F12, F11 or Pause";
                       return false;
                   }
                   settings.screenshotKey = position;
                   return true;
               }),
        YesNo("warning", user, "Show the photosensitivity warning before the first flash.", &Settings::warning),
        YesNo("reduced-flashing", user,
              "Keep what reaches the screen to at most three flashes a second; the program's own frames stay as "
              "they are.",
              &Settings::reducedFlashing),

        Text("trace", diagnostic, "a file name",
             "Write every platform call the program makes to this file, one line each, with its arguments and "
             "result.",
             &Settings::tracePath),
        Define("fail", diagnostic, "Name=value[,Name@N=value...]", "",
               "Make the named call (as the trace names it) return the value without doing its work, on every call "
               "or only on the Nth.",
               [](const std::string& text, Settings& settings, std::string* why) {
                   settings.failpoints.clear();
                   return relay::ParseFailpoints(text, &settings.failpoints, why);
               }),
        Define("script", diagnostic, "frame:action[,...]", "",
               "Actions once the program has called Flip that many times (failed flips count too): key=NAME, "
               "deactivate, activate, close.",
               [](const std::string& text, Settings& settings, std::string* why) {
                   settings.script.clear();
                   return script::Parse(text, &settings.script, why);
               }),
        Define("capture", diagnostic, "frame numbers, comma-separated", "",
               "Save these frames (counted from 1) as frame-NNNN.bmp.",
               [](const std::string& text, Settings& settings, std::string* why) {
                   settings.captureFrames.clear();
                   for (const std::string& piece : Split(text, ',')) {
                       long long frame = 0;
                       if (!ParseNumber(piece, 1, INT_MAX, &frame)) {
                           *why = "\"" + piece + "\" is not a frame number from 1 to " + std::to_string(INT_MAX);
                           return false;
                       }
                       settings.captureFrames.push_back(static_cast<int>(frame));
                   }
                   return true;
               }),
        Text("capture-dir", diagnostic, "a folder", "Where captured frames go.", &Settings::captureDir),
        YesNo("unpaced", diagnostic, "Run frames as fast as they go: no vsync, no pacing, no frame cap.",
              &Settings::unpaced),
        YesNo("headless", diagnostic, "Run without a window, a display or sound: frames are counted and captured.",
              &Settings::headless),
        Choice("desktop-bpp", diagnostic, "The desktop's colour depth the program sees.",
               &Settings::desktopBitsPerPixel, {{"8", 8}, {"16", 16}, {"24", 24}, {"32", 32}}),
        Number("winsock-version", diagnostic,
               "The version WSAStartup reports: major version in the low byte (0x0101 is 1.1).",
               &Settings::winsockVersion, 0, 0xFFFF, "a 16-bit version word", "0x0101"),
    };
}

}  // namespace

const std::vector<SettingDefinition>& SettingDefinitions() {
    static const std::vector<SettingDefinition> definitions = MakeDefinitions();
    return definitions;
}

}  // namespace plat
