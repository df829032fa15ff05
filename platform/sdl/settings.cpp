// settings.cpp -- reads the platform layer's TAMBERLYN_* environment variables.
#include "settings.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace plat {
namespace {

void Warn(const char* name, const std::string& value) {
    std::fprintf(stderr, "tamberlyn: ignoring %s=%s\n", name, value.c_str());
}

// Sets `*value` from a number in [low, high]; anything else is reported and leaves it.
template <typename Number>
void ReadNumber(const std::string& text, const char* name, long long low, long long high, Number* value) {
    if (text.empty()) {
        return;
    }
    long long number = 0;
    if (ParseNumber(text, &number) && number >= low && number <= high) {
        *value = static_cast<Number>(number);
    } else {
        Warn(name, text);
    }
}

// Sets `*value` from one of the named choices; anything else is reported and leaves it.
template <typename Choice>
void ReadChoice(const std::string& text, const char* name,
                std::initializer_list<std::pair<const char*, Choice>> choices, Choice* value) {
    if (text.empty()) {
        return;
    }
    for (const auto& [word, choice] : choices) {
        if (text == word) {
            *value = choice;
            return;
        }
    }
    Warn(name, text);
}

}  // namespace

Settings ReadSettings(const std::function<std::string(const char*)>& variable) {
    Settings settings;
    settings.tracePath = variable("TAMBERLYN_TRACE");
    settings.failpoints = variable("TAMBERLYN_FAIL");
    settings.script = variable("TAMBERLYN_SCRIPT");
    for (const std::string& piece : Split(variable("TAMBERLYN_CAPTURE"), ',')) {
        long long frame = 0;
        if (ParseNumber(piece, &frame) && frame > 0) {
            settings.captureFrames.push_back(static_cast<int>(frame));
        } else {
            Warn("TAMBERLYN_CAPTURE", piece);
        }
    }
    if (std::string dir = variable("TAMBERLYN_CAPTURE_DIR"); !dir.empty()) {
        settings.captureDir = dir;
    }
    settings.unpaced = variable("TAMBERLYN_UNPACED") == "1";
    if (std::string bpp = variable("TAMBERLYN_DESKTOP_BPP"); !bpp.empty()) {
        long long value = 0;
        if (ParseNumber(bpp, &value) && (value == 8 || value == 16 || value == 24 || value == 32)) {
            settings.desktopBitsPerPixel = static_cast<int>(value);
        } else {
            Warn("TAMBERLYN_DESKTOP_BPP", bpp);
        }
    }
    ReadNumber(variable("TAMBERLYN_WINSOCK_VERSION"), "TAMBERLYN_WINSOCK_VERSION", 0, 0xFFFF, &settings.winsockVersion);
    ReadChoice(variable("TAMBERLYN_WINDOW"), "TAMBERLYN_WINDOW",
               {{"desktop", WindowMode::Desktop}, {"window", WindowMode::Window}, {"mode", WindowMode::Mode}},
               &settings.windowMode);
    ReadChoice(variable("TAMBERLYN_SCALE"), "TAMBERLYN_SCALE",
               {{"fit", Scaling::Fit}, {"integer", Scaling::Integer}, {"stretch", Scaling::Stretch}},
               &settings.scaling);
    ReadChoice(variable("TAMBERLYN_VSYNC"), "TAMBERLYN_VSYNC", {{"1", true}, {"0", false}}, &settings.vsync);
    ReadNumber(variable("TAMBERLYN_FRAME_CAP"), "TAMBERLYN_FRAME_CAP", 0, 1000, &settings.frameCap);
    ReadNumber(variable("TAMBERLYN_DISPLAY"), "TAMBERLYN_DISPLAY", 0, 63, &settings.displayIndex);
    ReadChoice(variable("TAMBERLYN_PRESENT"), "TAMBERLYN_PRESENT",
               {{"auto", PresentPath::Auto}, {"surface", PresentPath::Surface}, {"renderer", PresentPath::Renderer}},
               &settings.presentPath);
    return settings;
}

Settings& CurrentSettings() {
    // Never destroyed: global destructors of the program still call into the platform.
    static Settings* settings = new Settings(ReadSettings([](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    }));
    return *settings;
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
