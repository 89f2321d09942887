#include "platform/ui/controllers/ViewController.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/host/Device.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <stdexcept>

namespace ui {

using graphics::Point;
using graphics::Rect;
using graphics::Size;

namespace {

constexpr double kPresentationDuration = 0.35;
constexpr double kSheetCornerRadius = 6.0;
constexpr double kPageSheetWidth = 768.0;
const graphics::Color kSheetDimming = graphics::Color::grey(0.0, 0.4);

// One window, one modal transition at a time: a present or dismiss asked for
// while another runs waits its turn instead of being lost or tangling the
// appearance callbacks.
struct PresentationQueue {
    std::deque<std::function<void()>> pending;

    // A transition belongs to the main loop it started on: one whose loop was
    // replaced (a test's virtual clock gone) will never end and must not
    // hold up the next loop's presentations.
    bool busy() const { return busy_ && clock_.lock() == foundation::RunLoop::main().clock(); }
    void setBusy(bool busy) {
        busy_ = busy;
        clock_ = foundation::RunLoop::main().clock();
    }
    void dropStale() {
        if (busy_ && !busy()) {
            busy_ = false;
            pending.clear();
        }
    }

private:
    bool busy_ = false;
    std::weak_ptr<foundation::Clock> clock_;
};

PresentationQueue& presentationQueue() {
    static PresentationQueue queue;
    queue.dropStale();
    return queue;
}

void runPendingPresentations() {
    PresentationQueue& queue = presentationQueue();
    while (!queue.busy() && !queue.pending.empty()) {
        auto next = std::move(queue.pending.front());
        queue.pending.pop_front();
        next();
    }
}

void logRefusal(const char* what) { std::fprintf(stderr, "ViewController: %s\n", what); }

// The view that shows a controller in the window: the container of a
// presented controller, else its own view.
View* presentationView(ViewController* controller, const ViewPtr& container) {
    if (container) return container.get();
    return controller->isViewLoaded() ? controller->view() : nullptr;
}

}  // namespace

ViewController::ViewController() = default;

ViewController::ViewController(std::string nibName) : nibName_(std::move(nibName)) {}

ViewController::~ViewController() {
    // A presentation still on screen would stay in the window without anyone
    // able to dismiss it.
    if (presented_) {
        presented_->presenting_ = nullptr;
        if (presented_->presentationContainer_) presented_->presentationContainer_->removeFromSuperview();
    }
    for (const auto& child : children_) child->parent_ = nullptr;
    if (view_ && view_->viewController_ == this) view_->viewController_ = nullptr;
}

// ---- view -------------------------------------------------------------------

View* ViewController::view() { return viewPtr().get(); }

ViewPtr ViewController::viewPtr() {
    if (view_) return view_;
    if (loadingView_) {
        // loadView asked for the view it is making: give it a plain one rather
        // than recursing for ever.
        ViewController::loadView();
        return view_;
    }
    loadingView_ = true;
    loadView();
    loadingView_ = false;
    if (!view_) ViewController::loadView();
    viewDidLoad();
    return view_;
}

void ViewController::setView(ViewPtr view) {
    if (view_ == view) return;
    if (view_ && view_->viewController_ == this) view_->viewController_ = nullptr;
    view_ = std::move(view);
    if (!view_) return;
    if (ViewController* previous = view_->viewController_; previous && previous != this) previous->view_.reset();
    view_->viewController_ = this;
}

void ViewController::loadView() {
    auto view = makeView<View>(Rect(Point{}, Device::current().screenBounds().size));
    view->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
    setView(std::move(view));
}

// ---- appearance ----------------------------------------------------------------

void ViewController::beginAppearanceTransition(bool appearing, bool animated) {
    appearanceAnimated_ = animated;
    if (appearing && (appearance_ == Appearance::Disappeared || appearance_ == Appearance::Disappearing)) {
        appearance_ = Appearance::Appearing;
        viewWillAppear(animated);
    } else if (!appearing && (appearance_ == Appearance::Appeared || appearance_ == Appearance::Appearing)) {
        appearance_ = Appearance::Disappearing;
        viewWillDisappear(animated);
    }
    // Only children on screen inside this controller's view take part (a
    // navigation stack shows its top controller alone).
    std::vector<std::shared_ptr<ViewController>> children = children_;
    for (const auto& child : children) {
        if (child->view_ && view_ && child->view_->isDescendantOfView(view_.get())) {
            child->beginAppearanceTransition(appearing, animated);
        }
    }
}

void ViewController::endAppearanceTransition() {
    if (appearance_ == Appearance::Appearing) {
        appearance_ = Appearance::Appeared;
        viewDidAppear(appearanceAnimated_);
    } else if (appearance_ == Appearance::Disappearing) {
        appearance_ = Appearance::Disappeared;
        viewDidDisappear(appearanceAnimated_);
    }
    std::vector<std::shared_ptr<ViewController>> children = children_;
    for (const auto& child : children) child->endAppearanceTransition();
}

void ViewController::viewWillMoveToWindow(Window* from, Window* to) {
    // A child only appears with a parent that is on screen itself.
    bool parentShown =
        !parent_ || parent_->appearance_ == Appearance::Appeared || parent_->appearance_ == Appearance::Appearing;
    if (to && !from && appearance_ == Appearance::Disappeared && parentShown) {
        appearanceFromWindow_ = true;
        beginAppearanceTransition(true, false);
    } else if (!to && from && appearance_ == Appearance::Appeared) {
        appearanceFromWindow_ = true;
        beginAppearanceTransition(false, false);
    }
}

void ViewController::viewDidMoveToWindow() {
    if (!appearanceFromWindow_) return;
    appearanceFromWindow_ = false;
    endAppearanceTransition();
}

// ---- containment ------------------------------------------------------------------

void ViewController::addChildViewController(std::shared_ptr<ViewController> child) {
    if (!child || child->parent_ == this) return;
    for (ViewController* c = this; c; c = c->parent_) {
        if (c == child.get()) throw std::invalid_argument("ViewController: a controller cannot contain itself");
    }
    if (child->parent_) child->removeFromParentViewController();
    child->willMoveToParentViewController(this);
    child->parent_ = this;
    children_.push_back(std::move(child));
}

void ViewController::removeFromParentViewController() {
    ViewController* parent = parent_;
    if (!parent) return;
    auto it = std::find_if(parent->children_.begin(), parent->children_.end(),
                           [&](const auto& c) { return c.get() == this; });
    std::shared_ptr<ViewController> keep;
    if (it != parent->children_.end()) {
        keep = *it;
        parent->children_.erase(it);
    }
    parent_ = nullptr;
    didMoveToParentViewController(nullptr);
}

NavigationController* ViewController::navigationController() const {
    for (ViewController* c = parent_; c; c = c->parent_) {
        if (auto* nav = dynamic_cast<NavigationController*>(c)) return nav;
    }
    return nullptr;
}

NavigationItem& ViewController::navigationItem() {
    if (!navigationItem_) navigationItem_ = std::make_unique<NavigationItem>(this);
    return *navigationItem_;
}

void ViewController::setTitle(std::string newTitle) {
    title = newTitle;
    navigationItem().setTitle(std::move(newTitle));
}

void ViewController::setToolbarItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated) {
    toolbarItems_ = std::move(items);
    NavigationController* nav = navigationController();
    if (nav && nav->topViewController() == this) nav->toolbar().setItems(toolbarItems_, animated);
}

