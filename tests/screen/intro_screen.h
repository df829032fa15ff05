// intro_screen.h -- what a screen shows of the intro: each pixel's class (the flash's black or white, the picture,
// anything else), the flash all round the picture, and screens counted by flash and by picture.
#pragma once

#include "picture.h"

#include <set>
#include <string>

namespace screen {

// The 640 x 480 display; the picture is drawn inside the clip rectangle and the flash shows around it.
constexpr int kDisplayWidth = 640;
constexpr int kDisplayHeight = 480;
constexpr int kClipLeft = 21, kClipTop = 16, kClipRight = 619, kClipBottom = 464;
constexpr long long kClipPixels = (kClipRight - kClipLeft) * (kClipBottom - kClipTop);

enum class PixelClass { Black, White, Picture, Other };

// Black and white are the flash's wherever they are; other colours are the picture's inside the clip rectangle and
// out of place outside it.
PixelClass Classify(int x, int y, std::uint32_t rgb);

enum class Flash { Black, White, None };
const char* Name(Flash flash);

// One screen of the intro, read from the display where it lies: centred and as large as fits (a 640 x 480
// screenshot is the display itself).
struct IntroView {
    Flash flash = Flash::None;  // the colour all round the clip rectangle, if it is one
    long long picturePixels = 0;
    long long otherPixels = 0;
    std::uint64_t pictureHash = 0;  // of the clip rectangle: equal for equal pictures

    bool ShowsPicture() const { return picturePixels * 10 >= kClipPixels * 9; }
    std::string Describe() const;
};
IntroView LookAtIntro(const Picture& screen);

// Screens counted: how many showed each flash, how many different pictures they showed (the picture's size changes
// with every frame), and whether any showed a colour besides black and white.
struct IntroSeries {
    int black = 0;
    int white = 0;
    bool coloured = false;
    std::set<std::uint64_t> pictures;

    void Add(const IntroView& view);
    std::string Describe() const;
};

}  // namespace screen
