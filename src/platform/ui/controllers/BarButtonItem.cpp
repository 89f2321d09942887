#include "platform/ui/controllers/BarButtonItem.h"

#include "platform/foundation/Localized.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Color;
using graphics::GraphicsContext;
using graphics::Path;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kTextPadding = 8.0;
constexpr double kGlyphItemWidth = 40.0;
constexpr double kImagePadding = 8.0;

// System items that show a word rather than a glyph.
std::optional<std::string> systemItemTitle(BarButtonSystemItem item) {
    switch (item) {
        case BarButtonSystemItem::Done:
            return foundation::localized("Done");
        case BarButtonSystemItem::Cancel:
            return foundation::localized("Cancel");
        case BarButtonSystemItem::Edit:
            return foundation::localized("Edit");
        case BarButtonSystemItem::Save:
            return foundation::localized("Save");
        case BarButtonSystemItem::Undo:
            return foundation::localized("Undo");
        case BarButtonSystemItem::Redo:
            return foundation::localized("Redo");
        default:
            return std::nullopt;
    }
}

bool isTouchInside(const View& view, const TouchSet& touches) {
    if (touches.empty()) return false;
    // A little slack around the button, as a finger is not a point.
    return view.bounds().insetBy(-20, -20).contains(touches.front()->locationInView(&view));
}

}  // namespace

// ---- item -------------------------------------------------------------------------------

BarButtonItem::BarButtonItem(std::string title, BarButtonItemStyle style, Action action)
    : title_(std::move(title)), style_(style), action_(std::move(action)) {}

BarButtonItem::BarButtonItem(graphics::Image image, BarButtonItemStyle style, Action action)
    : image_(std::move(image)), style_(style), action_(std::move(action)) {}

BarButtonItem::BarButtonItem(BarButtonSystemItem systemItem, Action action)
    : systemItem_(systemItem), action_(std::move(action)) {
    if (auto text = systemItemTitle(systemItem)) title_ = *text;
    if (systemItem == BarButtonSystemItem::Done) style_ = BarButtonItemStyle::Done;
}

BarButtonItem::BarButtonItem(ViewPtr customView) : customView_(std::move(customView)) {}

BarButtonItem::~BarButtonItem() = default;

void BarButtonItem::changed() {
    if (host_) host_->barButtonItemDidChange(*this);
}

void BarButtonItem::setTitle(std::string title) {
    if (title_ == title) return;
    title_ = std::move(title);
    changed();
}

void BarButtonItem::setImage(graphics::Image image) {
    image_ = std::move(image);
    changed();
}

void BarButtonItem::setStyle(BarButtonItemStyle style) {
    if (style_ == style) return;
    style_ = style;
    changed();
}

void BarButtonItem::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (auto* button = dynamic_cast<detail::TextButtonView*>(view())) {
        button->setEnabled(enabled);
    } else if (customView_) {
        customView_->setUserInteractionEnabled(enabled);
    }
}

void BarButtonItem::setWidth(double width) {
    if (width_ == width) return;
    width_ = width;
    changed();
}

void BarButtonItem::setCustomView(ViewPtr view) {
    if (customView_ == view) return;
    if (customView_ && customView_ == view_.lock()) customView_->removeFromSuperview();
    customView_ = std::move(view);
    changed();
}

void BarButtonItem::setTintColor(std::optional<graphics::Color> color) {
    tintColor_ = std::move(color);
    if (View* v = view()) v->setTintColor(tintColor_);
}

double BarButtonItem::preferredWidth() const {
    if (customView_) return customView_->frame().size.width;
    if (isFlexibleSpace()) return 0;
    if (width_ > 0) return width_;
    if (systemItem_ == BarButtonSystemItem::FixedSpace) return 0;
    if (!image_.isNull()) return image_.size().width + 2 * kImagePadding;
    if (!title_.empty()) {
        graphics::Font font =
            style_ == BarButtonItemStyle::Done ? graphics::Font::boldSystemFont(17) : graphics::Font::systemFont(17);
        return std::ceil(font.widthOfText(title_)) + 2 * kTextPadding;
    }
    return systemItem_ ? kGlyphItemWidth : 0;
}

