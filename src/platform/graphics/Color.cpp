#include "platform/graphics/Color.h"

#include "platform/graphics/Image.h"

#include <QColor>
#include <algorithm>
#include <cmath>

namespace graphics {

namespace {

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

}  // namespace

Color::Color() = default;

Color Color::rgb(double red, double green, double blue, double alpha) {
    Color color;
    color.space_ = Space::RGB;
    color.c0_ = red;
    color.c1_ = green;
    color.c2_ = blue;
    color.alpha_ = alpha;
    return color;
}

Color Color::grey(double white, double alpha) {
    Color color;
    color.space_ = Space::Monochrome;
    color.c0_ = white;
    color.alpha_ = alpha;
    return color;
}

Color Color::hsb(double hue, double saturation, double brightness, double alpha) {
    double h = hue - std::floor(hue);  // hue wraps: 1.0 is red again
    double s = clamp01(saturation);
    double v = clamp01(brightness);
    double sector = h * 6.0;
    int i = static_cast<int>(std::floor(sector)) % 6;
    double f = sector - std::floor(sector);
    double p = v * (1 - s);
    double q = v * (1 - s * f);
    double t = v * (1 - s * (1 - f));
    switch (i) {
        case 0:
            return rgb(v, t, p, alpha);
        case 1:
            return rgb(q, v, p, alpha);
        case 2:
            return rgb(p, v, t, alpha);
        case 3:
            return rgb(p, q, v, alpha);
        case 4:
            return rgb(t, p, v, alpha);
        default:
            return rgb(v, p, q, alpha);
    }
}

Color Color::rgb8(int red, int green, int blue, int alpha) {
    return rgb(red / 255.0, green / 255.0, blue / 255.0, alpha / 255.0);
}

Color Color::pattern(const Image& image) {
    Color color;
    color.space_ = Space::Pattern;
    color.pattern_ = std::make_shared<const Image>(image);
    return color;
}

Color Color::fromQColor(const QColor& color) {
    QColor c = color.toRgb();
    return rgb(c.redF(), c.greenF(), c.blueF(), c.alphaF());
}

bool Color::getRed(double* red, double* green, double* blue, double* alpha) const {
    auto c = rgba();
    if (!c) return false;
    if (red) *red = c->red;
    if (green) *green = c->green;
    if (blue) *blue = c->blue;
    if (alpha) *alpha = c->alpha;
    return true;
}

bool Color::getHue(double* hue, double* saturation, double* brightness, double* alpha) const {
    auto c = hsba();
    if (!c) return false;
    if (hue) *hue = c->hue;
    if (saturation) *saturation = c->saturation;
    if (brightness) *brightness = c->brightness;
    if (alpha) *alpha = c->alpha;
    return true;
}

bool Color::getWhite(double* white, double* alpha) const {
    if (space_ != Space::Monochrome) return false;
    if (white) *white = c0_;
    if (alpha) *alpha = alpha_;
    return true;
}

std::optional<RGBAComponents> Color::rgba() const {
    switch (space_) {
        case Space::Monochrome:
            return RGBAComponents{c0_, c0_, c0_, alpha_};
        case Space::RGB:
            return RGBAComponents{c0_, c1_, c2_, alpha_};
        case Space::Pattern:
            break;
    }
    return std::nullopt;
}

std::optional<HSBAComponents> Color::hsba() const {
    auto c = rgba();
    if (!c) return std::nullopt;
    double r = c->red, g = c->green, b = c->blue;
    double max = std::max({r, g, b});
    double min = std::min({r, g, b});
    double delta = max - min;
    HSBAComponents out;
    out.brightness = max;
    out.saturation = max > 0 ? delta / max : 0;
    out.alpha = c->alpha;
    if (delta > 0) {
        double h;
        if (max == r)
            h = (g - b) / delta;
        else if (max == g)
            h = 2 + (b - r) / delta;
        else
            h = 4 + (r - g) / delta;
        h /= 6;
        if (h < 0) h += 1;
        out.hue = h;
    }
    return out;
}

Color Color::withAlpha(double alpha) const {
    Color copy = *this;
    copy.alpha_ = alpha;
    return copy;
}

QColor Color::toQColor() const {
    auto c = rgba();
    if (!c) return QColor::fromRgbF(0, 0, 0, static_cast<float>(clamp01(alpha_)));
    return QColor::fromRgbF(static_cast<float>(clamp01(c->red)), static_cast<float>(clamp01(c->green)),
                            static_cast<float>(clamp01(c->blue)), static_cast<float>(clamp01(c->alpha)));
}

bool Color::operator==(const Color& other) const {
    if (space_ != other.space_ || alpha_ != other.alpha_) return false;
    switch (space_) {
        case Space::Monochrome:
            return c0_ == other.c0_;
        case Space::RGB:
            return c0_ == other.c0_ && c1_ == other.c1_ && c2_ == other.c2_;
        case Space::Pattern:
            return pattern_ == other.pattern_;
    }
    return false;
}

}  // namespace graphics
