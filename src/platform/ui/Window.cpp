#include "platform/ui/Window.h"

#include "platform/ui/ToolTip.h"
#include "platform/ui/compositing/Render.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/gestures/GestureArena.h"
#include "platform/ui/gestures/GestureRecognizer.h"
#include "platform/ui/host/Application.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace ui {

// A view callback that has not been delivered yet.
struct Window::HeldPhase {
    TouchPhase phase;
    Event event;
};

// One finger from touch-down to lift, as the window delivers it.
struct Window::TouchRecord {
    TouchPtr touch;
    View* view = nullptr;
    ViewPtr keepView;                                             // the touch keeps its view alive, as on the platform
    std::vector<std::shared_ptr<GestureRecognizer>> recognizers;  // innermost view first
    std::deque<HeldPhase> held;
    graphics::Point lastLocation;
    bool ignoredByView = false;  // no view, or a second finger on a single-touch view
    bool beganDelivered = false;
    bool finishedAtView = false;   // ended or cancelled delivered to the view
    bool cancelledInView = false;  // a recogniser took the touch away from the view
    bool lifted = false;
};

namespace {

Window* gKeyWindow = nullptr;

// Never destroyed: windows held by process-wide objects (the application's
// delegate) may outlive every other static at exit and still unregister here.
std::vector<Window*>& liveWindows() {
    static auto* windows = new std::vector<Window*>;
    return *windows;
}

}  // namespace

Window::Window(const graphics::Rect& frame) : View(frame), toolTips_(std::make_unique<ToolTipTracker>(*this)) {
    liveWindows().push_back(this);
}

Window::~Window() {
    auto& windows = liveWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    if (gKeyWindow == this) gKeyWindow = nullptr;
    // Touches may keep views of this tree alive; they end with the window,
    // and recognisers still holding them must not reach back to it.
    for (auto& record : touchRecords_) record->touch->window = nullptr;
    touchRecords_.clear();
}

// ---- root controller and key window ---------------------------------------------

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
    if (controller == rootViewController_) return;
    std::shared_ptr<ViewController> old = std::move(rootViewController_);
    rootViewController_ = controller;
    // The controllers send their own appearance callbacks as their views
    // enter and leave the window.
    if (old && old->isViewLoaded() && old->view()->superview() == this) old->view()->removeFromSuperview();
    if (controller) {
        View* root = controller->view();
        root->setFrame(bounds());
        root->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
        addSubview(controller->viewPtr());
    }
}

void Window::makeKeyAndVisible() {
    if (gKeyWindow && gKeyWindow != this) gKeyWindow->key_ = false;
    gKeyWindow = this;
    key_ = true;
    setHidden(false);
    setNeedsComposite();
}

Window* Window::keyWindow() { return gKeyWindow; }

Responder* Window::nextResponder() const { return &Application::shared(); }

// ---- keys ---------------------------------------------------------------------------

bool Window::sendText(const std::string& text) {
    toolTips_->dismiss();
    if (ButtonPanel::frontmostPanelInWindow(this)) return false;
    if (firstResponder_ && firstResponder_->insertText(text)) return true;
    return offerToFrontLayer(KeyPress{Key::Other, text, KeyModifierNone});
}

bool Window::sendKey(Key key, unsigned modifiers) {
    toolTips_->dismiss();
    if (auto panel = ButtonPanel::frontmostPanelInWindow(this)) return panel->handleKey(key);
    if (firstResponder_ && firstResponder_->keyPressed(key, modifiers)) return true;
    return offerToFrontLayer(KeyPress{key, {}, modifiers});
}

bool Window::offerToFrontLayer(const KeyPress& press) {
    // The screen shows laid-out views; the keys must find the same ones.
    layoutIfNeeded();
    // Only the front-most layer: a screen presented over another keeps the
    // keys from what it covers.
    std::vector<ViewPtr> layers = subviews();
    for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
        View& layer = **it;
        // A layer that takes no touches (a passing notice) takes no keys either.
        if (layer.isHidden() || layer.alpha() < 0.01 || !layer.isUserInteractionEnabled()) continue;
        return layer.performKeyEquivalent(press);
    }
    return false;
}

