// x_nearest_transform.h -- scaling the picture on the X server so that it shows the pixels our own scaling shows.
#pragma once

#include <pixman.h>

#include <optional>

namespace plat {

// The transform from the pixels of a `width` x `height` rectangle to those of a `sourceWidth` x `sourceHeight`
// picture under which pixman's nearest filter (what an X server's RENDER extension scales with on the processor)
// puts in every pixel the source pixel our own nearest scaling puts there (NearestSource). None where no scale
// in 16.16 fixed point does, which is so for many sizes that share few factors with the picture's.
std::optional<pixman_transform_t> ExactNearestTransform(int sourceWidth, int sourceHeight, int width, int height);

}  // namespace plat
