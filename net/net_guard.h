// net_guard.h -- starts Windows Sockets 1.1 on construction and cleans it up on destruction.
#pragma once

class NetGuard {
public:
    NetGuard();
    ~NetGuard();
    NetGuard(const NetGuard&) = delete;
    NetGuard& operator=(const NetGuard&) = delete;
};
