// screen_classes_test.cpp -- telling flashes, pictures and stray colours apart in screenshots of the intro.
#include <gtest/gtest.h>

#include "screen_classes.h"

namespace {

// A 1024 x 768 screenshot like Xvfb's: the 640 x 480 desktop at the top left, grey beyond it.
RgbImage Screenshot(std::uint32_t flash, std::uint32_t picture) {
    RgbImage shot(1024, 768);
    const PictureArea area;
    for (int y = 0; y < shot.height; ++y) {
        for (int x = 0; x < shot.width; ++x) {
            const bool onDesktop = x < 640 && y < 480;
            const bool inPicture = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
            shot.SetPixel(x, y, !onDesktop ? 0x808080 : inPicture ? picture : flash);
        }
    }
    return shot;
}

TEST(ScreenClasses, FlashAroundAPicture) {
    const ScreenContent content = ClassifyScreen(Screenshot(0xFFFFFF, 0x2030C0));
    EXPECT_EQ(content.border, Border::White);
    EXPECT_EQ(content.pictureColourPixels, 598 * 448) << "expected the whole picture area in colour";
    EXPECT_FALSE(content.onlyBlackAndWhite);
    EXPECT_STREQ(BorderName(content.border), "white");
}

TEST(ScreenClasses, PicturesCompareByContentWhateverTheFlash) {
    const ScreenContent black = ClassifyScreen(Screenshot(0x000000, 0x2030C0));
    const ScreenContent white = ClassifyScreen(Screenshot(0xFFFFFF, 0x2030C0));
    const ScreenContent other = ClassifyScreen(Screenshot(0xFFFFFF, 0x2030C1));
    EXPECT_EQ(black.border, Border::Black);
    EXPECT_EQ(black.pictureHash, white.pictureHash) << "expected the same picture under either flash";
    EXPECT_NE(white.pictureHash, other.pictureHash) << "expected a one-step colour change to tell pictures apart";
}

TEST(ScreenClasses, FlashOnlyScreens) {
    const ScreenContent allBlack = ClassifyScreen(Screenshot(0x000000, 0x000000));
    EXPECT_EQ(allBlack.border, Border::Black);
    EXPECT_TRUE(allBlack.onlyBlackAndWhite) << "expected the grey beyond the desktop to be ignored";
    EXPECT_EQ(allBlack.pictureColourPixels, 0);

    RgbImage stray = Screenshot(0xFFFFFF, 0xFFFFFF);
    stray.SetPixel(639, 479, 0xFFFFFE);
    const ScreenContent strayContent = ClassifyScreen(stray);
    EXPECT_EQ(strayContent.border, Border::Mixed) << "expected one off-white corner pixel to break the border";
    EXPECT_FALSE(strayContent.onlyBlackAndWhite) << "expected one off-white pixel to count as colour";
}

TEST(ScreenClasses, ScreenshotSmallerThanTheDesktopHasNoBorder) {
    const ScreenContent content = ClassifyScreen(RgbImage(320, 240));
    EXPECT_EQ(content.border, Border::Mixed);
}

}  // namespace
