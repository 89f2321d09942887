#include "app/widgets/views/DACircularProgressView.h"

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRedrawInterval = 1.0 / 60.0;

}  // namespace

// The progress animation: its value is drawn by the view, not applied to a
// layer property, so the view asks it for the value at a given time.
class DACircularProgressView::ProgressAnimation : public ui::BasicAnimation {
public:
    double from = 0;
    double to = 0;

    std::optional<double> valueAt(double time) const {
        auto fraction = progressAt(time);
        if (!fraction) return std::nullopt;
        return from + (to - from) * curve(*fraction);
    }

    bool apply(ui::LayerState&, double) const override { return false; }
};

void DACircularProgressLayer::drawInContext(graphics::GraphicsContext& context, graphics::Size size,
                                            double drawnProgress) const {
    const graphics::Point c{size.width / 2, size.height / 2};
    const double r = std::min(size.width, size.height) / 2;
    const double p = std::min(drawnProgress, static_cast<double>(kMaximumDrawnProgress));
    const double sweep = 2 * kPi * p;
    const double thickness = thicknessRatio;

    context.saveGState();
    context.setFillColor(trackTintColor);
    context.fillEllipse(graphics::Rect(c.x - r, c.y - r, 2 * r, 2 * r));

    if (p > 0) {
        const bool clockwise = clockwiseProgress != 0;
        const double end = clockwise ? sweep - kPi / 2 : 3 * kPi / 2 - sweep;
        graphics::Path sector;
        sector.moveTo(c);
        sector.addArc(c, r, 3 * kPi / 2, end, clockwise);
        sector.close();
        context.setFillColor(progressTintColor);
        context.fillPath(sector);

        if (roundedCorners) {
            const double d = r * thickness;
            context.fillEllipse(graphics::Rect(c.x - d / 2, 0, d, d));
            const graphics::Point capCentre{r * ((1 - thickness / 2) * std::cos(end) + 1),
                                            r * ((1 - thickness / 2) * std::sin(end) + 1)};
            context.fillEllipse(graphics::Rect(capCentre.x - d / 2, capCentre.y - d / 2, d, d));
        }
    }

    const double holeRadius = r * (1 - thickness);
    const graphics::Rect hole(c.x - holeRadius, c.y - holeRadius, 2 * holeRadius, 2 * holeRadius);
    context.setBlendMode(graphics::BlendMode::Clear);
    context.fillEllipse(hole);
    if (innerTintColor) {
        context.setBlendMode(graphics::BlendMode::Normal);
        context.setFillColor(*innerTintColor);
        context.fillEllipse(hole);
    }
    context.restoreGState();
}

DACircularProgressView::DACircularProgressView() : DACircularProgressView(graphics::Rect(0, 0, 40, 40)) {}

DACircularProgressView::DACircularProgressView(const graphics::Rect& frame) : ui::View(frame) { setUp(); }

DACircularProgressView::~DACircularProgressView() {
    if (redrawTimer_) redrawTimer_->invalidate();
}

void DACircularProgressView::setUp() {
    setDrawsContent(true);
    setOpaque(false);
    setBackgroundColor(graphics::Color::clear());
}

void DACircularProgressView::setTrackTintColor(graphics::Color color) {
    layer_.trackTintColor = color;
    setNeedsDisplay();
}

void DACircularProgressView::setProgressTintColor(graphics::Color color) {
    layer_.progressTintColor = color;
    setNeedsDisplay();
}

void DACircularProgressView::setInnerTintColor(std::optional<graphics::Color> color) {
    layer_.innerTintColor = color;
    setNeedsDisplay();
}

void DACircularProgressView::setRoundedCorners(int rounded) {
    layer_.roundedCorners = rounded;
    setNeedsDisplay();
}

void DACircularProgressView::setThicknessRatio(double ratio) {
    layer_.thicknessRatio = std::clamp(ratio, 0.0, 1.0);
    setNeedsDisplay();
}

void DACircularProgressView::setClockwiseProgress(int clockwise) {
    layer_.clockwiseProgress = clockwise;
    setNeedsDisplay();
}

