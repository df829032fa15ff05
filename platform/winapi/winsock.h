// winsock.h -- the Windows Sockets 1.1 start-up subset Tamberlyn calls, for hosts without Windows.
#pragma once

#include <windows.h>

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128

#define WSABASEERR 10000
#define WSAEINVAL (WSABASEERR + 22)
#define WSASYSNOTREADY (WSABASEERR + 91)
#define WSAVERNOTSUPPORTED (WSABASEERR + 92)
#define WSANOTINITIALISED (WSABASEERR + 93)

typedef struct WSAData {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
} WSADATA, *LPWSADATA;

int WINAPI WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData);
int WINAPI WSACleanup(void);
int WINAPI WSAGetLastError(void);
