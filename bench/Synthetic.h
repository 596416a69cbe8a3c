// Pictures the benchmark makes itself, with fixed seeds so that every run
// measures the same bytes. Each comes back encoded by our own encoder.
#pragma once

#include <cstdint>
#include <vector>

namespace bench {

enum class Texture { Smooth, Dithered, Noise };

// A width x height still over a 256-entry ramp.
std::vector<uint8_t> MakeStill(int width, int height, Texture texture, bool interlaced);

// `frames` frames of width x height, each a different ring pattern.
std::vector<uint8_t> MakeAnimation(int frames, int width, int height);

// A smooth still of about `megapixels` million pixels whose texture looks the
// same at every size, so that cost per pixel compares across sizes.
std::vector<uint8_t> MakeScalePicture(int megapixels);

}  // namespace bench
