#pragma once

// A rendered movie read back: its decoded pictures and how near they are
// to the pictures that were encoded.

#include "platform/graphics/Image.h"
#include "support/TestSounds.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace rendertest {

// The movie's pictures as 8-bit RGB, decoded by ffmpeg.
inline std::vector<std::string> decodedPictures(const std::string& movie, int width, int height) {
    const std::string raw = testsupport::ffmpegOutput({"-i", movie, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    const size_t size = size_t(width) * size_t(height) * 3;
    std::vector<std::string> pictures;
    for (size_t at = 0; at + size <= raw.size(); at += size) pictures.push_back(raw.substr(at, size));
    return pictures;
}

// Peak signal-to-noise ratio (dB) of a decoded RGB picture against the picture that was encoded.
inline double psnr(const std::string& decoded, const graphics::Image& reference) {
    const QImage bitmap = reference.bitmap().convertToFormat(QImage::Format_RGB888);
    double squared = 0;
    const int width = bitmap.width(), height = bitmap.height();
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bitmap.constScanLine(y);
        for (int x = 0; x < width * 3; ++x) {
            const double d = double(uint8_t(decoded[size_t(y) * width * 3 + x])) - row[x];
            squared += d * d;
        }
    }
    const double mse = squared / (double(width) * height * 3);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace rendertest
