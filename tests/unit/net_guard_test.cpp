// net_guard_test.cpp -- NetGuard: the accepted Windows Sockets version, a refused start-up, the clean-up.
#include "unit_support.h"

#include <winsock.h>

#include <cstdio>

#include "net/net_guard.h"

namespace {

using namespace unit;

class NetGuardVersion : public PlatformTest, public ::testing::WithParamInterface<WORD> {};

TEST_P(NetGuardVersion, OnlyVersionOneOneStaysStarted) {
    char version[8];
    std::snprintf(version, sizeof version, "0x%04X", GetParam());
    ResetPlatform({{"TAMBERLYN_WINSOCK_VERSION", version}});
    StartTraceCapture();
    {
        NetGuard guard;
        std::vector<std::string> expected = {"WSAStartup(0x0101) = 0", "WSACleanup() = 0"};
        expected.resize(GetParam() == 0x0101 ? 1 : 2);
        EXPECT_EQ(TakeTrace(), expected) << "expected a version other than 1.1 cleaned up at once, and no box";
        StartTraceCapture();
    }
    EXPECT_EQ(Calls(TakeTrace(), "WSACleanup").size(), 1u) << "clean-ups by the destructor";
}

INSTANTIATE_TEST_SUITE_P(Versions, NetGuardVersion, ::testing::Values(0x0001, 0x0002, 0x0201, 0x0101));

using NetGuardTest = PlatformTest;

TEST_F(NetGuardTest, RefusedStartUpShowsTheBoxAndPostsQuit) {
    SetFailpoint("WSAStartup", WSASYSNOTREADY);
    StartTraceCapture();
    {
        NetGuard guard;
        const std::vector<std::string> expected = {
            "WSAStartup(0x0101) = " + std::to_string(WSASYSNOTREADY),
            "MessageBoxA(NULL, \"Error Couldnt Init Winsock!\", \"Aborting\", 0x40) = 1", "PostQuitMessage(0)"};
        EXPECT_EQ(TakeTrace(), expected) << "and no clean-up of the failed start-up";
        StartTraceCapture();
    }
    EXPECT_EQ(Calls(TakeTrace(), "WSACleanup").size(), 1u) << "clean-ups by the destructor";
    MSG msg = {};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "expected the quit request in the queue";
    EXPECT_EQ(msg.message, UINT(WM_QUIT));
    EXPECT_EQ(msg.wParam, WPARAM(0));
}

}  // namespace
