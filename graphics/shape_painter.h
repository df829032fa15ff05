// shape_painter.h -- paints filled, outlined rectangles on the back buffer through GDI.
#pragma once

#include <windows.h>

class DrawDevice;

class ShapePainter {
public:
    void Bind(DrawDevice* device);
    void FillRect(int left, int top, int right, int bottom, COLORREF fillColor, COLORREF penColor);

    DrawDevice* drawDevice = nullptr;
};
