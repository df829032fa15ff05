// capture.cpp -- frame capture and screenshots to BMP files through SDL's writer.
#include "capture.h"

#include "sdl_format.h"
#include "settings.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

namespace plat::capture {
namespace {

// Saves `canvas` as a BMP file; false if it cannot be written.
bool SaveBmp(const Canvas& canvas, const std::string& path) {
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(canvas.Bits()), canvas.Width(), canvas.Height(),
                                           canvas.BitsPerPixel(), canvas.Pitch(), SdlFormatOf(canvas.Layout()));
    if (!surface) {
        return false;
    }
    if (canvas.Layout() == PixelLayout::Indexed8) {
        SDL_Color colors[256];
        for (int i = 0; i < 256; ++i) {
            const std::uint32_t rgb = canvas.Colors().rgb[i];
            colors[i] = SDL_Color{Uint8(rgb >> 16), Uint8(rgb >> 8), Uint8(rgb), 255};
        }
        SDL_SetPaletteColors(surface->format->palette, colors, 0, 256);
    }
    const bool saved = SDL_SaveBMP(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return saved;
}

}  // namespace

void FrameShown(int frame, const Canvas& front) {
    const Settings& settings = CurrentSettings();
    const auto& frames = settings.captureFrames;
    if (std::find(frames.begin(), frames.end(), frame) == frames.end()) {
        return;
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%04d.bmp", frame);
    const std::string path = settings.captureDir + name;
    if (!SaveBmp(front, path)) {
        std::fprintf(stderr, "tamberlyn: cannot write %s: %s\n", path.c_str(), SDL_GetError());
    }
}

std::string SaveScreenshot(const Canvas& picture) {
    constexpr int kMostScreenshots = 9999;
    for (int number = 1; number <= kMostScreenshots; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "tamberlyn-%04d.bmp", number);
        std::error_code error;
        if (std::filesystem::exists(name, error)) {
            continue;
        }
        if (SaveBmp(picture, name)) {
            return name;
        }
        std::fprintf(stderr, "tamberlyn: cannot write %s: %s\n", name, SDL_GetError());
        return {};
    }
    std::fprintf(stderr, "tamberlyn: no free screenshot name (tamberlyn-0001.bmp to tamberlyn-%04d.bmp taken)\n",
                 kMostScreenshots);
    return {};
}

}  // namespace plat::capture
