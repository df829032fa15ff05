// events_test.cpp -- SDL's keyboard, focus and close events as the program's window messages.
#include "diagnostics.h"
#include "keyboard_state.h"

#include <dinput.h>
#include <windows.h>

#include <SDL.h>
#include <gtest/gtest.h>

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

bool WasSent(UINT message, WPARAM wParam) {
    for (const Message& m : sent) {
        if (m.message == message && m.wParam == wParam) {
            return true;
        }
    }
    return false;
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
    static void PushWindowEvent(Uint8 what) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = what;
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

TEST_F(SdlEvents, KeysArePostedToTheForegroundWindowAsKeyMessages) {
    PushKey(SDL_SCANCODE_ESCAPE, true);
    PushKey(SDL_SCANCODE_ESCAPE, true, KMOD_NONE, true);
    PushKey(SDL_SCANCODE_ESCAPE, false);
    PushKey(SDL_SCANCODE_LALT, true, KMOD_LALT);
    PushKey(SDL_SCANCODE_X, true, KMOD_LALT);
    PushKey(SDL_SCANCODE_X, false, KMOD_LALT);
    PushKey(SDL_SCANCODE_LALT, false);
    const std::vector<Message> expected = {{WM_KEYDOWN, VK_ESCAPE, 0x00010001}, {WM_KEYDOWN, VK_ESCAPE, 0x40010001},
                                           {WM_KEYUP, VK_ESCAPE, 0xC0010001},   {WM_SYSKEYDOWN, VK_MENU, 0x20380001},
                                           {WM_SYSKEYDOWN, 'X', 0x202D0001},    {WM_SYSKEYUP, 'X', 0xE02D0001},
                                           {WM_KEYUP, VK_MENU, 0xC0380001}};
    EXPECT_EQ(Describe(Queued()), Describe(expected));
}

TEST_F(SdlEvents, EscapeReachesTheWindowProcedureThroughDispatch) {
    PushKey(SDL_SCANCODE_ESCAPE, true);
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    EXPECT_TRUE(WasSent(WM_KEYDOWN, VK_ESCAPE)) << "expected WM_KEYDOWN(VK_ESCAPE), got " << Describe(sent);
}

TEST_F(SdlEvents, DirectInputKeyboardReportsTheKeysHeld) {
    IDirectInputA* input = nullptr;
    IDirectInputDeviceA* keyboard = nullptr;
    ASSERT_EQ(DirectInputCreateA(GetModuleHandleA(nullptr), 0x0700, &input, nullptr), DI_OK);
    ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    ASSERT_EQ(keyboard->SetCooperativeLevel(hwnd_, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    BYTE state[256];

    PushKey(SDL_SCANCODE_RCTRL, true, KMOD_RCTRL);
    PushKey(SDL_SCANCODE_UP, true, KMOD_RCTRL);
    Queued();
    ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
    EXPECT_EQ(state[DIK_RCONTROL], 0x80) << "right Ctrl held";
    EXPECT_EQ(state[DIK_UP], 0x80) << "Up held";
    EXPECT_EQ(state[DIK_LCONTROL], 0) << "left Ctrl not held";

    PushKey(SDL_SCANCODE_UP, false, KMOD_RCTRL);
    Queued();
    ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
    EXPECT_EQ(state[DIK_UP], 0) << "Up released";
    EXPECT_EQ(state[DIK_RCONTROL], 0x80) << "right Ctrl still held";
    keyboard->Release();
    input->Release();
}

TEST_F(SdlEvents, FocusLossDeactivatesTheProgramAndReleasesEveryKey) {
    PushKey(SDL_SCANCODE_A, true);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    Queued();
    EXPECT_TRUE(WasSent(WM_ACTIVATEAPP, FALSE)) << "expected WM_ACTIVATEAPP(0), got " << Describe(sent);
    EXPECT_EQ(plat::keyboard::State()[DIK_A], 0) << "A still held after the focus went";

    sent.clear();
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Queued();
    EXPECT_TRUE(WasSent(WM_ACTIVATEAPP, TRUE)) << "expected WM_ACTIVATEAPP(1), got " << Describe(sent);
    int activations = 0;
    for (const Message& m : sent) {
        activations += m.message == WM_ACTIVATEAPP;
    }
    EXPECT_EQ(activations, 1) << "a second focus gain changes nothing";
}

TEST_F(SdlEvents, FocusChangeEndsAWaitForMessages) {
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(WaitMessage(), TRUE);
    EXPECT_TRUE(WasSent(WM_ACTIVATEAPP, FALSE)) << "expected WM_ACTIVATEAPP(0), got " << Describe(sent);
}

TEST_F(SdlEvents, AltEnterPrintScreenAndTheScreenshotKeyStayWithThePlatform) {
    PushKey(SDL_SCANCODE_F12, true);  // the default screenshot key
    PushKey(SDL_SCANCODE_F12, false);
    PushKey(SDL_SCANCODE_LALT, true, KMOD_LALT);
    PushKey(SDL_SCANCODE_RETURN, true, KMOD_LALT);
    PushKey(SDL_SCANCODE_RETURN, true, KMOD_LALT, true);
    PushKey(SDL_SCANCODE_LALT, false);
    PushKey(SDL_SCANCODE_RETURN, false);  // Enter let go after Alt: still the platform's
    PushKey(SDL_SCANCODE_PRINTSCREEN, true);
    PushKey(SDL_SCANCODE_PRINTSCREEN, false);
    PushKey(SDL_SCANCODE_RETURN, true);
    const std::vector<Message> expected = {
        {WM_SYSKEYDOWN, VK_MENU, 0x20380001}, {WM_KEYUP, VK_MENU, 0xC0380001}, {WM_KEYDOWN, VK_RETURN, 0x001C0001}};
    EXPECT_EQ(Describe(Queued()), Describe(expected));
}

TEST_F(SdlEvents, AltF4ClosesTheWindowInsteadOfReachingIt) {
    PushKey(SDL_SCANCODE_LALT, true, KMOD_LALT);
    PushKey(SDL_SCANCODE_F4, true, KMOD_LALT);
    const std::vector<Message> queued = Queued();
    EXPECT_TRUE(WasSent(WM_CLOSE, 0)) << "expected WM_CLOSE, got " << Describe(sent);
    EXPECT_TRUE(WasSent(WM_DESTROY, 0)) << "expected the window destroyed, got " << Describe(sent);
    for (const Message& m : queued) {
        EXPECT_NE(m.wParam, WPARAM(VK_F4)) << "F4 reached the program: " << Describe(queued);
    }
}

TEST_F(SdlEvents, QuitRequestClosesTheMainWindowOnce) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    Queued();
    int closes = 0;
    for (const Message& m : sent) {
        closes += m.message == WM_CLOSE;
    }
    EXPECT_EQ(closes, 1) << "expected one WM_CLOSE, got " << Describe(sent);
    EXPECT_TRUE(WasSent(WM_DESTROY, 0)) << "expected the window destroyed, got " << Describe(sent);
}

TEST_F(SdlEvents, PumpingAddsNoLinesToTheRelayTrace) {
    tamberlyn::StartTraceCapture();
    PushKey(SDL_SCANCODE_SPACE, true);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    const std::vector<std::string> trace = tamberlyn::TakeTrace();
    ASSERT_EQ(trace.size(), 1u) << "expected only PeekMessageA, got " << trace.size() << " lines";
    EXPECT_NE(trace[0].find(", 0x100, 0x20, 0x390001}"), std::string::npos) << "expected Space seen, got " << trace[0];
}

}  // namespace
