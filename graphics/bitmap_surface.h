// bitmap_surface.h -- moving BMP images into DirectDraw offscreen surfaces through GDI.
#pragma once

#include <windows.h>
#include <ddraw.h>

// Size of the bitmap most recently decoded by CreateSurfaceFromBitmapFile.
extern int g_lastBitmapWidth;
extern int g_lastBitmapHeight;

// A new surface of the file's size holding its image, or null. The caller owns the reference.
IDirectDrawSurface* CreateSurfaceFromBitmapFile(IDirectDraw* directDraw, const char* fileName);

// A new offscreen plain surface in the display's pixel format, or null. The caller owns the reference.
IDirectDrawSurface* CreateOffscreenSurface(IDirectDraw* directDraw, int width, int height);

// Copies width x height pixels from the bitmap's corner to the surface's; returns the surface's GetDC result.
HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int width, int height);

// Restores the surface and stretches the named bitmap (a module resource, else a file) over all of it.
HRESULT ReloadBitmapIntoSurface(IDirectDrawSurface* surface, const char* name);

// Restores the surface and stretches the source rectangle of the bitmap over all of it; a size of 0 means the
// bitmap's own.
HRESULT StretchBitmapIntoSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int srcX, int srcY, int srcWidth,
                                 int srcHeight);
