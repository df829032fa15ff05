// net_guard.cpp -- Windows Sockets start-up at load and clean-up at exit.
#include "net/net_guard.h"

#include <windows.h>
#include <winsock.h>

NetGuard::NetGuard() {
    WSADATA wsaData;
    if (WSAStartup(MAKEWORD(1, 1), &wsaData) != 0) {
        MessageBoxA(nullptr, "Error Couldnt Init Winsock!", "Aborting", MB_OK | MB_ICONINFORMATION);
        PostQuitMessage(0);
        return;
    }
    if (LOBYTE(wsaData.wVersion) != 1 || HIBYTE(wsaData.wVersion) != 1) {
        WSACleanup();
    }
}

NetGuard::~NetGuard() {
    WSACleanup();
}