// ---- orientation ----------------------------------------------------------------------

InterfaceOrientation ViewController::interfaceOrientation() const {
    // The device turned to its left shows the interface turned to its right.
    switch (Device::current().orientation()) {
        case DeviceOrientation::Portrait:
            return InterfaceOrientation::Portrait;
        case DeviceOrientation::PortraitUpsideDown:
            return InterfaceOrientation::PortraitUpsideDown;
        case DeviceOrientation::LandscapeRight:
            return InterfaceOrientation::LandscapeLeft;
        default:
            return InterfaceOrientation::LandscapeRight;
    }
}

Responder* ViewController::nextResponder() const {
    if (view_ && view_->superview()) return view_->superview();
    if (parent_) return parent_;
    return presenting_;
}

// ---- modal presentation -------------------------------------------------------------------

ViewController* ViewController::containmentRoot() {
    ViewController* root = this;
    while (root->parent_) root = root->parent_;
    return root;
}

ViewController* ViewController::presentedViewController() const {
    return const_cast<ViewController*>(this)->containmentRoot()->presented_.get();
}

ViewController* ViewController::presentingViewController() const {
    return const_cast<ViewController*>(this)->containmentRoot()->presenting_;
}

namespace {

// The controller at the bottom of the presentation chain that `c` is in.
ViewController* presentationBase(ViewController* c, Window* window) {
    if (window && window->rootViewController()) return window->rootViewController();
    while (c->presentingViewController()) c = c->presentingViewController();
    return c;
}

}  // namespace

// The controllers shown in the window from `base` along its presentations,
// up to and including `last`; a presentation that covers the window hides
// everything below it.
std::vector<ViewController*> ViewController::visibleChain(ViewController* base, ViewController* last) {
    std::vector<ViewController*> chain;
    for (ViewController* c = base; c; c = c->presented_.get()) {
        if (c != base && c->presentationCovers_) chain.clear();
        chain.push_back(c);
        if (c == last) break;
    }
    return chain;
}

