// bitmap.h -- an image in its own offscreen surface, drawn scaled and clipped onto the back buffer.
#pragma once

#include <windows.h>
#include <ddraw.h>

class DrawDevice;

class Bitmap {
public:
    Bitmap();
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    bool Load(const char* name, DrawDevice* device);
    bool LoadFile(const char* name);
    HRESULT Restore();
    void Draw(int x, int y, int w, int h, const RECT& clipRect);

    DrawDevice* drawDevice;
    IDirectDrawSurface* surface;
    char fileName[50];
    bool useSourceColorKey;
    int width;
    int height;
    DDBLTFX bltFx;
    DWORD reserved;
};
