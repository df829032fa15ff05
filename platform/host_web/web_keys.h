// web_keys.h -- the browser's names of key positions (KeyboardEvent.code) as the USB usage codes the core uses.
#pragma once

#include <string>

namespace plat::web {

// The position (USB keyboard usage code, see key_map.h) of the key the browser calls `code` ("KeyA", "ArrowLeft",
// "NumpadEnter"...), or 0 for a key the core has no position for.
int KeyPosition(const std::string& code);

}  // namespace plat::web
