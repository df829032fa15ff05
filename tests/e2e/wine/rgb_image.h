// rgb_image.h -- an 8-bit-per-channel RGB picture, top row first, and its 24-bit BMP file form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3 bytes: red, green, blue

    RgbImage() = default;
    RgbImage(int width, int height);

    std::uint32_t Pixel(int x, int y) const;  // 0xRRGGBB
    void SetPixel(int x, int y, std::uint32_t colour);
};

// Writes a bottom-up, 24-bit, uncompressed BMP; false if the file cannot be written.
bool WriteBmp(const std::string& path, const RgbImage& image);

// Reads an uncompressed 24- or 32-bit BMP (bottom-up or top-down, the form screenshots and our dumps take); nothing
// for a missing file or any other kind of BMP.
std::optional<RgbImage> ReadBmp(const std::string& path);
