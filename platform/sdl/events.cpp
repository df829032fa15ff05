// events.cpp -- the sources of messages besides the program: the frame script, then waiting.
#include "events.h"

#include "frame_script.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace plat::events {

bool Pump(bool wait) {
    if (script::Deliver(wait)) {
        return true;
    }
    if (!wait) {
        return false;
    }
    // Nothing else can send this program a message: wait as a real queue would, without spinning.
    static bool warned = false;
    if (!warned) {
        std::fprintf(stderr, "tamberlyn: waiting for a message, and no script or display can send one\n");
        warned = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return false;
}

DWORD Milliseconds() {
    static const auto start = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

}  // namespace plat::events
