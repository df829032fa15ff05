// user_message.cpp -- the message calls: PostQuitMessage, PostMessageA, PeekMessageA, GetMessageA, WaitMessage,
// TranslateMessage, DispatchMessageA.
#include "user_message.h"

#include "input.h"
#include "platform_state.h"
#include "relay.h"
#include "user_window.h"

namespace plat::queue {
namespace {

QueueState& TheQueue() {
    return Platform().queue;
}

MSG Make(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = input::Milliseconds();
    return msg;
}

bool Matches(const MSG& msg, HWND hwnd, UINT first, UINT last) {
    if (hwnd && msg.hwnd != hwnd) {
        return false;
    }
    return (first == 0 && last == 0) || (msg.message >= first && msg.message <= last);
}

bool TakeFrom(std::deque<MSG>& list, MSG* out, HWND hwnd, UINT first, UINT last, bool remove) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (Matches(*it, hwnd, first, last)) {
            *out = *it;
            if (remove) {
                list.erase(it);
            }
            return true;
        }
    }
    return false;
}

// Takes (or looks at) the next message in Windows' order: posted, then the quit request, then input.
bool Next(MSG* out, HWND hwnd, UINT first, UINT last, bool remove) {
    QueueState& queue = TheQueue();
    if (TakeFrom(queue.posted, out, hwnd, first, last, remove)) {
        return true;
    }
    if (queue.quitPending && Matches(Make(nullptr, WM_QUIT, 0, 0), nullptr, first, last)) {
        *out = Make(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
        if (remove) {
            queue.quitPending = false;
        }
        return true;
    }
    return TakeFrom(queue.input, out, hwnd, first, last, remove);
}

bool Empty() {
    const QueueState& queue = TheQueue();
    return queue.posted.empty() && queue.input.empty() && !queue.quitPending;
}

// Characters for the keys TranslateMessage turns into WM_CHAR.
int CharacterOf(WPARAM key) {
    if ((key >= '0' && key <= '9') || key == VK_SPACE || key == VK_ESCAPE || key == VK_RETURN || key == VK_BACK ||
        key == VK_TAB) {
        return static_cast<int>(key);
    }
    if (key >= 'A' && key <= 'Z') {
        return static_cast<int>(key - 'A' + 'a');
    }
    return 0;
}

}  // namespace

void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TheQueue().posted.push_back(Make(hwnd, message, wParam, lParam));
}

void PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TheQueue().input.push_back(Make(hwnd, message, wParam, lParam));
}

}  // namespace plat::queue

using namespace plat;

void WINAPI PostQuitMessage(int nExitCode) {
    relay::Call(
        "PostQuitMessage",
        [&] {
            auto& queue = queue::TheQueue();
            queue.quitPending = true;
            queue.quitCode = nExitCode;
        },
        nExitCode);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return relay::Call(
        "PostMessageA",
        [&] {
            if (hWnd && !windows::Find(hWnd)) {
                return FALSE;
            }
            queue::Post(hWnd, Msg, wParam, lParam);
            return TRUE;
        },
        static_cast<const void*>(hWnd), relay::Hex(Msg), relay::Hex(wParam), relay::Hex(lParam));
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    return relay::Call(
        "PeekMessageA",
        [&] {
            input::Pump(false);
            return queue::Next(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
        },
        static_cast<const MSG*>(lpMsg), static_cast<const void*>(hWnd), wMsgFilterMin, wMsgFilterMax,
        relay::Hex(wRemoveMsg));
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    return relay::Call(
        "GetMessageA",
        [&]() -> BOOL {
            if (!lpMsg || (hWnd && !windows::Find(hWnd))) {
                return -1;
            }
            input::Pump(false);
            while (!queue::Next(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true)) {
                input::Pump(true);
            }
            return lpMsg->message == WM_QUIT ? FALSE : TRUE;
        },
        static_cast<const MSG*>(lpMsg), static_cast<const void*>(hWnd), wMsgFilterMin, wMsgFilterMax);
}

BOOL WINAPI WaitMessage(void) {
    // Returns once a message is queued or a message was sent to a window meanwhile (a focus change).
    return relay::Call("WaitMessage", [] {
        bool delivered = input::Pump(false);
        while (queue::Empty() && !delivered) {
            delivered = input::Pump(true);
        }
        return TRUE;
    });
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    return relay::Call(
        "TranslateMessage",
        [&] {
            if (!lpMsg || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN)) {
                return FALSE;
            }
            const int character = queue::CharacterOf(lpMsg->wParam);
            if (character) {
                const UINT charMessage = lpMsg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
                queue::Post(lpMsg->hwnd, charMessage, static_cast<WPARAM>(character), lpMsg->lParam);
            }
            return TRUE;
        },
        lpMsg);
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    return relay::Call(
        "DispatchMessageA",
        [&]() -> LRESULT {
            if (!lpMsg || !lpMsg->hwnd) {
                return 0;
            }
            return windows::Send(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
        },
        lpMsg);
}
