// Scrolling: direct and timed scrolls, the fling's deceleration, snapping,
// the toggle animation, the 1/60 s timer that drives them, and the pan and
// tap gestures.

#include "app/widgets/carousel/CarouselScrolling.h"
#include "app/widgets/carousel/iCarousel.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controls/Control.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/gestures/PanGestureRecognizer.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"
#include "platform/ui/lists/TableViewCell.h"

#include <algorithm>
#include <cmath>

using foundation::kNotFound;

double iCarousel::now() const { return foundation::RunLoop::main().now(); }

bool iCarousel::offsetOutsideItems() const { return scrollOffset_ != clampedOffset(scrollOffset_); }

// ---- setting and timed scrolls ------------------------------------------------------

void iCarousel::setScrollOffset(double offset) {
    if (offset == scrollOffset_) return;
    scrolling_ = false;
    decelerating_ = false;
    withoutAnimation([&] {
        scrollOffset_ = clampedOffset(offset);
        didScroll();
        previousItemIndex_ = currentItemIndex();
        depthSortViews();
    });
}

void iCarousel::scrollByOffset(double offset, double duration) {
    if (!(duration > 0)) {
        setScrollOffset(scrollOffset_ + offset);
        return;
    }
    decelerating_ = false;
    scrolling_ = true;
    startTime_ = now();
    startOffset_ = scrollOffset_;
    scrollDuration_ = duration;
    previousItemIndex_ = carousel::roundedOffset(scrollOffset_);
    endOffset_ = startOffset_ + offset;
    if (!wrapEnabled_) endOffset_ = clampedOffset(endOffset_);
    if (delegate_) delegate_->carouselWillBeginScrollingAnimation(*this);
    startAnimation();
}

void iCarousel::scrollToOffset(double offset, double duration) {
    scrollByOffset(minScrollDistanceFromOffset(scrollOffset_, offset), duration);
}

void iCarousel::scrollByNumberOfItems(int64_t count, double duration) {
    if (duration > 0) {
        scrollByOffset(carousel::scrollTargetForItems(scrollOffset_, count) - scrollOffset_, duration);
    } else {
        setScrollOffset(static_cast<double>(clampedIndex(previousItemIndex_ + count)));
    }
}

void iCarousel::scrollToItemAtIndex(int64_t index, double duration) {
    scrollToOffset(static_cast<double>(index), duration);
}

void iCarousel::scrollToItemAtIndexAnimated(int64_t index, bool animated) {
    scrollToItemAtIndex(index, animated ? carousel::kSnapDuration : 0.0);
}

int64_t iCarousel::minScrollDistanceFromIndex(int64_t fromIndex, int64_t toIndex) const {
    return carousel::minScrollDistance(fromIndex, toIndex, numberOfItems_, wrapEnabled_);
}

double iCarousel::minScrollDistanceFromOffset(double fromOffset, double toOffset) const {
    return carousel::minScrollDistance(fromOffset, toOffset, numberOfItems_, wrapEnabled_);
}

bool iCarousel::nearlyCentred() const {
    return std::fabs(static_cast<float>(scrollOffset_ - static_cast<double>(currentItemIndex()))) < 0.01f;
}

void iCarousel::snapToCurrentItem() {
    if (nearlyCentred())
        scrollToItemAtIndex(currentItemIndex(), carousel::kNudgeDuration);
    else
        scrollToItemAtIndexAnimated(currentItemIndex(), true);
}

// ---- every change of the offset ----------------------------------------------------------

