#include "app/core/effects/ToneFilters.h"

namespace {

uint8_t raised(uint32_t value, uint32_t by) { return value + by > 255 ? 255 : uint8_t(value + by); }
uint8_t lowered(uint32_t value, uint32_t by) { return value > by ? uint8_t(value - by) : 0; }

// Brightness with b2 weighed as red and b0 as blue.
uint32_t luminance(const uint8_t* in) {
    return (uint32_t(in[2]) * 77 + uint32_t(in[1]) * 151 + uint32_t(in[0]) * 28) >> 8;
}

// Sepia from a brightness: `warm` raised by `lift`, `middle` by half of it,
// `cool` lowered by `drop`.
void tint(uint32_t g, uint8_t& warm, uint8_t& middle, uint8_t& cool, uint32_t lift, uint32_t drop) {
    warm = raised(g, lift);
    middle = raised(g, lift / 2);
    cool = lowered(g, drop);
}

void grayscale(const uint8_t* in, uint8_t* out, uint32_t, uint32_t) {
    out[0] = out[1] = out[2] = uint8_t(luminance(in));
}

// The in-place sepia weighs b0 with the larger factor, the opposite of the
// grey rule, and warms b0 rather than b2; kept so that movies look as they
// always have.
void sepiaInPlace(const uint8_t* in, uint8_t* out, uint32_t, uint32_t) {
    const uint32_t g = (uint32_t(in[2]) * 28 + uint32_t(in[1]) * 151 + uint32_t(in[0]) * 77) >> 8;
    tint(g, out[0], out[1], out[2], 40, 30);
}

void sepiaCopy(const uint8_t* in, uint8_t* out, uint32_t, uint32_t) {
    tint(luminance(in), out[2], out[1], out[0], 60, 50);
}

void sepiaScaled(const uint8_t* in, uint8_t* out, uint32_t, uint32_t) {
    tint(luminance(in), out[2], out[1], out[0], 40, 30);
}

void swapRedBlue(const uint8_t* in, uint8_t* out, uint32_t, uint32_t) {
    const uint8_t b0 = in[0], b1 = in[1], b2 = in[2];
    out[0] = b2;
    out[1] = b1;
    out[2] = b0;
}

void xray(const uint8_t* in, uint8_t* out, uint32_t, uint32_t) {
    const uint32_t v = ((255u - in[2]) * 77 + (255u - in[1]) * 151 + (255u - in[0]) * 28) >> 8;
    out[2] = lowered(v, 20);
    out[1] = out[0] = raised(v, 20);
}

}  // namespace

namespace tonerules {
// Most effects use one rule for all three operations.
template <auto rule>
struct OneRule {
    static constexpr auto inPlace = rule, copy = rule, scaled = rule;
};
struct Grayscale : OneRule<grayscale> {};
struct Sepia {
    static constexpr auto inPlace = sepiaInPlace, copy = sepiaCopy, scaled = sepiaScaled;
};
struct ColorChange : OneRule<swapRedBlue> {};
struct XRay : OneRule<xray> {};
}  // namespace tonerules

template <class Rules>
void PixelRuleFilter<Rules>::processFilter(uint8_t* pixels, int32_t width, int32_t height) {
    applyInPlace(pixels, width, height, Rules::inPlace);
}

template <class Rules>
void PixelRuleFilter<Rules>::processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) {
    applyCopy(source, dest, width, height, Rules::copy);
}

template <class Rules>
void PixelRuleFilter<Rules>::processFilter(const uint8_t* source, uint8_t* dest, graphics::Size size,
                                           graphics::Rect scaleRect) {
    applyScaled(source, dest, size, scaleRect, Rules::scaled);
}

template class PixelRuleFilter<tonerules::Grayscale>;
template class PixelRuleFilter<tonerules::Sepia>;
template class PixelRuleFilter<tonerules::ColorChange>;
template class PixelRuleFilter<tonerules::XRay>;
