// engine.h -- the application object: window, display, sound, keyboard, fonts, painter and the frame cycle.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <dsound.h>
#define DIRECTINPUT_VERSION 0x0700
#include <dinput.h>

#include "engine/draw_device.h"
#include "graphics/font_pair.h"
#include "graphics/shape_painter.h"

class Bitmap;

// The per-frame callback; it receives the engine's userValue.
typedef void (*FrameProc)(UINT_PTR userValue);

class Engine {
public:
    bool Init(const char* className, int width, int height, DWORD depthSelector, WNDPROC wndProc, HINSTANCE hInstance,
              HICON hIcon, HCURSOR hCursor);
    void Shutdown();
    void HideCursor();
    bool LoadBitmap(Bitmap& bitmap, const char* fileName);

    int Run(FrameProc frame);
    void Stop();
    void BeginFrame();
    void EndFrame();

    bool InitSurfaces();
    bool InitSound();
    void InitInput();

    UINT_PTR userValue = 0;
    DDBLTFX clearFx = {};
    HWND hwnd = nullptr;
    DrawDevice drawDevice;
    FontPair fonts;
    ShapePainter painter;
    bool running = false;
    DWORD active = 0;
    IDirectInput* input = nullptr;
    IDirectInputDevice* keyboard = nullptr;
    IDirectSound* sound = nullptr;
};
