// draw_device.cpp -- releases the display's interfaces, back buffer first, when the engine goes.
#include "engine/draw_device.h"

DrawDevice::~DrawDevice() {
    ReleaseHeld(backBuffer);
    ReleaseHeld(primary);
    ReleaseHeld(ddraw);
}
