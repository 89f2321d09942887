#pragma once

// The chroma-key blend computed on the CPU in double precision, as the
// reference the GPU's output is held to: chroma distance to the key colour
// (luminance left out), a smoothstep ramp, a linear mix of camera and backdrop.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace gpuimage::testing {

struct Chroma {
    double cr, cb;
};

inline Chroma chromaOf(double r, double g, double b) {
    const double y = 0.2989 * r + 0.5866 * g + 0.1145 * b;
    return {0.7132 * (r - y), 0.5647 * (b - y)};
}

inline double chromaDistance(std::array<double, 3> colour, std::array<double, 3> key) {
    const Chroma c = chromaOf(colour[0], colour[1], colour[2]);
    const Chroma k = chromaOf(key[0], key[1], key[2]);
    return std::hypot(c.cr - k.cr, c.cb - k.cb);
}

inline double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// How much of the backdrop a camera colour shows: 1 fully, 0 not at all.
inline double backdropShare(std::array<double, 3> camera, std::array<double, 3> key, double threshold,
                            double smoothing) {
    return 1 - smoothstep(threshold, threshold + smoothing, chromaDistance(camera, key));
}

// One RGBA pixel (bytes) of the blend, unrounded, 0..255 per channel.
inline std::array<double, 4> blendPixel(const uint8_t* camera, const uint8_t* backdrop, std::array<double, 3> key,
                                        double threshold, double smoothing) {
    const double share =
        backdropShare({camera[0] / 255.0, camera[1] / 255.0, camera[2] / 255.0}, key, threshold, smoothing);
    std::array<double, 4> out{};
    for (int channel = 0; channel < 4; ++channel)
        out[channel] = camera[channel] + (backdrop[channel] - camera[channel]) * share;
    return out;
}

}  // namespace gpuimage::testing
