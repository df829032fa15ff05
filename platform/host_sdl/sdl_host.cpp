// sdl_host.cpp -- the hosts of the SDL build: SDL's, or the null host where a run asks to be headless.
#include "sdl_host.h"

#include "null_host.h"
#include "settings.h"

namespace plat {

std::unique_ptr<Host> MakeHost(const Settings& settings) {
    if (settings.headless) {
        return null::MakeNullHost();
    }
    return std::make_unique<sdl::SdlHost>();
}

}  // namespace plat
