#include "platform/ui/lists/ScrollView.h"

#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace ui {

using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

// Stiffness of the critically damped spring that brings the content back to
// an edge or onto a page, per second: it settles within about half a second.
constexpr double kSpringRate = 12.0;
// A spring is at rest once it is this close and this slow.
constexpr double kRestDistance = 0.5;
constexpr double kRestVelocity = 5.0;
// Free motion ends once less than this distance remains to be covered.
constexpr double kDecayRestDistance = 0.5;
// Releasing faster than this turns to the next page instead of the nearest.
constexpr double kPageFlickVelocity = 250.0;
// Share of the finger's movement that the content follows past an edge.
constexpr double kRubberBandShare = 0.5;

double now() { return foundation::RunLoop::main().now(); }

}  // namespace

// The scroll view's own pan: a finger that comes down stops any motion, and
// the scroll view knows when a finger is on it.
class ScrollViewPanGestureRecognizer : public PanGestureRecognizer {
public:
    explicit ScrollViewPanGestureRecognizer(ScrollView& scrollView) : scrollView_(scrollView) {}

    void touchesBegan(const TouchSet& touches, const Event& event) override {
        // Detached: the scroll view is gone while the gesture machinery still holds this.
        if (!view()) return PanGestureRecognizer::touchesBegan(touches, event);
        if (!scrollView_.tracking_) {
            scrollView_.touchStoppedMotion_ = scrollView_.motion_ == ScrollView::Motion::Decelerating;
            View* touched = touches.empty() ? nullptr : touches.front()->view;
            scrollView_.touchedView_ = touched ? touched->weak_from_this() : std::weak_ptr<View>();
        }
        scrollView_.tracking_ = true;
        scrollView_.stopMotion();
        PanGestureRecognizer::touchesBegan(touches, event);
    }
    void reset() override {
        PanGestureRecognizer::reset();
        if (!view()) return;
        scrollView_.tracking_ = false;
        scrollView_.touchStoppedMotion_ = false;
        // A touch that caught the content past an edge and lifted without
        // dragging lets it spring back.
        scrollView_.settleIfOutOfRange();
    }

private:
    ScrollView& scrollView_;
};

// ---- free motion of one axis -------------------------------------------------

void ScrollView::Axis::springFrom(double time, double position, double speed, double restAt) {
    kind = Kind::Spring;
    startTime = time;
    origin = position;
    velocity = speed;
    target = restAt;
}

double ScrollView::Axis::step(double time, bool bounces, double rate) {
    switch (kind) {
        case Kind::Idle:
            return origin;
        case Kind::Tween: {
            double t = std::clamp((time - startTime) / kScrollAnimationDuration, 0.0, 1.0);
            if (t >= 1.0) {
                kind = Kind::Idle;
                origin = target;
                return target;
            }
            return origin + (target - origin) * TimingFunction::easeInEaseOut().solve(t);
        }
        case Kind::Decay: {
            // v(t) = v0 · rate^(1000 t): the velocity loses a fixed share per millisecond.
            double k = 1000.0 * std::log(rate);  // negative
            double t = time - startTime;
            double travel = -velocity / k;  // distance to rest from the start
            double restPosition = origin + travel;
            double decay = std::exp(k * t);
            double position = origin + travel * (1.0 - decay);
            // An edge on the way: stop there, or spring back from beyond it.
            double edge = velocity < 0 ? minimum : maximum;
            bool crosses = velocity < 0 ? position < minimum : position > maximum;
            if (crosses) {
                // When the content reached the edge: 1 - e^(k t) = (edge - origin) / travel.
                double fraction = (edge - origin) / travel;
                double hitTime = fraction < 1.0 ? std::log(1.0 - fraction) / k : t;
                double hitSpeed = velocity * std::exp(k * hitTime);
                if (!bounces) {
                    kind = Kind::Idle;
                    origin = edge;
                    return edge;
                }
                springFrom(startTime + hitTime, edge, hitSpeed, edge);
                return step(time, bounces, rate);
            }
            if (std::fabs(restPosition - position) < kDecayRestDistance) {
                kind = Kind::Idle;
                origin = std::clamp(restPosition, minimum, maximum);
                return origin;
            }
            return position;
        }
        case Kind::Spring: {
            // Critically damped: x(t) = target + (d0 + (v0 + w d0) t) e^(-w t).
            double t = time - startTime;
            double d0 = origin - target;
            double b = velocity + kSpringRate * d0;
            double e = std::exp(-kSpringRate * t);
            double displacement = (d0 + b * t) * e;
            double speed = (b - kSpringRate * (d0 + b * t)) * e;
            if (std::fabs(displacement) < kRestDistance && std::fabs(speed) < kRestVelocity) {
                kind = Kind::Idle;
                origin = target;
                return target;
            }
            return target + displacement;
        }
    }
    return origin;
}