// ---- wheel ----------------------------------------------------------------------------

bool Window::sendWheel(const WheelEvent& event) {
    toolTips_->dismiss();
    if (ButtonPanel::frontmostPanelInWindow(this)) return false;
    // The screen shows laid-out views; hit testing must see the same places.
    layoutIfNeeded();
    ViewPtr target = latchedWheelView(event);
    const bool latched = target != nullptr;
    if (!latched) {
        View* hit = hitTest(convertPointFromView(event.windowLocation, nullptr), nullptr);
        if (hit) target = hit->weak_from_this().lock();
    }
    if (!target) {
        wheelLatch_ = {};
        return false;
    }
    const bool taken = offerWheel(*target, event);
    // A turn that nothing took ends; one that reached the end of what it
    // scrolled stays with it rather than spilling into what lies under it.
    if (taken || latched)
        wheelLatch_ = WheelLatch{target, event.windowLocation, event.timestamp};
    else
        wheelLatch_ = {};
    return taken;
}

ViewPtr Window::latchedWheelView(const WheelEvent& event) const {
    ViewPtr view = wheelLatch_.view.lock();
    if (!view || view->window() != this) return nullptr;
    for (const View* v = view.get(); v; v = v->superview())
        if (v->isHidden() || v->alpha() < 0.01 || !v->isUserInteractionEnabled()) return nullptr;
    const double since = event.timestamp - wheelLatch_.timestamp;
    const double moved =
        std::hypot(event.windowLocation.x - wheelLatch_.location.x, event.windowLocation.y - wheelLatch_.location.y);
    if (since < 0 || since > kWheelLatchInterval || moved > kWheelLatchDistance) return nullptr;
    return view;
}

bool Window::offerWheel(View& view, const WheelEvent& event) {
    if (view.scrollWheel(event)) return true;
    if (event.delta.x != 0 || event.delta.y == 0 || (event.modifiers & KeyModifierControl)) return false;
    WheelEvent sideways = event;
    sideways.delta = graphics::Point{event.delta.y, 0};
    sideways.notches = graphics::Point{event.notches.y, 0};
    return view.scrollWheel(sideways);
}

bool Window::sendPointerMotion(const PointerMotion& motion) {
    layoutIfNeeded();
    View* hit = hitTest(convertPointFromView(motion.windowLocation, nullptr), nullptr);
    toolTips_->pointerMoved(hit, motion.windowLocation);
    if (!hit) return false;
    ViewPtr keepAlive = hit->weak_from_this().lock();
    return hit->pointerMoved(motion);
}

void Window::sendPointerExit() { toolTips_->pointerLeft(); }

// ---- title ------------------------------------------------------------------------------

void Window::setTitle(std::string title) {
    if (title == title_) return;
    title_ = std::move(title);
    if (titleChange_) titleChange_();
}

// ---- compositing ----------------------------------------------------------------------

void Window::setNeedsComposite() {
    if (needsComposite_) return;
    needsComposite_ = true;
    if (compositeRequest_) compositeRequest_();
}

graphics::Image Window::renderImage() { return renderView(*this, scale_); }

// ---- views leaving --------------------------------------------------------------------

void Window::viewWillLeaveWindow(View* view) {
    if (auto* responder = dynamic_cast<View*>(firstResponder_); responder && responder->isDescendantOfView(view)) {
        Responder* leaving = firstResponder_;
        leaving->resignFirstResponder();
        // A responder that refuses to resign still cannot stay: it leaves the window.
        if (firstResponder_ == leaving) firstResponder_ = nullptr;
    }
    GestureArena::Batch batch;
    for (auto& record : touchRecords_) {
        if (record->view && record->view->isDescendantOfView(view)) record->cancelledInView = true;
    }
    GestureArena::shared().viewLeaving(view);
    // The views hear of the cancellation while they are still in the window.
    flushHeldTouches();
}

