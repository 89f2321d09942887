#include "platform/ui/gestures/GestureRecognizer.h"

#include "platform/ui/View.h"
#include "platform/ui/gestures/GestureArena.h"

#include <stdexcept>

namespace ui {

GestureRecognizer::~GestureRecognizer() = default;

void GestureRecognizer::setEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    if (!enabled) GestureArena::shared().recognizerDisabled(*this);
}

void GestureRecognizer::requireGestureRecognizerToFail(std::shared_ptr<GestureRecognizer> other) {
    if (!other || other.get() == this) return;
    failureRequirements_.push_back(other);
}

void GestureRecognizer::setState(GestureState state) { GestureArena::shared().requestState(*this, state); }

graphics::Point GestureRecognizer::locationInView(const View* view) const {
    graphics::Point p = lastWindowLocation_;
    if (!touches_.empty()) {
        p = graphics::Point{};
        for (const TouchPtr& t : touches_) {
            p.x += t->windowLocation.x;
            p.y += t->windowLocation.y;
        }
        p.x /= double(touches_.size());
        p.y /= double(touches_.size());
    }
    return view ? view->convertPointFromView(p, nullptr) : p;
}

graphics::Point GestureRecognizer::locationOfTouch(size_t index, const View* view) const {
    if (index >= touches_.size())
        throw std::out_of_range("GestureRecognizer::locationOfTouch: index beyond the number of touches");
    return touches_[index]->locationInView(view);
}

void GestureRecognizer::touchesBegan(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesMoved(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesEnded(const TouchSet&, const Event&) {}
void GestureRecognizer::touchesCancelled(const TouchSet&, const Event&) {}

void GestureRecognizer::reset() {
    state_ = GestureState::Possible;
    pendingRecognition_ = false;
    pendingState_ = GestureState::Possible;
    touches_.clear();
    seenTouches_.clear();
}

graphics::Point GestureRecognizer::windowVectorToView(graphics::Point vector, graphics::Point at, const View* view) {
    if (!view) return vector;
    graphics::Point from = view->convertPointFromView(graphics::Point{at.x - vector.x, at.y - vector.y}, nullptr);
    graphics::Point to = view->convertPointFromView(at, nullptr);
    return graphics::Point{to.x - from.x, to.y - from.y};
}

graphics::Point GestureRecognizer::viewVectorToWindow(graphics::Point vector, const View* view) {
    if (!view) return vector;
    graphics::Point from = view->convertPointToView(graphics::Point{0, 0}, nullptr);
    graphics::Point to = view->convertPointToView(vector, nullptr);
    return graphics::Point{to.x - from.x, to.y - from.y};
}

}  // namespace ui