// ---- set-up --------------------------------------------------------------------

ScrollView::ScrollView() { setUp(); }

ScrollView::ScrollView(const Rect& frame) : View(frame) { setUp(); }

ScrollView::~ScrollView() {
    if (timer_) timer_->invalidate();
    if (wheelSettle_) wheelSettle_->invalidate();
    // The gesture machinery may hold the recogniser a little longer.
    pan_->removeAllTargets();
}

void ScrollView::setUp() {
    setClipsToBounds(true);
    pan_ = std::make_shared<ScrollViewPanGestureRecognizer>(*this);
    pan_->delegate = this;
    // The recogniser lives no longer than the view that owns it, so a plain
    // pointer back is safe.
    pan_->addTarget([this](GestureRecognizer&) { panChanged(); });
    addGestureRecognizer(pan_);
}

// ---- content ---------------------------------------------------------------------

void ScrollView::setContentSize(Size size) {
    if (contentSize_ == size) return;
    contentSize_ = size;
    setNeedsLayout();
}

void ScrollView::setContentInset(const graphics::EdgeInsets& insets) {
    if (contentInset_ == insets) return;
    contentInset_ = insets;
    setNeedsLayout();
}

void ScrollView::setDecelerationRate(double rate) {
    // Outside (0, 1) the motion would never end or run backwards.
    decelerationRate_ = std::clamp(rate, 0.5, 0.9999);
}

void ScrollView::setScrollEnabled(bool enabled) {
    scrollEnabled_ = enabled;
    // A disabled recogniser hears of no touches; nothing may stay stopped.
    if (!enabled) touchStoppedMotion_ = false;
    pan_->setEnabled(enabled);
}

Point ScrollView::minimumContentOffset() const { return Point{-contentInset_.left, -contentInset_.top}; }

Point ScrollView::maximumContentOffset() const {
    Size b = bounds().size;
    Point minimum = minimumContentOffset();
    return Point{std::max(minimum.x, contentSize_.width + contentInset_.right - b.width),
                 std::max(minimum.y, contentSize_.height + contentInset_.bottom - b.height)};
}

Point ScrollView::clampedOffset(Point offset) const {
    Point lo = minimumContentOffset(), hi = maximumContentOffset();
    return Point{std::clamp(offset.x, lo.x, hi.x), std::clamp(offset.y, lo.y, hi.y)};
}

bool ScrollView::canScrollHorizontally() const {
    return alwaysBounceHorizontal_ || maximumContentOffset().x > minimumContentOffset().x;
}

bool ScrollView::canScrollVertically() const {
    return alwaysBounceVertical_ || maximumContentOffset().y > minimumContentOffset().y;
}

bool ScrollView::canScrollBy(Point delta) const {
    if (!scrollEnabled_) return false;
    Point offset = contentOffset(), lo = minimumContentOffset(), hi = maximumContentOffset();
    auto room = [](double change, double at, double minimum, double maximum) {
        return (change > 0 && at < maximum) || (change < 0 && at > minimum);
    };
    return room(delta.x, offset.x, lo.x, hi.x) || room(delta.y, offset.y, lo.y, hi.y);
}

void ScrollView::scrollBy(Point delta) {
    Point offset = contentOffset();
    setContentOffset(clampedOffset(Point{offset.x + delta.x, offset.y + delta.y}), false);
}

void ScrollView::scrollByWheel(Point delta) {
    scrollBy(delta);
    if (!pagingEnabled_) return;
    // Each notch of a turn restarts the wait; the last one settles.
    if (wheelSettle_) wheelSettle_->invalidate();
    wheelSettle_ = foundation::RunLoop::main().performAfter(kWheelSettleDelay, [weak = foundation::weakFrom(this)] {
        if (auto self = weak.lock()) self->settleOnPage();
    });
}

