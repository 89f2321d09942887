#pragma once

// The arithmetic of the colour picker, apart from its views: colour
// components, RGB to HSV, the wheel's point-to-colour mapping and knob
// placement, and the unit slider's value-to-point mapping both ways.

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

namespace colorpicker {

// The wheel picture's side, the margin of the sliders' value range at either
// end and the radius around the wheel's centre that means no saturation.
inline constexpr double kWheelSide = 165;
inline constexpr double kSliderEndMargin = 20;
inline constexpr double kWheelGreyRadius = 10;

struct HSV {
    float h = 0, s = 0, v = 0;
};

struct RGB {
    float r = 0, g = 0, b = 0;
};

// Red, green and blue as the colour holds them: an RGB colour as it stands,
// a grey colour its white three times, any other kind (a pattern) black.
RGB colorComponents(const graphics::Color& color);

// Hue, saturation and value, each 0 to 1, in single precision. Pure red
// gives hue 1.0, not 0: the formula reaches red from the magenta side.
HSV rgbToHsv(RGB rgb);

// Hue and saturation at a point of the wheel picture (its coordinates, y
// down): hue counter-clockwise from the right-hand side, saturation by
// distance from the centre, none within kWheelGreyRadius, at most 1.
struct HueSaturation {
    float hue = 0;
    float saturation = 0;
};
HueSaturation wheelHueSaturationAt(graphics::Point point, graphics::Size picture);

// The centre of the wheel's knob for hue and saturation, with the knob's
// edges on whole points, in the wheel's coordinates (the picture at `origin`).
graphics::Point wheelKnobCenter(float hue, float saturation, graphics::Size picture, graphics::Size knob,
                                graphics::Point origin);

// The centre of a unit slider's knob for a value in 0 to 1 (1.0 at the top,
// or at the left of a horizontal slider, kSliderEndMargin from the end).
graphics::Point unitSliderKnobCenter(double value, bool horizontal, graphics::Size bounds, graphics::Size knob);

// The value at a point of the slider, not yet limited to 0 to 1.
double unitSliderValueAt(graphics::Point point, bool horizontal, graphics::Size bounds);

}  // namespace colorpicker
