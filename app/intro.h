// intro.h -- the intro scene: a flashing screen and the intro image zooming between 10 and 1.
#pragma once

#include <windows.h>

extern float g_zoom;
extern BYTE g_zoomShrinking;
extern bool g_flashToggle;
extern RECT g_clipRect;

// The frame callback handed to Engine::Run; its argument is ignored.
void IntroFrame(UINT_PTR userValue);
