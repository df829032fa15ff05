// sdl_x_presenter.cpp -- presenting on an X display without a hardware renderer: the picture sent to the X server at
// its own size and scaled there, with the pixels the window surface would show. The frames that way cannot show the
// same pixels (another filter than nearest, a window size whose scale 16.16 fixed point cannot say exactly) go
// through the window surface instead.
#include "sdl_picture_drawer.h"
#include "sdl_picture_rect.h"
#include "sdl_presenter.h"
#include "sdl_redraw_watch.h"
#include "x_nearest_transform.h"
#include "x_window_picture.h"

#include <array>
#include <cstdint>
#include <optional>

namespace plat {
namespace {

// Where the kept picture was last drawn: the window's size and the picture's place and transform in it.
struct Placement {
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_Rect rect{};
    pixman_transform_t transform{};

    bool SameAs(const Placement& other) const {
        return windowWidth == other.windowWidth && windowHeight == other.windowHeight &&
               SDL_RectEquals(&rect, &other.rect);
    }
};

// The exact transform for one picture size and one rectangle size, worked out once for as long as they hold.
class TransformCache {
public:
    const std::optional<pixman_transform_t>& For(int sourceWidth, int sourceHeight, int width, int height) {
        const std::array<int, 4> sizes{sourceWidth, sourceHeight, width, height};
        if (sizes != sizes_) {
            sizes_ = sizes;
            transform_ = ExactNearestTransform(sourceWidth, sourceHeight, width, height);
        }
        return transform_;
    }

private:
    std::array<int, 4> sizes_{};
    std::optional<pixman_transform_t> transform_;
};

class XPresenter final : public Presenter {
public:
    XPresenter(SDL_Window* window, std::unique_ptr<XWindowPicture> server)
        : window_(window), server_(std::move(server)), redrawWatch_(window) {}

    void Present(const Canvas& picture, Scaling scaling, Filter filter) override {
        pictureWidth_ = picture.Width();
        pictureHeight_ = picture.Height();
        const std::optional<Placement> placement = filter == Filter::Nearest ? Place(scaling) : std::nullopt;
        int pitch = 0;
        std::uint32_t* pixels = placement ? server_->Pixels(pictureWidth_, pictureHeight_, &pitch) : nullptr;
        if (!pixels) {
            PresentOnSurface(picture, scaling, filter);
            return;
        }
        const SDL_Rect whole{0, 0, pictureWidth_, pictureHeight_};
        drawer_.Draw(picture, PixelTarget{pixels, pictureWidth_, pictureHeight_, pitch, SDL_PIXELFORMAT_RGB888}, whole);
        server_->Send();
        Show(*placement, false);
    }

    // The server still keeps the last picture: it is drawn again, bars and all, at the window's present size. (Before
    // any picture the size is 0 x 0, which has no placement.)
    void Refresh(Scaling scaling) override {
        if (onSurface_) {
            surface_->Refresh(scaling);
        } else if (const std::optional<Placement> placement = Place(scaling)) {
            Show(*placement, true);
        }
    }

    PresentPath Path() const override { return PresentPath::Surface; }

private:
    // The picture's place in the window as it is now, if the server can scale it there exactly.
    std::optional<Placement> Place(Scaling scaling) {
        Placement placement;
        SDL_GetWindowSizeInPixels(window_, &placement.windowWidth, &placement.windowHeight);
        placement.rect =
            PictureRect(pictureWidth_, pictureHeight_, placement.windowWidth, placement.windowHeight, scaling);
        const auto& transform = transforms_.For(pictureWidth_, pictureHeight_, placement.rect.w, placement.rect.h);
        if (!transform) {
            return std::nullopt;
        }
        placement.transform = *transform;
        return placement;
    }

    // Draws the kept picture at `placement`, with the bars where the window may have lost them.
    void Show(const Placement& placement, bool bars) {
        bars = redrawWatch_.Take() || bars || onSurface_ || !placement.SameAs(shown_);
        server_->Draw(placement.rect, placement.transform, placement.windowWidth, placement.windowHeight, bars);
        shown_ = placement;
        onSurface_ = false;
    }

    void PresentOnSurface(const Canvas& picture, Scaling scaling, Filter filter) {
        if (!surface_) {
            surface_ = MakeSurfacePresenter(window_);
        }
        surface_->Present(picture, scaling, filter);
        onSurface_ = true;
    }

    SDL_Window* window_;
    std::unique_ptr<XWindowPicture> server_;
    RedrawWatch redrawWatch_;
    PictureDrawer drawer_;
    std::unique_ptr<Presenter> surface_;  // made the first time a frame goes that way
    bool onSurface_ = false;              // the last frame went through the window surface
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    Placement shown_;
    TransformCache transforms_;
};

}  // namespace

std::unique_ptr<Presenter> MakeXPresenter(SDL_Window* window) {
    std::unique_ptr<XWindowPicture> server = XWindowPicture::Open(window);
    return server ? std::make_unique<XPresenter>(window, std::move(server)) : nullptr;
}

}  // namespace plat
