// message_test.cpp -- the message queue and window procedures through the API: WM_QUIT's place in the queue and
// under MessageBoxA, activation on ShowWindow, WM_CLOSE's default handling. (Dispatching: the system tests.)
#include "api_helpers.h"

#include <algorithm>

namespace {

using namespace apitest;

std::vector<MSG> recorded;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    recorded.push_back(MSG{hwnd, message, wParam, lParam, 0, POINT{}});
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Windows whose procedure records every message it is given.
class MessageTest : public ApiTest {
protected:
    void TearDown() override {
        ApiTest::TearDown();
        recorded.clear();
    }

    HWND NewWindow() { return ApiTest::NewWindow(RecordingProc, "TamberlynRecorder"); }
};

// Position of the first recorded `message` (with `wParam`, unless -1), or -1.
int RecordedIndex(UINT message, WPARAM wParam = WPARAM(-1)) {
    const auto found = std::find_if(recorded.begin(), recorded.end(), [&](const MSG& msg) {
        return msg.message == message && (wParam == WPARAM(-1) || msg.wParam == wParam);
    });
    return found == recorded.end() ? -1 : int(found - recorded.begin());
}

// "message wParam" of each message taken by `take` (GetMessageA or PeekMessageA) until it gives none or the quit.
template <class Take>
std::vector<std::string> Taken(Take take) {
    std::vector<std::string> taken;
    for (MSG msg{}; taken.size() < 10 && take(&msg); msg = MSG{}) {
        taken.push_back(Hex(msg.message) + " " + std::to_string(msg.wParam));
        if (msg.message == WM_QUIT) {
            break;
        }
    }
    return taken;
}

// WM_QUIT comes after every posted message, unless asked for alone; PM_NOREMOVE leaves it in the queue.
TEST_F(MessageTest, QuitComesAfterThePostedMessages) {
    const HWND window = NewWindow();
    const std::string quit = Hex(WM_QUIT) + " ", user = Hex(WM_USER) + " ";
    ASSERT_TRUE(PostMessageA(window, WM_USER, 1, 0));
    PostQuitMessage(5);
    ASSERT_TRUE(PostMessageA(window, WM_USER, 2, 0));
    EXPECT_EQ(Taken([](MSG* msg) { return GetMessageA(msg, nullptr, 0, 0) > 0 || msg->message == WM_QUIT; }),
              (std::vector<std::string>{user + "1", user + "2", quit + "5"}))
        << "GetMessageA";

    ASSERT_TRUE(PostMessageA(window, WM_USER, 3, 0));
    PostQuitMessage(6);
    MSG msg{};
    for (int peek = 0; peek < 2; ++peek) {
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "filtered to WM_QUIT, kept";
        EXPECT_EQ(Hex(msg.message) + " " + std::to_string(msg.wParam), quit + "6");
    }
    EXPECT_EQ(Taken([](MSG* m) { return PeekMessageA(m, nullptr, 0, 0, PM_REMOVE); }),
              (std::vector<std::string>{user + "3", quit + "6"}))
        << "PeekMessageA(PM_REMOVE)";
}

// The system reports a fatal error after its window has posted the quit: the box must not wait for the user.
TEST_F(MessageTest, MessageBoxWithQuitPendingReturnsAtOnceAndLeavesTheQuit) {
    PostQuitMessage(11);
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "conformance test", nullptr, MB_ICONERROR)) << "MessageBoxA";
    EXPECT_EQ(Taken([](MSG* m) { return PeekMessageA(m, nullptr, 0, 0, PM_REMOVE); }),
              std::vector<std::string>{Hex(WM_QUIT) + " 11"})
        << "the quit should still be pending";
}

TEST_F(MessageTest, ShowWindowActivatesTheProgramBeforeReturning) {
    const HWND window = NewWindow();
    recorded.clear();
    ShowWindow(window, SW_SHOW);
    const int activated = RecordedIndex(WM_ACTIVATEAPP, TRUE);
    ASSERT_NE(-1, activated) << "no WM_ACTIVATEAPP(1) during ShowWindow of the only window";
    EXPECT_EQ(window, recorded[activated].hwnd);
}

TEST_F(MessageTest, DefWindowProcCloseDestroysWindowWithoutQuitting) {
    const HWND window = NewWindow();
    recorded.clear();
    EXPECT_EQ(0, DefWindowProcA(window, WM_CLOSE, 0, 0));
    const int destroy = RecordedIndex(WM_DESTROY), ncDestroy = RecordedIndex(WM_NCDESTROY);
    ASSERT_NE(-1, destroy) << "no WM_DESTROY";
    EXPECT_EQ(destroy + 1, ncDestroy) << "WM_NCDESTROY should directly follow WM_DESTROY";
    EXPECT_FALSE(DestroyWindow(window)) << "the window should be gone already";
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_CLOSE must not post WM_QUIT";
}

}  // namespace
