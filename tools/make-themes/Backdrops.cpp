#include "Artwork.h"
#include "platform/graphics/Path.h"

namespace themes {

using graphics::Color;
using graphics::Point;
using graphics::Rect;

void drawGreenScreenBackdrop(graphics::GraphicsContext& c, int backdrop) {
    // The card drawings, enlarged from the card size to the backdrop size.
    c.saveGState();
    c.scaleBy(kOverlaySize.width / kCardSize.width, kOverlaySize.height / kCardSize.height);
    switch (backdrop) {
        case 20:
            drawSampleScene(c, Rect(0, 0, kCardSize.width, kCardSize.height));
            break;
        case 21:
            drawThemeBackground(c, 1);  // a stage
            break;
        case 22:
            drawThemeBackground(c, 2);  // a starry night
            break;
        case 23:
            drawThemeBackground(c, 6);  // the sea
            break;
        case 24:
            drawTextCardBackground(c, 23);  // a sunset
            break;
        default:
            drawThemeBackground(c, 9);  // outer space
            break;
    }
    c.restoreGState();
}

void drawImportBackdrop(graphics::GraphicsContext& c) {
    const double w = kOverlaySize.width, h = kOverlaySize.height;
    fillVerticalGradient(c, Rect(0, 0, w, h), Color::rgb8(72, 78, 92), Color::rgb8(28, 30, 38));
    // A framed landscape in the middle: "a picture goes here".
    const Rect frame(w / 2 - 240, h / 2 - 170, 480, 340);
    c.setStrokeColor(Color::grey(1.0, 0.55));
    c.setLineWidth(16);
    c.strokeRect(frame);
    c.setFillColor(Color::grey(1.0, 0.55));
    c.fillEllipse(Rect(frame.origin.x + 320, frame.origin.y + 60, 80, 80));
    graphics::Path hills;
    hills.moveTo(Point{frame.origin.x + 30, frame.origin.y + 300});
    hills.lineTo(Point{frame.origin.x + 170, frame.origin.y + 150});
    hills.lineTo(Point{frame.origin.x + 270, frame.origin.y + 240});
    hills.lineTo(Point{frame.origin.x + 340, frame.origin.y + 180});
    hills.lineTo(Point{frame.origin.x + 450, frame.origin.y + 300});
    hills.close();
    c.fillPath(hills);
}

}  // namespace themes