double DACircularProgressView::presentedProgress() const {
    auto animation = std::dynamic_pointer_cast<ProgressAnimation>(layer().animation(kProgressAnimationKey));
    if (animation) {
        if (auto value = animation->valueAt(foundation::RunLoop::main().now())) return *value;
    }
    return layer_.progress;
}

void DACircularProgressView::setProgress(double progress) { setProgress(progress, false); }

void DACircularProgressView::setProgress(double progress, bool animated) { setProgress(progress, animated, 0.0); }

void DACircularProgressView::setProgress(double progress, bool animated, double initialDelay) {
    const double target = std::clamp(progress, 0.0, 1.0);
    const float duration = static_cast<float>(std::fabs(presentedProgress() - target));
    setProgress(progress, animated, initialDelay, duration);
}

void DACircularProgressView::setProgress(double progress, bool animated, double initialDelay, double duration) {
    const double target = std::clamp(progress, 0.0, 1.0);
    // An animation cut short leaves its value where the eye last saw it, so
    // the next change starts from there instead of jumping.
    const double current = presentedProgress();
    layer().removeAnimation(kIndeterminateAnimationKey);
    layer().removeAnimation(kProgressAnimationKey);
    if (!animated) {
        layer_.progress = target;
        setNeedsDisplay();
        return;
    }
    layer_.progress = current;
    auto animation = std::make_shared<ProgressAnimation>();
    animation->keyPath = "progress";
    animation->duration = duration;
    animation->timingFunction = ui::TimingFunction::easeInEaseOut();
    animation->fillMode = ui::FillMode::Forwards;
    animation->from = current;
    animation->to = target;
    animation->fromValue = current;
    animation->toValue = target;
    animation->beginTime = foundation::RunLoop::main().now() + initialDelay;
    // Only an animation that ran to its end sets the model: the completion
    // of one that was replaced arrives later and must not undo the newer value.
    animation->completion = [weak = foundation::weakFrom(this), target](bool finished) {
        auto self = weak.lock();
        if (!finished || !self) return;
        self->layer_.progress = target;
        self->setNeedsDisplay();
    };
    layer().addAnimation(animation, kProgressAnimationKey);
    setNeedsDisplay();
    startRedrawing();
}

void DACircularProgressView::startRedrawing() {
    if (redrawTimer_ && redrawTimer_->isValid()) return;
    auto redraw = [weak = foundation::weakFrom(this)](foundation::Timer& timer) {
        auto self = weak.lock();
        if (self) self->setNeedsDisplay();
        if (!self || !self->layer().animation(kProgressAnimationKey)) timer.invalidate();
    };
    redrawTimer_ = foundation::RunLoop::main().scheduleTimer(kRedrawInterval, true, std::move(redraw));
}

int DACircularProgressView::indeterminate() const { return layer().animation(kIndeterminateAnimationKey) ? 1 : 0; }

void DACircularProgressView::setIndeterminate(int indeterminate) {
    if (!indeterminate) {
        layer().removeAnimation(kIndeterminateAnimationKey);
        return;
    }
    if (layer().animation(kIndeterminateAnimationKey)) return;
    double rotation = 0;
    if (auto value = layer().valueForKeyPath("transform.rotation")) {
        if (auto* angle = std::get_if<double>(&*value)) rotation = *angle;
    }
    auto spin = ui::BasicAnimation::make("transform.rotation");
    spin->fromValue = rotation;
    spin->toValue = rotation + (layer_.clockwiseProgress > 0 ? 2 * kPi : -2 * kPi);
    spin->duration = indeterminateDuration_;
    spin->repeatCount = std::numeric_limits<double>::infinity();
    layer().addAnimation(spin, kIndeterminateAnimationKey);
}

void DACircularProgressView::drawRect(graphics::GraphicsContext& context, const graphics::Rect&) {
    layer_.drawInContext(context, bounds().size, presentedProgress());
}

void DACircularProgressView::didMoveToWindow() {
    // The window's scale may differ from the one drawn at.
    if (window()) setNeedsDisplay();
}
