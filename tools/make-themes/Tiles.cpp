#include "Tiles.h"

#include "Artwork.h"
#include "app/core/KWImageProducer.h"
#include "app/core/UIImageFilter.h"

#include <cmath>

namespace themes {

using graphics::Color;
using graphics::Font;
using graphics::Image;
using graphics::Point;
using graphics::Rect;

namespace {

// The effect filters of the movie, so effect tiles show what an effect does.
struct EffectFilters : KWImageProducer {
    using KWImageProducer::makePixelFilter;
};

// A caption bar along the bottom, a fifth of the picture high.
double captionBarHeight(graphics::Size size) { return std::round(size.height * 0.19); }

void label(graphics::GraphicsContext& c, const std::string& text, graphics::Size size) {
    double bar = captionBarHeight(size);
    c.setFillColor(Color::grey(0, 0.55));
    c.fillRect(Rect(0, size.height - bar, size.width, bar));
    c.setFillColor(Color::grey(1.0));
    drawCentredText(c, text, Point{size.width / 2, size.height - bar / 2}, Font("DejaVu Sans", bar / 2, true));
}

void border(graphics::GraphicsContext& c, graphics::Size size) {
    c.setStrokeColor(Color::grey(1.0, 0.9));
    double width = size.height >= 120 ? 4 : 2;
    c.setLineWidth(width);
    c.strokeRect(Rect(width / 2, width / 2, size.width - width, size.height - width));
}

}  // namespace

Image themeThumbnail(const Image& background, const std::string& caption) {
    graphics::GraphicsContext c(kThumbnailSize, 1.0, true);
    c.drawImage(background, Rect(0, 0, kThumbnailSize.width, kThumbnailSize.height));
    if (!caption.empty()) label(c, caption, kThumbnailSize);
    border(c, kThumbnailSize);
    return c.makeImage();
}

Image noThemeTile() {
    graphics::GraphicsContext c(kThumbnailSize, 1.0, true);
    fillVerticalGradient(c, Rect(0, 0, kThumbnailSize.width, kThumbnailSize.height), Color::grey(0.35),
                         Color::grey(0.18));
    c.setStrokeColor(Color::grey(1.0, 0.6));
    // A "no" sign above the caption.
    double r = kThumbnailSize.height * 0.27, cx = kThumbnailSize.width / 2, cy = kThumbnailSize.height * 0.4;
    c.setLineWidth(r * 0.2);
    c.strokeEllipse(Rect(cx - r, cy - r, 2 * r, 2 * r));
    c.strokeLine(Point{cx - r * 0.7, cy + r * 0.7}, Point{cx + r * 0.7, cy - r * 0.7});
    label(c, "No Theme", kThumbnailSize);
    border(c, kThumbnailSize);
    return c.makeImage();
}

Image fadeTile(int fade) {
    // 0 none, 1 in, 2 in and out, 3 out: the picture's brightness along the movie.
    static const char* names[] = {"No Fade", "Fade In", "Fade In & Out", "Fade Out"};
    bool in = fade == 1 || fade == 2, out = fade == 2 || fade == 3;
    graphics::GraphicsContext c(kTileSize, 1.0, true);
    drawSampleScene(c, Rect(0, 0, kTileSize.width, kTileSize.height));
    Color black = Color::grey(0, 1), clear = Color::grey(0, 0);
    if (in) c.drawLinearGradient(graphics::Gradient::withColors({black, clear}), Point{0, 0}, Point{90, 0}, 0);
    if (out)
        c.drawLinearGradient(graphics::Gradient::withColors({clear, black}), Point{kTileSize.width - 90, 0},
                             Point{kTileSize.width, 0}, 0);
    label(c, names[fade], kTileSize);
    border(c, kTileSize);
    return c.makeImage();
}

Image effectTile(int effect) {
    static const char* names[] = {"None",          "Black & White", "Sepia", "Posterize",
                                  "Colour Change", "Thermal",       "X-Ray", "Dither"};
    graphics::GraphicsContext scene(kTileSize, 1.0, true);
    drawSampleScene(scene, Rect(0, 0, kTileSize.width, kTileSize.height));
    Image picture = scene.makeImage();
    if (auto filter = EffectFilters::makePixelFilter(effect)) {
        Image processed = UIImageFilter(filter).processImage(picture);
        if (!processed.isNull()) picture = processed;
    }
    graphics::GraphicsContext c(kTileSize, 1.0, true);
    c.drawImage(picture, Rect(0, 0, kTileSize.width, kTileSize.height));
    label(c, names[effect], kTileSize);
    border(c, kTileSize);
    return c.makeImage();
}

Image maskTile(int mask) {
    // 0 none, 1 a 2.35 letterbox, 2 square.
    static const char* names[] = {"No Mask", "Cinema 2.35", "Square"};
    graphics::GraphicsContext c(kTileSize, 1.0, true);
    // A 16:9 picture centred in the room above the caption bar.
    const double room = kTileSize.height - captionBarHeight(kTileSize);
    const double height = room - 8;
    Rect picture((kTileSize.width - height * 16 / 9) / 2, (room - height) / 2, height * 16 / 9, height);
    c.setFillColor(Color::grey(0.12));
    c.fillRect(Rect(0, 0, kTileSize.width, kTileSize.height));
    drawSampleScene(c, picture);
    c.setFillColor(Color::black());
    if (mask == 1) {
        double visible = picture.width() / 2.35;
        double bar = (picture.height() - visible) / 2;
        c.fillRect(Rect(picture.minX(), picture.minY(), picture.width(), bar));
        c.fillRect(Rect(picture.minX(), picture.maxY() - bar, picture.width(), bar));
    } else if (mask == 2) {
        double side = (picture.width() - picture.height()) / 2;
        c.fillRect(Rect(picture.minX(), picture.minY(), side, picture.height()));
        c.fillRect(Rect(picture.maxX() - side, picture.minY(), side, picture.height()));
    }
    label(c, names[mask], kTileSize);
    border(c, kTileSize);
    return c.makeImage();
}

Image foregroundTile(int foreground, const Image& overlay) {
    graphics::GraphicsContext c(kTileSize, 1.0, true);
    Rect picture(0, 0, kTileSize.width, kTileSize.height);
    drawSampleScene(c, picture);
    if (!overlay.isNull()) {
        double height = kTileSize.width * 9 / 16;
        c.drawImage(overlay, Rect(0, (kTileSize.height - height) / 2, kTileSize.width, height));
    }
    label(c, foregroundName(foreground), kTileSize);
    border(c, kTileSize);
    return c.makeImage();
}

Image galleryBackground() {
    graphics::GraphicsContext c(graphics::Size{1024, 768}, 1.0, true);
    fillVerticalGradient(c, Rect(0, 0, 1024, 768), Color::rgb8(58, 52, 70), Color::rgb8(26, 24, 34));
    c.setFillColor(Color::grey(1.0, 0.04));
    for (double y = 0; y < 768; y += 100) c.fillRect(Rect(0, y + 96, 1024, 4));  // shelves under the rows
    return c.makeImage();
}

}  // namespace themes
