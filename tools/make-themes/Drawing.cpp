#include "Artwork.h"

#include <cmath>

namespace themes {

using graphics::Color;
using graphics::Point;
using graphics::Rect;

void fillVerticalGradient(graphics::GraphicsContext& context, const Rect& rect, Color top, Color bottom) {
    context.saveGState();
    context.clipToRect(rect);
    context.drawLinearGradient(graphics::Gradient::withColors({top, bottom}), Point{rect.minX(), rect.minY()},
                               Point{rect.minX(), rect.maxY()},
                               graphics::kGradientDrawsBeforeStart | graphics::kGradientDrawsAfterEnd);
    context.restoreGState();
}

void fillStar(graphics::GraphicsContext& context, Point centre, double outer, double inner, int points) {
    graphics::Path star;
    for (int i = 0; i < points * 2; ++i) {
        double angle = -M_PI / 2 + i * M_PI / points;
        double radius = i % 2 == 0 ? outer : inner;
        Point p{centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
        if (i == 0) {
            star.moveTo(p);
        } else {
            star.lineTo(p);
        }
    }
    star.close();
    context.fillPath(star);
}

void drawCentredText(graphics::GraphicsContext& context, const std::string& text, Point centre,
                     const graphics::Font& font) {
    graphics::Size size = font.sizeOfText(text);
    context.drawText(text, Point{centre.x - size.width / 2, centre.y - size.height / 2}, font);
}

void drawSampleScene(graphics::GraphicsContext& context, const Rect& rect) {
    context.saveGState();
    context.clipToRect(rect);
    fillVerticalGradient(context, rect, Color::rgb8(92, 170, 240), Color::rgb8(200, 230, 255));
    double w = rect.width(), h = rect.height(), x = rect.minX(), y = rect.minY();
    context.setFillColor(Color::rgb8(255, 214, 64));
    context.fillEllipse(Rect(x + w * 0.68, y + h * 0.12, w * 0.18, w * 0.18));
    context.setFillColor(Color::rgb8(76, 160, 72));
    context.fillEllipse(Rect(x - w * 0.2, y + h * 0.55, w * 0.9, h * 0.8));
    context.setFillColor(Color::rgb8(52, 128, 56));
    context.fillEllipse(Rect(x + w * 0.35, y + h * 0.62, w * 0.9, h * 0.8));
    // A house: wall, roof, door.
    context.setFillColor(Color::rgb8(236, 92, 72));
    context.fillRect(Rect(x + w * 0.2, y + h * 0.5, w * 0.22, h * 0.2));
    graphics::Path roof;
    roof.moveTo(Point{x + w * 0.17, y + h * 0.5});
    roof.lineTo(Point{x + w * 0.31, y + h * 0.36});
    roof.lineTo(Point{x + w * 0.45, y + h * 0.5});
    roof.close();
    context.setFillColor(Color::rgb8(120, 60, 40));
    context.fillPath(roof);
    context.setFillColor(Color::rgb8(90, 50, 30));
    context.fillRect(Rect(x + w * 0.29, y + h * 0.58, w * 0.05, h * 0.12));
    context.restoreGState();
}

}  // namespace themes
