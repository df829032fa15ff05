// settings.h -- the platform layer's settings, read once from TAMBERLYN_* environment variables.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace plat {

struct Settings {
    std::string tracePath;           // TAMBERLYN_TRACE
    std::string failpoints;          // TAMBERLYN_FAIL
    std::string script;              // TAMBERLYN_SCRIPT
    std::vector<int> captureFrames;  // TAMBERLYN_CAPTURE
    std::string captureDir = ".";    // TAMBERLYN_CAPTURE_DIR
    bool unpaced = false;            // TAMBERLYN_UNPACED
    int desktopBitsPerPixel = 32;    // TAMBERLYN_DESKTOP_BPP
    WORD winsockVersion = 0x0101;    // TAMBERLYN_WINSOCK_VERSION
};

// The settings of this run; the environment is read on first use.
Settings& CurrentSettings();

// Parses a number written in decimal or with a 0x prefix; false if `text` is not one.
bool ParseNumber(const std::string& text, long long* value);
// Splits `text` at each `separator`, dropping empty pieces.
std::vector<std::string> Split(const std::string& text, char separator);

}  // namespace plat