void ViewController::presentViewController(std::shared_ptr<ViewController> controller, bool animated,
                                           std::function<void()> completion) {
    if (!controller) return;
    PresentationQueue& queue = presentationQueue();
    if (queue.busy()) {
        std::weak_ptr<ViewController> self = weak_from_this();
        queue.pending.push_back([self, controller, animated, completion]() mutable {
            if (auto strong = self.lock()) strong->presentViewController(controller, animated, std::move(completion));
        });
        return;
    }
    ViewController* presenter = containmentRoot();
    if (presenter->presented_) return logRefusal("refused to present: already presenting a controller");
    if (controller.get() == presenter || controller->presenting_ || controller->parent_) {
        return logRefusal("refused to present: the controller is already shown elsewhere");
    }
    Window* window = presenter->view_ ? presenter->view_->window() : nullptr;
    if (!window) return logRefusal("refused to present: the presenting view is not in a window");

    const Rect windowBounds = window->bounds();
    const Size wanted = controller->preferredContentSize;
    Rect frame = windowBounds;
    bool sheet = false;
    switch (controller->modalPresentationStyle) {
        case ModalPresentationStyle::FormSheet:
            // A sheet that does not fit (a phone's window) covers the window.
            if (wanted.width > 0 && wanted.height > 0 && wanted.width <= windowBounds.size.width &&
                wanted.height <= windowBounds.size.height) {
                frame = Rect(windowBounds.midX() - wanted.width / 2, windowBounds.midY() - wanted.height / 2,
                             wanted.width, wanted.height);
                sheet = true;
            }
            break;
        case ModalPresentationStyle::PageSheet:
            if (kPageSheetWidth < windowBounds.size.width) {
                frame = Rect(windowBounds.midX() - kPageSheetWidth / 2, windowBounds.minY(), kPageSheetWidth,
                             windowBounds.size.height);
                sheet = true;
            }
            break;
        default:
            break;
    }
    const bool covers = !sheet && controller->modalPresentationStyle != ModalPresentationStyle::OverFullScreen;
    std::vector<ViewController*> covered;
    if (covers) covered = visibleChain(presentationBase(presenter, window), presenter);

    queue.setBusy(true);
    presenter->presented_ = controller;
    controller->presenting_ = presenter;
    controller->beingPresented_ = true;
    controller->presentationCovers_ = covers;

    auto container = makeView<View>(windowBounds);
    container->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
    auto wrapper = makeView<View>(frame);
    if (sheet) {
        wrapper->setAutoresizingMask(AutoresizingFlexibleLeftMargin | AutoresizingFlexibleRightMargin |
                                     AutoresizingFlexibleTopMargin | AutoresizingFlexibleBottomMargin);
        wrapper->layer().setCornerRadius(kSheetCornerRadius);
        wrapper->setClipsToBounds(true);
    } else {
        wrapper->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
    }
    container->addSubview(wrapper);
    controller->presentationContainer_ = container;
    controller->presentationWrapper_ = wrapper;

    ViewPtr presentedView = controller->viewPtr();
    presentedView->setFrame(Rect(Point{}, frame.size));
    presentedView->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);

    // What leaves is told before what comes.
    for (ViewController* c : covered) c->beginAppearanceTransition(false, animated);
    controller->beginAppearanceTransition(true, animated);
    wrapper->addSubview(presentedView);
    window->addSubview(container);

    // Kept alive through an animated transition when shared (a root made on
    // the stack lives as long as its window anyway).
    std::shared_ptr<ViewController> keepPresenter = presenter->weak_from_this().lock();
    auto finish = [presenter, keepPresenter, controller, covered, completion = std::move(completion)](bool) mutable {
        presenter->finishPresentation(controller, covered, std::move(completion));
    };
    const std::optional<graphics::Color> dimming = sheet ? std::optional(kSheetDimming) : std::nullopt;
    if (!animated) {
        container->setBackgroundColor(dimming);
        return finish(true);
    }
    container->setBackgroundColor(graphics::Color::clear());
    switch (controller->modalTransitionStyle) {
        case ModalTransitionStyle::CrossDissolve:
            wrapper->setAlpha(0);
            break;
        case ModalTransitionStyle::FlipHorizontal:
            wrapper->layer().setTransform(graphics::Transform3D::makeRotation(M_PI / 2, 0, 1, 0));
            break;
        case ModalTransitionStyle::CoverVertical:
            wrapper->setTransform(graphics::AffineTransform::makeTranslation(0, windowBounds.maxY() - frame.minY()));
            break;
    }
    animate(
        kPresentationDuration, 0, AnimationOptionCurveEaseOut,
        [&] {
            container->setBackgroundColor(dimming.value_or(graphics::Color::clear()));
            wrapper->setAlpha(1);
            wrapper->layer().setTransform(graphics::Transform3D::identity());
        },
        std::move(finish));
}

