#pragma once

#include "app/core/effects/RGBFilter.h"

#include <array>

// Reduces each colour byte to `numLevels` evenly spaced values.
class PosterizeFilter : public RGBFilter {
public:
    // Fewer than 2 levels would divide by zero; such counts become 2. Any
    // larger count follows the one formula, even beyond 256 levels.
    explicit PosterizeFilter(int32_t numLevels);

    void processFilter(uint8_t* pixels, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, int32_t width, int32_t height) override;
    // The scaled copy keeps b0 and maps b1, b2 and b3.
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, graphics::Size size,
                       graphics::Rect scaleRect) override;

    int32_t getNumLevels() const { return numLevels; }
    uint32_t levelFor(uint8_t value) const { return levels[value]; }

private:
    int32_t numLevels;
    std::array<uint32_t, 256> levels{};
};
