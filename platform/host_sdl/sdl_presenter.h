// sdl_presenter.h -- how the picture reaches an SDL window: the window surface or a renderer.
#pragma once

#include "canvas.h"
#include "settings.h"

#include <SDL.h>

#include <memory>

namespace plat {

class Presenter {
public:
    virtual ~Presenter() = default;
    // Shows `picture` in the window, placed as `scaling` says and scaled as `filter` says, black around it.
    virtual void Present(const Canvas& picture, Scaling scaling, Filter filter) = 0;
    // Shows again what the last Present showed, from the presenter's own copy: the window was uncovered, and the
    // program may have no picture to present (surfaces lost in the background).
    virtual void Refresh(Scaling scaling) = 0;
    // Surface or Renderer: which way this presenter goes.
    virtual PresentPath Path() const = 0;
};

// The window surface, filled on the processor: the fast path where no hardware renderer exists.
std::unique_ptr<Presenter> MakeSurfacePresenter(SDL_Window* window);
// The picture sent to the X server at its own size and scaled there, falling back on the window surface for the frames
// the server cannot show with the same pixels; null where the window is not on X or the server lacks what it needs.
std::unique_ptr<Presenter> MakeXPresenter(SDL_Window* window);
// An SDL renderer with a streaming texture; null if the window gets none. `accelerated` asks for hardware only.
std::unique_ptr<Presenter> MakeRendererPresenter(SDL_Window* window, bool vsync, bool accelerated);

// The presenter `path` asks for; Auto takes the renderer where a hardware one exists, else the window surface, which
// on X goes through the X presenter where it can.
std::unique_ptr<Presenter> MakePresenter(SDL_Window* window, PresentPath path, bool vsync);

}  // namespace plat
