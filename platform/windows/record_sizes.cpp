// record_sizes.cpp -- the records the system hands to DirectDraw, DirectSound and GDI have the sizes 32-bit Windows
// gives them.
#include <windows.h>
#include <ddraw.h>
#include <dsound.h>

static_assert(sizeof(void*) == 4, "the Windows build is a 32-bit program");
static_assert(sizeof(DDSURFACEDESC) == 108, "DDSURFACEDESC is 108 bytes");
static_assert(sizeof(DDBLTFX) == 100, "DDBLTFX is 100 bytes");
static_assert(sizeof(BITMAP) == 24, "BITMAP is 24 bytes");
static_assert(sizeof(DSBUFFERDESC) == 36, "DSBUFFERDESC is 36 bytes");
