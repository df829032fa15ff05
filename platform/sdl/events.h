// events.h -- where messages come from besides the program: the frame script and, with a display, SDL's events.
#pragma once

#include <windows.h>

namespace plat::events {

// Delivers what has happened: due frame-script actions, then SDL's keyboard, focus and close events as window
// messages. With `wait`, waits a little for something to arrive (a waiting program also moves the frame script on
// to its next action). True if anything was delivered.
bool Pump(bool wait);
// Milliseconds since the platform started, for MSG::time.
DWORD Milliseconds();

}  // namespace plat::events
