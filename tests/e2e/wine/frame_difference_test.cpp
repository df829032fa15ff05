// frame_difference_test.cpp -- the pixel count the frame comparison reports and bounds.
#include <gtest/gtest.h>

#include "frame_difference.h"

namespace {

RgbImage Filled(int width, int height, std::uint32_t colour) {
    RgbImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.SetPixel(x, y, colour);
        }
    }
    return image;
}

TEST(FrameDifference, EqualFramesDifferNowhere) {
    const FrameDifference difference = CompareFrames(Filled(4, 3, 0x102030), Filled(4, 3, 0x102030));
    EXPECT_EQ(difference.differingPixels, 0);
    EXPECT_EQ(difference.totalPixels, 12);
    EXPECT_EQ(difference.Fraction(), 0.0);
    EXPECT_EQ(difference.firstX, -1) << "expected no first difference";
}

TEST(FrameDifference, CountsPixelsAndReportsTheFirstAndTheLargestStep) {
    const RgbImage expected = Filled(4, 3, 0x102030);
    RgbImage actual = expected;
    actual.SetPixel(3, 1, 0x112030);  // red one step off
    actual.SetPixel(0, 2, 0x1020F0);  // blue far off
    const FrameDifference difference = CompareFrames(expected, actual);
    EXPECT_EQ(difference.differingPixels, 2);
    EXPECT_DOUBLE_EQ(difference.Fraction(), 2.0 / 12.0);
    EXPECT_EQ(difference.largestChannelStep, 0xF0 - 0x30);
    EXPECT_EQ(difference.firstX, 3) << "expected the first difference in reading order";
    EXPECT_EQ(difference.firstY, 1);
    EXPECT_EQ(difference.firstExpected, 0x102030u);
    EXPECT_EQ(difference.firstActual, 0x112030u);
}

TEST(FrameDifference, FramesOfDifferentSizesDifferEverywhere) {
    const FrameDifference difference = CompareFrames(Filled(640, 480, 0), Filled(320, 240, 0));
    EXPECT_EQ(difference.differingPixels, 640 * 480);
    EXPECT_EQ(difference.Fraction(), 1.0);
}

}  // namespace
