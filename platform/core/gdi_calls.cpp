// gdi_calls.cpp -- the GDI object calls: stock objects, brushes, pens, fonts, contexts, GetObjectA.
#include "display.h"
#include "gdi_objects.h"
#include "relay.h"

#include <algorithm>
#include <cstring>

using namespace plat;
using plat::gdi::Kind;

namespace {

int GetObjectImpl(HANDLE handle, int size, LPVOID buffer) {
    gdi::Object* object = gdi::Find(handle);
    if (!object) {
        return 0;
    }
    // Copies the record when the buffer can hold it; with no buffer, tells the size needed.
    auto give = [&](const auto& record) {
        const int needed = static_cast<int>(sizeof record);
        if (!buffer) {
            return needed;
        }
        if (size < needed) {
            return 0;
        }
        std::memcpy(buffer, &record, sizeof record);
        return needed;
    };
    switch (object->kind) {
        case Kind::Brush: {
            const auto* brush = static_cast<gdi::Brush*>(object);
            LOGBRUSH record{brush->hollow ? UINT(BS_NULL) : UINT(BS_SOLID), brush->color, 0};
            return give(record);
        }
        case Kind::Pen: {
            const auto* pen = static_cast<gdi::Pen*>(object);
            LOGPEN record{UINT(pen->style), POINT{pen->width, 0}, pen->color};
            return give(record);
        }
        case Kind::Font:
            return give(static_cast<gdi::Font*>(object)->attributes);
        case Kind::Bitmap: {
            const auto* bitmap = static_cast<gdi::Bitmap*>(object);
            const Canvas& canvas = *bitmap->canvas;
            BITMAP record{};
            record.bmWidth = canvas.Width();
            record.bmHeight = canvas.Height();
            // Rows of a DIB section are padded to 4 bytes, those of a device-dependent bitmap to 2.
            const int rowAlignBits = bitmap->dibSection ? 32 : 16;
            record.bmWidthBytes =
                (canvas.Width() * bitmap->bitsPixel + rowAlignBits - 1) / rowAlignBits * (rowAlignBits / 8);
            record.bmPlanes = 1;
            record.bmBitsPixel = static_cast<WORD>(bitmap->bitsPixel);
            record.bmBits = bitmap->dibSection ? const_cast<std::uint8_t*>(canvas.Bits()) : nullptr;
            return give(record);
        }
        case Kind::DC:
            return 0;
    }
    return 0;
}

}  // namespace

HGDIOBJ WINAPI GetStockObject(int i) {
    return relay::Call(
        "GetStockObject", [&] { return i == gdi::kDefaultBitmap ? nullptr : gdi::Stock(i); }, i);
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    return relay::Call(
        "CreateSolidBrush",
        [&] {
            auto brush = std::make_unique<gdi::Brush>();
            brush->color = color & 0x00FFFFFF;
            return static_cast<HBRUSH>(gdi::Add(std::move(brush), "brush"));
        },
        relay::Hex(color));
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
    return relay::Call(
        "CreatePen",
        [&]() -> HPEN {
            if (iStyle != PS_SOLID && iStyle != PS_NULL) {
                return nullptr;  // dashed and dotted pens are not drawn by this layer
            }
            auto pen = std::make_unique<gdi::Pen>();
            pen->style = iStyle;
            pen->width = std::max(cWidth, 1);
            pen->color = color & 0x00FFFFFF;
            return static_cast<HPEN>(gdi::Add(std::move(pen), "pen"));
        },
        iStyle, cWidth, relay::Hex(color));
}

HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                         DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                         DWORD iQuality, DWORD iPitchAndFamily, LPCSTR pszFaceName) {
    return relay::Call(
        "CreateFontA",
        [&] {
            auto font = std::make_unique<gdi::Font>();
            LOGFONTA& a = font->attributes;
            a.lfHeight = cHeight;
            a.lfWidth = cWidth;
            a.lfEscapement = cEscapement;
            a.lfOrientation = cOrientation;
            a.lfWeight = cWeight;
            a.lfItalic = static_cast<BYTE>(bItalic);
            a.lfUnderline = static_cast<BYTE>(bUnderline);
            a.lfStrikeOut = static_cast<BYTE>(bStrikeOut);
            a.lfCharSet = static_cast<BYTE>(iCharSet);
            a.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
            a.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
            a.lfQuality = static_cast<BYTE>(iQuality);
            a.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
            if (pszFaceName) {
                std::strncpy(a.lfFaceName, pszFaceName, LF_FACESIZE - 1);  // GDI keeps 31 characters
            }
            return static_cast<HFONT>(gdi::Add(std::move(font), "font"));
        },
        cHeight, cWidth, cEscapement, cOrientation, cWeight, bItalic, bUnderline, bStrikeOut, iCharSet, iOutPrecision,
        iClipPrecision, iQuality, iPitchAndFamily, relay::Text{pszFaceName});
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    return relay::Call(
        "SelectObject",
        [&]() -> HGDIOBJ {
            gdi::DC* dc = gdi::FindDC(hdc);
            gdi::Object* object = gdi::Find(h);
            if (!dc || !object) {
                return nullptr;
            }
            gdi::Object* previous = gdi::Select(dc, object);
            return previous ? gdi::Handle(previous) : nullptr;
        },
        static_cast<const void*>(hdc), h);
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    return relay::Call(
        "DeleteObject",
        [&] {
            gdi::Object* object = gdi::Find(ho);
            return object && object->kind != Kind::DC && gdi::Delete(object) ? TRUE : FALSE;
        },
        ho);
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
    return relay::Call(
        "GetObjectA", [&] { return GetObjectImpl(h, c, pv); }, h, c);
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    return relay::Call(
        "CreateCompatibleDC",
        [&]() -> HDC {
            int bitsPixel = display::ScreenBitsPerPixel();
            if (hdc) {
                gdi::DC* reference = gdi::FindDC(hdc);
                if (!reference) {
                    return nullptr;
                }
                bitsPixel = reference->bitsPixel;
            }
            return static_cast<HDC>(gdi::Handle(gdi::NewDC(nullptr, bitsPixel, true)));
        },
        static_cast<const void*>(hdc));
}

BOOL WINAPI DeleteDC(HDC hdc) {
    return relay::Call(
        "DeleteDC",
        [&] {
            gdi::DC* dc = gdi::FindDC(hdc);
            if (!dc || display::IsSurfaceDC(dc)) {
                return FALSE;
            }
            gdi::FreeDC(dc);
            return TRUE;
        },
        static_cast<const void*>(hdc));
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    return relay::Call(
        "GetDeviceCaps",
        [&] {
            const gdi::DC* dc = gdi::FindDC(hdc);
            if (!dc) {
                return 0;
            }
            switch (index) {
                case BITSPIXEL:
                    return dc->bitsPixel;
                case PLANES:
                    return 1;
                case HORZRES:
                    return dc->target ? dc->target->Width() : display::ScreenWidth();
                case VERTRES:
                    return dc->target ? dc->target->Height() : display::ScreenHeight();
                default:
                    return 0;
            }
        },
        static_cast<const void*>(hdc), index);
}
