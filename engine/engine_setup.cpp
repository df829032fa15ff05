// engine_setup.cpp -- creating and releasing the engine's window and devices.
#include "engine/engine.h"

#include <cstring>

#include "graphics/bitmap.h"

namespace {

// Bits per pixel for a depth selector: 0 to 3 fixed depths, anything else the desktop's.
DWORD DepthForSelector(DWORD depthSelector) {
    switch (depthSelector) {
        case 0:
            return 8;
        case 1:
            return 16;
        case 2:
            return 24;
        case 3:
            return 32;
        default: {
            HDC screen = GetDC(nullptr);
            const int depth = GetDeviceCaps(screen, BITSPIXEL);
            ReleaseDC(nullptr, screen);
            return static_cast<DWORD>(depth);
        }
    }
}

void ShowSetupError(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_ICONERROR);
}

}  // namespace

bool Engine::Init(const char* className, int width, int height, DWORD depthSelector, WNDPROC wndProc,
                  HINSTANCE hInstance, HICON hIcon, HCURSOR hCursor) {
    WNDCLASSA windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = wndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = hInstance;
    windowClass.hIcon = hIcon;
    windowClass.hCursor = hCursor;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);

    hwnd = CreateWindowExA(0, className, className, WS_POPUPWINDOW, 0, 0, width, height, nullptr, nullptr, hInstance,
                           nullptr);
    if (hwnd == nullptr) {
        return false;
    }
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);

    const DWORD depth = DepthForSelector(depthSelector);

    if (DirectDrawCreate(nullptr, &drawDevice.ddraw, nullptr) != DD_OK) {
        ShowSetupError("Couldnt Create DirectX Object! Error: Terminating!", "Error!!!");
        Stop();
        return false;
    }
    if (drawDevice.ddraw->SetCooperativeLevel(hwnd, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE) != DD_OK) {
        ReleaseHeld(drawDevice.ddraw);
        ShowSetupError("Couldnt Set Cooperative Level, Fatal Error Aborting", "Error");
        return false;
    }
    if (drawDevice.ddraw->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height), depth) != DD_OK) {
        ShowSetupError("Error Setting Display Mode", nullptr);
        ReleaseHeld(drawDevice.ddraw);
        return false;
    }
    if (!InitSurfaces()) {
        ShowSetupError("Couldnt Set Surfaces! Fatal Error! DirectX is jacked Man", "Broken Software :(");
        return false;
    }
    InitSound();
    InitInput();
    fonts.Create(&drawDevice);
    painter.Bind(&drawDevice);
    running = true;
    return true;
}

bool Engine::InitSurfaces() {
    DDSURFACEDESC surfaceDesc;
    std::memset(&surfaceDesc, 0, sizeof surfaceDesc);
    surfaceDesc.dwSize = static_cast<DWORD>(sizeof surfaceDesc);
    surfaceDesc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    surfaceDesc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    surfaceDesc.dwBackBufferCount = 1;
    if (drawDevice.ddraw->CreateSurface(&surfaceDesc, &drawDevice.primary, nullptr) != DD_OK) {
        ReleaseHeld(drawDevice.ddraw);
        return false;
    }

    DDSCAPS backBufferCaps;
    backBufferCaps.dwCaps = DDSCAPS_BACKBUFFER;
    if (drawDevice.primary->GetAttachedSurface(&backBufferCaps, &drawDevice.backBuffer) != DD_OK) {
        ReleaseHeld(drawDevice.primary);
        ReleaseHeld(drawDevice.ddraw);
        return false;
    }
    return true;
}

bool Engine::InitSound() {
    if (DirectSoundCreate(nullptr, &sound, nullptr) != DS_OK) {
        return false;
    }
    HWND window = GetForegroundWindow();
    if (window == nullptr) {
        window = GetDesktopWindow();
    }
    if (sound->SetCooperativeLevel(window, DSSCL_PRIORITY) != DS_OK) {
        ReleaseHeld(sound);
        return false;
    }

    DSBUFFERDESC bufferDesc;
    std::memset(&bufferDesc, 0, sizeof bufferDesc);
    bufferDesc.dwSize = static_cast<DWORD>(sizeof bufferDesc);
    bufferDesc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    bufferDesc.dwBufferBytes = 0;
    bufferDesc.lpwfxFormat = nullptr;
    IDirectSoundBuffer* primaryBuffer = nullptr;
    if (sound->CreateSoundBuffer(&bufferDesc, &primaryBuffer, nullptr) != DS_OK) {
        ReleaseHeld(sound);
        return false;
    }
    // The primary buffer plays for the whole run and is deliberately never released.
    primaryBuffer->Play(0, 0, DSBPLAY_LOOPING);
    return true;
}

void Engine::InitInput() {
    DirectInputCreateA(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, &input, nullptr);
    // Without DirectInput or a keyboard device there is nothing to set up; the program runs on without it.
    if (input == nullptr) {
        return;
    }
    input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr);
    if (keyboard == nullptr) {
        return;
    }
    keyboard->SetDataFormat(&c_dfDIKeyboard);
    keyboard->SetCooperativeLevel(hwnd, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    keyboard->Acquire();
}

void Engine::Shutdown() {
    // DirectInput or the keyboard may have failed to appear at set-up: release only what exists.
    if (keyboard != nullptr) {
        keyboard->Unacquire();
        keyboard->Release();
    }
    ReleaseHeld(input);
    if (sound != nullptr) {
        sound->Release();
    }
}

void Engine::HideCursor() {
    ShowCursor(FALSE);
}

bool Engine::LoadBitmap(Bitmap& bitmap, const char* fileName) {
    return bitmap.Load(fileName, &drawDevice);
}