void iCarousel::didScroll() {
    if (!wrapEnabled_ && bounces) {
        const double upper = static_cast<double>(std::max<int64_t>(numberOfItems_ - 1, 0)) + bounceDistance;
        if (scrollOffset_ < -bounceDistance) {
            scrollOffset_ = -bounceDistance;
            startVelocity_ = 0;
        } else if (scrollOffset_ > upper) {
            scrollOffset_ = upper;
            startVelocity_ = 0;
        }
    } else {
        scrollOffset_ = clampedOffset(scrollOffset_);
    }

    const int64_t current = carousel::roundedOffset(scrollOffset_);
    const int64_t difference = minScrollDistanceFromIndex(previousItemIndex_, current);
    if (difference != 0) {
        toggleTime_ = now();
        toggle_ = static_cast<double>(std::clamp<int64_t>(-difference, -1, 1));
        startAnimation();
    }

    loadUnloadViews();
    transformItemViews();

    if (delegate_) delegate_->carouselDidScroll(*this);
    if (delegate_ && clampedIndex(previousItemIndex_) != currentItemIndex()) {
        delegate_->carouselCurrentItemIndexDidChange(*this);
        if (delegate_ && clampedIndex(previousItemIndex_) != currentItemIndex() &&
            delegate_->implementsLegacyOperation(iCarouselLegacyOperation::CurrentItemIndexUpdated))
            delegate_->carouselCurrentItemIndexUpdated(*this);
    }
    previousItemIndex_ = current;
}

// ---- the animation timer --------------------------------------------------------------------

void iCarousel::startAnimation() {
    if (timer_) return;
    timer_ = foundation::RunLoop::current().scheduleTimer(carousel::kStepInterval, true,
                                                          life_.guard([this](foundation::Timer&) { step(); }));
}

void iCarousel::stopAnimation() {
    if (!timer_) return;
    timer_->invalidate();
    timer_.reset();
}

void iCarousel::didMoveToSuperview() {
    if (superview())
        startAnimation();
    else
        stopAnimation();
}

void iCarousel::step() {
    withoutAnimation([this] {
        const double time = now();
        if (toggle_ != 0) {
            const double duration = carousel::toggleDuration(startVelocity_);
            const double progress = std::min(1.0, (time - toggleTime_) / duration);
            const double delta = carousel::easeInOut(progress);
            toggle_ = toggle_ >= 0 ? 1 - delta : delta - 1;
            didScroll();
        }

        if (scrolling_) {
            const double progress = std::min(1.0, (time - startTime_) / scrollDuration_);
            scrollOffset_ = startOffset_ + (endOffset_ - startOffset_) * carousel::easeInOut(progress);
            didScroll();
            if (progress >= 1.0) {
                scrolling_ = false;
                depthSortViews();
                if (delegate_) delegate_->carouselDidEndScrollingAnimation(*this);
            }
        } else if (decelerating_) {
            const carousel::DecelerationPlan plan{startOffset_, endOffset_, scrollDuration_, true};
            const double elapsed = std::min(scrollDuration_, time - startTime_);
            scrollOffset_ = carousel::decelerationOffsetAt(plan, startVelocity_, elapsed);
            didScroll();
            if (elapsed == scrollDuration_) {
                decelerating_ = false;
                if (delegate_) delegate_->carouselDidEndDecelerating(*this);
                if (scrollToItemBoundary || offsetOutsideItems()) {
                    snapToCurrentItem();
                } else {
                    double difference = static_cast<double>(currentItemIndex()) - scrollOffset_;
                    if (difference > 0.5)
                        difference -= 1;
                    else if (difference < -0.5)
                        difference += 1;
                    toggleTime_ = time - 0.4 * std::fabs(difference);
                    toggle_ = std::max(-1.0, std::min(1.0, -difference));
                }
            }
        } else if (toggle_ == 0) {
            stopAnimation();
        }
    });
}

// ---- the fling ---------------------------------------------------------------------------------

void iCarousel::startDecelerating() {
    carousel::DecelerationLimits limits;
    limits.stopAtItemBoundary = stopAtItemBoundary;
    limits.wrap = wrapEnabled_;
    limits.bounces = bounces;
    limits.bounceDistance = bounceDistance;
    limits.numberOfItems = numberOfItems_;
    const carousel::DecelerationPlan plan =
        carousel::planDeceleration(scrollOffset_, startVelocity_, decelerationRate, limits);
    startOffset_ = plan.startOffset;
    endOffset_ = plan.endOffset;
    startTime_ = now();
    scrollDuration_ = plan.duration;
    if (plan.moves) {
        decelerating_ = true;
        startAnimation();
    }
}

