// stretch_blit.cpp -- DirectDraw's stretching copy: fixed-point column stepping, repeated rows copied whole, 32-bit
// rows scaled by the vector row routines.
#include "stretch_blit.h"

#include "pixel_rows.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace plat {
namespace {

using Step = std::uint64_t;  // 16.16 fixed point; 64 bits so that i * step cannot overflow

Step StepOf(LONG from, LONG to) {
    return (Step(from) << 16) / Step(to);
}

// The source column of each of `width` destination columns.
ColumnMap Columns(int sourceWidth, int width, Step step) {
    std::vector<std::int32_t> columns(static_cast<std::size_t>(width));
    Step position = 0;
    for (std::int32_t& column : columns) {
        column = static_cast<std::int32_t>(position >> 16);
        position += step;
    }
    return ColumnMap(std::move(columns), sourceWidth);
}

template <int kBytes>
void ScaleRow(std::uint8_t* out, const std::uint8_t* in, int width, Step step) {
    Step position = 0;
    for (int i = 0; i < width; ++i, position += step) {
        std::memcpy(out + i * kBytes, in + (position >> 16) * kBytes, kBytes);
    }
}

void ScaleRow(std::uint8_t* out, const std::uint8_t* in, int width, Step step, int bytes) {
    switch (bytes) {
        case 1:
            return ScaleRow<1>(out, in, width, step);
        case 2:
            return ScaleRow<2>(out, in, width, step);
        default:
            return ScaleRow<3>(out, in, width, step);
    }
}

// The bits of a raw value that carry colour; pixman's conversions may set the others.
std::uint32_t ColorBits(PixelLayout layout) {
    switch (layout) {
        case PixelLayout::Indexed8:
            return 0xFF;
        case PixelLayout::Rgb555:
            return 0x7FFF;
        case PixelLayout::Rgb565:
            return 0xFFFF;
        default:
            return 0xFFFFFF;
    }
}

std::uint32_t Load(const std::uint8_t* at, int bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, at, static_cast<std::size_t>(bytes));  // little-endian, as the layouts are defined
    return value;
}

}  // namespace

void StretchBlit(Canvas& dst, const RECT& dstRect, const Canvas& src, const RECT& srcRect) {
    const int bytes = dst.BitsPerPixel() / 8;
    const int dstWidth = dstRect.right - dstRect.left, dstHeight = dstRect.bottom - dstRect.top;
    const int srcWidth = srcRect.right - srcRect.left, srcHeight = srcRect.bottom - srcRect.top;
    const Step columnStep = StepOf(srcWidth, dstWidth);
    const Step rowStep = StepOf(srcHeight, dstHeight);
    const std::size_t rowBytes = std::size_t(dstWidth) * bytes;
    const RowRoutines& routines = FastestRowRoutines();
    const bool unscaled = columnStep == Step(1) << 16;
    const ColumnMap columns = bytes == 4 && !unscaled ? Columns(srcWidth, dstWidth, columnStep) : ColumnMap();

    std::uint8_t* previous = nullptr;
    Step previousRow = ~Step(0);
    Step position = 0;
    for (int j = 0; j < dstHeight; ++j, position += rowStep) {
        std::uint8_t* out = dst.Bits() + std::size_t(dstRect.top + j) * dst.Pitch() + std::size_t(dstRect.left) * bytes;
        const Step row = position >> 16;
        if (row == previousRow) {
            routines.copy(out, previous, rowBytes);
        } else {
            const std::uint8_t* in =
                src.Bits() + std::size_t(srcRect.top + row) * src.Pitch() + std::size_t(srcRect.left) * bytes;
            if (unscaled) {
                routines.copy(out, in, rowBytes);
            } else if (bytes == 4) {
                routines.scale32(reinterpret_cast<std::uint32_t*>(out), reinterpret_cast<const std::uint32_t*>(in),
                                 columns, 0);
            } else {
                ScaleRow(out, in, dstWidth, columnStep, bytes);
            }
        }
        previous = out;
        previousRow = row;
    }
}

void StretchBlitKeyed(Canvas& dst, const RECT& dstRect, const Canvas& src, const RECT& srcRect, std::uint32_t keyLow,
                      std::uint32_t keyHigh) {
    const int bytes = dst.BitsPerPixel() / 8;
    const std::uint32_t colorBits = ColorBits(src.Layout());
    const int dstWidth = dstRect.right - dstRect.left, dstHeight = dstRect.bottom - dstRect.top;
    const Step columnStep = StepOf(srcRect.right - srcRect.left, dstWidth);
    const Step rowStep = StepOf(srcRect.bottom - srcRect.top, dstHeight);
    Step rowPosition = 0;
    for (int j = 0; j < dstHeight; ++j, rowPosition += rowStep) {
        std::uint8_t* out = dst.Bits() + std::size_t(dstRect.top + j) * dst.Pitch() + std::size_t(dstRect.left) * bytes;
        const std::uint8_t* in = src.Bits() + std::size_t(srcRect.top + (rowPosition >> 16)) * src.Pitch() +
                                 std::size_t(srcRect.left) * bytes;
        Step position = 0;
        for (int i = 0; i < dstWidth; ++i, position += columnStep) {
            const std::uint8_t* pixel = in + (position >> 16) * bytes;
            const std::uint32_t color = Load(pixel, bytes) & colorBits;
            if (color < keyLow || color > keyHigh) {
                std::memcpy(out + i * bytes, pixel, static_cast<std::size_t>(bytes));
            }
        }
    }
}

}  // namespace plat
