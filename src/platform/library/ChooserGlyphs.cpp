#include "platform/library/ChooserGlyphs.h"

#include "platform/graphics/GraphicsContext.h"

namespace library {

namespace {

using graphics::Path;
using graphics::Point;
using graphics::Rect;

// A folder: a tab on the back, the front over it.
void drawFolder(graphics::GraphicsContext& context, double s) {
    Path back;
    back.moveTo({0.08 * s, 0.22 * s});
    back.lineTo({0.38 * s, 0.22 * s});
    back.lineTo({0.46 * s, 0.32 * s});
    back.lineTo({0.92 * s, 0.32 * s});
    back.lineTo({0.92 * s, 0.82 * s});
    back.lineTo({0.08 * s, 0.82 * s});
    back.close();
    context.setAlpha(0.55);
    context.fillPath(back);
    context.setAlpha(1.0);
    context.fillPath(Path::roundedRect(Rect(0.08 * s, 0.40 * s, 0.84 * s, 0.42 * s), 0.05 * s));
}

// A sheet with a folded corner and a zipper down its middle.
void drawDocument(graphics::GraphicsContext& context, double s) {
    Path sheet;
    sheet.moveTo({0.2 * s, 0.08 * s});
    sheet.lineTo({0.6 * s, 0.08 * s});
    sheet.lineTo({0.8 * s, 0.28 * s});
    sheet.lineTo({0.8 * s, 0.92 * s});
    sheet.lineTo({0.2 * s, 0.92 * s});
    sheet.close();
    context.setLineWidth(0.07 * s);
    context.setLineJoin(graphics::LineJoin::Round);
    context.strokePathWithContextSettings(sheet);
    Path fold;
    fold.moveTo({0.6 * s, 0.08 * s});
    fold.lineTo({0.6 * s, 0.28 * s});
    fold.lineTo({0.8 * s, 0.28 * s});
    context.strokePathWithContextSettings(fold);
    for (int i = 0; i < 4; ++i) {
        const double y = (0.22 + 0.1 * i) * s;
        context.fillRect(Rect((i % 2 ? 0.46 : 0.38) * s, y, 0.12 * s, 0.06 * s));
    }
    context.fillRect(Rect(0.38 * s, 0.62 * s, 0.2 * s, 0.16 * s));
}

void drawArrow(graphics::GraphicsContext& context, double s, bool up, double top, double bottom) {
    context.setLineWidth(0.09 * s);
    context.setLineCap(graphics::LineCap::Round);
    context.setLineJoin(graphics::LineJoin::Round);
    const double tip = up ? top : bottom, tail = up ? bottom : top, head = up ? 0.2 * s : -0.2 * s;
    context.strokeLine({0.5 * s, tip}, {0.5 * s, tail});
    Path arrowHead;
    arrowHead.moveTo({0.28 * s, tip + head});
    arrowHead.lineTo({0.5 * s, tip});
    arrowHead.lineTo({0.72 * s, tip + head});
    context.strokePathWithContextSettings(arrowHead);
}

void drawHome(graphics::GraphicsContext& context, double s) {
    Path house;
    house.moveTo({0.5 * s, 0.1 * s});
    house.lineTo({0.9 * s, 0.46 * s});
    house.lineTo({0.78 * s, 0.46 * s});
    house.lineTo({0.78 * s, 0.88 * s});
    house.lineTo({0.58 * s, 0.88 * s});
    house.lineTo({0.58 * s, 0.64 * s});
    house.lineTo({0.42 * s, 0.64 * s});
    house.lineTo({0.42 * s, 0.88 * s});
    house.lineTo({0.22 * s, 0.88 * s});
    house.lineTo({0.22 * s, 0.46 * s});
    house.lineTo({0.1 * s, 0.46 * s});
    house.close();
    context.fillPath(house);
}

void drawDocuments(graphics::GraphicsContext& context, double s) {
    context.setLineWidth(0.07 * s);
    context.strokePathWithContextSettings(Path::roundedRect(Rect(0.2 * s, 0.1 * s, 0.6 * s, 0.8 * s), 0.06 * s));
    for (double y : {0.32, 0.47, 0.62}) context.fillRect(Rect(0.32 * s, y * s, 0.36 * s, 0.06 * s));
}

void drawDownloads(graphics::GraphicsContext& context, double s) {
    drawArrow(context, s, false, 0.1 * s, 0.66 * s);
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
            drawArrow(context, points, true, 0.14 * points, 0.86 * points);
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
