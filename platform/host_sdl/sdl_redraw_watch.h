// sdl_redraw_watch.h -- knowing when the window system may have lost what a window showed.
#pragma once

#include <SDL.h>

namespace plat {

// Watches one window's events for those after which the whole window is to be drawn again, black bars and all:
// shown, exposed, resized, maximised or restored (SDL may also have made its surface anew).
class RedrawWatch {
public:
    explicit RedrawWatch(SDL_Window* window);
    ~RedrawWatch();
    RedrawWatch(const RedrawWatch&) = delete;
    RedrawWatch& operator=(const RedrawWatch&) = delete;

    // True if such an event came since the last call.
    bool Take();

private:
    static int SDLCALL Watch(void* self, SDL_Event* event);

    SDL_Window* window_;
    bool redrawn_ = false;
};

}  // namespace plat
