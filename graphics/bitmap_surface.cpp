// bitmap_surface.cpp -- BMP loading, surface creation and GDI copies into surfaces.
#include "graphics/bitmap_surface.h"

#include <cstring>

int g_lastBitmapWidth = 0;
int g_lastBitmapHeight = 0;

namespace {

HBITMAP LoadBitmapImage(HINSTANCE module, const char* name, UINT flags) {
    return static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, flags));
}

// Stretches the bitmap selected into memoryDc over the whole surface.
HRESULT StretchOverSurface(IDirectDrawSurface* surface, HBITMAP bitmap, HDC memoryDc, int srcX, int srcY, int srcWidth,
                           int srcHeight) {
    BITMAP bitmapInfo;
    // Without the bitmap's record its size is unknown: copy nothing.
    if (GetObjectA(bitmap, static_cast<int>(sizeof bitmapInfo), &bitmapInfo) == 0) {
        return E_FAIL;
    }
    if (srcWidth == 0) {
        srcWidth = bitmapInfo.bmWidth;
    }
    if (srcHeight == 0) {
        srcHeight = bitmapInfo.bmHeight;
    }

    DDSURFACEDESC surfaceDesc;
    std::memset(&surfaceDesc, 0, sizeof surfaceDesc);
    surfaceDesc.dwSize = static_cast<DWORD>(sizeof surfaceDesc);
    surfaceDesc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    // Without the surface's description the destination size is unknown: copy nothing.
    if (surface->GetSurfaceDesc(&surfaceDesc) != DD_OK) {
        return E_FAIL;
    }

    HDC surfaceDc = nullptr;
    const HRESULT result = surface->GetDC(&surfaceDc);
    if (result == DD_OK) {
        StretchBlt(surfaceDc, 0, 0, static_cast<int>(surfaceDesc.dwWidth), static_cast<int>(surfaceDesc.dwHeight),
                   memoryDc, srcX, srcY, srcWidth, srcHeight, SRCCOPY);
        surface->ReleaseDC(surfaceDc);
    }
    return result;
}

}  // namespace

IDirectDrawSurface* CreateSurfaceFromBitmapFile(IDirectDraw* directDraw, const char* fileName) {
    HBITMAP bitmap = LoadBitmapImage(nullptr, fileName, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (bitmap == nullptr) {
        return nullptr;
    }
    // Zeroed so that an unreadable record gives a 0 x 0 size, for which no surface is made.
    BITMAP bitmapInfo = {};
    GetObjectA(bitmap, static_cast<int>(sizeof bitmapInfo), &bitmapInfo);
    g_lastBitmapWidth = bitmapInfo.bmWidth;
    g_lastBitmapHeight = bitmapInfo.bmHeight;

    IDirectDrawSurface* surface = CreateOffscreenSurface(directDraw, bitmapInfo.bmWidth, bitmapInfo.bmHeight);
    if (surface != nullptr) {
        CopyBitmapToSurface(surface, bitmap, bitmapInfo.bmWidth, bitmapInfo.bmHeight);
    }
    DeleteObject(bitmap);
    return surface;
}

IDirectDrawSurface* CreateOffscreenSurface(IDirectDraw* directDraw, int width, int height) {
    DDSURFACEDESC surfaceDesc;
    std::memset(&surfaceDesc, 0, sizeof surfaceDesc);
    surfaceDesc.dwSize = static_cast<DWORD>(sizeof surfaceDesc);
    surfaceDesc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    surfaceDesc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    surfaceDesc.dwWidth = static_cast<DWORD>(width);
    surfaceDesc.dwHeight = static_cast<DWORD>(height);

    IDirectDrawSurface* surface = nullptr;
    if (directDraw->CreateSurface(&surfaceDesc, &surface, nullptr) != DD_OK) {
        return nullptr;
    }
    return surface;
}

HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int width, int height) {
    HDC memoryDc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memoryDc, bitmap);

    HDC surfaceDc = nullptr;
    const HRESULT result = surface->GetDC(&surfaceDc);
    if (result == DD_OK) {
        BitBlt(surfaceDc, 0, 0, width, height, memoryDc, 0, 0, SRCCOPY);
        surface->ReleaseDC(surfaceDc);
    }

    SelectObject(memoryDc, previous);
    DeleteDC(memoryDc);
    return result;
}

HRESULT ReloadBitmapIntoSurface(IDirectDrawSurface* surface, const char* name) {
    HBITMAP bitmap = LoadBitmapImage(GetModuleHandleA(nullptr), name, LR_CREATEDIBSECTION);
    if (bitmap == nullptr) {
        bitmap = LoadBitmapImage(nullptr, name, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    }
    if (bitmap == nullptr) {
        OutputDebugStringA("handle is null\n");
        return E_FAIL;
    }

    const HRESULT result = StretchBitmapIntoSurface(surface, bitmap, 0, 0, 0, 0);
    if (result != DD_OK) {
        OutputDebugStringA("ddcopybitmap failed\n");
    }
    DeleteObject(bitmap);
    return result;
}

HRESULT StretchBitmapIntoSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int srcX, int srcY, int srcWidth,
                                 int srcHeight) {
    if (bitmap == nullptr || surface == nullptr) {
        return E_FAIL;
    }
    surface->Restore();

    HDC memoryDc = CreateCompatibleDC(nullptr);
    if (memoryDc == nullptr) {
        OutputDebugStringA("createcompatible dc failed\n");
    }
    SelectObject(memoryDc, bitmap);

    const HRESULT result = StretchOverSurface(surface, bitmap, memoryDc, srcX, srcY, srcWidth, srcHeight);
    DeleteDC(memoryDc);
    // Without a memory context nothing was copied, whatever GetDC said.
    return memoryDc == nullptr && result == DD_OK ? E_FAIL : result;
}
