// keyboard_state.cpp -- which keys are held, by DirectInput key code: what the DirectInput keyboard reads.
#include "keyboard_state.h"

#include <cstring>

namespace plat::keyboard {
namespace {
std::uint8_t keys[256];
}

void Set(int keyCode, bool down) {
    if (keyCode > 0 && keyCode < 256) {
        keys[keyCode] = down ? 0x80 : 0;
    }
}

const std::uint8_t* State() {
    return keys;
}

void ReleaseAll() {
    std::memset(keys, 0, sizeof keys);
}

}  // namespace plat::keyboard
