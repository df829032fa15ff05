// gdi_objects.cpp -- the GDI handle table and the object calls: create, select, delete, describe.
#include "gdi_objects.h"

#include "platform_state.h"
#include "relay.h"

#include <algorithm>
#include <cstring>

namespace plat::gdi {
namespace {

GdiState& TheTable() {
    return Platform().gdi;
}

Object* MakeStock(int index) {
    std::unique_ptr<Object> object;
    const char* name = nullptr;
    switch (index) {
        case WHITE_BRUSH:
        case LTGRAY_BRUSH:
        case GRAY_BRUSH:
        case DKGRAY_BRUSH:
        case BLACK_BRUSH:
        case NULL_BRUSH: {
            static const COLORREF colors[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000, 0x000000};
            static const char* names[] = {"WHITE_BRUSH",  "LTGRAY_BRUSH", "GRAY_BRUSH",
                                          "DKGRAY_BRUSH", "BLACK_BRUSH",  "NULL_BRUSH"};
            auto brush = std::make_unique<Brush>();
            brush->color = colors[index];
            brush->hollow = index == NULL_BRUSH;
            name = names[index];
            object = std::move(brush);
            break;
        }
        case WHITE_PEN:
        case BLACK_PEN:
        case NULL_PEN: {
            auto pen = std::make_unique<Pen>();
            pen->color = index == WHITE_PEN ? 0xFFFFFF : 0;
            pen->style = index == NULL_PEN ? PS_NULL : PS_SOLID;
            name = index == WHITE_PEN ? "WHITE_PEN" : index == BLACK_PEN ? "BLACK_PEN" : "NULL_PEN";
            object = std::move(pen);
            break;
        }
        case SYSTEM_FONT: {
            auto font = std::make_unique<Font>();
            font->attributes.lfHeight = 16;
            font->attributes.lfWeight = FW_BOLD;
            std::strcpy(font->attributes.lfFaceName, "System");
            name = "SYSTEM_FONT";
            object = std::move(font);
            break;
        }
        case kDefaultBitmap: {
            auto bitmap = std::make_unique<Bitmap>();
            static const Palette monochrome = {{0x000000, 0xFFFFFF}};
            bitmap->canvas = std::make_unique<Canvas>(1, 1, PixelLayout::Indexed8, &monochrome);
            bitmap->bitsPixel = 1;
            name = "DEFAULT_BITMAP";
            object = std::move(bitmap);
            break;
        }
        default:
            return nullptr;
    }
    object->stock = true;
    Object* raw = object.get();
    TheTable().objects.emplace(raw, std::move(object));
    relay::NameAs(raw, name);
    return raw;
}

int KindIndex(Kind kind) {
    return static_cast<int>(kind);
}

void Free(Object* object) {
    GdiState& table = TheTable();
    --table.live[KindIndex(object->kind)];
    table.objects.erase(object);
}

void Deselect(Object* object) {
    if (object && --object->selections == 0 && object->deletePending) {
        Free(object);
    }
}

template <class T>
T* Swap(T*& slot, T* object) {
    T* previous = slot;
    slot = object;
    ++object->selections;
    if (--previous->selections == 0 && previous->deletePending) {
        Free(previous);  // deleted while selected; the caller still gets its handle back
    }
    return previous;
}

}  // namespace

HGDIOBJ Add(std::unique_ptr<Object> object, const char* traceKind) {
    GdiState& table = TheTable();
    Object* raw = object.get();
    ++table.live[KindIndex(raw->kind)];
    table.objects.emplace(raw, std::move(object));
    relay::Name(raw, traceKind);
    return raw;
}

Object* Find(HGDIOBJ handle) {
    if (!handle) {
        return nullptr;
    }
    const GdiState& table = TheTable();
    auto found = table.objects.find(handle);
    return found == table.objects.end() ? nullptr : found->second.get();
}

HGDIOBJ Handle(const Object* object) {
    return const_cast<Object*>(object);
}

HGDIOBJ Stock(int index) {
    auto& made = TheTable().stock;
    auto found = made.find(index);
    if (found != made.end()) {
        return found->second;
    }
    Object* object = MakeStock(index);
    if (object) {
        made.emplace(index, object);
    }
    return object;
}

DC* NewDC(Canvas* target, int bitsPixel, bool memory) {
    auto dc = std::make_unique<DC>();
    DC* raw = dc.get();
    raw->target = target;
    raw->bitsPixel = bitsPixel;
    raw->memory = memory;
    raw->brush = static_cast<Brush*>(Find(Stock(WHITE_BRUSH)));
    raw->pen = static_cast<Pen*>(Find(Stock(BLACK_PEN)));
    raw->font = static_cast<Font*>(Find(Stock(SYSTEM_FONT)));
    ++raw->brush->selections;
    ++raw->pen->selections;
    ++raw->font->selections;
    if (memory) {
        raw->bitmap = static_cast<Bitmap*>(Find(Stock(kDefaultBitmap)));
        ++raw->bitmap->selections;
        raw->target = raw->bitmap->canvas.get();
    }
    Add(std::move(dc), "hdc");
    return raw;
}

void FreeDC(DC* dc) {
    Deselect(dc->brush);
    Deselect(dc->pen);
    Deselect(dc->font);
    Deselect(dc->bitmap);
    Free(dc);
}

Object* Select(DC* dc, Object* object) {
    switch (object->kind) {
        case Kind::Brush:
            return Swap(dc->brush, static_cast<Brush*>(object));
        case Kind::Pen:
            return Swap(dc->pen, static_cast<Pen*>(object));
        case Kind::Font:
            return Swap(dc->font, static_cast<Font*>(object));
        case Kind::Bitmap: {
            auto* bitmap = static_cast<Bitmap*>(object);
            // A bitmap goes into one memory context at a time.
            if (!dc->memory || (bitmap->selections > 0 && bitmap != dc->bitmap && !bitmap->stock)) {
                return nullptr;
            }
            Bitmap* previous = Swap(dc->bitmap, bitmap);
            dc->target = bitmap->canvas.get();
            return previous;
        }
        case Kind::DC:
            return nullptr;
    }
    return nullptr;
}

bool Delete(Object* object) {
    if (object->stock) {
        return true;
    }
    if (object->kind == Kind::DC) {
        FreeDC(static_cast<DC*>(object));
        return true;
    }
    if (object->selections > 0) {
        object->deletePending = true;
        return true;
    }
    Free(object);
    return true;
}

int LiveCount(Kind kind) {
    return TheTable().live[KindIndex(kind)];
}

}  // namespace plat::gdi
