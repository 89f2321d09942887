#include "platform/ui/controls/ActivityIndicatorView.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>
#include <numbers>

namespace ui {

using graphics::Color;
using graphics::Point;
using graphics::Rect;
using graphics::Size;

ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorViewStyle style) : style_(style) {
    setDrawsContent(true);
    setOpaque(false);
    setUserInteractionEnabled(false);
    setContentMode(ContentMode::Redraw);
    double d = diameter();
    setFrame(Rect(0, 0, d, d));
    setHidden(hidesWhenStopped_);
}

ActivityIndicatorView::~ActivityIndicatorView() {
    if (timer_) timer_->invalidate();
}

double ActivityIndicatorView::diameter() const { return style_ == ActivityIndicatorViewStyle::WhiteLarge ? 37 : 20; }

void ActivityIndicatorView::setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style) {
    style_ = style;
    Rect f = frame();
    double d = diameter();
    setFrame(Rect(f.midX() - d / 2, f.midY() - d / 2, d, d));
    setNeedsDisplay();
}

void ActivityIndicatorView::setColor(std::optional<Color> color) {
    color_ = std::move(color);
    setNeedsDisplay();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
    hidesWhenStopped_ = hides;
    if (!animating_) setHidden(hides);
}

void ActivityIndicatorView::startAnimating() {
    if (animating_) return;
    animating_ = true;
    startTime_ = foundation::RunLoop::main().now();
    setHidden(false);
    setNeedsDisplay();
    // Redraw at each step; the step itself comes from the clock, so a late
    // timer never shows a wrong spoke.
    std::weak_ptr<View> weak = weak_from_this();
    timer_ = foundation::RunLoop::main().scheduleTimer(kPeriod / kSpokeCount, true, [weak](foundation::Timer& timer) {
        auto self = weak.lock();
        if (!self) {
            timer.invalidate();
            return;
        }
        self->setNeedsDisplay();
    });
}

void ActivityIndicatorView::stopAnimating() {
    if (!animating_) return;
    animating_ = false;
    if (timer_) timer_->invalidate();
    timer_.reset();
    if (hidesWhenStopped_) setHidden(true);
    setNeedsDisplay();
}

int ActivityIndicatorView::currentStep() const {
    if (!animating_) return 0;
    double elapsed = foundation::RunLoop::main().now() - startTime_;
    auto steps = static_cast<long long>(std::floor(elapsed * kSpokeCount / kPeriod + 1e-9));
    return static_cast<int>(steps % kSpokeCount);
}

Size ActivityIndicatorView::sizeThatFits(Size) const {
    double d = diameter();
    return Size{d, d};
}

void ActivityIndicatorView::drawRect(graphics::GraphicsContext& context, const Rect&) {
    Rect b = bounds();
    double radius = std::min(b.size.width, b.size.height) / 2;
    if (radius <= 0) return;
    Color base = color_.value_or(style_ == ActivityIndicatorViewStyle::Gray ? Color::grey(0.5) : Color::white());
    Point centre{b.midX(), b.midY()};
    double spokeWidth = radius * 0.2;
    int head = currentStep();
    context.saveGState();
    context.setLineWidth(spokeWidth);
    context.setLineCap(graphics::LineCap::Round);
    for (int i = 0; i < kSpokeCount; ++i) {
        // The bright spoke, then fading behind it round the wheel (a
        // stopped wheel shows its first step).
        int behind = (head - i + kSpokeCount) % kSpokeCount;
        double alpha = 1.0 - 0.7 * behind / (kSpokeCount - 1);
        double angle = 2 * std::numbers::pi * i / kSpokeCount - std::numbers::pi / 2;
        double c = std::cos(angle), s = std::sin(angle);
        double inner = radius * 0.5, outer = radius - spokeWidth / 2;
        context.setStrokeColor(base.withAlpha(base.alpha() * alpha));
        context.strokeLine(Point{centre.x + c * inner, centre.y + s * inner},
                           Point{centre.x + c * outer, centre.y + s * outer});
    }
    context.restoreGState();
}

}  // namespace ui
