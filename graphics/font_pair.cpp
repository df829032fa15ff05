// font_pair.cpp -- creates the two fonts; they live until the process ends.
#include "graphics/font_pair.h"

namespace {

HFONT CreateArial13(DWORD underline) {
    return CreateFontA(13, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, VARIABLE_PITCH | FF_DONTCARE, "Arial");
}

}  // namespace

void FontPair::Create(DrawDevice* device) {
    drawDevice = device;
    plainFont = CreateArial13(FALSE);
    underlinedFont = CreateArial13(TRUE);
    flag = 1;
    value = 255;
}
