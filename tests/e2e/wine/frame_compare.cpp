// frame_compare.cpp -- compares two sets of frame-NNNN.bmp files pixel by pixel and prints, per frame and overall,
// the fraction of pixels that differ; fails when a frame, or all of them together, differ by more than the bound.
//
//   frame_compare --bound FRACTION --frames N EXPECTED_DIR ACTUAL_DIR
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "frame_difference.h"

namespace {

enum ExitCode { kWithinBound = 0, kAboveBound = 1, kUsage = 2 };

std::string FramePath(const std::string& directory, int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%04d.bmp", frame);
    return directory + name;
}

}  // namespace

int main(int argc, char** argv) {
    double bound = -1.0;
    int frames = 0;
    std::string expectedDir;
    std::string actualDir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--bound") == 0 && i + 1 < argc) {
            bound = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            frames = std::atoi(argv[++i]);
        } else if (expectedDir.empty()) {
            expectedDir = argv[i];
        } else {
            actualDir = argv[i];
        }
    }
    if (bound < 0.0 || frames < 1 || actualDir.empty()) {
        std::fprintf(stderr, "usage: frame_compare --bound FRACTION --frames N EXPECTED_DIR ACTUAL_DIR\n");
        return kUsage;
    }

    long long differing = 0;
    long long total = 0;
    bool withinBound = true;
    for (int frame = 1; frame <= frames; ++frame) {
        const std::optional<RgbImage> expected = ReadBmp(FramePath(expectedDir, frame));
        const std::optional<RgbImage> actual = ReadBmp(FramePath(actualDir, frame));
        if (!expected || !actual) {
            std::printf("frame %d: missing or unreadable in %s\n", frame,
                        !expected ? expectedDir.c_str() : actualDir.c_str());
            return kAboveBound;
        }
        const FrameDifference difference = CompareFrames(*expected, *actual);
        differing += difference.differingPixels;
        total += difference.totalPixels;
        withinBound = withinBound && difference.Fraction() <= bound;
        std::printf("frame %2d: %lld of %lld pixels differ (%.6f)", frame, difference.differingPixels,
                    difference.totalPixels, difference.Fraction());
        if (difference.differingPixels > 0) {
            std::printf(", largest channel step %d, first at (%d, %d): expected %06X, got %06X",
                        difference.largestChannelStep, difference.firstX, difference.firstY,
                        static_cast<unsigned>(difference.firstExpected), static_cast<unsigned>(difference.firstActual));
        }
        std::printf("\n");
    }
    const double overall = total == 0 ? 0.0 : static_cast<double>(differing) / total;
    withinBound = withinBound && overall <= bound;
    std::printf("overall: %lld of %lld pixels differ (%.6f); bound %.6f per frame and overall: %s\n", differing, total,
                overall, bound, withinBound ? "within" : "ABOVE");
    return withinBound ? kWithinBound : kAboveBound;
}
