// frame_difference.cpp -- counting the pixels in which two pictures differ.
#include "frame_difference.h"

#include <algorithm>
#include <cstdlib>

FrameDifference CompareFrames(const RgbImage& expected, const RgbImage& actual) {
    FrameDifference difference;
    if (expected.width != actual.width || expected.height != actual.height) {
        const long long expectedPixels = static_cast<long long>(expected.width) * expected.height;
        const long long actualPixels = static_cast<long long>(actual.width) * actual.height;
        difference.totalPixels = std::max(expectedPixels, actualPixels);
        difference.differingPixels = difference.totalPixels;
        difference.largestChannelStep = 255;
        return difference;
    }
    difference.totalPixels = static_cast<long long>(expected.width) * expected.height;
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            const std::uint32_t a = expected.Pixel(x, y);
            const std::uint32_t b = actual.Pixel(x, y);
            if (a == b) {
                continue;
            }
            if (difference.differingPixels == 0) {
                difference.firstX = x;
                difference.firstY = y;
                difference.firstExpected = a;
                difference.firstActual = b;
            }
            ++difference.differingPixels;
            for (int shift = 0; shift < 24; shift += 8) {
                const int step =
                    std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
                difference.largestChannelStep = std::max(difference.largestChannelStep, step);
            }
        }
    }
    return difference;
}
