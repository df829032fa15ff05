// draw_device.h -- the display part of the engine: DirectDraw object, back buffer, primary surface.
#pragma once

#include <windows.h>
#include <ddraw.h>

// Drops the reference a COM interface pointer holds, if it holds one, and forgets the pointer.
template <typename Interface>
void ReleaseHeld(Interface*& pointer) {
    if (pointer != nullptr) {
        pointer->Release();
        pointer = nullptr;
    }
}

class DrawDevice {
public:
    DrawDevice() = default;
    ~DrawDevice();
    DrawDevice(const DrawDevice&) = delete;
    DrawDevice& operator=(const DrawDevice&) = delete;

    IDirectDraw* ddraw = nullptr;
    IDirectDrawSurface* backBuffer = nullptr;
    IDirectDrawSurface* primary = nullptr;
};
