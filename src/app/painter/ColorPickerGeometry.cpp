#include "app/painter/ColorPickerGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace colorpicker {

RGB colorComponents(const graphics::Color& color) {
    double red = 0, green = 0, blue = 0;
    switch (color.space()) {
        case graphics::Color::Space::RGB:
            color.getRed(&red, &green, &blue, nullptr);
            break;
        case graphics::Color::Space::Monochrome:
            color.getWhite(&red, nullptr);
            green = blue = red;
            break;
        default:
            break;
    }
    return {static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue)};
}

HSV rgbToHsv(RGB rgb) {
    const float min = std::min({rgb.r, rgb.g, rgb.b});
    const float max = std::max({rgb.r, rgb.g, rgb.b});
    HSV hsv;
    hsv.v = max;
    if (max == min) return hsv;
    float k = 1, d = rgb.r - rgb.g;
    if (min == rgb.r) {
        k = 3, d = rgb.g - rgb.b;
    } else if (min == rgb.g) {
        k = 5, d = rgb.b - rgb.r;
    }
    hsv.h = (k - d / (max - min)) / 6.0f;
    hsv.s = (max - min) / max;
    return hsv;
}

HueSaturation wheelHueSaturationAt(graphics::Point point, graphics::Size picture) {
    const double cx = picture.width / 2, cy = picture.height / 2, radius = picture.width / 2;
    const double dx = std::fabs(point.x - cx), dy = std::fabs(point.y - cy);
    double angle = std::atan(dy / dx);
    if (std::isnan(angle)) angle = 0;  // the centre itself
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (point.x < cx) angle = std::numbers::pi - angle;
    if (point.y > cy) angle = 2 * std::numbers::pi - angle;
    HueSaturation result;
    result.hue = static_cast<float>(angle / (2 * std::numbers::pi));
    result.saturation =
        distance < kWheelGreyRadius || radius <= 0 ? 0.0f : static_cast<float>(std::min(distance / radius, 1.0));
    return result;
}

graphics::Point wheelKnobCenter(float hue, float saturation, graphics::Size picture, graphics::Size knob,
                                graphics::Point origin) {
    const double r = (picture.width / 2 - 3) * saturation;
    const double angle = 2 * std::numbers::pi * hue;
    double x = picture.width / 2 + std::cos(angle) * r;
    double y = picture.height / 2 - std::sin(angle) * r;
    x = std::round(x - knob.width / 2) + knob.width / 2;
    y = std::round(y - knob.height / 2) + knob.height / 2;
    return {x + origin.x, y + origin.y};
}

graphics::Point unitSliderKnobCenter(double value, bool horizontal, graphics::Size bounds, graphics::Size knob) {
    const double span = (horizontal ? bounds.width : bounds.height) - 2 * kSliderEndMargin;
    if (horizontal) {
        return {std::round((1 - value) * span - knob.width / 2) + knob.width / 2 + kSliderEndMargin,
                std::round((bounds.height - knob.height) / 2) + knob.height / 2};
    }
    return {std::round((bounds.width - knob.width) / 2) + knob.width / 2,
            std::round((1 - value) * span - knob.height / 2) + knob.height / 2 + kSliderEndMargin};
}

double unitSliderValueAt(graphics::Point point, bool horizontal, graphics::Size bounds) {
    const double span = (horizontal ? bounds.width : bounds.height) - 2 * kSliderEndMargin;
    if (span <= 0) return 0;
    const double along = horizontal ? point.x : point.y;
    return 1 - (along - kSliderEndMargin) / span;
}

}  // namespace colorpicker
