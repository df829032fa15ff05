// null_host.h -- the host with no screen, no input and no sound card: enough to run the program headless, its
// frames counted and captured.
#pragma once

#include "host.h"

#include <memory>

namespace plat::null {

std::unique_ptr<Host> MakeNullHost();

}  // namespace plat::null
