#pragma once

// A view that shows an image (or, while highlighted, its highlighted image)
// placed by the view's content mode. A template image shows only its shape,
// filled with the view's tint colour.

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

namespace ui {

// Whether a view shows the image as a template; `templateByDefault` is the
// view's choice for images in the automatic rendering mode.
bool rendersAsTemplate(const graphics::Image& image, bool templateByDefault = false);

// The image's shape (its alpha) filled with the colour, at the image's scale
// and upright. A null image gives a null image.
graphics::Image tintedTemplateImage(const graphics::Image& image, const graphics::Color& color);

class ImageView : public View {
public:
    ImageView();
    explicit ImageView(const graphics::Rect& frame);
    // Sized to the image.
    explicit ImageView(graphics::Image image);
    ImageView(graphics::Image image, graphics::Image highlightedImage);

    const graphics::Image& image() const { return image_; }
    void setImage(graphics::Image image);
    const graphics::Image& highlightedImage() const { return highlightedImage_; }
    void setHighlightedImage(graphics::Image image);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);
    // Images in the automatic mode are shown as templates too (bar and
    // system-button glyphs); off by default.
    bool templatesByDefault() const { return templatesByDefault_; }
    void setTemplatesByDefault(bool templates);

    // The image shown now: the highlighted one while highlighted, when set.
    const graphics::Image& displayedImage() const;

    // The displayed image's size in points.
    graphics::Size sizeThatFits(graphics::Size size) const override;
    void tintColorDidChange() override;

private:
    void updateContents();

    graphics::Image image_;
    graphics::Image highlightedImage_;
    bool highlighted_ = false;
    bool templatesByDefault_ = false;
    bool showsTemplate_ = false;
};

}  // namespace ui
