// intro.cpp -- one frame of the intro scene.
#include "app/intro.h"

#include "app/globals.h"

float g_zoom = 10.0f;
BYTE g_zoomShrinking = 1;
bool g_flashToggle = true;
RECT g_clipRect = {0, 0, 0, 0};

void IntroFrame(UINT_PTR /*userValue*/) {
    const int w = static_cast<int>(g_zoom * 640.0);
    const int h = static_cast<int>(g_zoom * 480.0);

    g_flashToggle = !g_flashToggle;
    const COLORREF colour = g_flashToggle ? RGB(255, 255, 255) : RGB(0, 0, 0);
    g_engine.painter.FillRect(0, 0, 640, 480, colour, colour);

    g_introBitmap.Draw(320 - (w >> 1), 240 - (h >> 1), w, h, g_clipRect);

    if (g_zoomShrinking == 1) {
        g_zoom = g_zoom - 0.5f;
        if (g_zoom > 1.0f) {
            return;
        }
        g_zoom = 1.0f;
        g_zoomShrinking = 0;
    } else {
        g_zoom = g_zoom + 0.5f;
        if (g_zoom < 10.0f) {
            return;
        }
        g_zoom = 10.0f;
        g_zoomShrinking = 1;
    }
}
