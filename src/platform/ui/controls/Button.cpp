#include "platform/ui/controls/Button.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"

#include <algorithm>

namespace ui {

using graphics::Color;
using graphics::EdgeInsets;
using graphics::Image;
using graphics::Rect;
using graphics::Size;

namespace {

// How pressed and disabled system buttons look.
constexpr double kSystemHighlightAlpha = 0.2;
constexpr double kDisabledImageAlpha = 0.5;
const Color kDisabledSystemColor = Color::grey(0.56);

// Insets that may shrink a rectangle to nothing, never to a null rectangle.
Rect insetRect(const Rect& rect, const EdgeInsets& insets) {
    return Rect(rect.origin.x + insets.left, rect.origin.y + insets.top,
                std::max(0.0, rect.size.width - insets.left - insets.right),
                std::max(0.0, rect.size.height - insets.top - insets.bottom));
}

// A pressed custom button shows its pictures darker.
Image darkened(const Image& image) {
    if (image.isNull()) return image;
    Size size = image.size();
    graphics::GraphicsContext context(size, image.scale(), false);
    Rect all(0, 0, size.width, size.height);
    context.drawImage(image, all);
    context.setBlendMode(graphics::BlendMode::SourceAtop);
    context.setFillColor(Color::grey(0.0, 0.5));
    context.fillRect(all);
    return context.makeImage();
}

}  // namespace

Button::Button(ButtonType type) : Button(type, Rect()) {}

Button::Button(ButtonType type, const Rect& frame) : Control(frame), type_(type) {
    setOpaque(false);
    backgroundView_ = std::make_shared<ImageView>();
    backgroundView_->setHidden(true);
    imageView_ = std::make_shared<ImageView>();
    imageView_->setHidden(true);
    // Drawn at its own size where it fits, and shrunk (proportions kept)
    // where the button is smaller than the image.
    imageView_->setContentMode(ContentMode::ScaleAspectFit);
    imageView_->setTemplatesByDefault(type_ == ButtonType::System);
    titleLabel_ = std::make_shared<Label>();
    titleLabel_->setHidden(true);
    titleLabel_->setFont(graphics::Font::systemFont(15));
    titleLabel_->setLineBreakMode(graphics::LineBreakMode::TruncateMiddle);
    addSubview(backgroundView_);
    addSubview(imageView_);
    addSubview(titleLabel_);
    updateAppearance();
}

std::shared_ptr<Button> Button::buttonWithType(ButtonType type) { return std::make_shared<Button>(type); }

// ---- per-state values ---------------------------------------------------------------

template <class T>
const T* Button::lookup(const std::map<unsigned, T>& values, unsigned state) {
    auto it = values.find(state);
    if (it == values.end() && (state & ControlStateSelected) && state != ControlStateSelected)
        it = values.find(ControlStateSelected);
    if (it == values.end()) it = values.find(ControlStateNormal);
    return it == values.end() ? nullptr : &it->second;
}

void Button::setTitle(std::optional<std::string> title, unsigned forState) {
    if (title)
        titles_[forState] = std::move(*title);
    else
        titles_.erase(forState);
    updateAppearance();
}

void Button::setTitleColor(std::optional<Color> color, unsigned forState) {
    if (color)
        titleColors_[forState] = std::move(*color);
    else
        titleColors_.erase(forState);
    updateAppearance();
}

void Button::setImage(Image image, unsigned forState) {
    if (image.isNull())
        images_.erase(forState);
    else
        images_[forState] = std::move(image);
    updateAppearance();
}

void Button::setBackgroundImage(Image image, unsigned forState) {
    if (image.isNull())
        backgroundImages_.erase(forState);
    else
        backgroundImages_[forState] = std::move(image);
    updateAppearance();
}

std::optional<std::string> Button::titleForState(unsigned state) const {
    const std::string* title = lookup(titles_, state);
    return title ? std::optional<std::string>(*title) : std::nullopt;
}

Color Button::titleColorForState(unsigned state) const {
    if (const Color* color = lookup(titleColors_, state)) return *color;
    if (type_ == ButtonType::Custom) return Color::white();
    return (state & ControlStateDisabled) ? kDisabledSystemColor : tintColor();
}

Image Button::imageForState(unsigned state) const {
    const Image* image = lookup(images_, state);
    return image ? *image : Image();
}

Image Button::backgroundImageForState(unsigned state) const {
    const Image* image = lookup(backgroundImages_, state);
    return image ? *image : Image();
}

std::string Button::currentTitle() const { return titleForState(state()).value_or(std::string()); }
Color Button::currentTitleColor() const { return titleColorForState(state()); }
Image Button::currentImage() const { return imageForState(state()); }
Image Button::currentBackgroundImage() const { return backgroundImageForState(state()); }

// ---- appearance ------------------------------------------------------------------------

void Button::stateDidChange() {
    Control::stateDidChange();
    updateAppearance();
}

void Button::tintColorDidChange() { updateAppearance(); }

void Button::updateAppearance() {
    unsigned now = state();
    bool pressed = isHighlighted();
    bool disabled = !isEnabled();

    std::string title = currentTitle();
    titleLabel_->setText(title);
    titleLabel_->setTextColor(currentTitleColor());
    titleLabel_->setHidden(title.empty());

    // A state's own picture is shown as given; otherwise the normal one is
    // adjusted to show the state.
    bool ownPressedImage = images_.count(now) != 0;
    bool ownPressedBackground = backgroundImages_.count(now) != 0;
    bool darken = type_ == ButtonType::Custom && pressed && adjustsImageWhenHighlighted_;
    Image image = currentImage();
    Image background = currentBackgroundImage();
    imageView_->setImage(darken && !ownPressedImage ? darkened(image) : image);
    backgroundView_->setImage(darken && !ownPressedBackground ? darkened(background) : background);
    imageView_->setHidden(image.isNull());
    backgroundView_->setHidden(background.isNull());

    double contentAlpha = 1.0;
    if (type_ == ButtonType::System && pressed) contentAlpha = kSystemHighlightAlpha;
    titleLabel_->setAlpha(contentAlpha);
    double imageAlpha = contentAlpha;
    if (disabled && adjustsImageWhenDisabled_ && !ownPressedImage && type_ == ButtonType::Custom)
        imageAlpha = kDisabledImageAlpha;
    imageView_->setAlpha(imageAlpha);
    // Template glyphs of a disabled system button grey out with the title.
    if (type_ == ButtonType::System)
        imageView_->setTintColor(disabled ? std::optional(kDisabledSystemColor) : std::nullopt);
    setNeedsLayout();
}

void Button::setContentEdgeInsets(EdgeInsets insets) {
    contentEdgeInsets_ = insets;
    setNeedsLayout();
}

void Button::setTitleEdgeInsets(EdgeInsets insets) {
    titleEdgeInsets_ = insets;
    setNeedsLayout();
}

void Button::setImageEdgeInsets(EdgeInsets insets) {
    imageEdgeInsets_ = insets;
    setNeedsLayout();
}

void Button::setAdjustsImageWhenHighlighted(bool adjusts) {
    adjustsImageWhenHighlighted_ = adjusts;
    updateAppearance();
}

void Button::setAdjustsImageWhenDisabled(bool adjusts) {
    adjustsImageWhenDisabled_ = adjusts;
    updateAppearance();
}

// ---- layout --------------------------------------------------------------------------------

Size Button::titleSize() const {
    if (currentTitle().empty()) return {};
    return titleLabel_->sizeThatFits(Size{});
}

Rect Button::backgroundRectForBounds(const Rect& bounds) const { return bounds; }

Rect Button::contentRectForBounds(const Rect& bounds) const { return insetRect(bounds, contentEdgeInsets_); }

Size Button::imageSizeInContent(const Rect& contentRect) const {
    const Size image = currentImage().size();
    const Rect area = insetRect(contentRect, imageEdgeInsets_);
    if (image.width <= 0 || image.height <= 0) return image;
    const double scale = std::min({1.0, std::max(0.0, area.size.width) / image.width,
                                   std::max(0.0, area.size.height) / image.height});
    return Size{image.width * scale, image.height * scale};
}

Rect Button::placeInContent(const Rect& contentRect, Size part, double offsetX, const EdgeInsets& insets) const {
    // Image and title form one block placed by the content alignment; a
    // part's own insets shrink the area it is placed in.
    Rect area = insetRect(contentRect, insets);
    Size image = imageSizeInContent(contentRect);
    Size title = titleSize();
    double blockWidth = std::min(image.width + title.width, area.size.width);
    double x = area.origin.x;
    switch (contentHorizontalAlignment()) {
        case ControlContentHorizontalAlignment::Center:
            x += (area.size.width - blockWidth) / 2;
            break;
        case ControlContentHorizontalAlignment::Right:
            x += area.size.width - blockWidth;
            break;
        case ControlContentHorizontalAlignment::Left:
        case ControlContentHorizontalAlignment::Fill:
            break;
    }
    double height = part.height;
    double y = area.origin.y;
    switch (contentVerticalAlignment()) {
        case ControlContentVerticalAlignment::Center:
            y += (area.size.height - height) / 2;
            break;
        case ControlContentVerticalAlignment::Bottom:
            y += area.size.height - height;
            break;
        case ControlContentVerticalAlignment::Top:
            break;
        case ControlContentVerticalAlignment::Fill:
            height = area.size.height;
            break;
    }
    return Rect(x + offsetX, y, part.width, height);
}

Rect Button::imageRectForContentRect(const Rect& contentRect) const {
    Size image = imageSizeInContent(contentRect);
    if (image.width <= 0 || image.height <= 0) return Rect(contentRect.midX(), contentRect.midY(), 0, 0);
    return placeInContent(contentRect, image, 0, imageEdgeInsets_);
}

Rect Button::titleRectForContentRect(const Rect& contentRect) const {
    Size image = imageSizeInContent(contentRect);
    Size title = titleSize();
    Rect area = insetRect(contentRect, titleEdgeInsets_);
    // The title gets what the image leaves over; a filling title takes all of it.
    double room = std::max(0.0, area.size.width - image.width);
    title.width =
        contentHorizontalAlignment() == ControlContentHorizontalAlignment::Fill ? room : std::min(title.width, room);
    return placeInContent(contentRect, title, image.width, titleEdgeInsets_);
}

void Button::layoutSubviews() {
    Rect b = bounds();
    Rect content = contentRectForBounds(b);
    backgroundView_->setFrame(backgroundRectForBounds(b));
    imageView_->setFrame(imageRectForContentRect(content));
    titleLabel_->setFrame(titleRectForContentRect(content));
}

Size Button::sizeThatFits(Size) const {
    Size image = currentImage().size();
    Size title = titleSize();
    Size fitted{image.width + title.width + contentEdgeInsets_.left + contentEdgeInsets_.right,
                std::max(image.height, title.height) + contentEdgeInsets_.top + contentEdgeInsets_.bottom};
    Size background = currentBackgroundImage().size();
    return Size{std::max(fitted.width, background.width), std::max(fitted.height, background.height)};
}

}  // namespace ui
