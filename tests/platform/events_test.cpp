// events_test.cpp -- SDL's keyboard, focus and quit events as the program's window messages and keyboard state.
#include "diagnostics.h"
#include "keyboard_state.h"

#include <dinput.h>
#include <windows.h>

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::string Describe(const std::vector<Message>& messages) {
    std::ostringstream text;
    text << std::hex;
    for (const Message& m : messages) {
        text << "{0x" << m.message << ", 0x" << m.wParam << ", 0x" << m.lParam << "} ";
    }
    return text.str();
}

// What the window procedure was sent, in order.
std::vector<Message> sent;

LRESULT CALLBACK Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    sent.push_back({message, wParam, lParam});
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

long TimesSent(UINT message, WPARAM wParam) {
    return std::count_if(sent.begin(), sent.end(),
                         [&](const Message& m) { return m.message == message && m.wParam == wParam; });
}

// A shown window of the program's, and SDL's event queue (under the dummy video driver) to feed it from.
class SdlEvents : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError(); }
    static void TearDownTestSuite() {
        tamberlyn::ResetPlatform();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    void SetUp() override {
        tamberlyn::ResetPlatform();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = Record;
        windowClass.lpszClassName = "Events";
        RegisterClassA(&windowClass);
        hwnd_ =
            CreateWindowExA(0, "Events", "Events", WS_POPUPWINDOW, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
        ShowWindow(hwnd_, SW_SHOW);
        sent.clear();
    }

    static void PushKey(SDL_Scancode scancode, bool down, Uint16 modifiers = KMOD_NONE, bool repeat = false) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        event.key.keysym.mod = modifiers;
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }
    static void Push(Uint32 type, Uint8 windowEvent = 0) {
        SDL_Event event{};
        event.type = type;
        event.window.event = windowEvent;
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }

    // Everything the queue holds now, taken out.
    static std::vector<Message> Queued() {
        std::vector<Message> queued;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            queued.push_back({msg.message, msg.wParam, msg.lParam});
        }
        return queued;
    }

    HWND hwnd_ = nullptr;
};

// Keys reach the foreground window as key messages with Windows' lParam bits (repeat count, scan code << 16,
// extended << 24, Alt << 29, previous state << 30, transition << 31), but Alt+Enter, Print Screen and the screenshot
// key (F12 by default) stay with the platform, Enter let go after Alt too.
TEST_F(SdlEvents, KeysArePostedAsKeyMessagesButThePlatformsOwnKeys) {
    PushKey(SDL_SCANCODE_ESCAPE, true);
    PushKey(SDL_SCANCODE_ESCAPE, true, KMOD_NONE, true);
    PushKey(SDL_SCANCODE_ESCAPE, false);
    PushKey(SDL_SCANCODE_F12, true);
    PushKey(SDL_SCANCODE_F12, false);
    PushKey(SDL_SCANCODE_LALT, true, KMOD_LALT);
    PushKey(SDL_SCANCODE_X, true, KMOD_LALT);
    PushKey(SDL_SCANCODE_X, false, KMOD_LALT);
    PushKey(SDL_SCANCODE_RETURN, true, KMOD_LALT);
    PushKey(SDL_SCANCODE_RETURN, true, KMOD_LALT, true);
    PushKey(SDL_SCANCODE_LALT, false);
    PushKey(SDL_SCANCODE_RETURN, false);
    PushKey(SDL_SCANCODE_PRINTSCREEN, true);
    PushKey(SDL_SCANCODE_PRINTSCREEN, false);
    PushKey(SDL_SCANCODE_RETURN, true);
    PushKey(SDL_SCANCODE_F10, true);  // a system key without Alt
    PushKey(SDL_SCANCODE_F10, false);
    PushKey(SDL_SCANCODE_Q, true, KMOD_RALT | KMOD_LCTRL);  // AltGr: Ctrl and Alt together type characters
    PushKey(SDL_SCANCODE_UP, true);                         // extended
    PushKey(SDL_SCANCODE_RCTRL, false);
    const std::vector<Message> expected = {
        {WM_KEYDOWN, VK_ESCAPE, 0x00010001},  {WM_KEYDOWN, VK_ESCAPE, 0x40010001}, {WM_KEYUP, VK_ESCAPE, 0xC0010001},
        {WM_SYSKEYDOWN, VK_MENU, 0x20380001}, {WM_SYSKEYDOWN, 'X', 0x202D0001},    {WM_SYSKEYUP, 'X', 0xE02D0001},
        {WM_KEYUP, VK_MENU, 0xC0380001},      {WM_KEYDOWN, VK_RETURN, 0x001C0001}, {WM_SYSKEYDOWN, 0x79, 0x00440001},
        {WM_SYSKEYUP, 0x79, 0xC0440001},      {WM_KEYDOWN, 'Q', 0x00100001},       {WM_KEYDOWN, 0x26, 0x01480001},
        {WM_KEYUP, VK_CONTROL, 0xC11D0001}};
    EXPECT_EQ(Describe(Queued()), Describe(expected));
}

TEST_F(SdlEvents, FocusLossDeactivatesTheProgramReleasesEveryKeyAndEndsAWait) {
    PushKey(SDL_SCANCODE_A, true);
    Queued();
    Push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(WaitMessage(), TRUE) << "a focus change ends a wait for messages";
    EXPECT_EQ(TimesSent(WM_ACTIVATEAPP, FALSE), 1) << "expected WM_ACTIVATEAPP(0), got " << Describe(sent);
    EXPECT_EQ(plat::keyboard::State()[DIK_A], 0) << "A still held after the focus went";

    sent.clear();
    Push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED);
    Push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED);
    Queued();
    EXPECT_EQ(TimesSent(WM_ACTIVATEAPP, TRUE), 1) << "expected one WM_ACTIVATEAPP(1), got " << Describe(sent);
}

TEST_F(SdlEvents, QuitRequestClosesTheMainWindowOnce) {
    Push(SDL_QUIT);
    Push(SDL_QUIT);
    Queued();
    EXPECT_EQ(TimesSent(WM_CLOSE, 0), 1) << "expected one WM_CLOSE, got " << Describe(sent);
    EXPECT_EQ(TimesSent(WM_DESTROY, 0), 1) << "expected the window destroyed, got " << Describe(sent);
}

}  // namespace
