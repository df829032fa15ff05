// sdl_redraw_watch.cpp -- an SDL event watch on one window's redrawing events.
#include "sdl_redraw_watch.h"

namespace plat {

RedrawWatch::RedrawWatch(SDL_Window* window) : window_(window) {
    SDL_AddEventWatch(&Watch, this);
}

RedrawWatch::~RedrawWatch() {
    SDL_DelEventWatch(&Watch, this);
}

bool RedrawWatch::Take() {
    const bool redrawn = redrawn_;
    redrawn_ = false;
    return redrawn;
}

int SDLCALL RedrawWatch::Watch(void* self, SDL_Event* event) {
    auto* watch = static_cast<RedrawWatch*>(self);
    if (event->type == SDL_WINDOWEVENT && event->window.windowID == SDL_GetWindowID(watch->window_)) {
        switch (event->window.event) {
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_RESIZED:
            case SDL_WINDOWEVENT_SIZE_CHANGED:
            case SDL_WINDOWEVENT_MAXIMIZED:
            case SDL_WINDOWEVENT_RESTORED:
                watch->redrawn_ = true;
                break;
            default:
                break;
        }
    }
    return 0;
}

}  // namespace plat
