#include "app/widgets/views/MKNumberBadgeView.h"

#include "platform/graphics/GraphicsContext.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kShadowBlur = 4.0;

}  // namespace

MKNumberBadgeView::MKNumberBadgeView() : ui::View() { setUp(); }

MKNumberBadgeView::MKNumberBadgeView(const graphics::Rect& frame) : ui::View(frame) { setUp(); }

void MKNumberBadgeView::setUp() {
    setDrawsContent(true);
    setOpaque(false);
    setBackgroundColor(graphics::Color::clear());
}

void MKNumberBadgeView::setValue(uint32_t value) {
    value_ = value;
    setHidden(hideWhenZero_ && value == 0);
    setNeedsDisplay();
    // A view that sized the badge to its value sizes it again.
    if (ui::View* parent = superview()) parent->setNeedsLayout();
}

std::string MKNumberBadgeView::text() const {
    // Unsigned all the way: counts above 2^31 must not turn negative.
    return std::to_string(value_);
}

graphics::Path MKNumberBadgeView::newBadgePathForTextSize(graphics::Size textSize) const {
    const double tw = textSize.width;
    const double th = textSize.height;
    const double r = std::ceil((static_cast<double>(pad_) + th) / 2);
    const double d = 2 * r;
    graphics::Path path;
    path.moveTo({r, 0});
    path.addArc({r, r}, r, 3 * kPi / 2, kPi / 2, false);
    const double x2 = (tw - th / 2 > 0 ? tw - th / 2 + d : d) - r;
    path.lineTo({x2, d});
    path.addArc({x2, r}, r, kPi / 2, 3 * kPi / 2, false);
    path.lineTo({r, 0});
    return path;
}

graphics::Size MKNumberBadgeView::badgeSize() const {
    graphics::Rect box = newBadgePathForTextSize(font_.sizeOfText(text())).bounds();
    return {std::ceil(box.width()), std::ceil(box.height())};
}

graphics::Rect MKNumberBadgeView::badgeFrameInBounds() const {
    graphics::Rect box = newBadgePathForTextSize(font_.sizeOfText(text())).bounds();
    const double strokeAllowance = std::trunc(strokeWidth_ / 2);
    const double w = std::trunc(box.width()) + strokeAllowance;
    const double h = std::trunc(box.height()) + strokeAllowance;
    const graphics::Size bounds = this->bounds().size;
    const double y = std::trunc((bounds.height - h) / 2);
    double x = std::trunc((bounds.width - w) / 2);
    if (alignment_ == 0) x = 0;
    if (alignment_ == 2) x = bounds.width - w;
    return {x, y, w, h};
}

graphics::Size MKNumberBadgeView::sizeThatFits(graphics::Size) const { return badgeFrameInBounds().size; }

void MKNumberBadgeView::drawRect(graphics::GraphicsContext& context, const graphics::Rect&) {
    const std::string label = text();
    const graphics::Size textSize = font_.sizeOfText(label);
    graphics::Path badge = newBadgePathForTextSize(textSize);
    const graphics::Rect frame = badgeFrameInBounds();
    const double w = frame.size.width;
    const double h = frame.size.height;

    context.saveGState();
    context.setLineWidth(strokeWidth_);
    context.setStrokeColor(strokeColor_);
    context.setFillColor(fillColor_);
    context.translate(frame.origin.x, frame.origin.y);

    if (shadow_) {
        context.saveGState();
        context.setShadow(shadowOffset_, kShadowBlur, shadowColor_);
        context.fillPath(badge);
        context.strokePathWithContextSettings(badge);
        context.restoreGState();
    }
    context.fillPath(badge);
    context.strokePathWithContextSettings(badge);

    if (shine_) {
        context.clipToPath(badge);
        graphics::Gradient gloss = graphics::Gradient::withColors(
            {graphics::Color::white().withAlpha(0.8), graphics::Color::white().withAlpha(0.0)}, {0.0, 1.0});
        graphics::Path upper;
        upper.moveTo({0, 0});
        upper.lineTo({0, h * 0.25});
        upper.curveTo({w, h * 0.25}, {0, h * 0.65}, {w, h * 0.65});
        upper.lineTo({w, 0});
        upper.close();
        context.clipToPath(upper);
        context.drawLinearGradient(gloss, {w / 2, 0}, {w / 2, h * 0.65}, graphics::kGradientDrawsBeforeStart);
    }
    context.restoreGState();

    context.setFillColor(textColor_);
    context.drawText(
        label, graphics::Point{frame.origin.x + (w - textSize.width) / 2, frame.origin.y + (h - textSize.height) / 2},
        font_);
}
