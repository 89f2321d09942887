#include "app/core/effects/DitherFilter.h"

DitherFilter::DitherFilter() {
    map.resize(size_t(levels));
    for (int32_t k = 0; k < levels; ++k) map[size_t(k)] = uint32_t(255 * k) / uint32_t(levels - 1);
    const uint32_t cells = uint32_t(rows * cols + 1);
    for (uint32_t v = 0; v < 256; ++v) {
        div[v] = (uint32_t(levels - 1) * v) / 256;
        mod[v] = (v * cells) / 256;
    }
}

uint8_t DitherFilter::ditherValue(uint32_t value, uint32_t x, uint32_t y) const {
    const int32_t threshold = matrix[size_t((y % uint32_t(rows)) * uint32_t(cols) + (x % uint32_t(cols)))];
    const uint32_t level = div[value] + (int64_t(mod[value]) > threshold ? 1 : 0);
    return uint8_t(map[level]);
}

void DitherFilter::apply(const uint8_t* in, uint8_t* out, uint32_t x, uint32_t y) const {
    if (colorDither) {
        const uint8_t b0 = in[0], b1 = in[1], b2 = in[2];
        out[0] = ditherValue(b0, x, y);
        out[1] = ditherValue(b1, x, y);
        out[2] = ditherValue(b2, x, y);
        return;
    }
    const uint32_t a = (uint32_t(in[0]) + in[1] + in[2]) / 3;
    out[0] = out[1] = out[2] = ditherValue(a, x, y);
}
