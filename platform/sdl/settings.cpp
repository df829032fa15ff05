// settings.cpp -- reads the platform layer's TAMBERLYN_* environment variables.
#include "settings.h"

#include <cstdio>
#include <cstdlib>

namespace plat {
namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

void Warn(const char* name, const std::string& value) {
    std::fprintf(stderr, "tamberlyn: ignoring %s=%s\n", name, value.c_str());
}

Settings ReadEnvironment() {
    Settings settings;
    settings.tracePath = Variable("TAMBERLYN_TRACE");
    settings.failpoints = Variable("TAMBERLYN_FAIL");
    settings.script = Variable("TAMBERLYN_SCRIPT");
    for (const std::string& piece : Split(Variable("TAMBERLYN_CAPTURE"), ',')) {
        long long frame = 0;
        if (ParseNumber(piece, &frame) && frame > 0) {
            settings.captureFrames.push_back(static_cast<int>(frame));
        } else {
            Warn("TAMBERLYN_CAPTURE", piece);
        }
    }
    if (std::string dir = Variable("TAMBERLYN_CAPTURE_DIR"); !dir.empty()) {
        settings.captureDir = dir;
    }
    settings.unpaced = Variable("TAMBERLYN_UNPACED") == "1";
    if (std::string bpp = Variable("TAMBERLYN_DESKTOP_BPP"); !bpp.empty()) {
        long long value = 0;
        if (ParseNumber(bpp, &value) && (value == 8 || value == 16 || value == 24 || value == 32)) {
            settings.desktopBitsPerPixel = static_cast<int>(value);
        } else {
            Warn("TAMBERLYN_DESKTOP_BPP", bpp);
        }
    }
    if (std::string version = Variable("TAMBERLYN_WINSOCK_VERSION"); !version.empty()) {
        long long value = 0;
        if (ParseNumber(version, &value) && value >= 0 && value <= 0xFFFF) {
            settings.winsockVersion = static_cast<WORD>(value);
        } else {
            Warn("TAMBERLYN_WINSOCK_VERSION", version);
        }
    }
    return settings;
}

}  // namespace

Settings& CurrentSettings() {
    // Never destroyed: global destructors of the program still call into the platform.
    static Settings* settings = new Settings(ReadEnvironment());
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
