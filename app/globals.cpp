// globals.cpp -- the global objects, defined together so that their order of construction is fixed.
#include "app/globals.h"

#include "net/net_guard.h"

// Constructed in this order before WinMain and destroyed in reverse after it: the image's surface is released
// while the engine still holds the DirectDraw object, and Windows Sockets is started around both.
static NetGuard g_firstNetGuard;
Engine g_engine;
Bitmap g_introBitmap;
static NetGuard g_secondNetGuard;
