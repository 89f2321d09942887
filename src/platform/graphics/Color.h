#pragma once

// A colour as the drawing system keeps it: grey (white, alpha) or RGB(A)
// components from 0 to 1, or a pattern that tiles an image and has no
// components at all.

#include <memory>
#include <optional>

class QColor;

namespace graphics {

class Image;

struct RGBAComponents {
    double red = 0, green = 0, blue = 0, alpha = 0;
    bool operator==(const RGBAComponents&) const = default;
};

struct HSBAComponents {
    double hue = 0, saturation = 0, brightness = 0, alpha = 0;
};

class Color {
public:
    // The drawing system's colour-space models that this system meets.
    enum class Space { Monochrome = 0, RGB = 1, Pattern = 6 };

    // Opaque black.
    Color();
    static Color rgb(double red, double green, double blue, double alpha = 1.0);
    static Color grey(double white, double alpha = 1.0);
    // Hue, saturation and brightness from 0 to 1 (hue wraps around).
    static Color hsb(double hue, double saturation, double brightness, double alpha = 1.0);
    // Bytes 0-255, as pixel values come.
    static Color rgb8(int red, int green, int blue, int alpha = 255);
    static Color pattern(const Image& image);
    static Color fromQColor(const QColor& color);

    static Color black() { return grey(0.0); }
    static Color darkGray() { return grey(1.0 / 3.0); }
    static Color lightGray() { return grey(2.0 / 3.0); }
    static Color white() { return grey(1.0); }
    static Color gray() { return grey(0.5); }
    static Color red() { return rgb(1, 0, 0); }
    static Color green() { return rgb(0, 1, 0); }
    static Color blue() { return rgb(0, 0, 1); }
    static Color cyan() { return rgb(0, 1, 1); }
    static Color yellow() { return rgb(1, 1, 0); }
    static Color magenta() { return rgb(1, 0, 1); }
    static Color orange() { return rgb(1, 0.5, 0); }
    static Color purple() { return rgb(0.5, 0, 0.5); }
    static Color brown() { return rgb(0.6, 0.4, 0.2); }
    static Color clear() { return grey(0.0, 0.0); }

    Space space() const { return space_; }
    // Grey and RGB colours have components; patterns do not.
    bool hasRGBComponents() const { return space_ != Space::Pattern; }

    // Each getter returns false and writes nothing when the colour cannot
    // give those components; any out-pointer may be null.
    bool getRed(double* red, double* green, double* blue, double* alpha) const;
    bool getHue(double* hue, double* saturation, double* brightness, double* alpha) const;
    // Only grey colours answer: the platform does not convert RGB to grey here.
    bool getWhite(double* white, double* alpha) const;
    std::optional<RGBAComponents> rgba() const;
    std::optional<HSBAComponents> hsba() const;

    // The alpha of any colour (1 for patterns unless changed).
    double alpha() const { return alpha_; }
    Color withAlpha(double alpha) const;

    // The tile of a pattern colour; null for other colours.
    std::shared_ptr<const Image> patternImage() const { return pattern_; }

    // A QColor for painting; patterns give their alpha in black (use
    // patternImage() for a brush).
    QColor toQColor() const;

    bool operator==(const Color& other) const;

private:
    Space space_ = Space::Monochrome;
    double c0_ = 0, c1_ = 0, c2_ = 0;  // white, or red, green, blue
    double alpha_ = 1;
    std::shared_ptr<const Image> pattern_;
};

}  // namespace graphics
