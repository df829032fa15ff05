// sdl_renderer_presenter.cpp -- presenting through an SDL renderer: a streaming texture scaled by the renderer,
// nearest or blended.
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

    void Present(const Canvas& picture, Scaling scaling, Filter filter) override {
        pictureWidth_ = picture.Width();
        pictureHeight_ = picture.Height();
        // Sharp: the picture enlarged by the largest whole multiple, nearest, here; the renderer blends the rest.
        const int factor =
            filter == Filter::Sharp ? PictureDrawer::SharpFactor(pictureWidth_, pictureHeight_, Placed(scaling)) : 1;
        if (!TextureFor(pictureWidth_ * factor, pictureHeight_ * factor)) {
            return;
        }
        SDL_SetTextureScaleMode(texture_, filter == Filter::Nearest ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0) {
            return;
        }
        const SDL_Rect whole{0, 0, textureWidth_, textureHeight_};
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

    // Where the picture goes in the window's real pixels (also on high-DPI screens).
    SDL_Rect Placed(Scaling scaling) const {
        int width = 0, height = 0;
        SDL_GetRendererOutputSize(renderer_, &width, &height);
        return PictureRect(pictureWidth_, pictureHeight_, width, height, scaling);
    }

    // The texture scaled into the window as `scaling` says, black around it.
    void Show(Scaling scaling) {
        const SDL_Rect placed = Placed(scaling);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, &placed);
        SDL_RenderPresent(renderer_);
    }

    // The texture at the size asked for, made anew when the display mode or the sharp multiple changes it.
    SDL_Texture* TextureFor(int width, int height) {
        if (texture_ && textureWidth_ == width && textureHeight_ == height) {
            return texture_;
        }
        if (texture_) {
            SDL_DestroyTexture(texture_);
        }
        texture_ = SDL_CreateTexture(renderer_, kTextureFormat, SDL_TEXTUREACCESS_STREAMING, width, height);
        textureWidth_ = width;
        textureHeight_ = height;
        return texture_;
    }

    SDL_Renderer* renderer_;
    SDL_Texture* texture_ = nullptr;
    PictureDrawer drawer_;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
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
