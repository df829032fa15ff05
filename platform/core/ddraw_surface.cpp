// ddraw_surface.cpp -- IDirectDrawSurface: Blt, Flip, GetDC, Lock, Restore and reference counts.
#include "ddraw_surface.h"

#include "gdi_objects.h"
#include "relay.h"
#include "stretch_blit.h"

#include <cstring>
#include <utility>

namespace plat {
namespace {

bool Inside(const RECT& rect, const Canvas& canvas) {
    return rect.left >= 0 && rect.top >= 0 && rect.right <= canvas.Width() && rect.bottom <= canvas.Height() &&
           rect.left <= rect.right && rect.top <= rect.bottom;
}

RECT Whole(const Canvas& canvas) {
    return RECT{0, 0, canvas.Width(), canvas.Height()};
}

DDPIXELFORMAT FormatOf(PixelLayout layout) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    format.dwRGBBitCount = static_cast<DWORD>(BitsPerPixel(layout));
    switch (layout) {
        case PixelLayout::Indexed8:
            format.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
            break;
        case PixelLayout::Rgb555:
            format.dwFlags = DDPF_RGB;
            format.dwRBitMask = 0x7C00;
            format.dwGBitMask = 0x03E0;
            format.dwBBitMask = 0x001F;
            break;
        case PixelLayout::Rgb565:
            format.dwFlags = DDPF_RGB;
            format.dwRBitMask = 0xF800;
            format.dwGBitMask = 0x07E0;
            format.dwBBitMask = 0x001F;
            break;
        case PixelLayout::Rgb888:
        case PixelLayout::Xrgb8888:
            format.dwFlags = DDPF_RGB;
            format.dwRBitMask = 0xFF0000;
            format.dwGBitMask = 0x00FF00;
            format.dwBBitMask = 0x0000FF;
            break;
    }
    return format;
}

std::uint32_t PixelMask(const Canvas& canvas) {
    const int bits = canvas.BitsPerPixel();
    return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
}

}  // namespace

Surface::Surface(int width, int height, PixelLayout layout, DWORD caps)
    : ComObject("IDirectDrawSurface", "surface"),
      caps_(caps),
      canvas_(std::make_unique<Canvas>(width, height, layout)) {
    display::Track(this);
}

Surface::~Surface() {
    if (backBuffer_) {
        backBuffer_->frontBuffer_ = nullptr;
        backBuffer_->Drop();  // the chain's own reference
    }
    if (frontBuffer_) {
        frontBuffer_->backBuffer_ = nullptr;
    }
    if (dc_) {
        display::ReturnDC(dc_);
        gdi::FreeDC(dc_);
    }
    if (ownerSlot_) {
        *ownerSlot_ = nullptr;
    }
    display::Untrack(this);
}

void Surface::AttachBackBuffer(Surface* back) {
    backBuffer_ = back;
    back->frontBuffer_ = this;
}

void Surface::Lose() {
    if (!lost_) {
        lost_ = true;
        canvas_->Clear();
    }
}

HRESULT Surface::Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
                     LPDDBLTFX lpDDBltFx) {
    return relay::CallHr(
        "IDirectDrawSurface::Blt",
        [&] { return BltImpl(lpDestRect, static_cast<Surface*>(lpDDSrcSurface), lpSrcRect, dwFlags, lpDDBltFx); },
        Self(), static_cast<const RECT*>(lpDestRect), static_cast<const void*>(lpDDSrcSurface),
        static_cast<const RECT*>(lpSrcRect), relay::Hex(dwFlags),
        lpDDBltFx ? relay::Hex(lpDDBltFx->dwFillColor) : relay::Hex(0));
}

