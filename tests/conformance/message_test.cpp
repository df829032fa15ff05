// message_test.cpp -- the message queue and window procedures through the API: WM_QUIT's place in the queue and
// under MessageBoxA, activation on ShowWindow, WM_CLOSE's default handling, dispatching and translating keys.
#include "api_helpers.h"

#include <algorithm>

namespace {

using namespace apitest;

// The recording procedure answers this message with kAnswer, so that DispatchMessageA's result can be checked.
constexpr UINT kAnswerMessage = WM_USER + 100;
constexpr LRESULT kAnswer = 0x1234;

std::vector<MSG> recorded;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    recorded.push_back(MSG{hwnd, message, wParam, lParam, 0, POINT{}});
    return message == kAnswerMessage ? kAnswer : DefWindowProcA(hwnd, message, wParam, lParam);
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

TEST_F(MessageTest, GetMessageReturnsQuitAfterEveryPostedMessage) {
    const HWND window = NewWindow();
    ASSERT_TRUE(PostMessageA(window, WM_USER, 1, 0));
    PostQuitMessage(5);
    ASSERT_TRUE(PostMessageA(window, WM_USER, 2, 0));
    const struct {
        BOOL result;
        UINT message;
        WPARAM wParam;
    } expected[] = {{1, WM_USER, 1}, {1, WM_USER, 2}, {0, WM_QUIT, 5}};
    for (int call = 0; call < 3; ++call) {
        MSG msg{};
        EXPECT_EQ(expected[call].result, GetMessageA(&msg, nullptr, 0, 0)) << "GetMessageA call " << call + 1;
        EXPECT_EQ(expected[call].message, msg.message) << "GetMessageA call " << call + 1;
        EXPECT_EQ(expected[call].wParam, msg.wParam) << "GetMessageA call " << call + 1;
    }
}

TEST_F(MessageTest, PeekMessageNoRemoveKeepsQuitAndRemoveTakesIt) {
    PostQuitMessage(7);
    const struct {
        UINT flags;
        BOOL result;
        const char* name;
    } calls[] = {{PM_NOREMOVE, TRUE, "first PM_NOREMOVE"},
                 {PM_NOREMOVE, TRUE, "second PM_NOREMOVE"},
                 {PM_REMOVE, TRUE, "PM_REMOVE"},
                 {PM_REMOVE, FALSE, "PM_REMOVE after the quit was taken"}};
    for (const auto& call : calls) {
        MSG msg{};
        ASSERT_EQ(call.result, PeekMessageA(&msg, nullptr, 0, 0, call.flags)) << call.name;
        if (call.result) {
            EXPECT_EQ(UINT(WM_QUIT), msg.message) << call.name;
            EXPECT_EQ(7u, msg.wParam) << call.name;
        }
    }
}

TEST_F(MessageTest, PeekMessageGivesPostedMessagesBeforeQuitUnlessFilteredToIt) {
    const HWND window = NewWindow();
    ASSERT_TRUE(PostMessageA(window, WM_USER, 1, 0));
    PostQuitMessage(9);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "filtered to WM_QUIT";
    EXPECT_EQ(UINT(WM_QUIT), msg.message);
    EXPECT_EQ(9u, msg.wParam);
    PostQuitMessage(10);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "unfiltered";
    EXPECT_EQ(UINT(WM_USER), msg.message) << "the posted message comes before the quit";
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "unfiltered, second";
    EXPECT_EQ(UINT(WM_QUIT), msg.message);
    EXPECT_EQ(10u, msg.wParam);
}

// The system reports a fatal error after its window has posted the quit: the box must not wait for the user.
TEST_F(MessageTest, MessageBoxWithQuitPendingReturnsAtOnceAndLeavesTheQuit) {
    PostQuitMessage(11);
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "conformance test", nullptr, MB_ICONERROR)) << "MessageBoxA";
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit should still be pending";
    EXPECT_EQ(UINT(WM_QUIT), msg.message);
    EXPECT_EQ(11u, msg.wParam);
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

TEST_F(MessageTest, DispatchMessageCallsTheWindowProcedure) {
    const HWND window = NewWindow();
    ASSERT_TRUE(PostMessageA(window, kAnswerMessage, 42, 43));
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    recorded.clear();
    EXPECT_EQ(kAnswer, DispatchMessageA(&msg)) << "DispatchMessageA should return the procedure's answer";
    ASSERT_EQ(1u, recorded.size());
    EXPECT_EQ(window, recorded[0].hwnd);
    EXPECT_EQ(kAnswerMessage, recorded[0].message);
    EXPECT_EQ(42u, recorded[0].wParam);
    EXPECT_EQ(43, recorded[0].lParam);
}

TEST_F(MessageTest, TranslateMessagePostsCharForKeyDown) {
    const HWND window = NewWindow();
    MSG key{};
    key.hwnd = window;
    key.message = WM_KEYDOWN;
    key.wParam = 'A';
    key.lParam = 0x001E0001;  // repeat 1, scan code of A
    EXPECT_TRUE(TranslateMessage(&key));
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "nothing posted";
    EXPECT_EQ(UINT(WM_CHAR), msg.message);
    EXPECT_EQ(WPARAM('a'), msg.wParam);
    EXPECT_EQ(window, msg.hwnd);
}

}  // namespace