bool ScrollView::scrollWheel(const WheelEvent& event) {
    // Turning the wheel away from the user shows what lies above: the
    // offset goes down.
    const Point change{-event.delta.x, -event.delta.y};
    if (!(event.modifiers & KeyModifierControl) && canScrollBy(change)) {
        scrollByWheel(change);
        return true;
    }
    return View::scrollWheel(event);
}

void ScrollView::settleOnPage() {
    wheelSettle_.reset();
    if (!pagingEnabled_ || dragging_ || motion_ != Motion::None) return;
    Point target = pageTarget(contentOffset(), Point{});
    if (target != contentOffset()) setContentOffset(target, true);
}

bool ScrollView::handleKeyEquivalent(const KeyPress& press) {
    if (!scrollEnabled_ || !press.text.empty()) return false;
    const bool vertical = maximumContentOffset().y > minimumContentOffset().y;
    if (!vertical && !(maximumContentOffset().x > minimumContentOffset().x)) return false;
    const Point lo = minimumContentOffset(), hi = maximumContentOffset();
    const double extent = vertical ? bounds().height() : bounds().width();
    const double page = pagingEnabled_ ? extent : std::max(kLineHeight, extent - kLineHeight);
    Point offset = contentOffset();
    double& along = vertical ? offset.y : offset.x;
    switch (press.key) {
        case Key::PageUp:
            along -= page;
            break;
        case Key::PageDown:
            along += page;
            break;
        case Key::Home:
            along = vertical ? lo.y : lo.x;
            break;
        case Key::End:
            along = vertical ? hi.y : hi.x;
            break;
        default:
            return false;
    }
    offset = clampedOffset(offset);
    if (pagingEnabled_) offset = pageTarget(offset, Point{});
    if (offset == contentOffset()) return false;
    setContentOffset(offset, false);
    return true;
}

void ScrollView::applyOffset(Point offset) {
    Rect b = bounds();
    if (b.origin == offset) return;
    b.origin = offset;
    setBounds(b);
    contentOffsetDidChange();
    if (delegate_) delegate_->scrollViewDidScroll(*this);
}

void ScrollView::setContentOffset(Point offset, bool animated) {
    stopMotion();
    if (!animated || offset == contentOffset()) {
        applyOffset(offset);
        return;
    }
    double start = now();
    Point from = contentOffset();
    axisX_ = Axis{Axis::Kind::Tween, start, from.x, 0, offset.x, 0, 0};
    axisY_ = Axis{Axis::Kind::Tween, start, from.y, 0, offset.y, 0, 0};
    startMotion(Motion::Animating);
}

void ScrollView::scrollRectToVisible(const Rect& rect, bool animated) {
    Rect visible = bounds();
    Point offset = visible.origin;
    auto fit = [](double low, double length, double visibleLow, double visibleLength) {
        // Too large to fit: show its start.
        if (length >= visibleLength || low < visibleLow) return low;
        if (low + length > visibleLow + visibleLength) return low + length - visibleLength;
        return visibleLow;
    };
    offset.x = fit(rect.minX(), rect.width(), visible.origin.x, visible.size.width);
    offset.y = fit(rect.minY(), rect.height(), visible.origin.y, visible.size.height);
    offset = clampedOffset(offset);
    if (offset == contentOffset()) {
        stopMotion();
        return;
    }
    setContentOffset(offset, animated);
}

void ScrollView::settleIntoContent() {
    if (dragging_ || motion_ != Motion::None) return;
    applyOffset(clampedOffset(contentOffset()));
}

void ScrollView::boundsSizeDidChange(Size oldSize) {
    (void)oldSize;
    setNeedsLayout();
}

// ---- dragging ---------------------------------------------------------------------

bool ScrollView::gestureRecognizerShouldBegin(GestureRecognizer& recognizer) {
    if (&recognizer != pan_.get()) return true;
    if (!scrollEnabled_) return false;
    if (auto touched = touchedView_.lock(); touched && !touchesShouldCancelInContentView(touched.get())) return false;
    // A drag across the only direction the content moves is left to others
    // (a swipe on a row, a horizontal list inside a vertical one).
    Point t = pan_->translationInView(this);
    bool horizontal = std::fabs(t.x) > std::fabs(t.y);
    return horizontal ? canScrollHorizontally() : canScrollVertically();
}

