// process_arguments.cpp -- the program's command line, as the kernel keeps it: the platform reads its options
// before main runs, when the global objects first call it.
#include "settings.h"

#include <fstream>
#include <iterator>

namespace plat {

std::vector<std::string> ProgramArguments() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = all.find('\0', start);
        arguments.push_back(all.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? all.size() : end + 1;
    }
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());  // the program's name
    }
    return arguments;
}

}  // namespace plat
