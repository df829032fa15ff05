// sdl_renderer_presenter.cpp -- presenting through an SDL renderer: a streaming texture scaled by the renderer.
#include "sdl_picture_drawer.h"
#include "sdl_picture_rect.h"
#include "sdl_presenter.h"

namespace plat {
namespace {

class RendererPresenter final : public Presenter {
public:
    explicit RendererPresenter(SDL_Renderer* renderer) : renderer_(renderer) {}
    ~RendererPresenter() override {
        if (texture_) {
            SDL_DestroyTexture(texture_);
        }
        SDL_DestroyRenderer(renderer_);
    }
    RendererPresenter(const RendererPresenter&) = delete;
    RendererPresenter& operator=(const RendererPresenter&) = delete;

    void Present(const Canvas& picture, Scaling scaling) override {
        if (!TextureFor(picture)) {
            return;
        }
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0) {
            return;
        }
        const SDL_Rect whole{0, 0, picture.Width(), picture.Height()};
        drawer_.Draw(picture, PixelTarget{pixels, whole.w, whole.h, pitch, kTextureFormat}, whole);
        SDL_UnlockTexture(texture_);
        Show(scaling);
    }

    // The texture holds the last frame.
    void Refresh(Scaling scaling) override {
        if (texture_) {
            Show(scaling);
        }
    }

    PresentPath Path() const override { return PresentPath::Renderer; }

private:
    static constexpr Uint32 kTextureFormat = SDL_PIXELFORMAT_RGB888;

    // The texture scaled into the window as `scaling` says, black around it.
    void Show(Scaling scaling) {
        int width = 0, height = 0;
        SDL_GetRendererOutputSize(renderer_, &width, &height);  // real pixels, also on high-DPI screens
        const SDL_Rect placed = PictureRect(textureWidth_, textureHeight_, width, height, scaling);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, &placed);
        SDL_RenderPresent(renderer_);
    }

    // The texture at the picture's size, made anew when the display mode changes it.
    SDL_Texture* TextureFor(const Canvas& picture) {
        if (texture_ && textureWidth_ == picture.Width() && textureHeight_ == picture.Height()) {
            return texture_;
        }
        if (texture_) {
            SDL_DestroyTexture(texture_);
        }
        texture_ = SDL_CreateTexture(renderer_, kTextureFormat, SDL_TEXTUREACCESS_STREAMING, picture.Width(),
                                     picture.Height());
        textureWidth_ = picture.Width();
        textureHeight_ = picture.Height();
        if (texture_) {
            SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
        }
        return texture_;
    }

    SDL_Renderer* renderer_;
    SDL_Texture* texture_ = nullptr;
    PictureDrawer drawer_;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
};

}  // namespace

std::unique_ptr<Presenter> MakeRendererPresenter(SDL_Window* window, bool vsync, bool accelerated) {
    const Uint32 flags = (vsync ? SDL_RENDERER_PRESENTVSYNC : 0) | (accelerated ? SDL_RENDERER_ACCELERATED : 0);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, flags);
    if (!renderer) {
        return nullptr;
    }
    return std::make_unique<RendererPresenter>(renderer);
}

}  // namespace plat