// ---- gestures ------------------------------------------------------------------------------------

namespace {

// True when the view or an ancestor below `top` is of type T.
template <class... Types>
bool insideOneOf(const ui::View* view, const ui::View* top) {
    for (; view && view != top; view = view->superview())
        if ((dynamic_cast<const Types*>(view) || ...)) return true;
    return false;
}

}  // namespace

void iCarousel::didPan(ui::PanGestureRecognizer& pan) {
    if (!scrollEnabled) return;
    const graphics::Point translation = pan.translationInView(this);
    const graphics::Point velocity = pan.velocityInView(this);
    const double along = vertical_ ? translation.y : translation.x;
    switch (pan.state()) {
        case ui::GestureState::Began:
            dragging_ = true;
            scrolling_ = false;
            decelerating_ = false;
            previousTranslation_ = along;
            if (delegate_) delegate_->carouselWillBeginDragging(*this);
            break;
        case ui::GestureState::Ended:
        case ui::GestureState::Cancelled: {
            dragging_ = false;
            didDrag_ = true;
            if (carousel::shouldDecelerate(startVelocity_, decelerationRate)) {
                didDrag_ = false;
                startDecelerating();
            }
            if (delegate_) delegate_->carouselDidEndDragging(*this, decelerating_);
            if (!decelerating_ && (scrollToItemBoundary || offsetOutsideItems())) {
                const int64_t current = currentItemIndex();
                // A quick release past the snapping distance moves on one item.
                if (!nearlyCentred() && carousel::shouldScroll(startVelocity_, scrollOffset_, current)) {
                    const int64_t direction = static_cast<int64_t>(startVelocity_ / std::fabs(startVelocity_));
                    scrollToItemAtIndexAnimated(current + direction, true);
                } else {
                    snapToCurrentItem();
                }
            } else if (delegate_) {
                delegate_->carouselWillBeginDecelerating(*this);
            }
            break;
        }
        default: {
            // Without an item width there is no scale from points to items.
            if (!(itemWidth_ > 0)) break;
            double factor = 1.0;
            if (!wrapEnabled_ && bounces)
                factor = carousel::panResistance(scrollOffset_, clampedOffset(scrollOffset_), bounceDistance);
            const double delta = along - previousTranslation_;
            previousTranslation_ = along;
            startVelocity_ = -(vertical_ ? velocity.y : velocity.x) * factor * scrollSpeed / itemWidth_;
            scrollOffset_ -= delta * factor * offsetMultiplier_ / itemWidth_;
            didScroll();
            break;
        }
    }
}

bool iCarousel::scrollWheel(const ui::WheelEvent& event) {
    const double along = vertical_ || event.delta.x == 0 ? event.delta.y : event.delta.x;
    if (!scrollEnabled || (event.modifiers & ui::KeyModifierControl) || along == 0 || !(itemWidth_ > 0) ||
        numberOfItems_ == 0)
        return ui::View::scrollWheel(event);
    // A row that keeps its ends in view moves only between the offsets that
    // move it: the first notch moves what is drawn, and one that fits in the
    // view leaves the wheel to what holds it.
    std::optional<std::pair<double, double>> range;
    if (keepsEndsInView && type_ == iCarouselTypeLinear && !wrapEnabled_) {
        range = carousel::movingOffsets(layoutState(), valueForOption(iCarouselOptionSpacing, 1.0), endInset);
        if (!range) return ui::View::scrollWheel(event);
    }
    // Turning the wheel away from the user shows what lies before.
    const double from = range ? std::clamp(scrollOffset_, range->first, range->second) : scrollOffset_;
    const double to = from - along * offsetMultiplier_ / itemWidth_;
    setScrollOffset(range ? std::clamp(to, range->first, range->second) : to);
    const bool forward = along < 0;
    if (wheelSettle_) wheelSettle_->invalidate();
    wheelSettle_ = life_.performAfter(kWheelSettleDelay, [this, forward] {
        wheelSettle_.reset();
        if (!dragging_ && !decelerating_ && !scrolling_ && (scrollToItemBoundary || offsetOutsideItems()))
            settleAfterWheel(forward);
    });
    return true;
}

