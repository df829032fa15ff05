// flash_limiter.h -- the reduced-flashing mode: what reaches the screen changes its brightness at most five times
// a second (two and a half flashes, under the three of WCAG 2.3.1), whatever the program's frames do.
#pragma once

#include "canvas.h"
#include "host.h"

#include <memory>
#include <vector>

namespace plat {

// The relative luminance (0 to 1, as WCAG defines it) of every fourth pixel across and down a picture.
struct Luminance {
    int columns = 0;
    int rows = 0;
    std::vector<float> samples;  // row by row
};
Luminance MeasureLuminance(const Canvas& picture);

// True if going from `before` to `after` is half a general flash: in some part of the picture a third of its width
// and height (about ten degrees of view at full screen), a quarter or more of the pixels change their relative
// luminance by a tenth of the whole range or more, the darker of the two below 0.8.
bool IsFlashChange(const Luminance& before, const Luminance& after);

// Chooses, frame by frame, what to present: the program's frame, or the picture presented last when showing the
// frame now would change the brightness sooner than 200 ms after the last change.
class FlashLimiter {
public:
    // The picture to present for `frame`, shown at `now`; valid until the next call.
    const Canvas& Filter(const Canvas& frame, Host::Clock::time_point now);

private:
    std::unique_ptr<Canvas> presented_;  // a copy of the last picture presented
    Luminance presentedLuminance_;
    Host::Clock::time_point lastChange_{};
};

}  // namespace plat
