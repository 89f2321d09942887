#include "platform/library/ChooserGlyphs.h"

#include "platform/graphics/GraphicsContext.h"

#include <initializer_list>

namespace library {

namespace {

using graphics::Path;
using graphics::Point;
using graphics::Rect;

// A line through points given in fractions of the side `s`; closed unless
// asked otherwise.
Path polygon(std::initializer_list<Point> fractions, double s, bool closed = true) {
    Path path;
    bool first = true;
    for (Point point : fractions) {
        const Point at{point.x * s, point.y * s};
        if (first) {
            path.moveTo(at);
        } else {
            path.lineTo(at);
        }
        first = false;
    }
    if (closed) path.close();
    return path;
}

// A folder: a tab on the back, the front over it.
void drawFolder(graphics::GraphicsContext& context, double s) {
    context.setAlpha(0.55);
    context.fillPath(polygon({{0.08, 0.22}, {0.38, 0.22}, {0.46, 0.32}, {0.92, 0.32}, {0.92, 0.82}, {0.08, 0.82}}, s));
    context.setAlpha(1.0);
    context.fillPath(Path::roundedRect(Rect(0.08 * s, 0.40 * s, 0.84 * s, 0.42 * s), 0.05 * s));
}

// A sheet with a folded corner and a zipper down its middle.
void drawDocument(graphics::GraphicsContext& context, double s) {
    context.setLineWidth(0.07 * s);
    context.setLineJoin(graphics::LineJoin::Round);
    context.strokePathWithContextSettings(polygon({{0.2, 0.08}, {0.6, 0.08}, {0.8, 0.28}, {0.8, 0.92}, {0.2, 0.92}}, s));
    context.strokePathWithContextSettings(polygon({{0.6, 0.08}, {0.6, 0.28}, {0.8, 0.28}}, s, false));
    for (int i = 0; i < 4; ++i) {
        const double y = (0.22 + 0.1 * i) * s;
        context.fillRect(Rect((i % 2 ? 0.46 : 0.38) * s, y, 0.12 * s, 0.06 * s));
    }
    context.fillRect(Rect(0.38 * s, 0.62 * s, 0.2 * s, 0.16 * s));
}

// An arrow from `top` to `bottom` (fractions of the side), pointing up or down.
void drawArrow(graphics::GraphicsContext& context, double s, bool up, double top, double bottom) {
    context.setLineWidth(0.09 * s);
    context.setLineCap(graphics::LineCap::Round);
    context.setLineJoin(graphics::LineJoin::Round);
    const double tip = up ? top : bottom, tail = up ? bottom : top, head = up ? 0.2 : -0.2;
    context.strokeLine({0.5 * s, tip * s}, {0.5 * s, tail * s});
    context.strokePathWithContextSettings(polygon({{0.28, tip + head}, {0.5, tip}, {0.72, tip + head}}, s, false));
}

void drawHome(graphics::GraphicsContext& context, double s) {
    context.fillPath(polygon({{0.5, 0.1},
                              {0.9, 0.46},
                              {0.78, 0.46},
                              {0.78, 0.88},
                              {0.58, 0.88},
                              {0.58, 0.64},
                              {0.42, 0.64},
                              {0.42, 0.88},
                              {0.22, 0.88},
                              {0.22, 0.46},
                              {0.1, 0.46}},
                             s));
}

void drawDocuments(graphics::GraphicsContext& context, double s) {
    context.setLineWidth(0.07 * s);
    context.strokePathWithContextSettings(Path::roundedRect(Rect(0.2 * s, 0.1 * s, 0.6 * s, 0.8 * s), 0.06 * s));
    for (double y : {0.32, 0.47, 0.62}) context.fillRect(Rect(0.32 * s, y * s, 0.36 * s, 0.06 * s));
}

void drawDownloads(graphics::GraphicsContext& context, double s) {
    drawArrow(context, s, false, 0.1, 0.66);
    context.fillRect(Rect(0.16 * s, 0.82 * s, 0.68 * s, 0.08 * s));
}

}  // namespace

graphics::Image chooserGlyph(ChooserGlyph glyph, double points) {
    constexpr double kScale = 2.0;
    graphics::GraphicsContext context(graphics::Size{points, points}, kScale);
    context.setFillColor(graphics::Color::black());
    context.setStrokeColor(graphics::Color::black());
    switch (glyph) {
        case ChooserGlyph::Folder:
            drawFolder(context, points);
            break;
        case ChooserGlyph::Document:
            drawDocument(context, points);
            break;
        case ChooserGlyph::WayUp:
            drawArrow(context, points, true, 0.14, 0.86);
            break;
        case ChooserGlyph::Home:
            drawHome(context, points);
            break;
        case ChooserGlyph::Documents:
            drawDocuments(context, points);
            break;
        case ChooserGlyph::Downloads:
            drawDownloads(context, points);
            break;
    }
    return context.makeImage().withRenderingMode(graphics::ImageRenderingMode::AlwaysTemplate);
}

}  // namespace library
