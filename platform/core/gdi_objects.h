// gdi_objects.h -- the GDI handle table: brushes, pens, fonts, bitmaps and device contexts.
#pragma once

#include "canvas.h"

#include <windows.h>

#include <memory>
#include <set>
#include <unordered_map>

namespace plat::gdi {

enum class Kind { Brush, Pen, Font, Bitmap, DC };

// The 1 x 1 monochrome bitmap every new memory context holds, as a stock index of its own.
constexpr int kDefaultBitmap = 21;

struct Object {
    explicit Object(Kind kind) : kind(kind) {}
    virtual ~Object() = default;
    const Kind kind;
    bool stock = false;
    int selections = 0;          // device contexts it is selected into
    bool deletePending = false;  // DeleteObject while selected: freed when deselected
};

struct Brush : Object {
    Brush() : Object(Kind::Brush) {}
    COLORREF color = 0;
    bool hollow = false;
};

struct Pen : Object {
    Pen() : Object(Kind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
};

struct Font : Object {
    Font() : Object(Kind::Font) {}
    LOGFONTA attributes{};
};

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    std::unique_ptr<Canvas> canvas;
    int bitsPixel = 0;  // as GetObjectA reports it
    bool dibSection = false;
};

struct DC : Object {
    DC() : Object(Kind::DC) {}
    Canvas* target = nullptr;  // the pixels drawn into; null for the screen when nothing can be drawn
    int bitsPixel = 0;         // what GetDeviceCaps(BITSPIXEL) reports
    bool memory = false;       // made by CreateCompatibleDC: holds a selected bitmap
    Brush* brush = nullptr;
    Pen* pen = nullptr;
    Font* font = nullptr;
    Bitmap* bitmap = nullptr;
};

struct GdiState {
    std::unordered_map<const void*, std::unique_ptr<Object>> objects;
    int live[5] = {};                        // by Kind, stock objects not counted
    std::unordered_map<int, Object*> stock;  // made on first use
    std::set<const DC*> windowDCs;           // lent by GetDC, taken back by ReleaseDC
};

// Puts a new object in the table and returns its handle.
HGDIOBJ Add(std::unique_ptr<Object> object, const char* traceKind);
// The live object behind a handle, or null.
Object* Find(HGDIOBJ handle);
template <class T>
T* FindAs(HGDIOBJ handle, Kind kind) {
    Object* object = Find(handle);
    return object && object->kind == kind ? static_cast<T*>(object) : nullptr;
}
inline DC* FindDC(HDC handle) {
    return FindAs<DC>(handle, Kind::DC);
}

HGDIOBJ Handle(const Object* object);
HGDIOBJ Stock(int index);

// A device context with the default selections (white brush, black pen, system font).
DC* NewDC(Canvas* target, int bitsPixel, bool memory);
// Deselects everything (freeing objects whose deletion was pending) and frees the context.
void FreeDC(DC* dc);
// Selects `object` into `dc` and returns the object it displaces, or null if it cannot be selected.
Object* Select(DC* dc, Object* object);
// Frees `object` unless it is stock; if selected somewhere, frees it when deselected.
bool Delete(Object* object);

// Live objects by kind, stock objects not counted.
int LiveCount(Kind kind);

}  // namespace plat::gdi
