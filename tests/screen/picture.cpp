// picture.cpp -- BMP reading and writing and the comparison of pictures.
#include "picture.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace screen {
namespace {

std::uint32_t Get(const std::vector<std::uint8_t>& bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | bytes[at + i];
    }
    return value;
}

void Put(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> 8 * i));
    }
}

std::size_t RowBytes(int width, int bitCount) {
    return (std::size_t(width) * bitCount + 31) / 32 * 4;
}

}  // namespace

std::optional<Picture> DecodeBmp(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') {
        return std::nullopt;
    }
    const std::uint32_t offset = Get(bytes, 10, 4), compression = Get(bytes, 30, 4);
    const int width = std::int32_t(Get(bytes, 18, 4)), signedHeight = std::int32_t(Get(bytes, 22, 4));
    const int bitCount = int(Get(bytes, 28, 2)), height = std::abs(signedHeight);
    // BI_RGB, or BI_BITFIELDS with BI_RGB's own 8-8-8 masks (as image tools may write 32 bits).
    const bool plainMasks = compression == 3 && bitCount == 32 && bytes.size() >= 66 && Get(bytes, 54, 4) == 0xFF0000 &&
                            Get(bytes, 58, 4) == 0xFF00 && Get(bytes, 62, 4) == 0xFF;
    if (width <= 0 || height == 0 || (bitCount != 24 && bitCount != 32) || (compression != 0 && !plainMasks) ||
        offset + RowBytes(width, bitCount) * height > bytes.size()) {
        return std::nullopt;
    }
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        const std::size_t row = offset + RowBytes(width, bitCount) * std::size_t(signedHeight > 0 ? height - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            picture.Set(x, y, Get(bytes, row + std::size_t(x) * (bitCount / 8), 3));
        }
    }
    return picture;
}

std::optional<Picture> ReadBmp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return DecodeBmp({std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()});
}

bool WriteBmp(const std::string& path, const Picture& picture) {
    const std::uint32_t pixelBytes = std::uint32_t(RowBytes(picture.width, 24) * picture.height);
    std::vector<std::uint8_t> bytes = {'B', 'M'};
    for (const std::uint32_t field : {54 + pixelBytes, 0u, 54u, 40u}) {  // file size, reserved, pixels' offset, header
        Put(bytes, field, 4);
    }
    Put(bytes, std::uint32_t(picture.width), 4);
    Put(bytes, std::uint32_t(picture.height), 4);  // positive: bottom-up
    Put(bytes, 1, 2);                              // planes
    Put(bytes, 24, 2);
    for (const std::uint32_t field : {0u, pixelBytes, 2835u, 2835u, 0u, 0u}) {  // BI_RGB, size, 72 dpi, colours
        Put(bytes, field, 4);
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        const std::size_t start = bytes.size();
        for (int x = 0; x < picture.width; ++x) {
            Put(bytes, picture.At(x, y), 3);
        }
        bytes.resize(start + RowBytes(picture.width, 24), 0);
    }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

Difference Compare(const Picture& expected, const Picture& actual) {
    Difference difference;
    difference.total =
        std::max<long long>(std::size_t(expected.width) * expected.height, std::size_t(actual.width) * actual.height);
    if (expected.width != actual.width || expected.height != actual.height) {
        difference.differing = difference.total;
        return difference;
    }
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            if (expected.At(x, y) != actual.At(x, y) && difference.differing++ == 0) {
                difference.x = x;
                difference.y = y;
                difference.expected = expected.At(x, y);
                difference.actual = actual.At(x, y);
            }
        }
    }
    return difference;
}

}  // namespace screen
