#include "platform/ui/Toolbar.h"

#include "platform/graphics/GraphicsContext.h"

#include <algorithm>

namespace ui {

using graphics::Color;
using graphics::Rect;
using graphics::Size;

namespace {
constexpr double kEdgeMargin = 12.0;
constexpr double kItemSpacing = 8.0;
}  // namespace

namespace detail {

Color barBackground(BarStyle style, bool translucent, const std::optional<Color>& tint) {
    Color base = tint ? *tint : (style == BarStyle::Default ? Color::grey(0.97) : Color::grey(0.08));
    bool seeThrough = translucent || style == BarStyle::BlackTranslucent;
    return seeThrough ? base.withAlpha(base.alpha() * 0.85) : base;
}

Color barTitleColor(BarStyle style) { return style == BarStyle::Default ? Color::black() : Color::white(); }

}  // namespace detail

Toolbar::Toolbar() : Toolbar(Rect(0, 0, 320, kHeight)) {}

Toolbar::Toolbar(const Rect& frame) : View(frame) {
    setDrawsContent(true);
    setOpaque(false);
}

Toolbar::~Toolbar() { detachItems(); }

void Toolbar::detachItems() {
    for (const auto& item : items_) item->detach(this);
}

void Toolbar::setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool) {
    detachItems();
    items_ = std::move(items);
    items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
    rebuild();
}

void Toolbar::rebuild() {
    for (const ViewPtr& view : itemViews_) {
        if (view->superview() == this) view->removeFromSuperview();
    }
    itemViews_.clear();
    for (const auto& item : items_) {
        ViewPtr view = item->makeView(this);
        addSubview(view);
        itemViews_.push_back(std::move(view));
    }
    setNeedsLayout();
}

void Toolbar::barButtonItemDidChange(BarButtonItem&) { rebuild(); }

void Toolbar::setBarStyle(BarStyle style) {
    barStyle_ = style;
    setNeedsDisplay();
}

void Toolbar::setTranslucent(bool translucent) {
    translucent_ = translucent;
    setNeedsDisplay();
}

void Toolbar::setBarTintColor(std::optional<Color> color) {
    barTintColor_ = std::move(color);
    setNeedsDisplay();
}

void Toolbar::layoutSubviews() {
    const Rect b = bounds();
    double fixed = 0;
    int flexible = 0;
    for (const auto& item : items_) {
        if (item->isFlexibleSpace()) ++flexible;
        else fixed += item->preferredWidth();
    }
    double spacing = items_.size() > 1 ? kItemSpacing * static_cast<double>(items_.size() - 1) : 0;
    double spare = std::max(0.0, b.width() - 2 * kEdgeMargin - fixed - spacing);
    double flexibleWidth = flexible > 0 ? spare / flexible : 0;
    double x = b.minX() + kEdgeMargin;
    for (size_t i = 0; i < items_.size(); ++i) {
        const auto& item = items_[i];
        const ViewPtr& view = itemViews_[i];
        double width = item->isFlexibleSpace() ? flexibleWidth : item->preferredWidth();
        if (item->customView()) {
            // A caller's view keeps its height, centred on the bar.
            double height = std::min(view->frame().size.height, b.height());
            view->setFrame(Rect(x, b.minY() + (b.height() - height) / 2, width, height));
        } else {
            view->setFrame(Rect(x, b.minY(), width, b.height()));
        }
        x += width + kItemSpacing;
    }
}

Size Toolbar::sizeThatFits(Size size) const { return Size{size.width, kHeight}; }

void Toolbar::drawRect(graphics::GraphicsContext& context, const Rect&) {
    Rect b = bounds();
    context.setFillColor(detail::barBackground(barStyle_, translucent_, barTintColor_));
    context.fillRect(b);
    context.setFillColor(Color::grey(0.0, 0.3));
    context.fillRect(Rect(b.minX(), b.minY(), b.width(), 0.5));
}

}  // namespace ui
