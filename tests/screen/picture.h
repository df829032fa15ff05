// picture.h -- the screen tests' picture: 8-bit red, green and blue, read from and written as BMP files, and where
// two pictures differ.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace screen {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row from the top

    Picture() = default;
    Picture(int width, int height) : width(width), height(height), pixels(std::size_t(width) * height) {}
    std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    void Set(int x, int y, std::uint32_t rgb) { pixels[std::size_t(y) * width + x] = rgb; }
};

// An uncompressed 24- or 32-bit BMP, bottom-up or top-down (screenshots, captured frames, our own files); nothing
// for any other file.
std::optional<Picture> DecodeBmp(const std::vector<std::uint8_t>& bytes);
std::optional<Picture> ReadBmp(const std::string& path);
// Writes a bottom-up 24-bit BMP; false if it cannot be written.
bool WriteBmp(const std::string& path, const Picture& picture);

// How many pixels differ, and the first that does in reading order; pictures of different sizes differ everywhere.
struct Difference {
    long long differing = 0;
    long long total = 0;
    int x = -1;
    int y = -1;
    std::uint32_t expected = 0;
    std::uint32_t actual = 0;
};
Difference Compare(const Picture& expected, const Picture& actual);

}  // namespace screen
