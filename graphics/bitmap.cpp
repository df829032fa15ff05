// bitmap.cpp -- loading, restoring and the scaled, clipped drawing of an image.
#include "graphics/bitmap.h"

#include <cstddef>
#include <cstring>

#include "engine/draw_device.h"
#include "graphics/bitmap_surface.h"

namespace {

// A name that does not fit the field with its terminator is refused, so nothing is written past the field.
bool CopyNameIfItFits(char* field, std::size_t capacity, const char* name) {
    std::size_t length = 0;
    while (length < capacity && name[length] != '\0') {
        ++length;
    }
    if (length == capacity) {
        return false;
    }
    std::memmove(field, name, length + 1);
    return true;
}

// Storing through a volatile drops any excess precision an x87 build would otherwise carry on.
double RoundedToDouble(double value) {
    volatile double stored = value;
    return stored;
}

float RoundedToFloat(double value) {
    volatile float stored = static_cast<float>(value);
    return stored;
}

// Source pixels covering `pixels` destination pixels at `scale`, rounded to the nearest, halves up.
int ScaledPixels(int pixels, double scale) {
    const double scaled = RoundedToDouble(pixels * scale);
    return static_cast<int>(RoundedToDouble(scaled + 0.5));
}

}  // namespace

Bitmap::Bitmap()
    : drawDevice(nullptr), surface(nullptr), fileName(), useSourceColorKey(false), width(0), height(0), reserved(0) {
    std::memset(&bltFx, 0, sizeof bltFx);
    bltFx.dwSize = static_cast<DWORD>(sizeof bltFx);
}

Bitmap::~Bitmap() {
    ReleaseHeld(surface);
}

bool Bitmap::Load(const char* name, DrawDevice* device) {
    drawDevice = device;
    if (!CopyNameIfItFits(fileName, sizeof fileName, name)) {
        return false;
    }
    return LoadFile(fileName);
}

bool Bitmap::LoadFile(const char* name) {
    if (!CopyNameIfItFits(fileName, sizeof fileName, name)) {
        return false;
    }
    if (drawDevice == nullptr) {
        return false;
    }
    IDirectDrawSurface* loaded = CreateSurfaceFromBitmapFile(drawDevice->ddraw, fileName);
    // The surface being replaced is released, not leaked.
    ReleaseHeld(surface);
    surface = loaded;
    if (surface == nullptr) {
        return false;
    }
    width = g_lastBitmapWidth;
    height = g_lastBitmapHeight;
    return true;
}

HRESULT Bitmap::Restore() {
    return ReloadBitmapIntoSurface(surface, fileName);
}

void Bitmap::Draw(int x, int y, int w, int h, const RECT& clipRect) {
    // The scale factors need a destination at least one pixel wide and high.
    if (w < 1 || h < 1) {
        return;
    }
    const DWORD flags = useSourceColorKey ? DDBLT_WAIT | DDBLT_KEYSRC : DDBLT_WAIT;
    RECT source = {0, 0, width, height};
    RECT destination = {x, y, x + w, y + h};

    // Horizontal factor in double; vertical one in double, then rounded to single precision.
    const double kx = RoundedToDouble(static_cast<double>(width) / w);
    const double ky = RoundedToFloat(RoundedToDouble(static_cast<double>(height) / h));

    if (x < clipRect.left) {
        source.left = ScaledPixels(clipRect.left - x, kx);
        destination.left = clipRect.left;
    }
    if (y < clipRect.top) {
        source.top = ScaledPixels(clipRect.top - y, ky);
        destination.top = clipRect.top;
    }
    if (x + w > clipRect.right) {
        source.right = width - ScaledPixels(x + w - clipRect.right, kx);
        destination.right = clipRect.right;
    }
    if (y + h > clipRect.bottom) {
        source.bottom = height - ScaledPixels(y + h - clipRect.bottom, ky);
        destination.bottom = clipRect.bottom;
    }

    if (destination.right < destination.left || destination.bottom < destination.top) {
        return;
    }
    if (surface == nullptr) {
        return;
    }
    // Without a binding there is no back buffer to draw on.
    if (drawDevice == nullptr || drawDevice->backBuffer == nullptr) {
        return;
    }
    if (drawDevice->backBuffer->Blt(&destination, surface, &source, flags, &bltFx) != DD_OK) {
        Restore();
    }
}
