// settings.cpp -- reads the platform's TAMBERLYN_* environment variables.
#include "settings.h"

#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace plat {
namespace {

// Reads variables by name, noting each value it cannot use.
class Reader {
public:
    Reader(const std::function<std::string(const char*)>& variable, std::vector<std::string>* unusable)
        : variable_(variable), unusable_(unusable) {}

    std::string Text(const char* name) const { return variable_(name); }

    // Sets `*value` from a number in [low, high]; anything else is noted and leaves it.
    template <typename Number>
    void ReadNumber(const char* name, long long low, long long high, Number* value) const {
        const std::string text = variable_(name);
        long long number = 0;
        if (text.empty()) {
            return;
        }
        if (ParseNumber(text, &number) && number >= low && number <= high) {
            *value = static_cast<Number>(number);
        } else {
            Refuse(name, text);
        }
    }

    // Sets `*value` from one of the named choices; anything else is noted and leaves it.
    template <typename Choice>
    void ReadChoice(const char* name, std::initializer_list<std::pair<const char*, Choice>> choices,
                    Choice* value) const {
        const std::string text = variable_(name);
        if (text.empty()) {
            return;
        }
        for (const auto& [word, choice] : choices) {
            if (text == word) {
                *value = choice;
                return;
            }
        }
        Refuse(name, text);
    }

    void Refuse(const char* name, const std::string& value) const {
        if (unusable_) {
            unusable_->push_back("ignoring " + std::string(name) + "=" + value);
        }
    }

private:
    const std::function<std::string(const char*)>& variable_;
    std::vector<std::string>* unusable_;
};

}  // namespace

Settings ReadSettings(const std::function<std::string(const char*)>& variable, std::vector<std::string>* unusable) {
    const Reader read(variable, unusable);
    Settings settings;
    settings.tracePath = read.Text("TAMBERLYN_TRACE");
    settings.failpoints = read.Text("TAMBERLYN_FAIL");
    settings.script = read.Text("TAMBERLYN_SCRIPT");
    for (const std::string& piece : Split(read.Text("TAMBERLYN_CAPTURE"), ',')) {
        long long frame = 0;
        if (ParseNumber(piece, &frame) && frame > 0) {
            settings.captureFrames.push_back(static_cast<int>(frame));
        } else {
            read.Refuse("TAMBERLYN_CAPTURE", piece);
        }
    }
    if (std::string dir = read.Text("TAMBERLYN_CAPTURE_DIR"); !dir.empty()) {
        settings.captureDir = dir;
    }
    settings.unpaced = read.Text("TAMBERLYN_UNPACED") == "1";
    settings.headless = read.Text("TAMBERLYN_HEADLESS") == "1";
    read.ReadChoice("TAMBERLYN_DESKTOP_BPP", {{"8", 8}, {"16", 16}, {"24", 24}, {"32", 32}},
                    &settings.desktopBitsPerPixel);
    read.ReadNumber("TAMBERLYN_WINSOCK_VERSION", 0, 0xFFFF, &settings.winsockVersion);
    read.ReadChoice("TAMBERLYN_WINDOW",
                    {{"desktop", WindowMode::Desktop}, {"window", WindowMode::Window}, {"mode", WindowMode::Mode}},
                    &settings.windowMode);
    read.ReadChoice("TAMBERLYN_SCALE",
                    {{"fit", Scaling::Fit}, {"integer", Scaling::Integer}, {"stretch", Scaling::Stretch}},
                    &settings.scaling);
    read.ReadChoice("TAMBERLYN_VSYNC", {{"1", true}, {"0", false}}, &settings.vsync);
    read.ReadNumber("TAMBERLYN_FRAME_CAP", 0, 1000, &settings.frameCap);
    read.ReadNumber("TAMBERLYN_DISPLAY", 0, 63, &settings.displayIndex);
    read.ReadChoice(
        "TAMBERLYN_PRESENT",
        {{"auto", PresentPath::Auto}, {"surface", PresentPath::Surface}, {"renderer", PresentPath::Renderer}},
        &settings.presentPath);
    return settings;
}

Settings SettingsFromEnvironment(std::vector<std::string>* unusable,
                                 const std::map<std::string, std::string>& overrides) {
    return ReadSettings(
        [&](const char* name) {
            if (const auto found = overrides.find(name); found != overrides.end()) {
                return found->second;
            }
            const char* value = std::getenv(name);
            return std::string(value ? value : "");
        },
        unusable);
}

bool ParseNumber(const std::string& text, long long* value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const unsigned long long magnitude = std::strtoull(text.c_str() + (text[0] == '-' ? 1 : 0), &end, hex ? 16 : 10);
    if (*end != '\0') {
        return false;
    }
    *value = text[0] == '-' ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > start) {
            pieces.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return pieces;
}

}  // namespace plat
