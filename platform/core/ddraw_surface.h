// ddraw_surface.h -- DirectDraw surfaces: pixels in the display's format, the flip chain, loss and restore.
#pragma once

#include "canvas.h"
#include "com_object.h"
#include "display.h"

#include <ddraw.h>

#include <memory>

namespace plat::gdi {
struct DC;
}

namespace plat {

class Surface final : public ComObject<IDirectDrawSurface>, public display::Losable {
public:
    // A surface of the given size and layout with one reference; check Valid().
    Surface(int width, int height, PixelLayout layout, DWORD caps);
    ~Surface() override;

    bool Valid() const { return canvas_ && canvas_->Valid(); }
    // Makes `back` the back buffer of this primary surface; this surface holds a reference to it.
    void AttachBackBuffer(Surface* back);
    // A pointer cleared when this surface goes, so that its creator knows the primary is gone.
    void SetOwnerSlot(Surface** slot) { ownerSlot_ = slot; }
    void Lose() override;

    HRESULT STDMETHODCALLTYPE Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE lpDDSrcSurface, LPRECT lpSrcRect,
                                  DWORD dwFlags, LPDDBLTFX lpDDBltFx) override;
    HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE lpDDSurfaceTargetOverride, DWORD dwFlags) override;
    HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS lpDDSCaps,
                                                 LPDIRECTDRAWSURFACE* lplpDDAttachedSurface) override;
    HRESULT STDMETHODCALLTYPE GetDC(HDC* lphDC) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC lpDDSurfaceDesc) override;
    HRESULT STDMETHODCALLTYPE IsLost() override;
    HRESULT STDMETHODCALLTYPE Lock(LPRECT lpDestRect, LPDDSURFACEDESC lpDDSurfaceDesc, DWORD dwFlags,
                                   HANDLE hEvent) override;
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC hDC) override;
    HRESULT STDMETHODCALLTYPE Restore() override;
    HRESULT STDMETHODCALLTYPE SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) override;
    HRESULT STDMETHODCALLTYPE Unlock(LPVOID lpSurfaceData) override;

private:
    HRESULT BltImpl(LPRECT destRect, Surface* source, LPRECT sourceRect, DWORD flags, LPDDBLTFX fx);
    HRESULT FlipImpl(LPDIRECTDRAWSURFACE target);
    HRESULT GetDCImpl(HDC* dc);
    HRESULT ReleaseDCImpl(HDC dc);
    HRESULT LockImpl(LPRECT rect, LPDDSURFACEDESC desc);
    HRESULT RestoreImpl();
    void Describe(DDSURFACEDESC& desc) const;
    bool Busy() const { return locked_ || dc_; }

    DWORD caps_;
    std::unique_ptr<Canvas> canvas_;
    Surface* backBuffer_ = nullptr;   // owned reference, on a primary surface
    Surface* frontBuffer_ = nullptr;  // the primary this back buffer belongs to
    bool lost_ = false;
    bool locked_ = false;
    gdi::DC* dc_ = nullptr;
    Surface** ownerSlot_ = nullptr;
    bool hasColorKey_ = false;
    DDCOLORKEY colorKey_{};
};

}  // namespace plat
