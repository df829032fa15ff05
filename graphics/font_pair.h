// font_pair.h -- two Arial fonts, plain and underlined, held for the length of the run.
#pragma once

#include <windows.h>

class DrawDevice;

class FontPair {
public:
    void Create(DrawDevice* device);

    DrawDevice* drawDevice = nullptr;
    HFONT plainFont = nullptr;
    HFONT underlinedFont = nullptr;
    int flag = 0;
    int value = 0;
};
