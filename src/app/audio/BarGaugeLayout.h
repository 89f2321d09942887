#pragma once

// The arithmetic of a bar gauge (a row or column of separate bars, like an
// LED level meter), apart from the view: which bars a value lights, where
// the zones begin, and where each bar stands.

#include "platform/graphics/Geometry.h"

#include <cstdint>

// The first lit bar: 0 when the value reaches the minimum, else `numBars`
// (nothing lit).
int32_t barGaugeOnIndex(float value, float minLimit, int32_t numBars);
// One past the last lit bar: (value - min) / (max - min) × numBars cut toward
// zero, kept within the 32-bit range.
int32_t barGaugeOffIndex(float value, float minLimit, float maxLimit, int32_t numBars);
// The bar where a zone begins: threshold × numBars cut toward zero; -1 for
// a threshold of 0 or less (no such zone).
int32_t barGaugeZoneIndex(float threshold, int32_t numBars);

struct BarGaugeGeometry {
    // Vertical when the bounds are at least as high as they are wide.
    bool vertical = true;
    // Whole points from one bar to the next.
    double step = 0;
    // The part of the bounds the bars fill; the rest stays empty.
    graphics::Rect gaugeArea;
    graphics::Size barSize;
};

BarGaugeGeometry barGaugeGeometry(const graphics::Rect& bounds, int32_t numBars);
// Bar `index`'s rectangle: bar 0 at the bottom (vertical) or left
// (horizontal), or at the top (right) when reversed.
graphics::Rect barGaugeBarRect(const BarGaugeGeometry& geometry, int32_t index, bool reverse);
