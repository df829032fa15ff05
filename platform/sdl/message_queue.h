// message_queue.h -- the thread's message queue: posted messages, input messages and the quit request.
#pragma once

#include <windows.h>

namespace plat::queue {

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Keyboard input, taken after the posted messages and the quit request, as Windows orders them.
void PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void Clear();

}  // namespace plat::queue
