// input.cpp -- the sources of messages besides the program: the frame script, then the host's events.
#include "input.h"

#include "capture.h"
#include "frame_script.h"
#include "keyboard_state.h"
#include "log.h"
#include "platform_state.h"
#include "user_message.h"
#include "user_window.h"

#include <chrono>

namespace plat::input {
namespace {

// How long one wait for the host's events lasts; the caller waits again if nothing came.
constexpr std::chrono::milliseconds kWait{100};

// Keys the platform keeps for itself rather than passing to the program. True if `key` is one of them.
bool TakeForPlatform(const KeyChange& key, HWND window) {
    auto& taken = Platform().input.keysTaken;
    const std::size_t position = static_cast<std::size_t>(key.position) % taken.size();
    if (!key.down) {
        const bool wasTaken = taken[position];
        taken[position] = false;
        return wasTaken;
    }
    const bool screenshot =
        key.position == keys::kPositionPrintScreen || key.position == CurrentSettings().screenshotKey;
    const bool platformKey =
        screenshot || (key.alt && (key.position == keys::kPositionReturn || key.position == keys::kPositionF4));
    if (!platformKey) {
        return false;
    }
    taken[position] = true;
    if (key.repeat) {
        return true;
    }
    if (screenshot) {
        capture::SaveScreenshot();
    } else if (key.position == keys::kPositionReturn) {
        TheHost().ToggleFullScreen();
    } else {
        Close(window);
    }
    return true;
}

}  // namespace

bool Pump(bool wait) {
    if (script::Deliver(wait)) {
        return true;
    }
    Host& host = TheHost();
    if (host.PumpEvents()) {
        return true;
    }
    if (!wait) {
        return false;
    }
    if (!host.HasDisplay()) {
        WarnOnce("waiting for a message, and no script or display can send one");
    }
    return host.WaitEvent(kWait) && host.PumpEvents();
}

DWORD Milliseconds() {
    const auto elapsed = TheHost().Now() - Platform().input.start;
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

bool Key(HWND window, const KeyChange& key) {
    const keys::KeyCodes codes = keys::Lookup(key.position, key.character, key.numLock);
    keyboard::Set(codes.directInput, key.down);
    if (!window) {
        window = windows::Foreground();
    }
    if (TakeForPlatform(key, window) || !window || !codes.virtualKey) {
        return false;
    }
    const keys::KeyMessage message = keys::MessageFor({codes, key.down, key.repeat, key.alt, key.control});
    queue::PostInput(window, message.message, message.wParam, message.lParam);
    return true;
}

bool SetActive(bool active) {
    if (windows::AppActive() == active) {
        return false;
    }
    if (!active) {
        keyboard::ReleaseAll();  // the keys held now are released in another program's window
    }
    windows::SetAppActive(active);
    return true;
}

bool Close(HWND window) {
    if (!window || !windows::Find(window)) {
        return false;
    }
    windows::Send(window, WM_CLOSE, 0, 0);
    return true;
}

bool CloseMain() {
    const windows::Window* main = windows::MainWindow();
    return main && Close(main->handle);
}

}  // namespace plat::input
