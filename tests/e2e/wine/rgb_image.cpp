// rgb_image.cpp -- the RGB picture and its BMP reading and writing.
#include "rgb_image.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t GetLittleEndian(const std::vector<std::uint8_t>& bytes, std::size_t offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | bytes[offset + i];
    }
    return value;
}

// Rows are padded to whole 4-byte words.
std::size_t RowStride(int width, int bitsPerPixel) {
    return (static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32 * 4;
}

}  // namespace

RgbImage::RgbImage(int width, int height)
    : width(width), height(height), rgb(static_cast<std::size_t>(width) * height * 3, 0) {}

std::uint32_t RgbImage::Pixel(int x, int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    return static_cast<std::uint32_t>(rgb[at]) << 16 | static_cast<std::uint32_t>(rgb[at + 1]) << 8 | rgb[at + 2];
}

void RgbImage::SetPixel(int x, int y, std::uint32_t colour) {
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    rgb[at] = static_cast<std::uint8_t>(colour >> 16);
    rgb[at + 1] = static_cast<std::uint8_t>(colour >> 8);
    rgb[at + 2] = static_cast<std::uint8_t>(colour);
}

bool WriteBmp(const std::string& path, const RgbImage& image) {
    const std::size_t stride = RowStride(image.width, 24);
    const std::size_t pixelOffset = kFileHeaderSize + kInfoHeaderSize;
    std::vector<std::uint8_t> bytes(pixelOffset + stride * image.height, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLittleEndian(bytes, 2, static_cast<std::uint32_t>(bytes.size()), 4);
    PutLittleEndian(bytes, 10, static_cast<std::uint32_t>(pixelOffset), 4);
    PutLittleEndian(bytes, 14, kInfoHeaderSize, 4);
    PutLittleEndian(bytes, 18, static_cast<std::uint32_t>(image.width), 4);
    PutLittleEndian(bytes, 22, static_cast<std::uint32_t>(image.height), 4);
    PutLittleEndian(bytes, 26, 1, 2);
    PutLittleEndian(bytes, 28, 24, 2);
    PutLittleEndian(bytes, 34, static_cast<std::uint32_t>(stride * image.height), 4);
    for (int y = 0; y < image.height; ++y) {
        std::size_t at = pixelOffset + stride * (image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            PutLittleEndian(bytes, at, image.Pixel(x, y), 3);
            at += 3;
        }
    }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::optional<RgbImage> ReadBmp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
        return std::nullopt;
    }
    const std::uint32_t pixelOffset = GetLittleEndian(bytes, 10, 4);
    const int width = static_cast<std::int32_t>(GetLittleEndian(bytes, 18, 4));
    const int signedHeight = static_cast<std::int32_t>(GetLittleEndian(bytes, 22, 4));
    const int bitsPerPixel = static_cast<int>(GetLittleEndian(bytes, 28, 2));
    const std::uint32_t compression = GetLittleEndian(bytes, 30, 4);
    const int height = std::abs(signedHeight);
    // BI_RGB, or BI_BITFIELDS with the 8-8-8 masks of BI_RGB (what image tools may write for 32 bits).
    const bool rgbBitFields = compression == 3 && bitsPerPixel == 32 && bytes.size() >= 66 &&
                              GetLittleEndian(bytes, 54, 4) == 0xFF0000 && GetLittleEndian(bytes, 58, 4) == 0xFF00 &&
                              GetLittleEndian(bytes, 62, 4) == 0xFF;
    const bool plainCompression = compression == 0 || rgbBitFields;
    if (width <= 0 || height == 0 || (bitsPerPixel != 24 && bitsPerPixel != 32) || !plainCompression) {
        return std::nullopt;
    }
    const std::size_t stride = RowStride(width, bitsPerPixel);
    if (pixelOffset + stride * height > bytes.size()) {
        return std::nullopt;
    }
    RgbImage image(width, height);
    for (int y = 0; y < height; ++y) {
        const int fileRow = signedHeight > 0 ? height - 1 - y : y;
        std::size_t at = pixelOffset + stride * fileRow;
        for (int x = 0; x < width; ++x) {
            image.SetPixel(x, y, GetLittleEndian(bytes, at, 3));
            at += static_cast<std::size_t>(bitsPerPixel / 8);
        }
    }
    return image;
}
