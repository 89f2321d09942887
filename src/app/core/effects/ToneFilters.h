#pragma once

// The four table-free movie effects: grey, sepia, colour swap and x-ray.

#include "app/core/effects/RGBFilter.h"

// An effect that is one stateless rule for each operation (`Rules::inPlace`,
// `copy` and `scaled`, as applyCopy calls them). The operations are defined
// beside the rules, in ToneFilters.cpp, so that the rules inline.
template <class Rules>
class PixelRuleFilter : public RGBFilter {
public:
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, int32_t width, int32_t height) override;
    void processFilter(const uint8_t* source, uint8_t* m_PixelBufDest, graphics::Size size,
                       graphics::Rect scaleRect) override;
};

namespace tonerules {
struct Grayscale;
struct Sepia;
struct ColorChange;
struct XRay;
}  // namespace tonerules

class GrayscaleFilter : public PixelRuleFilter<tonerules::Grayscale> {};

// The copying operations tint with their own, stronger offsets and the usual
// luminance weights; only the in-place rule is used for movies.
class SepiaFilter : public PixelRuleFilter<tonerules::Sepia> {};

class ColorChangeFilter : public PixelRuleFilter<tonerules::ColorChange> {};

class XRayFilter : public PixelRuleFilter<tonerules::XRay> {};
