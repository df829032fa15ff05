// surface_readback.cpp -- locking a surface and copying its pixels out.
#include "surface_readback.h"

#include <cstdint>

std::optional<screen::Picture> ReadSurface(IDirectDrawSurface* surface) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) {
        return std::nullopt;
    }
    const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
    std::optional<screen::Picture> picture;
    if (format.dwRGBBitCount == 32 && format.dwRBitMask == 0xFF0000 && format.dwGBitMask == 0xFF00 &&
        format.dwBBitMask == 0xFF) {
        picture.emplace(int(desc.dwWidth), int(desc.dwHeight));
        for (int y = 0; y < picture->height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(desc.lpSurface) +
                                                                     std::ptrdiff_t(y) * desc.lPitch);
            for (int x = 0; x < picture->width; ++x) {
                picture->Set(x, y, row[x] & 0xFFFFFF);
            }
        }
    }
    surface->Unlock(desc.lpSurface);
    return picture;
}
