#include "platform/ui/gestures/PanGestureRecognizer.h"

#include "platform/ui/View.h"

#include <algorithm>
#include <cmath>

namespace ui {

bool PanGestureRecognizer::isTracked(const Touch* touch) const {
    return std::any_of(tracked_.begin(), tracked_.end(), [&](const TouchPtr& t) { return t.get() == touch; });
}

graphics::Point PanGestureRecognizer::translationInView(const View* view) const {
    return windowVectorToView(translation_, locationInView(nullptr), view);
}

void PanGestureRecognizer::setTranslation(graphics::Point translation, const View* view) {
    graphics::Point next = viewVectorToWindow(translation, view);
    // The samples move with the origin, so the velocity does not see a jump.
    velocity_.shift(next.x - translation_.x, next.y - translation_.y);
    translation_ = next;
}

graphics::Point PanGestureRecognizer::velocityInView(const View* view) const {
    graphics::Point v{velocity_.rateX(), velocity_.rateY()};
    return windowVectorToView(v, locationInView(nullptr), view);
}

// The centroid of the tracked fingers moves by the mean of their movements.
void PanGestureRecognizer::accumulate(const TouchSet& touches, double time) {
    if (tracked_.empty()) return;
    double dx = 0, dy = 0;
    for (const TouchPtr& t : touches) {
        if (!isTracked(t.get())) continue;
        dx += t->windowLocation.x - t->previousWindowLocation.x;
        dy += t->windowLocation.y - t->previousWindowLocation.y;
    }
    translation_.x += dx / double(tracked_.size());
    translation_.y += dy / double(tracked_.size());
    velocity_.add(time, translation_.x, translation_.y);
}

void PanGestureRecognizer::touchesBegan(const TouchSet& touches, const Event& event) {
    for (const TouchPtr& t : touches) {
        if (tracked_.size() < maximumNumberOfTouches) tracked_.push_back(t);
    }
    velocity_.add(event.timestamp, translation_.x, translation_.y);
}

void PanGestureRecognizer::touchesMoved(const TouchSet& touches, const Event& event) {
    accumulate(touches, event.timestamp);
    if (state() == GestureState::Possible) {
        if (tracked_.size() >= minimumNumberOfTouches && std::hypot(translation_.x, translation_.y) > kHysteresis)
            setState(GestureState::Began);
    } else {
        setState(GestureState::Changed);
    }
}

void PanGestureRecognizer::touchesEnded(const TouchSet& touches, const Event& event) {
    accumulate(touches, event.timestamp);
    for (const TouchPtr& t : touches) {
        auto it = std::find(tracked_.begin(), tracked_.end(), t);
        if (it != tracked_.end()) tracked_.erase(it);
    }
    if (state() == GestureState::Possible) {
        if (tracked_.empty()) setState(GestureState::Failed);
    } else if (tracked_.size() < minimumNumberOfTouches) {
        setState(GestureState::Ended);
    }
}

void PanGestureRecognizer::touchesCancelled(const TouchSet& touches, const Event&) {
    for (const TouchPtr& t : touches) {
        auto it = std::find(tracked_.begin(), tracked_.end(), t);
        if (it != tracked_.end()) tracked_.erase(it);
    }
    setState(GestureState::Cancelled);
}

void PanGestureRecognizer::reset() {
    tracked_.clear();
    translation_ = graphics::Point{};
    velocity_.clear();
    GestureRecognizer::reset();
}

}  // namespace ui
