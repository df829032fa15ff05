// screen_shot.h -- screenshots of the X screen, and what they show of the intro: flash colour and image size.
#pragma once

#include "x_session.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Rgb {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;  // red, green, blue; top row first

    std::uint32_t At(int x, int y) const {
        const std::uint8_t* p = &bytes[(static_cast<std::size_t>(y) * width + x) * 3];
        return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
    }
};

// The whole X screen, through ImageMagick's import; empty if it failed.
inline Rgb TakeScreenshot(const XServer& server) {
    const std::string ppm = server.Run(std::string(TAMBERLYN_IMPORT) + " -window root -depth 8 ppm:-");
    Rgb shot;
    int maximum = 0, consumed = 0;
    if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &shot.width, &shot.height, &maximum, &consumed) != 3 ||
        maximum != 255) {
        return {};
    }
    const std::size_t size = static_cast<std::size_t>(shot.width) * shot.height * 3, start = consumed + 1;
    if (ppm.size() < start + size) {
        return {};
    }
    shot.bytes.assign(ppm.begin() + static_cast<std::ptrdiff_t>(start),
                      ppm.begin() + static_cast<std::ptrdiff_t>(start + size));
    return shot;
}

// A BMP file's pixels (intro.bmp, the program's own screenshots); empty if SDL cannot read it.
inline Rgb ReadBmp(const fs::path& file) {
    SDL_Surface* loaded = SDL_LoadBMP(file.c_str());
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> pixels(
        loaded ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0) : nullptr, SDL_FreeSurface);
    SDL_FreeSurface(loaded);
    Rgb image;
    if (!pixels) {
        return image;
    }
    image.width = pixels->w;
    image.height = pixels->h;
    for (int y = 0; y < image.height; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(pixels->pixels) + y * pixels->pitch;
        image.bytes.insert(image.bytes.end(), row, row + image.width * 3);
    }
    return image;
}

enum class Flash { Black, White, Neither };

// What one screenshot shows of the 640 x 480 picture, which the screen holds centred and scaled as large as fits.
struct IntroView {
    Flash flash = Flash::Neither;
    double zoom = 0;   // the intro image's zoom (10 down to 1), or 0 when it is not recognised
    double match = 0;  // the share of sampled pixels that matched it
};

inline const char* Name(Flash flash) {
    return flash == Flash::Black ? "black" : flash == Flash::White ? "white" : "neither";
}

// Reads screenshots of the intro against intro.bmp.
class IntroJudge {
public:
    explicit IntroJudge(const fs::path& introFile) : image_(ReadBmp(introFile)) {}
    bool Ready() const { return image_.width == 640 && image_.height == 480; }

    IntroView Look(const Rgb& shot) const {
        IntroView view;
        if (shot.width == 0) {
            return view;
        }
        const double scale = std::min(shot.width / 640.0, shot.height / 480.0);
        const double left = (shot.width - 640 * scale) / 2, top = (shot.height - 480 * scale) / 2;
        const auto picture = [&](int x, int y) {
            return shot.At(static_cast<int>(left + (x + 0.5) * scale), static_cast<int>(top + (y + 0.5) * scale));
        };
        // The flash shows outside the clip rectangle (21, 16)-(619, 464): look at its four corners.
        const std::uint32_t corners[] = {picture(5, 5), picture(634, 5), picture(5, 474), picture(634, 474)};
        if (std::all_of(std::begin(corners), std::end(corners), [](std::uint32_t c) { return c == 0; })) {
            view.flash = Flash::Black;
        } else if (std::all_of(std::begin(corners), std::end(corners), [](std::uint32_t c) { return c == 0xFFFFFF; })) {
            view.flash = Flash::White;
        }
        // The image is drawn centred at 320, 240 and zoomed: picture pixel x shows image pixel 320 + (x - 320) / zoom.
        for (double zoom = 1; zoom <= 10; zoom += 0.5) {
            int sampled = 0, matched = 0;
            for (int y = 26; y < 454; y += 12) {
                for (int x = 31; x < 609; x += 12) {
                    const int u = static_cast<int>(320 + (x + 0.5 - 320) / zoom);
                    const int v = static_cast<int>(240 + (y + 0.5 - 240) / zoom);
                    matched += picture(x, y) == image_.At(u, v);
                    ++sampled;
                }
            }
            const double match = static_cast<double>(matched) / sampled;
            if (match > view.match) {
                view.match = match;
                view.zoom = zoom;
            }
        }
        if (view.match < kRecognised) {
            view.zoom = 0;
        }
        return view;
    }

    static constexpr double kRecognised = 0.7;

private:
    Rgb image_;
};

}  // namespace e2e
