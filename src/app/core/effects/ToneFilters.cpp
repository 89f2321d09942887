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

void GrayscaleFilter::processFilter(uint8_t* p, int32_t w, int32_t h) { applyInPlace(p, w, h, grayscale); }
void GrayscaleFilter::processFilter(const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
    applyCopy(s, d, w, h, grayscale);
}
void GrayscaleFilter::processFilter(const uint8_t* s, uint8_t* d, graphics::Size z, graphics::Rect r) {
    applyScaled(s, d, z, r, grayscale);
}

void SepiaFilter::processFilter(uint8_t* p, int32_t w, int32_t h) { applyInPlace(p, w, h, sepiaInPlace); }
void SepiaFilter::processFilter(const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
    applyCopy(s, d, w, h, sepiaCopy);
}
void SepiaFilter::processFilter(const uint8_t* s, uint8_t* d, graphics::Size z, graphics::Rect r) {
    applyScaled(s, d, z, r, sepiaScaled);
}

void ColorChangeFilter::processFilter(uint8_t* p, int32_t w, int32_t h) { applyInPlace(p, w, h, swapRedBlue); }
void ColorChangeFilter::processFilter(const uint8_t* s, uint8_t* d, int32_t w, int32_t h) {
    applyCopy(s, d, w, h, swapRedBlue);
}
void ColorChangeFilter::processFilter(const uint8_t* s, uint8_t* d, graphics::Size z, graphics::Rect r) {
    applyScaled(s, d, z, r, swapRedBlue);
}

void XRayFilter::processFilter(uint8_t* p, int32_t w, int32_t h) { applyInPlace(p, w, h, xray); }
void XRayFilter::processFilter(const uint8_t* s, uint8_t* d, int32_t w, int32_t h) { applyCopy(s, d, w, h, xray); }
void XRayFilter::processFilter(const uint8_t* s, uint8_t* d, graphics::Size z, graphics::Rect r) {
    applyScaled(s, d, z, r, xray);
}
