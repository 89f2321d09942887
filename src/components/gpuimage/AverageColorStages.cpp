#include "components/gpuimage/AverageColorStages.h"

#include <algorithm>

namespace gpuimage {

namespace {

// ⌊log4 n⌋ in integers, so that exact powers of four (64 → 3) are not lost
// to floating-point rounding of ln n / ln 4.
int wholeQuarterings(int n) {
    int count = 0;
    for (long long power = 4; power <= n; power *= 4) ++count;
    return count;
}

}  // namespace

std::vector<StageSize> averageColorStageSizes(int inputWidth, int inputHeight) {
    std::vector<StageSize> stages;
    if (inputWidth <= 0 || inputHeight <= 0) return stages;
    const int most = std::min(wholeQuarterings(inputWidth), wholeQuarterings(inputHeight));
    long long divisor = 4;
    for (int stage = 0; stage < most; ++stage, divisor *= 4) {
        const StageSize size{static_cast<int>(inputWidth / divisor), static_cast<int>(inputHeight / divisor)};
        if (size.width < 2 || size.height < 2) break;
        stages.push_back(size);
    }
    return stages;
}

float averageColorTapOffset(int stageExtent, bool reduces) {
    if (!reduces || stageExtent <= 0) return 0.0f;
    return 0.25f / static_cast<float>(stageExtent);
}

std::array<double, 4> meanOfRgbaPixels(const uint8_t* rgba, size_t pixelCount) {
    std::array<double, 4> mean{};
    if (pixelCount == 0) return mean;
    std::array<uint64_t, 4> sums{};
    for (size_t pixel = 0; pixel < pixelCount; ++pixel)
        for (size_t channel = 0; channel < 4; ++channel) sums[channel] += rgba[pixel * 4 + channel];
    for (size_t channel = 0; channel < 4; ++channel)
        mean[channel] = static_cast<double>(sums[channel]) / static_cast<double>(pixelCount) / 255.0;
    return mean;
}

}  // namespace gpuimage
