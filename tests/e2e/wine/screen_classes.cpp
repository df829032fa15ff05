// screen_classes.cpp -- classifying a screenshot of the intro.
#include "screen_classes.h"

#include <algorithm>

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

bool Inside(const PictureArea& area, int x, int y) {
    return x >= area.left && x < area.right && y >= area.top && y < area.bottom;
}

// FNV-1a over the colour bytes.
std::uint64_t HashStep(std::uint64_t hash, std::uint32_t colour) {
    for (int shift = 16; shift >= 0; shift -= 8) {
        hash = (hash ^ ((colour >> shift) & 0xFF)) * 0x100000001B3ull;
    }
    return hash;
}

}  // namespace

ScreenContent ClassifyScreen(const RgbImage& shot, const PictureArea& area) {
    ScreenContent content;
    content.pictureHash = 0xCBF29CE484222325ull;
    bool borderAllBlack = true;
    bool borderAllWhite = true;
    const int width = std::min(shot.width, kScreenWidth);
    const int height = std::min(shot.height, kScreenHeight);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t colour = shot.Pixel(x, y);
            const bool flashColour = colour == kBlack || colour == kWhite;
            content.onlyBlackAndWhite = content.onlyBlackAndWhite && flashColour;
            if (Inside(area, x, y)) {
                content.pictureHash = HashStep(content.pictureHash, colour);
                content.pictureColourPixels += flashColour ? 0 : 1;
            } else {
                borderAllBlack = borderAllBlack && colour == kBlack;
                borderAllWhite = borderAllWhite && colour == kWhite;
            }
        }
    }
    // A screenshot smaller than the screen shows no whole border.
    if (width == kScreenWidth && height == kScreenHeight) {
        content.border = borderAllBlack ? Border::Black : borderAllWhite ? Border::White : Border::Mixed;
    }
    return content;
}

const char* BorderName(Border border) {
    switch (border) {
        case Border::Black:
            return "black";
        case Border::White:
            return "white";
        case Border::Mixed:
            break;
    }
    return "mixed";
}
