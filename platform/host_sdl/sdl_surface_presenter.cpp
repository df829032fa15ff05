// sdl_surface_presenter.cpp -- presenting through SDL's window surface (shared-memory X where there is no GPU).
#include "sdl_picture_drawer.h"
#include "sdl_picture_rect.h"
#include "sdl_presenter.h"

#include "log.h"

namespace plat {
namespace {

class SurfacePresenter final : public Presenter {
public:
    explicit SurfacePresenter(SDL_Window* window) : window_(window) {}

    void Present(const Canvas& picture, Scaling scaling) override {
        SDL_Surface* surface = SDL_GetWindowSurface(window_);
        if (!surface || !CanDrawInto(surface->format->format)) {
            WarnOnce("cannot draw into the window surface (%s)",
                     surface ? SDL_GetPixelFormatName(surface->format->format) : SDL_GetError());
            return;
        }
        if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) {
            return;
        }
        drawer_.Draw(picture,
                     PixelTarget{surface->pixels, surface->w, surface->h, surface->pitch, surface->format->format},
                     PictureRect(picture.Width(), picture.Height(), surface->w, surface->h, scaling));
        if (SDL_MUSTLOCK(surface)) {
            SDL_UnlockSurface(surface);
        }
        SDL_UpdateWindowSurface(window_);
        presented_ = true;
    }

    // The window surface still holds the last frame; it is sent to the screen again. (A resize since then has
    // replaced the surface, and SDL refuses: the next frame fills the new one.)
    void Refresh(Scaling) override {
        if (presented_) {
            SDL_UpdateWindowSurface(window_);
        }
    }

private:
    SDL_Window* window_;
    bool presented_ = false;
    PictureDrawer drawer_;
};

}  // namespace

std::unique_ptr<Presenter> MakeSurfacePresenter(SDL_Window* window) {
    // SDL would otherwise put the window surface behind an OpenGL texture, slow where OpenGL runs on the
    // processor. Its own variable of the same name, set by the user, still wins over this.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    return std::make_unique<SurfacePresenter>(window);
}

}  // namespace plat
