// surface_readback.cpp -- locking a surface and converting its pixels through the surface's masks.
#include "surface_readback.h"

#include <cstdint>
#include <cstring>

namespace {

// One colour channel of a packed pixel: where it sits and how wide it is.
struct Channel {
    int shift = 0;
    int bits = 0;

    explicit Channel(DWORD mask) {
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            ++shift;
        }
        while ((mask & 1) != 0) {
            mask >>= 1;
            ++bits;
        }
    }

    std::uint32_t Extract(std::uint32_t pixel) const {
        if (bits == 0) {
            return 0;
        }
        const std::uint32_t value = (pixel >> shift) & ((1u << bits) - 1);
        if (bits >= 8) {
            return value >> (bits - 8);
        }
        // Repeating the bits maps the channel's full range onto 0..255.
        std::uint32_t widened = 0;
        for (int filled = 0; filled < 8; filled += bits) {
            widened = (widened << bits) | value;
        }
        return widened >> (((8 + bits - 1) / bits) * bits - 8);
    }
};

}  // namespace

std::optional<RgbImage> ReadSurface(IDirectDrawSurface* surface) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = static_cast<DWORD>(sizeof desc);
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) {
        return std::nullopt;
    }
    const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
    const int bytesPerPixel = static_cast<int>(format.dwRGBBitCount / 8);
    if ((format.dwFlags & DDPF_RGB) == 0 || bytesPerPixel < 2 || bytesPerPixel > 4) {
        surface->Unlock(desc.lpSurface);
        return std::nullopt;
    }
    const Channel red(format.dwRBitMask);
    const Channel green(format.dwGBitMask);
    const Channel blue(format.dwBBitMask);

    RgbImage image(static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight));
    const auto* rows = static_cast<const std::uint8_t*>(desc.lpSurface);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* pixelBytes = rows + static_cast<std::ptrdiff_t>(y) * desc.lPitch;
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t pixel = 0;
            for (int i = bytesPerPixel - 1; i >= 0; --i) {
                pixel = (pixel << 8) | pixelBytes[i];
            }
            image.SetPixel(x, y, red.Extract(pixel) << 16 | green.Extract(pixel) << 8 | blue.Extract(pixel));
            pixelBytes += bytesPerPixel;
        }
    }
    surface->Unlock(desc.lpSurface);
    return image;
}
