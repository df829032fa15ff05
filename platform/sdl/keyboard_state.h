// keyboard_state.h -- the live state of each key by scan code, as the DirectInput keyboard reports it.
#pragma once

#include <cstdint>

namespace plat::keyboard {

void Set(int scanCode, bool down);
// 256 bytes, 0x80 for each key held down, indexed by DirectInput key code (the scan code).
const std::uint8_t* State();
void ReleaseAll();

}  // namespace plat::keyboard
