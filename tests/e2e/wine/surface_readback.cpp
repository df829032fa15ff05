// surface_readback.cpp -- locking a surface and converting its pixels through the surface's masks.
#include "surface_readback.h"

#include <cstdint>
#include <cstring>

namespace {

// One colour channel of a packed pixel, widened or narrowed to 8 bits.
std::uint32_t Channel(std::uint32_t pixel, DWORD mask) {
    if (mask == 0) {
        return 0;
    }
    int shift = 0, bits = 0;
    for (; (mask >> shift & 1) == 0; ++shift) {
    }
    for (; shift + bits < 32 && (mask >> (shift + bits) & 1) != 0; ++bits) {
    }
    const std::uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) {
        return value >> (bits - 8);
    }
    std::uint32_t widened = 0;  // the bits repeated map the channel's range onto 0..255
    for (int filled = 0; filled < 8; filled += bits) {
        widened = widened << bits | value;
    }
    return widened >> ((8 + bits - 1) / bits * bits - 8);
}

}  // namespace

std::optional<screen::Picture> ReadSurface(IDirectDrawSurface* surface) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) {
        return std::nullopt;
    }
    const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
    const int bytes = int(format.dwRGBBitCount / 8);
    std::optional<screen::Picture> picture;
    if ((format.dwFlags & DDPF_RGB) != 0 && bytes >= 2 && bytes <= 4) {
        picture.emplace(int(desc.dwWidth), int(desc.dwHeight));
        for (int y = 0; y < picture->height; ++y) {
            const auto* row = static_cast<const std::uint8_t*>(desc.lpSurface) + std::ptrdiff_t(y) * desc.lPitch;
            for (int x = 0; x < picture->width; ++x) {
                std::uint32_t pixel = 0;
                std::memcpy(&pixel, row + x * bytes, std::size_t(bytes));  // little-endian, as x86 is
                picture->Set(x, y, Channel(pixel, format.dwRBitMask) << 16 | Channel(pixel, format.dwGBitMask) << 8 |
                                       Channel(pixel, format.dwBBitMask));
            }
        }
    }
    surface->Unlock(desc.lpSurface);
    return picture;
}
