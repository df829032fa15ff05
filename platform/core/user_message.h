// user_message.h -- the thread's message queue: posted messages, input messages and the quit request.
#pragma once

#include <windows.h>

#include <deque>

namespace plat::queue {

struct QueueState {
    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quitPending = false;
    int quitCode = 0;
};

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Keyboard input, taken after the posted messages and the quit request, as Windows orders them.
void PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plat::queue