// A notch moves less than half an item: settling on the nearest item would
// take a slow turn, notch by notch, back to where it started. The turn
// settles on the next item in its own direction instead.
void iCarousel::settleAfterWheel(bool forward) {
    if (nearlyCentred()) return snapToCurrentItem();
    const double boundary = forward ? std::ceil(scrollOffset_) : std::floor(scrollOffset_);
    scrollToItemAtIndexAnimated(clampedIndex(static_cast<int64_t>(boundary)), true);
}

bool iCarousel::handleKeyEquivalent(const ui::KeyPress& press) {
    if (!scrollEnabled || !press.text.empty() || press.modifiers != ui::KeyModifierNone || numberOfItems_ == 0)
        return false;
    const int64_t step = press.key == (vertical_ ? ui::Key::Up : ui::Key::Left)      ? -1
                         : press.key == (vertical_ ? ui::Key::Down : ui::Key::Right) ? 1
                                                                                     : 0;
    if (step == 0) return false;
    // Presses during a scroll go on from where it is heading.
    const auto from = static_cast<int64_t>(std::lround(scrolling_ ? endOffset_ : scrollOffset_));
    const int64_t target = clampedIndex(from + step);
    if (target != from || scrollOffset_ != static_cast<double>(from)) scrollToItemAtIndex(target, kKeyScrollDuration);
    return true;
}

void iCarousel::didTap(ui::TapGestureRecognizer& tap) {
    if (tap.state() != ui::GestureStateRecognized) return;
    ui::View* container = tap.view();
    if (!container || container->subviews().empty()) return;
    const int64_t index = indexOfItemView(container->subviews().back().get());
    if (index == kNotFound) return;
    if (centerItemWhenSelected && index != currentItemIndex()) scrollToItemAtIndexAnimated(index, true);
    if (delegate_) delegate_->carouselDidSelectItemAtIndex(*this, index);
}

bool iCarousel::gestureRecognizerShouldBegin(ui::GestureRecognizer& recognizer) {
    auto* pan = dynamic_cast<ui::PanGestureRecognizer*>(&recognizer);
    if (!pan || !ignorePerpendicularSwipes) return true;
    const graphics::Point translation = pan->translationInView(this);
    const float x = std::fabs(static_cast<float>(translation.x));
    const float y = std::fabs(static_cast<float>(translation.y));
    return vertical_ ? x <= y : x >= y;
}

bool iCarousel::shouldReceiveTouch(ui::GestureRecognizer& recognizer, const ui::Touch& touch) {
    const ui::View* touched = touch.view;
    const ui::View* top = contentView_.get();
    if (dynamic_cast<ui::TapGestureRecognizer*>(&recognizer)) {
        int64_t index = indexOfItemViewOrSubview(touched);
        if (index == kNotFound) {
            if (!centerItemWhenSelected) return true;
            // The touch hit a container: its item view is the last subview.
            if (touched && !touched->subviews().empty()) index = indexOfItemView(touched->subviews().back().get());
            if (index == kNotFound) return true;
        }
        if (delegate_ && !delegate_->carouselShouldSelectItemAtIndex(*this, index)) return false;
        return !insideOneOf<ui::Control, ui::TableViewCell>(touched, top);
    }
    if (dynamic_cast<ui::PanGestureRecognizer*>(&recognizer)) {
        if (insideOneOf<ui::Slider, ui::Switch>(touched, top)) return false;
        return scrollEnabled;
    }
    return true;
}
