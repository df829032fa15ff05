// screen_check.cpp -- the screen toolkit for shell scripts: judges screenshots of the intro, and compares two sets of
// frames pixel by pixel. Exit code 0: as expected; 1: not; 2: wrong use or unreadable files.
//
//   screen_check intro [--pictures N] SHOT.bmp...  black and white flashes, and at least N (default 3) pictures
//   screen_check flashes-only SHOT.bmp...          black and white flashes, and no other colour anywhere
//   screen_check compare --bound FRACTION --frames N EXPECTED_DIR ACTUAL_DIR
//                                                  frame-NNNN.bmp from 1 to N: at most FRACTION of pixels differ,
//                                                  in each frame and over all
#include "intro_screen.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: screen_check intro [--pictures N] SHOT.bmp... | flashes-only SHOT.bmp... |\n"
                 "       compare --bound FRACTION --frames N EXPECTED_DIR ACTUAL_DIR\n");
    return 2;
}

int JudgeIntro(bool flashesOnly, std::size_t pictures, const std::vector<std::string>& shots) {
    screen::IntroSeries series;
    for (const std::string& path : shots) {
        const std::optional<screen::Picture> shot = screen::ReadBmp(path);
        if (!shot) {
            std::fprintf(stderr, "screen_check: %s is not a 24- or 32-bit BMP\n", path.c_str());
            return 2;
        }
        const screen::IntroView view = screen::LookAtIntro(*shot);
        series.Add(view);
        std::printf("%s: %s\n", path.c_str(), view.Describe().c_str());
    }
    std::printf("%zu screenshots: %s\n", shots.size(), series.Describe().c_str());
    const bool flashes = series.black > 0 && series.white > 0;
    if (flashesOnly ? flashes && !series.coloured : flashes && series.pictures.size() >= pictures) {
        return 0;
    }
    if (flashesOnly) {
        std::printf("expected black and white flashes and nothing else\n");
    } else {
        std::printf("expected black and white flashes and at least %zu different pictures\n", pictures);
    }
    return 1;
}

int CompareFrames(double bound, int frames, const std::string& expectedDir, const std::string& actualDir) {
    long long differing = 0, total = 0;
    bool within = true;
    for (int frame = 1; frame <= frames; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%04d.bmp", frame);
        const auto expected = screen::ReadBmp(expectedDir + name), actual = screen::ReadBmp(actualDir + name);
        if (!expected || !actual) {
            std::printf("frame %d: missing or unreadable in %s\n", frame, (expected ? actualDir : expectedDir).c_str());
            return 1;
        }
        const screen::Difference difference = screen::Compare(*expected, *actual);
        differing += difference.differing;
        total += difference.total;
        within = within && difference.differing <= bound * double(difference.total);
        std::printf("frame %2d: %lld of %lld pixels differ", frame, difference.differing, difference.total);
        if (difference.x >= 0) {
            std::printf(", the first at (%d, %d): expected %06X, got %06X", difference.x, difference.y,
                        unsigned(difference.expected), unsigned(difference.actual));
        }
        std::printf("\n");
    }
    within = within && differing <= bound * double(total);
    std::printf("overall: %lld of %lld pixels differ; bound %g of them, in each frame and over all: %s\n", differing,
                total, bound, within ? "within" : "ABOVE");
    return within ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return Usage();
    }
    const std::string& command = args[0];
    if (command == "intro" || command == "flashes-only") {
        std::size_t pictures = 3;
        std::vector<std::string> shots;
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--pictures" && i + 1 < args.size()) {
                pictures = std::strtoul(args[++i].c_str(), nullptr, 10);
            } else {
                shots.push_back(args[i]);
            }
        }
        return shots.empty() ? Usage() : JudgeIntro(command == "flashes-only", pictures, shots);
    }
    if (command == "compare" && args.size() == 7 && args[1] == "--bound" && args[3] == "--frames") {
        const double bound = std::atof(args[2].c_str());
        const int frames = std::atoi(args[4].c_str());
        return bound < 0 || frames < 1 ? Usage() : CompareFrames(bound, frames, args[5], args[6]);
    }
    return Usage();
}