void ScrollView::panChanged() {
    switch (pan_->state()) {
        case GestureState::Began:
            beginDragging();
            break;
        case GestureState::Changed:
            continueDragging();
            break;
        case GestureState::Ended:
        case GestureState::Cancelled:
            endDragging();
            break;
        default:
            break;
    }
}

void ScrollView::beginDragging() {
    stopMotion();
    dragStartOffset_ = contentOffset();
    dragHorizontal_ = canScrollHorizontally();
    dragVertical_ = canScrollVertically();
    dragging_ = true;
    if (delegate_) delegate_->scrollViewWillBeginDragging(*this);
    continueDragging();
}

double ScrollView::rubberBand(double offset, double minimum, double maximum, double extent) const {
    if (offset >= minimum && offset <= maximum) return offset;
    if (!bounces_) return std::clamp(offset, minimum, maximum);
    double edge = offset < minimum ? minimum : maximum;
    double excess = offset - edge;
    // The pull weakens with distance and never exceeds the visible extent.
    double resisted = excess * kRubberBandShare;
    double limit = extent * kRubberBandShare;
    resisted = std::clamp(resisted, -limit, limit);
    return edge + resisted;
}

void ScrollView::continueDragging() {
    if (!dragging_) return;
    Point t = pan_->translationInView(this);
    Point lo = minimumContentOffset(), hi = maximumContentOffset();
    Size extent = bounds().size;
    Point offset = contentOffset();
    if (dragHorizontal_) offset.x = rubberBand(dragStartOffset_.x - t.x, lo.x, hi.x, extent.width);
    if (dragVertical_) offset.y = rubberBand(dragStartOffset_.y - t.y, lo.y, hi.y, extent.height);
    applyOffset(offset);
}

Point ScrollView::pageTarget(Point offset, Point velocity) const {
    Size page = bounds().size;
    auto axis = [](double position, double speed, double pageLength) {
        if (pageLength <= 0) return position;
        double index = position / pageLength;
        double target;
        if (speed > kPageFlickVelocity) {
            target = std::floor(index + 1e-9) + 1;
        } else if (speed < -kPageFlickVelocity) {
            target = std::ceil(index - 1e-9) - 1;
        } else {
            target = std::round(index);
        }
        return target * pageLength;
    };
    return clampedOffset(Point{axis(offset.x, velocity.x, page.width), axis(offset.y, velocity.y, page.height)});
}

void ScrollView::endDragging() {
    if (!dragging_) return;
    dragging_ = false;
    auto keep = weak_from_this().lock();
    // The content moves against the finger.
    Point fingerVelocity = pan_->state() == GestureState::Cancelled ? Point{} : pan_->velocityInView(this);
    Point velocity{dragHorizontal_ ? -fingerVelocity.x : 0.0, dragVertical_ ? -fingerVelocity.y : 0.0};
    Point offset = contentOffset();
    Point lo = minimumContentOffset(), hi = maximumContentOffset();
    double start = now();

    std::optional<Point> target;
    if (pagingEnabled_) target = pageTarget(offset, velocity);
    if (delegate_) {
        // The delegate sees where free motion would end and may choose another place.
        Point proposed = target ? *target : offset;
        if (!target) {
            double k = -1000.0 * std::log(decelerationRate_);
            proposed = clampedOffset(Point{offset.x + velocity.x / k, offset.y + velocity.y / k});
        }
        Point chosen = proposed;
        delegate_->scrollViewWillEndDragging(*this, velocity, chosen);
        if (chosen != proposed) target = clampedOffset(chosen);
    }

    auto setUpAxis = [&](Axis& axis, double position, double speed, double minimum, double maximum,
                         std::optional<double> restAt) {
        axis = Axis{};
        axis.minimum = minimum;
        axis.maximum = maximum;
        axis.origin = position;
        if (restAt) {
            double d0 = position - *restAt;
            // Never overshoot a page: cap the speed towards it.
            double cap = kSpringRate * std::fabs(d0);
            if (speed * d0 < 0) speed = std::clamp(speed, -cap, cap);
            if (std::fabs(d0) >= kRestDistance || std::fabs(speed) >= kRestVelocity)
                axis.springFrom(start, position, speed, *restAt);
            else
                axis.origin = *restAt;
            return;
        }
        if (position < minimum || position > maximum) {
            double edge = position < minimum ? minimum : maximum;
            axis.springFrom(start, position, bounces_ ? speed : 0.0, edge);
            return;
        }
        double k = -1000.0 * std::log(decelerationRate_);
        if (std::fabs(speed / k) >= kDecayRestDistance) {
            axis.kind = Axis::Kind::Decay;
            axis.startTime = start;
            axis.velocity = speed;
        }
    };
    setUpAxis(axisX_, offset.x, velocity.x, lo.x, hi.x, target ? std::optional<double>(target->x) : std::nullopt);
    setUpAxis(axisY_, offset.y, velocity.y, lo.y, hi.y, target ? std::optional<double>(target->y) : std::nullopt);
    // A target reached already leaves nothing to do.
    applyOffset(Point{axisX_.kind == Axis::Kind::Idle ? axisX_.origin : offset.x,
                      axisY_.kind == Axis::Kind::Idle ? axisY_.origin : offset.y});

    bool willDecelerate = axisX_.kind != Axis::Kind::Idle || axisY_.kind != Axis::Kind::Idle;
    if (delegate_) delegate_->scrollViewDidEndDragging(*this, willDecelerate);
    if (!willDecelerate) return;
    if (axisX_.kind == Axis::Kind::Idle && axisY_.kind == Axis::Kind::Idle) return;  // the delegate stopped it
    startMotion(Motion::Decelerating);
    if (delegate_) delegate_->scrollViewWillBeginDecelerating(*this);
}

