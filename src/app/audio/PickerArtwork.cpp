#include "app/audio/PickerArtwork.h"

#include "app/core/BundleImage.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"

graphics::Image albumArtwork(const library::MediaItem* item, graphics::Size size, bool large) {
    if (item)
        if (auto artwork = item->artworkWithSize(size)) return *artwork;
    if (auto placeholder = bundleImageNamed(large ? "AlbumArtPlaceholderLarge.png" : "AlbumArtPlaceholder.png"))
        return *placeholder;
    graphics::GraphicsContext context(size, 1.0);
    context.setFillColor(graphics::Color::grey(0.88));
    context.fillRect(graphics::Rect(0, 0, size.width, size.height));
    context.setStrokeColor(graphics::Color::grey(0.65));
    context.setLineWidth(std::max(1.0, size.width / 40));
    const double r = size.width * 0.3;
    context.strokeEllipse(graphics::Rect(size.width / 2 - r, size.height / 2 - r, 2 * r, 2 * r));
    context.setFillColor(graphics::Color::grey(0.65));
    context.fillEllipse(graphics::Rect(size.width / 2 - r / 5, size.height / 2 - r / 5, r / 2.5, r / 2.5));
    return context.makeImage();
}

graphics::Image pickerTabImage(const std::string& name) {
    if (auto image = bundleImageNamed(name)) return *image;
    // A letter in a rounded square, drawn in black so the tab bar tints it.
    graphics::GraphicsContext context(graphics::Size{30, 30}, 2.0);
    context.setStrokeColor(graphics::Color::black());
    context.setLineWidth(2);
    context.strokeRect(graphics::Rect(4, 4, 22, 22));
    context.setFillColor(graphics::Color::black());
    std::string letter = "?";
    const size_t at = name.find_last_of('_');
    std::string word = at == std::string::npos ? name : name.substr(at + 1);
    if (!word.empty()) letter = std::string(1, char(std::toupper(static_cast<unsigned char>(word[0]))));
    context.drawText(letter, graphics::Rect(4, 7, 22, 18), graphics::Font::boldSystemFont(13),
                     graphics::LineBreakMode::Clip, graphics::TextAlignment::Center);
    return context.makeImage().withRenderingMode(graphics::ImageRenderingMode::AlwaysTemplate);
}