std::optional<Key> BarButtonItem::keyEquivalent() const {
    if (keyEquivalent_) return *keyEquivalent_;
    if (systemItem_ == BarButtonSystemItem::Cancel) return Key::Escape;
    if (systemItem_ == BarButtonSystemItem::Done) return Key::Return;
    return std::nullopt;
}

void BarButtonItem::setKeyEquivalent(std::optional<Key> key) {
    keyEquivalent_ = key;
    if (auto* button = dynamic_cast<detail::TextButtonView*>(view())) button->keyEquivalent = key;
}

ViewPtr BarButtonItem::makeView(BarButtonItemHost* host) {
    host_ = host;
    ViewPtr result;
    if (customView_) {
        result = customView_;
    } else if (isSpace()) {
        result = ui::makeView<View>();
        result->setUserInteractionEnabled(false);
    } else {
        auto button = ui::makeView<detail::TextButtonView>();
        button->title = title_;
        if (style_ == BarButtonItemStyle::Done) button->font = graphics::Font::boldSystemFont(17);
        button->image = image_;
        if (title_.empty() && image_.isNull()) button->glyph = systemItem_;
        button->keyEquivalent = keyEquivalent();
        button->setEnabled(enabled_);
        std::weak_ptr<BarButtonItem> self = weak_from_this();
        BarButtonItem* raw = this;
        bool shared = !self.expired();
        button->onTap = [self, raw, shared] {
            // An item not held by a shared pointer lives as long as its bar.
            std::shared_ptr<BarButtonItem> keep = shared ? self.lock() : nullptr;
            BarButtonItem* item = shared ? keep.get() : raw;
            if (item && item->enabled_ && item->action_) {
                Action action = item->action_;
                action(*item);
            }
        };
        result = button;
    }
    if (tintColor_) result->setTintColor(tintColor_);
    view_ = result;
    return result;
}

void BarButtonItem::detach(const BarButtonItemHost* host) {
    if (host_ != host) return;
    host_ = nullptr;
    view_.reset();
}

// ---- toolkit buttons -------------------------------------------------------------------------

namespace detail {

TextButtonView::TextButtonView() {
    setDrawsContent(true);
    setOpaque(false);
}

void TextButtonView::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (!enabled) highlighted_ = false;
    setNeedsDisplay();
}

void TextButtonView::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) return;
    highlighted_ = highlighted;
    setNeedsDisplay();
}

void TextButtonView::sendTap() {
    if (!enabled_ || !onTap) return;
    // The tap may rebuild the bar or close the alert that holds this view.
    ViewPtr keep = sharedFromThis();
    auto tap = onTap;
    tap();
}

bool TextButtonView::handleKeyEquivalent(const KeyPress& press) {
    if (!keyEquivalent || press.key != *keyEquivalent || !press.text.empty() || !enabled_ || !onTap) return false;
    sendTap();
    return true;
}

Size TextButtonView::sizeThatFits(Size) const {
    if (!image.isNull()) return Size{image.size().width + 2 * kImagePadding, image.size().height};
    if (!title.empty()) {
        Size text = font.sizeOfText(title);
        return Size{text.width + 2 * kTextPadding, text.height};
    }
    return Size{kGlyphItemWidth, kGlyphItemWidth};
}

