#include "SunriseScene.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sample {

namespace {

using graphics::Color;
using graphics::GraphicsContext;
using graphics::Path;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

double mix(double a, double b, double t) { return a + (b - a) * t; }

Color mix(const Color& a, const Color& b, double t) {
    double r1 = 0, g1 = 0, b1 = 0, a1 = 0, r2 = 0, g2 = 0, b2 = 0, a2 = 0;
    a.getRed(&r1, &g1, &b1, &a1);
    b.getRed(&r2, &g2, &b2, &a2);
    return Color::rgb(mix(r1, r2, t), mix(g1, g2, t), mix(b1, b2, t), mix(a1, a2, t));
}

// Eases in and out so the motion starts and settles gently.
double smooth(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// A band of hills: a sum of two waves along the width, filled to the bottom.
Path hills(Size size, double baseline, double height, double phase, double waves) {
    Path path;
    path.moveTo({0, size.height});
    const int steps = 96;
    for (int i = 0; i <= steps; ++i) {
        double x = size.width * i / steps;
        double u = double(i) / steps;
        double y = baseline - height * (0.6 * std::sin(u * waves * std::numbers::pi + phase) +
                                        0.4 * std::sin(u * waves * 2.3 * std::numbers::pi + phase * 1.7));
        path.lineTo({x, y});
    }
    path.lineTo({size.width, size.height});
    path.close();
    return path;
}

void drawCloud(GraphicsContext& context, Point centre, double scale, const Color& colour) {
    context.setFillColor(colour);
    context.fillEllipse(Rect(centre.x - 60 * scale, centre.y - 14 * scale, 120 * scale, 36 * scale));
    context.fillEllipse(Rect(centre.x - 34 * scale, centre.y - 36 * scale, 56 * scale, 50 * scale));
    context.fillEllipse(Rect(centre.x - 2 * scale, centre.y - 28 * scale, 48 * scale, 40 * scale));
}

void drawScene(GraphicsContext& context, Size size, double t) {
    const double e = smooth(t);
    const double unit = size.height / 540.0;

    // Sky: violet dawn over an orange horizon, turning to a clear morning.
    Color top = mix(Color::rgb8(46, 32, 94), Color::rgb8(86, 160, 230), e);
    Color horizon = mix(Color::rgb8(250, 140, 90), Color::rgb8(200, 230, 250), e);
    context.drawLinearGradient(graphics::Gradient::withColors({top, horizon}), {0, 0}, {0, size.height * 0.75},
                               graphics::kGradientDrawsBeforeStart | graphics::kGradientDrawsAfterEnd);

    // The sun climbs on an arc from behind the far hills, glowing as it goes.
    const double radius = 46 * unit;
    Point sun{mix(size.width * 0.30, size.width * 0.62, e), mix(size.height * 0.78, size.height * 0.22, e)};
    Color glow = mix(Color::rgb8(255, 170, 80, 150), Color::rgb8(255, 240, 170, 110), e);
    context.drawRadialGradient(graphics::Gradient::withColors({glow, glow.withAlpha(0.0)}), sun, radius, sun,
                               radius * 3.2, graphics::kGradientDrawsNone);
    context.setFillColor(mix(Color::rgb8(255, 120, 60), Color::rgb8(255, 226, 110), e));
    context.fillEllipse(Rect(sun.x - radius, sun.y - radius, 2 * radius, 2 * radius));

    // Clouds drift left, at two speeds for a little depth.
    Color cloud = mix(Color::rgb8(250, 190, 200, 220), Color::rgb8(255, 255, 255, 235), e);
    drawCloud(context, {mix(size.width * 0.85, size.width * 0.55, t), size.height * 0.20}, 1.2 * unit, cloud);
    drawCloud(context, {mix(size.width * 0.20, size.width * 0.02, t), size.height * 0.32}, 0.8 * unit, cloud);

    // Far and near hills, brightening as the light comes up.
    context.setFillColor(mix(Color::rgb8(70, 50, 110), Color::rgb8(90, 150, 120), e));
    context.fillPath(hills(size, size.height * 0.70, 34 * unit, 0.4, 3.0));
    context.setFillColor(mix(Color::rgb8(40, 60, 70), Color::rgb8(70, 160, 80), e));
    context.fillPath(hills(size, size.height * 0.84, 26 * unit, 2.1, 2.0));
}

}  // namespace

graphics::Image drawSunrise(graphics::Size size, double t) {
    GraphicsContext context(size, 1.0, true);
    drawScene(context, size, t);
    return context.makeImage();
}

graphics::Image drawLaunchPicture(graphics::Size size, const std::string& title) {
    GraphicsContext context(size, 1.0, true);
    drawScene(context, size, 1.0);
    const double shortSide = std::min(size.width, size.height);
    graphics::Font font = graphics::Font::boldSystemFont(shortSide * 0.09);
    Size text = font.sizeOfText(title);
    Point origin{(size.width - text.width) / 2, size.height * 0.52 - text.height / 2};
    context.setShadow({0, 2}, 6, Color::rgb8(0, 0, 0, 120));
    context.setFillColor(Color::rgb8(255, 255, 255));
    context.drawText(title, origin, font);
    return context.makeImage();
}

graphics::Image turnedUpright(const graphics::Image& landscape) {
    Size size = landscape.size();
    GraphicsContext context(Size{size.height, size.width}, 1.0, true);
    context.translate(0, size.width);
    context.rotate(-std::numbers::pi / 2);
    context.drawImage(landscape, Rect(0, 0, size.width, size.height));
    return context.makeImage();
}

}  // namespace sample
