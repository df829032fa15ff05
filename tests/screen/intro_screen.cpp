// intro_screen.cpp -- classifying the intro's pixels and counting what screens of it show.
#include "intro_screen.h"

#include <algorithm>

namespace screen {
namespace {

bool InClip(int x, int y) {
    return x >= kClipLeft && x < kClipRight && y >= kClipTop && y < kClipBottom;
}

}  // namespace

PixelClass Classify(int x, int y, std::uint32_t rgb) {
    if (rgb == 0x000000 || rgb == 0xFFFFFF) {
        return rgb == 0 ? PixelClass::Black : PixelClass::White;
    }
    return InClip(x, y) ? PixelClass::Picture : PixelClass::Other;
}

const char* Name(Flash flash) {
    return flash == Flash::Black ? "black" : flash == Flash::White ? "white" : "no";
}

IntroView LookAtIntro(const Picture& screen) {
    IntroView view;
    if (screen.width <= 0 || screen.height <= 0) {
        return view;
    }
    const double scale = std::min(double(screen.width) / kDisplayWidth, double(screen.height) / kDisplayHeight);
    const double left = (screen.width - kDisplayWidth * scale) / 2, top = (screen.height - kDisplayHeight * scale) / 2;
    long long black = 0, white = 0, border = 0;
    view.pictureHash = 0xCBF29CE484222325ull;  // FNV-1a over the picture's pixels
    for (int y = 0; y < kDisplayHeight; ++y) {
        for (int x = 0; x < kDisplayWidth; ++x) {
            const std::uint32_t rgb = screen.At(int(left + (x + 0.5) * scale), int(top + (y + 0.5) * scale));
            const PixelClass pixelClass = Classify(x, y, rgb);
            if (InClip(x, y)) {
                view.pictureHash = (view.pictureHash ^ rgb) * 0x100000001B3ull;
            } else {
                ++border;
                black += pixelClass == PixelClass::Black;
                white += pixelClass == PixelClass::White;
            }
            view.picturePixels += pixelClass == PixelClass::Picture;
            view.otherPixels += pixelClass == PixelClass::Other;
        }
    }
    view.flash = black == border ? Flash::Black : white == border ? Flash::White : Flash::None;
    return view;
}

std::string IntroView::Describe() const {
    return std::string(Name(flash)) + " flash, " + std::to_string(picturePixels) + " picture pixels, " +
           std::to_string(otherPixels) + " others";
}

void IntroSeries::Add(const IntroView& view) {
    black += view.flash == Flash::Black;
    white += view.flash == Flash::White;
    coloured = coloured || view.picturePixels > 0 || view.otherPixels > 0;
    if (view.picturePixels > 0) {
        pictures.insert(view.pictureHash);
    }
}

std::string IntroSeries::Describe() const {
    return std::to_string(black) + " black flashes, " + std::to_string(white) + " white flashes, " +
           std::to_string(pictures.size()) + " different pictures" + (coloured ? "" : ", nothing but black and white");
}

}  // namespace screen