// ---- motion ------------------------------------------------------------------------

void ScrollView::startMotion(Motion motion) {
    motion_ = motion;
    if (timer_) timer_->invalidate();
    std::weak_ptr<View> weak = weak_from_this();
    timer_ = foundation::RunLoop::main().scheduleTimer(1.0 / kFrameRate, true, [this, weak](foundation::Timer&) {
        // The timer is invalidated with the view; the weak pointer keeps the
        // view alive while a delegate called from the step removes it.
        auto keep = weak.lock();
        tick();
    });
}

void ScrollView::tick() {
    double time = now();
    Point offset{axisX_.step(time, bounces_, decelerationRate_), axisY_.step(time, bounces_, decelerationRate_)};
    Motion running = motion_;
    applyOffset(offset);
    // The delegate may have stopped or restarted the motion meanwhile.
    if (motion_ != running) return;
    if (axisX_.kind == Axis::Kind::Idle && axisY_.kind == Axis::Kind::Idle) finishMotion();
}

ScrollView::Motion ScrollView::haltMotion() {
    Motion ended = motion_;
    motion_ = Motion::None;
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    axisX_ = Axis{};
    axisY_ = Axis{};
    return ended;
}

void ScrollView::finishMotion() {
    Motion ended = haltMotion();
    if (!delegate_) return;
    if (ended == Motion::Decelerating) delegate_->scrollViewDidEndDecelerating(*this);
    if (ended == Motion::Animating) delegate_->scrollViewDidEndScrollingAnimation(*this);
}

void ScrollView::settleIfOutOfRange() {
    if (dragging_ || motion_ != Motion::None) return;
    Point offset = contentOffset();
    Point target = clampedOffset(offset);
    if (target == offset) return;
    double start = now();
    Point lo = minimumContentOffset(), hi = maximumContentOffset();
    axisX_ = Axis{};
    axisY_ = Axis{};
    axisX_.minimum = lo.x, axisX_.maximum = hi.x, axisX_.origin = offset.x;
    axisY_.minimum = lo.y, axisY_.maximum = hi.y, axisY_.origin = offset.y;
    if (target.x != offset.x) axisX_.springFrom(start, offset.x, 0, target.x);
    if (target.y != offset.y) axisY_.springFrom(start, offset.y, 0, target.y);
    startMotion(Motion::Decelerating);
    if (delegate_) delegate_->scrollViewWillBeginDecelerating(*this);
}

void ScrollView::stopMotion() {
    // Axes set up but not yet running (a delegate stopping the glide from
    // scrollViewDidEndDragging) are dropped too.
    axisX_ = Axis{};
    axisY_ = Axis{};
    if (motion_ == Motion::None) return;
    // An interrupted deceleration still ends for the delegate, so that what
    // it started on willBeginDecelerating is always undone.
    if (haltMotion() == Motion::Decelerating && delegate_) delegate_->scrollViewDidEndDecelerating(*this);
}

}  // namespace ui
