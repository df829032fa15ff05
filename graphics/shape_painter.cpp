// shape_painter.cpp -- one rectangle per call through the back buffer's device context.
#include "graphics/shape_painter.h"

#include "engine/draw_device.h"

void ShapePainter::Bind(DrawDevice* device) {
    drawDevice = device;
}

void ShapePainter::FillRect(int left, int top, int right, int bottom, COLORREF fillColor, COLORREF penColor) {
    IDirectDrawSurface* backBuffer = drawDevice->backBuffer;
    HDC dc = nullptr;
    if (backBuffer->GetDC(&dc) != DD_OK) {
        return;
    }
    HBRUSH brush = CreateSolidBrush(fillColor);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HPEN pen = CreatePen(PS_SOLID, 2, penColor);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Rectangle(dc, left, top, right, bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    DeleteObject(pen);
    backBuffer->ReleaseDC(dc);
}
