// flash_limiter.cpp -- measuring brightness by parts of the picture, and holding a picture back while the screen
// has just changed brightness.
#include "flash_limiter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace plat {
namespace {

constexpr int kCells = 6;       // cells across and down, each a sixth of the picture
constexpr int kSampleStep = 4;  // every fourth pixel across and down is enough to measure an area
constexpr float kFlashChange = 0.1f;
constexpr float kDarkerBelow = 0.8f;
constexpr auto kLeastBetweenChanges = std::chrono::milliseconds(200);

// sRGB channel values 0..255 in linear light.
const std::array<float, 256>& LinearChannel() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> linear{};
        for (int value = 0; value < 256; ++value) {
            const double c = value / 255.0;
            linear[std::size_t(value)] =
                static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return linear;
    }();
    return table;
}

}  // namespace

Luminance MeasureLuminance(const Canvas& picture) {
    const std::array<float, 256>& linear = LinearChannel();
    Luminance luminance;
    luminance.columns = (picture.Width() + kSampleStep - 1) / kSampleStep;
    luminance.rows = (picture.Height() + kSampleStep - 1) / kSampleStep;
    luminance.samples.reserve(std::size_t(luminance.columns) * std::size_t(luminance.rows));
    for (int y = 0; y < picture.Height(); y += kSampleStep) {
        for (int x = 0; x < picture.Width(); x += kSampleStep) {
            const COLORREF color = picture.PixelColor(picture.ReadPixel(x, y));
            luminance.samples.push_back(0.2126f * linear[GetRValue(color)] + 0.7152f * linear[GetGValue(color)] +
                                        0.0722f * linear[GetBValue(color)]);
        }
    }
    return luminance;
}

bool IsFlashChange(const Luminance& before, const Luminance& after) {
    if (before.columns != after.columns || before.rows != after.rows) {
        return true;
    }
    // Changed samples counted in cells of a sixth of the picture each way; a part a third each way is 2 x 2 cells.
    std::array<int, kCells * kCells> changed{};
    std::array<int, kCells * kCells> counted{};
    for (int y = 0; y < after.rows; ++y) {
        for (int x = 0; x < after.columns; ++x) {
            const std::size_t at = std::size_t(y) * std::size_t(after.columns) + std::size_t(x);
            const float from = before.samples[at], to = after.samples[at];
            const std::size_t cell = std::size_t(y * kCells / after.rows * kCells + x * kCells / after.columns);
            changed[cell] += std::fabs(to - from) >= kFlashChange && std::min(from, to) < kDarkerBelow;
            ++counted[cell];
        }
    }
    for (int top = 0; top + 1 < kCells; ++top) {
        for (int left = 0; left + 1 < kCells; ++left) {
            int partChanged = 0, partCounted = 0;
            for (const int cell : {top * kCells + left, top * kCells + left + 1, (top + 1) * kCells + left,
                                   (top + 1) * kCells + left + 1}) {
                partChanged += changed[std::size_t(cell)];
                partCounted += counted[std::size_t(cell)];
            }
            if (partCounted > 0 && 4 * partChanged >= partCounted) {
                return true;
            }
        }
    }
    return false;
}

const Canvas& FlashLimiter::Filter(const Canvas& frame, Host::Clock::time_point now) {
    Luminance luminance = MeasureLuminance(frame);
    const bool sameSize = presented_ && presented_->Width() == frame.Width() &&
                          presented_->Height() == frame.Height() && presented_->Layout() == frame.Layout();
    if (sameSize && IsFlashChange(presentedLuminance_, luminance)) {
        if (now - lastChange_ < kLeastBetweenChanges) {
            return *presented_;
        }
        lastChange_ = now;
    }
    if (!sameSize) {
        presented_ = std::make_unique<Canvas>(frame.Width(), frame.Height(), frame.Layout(), &frame.Colors());
        lastChange_ = now;  // a first picture counts as a change of brightness
        if (!presented_->Valid()) {
            presented_.reset();
            return frame;
        }
    }
    std::memcpy(presented_->Bits(), frame.Bits(), std::size_t(frame.Pitch()) * std::size_t(frame.Height()));
    presentedLuminance_ = std::move(luminance);
    return *presented_;
}

}  // namespace plat