void ViewController::finishPresentation(std::shared_ptr<ViewController> presented, std::vector<ViewController*> covered,
                                        std::function<void()> completion) {
    // Hidden, as the platform takes a covered screen out of the window.
    for (ViewController* c : covered) {
        if (View* v = presentationView(c, c->presentationContainer_)) v->setHidden(true);
    }
    for (ViewController* c : covered) c->endAppearanceTransition();
    presented->endAppearanceTransition();
    presented->beingPresented_ = false;
    presentationQueue().setBusy(false);
    if (completion) completion();
    runPendingPresentations();
}

void ViewController::dismissViewController(bool animated, std::function<void()> completion) {
    PresentationQueue& queue = presentationQueue();
    if (queue.busy()) {
        std::weak_ptr<ViewController> self = weak_from_this();
        queue.pending.push_back([self, animated, completion]() mutable {
            if (auto strong = self.lock()) strong->dismissViewController(animated, std::move(completion));
        });
        return;
    }
    ViewController* root = containmentRoot();
    ViewController* presenter = root->presented_ ? root : root->presenting_;
    if (!presenter) {
        // Nothing to dismiss; a caller waiting for the completion still hears.
        if (completion) completion();
        return;
    }
    presenter->dismissPresentedChain(animated, std::move(completion));
}

void ViewController::dismissPresentedChain(bool animated, std::function<void()> completion) {
    std::vector<std::shared_ptr<ViewController>> chain;
    for (auto c = presented_; c; c = c->presented_) chain.push_back(c);
    if (chain.empty()) {
        if (completion) completion();
        return;
    }
    Window* window = chain.front()->presentationContainer_ ? chain.front()->presentationContainer_->window() : nullptr;
    // Whatever covers the window, the first of the chain or one above it (a
    // service's screen over a share sheet), hid what shows again once the
    // chain is gone.
    const bool covers = std::any_of(chain.begin(), chain.end(), [](const auto& c) { return c->presentationCovers_; });
    std::vector<ViewController*> returning;
    if (covers) returning = visibleChain(presentationBase(this, window), this);

    PresentationQueue& queue = presentationQueue();
    queue.setBusy(true);
    // The top of the chain leaves first, as it was the last to come.
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        (*it)->beingDismissed_ = true;
        (*it)->beginAppearanceTransition(false, animated);
    }
    for (ViewController* c : returning) {
        if (View* v = presentationView(c, c->presentationContainer_)) v->setHidden(false);
        c->beginAppearanceTransition(true, animated);
    }

    ViewController* self = this;
    std::shared_ptr<ViewController> keep = weak_from_this().lock();
    auto finish = [self, keep, chain, returning, completion = std::move(completion)](bool) {
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            ViewController& c = **it;
            if (c.presentationContainer_) c.presentationContainer_->removeFromSuperview();
            if (c.presentationWrapper_ && c.view_ && c.view_->superview() == c.presentationWrapper_.get()) {
                c.view_->removeFromSuperview();
            }
            c.presentationContainer_.reset();
            c.presentationWrapper_.reset();
            c.presenting_ = nullptr;
            c.presented_.reset();
        }
        self->presented_.reset();
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) (*it)->endAppearanceTransition();
        for (ViewController* c : returning) c->endAppearanceTransition();
        for (const auto& c : chain) c->beingDismissed_ = false;
        presentationQueue().setBusy(false);
        if (completion) completion();
        runPendingPresentations();
    };
    if (!animated) return finish(true);

    // Only the top of the chain is seen leaving; what lies between goes at once.
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
        if (chain[i]->presentationContainer_) chain[i]->presentationContainer_->setHidden(true);
    }
    ViewController& top = *chain.back();
    ViewPtr container = top.presentationContainer_;
    ViewPtr wrapper = top.presentationWrapper_;
    if (!container || !wrapper) return finish(true);
    const Rect bounds = container->bounds();
    const Rect frame = wrapper->frame();
    container->setBackgroundColor(container->backgroundColor().value_or(graphics::Color::clear()));
    // The leaving screen takes no more clicks: they go to the one coming back.
    container->setUserInteractionEnabled(false);
    const ModalTransitionStyle style = top.modalTransitionStyle;
    animate(
        kPresentationDuration, 0, AnimationOptionCurveEaseIn,
        [&] {
            container->setBackgroundColor(graphics::Color::clear());
            switch (style) {
                case ModalTransitionStyle::CrossDissolve:
                    wrapper->setAlpha(0);
                    break;
                case ModalTransitionStyle::FlipHorizontal:
                    wrapper->layer().setTransform(graphics::Transform3D::makeRotation(-M_PI / 2, 0, 1, 0));
                    break;
                case ModalTransitionStyle::CoverVertical:
                    wrapper->setTransform(graphics::AffineTransform::makeTranslation(0, bounds.maxY() - frame.minY()));
                    break;
            }
        },
        std::move(finish));
}

}  // namespace ui
