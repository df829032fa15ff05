// x_session.h -- a private X server (Xvfb) for one test, its screenshots and the commands run on it, and the program
// started on it.
#pragma once

#include "picture.h"
#include "program.h"

#include <poll.h>

#include <cstdio>
#include <memory>

namespace e2e {

using systemtest::Clock;
using systemtest::Eventually;
namespace fs = std::filesystem;

// Xvfb on a display number of its choosing, ended with the object.
class XServer {
public:
    // `options` go to Xvfb after the screen's, e.g. {"-extension", "MIT-SHM"} for a server without it.
    XServer(int width, int height, const std::vector<std::string>& options = {}) {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        // -noreset: a test's own short connections must not make the server start over while the program connects.
        std::vector<std::string> command{TAMBERLYN_XVFB, "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                         std::to_string(width) + "x" + std::to_string(height) + "x24",
                                         "-nolisten", "tcp", "-noreset"};
        command.insert(command.end(), options.begin(), options.end());
        pid_ = systemtest::Spawn(command, {}, ".", "/dev/null", fds[1]);
        close(fds[1]);
        // Xvfb writes the number and a newline once it accepts connections.
        std::string number;
        pollfd ready{fds[0], POLLIN, 0};
        for (char c = 0; poll(&ready, 1, 10000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n';) {
            number += c;
        }
        close(fds[0]);
        if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos) {
            name_ = ":" + number;
        }
    }
    ~XServer() {
        if (pid_ > 0) {
            systemtest::Kill(pid_);
        }
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // Empty if Xvfb gave no display number within 10 s.
    const std::string& Name() const { return name_; }

    // Runs a shell command with DISPLAY set to this server, at most `seconds` long; its standard output.
    std::string Run(const std::string& command, int seconds = 10) const {
        FILE* pipe = popen(("DISPLAY=" + name_ + " timeout " + std::to_string(seconds) + " " + command).c_str(), "r");
        std::string output;
        char buffer[4096];
        for (std::size_t got; pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, got);
        }
        if (pipe) {
            pclose(pipe);
        }
        return output;
    }

    // The whole screen, through ImageMagick's import; empty if that failed.
    screen::Picture Screenshot() const {
        const std::string bmp = Run(std::string(TAMBERLYN_IMPORT) + " -window root -type TrueColor BMP3:-");
        return screen::DecodeBmp(std::vector<std::uint8_t>(bmp.begin(), bmp.end())).value_or(screen::Picture{});
    }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// The program on `server`'s display, SDL choosing its video driver.
inline std::unique_ptr<systemtest::Program> StartOn(const XServer& server, std::vector<std::string> settings = {},
                                                    const std::vector<std::string>& arguments = {}) {
    settings.insert(settings.begin(), {"DISPLAY=" + server.Name(), "SDL_VIDEODRIVER="});
    return std::make_unique<systemtest::Program>(settings, arguments);
}

}  // namespace e2e
