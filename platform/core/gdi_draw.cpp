// gdi_draw.cpp -- GDI drawing: Rectangle with the pen and brush rules, BitBlt and StretchBlt, GetPixel.
#include "gdi_objects.h"
#include "relay.h"

#include <algorithm>
#include <climits>
#include <vector>

using namespace plat;

namespace {

void Fill(Canvas& canvas, LONG left, LONG top, LONG right, LONG bottom, COLORREF color) {
    if (right > left && bottom > top) {
        FillRect(canvas, RECT{left, top, right, bottom}, canvas.MapColor(color));
    }
}

// GDI's Rectangle: the brush fills the inside [l+1, r-2] x [t+1, b-2]; the pen runs along the edge pixels
// (columns l and r-1, rows t and b-1), each edge widened to the band [c - w/2, c - w/2 + w - 1]. So a pen two
// wide reaches one pixel out at the left and top and stays inside at the right and bottom. A thin pen draws
// nothing on a 1 x 1 rectangle. (Pens three or more wide round their corners on Windows; here they stay square.)
BOOL DrawRectangle(HDC hdc, int left, int top, int right, int bottom) {
    gdi::DC* dc = gdi::FindDC(hdc);
    if (!dc) {
        return FALSE;
    }
    if (!dc->target) {
        return TRUE;  // a context with nothing to draw into, such as the screen's here
    }
    Canvas& canvas = *dc->target;
    const LONG l = std::min(left, right), r = std::max(left, right);
    const LONG t = std::min(top, bottom), b = std::max(top, bottom);
    if (r == l || b == t) {
        return TRUE;
    }
    if (!dc->brush->hollow) {
        Fill(canvas, l + 1, t + 1, r - 1, b - 1, dc->brush->color);
    }
    const gdi::Pen& pen = *dc->pen;
    const LONG width = pen.width;
    if (pen.style == PS_NULL || (width <= 1 && r - l == 1 && b - t == 1)) {
        return TRUE;
    }
    const LONG back = width / 2;  // how far a band reaches before its edge pixel
    const LONG outerLeft = l - back, outerRight = r - 1 - back + width;
    const LONG outerTop = t - back, outerBottom = b - 1 - back + width;
    Fill(canvas, outerLeft, outerTop, outerRight, t - back + width, pen.color);
    Fill(canvas, outerLeft, b - 1 - back, outerRight, outerBottom, pen.color);
    Fill(canvas, outerLeft, outerTop, l - back + width, outerBottom, pen.color);
    Fill(canvas, r - 1 - back, outerTop, outerRight, outerBottom, pen.color);
    return TRUE;
}

// The source pixels [first, last] that make one destination pixel along an axis of `from` source and `to`
// destination pixels, as GDI stretches: enlarging, each destination pixel takes the source pixel under its
// centre; shrinking, each source pixel goes to the destination pixel under its centre, and they gather there
// (all but the last when the destination is one pixel across).
struct SourceSpan {
    int first;
    int last;
};

std::vector<SourceSpan> SourceSpans(int from, int to) {
    std::vector<SourceSpan> spans(static_cast<std::size_t>(to), SourceSpan{INT_MAX, -1});
    const auto under = [](int i, int length, int over) { return ((2 * i + 1) * length - 1) / (2 * over); };
    if (from <= to) {
        for (int i = 0; i < to; ++i) {
            spans[i].first = spans[i].last = under(i, from, to);
        }
    } else {
        for (int j = 0; j < from; ++j) {
            SourceSpan& span = spans[static_cast<std::size_t>(under(j, to, from))];
            span.first = std::min(span.first, j);
            span.last = std::max(span.last, j);
        }
        if (to == 1) {
            spans[0].last = from - 2;  // into a single pixel, the last source pixel is left out
        }
    }
    return spans;
}

// Shrinking under GDI's default stretching mode (BLACKONWHITE): the source pixels that gather on a destination
// pixel are combined with AND, so thin dark lines survive. Only pixels inside both canvases are drawn.
void ShrinkWithAnd(Canvas& dst, const RECT& to, const Canvas& src, const RECT& from) {
    const std::vector<SourceSpan> columns = SourceSpans(from.right - from.left, to.right - to.left);
    const std::vector<SourceSpan> rows = SourceSpans(from.bottom - from.top, to.bottom - to.top);
    for (int y = std::max(0, -to.top); y < int(rows.size()) && to.top + y < dst.Height(); ++y) {
        for (int x = std::max(0, -to.left); x < int(columns.size()) && to.left + x < dst.Width(); ++x) {
            std::uint32_t combined = ~0u;
            for (int j = rows[y].first; j <= rows[y].last; ++j) {
                for (int i = columns[x].first; i <= columns[x].last; ++i) {
                    combined &= src.ReadPixel(from.left + i, from.top + j);
                }
            }
            dst.WritePixel(to.left + x, to.top + y, dst.MapColor(src.PixelColor(combined)));
        }
    }
}

bool Inside(const RECT& rect, const Canvas& canvas) {
    return rect.left >= 0 && rect.top >= 0 && rect.right <= canvas.Width() && rect.bottom <= canvas.Height();
}

BOOL Stretch(HDC destination, int xDest, int yDest, int wDest, int hDest, HDC source, int xSrc, int ySrc, int wSrc,
             int hSrc, DWORD rop) {
    gdi::DC* to = gdi::FindDC(destination);
    gdi::DC* from = gdi::FindDC(source);
    if (!to || !from || rop != SRCCOPY || wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0) {
        return FALSE;  // copying is the one raster operation here, and mirrored copies are not drawn
    }
    if (!to->target || !from->target) {
        return TRUE;
    }
    const RECT destRect{xDest, yDest, xDest + wDest, yDest + hDest};
    const RECT srcRect{xSrc, ySrc, xSrc + wSrc, ySrc + hSrc};
    if ((wSrc > wDest || hSrc > hDest) && Inside(srcRect, *from->target)) {
        ShrinkWithAnd(*to->target, destRect, *from->target, srcRect);
    } else {
        StretchCopy(*to->target, destRect, *from->target, srcRect);
    }
    return TRUE;
}

}  // namespace

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    return relay::Call(
        "Rectangle", [&] { return DrawRectangle(hdc, left, top, right, bottom); }, static_cast<const void*>(hdc), left,
        top, right, bottom);
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    return relay::Call(
        "BitBlt", [&] { return Stretch(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop); },
        static_cast<const void*>(hdc), x, y, cx, cy, static_cast<const void*>(hdcSrc), x1, y1, relay::Hex(rop));
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                       int wSrc, int hSrc, DWORD rop) {
    return relay::Call(
        "StretchBlt", [&] { return Stretch(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop); },
        static_cast<const void*>(hdcDest), xDest, yDest, wDest, hDest, static_cast<const void*>(hdcSrc), xSrc, ySrc,
        wSrc, hSrc, relay::Hex(rop));
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    return relay::Call(
        "GetPixel",
        [&]() -> COLORREF {
            const gdi::DC* dc = gdi::FindDC(hdc);
            if (!dc || !dc->target || x < 0 || y < 0 || x >= dc->target->Width() || y >= dc->target->Height()) {
                return CLR_INVALID;
            }
            return dc->target->PixelColor(dc->target->ReadPixel(x, y));
        },
        static_cast<const void*>(hdc), x, y);
}
