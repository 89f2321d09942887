#pragma once

// The arithmetic of the average-colour reduction, apart from GL: the sizes of
// the reduction stages, the sampling offset that makes each stage pixel the
// mean of a 4 × 4 block of its source, and the mean of read-back pixels.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gpuimage {

struct StageSize {
    int width = 0;
    int height = 0;
    bool operator==(const StageSize&) const = default;
};

// Each stage a quarter of the input in width and height, always computed
// from the input (W / 4^(i+1), rounded down), ending before a side would drop
// below 2. A 1920 × 1080 input gives 480 × 270, 120 × 67, 30 × 16 and 7 × 4.
// An input under 8 pixels on a side gives no stage: it is averaged directly.
std::vector<StageSize> averageColorStageSizes(int inputWidth, int inputHeight);

// The offset of the four bilinear taps from a stage pixel's centre, in
// texture coordinates of the source, per axis: one source texel (a quarter of
// a stage pixel). The taps then fall between texels 0 and 1 and between 2
// and 3 of each block of four, so the four taps weigh all sixteen texels
// equally. A stage of the input's own size (no reduction) samples its centre.
float averageColorTapOffset(int stageExtent, bool reduces);

// Mean of each channel of `pixelCount` RGBA bytes, 0..1 (red, green, blue,
// alpha). No pixels give zeros.
std::array<double, 4> meanOfRgbaPixels(const uint8_t* rgba, size_t pixelCount);

}  // namespace gpuimage
