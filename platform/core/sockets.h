// sockets.h -- what Windows Sockets keeps during a run: the start-up count and the last error.
#pragma once

namespace plat {

struct SocketState {
    int startups = 0;
    int lastError = 0;
};

}  // namespace plat
