// frame_difference.h -- how far two renderings of a frame differ, pixel by pixel.
#pragma once

#include <cstdint>

#include "rgb_image.h"

struct FrameDifference {
    long long differingPixels = 0;
    long long totalPixels = 0;
    int largestChannelStep = 0;  // the largest difference of one channel, 0..255
    // The first differing pixel in reading order, with both values (0xRRGGBB), for reports.
    int firstX = -1;
    int firstY = -1;
    std::uint32_t firstExpected = 0;
    std::uint32_t firstActual = 0;

    double Fraction() const { return totalPixels == 0 ? 0.0 : static_cast<double>(differingPixels) / totalPixels; }
};

// Pictures of different sizes differ in every pixel of the larger one.
FrameDifference CompareFrames(const RgbImage& expected, const RgbImage& actual);
