// net_guard_test.cpp -- NetGuard: the accepted Windows Sockets version, a refused start-up, the clean-up.
#include "unit_support.h"

#include <winsock.h>

#include <ostream>

#include "net/net_guard.h"

namespace {

using tamberlyn::StartTraceCapture;
using tamberlyn::TakeTrace;
using unit::Calls;

class NetGuardTest : public unit::PlatformTest {
protected:
    void TearDown() override
    {
        tamberlyn::SetWinsockVersion(0x0101);
        unit::PlatformTest::TearDown();
    }
};

struct ReportedVersion {
    WORD version;
    std::size_t cleanupsAtOnce;
};

void PrintTo(const ReportedVersion& reported, std::ostream* out) { *out << "0x" << std::hex << reported.version; }

class NetGuardVersion : public NetGuardTest, public ::testing::WithParamInterface<ReportedVersion> {};

TEST_P(NetGuardVersion, OnlyVersionOneOneStaysStarted)
{
    tamberlyn::SetWinsockVersion(GetParam().version);
    StartTraceCapture();
    std::vector<std::string> atExit;
    {
        NetGuard guard;
        const std::vector<std::string> atLoad = TakeTrace();
        EXPECT_EQ(Calls(atLoad, "WSACleanup").size(), GetParam().cleanupsAtOnce);
        EXPECT_TRUE(Calls(atLoad, "MessageBoxA").empty()) << "expected no message box";
        EXPECT_TRUE(Calls(atLoad, "PostQuitMessage").empty()) << "expected no quit request";
        StartTraceCapture();
    }
    EXPECT_EQ(Calls(TakeTrace(), "WSACleanup").size(), 1u) << "clean-ups by the destructor";
}

INSTANTIATE_TEST_SUITE_P(Versions, NetGuardVersion,
                         ::testing::Values(ReportedVersion{0x0001, 1}, ReportedVersion{0x0002, 1},
                                           ReportedVersion{0x0201, 1}, ReportedVersion{0x0101, 0}));

TEST_F(NetGuardTest, RefusedStartUpShowsTheBoxAndPostsQuit)
{
    tamberlyn::SetFailpoint("WSAStartup", WSASYSNOTREADY);
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
