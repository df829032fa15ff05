// sdl_surface_presenter.cpp -- presenting through SDL's window surface (shared-memory X where there is no GPU): the
// picture drawn straight into the surface's memory, the black bars around it only when they may have gone, and only
// the picture sent to the screen in between.
#include "sdl_picture_drawer.h"
#include "sdl_picture_rect.h"
#include "sdl_presenter.h"
#include "sdl_redraw_watch.h"

#include "log.h"

#include <algorithm>
#include <vector>

namespace plat {
namespace {

// What the bars were painted into: the surface's size, layout and the picture's place in it, and the buffers of
// that surface that already have them (a double-buffered surface alternates two).
struct BarsPainted {
    int width = 0;
    int height = 0;
    int pitch = 0;
    Uint32 format = 0;
    SDL_Rect rect{};
    std::vector<void*> buffers;

    bool SameLayout(const PixelTarget& target, const SDL_Rect& other) const {
        return width == target.width && height == target.height && pitch == target.pitch && format == target.format &&
               SDL_RectEquals(&rect, &other);
    }
};

class SurfacePresenter final : public Presenter {
public:
    explicit SurfacePresenter(SDL_Window* window) : window_(window), redrawWatch_(window) {}

    void Present(const Canvas& picture, Scaling scaling, Filter filter) override {
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (!surface || !CanDrawInto(surface->format->format)) {
            WarnOnce("cannot draw into the window surface (%s)",
                     surface ? SDL_GetPixelFormatName(surface->format->format) : SDL_GetError());
            return;
        }
        if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
            return;
        }
        const PixelTarget target{surface->pixels, surface->w, surface->h, surface->pitch, surface->format->format};
        const SDL_Rect rect = PictureRect(picture.Width(), picture.Height(), surface->w, surface->h, scaling);
        const bool barsNew = PaintBarsIfGone(target, rect);
        drawer_.Draw(picture, target, rect, filter);
        if (SDL_MUSTLOCK(surface)) {
            SDL_UnlockSurface(surface);
        }
        if (barsNew || rect.w <= 0 || rect.h <= 0) {
            SDL_UpdateWindowSurface(window_);
        } else {
            SDL_UpdateWindowSurfaceRects(window_, &rect, 1);
        }
        presented_ = true;
    }

    // The window surface still holds the last frame, bars and all; it is sent to the screen again. (A resize since
    // then has replaced the surface, and SDL refuses: the next frame fills the new one.)
    void Refresh(Scaling) override {
        if (presented_) {
            SDL_UpdateWindowSurface(window_);
        }
    }

    PresentPath Path() const override { return PresentPath::Surface; }

private:
    // Paints the bars where this buffer, at this layout, has not had them since the window last showed afresh;
    // true if it did (the whole window is then to be shown).
    bool PaintBarsIfGone(const PixelTarget& target, const SDL_Rect& rect) {
        if (redrawWatch_.Take() || !bars_.SameLayout(target, rect)) {
            bars_ = BarsPainted{target.width, target.height, target.pitch, target.format, rect, {}};
        }
        if (std::find(bars_.buffers.begin(), bars_.buffers.end(), target.pixels) != bars_.buffers.end()) {
            return false;
        }
        PaintMargins(target, rect);
        bars_.buffers.push_back(target.pixels);
        return true;
    }

    SDL_Window* window_;
    RedrawWatch redrawWatch_;
    PictureDrawer drawer_;
    BarsPainted bars_;
    bool presented_ = false;
};

}  // namespace

std::unique_ptr<Presenter> MakeSurfacePresenter(SDL_Window* window) {
    // SDL would otherwise put the window surface behind an OpenGL texture, slow where OpenGL runs on the
    // processor. Its own variable of the same name, set by the user, still wins over this.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    return std::make_unique<SurfacePresenter>(window);
}

}  // namespace plat