void TextButtonView::drawRect(GraphicsContext& context, const Rect&) {
    Rect b = bounds();
    if (highlighted_ && highlightFill) {
        context.setFillColor(*highlightFill);
        context.fillRect(b);
    }
    Color color = enabled_ ? titleColor.value_or(tintColor()) : Color::grey(0.6);
    if (highlighted_ && !highlightFill) color = color.withAlpha(color.alpha() * 0.3);
    if (!image.isNull() && image.renderingMode() == graphics::ImageRenderingMode::AlwaysOriginal) {
        // An image asked to keep its own colours is drawn as it is.
        Size size = image.size();
        context.drawImage(image, Rect(b.midX() - size.width / 2, b.midY() - size.height / 2, size.width, size.height));
    } else if (!image.isNull()) {
        // Bar images are templates by default: their shape in the button's colour.
        Size size = image.size();
        Rect target(b.midX() - size.width / 2, b.midY() - size.height / 2, size.width, size.height);
        GraphicsContext mask(size, context.scale());
        mask.drawImage(image, Rect(Point{}, size));
        mask.setBlendMode(graphics::BlendMode::SourceIn);
        mask.setFillColor(color);
        mask.fillRect(Rect(Point{}, size));
        context.drawImage(mask.makeImage(), target);
    } else if (!title.empty()) {
        context.setFillColor(color);
        double height = font.lineHeight();
        Rect line(b.minX() + 2, b.midY() - height / 2, std::max(0.0, b.width() - 4), height);
        context.drawText(title, line, font, graphics::LineBreakMode::TruncateTail, graphics::TextAlignment::Center);
    } else if (glyph) {
        double side = std::min({b.width(), b.height(), 24.0});
        drawSystemGlyph(context, *glyph, Rect(b.midX() - side / 2, b.midY() - side / 2, side, side), color);
    }
}

void TextButtonView::touchesBegan(const TouchSet&, const Event&) {
    if (enabled_) setHighlighted(true);
}

void TextButtonView::touchesMoved(const TouchSet& touches, const Event&) {
    if (enabled_) setHighlighted(isTouchInside(*this, touches));
}

void TextButtonView::touchesEnded(const TouchSet& touches, const Event&) {
    bool inside = isTouchInside(*this, touches);
    setHighlighted(false);
    if (inside) sendTap();
}

void TextButtonView::touchesCancelled(const TouchSet&, const Event&) { setHighlighted(false); }

TextBlockView::TextBlockView() {
    setDrawsContent(true);
    setOpaque(false);
    setUserInteractionEnabled(false);
}

Size TextBlockView::sizeThatFits(Size size) const {
    return font.sizeOfText(text, size.width > 0 ? size.width : std::numeric_limits<double>::infinity());
}

void TextBlockView::drawRect(GraphicsContext& context, const Rect&) {
    context.setFillColor(color);
    context.drawText(text, bounds(), font, graphics::LineBreakMode::WordWrap, alignment);
}

// ---- glyphs ---------------------------------------------------------------------------------------

