// host.cpp -- what hosts share unless they do otherwise: the steady clock, sleeping, pictures as files.
#include "host.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

namespace plat {

std::string Host::SavePicture(const std::string& name, const std::vector<std::uint8_t>& bmp) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(name.c_str(), "wb"), std::fclose);
    if (!file || std::fwrite(bmp.data(), 1, bmp.size(), file.get()) != bmp.size() || std::fflush(file.get()) != 0) {
        return std::strerror(errno);
    }
    return {};
}

Host::Clock::time_point Host::Now() {
    return Clock::now();
}

void Host::SleepUntil(Clock::time_point when) {
    std::this_thread::sleep_until(when);
}

}  // namespace plat
