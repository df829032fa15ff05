// stretch_blit.cpp -- DirectDraw's stretching copy: fixed-point column stepping, repeated rows copied whole.
#include "stretch_blit.h"

#include <cstdint>
#include <cstring>

namespace plat {
namespace {

using Step = std::uint64_t;  // 16.16 fixed point; 64 bits so that i * step cannot overflow

Step StepOf(LONG from, LONG to) { return (Step(from) << 16) / Step(to); }

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
    case 3:
        return ScaleRow<3>(out, in, width, step);
    default:
        return ScaleRow<4>(out, in, width, step);
    }
}

}  // namespace

void StretchBlit(Canvas& dst, const RECT& dstRect, const Canvas& src, const RECT& srcRect) {
    const int bytes = dst.BitsPerPixel() / 8;
    const int dstWidth = dstRect.right - dstRect.left, dstHeight = dstRect.bottom - dstRect.top;
    const int srcWidth = srcRect.right - srcRect.left, srcHeight = srcRect.bottom - srcRect.top;
    const Step columnStep = StepOf(srcWidth, dstWidth);
    const Step rowStep = StepOf(srcHeight, dstHeight);
    const std::size_t rowBytes = std::size_t(dstWidth) * bytes;

    std::uint8_t* previous = nullptr;
    Step previousRow = ~Step(0);
    Step position = 0;
    for (int j = 0; j < dstHeight; ++j, position += rowStep) {
        std::uint8_t* out = dst.Bits() + std::size_t(dstRect.top + j) * dst.Pitch() + std::size_t(dstRect.left) * bytes;
        const Step row = position >> 16;
        if (row == previousRow) {
            std::memcpy(out, previous, rowBytes);
        } else {
            const std::uint8_t* in =
                src.Bits() + std::size_t(srcRect.top + row) * src.Pitch() + std::size_t(srcRect.left) * bytes;
            if (columnStep == Step(1) << 16) {
                std::memcpy(out, in, rowBytes);
            } else {
                ScaleRow(out, in, dstWidth, columnStep, bytes);
            }
        }
        previous = out;
        previousRow = row;
    }
}

}  // namespace plat
