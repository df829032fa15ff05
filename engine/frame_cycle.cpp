// frame_cycle.cpp -- the message pump and the per-frame clear and flip.
#include "engine/engine.h"

#include <cstring>

int Engine::Run(FrameProc frame) {
    MSG msg;
    std::memset(&msg, 0, sizeof msg);
    while (running) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&msg, nullptr, 0, 0) == 0) {
                // A quit request ends the run at once; the devices are left to the process's end.
                return static_cast<int>(msg.wParam);
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else if (active != 0) {
            BeginFrame();
            frame(userValue);
            EndFrame();
        } else {
            WaitMessage();
        }
    }
    Shutdown();
    return static_cast<int>(msg.wParam);
}

void Engine::Stop() {
    running = false;
}

void Engine::BeginFrame() {
    std::memset(&clearFx, 0, sizeof clearFx);
    clearFx.dwSize = static_cast<DWORD>(sizeof clearFx);
    clearFx.dwFillColor = 0;
    drawDevice.backBuffer->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &clearFx);
}

void Engine::EndFrame() {
    if (drawDevice.primary->Flip(nullptr, DDFLIP_WAIT) != DD_OK) {
        drawDevice.primary->Restore();
    }
}
