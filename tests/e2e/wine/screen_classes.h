// screen_classes.h -- what a screenshot of the intro shows: the flash colour around the picture, and the picture.
#pragma once

#include <cstdint>

#include "rgb_image.h"

// The intro draws its picture inside this rectangle (the program's clipping rectangle); the flash shows around it.
struct PictureArea {
    int left = 21;
    int top = 16;
    int right = 619;
    int bottom = 464;
};

enum class Border { Black, White, Mixed };

struct ScreenContent {
    Border border = Border::Mixed;
    long long pictureColourPixels = 0;  // pixels inside the picture area that are neither black nor white
    bool onlyBlackAndWhite = true;      // over the whole screenshot
    std::uint64_t pictureHash = 0;      // of the picture area: equal for equal pictures
};

// Reads the top-left 640 x 480 of a screenshot (the virtual desktop's place on the X screen).
ScreenContent ClassifyScreen(const RgbImage& shot, const PictureArea& area = PictureArea{});

const char* BorderName(Border border);
