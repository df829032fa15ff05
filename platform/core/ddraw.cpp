// ddraw.cpp -- DirectDrawCreate and IDirectDraw: cooperative level, display mode, surface creation.
#include "com_object.h"
#include "ddraw_surface.h"
#include "display.h"
#include "relay.h"
#include "user_window.h"

namespace plat {
namespace {

constexpr HRESULT kNoAggregation = static_cast<HRESULT>(0x80040110L);  // CLASS_E_NOAGGREGATION

class DirectDraw final : public ComObject<IDirectDraw> {
public:
    DirectDraw() : ComObject("IDirectDraw", "ddraw") {}
    ~DirectDraw() override {
        if (primary_) {
            primary_->SetOwnerSlot(nullptr);  // surfaces outlive the object that made them
        }
        if (exclusive_) {
            display::SetExclusiveOwner(nullptr);
        }
    }

    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC lpDDSurfaceDesc, LPDIRECTDRAWSURFACE* lplpDDSurface,
                                            IUnknown* pUnkOuter) override {
        return relay::CallHr(
            "IDirectDraw::CreateSurface", [&] { return CreateSurfaceImpl(lpDDSurfaceDesc, lplpDDSurface, pUnkOuter); },
            Self(), relay::Hex(lpDDSurfaceDesc ? lpDDSurfaceDesc->dwFlags : 0),
            relay::Hex(lpDDSurfaceDesc ? lpDDSurfaceDesc->ddsCaps.dwCaps : 0),
            lpDDSurfaceDesc ? lpDDSurfaceDesc->dwWidth : 0, lpDDSurfaceDesc ? lpDDSurfaceDesc->dwHeight : 0,
            lplpDDSurface, static_cast<const void*>(pUnkOuter));
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND hWnd, DWORD dwFlags) override {
        return relay::CallHr(
            "IDirectDraw::SetCooperativeLevel", [&] { return SetCooperativeLevelImpl(hWnd, dwFlags); }, Self(),
            static_cast<const void*>(hWnd), relay::Hex(dwFlags));
    }

    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP) override {
        return relay::CallHr(
            "IDirectDraw::SetDisplayMode",
            [&]() -> HRESULT {
                if (display::ExclusiveOwner() && !exclusive_) {
                    return DDERR_NOEXCLUSIVEMODE;
                }
                return display::SetMode(int(dwWidth), int(dwHeight), int(dwBPP)) ? DD_OK : DDERR_INVALIDMODE;
            },
            Self(), dwWidth, dwHeight, dwBPP);
    }

private:
    HRESULT SetCooperativeLevelImpl(HWND hwnd, DWORD flags) {
        const bool fullScreen = (flags & DDSCL_FULLSCREEN) != 0;
        const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
        if (fullScreen != exclusive || (exclusive && (flags & DDSCL_NORMAL))) {
            return DDERR_INVALIDPARAMS;  // full screen and exclusive go together, and never with normal
        }
        if (exclusive) {
            if (!windows::Find(hwnd)) {
                return DDERR_INVALIDPARAMS;
            }
            if (display::ExclusiveOwner() && !exclusive_) {
                return DDERR_EXCLUSIVEMODEALREADYSET;
            }
            display::SetExclusiveOwner(hwnd);
        } else if (exclusive_) {
            display::SetExclusiveOwner(nullptr);
        }
        exclusive_ = exclusive;
        return DD_OK;
    }

    HRESULT CreateSurfaceImpl(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* result, IUnknown* outer) {
        if (outer) {
            return kNoAggregation;
        }
        if (!desc || !result || desc->dwSize != sizeof(DDSURFACEDESC) || !(desc->dwFlags & DDSD_CAPS)) {
            return DDERR_INVALIDPARAMS;
        }
        const DWORD caps = desc->ddsCaps.dwCaps;
        Surface* surface = (caps & DDSCAPS_PRIMARYSURFACE) ? CreatePrimary(*desc) : CreateOffscreen(*desc);
        if (!surface) {
            return lastError_;
        }
        *result = surface;
        return DD_OK;
    }

    Surface* Fail(HRESULT error) {
        lastError_ = error;
        return nullptr;
    }

    Surface* CreatePrimary(const DDSURFACEDESC& desc) {
        const DWORD caps = desc.ddsCaps.dwCaps;
        if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) || (caps & DDSCAPS_OFFSCREENPLAIN)) {
            return Fail(DDERR_INVALIDPARAMS);
        }
        if (primary_) {
            return Fail(DDERR_PRIMARYSURFACEALREADYEXISTS);
        }
        const bool flipping = (caps & DDSCAPS_FLIP) != 0;
        if (flipping) {
            if (!(caps & DDSCAPS_COMPLEX) || !(desc.dwFlags & DDSD_BACKBUFFERCOUNT) || desc.dwBackBufferCount != 1) {
                return Fail(DDERR_INVALIDCAPS);  // this display flips between two buffers
            }
            if (!exclusive_) {
                return Fail(DDERR_NOEXCLUSIVEMODE);
            }
        }
        const DWORD memory = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM | DDSCAPS_VISIBLE;
        auto* primary = new Surface(display::ScreenWidth(), display::ScreenHeight(), display::ScreenLayout(),
                                    caps | memory | (flipping ? DDSCAPS_FRONTBUFFER : 0));
        if (flipping) {
            const DWORD backCaps = (caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE)) | DDSCAPS_BACKBUFFER |
                                   DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
            primary->AttachBackBuffer(
                new Surface(display::ScreenWidth(), display::ScreenHeight(), display::ScreenLayout(), backCaps));
        }
        primary_ = primary;
        primary->SetOwnerSlot(&primary_);
        return primary;
    }

    Surface* CreateOffscreen(const DDSURFACEDESC& desc) {
        if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) || desc.dwWidth == 0 ||
            desc.dwHeight == 0) {
            return Fail(DDERR_INVALIDPARAMS);
        }
        if (desc.ddsCaps.dwCaps & (DDSCAPS_FLIP | DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER)) {
            return Fail(DDERR_INVALIDCAPS);
        }
        if (desc.dwWidth > 16384 || desc.dwHeight > 16384) {
            return Fail(DDERR_OUTOFMEMORY);
        }
        const DWORD memory =
            (desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY) ? 0 : DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
        auto* surface =
            new Surface(int(desc.dwWidth), int(desc.dwHeight), display::ScreenLayout(), desc.ddsCaps.dwCaps | memory);
        if (!surface->Valid()) {
            delete surface;
            return Fail(DDERR_OUTOFMEMORY);
        }
        return surface;
    }

    bool exclusive_ = false;
    Surface* primary_ = nullptr;
    HRESULT lastError_ = DD_OK;
};

}  // namespace
}  // namespace plat

HRESULT WINAPI DirectDrawCreate(GUID* lpGUID, LPDIRECTDRAW* lplpDD, IUnknown* pUnkOuter) {
    return relay::CallHr(
        "DirectDrawCreate",
        [&]() -> HRESULT {
            if (!lplpDD) {
                return DDERR_INVALIDPARAMS;
            }
            if (pUnkOuter) {
                return plat::kNoAggregation;
            }
            if (lpGUID) {
                return DDERR_INVALIDPARAMS;  // only the default display driver exists
            }
            *lplpDD = new plat::DirectDraw;
            return DD_OK;
        },
        static_cast<const GUID*>(lpGUID), lplpDD, static_cast<const void*>(pUnkOuter));
}
