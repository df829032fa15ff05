// screen_check.cpp -- judges screenshots of the intro taken while it runs: were black and white flashes seen, and
// the zoomed picture at several sizes (or, without a picture, nothing but the flashes)?
//
//   screen_check --picture [--sizes N] SHOT.bmp...   black and white flashes and at least N (default 3) picture sizes
//   screen_check --flash-only SHOT.bmp...            black and white flashes and no other colour anywhere
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "screen_classes.h"

namespace {

enum ExitCode { kSeen = 0, kNotSeen = 1, kUsage = 2 };

struct Options {
    bool flashOnly = false;
    std::size_t sizes = 3;
    std::vector<std::string> shots;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    bool modeGiven = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--picture") == 0 || std::strcmp(argv[i], "--flash-only") == 0) {
            options.flashOnly = std::strcmp(argv[i], "--flash-only") == 0;
            modeGiven = true;
        } else if (std::strcmp(argv[i], "--sizes") == 0 && i + 1 < argc) {
            options.sizes = static_cast<std::size_t>(std::atoi(argv[++i]));
        } else {
            options.shots.emplace_back(argv[i]);
        }
    }
    return modeGiven && !options.shots.empty();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: screen_check --picture [--sizes N] | --flash-only SHOT.bmp...\n");
        return kUsage;
    }
    int blackFlashes = 0;
    int whiteFlashes = 0;
    int otherColourShots = 0;
    std::set<std::uint64_t> pictures;
    for (const std::string& path : options.shots) {
        const std::optional<RgbImage> shot = ReadBmp(path);
        if (!shot) {
            std::fprintf(stderr, "screen_check: %s is not a 24- or 32-bit BMP\n", path.c_str());
            return kUsage;
        }
        const ScreenContent content = ClassifyScreen(*shot);
        blackFlashes += content.border == Border::Black ? 1 : 0;
        whiteFlashes += content.border == Border::White ? 1 : 0;
        otherColourShots += content.onlyBlackAndWhite ? 0 : 1;
        if (content.pictureColourPixels > 0) {
            pictures.insert(content.pictureHash);
        }
        std::printf("%s: border %s, %lld picture pixels (picture %08llx), %s\n", path.c_str(),
                    BorderName(content.border), content.pictureColourPixels,
                    static_cast<unsigned long long>(content.pictureHash & 0xFFFFFFFFu),
                    content.onlyBlackAndWhite ? "black and white only" : "in colour");
    }
    std::printf("%zu screenshots: %d with a black flash, %d with a white flash, %d in colour, %zu different pictures\n",
                options.shots.size(), blackFlashes, whiteFlashes, otherColourShots, pictures.size());

    const bool flashesSeen = blackFlashes > 0 && whiteFlashes > 0;
    if (options.flashOnly) {
        if (flashesSeen && otherColourShots == 0) {
            return kSeen;
        }
        std::printf("expected black and white flashes and nothing else; got the counts above\n");
        return kNotSeen;
    }
    if (flashesSeen && pictures.size() >= options.sizes) {
        return kSeen;
    }
    std::printf("expected black and white flashes and at least %zu picture sizes; got the counts above\n",
                options.sizes);
    return kNotSeen;
}