void drawSystemGlyph(GraphicsContext& context, BarButtonSystemItem item, const Rect& r, const Color& color) {
    context.saveGState();
    context.setFillColor(color);
    context.setStrokeColor(color);
    context.setLineWidth(std::max(1.5, r.width() / 12));
    context.setLineCap(graphics::LineCap::Round);
    context.setLineJoin(graphics::LineJoin::Round);
    const double x = r.minX(), y = r.minY(), w = r.width(), h = r.height();
    auto at = [&](double fx, double fy) { return Point{x + fx * w, y + fy * h}; };
    auto polygon = [&](std::initializer_list<Point> points) {
        Path path;
        bool first = true;
        for (Point p : points) {
            if (first)
                path.moveTo(p);
            else
                path.lineTo(p);
            first = false;
        }
        path.close();
        context.fillPath(path);
    };
    auto line = [&](double x1, double y1, double x2, double y2) { context.strokeLine(at(x1, y1), at(x2, y2)); };
    switch (item) {
        case BarButtonSystemItem::Add:
            line(0.5, 0.1, 0.5, 0.9);
            line(0.1, 0.5, 0.9, 0.5);
            break;
        case BarButtonSystemItem::Stop:
            line(0.15, 0.15, 0.85, 0.85);
            line(0.85, 0.15, 0.15, 0.85);
            break;
        case BarButtonSystemItem::Play:
            polygon({at(0.2, 0.1), at(0.9, 0.5), at(0.2, 0.9)});
            break;
        case BarButtonSystemItem::Pause:
            context.fillRect(Rect(x + 0.2 * w, y + 0.1 * h, 0.2 * w, 0.8 * h));
            context.fillRect(Rect(x + 0.6 * w, y + 0.1 * h, 0.2 * w, 0.8 * h));
            break;
        case BarButtonSystemItem::Rewind:
            polygon({at(0.5, 0.2), at(0.05, 0.5), at(0.5, 0.8)});
            polygon({at(0.95, 0.2), at(0.5, 0.5), at(0.95, 0.8)});
            break;
        case BarButtonSystemItem::FastForward:
            polygon({at(0.05, 0.2), at(0.5, 0.5), at(0.05, 0.8)});
            polygon({at(0.5, 0.2), at(0.95, 0.5), at(0.5, 0.8)});
            break;
        case BarButtonSystemItem::Trash:
            line(0.1, 0.2, 0.9, 0.2);
            line(0.38, 0.1, 0.62, 0.1);
            context.strokePathWithContextSettings(Path::rect(Rect(x + 0.2 * w, y + 0.2 * h, 0.6 * w, 0.72 * h)));
            line(0.4, 0.35, 0.4, 0.8);
            line(0.6, 0.35, 0.6, 0.8);
            break;
        case BarButtonSystemItem::Refresh: {
            Path arc = Path::arc(at(0.5, 0.5), 0.38 * w, -M_PI / 2, M_PI * 1.3, false);
            context.strokePathWithContextSettings(arc);
            polygon({at(0.5, 0.0), at(0.72, 0.12), at(0.5, 0.25)});
            break;
        }
        case BarButtonSystemItem::Action:
            context.strokePathWithContextSettings(Path::rect(Rect(x + 0.15 * w, y + 0.4 * h, 0.7 * w, 0.55 * h)));
            line(0.5, 0.05, 0.5, 0.65);
            line(0.3, 0.25, 0.5, 0.05);
            line(0.7, 0.25, 0.5, 0.05);
            break;
        case BarButtonSystemItem::Search:
            context.strokeEllipse(Rect(x + 0.1 * w, y + 0.1 * h, 0.55 * w, 0.55 * h));
            line(0.58, 0.58, 0.9, 0.9);
            break;
        case BarButtonSystemItem::Camera:
            context.strokePathWithContextSettings(
                Path::roundedRect(Rect(x + 0.05 * w, y + 0.25 * h, 0.9 * w, 0.65 * h), 0.08 * w));
            context.strokeEllipse(Rect(x + 0.35 * w, y + 0.4 * h, 0.3 * w, 0.3 * h));
            line(0.35, 0.25, 0.42, 0.12);
            line(0.42, 0.12, 0.58, 0.12);
            line(0.58, 0.12, 0.65, 0.25);
            break;
        case BarButtonSystemItem::Compose:
            context.strokePathWithContextSettings(Path::rect(Rect(x + 0.1 * w, y + 0.2 * h, 0.65 * w, 0.7 * h)));
            line(0.45, 0.55, 0.9, 0.1);
            break;
        case BarButtonSystemItem::Reply:
            line(0.1, 0.5, 0.45, 0.2);
            line(0.1, 0.5, 0.45, 0.8);
            line(0.1, 0.5, 0.9, 0.5);
            break;
        case BarButtonSystemItem::Organize:
            context.strokePathWithContextSettings(Path::rect(Rect(x + 0.1 * w, y + 0.3 * h, 0.8 * w, 0.6 * h)));
            line(0.1, 0.3, 0.2, 0.15);
            line(0.2, 0.15, 0.45, 0.15);
            line(0.45, 0.15, 0.5, 0.3);
            break;
        case BarButtonSystemItem::Bookmarks:
            context.strokePathWithContextSettings(Path::rect(Rect(x + 0.2 * w, y + 0.1 * h, 0.6 * w, 0.8 * h)));
            line(0.35, 0.1, 0.35, 0.9);
            break;
        case BarButtonSystemItem::PageCurl:
            polygon({at(0.1, 0.9), at(0.9, 0.1), at(0.9, 0.9)});
            break;
        default:
            break;
    }
    context.restoreGState();
}

}  // namespace detail
}  // namespace ui
