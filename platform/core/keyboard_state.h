// keyboard_state.h -- the live state of each key by DirectInput key code, as the DirectInput keyboard reports it.
#pragma once

#include <cstdint>

namespace plat::keyboard {

struct KeyboardState {
    std::uint8_t keys[256] = {};  // 0x80 for each key held down
};

// `keyCode` is the DirectInput key code: the set-1 scan code, plus 0x80 for the extended keys.
void Set(int keyCode, bool down);
// 256 bytes, 0x80 for each key held down, indexed by DirectInput key code.
const std::uint8_t* State();
void ReleaseAll();

}  // namespace plat::keyboard