// ---- touches ------------------------------------------------------------------------------

size_t Window::activeTouchCount() const {
    return size_t(std::count_if(touchRecords_.begin(), touchRecords_.end(), [](const auto& r) { return !r->lifted; }));
}

Window::TouchRecord* Window::recordFor(const Touch* touch) {
    for (auto& record : touchRecords_) {
        if (record->touch.get() == touch) return record.get();
    }
    return nullptr;
}

void Window::sendEvent(const Event& event, TouchPhase phase, const TouchSet& changed) {
    GestureArena::Batch batch;
    GestureArena& arena = GestureArena::shared();

    // The screen shows laid-out views; hit testing must see the same places.
    if (phase == TouchPhase::Began) {
        toolTips_->dismiss();
        layoutIfNeeded();
    }

    TouchSet known;
    for (const TouchPtr& touch : changed) {
        if (!touch) continue;
        TouchRecord* record = recordFor(touch.get());
        if (phase == TouchPhase::Began) {
            if (record) continue;  // already down: a repeated began means nothing
            auto fresh = std::make_unique<TouchRecord>();
            record = fresh.get();
            touchRecords_.push_back(std::move(fresh));
            record->touch = touch;
            touch->window = this;
            touch->previousWindowLocation = touch->windowLocation;
            record->lastLocation = touch->windowLocation;

            // Taps close in time and place count up, as the platform counts them.
            double gap = touch->timestamp - lastTapTime_;
            double distance =
                std::hypot(touch->windowLocation.x - lastTapLocation_.x, touch->windowLocation.y - lastTapLocation_.y);
            bool follows =
                lastTapTime_ >= 0 && gap >= 0 && gap <= kMultipleTapInterval && distance <= kMultipleTapDistance;
            touch->tapCount = follows ? lastTapCount_ + 1 : 1;

            View* hit = hitTest(convertPointFromView(touch->windowLocation, nullptr), &event);
            touch->view = hit;
            record->view = hit;
            // The window itself is not kept: it would keep itself alive.
            if (hit && hit != this) record->keepView = hit->weak_from_this().lock();
            bool viewBusy = hit && !hit->isMultipleTouchEnabled() &&
                            std::any_of(touchRecords_.begin(), touchRecords_.end(), [&](const auto& other) {
                                return other.get() != record && other->view == hit && !other->ignoredByView &&
                                       !other->finishedAtView;
                            });
            record->ignoredByView = !hit || viewBusy;
            for (View* v = hit; v; v = v->superview()) {
                for (const auto& recognizer : v->gestureRecognizers()) {
                    if (arena.acceptsNewTouch(*recognizer, *touch)) record->recognizers.push_back(recognizer);
                }
            }
        } else {
            // Touches the window never saw begin are not its to deliver.
            if (!record || record->lifted) continue;
            touch->previousWindowLocation = record->lastLocation;
            record->lastLocation = touch->windowLocation;
            if (phase == TouchPhase::Ended) {
                lastTapTime_ = touch->timestamp;
                lastTapLocation_ = touch->windowLocation;
                lastTapCount_ = touch->tapCount;
            }
        }
        touch->phase = phase;
        known.push_back(touch);
    }
    if (known.empty()) return;

    // Recognisers first, each with the changed touches it follows.
    std::vector<std::pair<std::shared_ptr<GestureRecognizer>, TouchSet>> feeds;
    for (const TouchPtr& touch : known) {
        for (const auto& recognizer : recordFor(touch.get())->recognizers) {
            auto feed = std::find_if(feeds.begin(), feeds.end(), [&](const auto& f) { return f.first == recognizer; });
            if (feed == feeds.end())
                feeds.emplace_back(recognizer, TouchSet{touch});
            else
                feed->second.push_back(touch);
        }
    }
    for (const auto& [recognizer, touches] : feeds) arena.deliver(recognizer, phase, touches, event);

    // Then the views, through the queue that recognisers may hold back.
    for (const TouchPtr& touch : known) {
        TouchRecord* record = recordFor(touch.get());
        if (!record) continue;
        record->held.push_back(HeldPhase{phase, event});
        if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled) record->lifted = true;
    }
    flushHeldTouches();
}

