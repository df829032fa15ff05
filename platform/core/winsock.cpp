// winsock.cpp -- Windows Sockets start-up and clean-up with a start-up count; no sockets.
#include "platform_state.h"
#include "relay.h"
#include "settings.h"

#include <winsock.h>

#include <cstring>

namespace {

plat::SocketState& TheSockets() {
    return plat::Platform().sockets;
}

constexpr int kSocketError = -1;
constexpr int kFault = WSABASEERR + 14;  // WSAEFAULT

int Startup(WORD requested, LPWSADATA data) {
    if (LOBYTE(requested) < 1) {
        return WSAVERNOTSUPPORTED;
    }
    if (!data) {
        return kFault;
    }
    std::memset(data, 0, sizeof *data);
    data->wVersion = plat::CurrentSettings().winsockVersion;
    data->wHighVersion = 0x0101;
    std::strcpy(data->szDescription, "Tamberlyn Windows Sockets 1.1");
    std::strcpy(data->szSystemStatus, "Running");
    data->iMaxSockets = 0;
    data->iMaxUdpDg = 0;
    ++TheSockets().startups;
    return 0;
}

int Cleanup() {
    plat::SocketState& sockets = TheSockets();
    if (sockets.startups == 0) {
        sockets.lastError = WSANOTINITIALISED;
        return kSocketError;
    }
    --sockets.startups;
    return 0;
}

}  // namespace

int WINAPI WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
    return relay::Call(
        "WSAStartup", [&] { return Startup(wVersionRequested, lpWSAData); }, relay::Hex(wVersionRequested, 4));
}

int WINAPI WSACleanup(void) {
    return relay::Call("WSACleanup", [] { return Cleanup(); });
}

int WINAPI WSAGetLastError(void) {
    return relay::Call("WSAGetLastError", [] { return TheSockets().lastError; });
}
