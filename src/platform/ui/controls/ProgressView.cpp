#include "platform/ui/controls/ProgressView.h"

#include "platform/ui/compositing/Animation.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Color;
using graphics::Rect;
using graphics::Size;

namespace {
constexpr double kAnimationDuration = 0.25;
}

ProgressView::ProgressView(ProgressViewStyle style) : ProgressView(style, Rect()) {}

ProgressView::ProgressView(ProgressViewStyle style, const Rect& frame) : View(frame), style_(style) {
    setOpaque(false);
    setClipsToBounds(true);
    fill_ = makeView<View>();
    fill_->setUserInteractionEnabled(false);
    addSubview(fill_);
    updateColors();
}

void ProgressView::setProgressViewStyle(ProgressViewStyle style) {
    style_ = style;
    updateColors();
}

void ProgressView::setProgress(double progress) { setProgress(progress, false); }

void ProgressView::setProgress(double progress, bool animated) {
    progress = std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0);
    if (progress == progress_) return;
    progress_ = progress;
    setNeedsLayout();
    if (animated) animate(kAnimationDuration, [this] { layoutIfNeeded(); });
}

void ProgressView::setProgressTintColor(std::optional<Color> color) {
    progressTint_ = std::move(color);
    updateColors();
}

void ProgressView::setTrackTintColor(std::optional<Color> color) {
    trackTint_ = std::move(color);
    updateColors();
}

void ProgressView::tintColorDidChange() { updateColors(); }

void ProgressView::updateColors() {
    Color track = style_ == ProgressViewStyle::Bar ? Color::clear() : Color::rgb8(183, 183, 183);
    setBackgroundColor(trackTint_.value_or(track));
    fill_->setBackgroundColor(progressTint_.value_or(tintColor()));
}

Size ProgressView::sizeThatFits(Size) const { return Size{bounds().size.width, kHeight}; }

void ProgressView::layoutSubviews() {
    Rect b = bounds();
    fill_->setFrame(Rect(b.origin.x, b.origin.y, b.size.width * progress_, b.size.height));
}

}  // namespace ui
