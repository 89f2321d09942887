#include "platform/ui/controls/ImageView.h"

#include "platform/graphics/GraphicsContext.h"

namespace ui {

using graphics::Image;
using graphics::ImageRenderingMode;
using graphics::Rect;
using graphics::Size;

bool rendersAsTemplate(const Image& image, bool templateByDefault) {
    switch (image.renderingMode()) {
        case ImageRenderingMode::AlwaysTemplate:
            return true;
        case ImageRenderingMode::AlwaysOriginal:
            return false;
        case ImageRenderingMode::Automatic:
            return templateByDefault;
    }
    return false;
}

Image tintedTemplateImage(const Image& image, const graphics::Color& color) {
    if (image.isNull()) return Image();
    Size size = image.size();
    graphics::GraphicsContext context(size, image.scale(), false);
    Rect all(0, 0, size.width, size.height);
    context.setFillColor(color);
    context.fillRect(all);
    // Keep the colour only where the image has coverage.
    context.drawImage(image, all, graphics::BlendMode::DestinationIn, 1.0);
    return context.makeImage();
}

ImageView::ImageView() : ImageView(Rect()) {}

ImageView::ImageView(const Rect& frame) : View(frame) {
    setUserInteractionEnabled(false);
    setOpaque(false);
}

ImageView::ImageView(Image image) : ImageView(Rect()) {
    image_ = std::move(image);
    Size size = image_.size();
    setFrame(Rect(0, 0, size.width, size.height));
    updateContents();
}

ImageView::ImageView(Image image, Image highlightedImage) : ImageView(std::move(image)) {
    highlightedImage_ = std::move(highlightedImage);
}

void ImageView::setImage(Image image) {
    image_ = std::move(image);
    updateContents();
}

void ImageView::setHighlightedImage(Image image) {
    highlightedImage_ = std::move(image);
    updateContents();
}

void ImageView::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) return;
    highlighted_ = highlighted;
    updateContents();
}

void ImageView::setTemplatesByDefault(bool templates) {
    if (templatesByDefault_ == templates) return;
    templatesByDefault_ = templates;
    updateContents();
}

const Image& ImageView::displayedImage() const {
    return highlighted_ && !highlightedImage_.isNull() ? highlightedImage_ : image_;
}

Size ImageView::sizeThatFits(Size) const { return displayedImage().size(); }

void ImageView::tintColorDidChange() {
    if (showsTemplate_) updateContents();
}

void ImageView::updateContents() {
    const Image& shown = displayedImage();
    showsTemplate_ = !shown.isNull() && rendersAsTemplate(shown, templatesByDefault_);
    // The compositor places the contents by the content mode.
    if (shown.isNull())
        layer().setContents(std::nullopt);
    else if (showsTemplate_)
        layer().setContents(tintedTemplateImage(shown, tintColor()));
    else
        layer().setContents(shown);
    setNeedsComposite();
}

}  // namespace ui
