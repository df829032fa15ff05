// capture.cpp -- frame capture and screenshots: the picture encoded as a BMP file, kept by the host.
#include "capture.h"

#include "bmp_encoder.h"
#include "display.h"
#include "log.h"
#include "platform_state.h"
#include "settings.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

namespace plat::capture {

void FrameShown(int frame, const Canvas& front) {
    const Settings& settings = CurrentSettings();
    const auto& frames = settings.captureFrames;
    if (std::find(frames.begin(), frames.end(), frame) == frames.end()) {
        return;
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%04d.bmp", frame);
    const std::string path = settings.captureDir + name;
    if (const std::string why = TheHost().SavePicture(path, EncodeBmp(front)); !why.empty()) {
        Warn("cannot write %s: %s", path.c_str(), why.c_str());
    }
}

std::string SaveScreenshot() {
    const Canvas* picture = display::ShownPicture();
    if (!picture) {
        Warn("no screenshot: %s", display::FramesShown() == 0 ? "no frame has been shown yet"
                                                              : "the program shows no picture while in the background");
        return {};
    }
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    constexpr int kMostScreenshots = 9999;
    for (int number = 1; number <= kMostScreenshots; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "tamberlyn-%04d.bmp", number);
        const std::string path = (folder / name).string();
        if (std::filesystem::exists(path, error)) {
            continue;
        }
        if (const std::string why = TheHost().SavePicture(path, EncodeBmp(*picture)); !why.empty()) {
            Warn("cannot save a screenshot as %s: %s", path.c_str(), why.c_str());
            return {};
        }
        Warn("saved %s", path.c_str());
        return path;
    }
    Warn("no screenshot: tamberlyn-0001.bmp to tamberlyn-%04d.bmp are all taken in %s", kMostScreenshots,
         folder.c_str());
    return {};
}

}  // namespace plat::capture
