#include "platform/ui/controllers/BarButtonItem.h"

#include "platform/foundation/Localized.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

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

namespace {

// One part of a system glyph, in fractions of its square: a line from (a, b)
// to (c, d); a filled triangle (a, b), (c, d), (e, f); a rectangle (outlined,
// rounded with corners of e of the width, or filled) or an ellipse at (a, b)
// of size (c, d); an arc about (a, b) of radius c of the width, from angle d
// to e.
struct GlyphPart {
    enum Kind { Line, Triangle, Box, RoundedBox, FilledBox, Ellipse, Arc } kind;
    double a, b, c, d, e = 0, f = 0;
};

const std::vector<GlyphPart>& glyphParts(BarButtonSystemItem item) {
    using enum GlyphPart::Kind;
    using enum BarButtonSystemItem;
    static const std::vector<GlyphPart> kNone;
    static const std::map<BarButtonSystemItem, std::vector<GlyphPart>> kGlyphs{
        {Add, {{Line, 0.5, 0.1, 0.5, 0.9}, {Line, 0.1, 0.5, 0.9, 0.5}}},
        {Stop, {{Line, 0.15, 0.15, 0.85, 0.85}, {Line, 0.85, 0.15, 0.15, 0.85}}},
        {Play, {{Triangle, 0.2, 0.1, 0.9, 0.5, 0.2, 0.9}}},
        {Pause, {{FilledBox, 0.2, 0.1, 0.2, 0.8}, {FilledBox, 0.6, 0.1, 0.2, 0.8}}},
        {Rewind, {{Triangle, 0.5, 0.2, 0.05, 0.5, 0.5, 0.8}, {Triangle, 0.95, 0.2, 0.5, 0.5, 0.95, 0.8}}},
        {FastForward, {{Triangle, 0.05, 0.2, 0.5, 0.5, 0.05, 0.8}, {Triangle, 0.5, 0.2, 0.95, 0.5, 0.5, 0.8}}},
        {Trash,
         {{Line, 0.1, 0.2, 0.9, 0.2},
          {Line, 0.38, 0.1, 0.62, 0.1},
          {Box, 0.2, 0.2, 0.6, 0.72},
          {Line, 0.4, 0.35, 0.4, 0.8},
          {Line, 0.6, 0.35, 0.6, 0.8}}},
        {Refresh, {{Arc, 0.5, 0.5, 0.38, -M_PI / 2, M_PI * 1.3}, {Triangle, 0.5, 0.0, 0.72, 0.12, 0.5, 0.25}}},
        {Action,
         {{Box, 0.15, 0.4, 0.7, 0.55},
          {Line, 0.5, 0.05, 0.5, 0.65},
          {Line, 0.3, 0.25, 0.5, 0.05},
          {Line, 0.7, 0.25, 0.5, 0.05}}},
        {Search, {{Ellipse, 0.1, 0.1, 0.55, 0.55}, {Line, 0.58, 0.58, 0.9, 0.9}}},
        {Camera,
         {{RoundedBox, 0.05, 0.25, 0.9, 0.65, 0.08},
          {Ellipse, 0.35, 0.4, 0.3, 0.3},
          {Line, 0.35, 0.25, 0.42, 0.12},
          {Line, 0.42, 0.12, 0.58, 0.12},
          {Line, 0.58, 0.12, 0.65, 0.25}}},
        {Compose, {{Box, 0.1, 0.2, 0.65, 0.7}, {Line, 0.45, 0.55, 0.9, 0.1}}},
        {Reply, {{Line, 0.1, 0.5, 0.45, 0.2}, {Line, 0.1, 0.5, 0.45, 0.8}, {Line, 0.1, 0.5, 0.9, 0.5}}},
        {Organize,
         {{Box, 0.1, 0.3, 0.8, 0.6},
          {Line, 0.1, 0.3, 0.2, 0.15},
          {Line, 0.2, 0.15, 0.45, 0.15},
          {Line, 0.45, 0.15, 0.5, 0.3}}},
        {Bookmarks, {{Box, 0.2, 0.1, 0.6, 0.8}, {Line, 0.35, 0.1, 0.35, 0.9}}},
        {PageCurl, {{Triangle, 0.1, 0.9, 0.9, 0.1, 0.9, 0.9}}},
    };
    const auto found = kGlyphs.find(item);
    return found == kGlyphs.end() ? kNone : found->second;
}

}  // namespace

void drawSystemGlyph(GraphicsContext& context, BarButtonSystemItem item, const Rect& r, const Color& color) {
    context.saveGState();
    context.setFillColor(color);
    context.setStrokeColor(color);
    context.setLineWidth(std::max(1.5, r.width() / 12));
    context.setLineCap(graphics::LineCap::Round);
    context.setLineJoin(graphics::LineJoin::Round);
    const double x = r.minX(), y = r.minY(), w = r.width(), h = r.height();
    auto at = [&](double fx, double fy) { return Point{x + fx * w, y + fy * h}; };
    for (const GlyphPart& part : glyphParts(item)) {
        const Rect box(x + part.a * w, y + part.b * h, part.c * w, part.d * h);
        switch (part.kind) {
            case GlyphPart::Line:
                context.strokeLine(at(part.a, part.b), at(part.c, part.d));
                break;
            case GlyphPart::Triangle: {
                Path path;
                path.moveTo(at(part.a, part.b));
                path.lineTo(at(part.c, part.d));
                path.lineTo(at(part.e, part.f));
                path.close();
                context.fillPath(path);
                break;
            }
            case GlyphPart::Box:
                context.strokePathWithContextSettings(Path::rect(box));
                break;
            case GlyphPart::RoundedBox:
                context.strokePathWithContextSettings(Path::roundedRect(box, part.e * w));
                break;
            case GlyphPart::FilledBox:
                context.fillRect(box);
                break;
            case GlyphPart::Ellipse:
                context.strokeEllipse(box);
                break;
            case GlyphPart::Arc:
                context.strokePathWithContextSettings(Path::arc(at(part.a, part.b), part.c * w, part.d, part.e, false));
                break;
        }
    }
    context.restoreGState();
}

}  // namespace detail
}  // namespace ui
