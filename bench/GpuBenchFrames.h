#pragma once

// BGRA pictures for the GPU pipeline's benchmarks: a camera frame in front of
// a green screen, a backdrop, and a noisy frame whose mean every reasonable
// reduction agrees on.

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace bench {

// A subject (a warm gradient disc and stripes) in front of a green screen
// whose shade varies a little, moving with `index`; rows top first.
inline std::vector<uint8_t> greenScreenFrame(int width, int height, int index) {
    std::vector<uint8_t> bgra(size_t(width) * height * 4);
    std::mt19937 grain(static_cast<unsigned>(index) + 1);
    const int centreX = width / 3 + index * width / 90;
    const int centreY = height / 2;
    const long long radius = height / 3;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &bgra[(size_t(y) * width + x) * 4];
            const long long dx = x - centreX, dy = y - centreY;
            const int noise = int(grain() % 7) - 3;
            int r, g, b;
            if (dx * dx + dy * dy < radius * radius) {
                r = 200 - y * 80 / height;
                g = 120 + ((x / 16) % 2) * 40;
                b = 60 + x * 60 / width;
            } else {
                r = 20 + y * 30 / height;
                g = 200 + x * 40 / width;
                b = 30;
            }
            p[0] = uint8_t(std::clamp(b + noise, 0, 255));
            p[1] = uint8_t(std::clamp(g + noise, 0, 255));
            p[2] = uint8_t(std::clamp(r + noise, 0, 255));
            p[3] = 255;
        }
    }
    return bgra;
}

// A blue-to-sand diagonal gradient.
inline std::vector<uint8_t> backdropFrame(int width, int height) {
    std::vector<uint8_t> bgra(size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &bgra[(size_t(y) * width + x) * 4];
            const int t = (x * 255 / width + y * 255 / height) / 2;
            p[0] = uint8_t(160 - t * 70 / 255);
            p[1] = uint8_t(80 + t * 100 / 255);
            p[2] = uint8_t(30 + t * 190 / 255);
            p[3] = 255;
        }
    }
    return bgra;
}

// Independent noise per pixel and channel, each channel over its own range,
// so any weighting that spreads over the whole frame gives the plain mean.
inline std::vector<uint8_t> noiseFrame(int width, int height) {
    std::vector<uint8_t> bgra(size_t(width) * height * 4);
    std::mt19937 random(11);
    for (size_t i = 0; i < bgra.size(); i += 4) {
        bgra[i + 0] = uint8_t(64 + random() % 192);  // blue 64..255
        bgra[i + 1] = uint8_t(random() % 129);       // green 0..128
        bgra[i + 2] = uint8_t(random() % 256);       // red 0..255
        bgra[i + 3] = 255;
    }
    return bgra;
}

}  // namespace bench