HRESULT Surface::BltImpl(LPRECT destRect, Surface* source, LPRECT sourceRect, DWORD flags, LPDDBLTFX fx) {
    if (lost_ || (source && source->lost_)) {
        return DDERR_SURFACELOST;
    }
    if (Busy() || (source && source->Busy())) {
        return DDERR_SURFACEBUSY;
    }
    const RECT dest = destRect ? *destRect : Whole(*canvas_);
    if (!Inside(dest, *canvas_) || dest.left == dest.right || dest.top == dest.bottom) {
        return DDERR_INVALIDRECT;
    }
    if (flags & DDBLT_COLORFILL) {
        if (!fx || fx->dwSize != sizeof(DDBLTFX)) {
            return DDERR_INVALIDPARAMS;
        }
        FillRect(*canvas_, dest, fx->dwFillColor & PixelMask(*canvas_));
        return DD_OK;
    }
    if (!source) {
        return DDERR_INVALIDPARAMS;
    }
    const RECT src = sourceRect ? *sourceRect : Whole(*source->canvas_);
    if (!Inside(src, *source->canvas_) || src.left == src.right || src.top == src.bottom) {
        return DDERR_INVALIDRECT;
    }
    if ((flags & DDBLT_KEYSRC) && !source->hasColorKey_) {
        return DDERR_INVALIDPARAMS;
    }
    const Canvas* from = source->canvas_.get();
    RECT fromRect = src;
    std::unique_ptr<Canvas> copy;
    if (source == this || from->Layout() != canvas_->Layout()) {
        // Read from a copy in this surface's layout: within one surface the source must not change while it is
        // read, and a surface made before a mode change holds another layout.
        copy =
            std::make_unique<Canvas>(src.right - src.left, src.bottom - src.top, canvas_->Layout(), &canvas_->Colors());
        if (!copy->Valid()) {
            return DDERR_OUTOFMEMORY;
        }
        fromRect = Whole(*copy);
        StretchCopy(*copy, fromRect, *from, src);
        from = copy.get();
    }
    if (flags & DDBLT_KEYSRC) {
        StretchBlitKeyed(*canvas_, dest, *from, fromRect, source->colorKey_.dwColorSpaceLowValue,
                         source->colorKey_.dwColorSpaceHighValue);
    } else {
        StretchBlit(*canvas_, dest, *from, fromRect);
    }
    return DD_OK;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE lpDDSurfaceTargetOverride, DWORD dwFlags) {
    display::FlipAttempted();  // counted even when a failpoint stands in for the flip: the script's frame count
    return relay::CallHr(
        "IDirectDrawSurface::Flip", [&] { return FlipImpl(lpDDSurfaceTargetOverride); }, Self(),
        static_cast<const void*>(lpDDSurfaceTargetOverride), relay::Hex(dwFlags));
}

HRESULT Surface::FlipImpl(LPDIRECTDRAWSURFACE target) {
    if (!backBuffer_) {
        return DDERR_NOTFLIPPABLE;
    }
    if (target && target != backBuffer_) {
        return DDERR_INVALIDPARAMS;
    }
    if (lost_ || backBuffer_->lost_) {
        return DDERR_SURFACELOST;
    }
    if (Busy() || backBuffer_->Busy()) {
        return DDERR_SURFACEBUSY;
    }
    // Page flipping exchanges the memory of the front and back buffers.
    std::swap(canvas_, backBuffer_->canvas_);
    display::FrameShown(*canvas_);
    return DD_OK;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS lpDDSCaps, LPDIRECTDRAWSURFACE* lplpDDAttachedSurface) {
    return relay::CallHr(
        "IDirectDrawSurface::GetAttachedSurface",
        [&]() -> HRESULT {
            if (!lpDDSCaps || !lplpDDAttachedSurface) {
                return DDERR_INVALIDPARAMS;
            }
            if (!backBuffer_ || (lpDDSCaps->dwCaps & ~backBuffer_->caps_) != 0) {
                return DDERR_NOTFOUND;
            }
            backBuffer_->Hold();
            *lplpDDAttachedSurface = backBuffer_;
            return DD_OK;
        },
        Self(), relay::Hex(lpDDSCaps ? lpDDSCaps->dwCaps : 0), lplpDDAttachedSurface);
}

HRESULT Surface::GetDC(HDC* lphDC) {
    return relay::CallHr(
        "IDirectDrawSurface::GetDC", [&] { return GetDCImpl(lphDC); }, Self(), lphDC);
}

HRESULT Surface::GetDCImpl(HDC* dc) {
    if (!dc) {
        return DDERR_INVALIDPARAMS;
    }
    if (lost_) {
        return DDERR_SURFACELOST;
    }
    if (dc_) {
        return DDERR_DCALREADYCREATED;
    }
    if (locked_) {
        return DDERR_SURFACEBUSY;
    }
    dc_ = gdi::NewDC(canvas_.get(), canvas_->BitsPerPixel(), false);
    display::LendDC(dc_);
    *dc = static_cast<HDC>(gdi::Handle(dc_));
    return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC hDC) {
    return relay::CallHr(
        "IDirectDrawSurface::ReleaseDC", [&] { return ReleaseDCImpl(hDC); }, Self(), static_cast<const void*>(hDC));
}

