#include "app/core/effects/PosterizeFilter.h"

#include <algorithm>

PosterizeFilter::PosterizeFilter(int32_t requested) : numLevels(std::max(requested, 2)) {
    // In 64 bits the products cannot overflow for any level count, and every
    // level stays within 0...255: t < n - 1 once n exceeds 256.
    const uint64_t n = uint64_t(numLevels);
    for (uint64_t v = 0; v < 256; ++v) {
        const uint64_t t = (n * v) / 256;
        levels[v] = uint32_t((t * 255) / (n - 1));
    }
}

void PosterizeFilter::processFilter(uint8_t* p, int32_t w, int32_t h) { processFilter(p, p, w, h); }

void PosterizeFilter::processFilter(const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
    applyCopy(s, d, w, h, [this](const uint8_t* in, uint8_t* out, uint32_t, uint32_t) {
        const uint8_t b0 = in[0], b1 = in[1], b2 = in[2];
        out[0] = uint8_t(levels[b0]);
        out[1] = uint8_t(levels[b1]);
        out[2] = uint8_t(levels[b2]);
    });
}

void PosterizeFilter::processFilter(const uint8_t* s, uint8_t* d, graphics::Size z, graphics::Rect r) {
    applyScaled(s, d, z, r, [this](const uint8_t* in, uint8_t* out, uint32_t, uint32_t) {
        const uint8_t b0 = in[0], b1 = in[1], b2 = in[2], b3 = in[3];
        out[0] = b0;
        out[1] = uint8_t(levels[b1]);
        out[2] = uint8_t(levels[b2]);
        out[3] = uint8_t(levels[b3]);
    });
}
