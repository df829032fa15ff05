// sdl_presenter.cpp -- choosing how frames reach the window: a hardware renderer if there is one, else the surface.
#include "sdl_presenter.h"

#include <cstring>

namespace plat {
namespace {

// True for OpenGL drivers that rasterise on the processor (Mesa's llvmpipe and softpipe, and the like):
// uploading each frame through them costs several times what the window surface does.
bool OpenGlRunsOnProcessor() {
    using GetString = const unsigned char* (*)(unsigned int);
    constexpr unsigned int kGlRenderer = 0x1F01;
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const auto* name = getString ? reinterpret_cast<const char*>(getString(kGlRenderer)) : nullptr;
    if (!name) {
        return true;  // a driver that cannot name itself is no better bet than the surface
    }
    for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"}) {
        if (std::strstr(name, software)) {
            return true;
        }
    }
    return false;
}

// Tries an accelerated renderer on a hidden window of its own and looks at what it got.
bool ProbeHardwareRenderer() {
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
    if (!probe) {
        return false;
    }
    bool hardware = false;
    if (SDL_Renderer* renderer = SDL_CreateRenderer(probe, -1, SDL_RENDERER_ACCELERATED)) {
        SDL_RendererInfo info{};
        SDL_GetRendererInfo(renderer, &info);
        const bool openGl = std::strncmp(info.name, "opengl", 6) == 0;
        hardware = !(info.flags & SDL_RENDERER_SOFTWARE) && !(openGl && OpenGlRunsOnProcessor());
        SDL_DestroyRenderer(renderer);
    }
    SDL_DestroyWindow(probe);
    return hardware;
}

bool HardwareRendererExists() {
    static const bool exists = ProbeHardwareRenderer();  // the machine's renderers do not change during a run
    return exists;
}

}  // namespace

std::unique_ptr<Presenter> MakePresenter(SDL_Window* window, PresentPath path, bool vsync) {
    if (path == PresentPath::Renderer || (path == PresentPath::Auto && HardwareRendererExists())) {
        if (auto presenter = MakeRendererPresenter(window, vsync, path == PresentPath::Auto)) {
            return presenter;
        }
    }
#ifdef TAMBERLYN_X_PRESENTER
    if (auto presenter = MakeXPresenter(window)) {
        return presenter;
    }
#endif
    return MakeSurfacePresenter(window);
}

}  // namespace plat