HRESULT Surface::ReleaseDCImpl(HDC dc) {
    if (!dc_) {
        return DDERR_NODC;
    }
    if (gdi::Handle(dc_) != dc) {
        return DDERR_INVALIDPARAMS;
    }
    display::ReturnDC(dc_);
    gdi::FreeDC(dc_);
    dc_ = nullptr;
    return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC lpDDSurfaceDesc) {
    return relay::CallHr(
        "IDirectDrawSurface::GetSurfaceDesc",
        [&]() -> HRESULT {
            if (!lpDDSurfaceDesc || lpDDSurfaceDesc->dwSize != sizeof(DDSURFACEDESC)) {
                return DDERR_INVALIDPARAMS;
            }
            Describe(*lpDDSurfaceDesc);
            return DD_OK;
        },
        Self());
}

void Surface::Describe(DDSURFACEDESC& desc) const {
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc.dwWidth = static_cast<DWORD>(canvas_->Width());
    desc.dwHeight = static_cast<DWORD>(canvas_->Height());
    desc.lPitch = canvas_->Pitch();
    desc.ddpfPixelFormat = FormatOf(canvas_->Layout());
    desc.ddsCaps.dwCaps = caps_;
    if (backBuffer_) {
        desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc.dwBackBufferCount = 1;
    }
    if (hasColorKey_) {
        desc.dwFlags |= DDSD_CKSRCBLT;
        desc.ddckCKSrcBlt = colorKey_;
    }
}

HRESULT Surface::IsLost() {
    return relay::CallHr(
        "IDirectDrawSurface::IsLost", [&] { return lost_ ? DDERR_SURFACELOST : DD_OK; }, Self());
}

HRESULT Surface::Lock(LPRECT lpDestRect, LPDDSURFACEDESC lpDDSurfaceDesc, DWORD dwFlags, HANDLE) {
    return relay::CallHr(
        "IDirectDrawSurface::Lock", [&] { return LockImpl(lpDestRect, lpDDSurfaceDesc); }, Self(),
        static_cast<const RECT*>(lpDestRect), relay::Hex(dwFlags));
}

HRESULT Surface::LockImpl(LPRECT rect, LPDDSURFACEDESC desc) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) {
        return DDERR_INVALIDPARAMS;
    }
    if (lost_) {
        return DDERR_SURFACELOST;
    }
    if (Busy()) {
        return DDERR_SURFACEBUSY;
    }
    const RECT area = rect ? *rect : Whole(*canvas_);
    if (!Inside(area, *canvas_)) {
        return DDERR_INVALIDPARAMS;
    }
    Describe(*desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = canvas_->Bits() + area.top * canvas_->Pitch() + area.left * canvas_->BitsPerPixel() / 8;
    locked_ = true;
    return DD_OK;
}

HRESULT Surface::Unlock(LPVOID lpSurfaceData) {
    return relay::CallHr(
        "IDirectDrawSurface::Unlock",
        [&]() -> HRESULT {
            if (!locked_) {
                return DDERR_NOTLOCKED;
            }
            locked_ = false;
            return DD_OK;
        },
        Self(), lpSurfaceData ? relay::Hex(1) : relay::Hex(0));
}

HRESULT Surface::Restore() {
    return relay::CallHr(
        "IDirectDrawSurface::Restore", [&] { return RestoreImpl(); }, Self());
}

HRESULT Surface::RestoreImpl() {
    if (!lost_ && !(backBuffer_ && backBuffer_->lost_)) {
        return DD_OK;
    }
    if (!display::CanRestore()) {
        return DDERR_WRONGMODE;
    }
    // The memory comes back; its contents are the program's to redraw. A primary brings its back buffer back too.
    lost_ = false;
    if (backBuffer_) {
        backBuffer_->lost_ = false;
    }
    return DD_OK;
}

HRESULT Surface::SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) {
    return relay::CallHr(
        "IDirectDrawSurface::SetColorKey",
        [&]() -> HRESULT {
            if (dwFlags != DDCKEY_SRCBLT) {
                return DDERR_INVALIDPARAMS;
            }
            hasColorKey_ = lpDDColorKey != nullptr;
            colorKey_ = lpDDColorKey ? *lpDDColorKey : DDCOLORKEY{};
            return DD_OK;
        },
        Self(), relay::Hex(dwFlags), relay::Hex(lpDDColorKey ? lpDDColorKey->dwColorSpaceLowValue : 0));
}

}  // namespace plat
