// sdl_message_box.cpp -- MessageBoxA as SDL's modal message box, and the question asked before the program starts.
#include "sdl_host.h"

#include "log.h"

namespace plat::sdl {
namespace {

Uint32 MessageBoxKind(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONERROR:
            return SDL_MESSAGEBOX_ERROR;
        case MB_ICONWARNING:
            return SDL_MESSAGEBOX_WARNING;
        default:
            return SDL_MESSAGEBOX_INFORMATION;
    }
}

}  // namespace

// Above the window that has the keyboard (the program's, full screen) so that a window manager keeps it in sight.
bool SdlHost::ShowMessageBox(const char* text, const char* caption, UINT type) {
    if (SDL_ShowSimpleMessageBox(MessageBoxKind(type), caption, text, SDL_GetKeyboardFocus()) != 0) {
        Warn("cannot show a message box (%s)", SDL_GetError());
        return false;
    }
    return true;
}

Host::Answer SdlHost::AskToGoOn(const char* text, const char* caption, const char* goOn, const char* quit) {
    enum : int { kGoOn = 1, kQuit = 2 };
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kQuit, quit},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kGoOn, goOn},
    };
    const SDL_MessageBoxData box{SDL_MESSAGEBOX_WARNING, nullptr, caption, text,
                                 SDL_arraysize(buttons), buttons, nullptr};
    int chosen = 0;
    if (SDL_ShowMessageBox(&box, &chosen) != 0) {
        Warn("cannot show a message box (%s)", SDL_GetError());
        return Answer::NotShown;
    }
    return chosen == kGoOn ? Answer::GoOn : Answer::Quit;  // closing the box (-1) is no yes
}

}  // namespace plat::sdl
