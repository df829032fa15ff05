// bmp_encoder.cpp -- writes a canvas as a BMP file: BITMAPFILEHEADER, BITMAPINFOHEADER, palette, pixels.
#include "bmp_encoder.h"

namespace plat {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp(const Canvas& canvas) {
    const bool indexed = canvas.Layout() == PixelLayout::Indexed8;
    const std::uint32_t width = static_cast<std::uint32_t>(canvas.Width());
    const std::uint32_t height = static_cast<std::uint32_t>(canvas.Height());
    const std::uint32_t bitCount = indexed ? 8 : 24;
    const std::uint32_t rowBytes = (width * bitCount / 8 + 3) / 4 * 4;
    const std::uint32_t paletteBytes = indexed ? 256 * 4 : 0;
    const std::uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteBytes;

    std::vector<std::uint8_t> out;
    out.reserve(pixelOffset + std::size_t(rowBytes) * height);
    out.push_back('B');
    out.push_back('M');
    Put32(out, pixelOffset + rowBytes * height);
    Put32(out, 0);  // reserved
    Put32(out, pixelOffset);
    Put32(out, kInfoHeaderSize);
    Put32(out, width);
    Put32(out, height);  // positive: bottom-up
    Put16(out, 1);       // planes
    Put16(out, bitCount);
    Put32(out, 0);  // BI_RGB
    Put32(out, rowBytes * height);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, indexed ? 256 : 0);
    Put32(out, 0);
    if (indexed) {
        for (std::uint32_t rgb : canvas.Colors().rgb) {
            Put32(out, rgb & 0xFFFFFF);  // blue, green, red, reserved
        }
    }
    for (int y = canvas.Height() - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < canvas.Width(); ++x) {
            const std::uint32_t pixel = canvas.ReadPixel(x, y);
            if (indexed) {
                out.push_back(static_cast<std::uint8_t>(pixel));
            } else {
                const COLORREF color = canvas.PixelColor(pixel);
                out.push_back(GetBValue(color));
                out.push_back(GetGValue(color));
                out.push_back(GetRValue(color));
            }
        }
        out.resize(rowStart + rowBytes, 0);
    }
    return out;
}

}  // namespace plat
