// keyboard_state.cpp -- which keys are held, by DirectInput key code: what the DirectInput keyboard reads.
#include "keyboard_state.h"

#include "platform_state.h"

#include <cstring>

namespace plat::keyboard {

void Set(int keyCode, bool down) {
    if (keyCode > 0 && keyCode < 256) {
        Platform().keyboard.keys[keyCode] = down ? 0x80 : 0;
    }
}

const std::uint8_t* State() {
    return Platform().keyboard.keys;
}

void ReleaseAll() {
    std::memset(Platform().keyboard.keys, 0, sizeof Platform().keyboard.keys);
}

}  // namespace plat::keyboard
