// net_guard_test.cpp -- NetGuard: the accepted Windows Sockets version and the clean-up. (A refused start-up: the
// system tests.)
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

INSTANTIATE_TEST_SUITE_P(Versions, NetGuardVersion, ::testing::Values(0x0001, 0x0002, 0x0201, 0x0101),
                         [](const testing::TestParamInfo<WORD>& info) {
                             char name[8];
                             std::snprintf(name, sizeof name, "v%04X", info.param);
                             return std::string(name);
                         });

}  // namespace
