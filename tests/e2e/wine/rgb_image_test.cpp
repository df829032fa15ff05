// rgb_image_test.cpp -- BMP files written by frame_dump and by screenshot tools read back as the same pixels.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "rgb_image.h"

namespace {

std::string TempPath(const std::string& name) {
    return ::testing::TempDir() + "rgb_image_test_" + name;
}

// An odd width, so every row carries padding.
RgbImage Gradient() {
    RgbImage image(5, 3);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            image.SetPixel(x, y, static_cast<std::uint32_t>(x * 0x330000 + y * 0x004400 + 0x11));
        }
    }
    return image;
}

// A 32-bit file as image tools write it: 2 x 2, top-down, BI_BITFIELDS with the 8-8-8 masks.
std::vector<std::uint8_t> TopDownBitFieldsFile() {
    std::vector<std::uint8_t> bytes(66 + 16, 0);
    auto put = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(10, 66);
    put(14, 40);
    put(18, 2);
    put(22, static_cast<std::uint32_t>(-2));
    bytes[26] = 1;
    bytes[28] = 32;
    put(30, 3);
    put(54, 0xFF0000);
    put(58, 0x00FF00);
    put(62, 0x0000FF);
    put(66, 0x112233);  // top row
    put(70, 0x445566);
    put(74, 0x778899);  // bottom row
    put(78, 0xAABBCC);
    return bytes;
}

TEST(RgbImageFile, WrittenImageReadsBackPixelForPixel) {
    const RgbImage written = Gradient();
    const std::string path = TempPath("gradient.bmp");
    ASSERT_TRUE(WriteBmp(path, written)) << "expected " << path << " to be written";
    const std::optional<RgbImage> read = ReadBmp(path);
    ASSERT_TRUE(read.has_value()) << "expected the written file to read back";
    EXPECT_EQ(read->width, 5);
    EXPECT_EQ(read->height, 3);
    EXPECT_EQ(read->rgb, written.rgb) << "expected the same pixels, top row first";
    std::remove(path.c_str());
}

TEST(RgbImageFile, WrittenFileIsBottomUp24BitWithPaddedRows) {
    const std::string path = TempPath("layout.bmp");
    ASSERT_TRUE(WriteBmp(path, Gradient()));
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_EQ(bytes.size(), 54u + 16u * 3u) << "expected 54 header bytes and three 16-byte rows";
    EXPECT_EQ(bytes[28], 24) << "expected 24 bits per pixel";
    // The first stored row is the bottom one: pixel (0, 2) = 0x008811, stored blue, green, red.
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[54]), 0x11);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[55]), 0x88);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[56]), 0x00);
    std::remove(path.c_str());
}

TEST(RgbImageFile, ReadsTopDown32BitBitFields) {
    const std::string path = TempPath("topdown.bmp");
    const std::vector<std::uint8_t> bytes = TopDownBitFieldsFile();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::optional<RgbImage> read = ReadBmp(path);
    ASSERT_TRUE(read.has_value()) << "expected a top-down 32-bit file to be read";
    EXPECT_EQ(read->Pixel(0, 0), 0x112233u);
    EXPECT_EQ(read->Pixel(1, 0), 0x445566u);
    EXPECT_EQ(read->Pixel(0, 1), 0x778899u);
    EXPECT_EQ(read->Pixel(1, 1), 0xAABBCCu);
    std::remove(path.c_str());
}

TEST(RgbImageFile, RefusesWhatItCannotRead) {
    EXPECT_FALSE(ReadBmp(TempPath("missing.bmp")).has_value()) << "expected nothing for a missing file";

    const std::string truncated = TempPath("truncated.bmp");
    ASSERT_TRUE(WriteBmp(truncated, Gradient()));
    std::vector<std::uint8_t> bytes = TopDownBitFieldsFile();
    bytes.resize(70);
    std::ofstream(truncated, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    EXPECT_FALSE(ReadBmp(truncated).has_value()) << "expected nothing for pixels past the end of the file";

    bytes = TopDownBitFieldsFile();
    bytes[58] = 0xE0;  // green mask 0xFFE0
    std::ofstream(truncated, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    EXPECT_FALSE(ReadBmp(truncated).has_value()) << "expected nothing for bit fields other than 8-8-8";
    std::remove(truncated.c_str());
}

}  // namespace
