#pragma once

// The four table-free movie effects: grey, sepia, colour swap and x-ray.

#include "app/core/effects/RGBFilter.h"

class GrayscaleFilter : public RGBFilter {
public:
    GrayscaleFilter() = default;
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, graphics::Size size,
                       graphics::Rect scaleRect) override;
};

class SepiaFilter : public RGBFilter {
public:
    SepiaFilter() = default;
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) override;
    // The copying operations tint with their own, stronger offsets and the
    // usual luminance weights; only the in-place rule is used for movies.
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, graphics::Size size,
                       graphics::Rect scaleRect) override;
};

class ColorChangeFilter : public RGBFilter {
public:
    ColorChangeFilter() = default;
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, graphics::Size size,
                       graphics::Rect scaleRect) override;
};

class XRayFilter : public RGBFilter {
public:
    XRayFilter() = default;
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, graphics::Size size,
                       graphics::Rect scaleRect) override;
};