void Window::cancelTouchInViews(const Touch* touch) {
    if (TouchRecord* record = recordFor(touch)) record->cancelledInView = true;
}

bool Window::isHeld(const TouchRecord& record, TouchPhase phase) const {
    const GestureArena& arena = GestureArena::shared();
    for (const auto& recognizer : record.recognizers) {
        bool delays = (phase == TouchPhase::Began && recognizer->delaysTouchesBegan) ||
                      (phase == TouchPhase::Ended && recognizer->delaysTouchesEnded);
        if (delays && arena.isUndecided(*recognizer)) return true;
    }
    return false;
}

void Window::flushAllHeldTouches() {
    // Copy: a view callback may close a window.
    std::vector<Window*> windows = liveWindows();
    for (Window* window : windows) {
        if (std::find(liveWindows().begin(), liveWindows().end(), window) != liveWindows().end())
            window->flushHeldTouches();
    }
}

void Window::flushHeldTouches() {
    // A view callback may deliver more touches or remove views; the outer
    // call then goes round again instead of re-entering.
    if (flushing_) {
        flushAgain_ = true;
        return;
    }
    flushing_ = true;
    struct Delivery {
        View* view;
        TouchPhase phase;
        Event event;
        TouchSet touches;
    };
    do {
        flushAgain_ = false;
        bool progress = true;
        while (progress) {
            progress = false;
            // One phase per touch per round, so phases keep their order and
            // the fingers of one view that changed together arrive together.
            std::vector<Delivery> deliveries;
            std::vector<ViewPtr> keep;
            for (auto& record : touchRecords_) {
                if (record->ignoredByView || record->finishedAtView) {
                    record->held.clear();
                    continue;
                }
                TouchPhase phase;
                Event event;
                if (record->cancelledInView) {
                    record->held.clear();
                    record->finishedAtView = true;
                    if (!record->beganDelivered) continue;  // the view never heard of it
                    phase = TouchPhase::Cancelled;
                    event = Event{record->touch->timestamp, {}};
                } else {
                    if (record->held.empty() || isHeld(*record, record->held.front().phase)) continue;
                    phase = record->held.front().phase;
                    event = std::move(record->held.front().event);
                    record->held.pop_front();
                    if (phase == TouchPhase::Began) record->beganDelivered = true;
                    if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled) record->finishedAtView = true;
                }
                if (record->keepView) keep.push_back(record->keepView);
                auto same = std::find_if(deliveries.begin(), deliveries.end(),
                                         [&](const Delivery& d) { return d.view == record->view && d.phase == phase; });
                if (same != deliveries.end())
                    same->touches.push_back(record->touch);
                else
                    deliveries.push_back(Delivery{record->view, phase, std::move(event), TouchSet{record->touch}});
            }
            for (Delivery& d : deliveries) {
                progress = true;
                if (d.event.allTouches.empty()) d.event.allTouches = d.touches;
                switch (d.phase) {
                    case TouchPhase::Began:
                        d.view->touchesBegan(d.touches, d.event);
                        break;
                    case TouchPhase::Moved:
                        d.view->touchesMoved(d.touches, d.event);
                        break;
                    case TouchPhase::Stationary:
                        break;
                    case TouchPhase::Ended:
                        d.view->touchesEnded(d.touches, d.event);
                        break;
                    case TouchPhase::Cancelled:
                        d.view->touchesCancelled(d.touches, d.event);
                        break;
                }
            }
        }
        // Fingers that have lifted and been told to their view are done.
        touchRecords_.erase(
            std::remove_if(touchRecords_.begin(), touchRecords_.end(),
                           [](const auto& r) { return r->lifted && (r->finishedAtView || r->ignoredByView); }),
            touchRecords_.end());
    } while (flushAgain_);
    flushing_ = false;
}

}  // namespace ui
