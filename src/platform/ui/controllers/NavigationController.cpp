#include "platform/ui/controllers/NavigationController.h"

#include "platform/ui/compositing/Animation.h"
#include "platform/ui/host/Device.h"

#include <algorithm>
#include <cstdio>

namespace ui {

using graphics::AffineTransform;
using graphics::Point;
using graphics::Rect;

namespace {

constexpr double kPushDuration = 0.35;
constexpr double kBarDuration = 0.25;
// How far the screen underneath moves while the new one slides over it.
constexpr double kUnderlapShift = 0.3;

// The navigation controller's view: lays out the bars and the top screen.
class NavigationView : public View {
public:
    explicit NavigationView(NavigationController* owner, const Rect& frame) : View(frame), owner_(owner) {}
    void layoutSubviews() override {
        if (owner_) owner_->layoutStack();
    }
    NavigationController* owner_;
};

}  // namespace

NavigationController::NavigationController()
    : navigationBar_(makeView<NavigationBar>()), toolbar_(makeView<Toolbar>()) {
    navigationBar_->setBackAction([this] { popViewController(true); });
    toolbar_->setHidden(true);
}

NavigationController::NavigationController(std::shared_ptr<ViewController> rootViewController)
    : NavigationController() {
    pushViewController(std::move(rootViewController), false);
}

NavigationController::~NavigationController() {
    navigationBar_->setBackAction({});
    navigationBar_->setItems(nullptr, nullptr);
    if (auto* view = dynamic_cast<NavigationView*>(view_.get())) view->owner_ = nullptr;
}

ViewController* NavigationController::topViewController() const {
    return children_.empty() ? nullptr : children_.back().get();
}

ViewController* NavigationController::visibleViewController() const {
    if (presented_) return presented_.get();
    ViewController* top = topViewController();
    if (top && top->presented_) return top->presented_.get();
    return top;
}

void NavigationController::loadView() {
    auto view = std::make_shared<NavigationView>(this, Rect(Point{}, Device::current().screenBounds().size));
    view->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
    setView(view);
    if (ViewController* top = topViewController()) {
        ViewPtr topView = top->viewPtr();
        // Loading it may have pushed another screen (a page to open at the
        // start), whose view the push has put in place: that one shows.
        if (top == topViewController()) {
            topView->setFrame(contentFrame());
            topView->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);
            view->addSubview(topView);
        }
    }
    view->addSubview(navigationBar_);
    view->addSubview(toolbar_);
    // The top screen's viewDidLoad may just have named it.
    updateBars();
    layoutStack();
}

Rect NavigationController::contentFrame() {
    Rect frame = view_ ? view_->bounds() : Rect(Point{}, Device::current().screenBounds().size);
    if (!navigationBarHidden_) {
        frame.origin.y += NavigationBar::kHeight;
        frame.size.height -= NavigationBar::kHeight;
    }
    if (!toolbarHidden_) frame.size.height -= Toolbar::kHeight;
    frame.size.height = std::max(0.0, frame.size.height);
    return frame;
}

void NavigationController::layoutStack() {
    if (!view_) return;
    const Rect b = view_->bounds();
    navigationBar_->setFrame(Rect(b.minX(), b.minY(), b.width(), NavigationBar::kHeight));
    toolbar_->setFrame(Rect(b.minX(), b.maxY() - Toolbar::kHeight, b.width(), Toolbar::kHeight));
    if (transitioning_) return;
    ViewController* top = topViewController();
    if (top && top->view_ && top->view_->superview() == view_.get()) top->view_->setFrame(contentFrame());
}

void NavigationController::updateBars() {
    ViewController* top = topViewController();
    ViewController* below = children_.size() >= 2 ? children_[children_.size() - 2].get() : nullptr;
    navigationBar_->setItems(top ? &top->navigationItem() : nullptr, below ? &below->navigationItem() : nullptr);
    toolbar_->setItems(top ? top->toolbarItems() : std::vector<std::shared_ptr<BarButtonItem>>{});
}

bool NavigationController::enqueueIfBusy(std::function<void()> operation) {
    if (!transitioning_) return false;
    pending_.push_back(std::move(operation));
    return true;
}

void NavigationController::runPending() {
    while (!transitioning_ && !pending_.empty()) {
        auto next = std::move(pending_.front());
        pending_.pop_front();
        next();
    }
}

void NavigationController::transition(ViewController* from, const std::shared_ptr<ViewController>& to,
                                      Direction direction, bool animated, std::function<void()> done) {
    if (!view_) {
        // The views join when this controller's view loads.
        done();
        updateBars();
        return;
    }
    const bool onScreen = appearance_ == Appearance::Appearing || appearance_ == Appearance::Appeared;
    ViewPtr fromView = from ? from->view_ : nullptr;
    ViewPtr toView = to->viewPtr();
    toView->setTransform(AffineTransform::identity());
    toView->setFrame(contentFrame());
    toView->setAutoresizingMask(AutoresizingFlexibleWidth | AutoresizingFlexibleHeight);

    if (onScreen) {
        if (from) from->beginAppearanceTransition(false, animated);
        to->beginAppearanceTransition(true, animated);
    }
    if (direction == Direction::Push || !fromView || fromView->superview() != view_.get()) {
        view_->insertSubviewBelowSubview(toView, navigationBar_.get());
    } else {
        view_->insertSubviewBelowSubview(toView, fromView.get());
    }

    std::shared_ptr<ViewController> keepFrom = from ? from->shared_from_this() : nullptr;
    // An animated transition keeps this controller alive until it ends.
    std::shared_ptr<ViewController> keepSelf = weak_from_this().lock();
    auto finish = [this, keepSelf, keepFrom, to, fromView, onScreen, done = std::move(done)](bool) {
        if (fromView) {
            fromView->setTransform(AffineTransform::identity());
            if (fromView->superview() == view_.get() && fromView != to->view_) fromView->removeFromSuperview();
        }
        to->view_->setTransform(AffineTransform::identity());
        transitioning_ = false;
        done();
        updateBars();
        if (onScreen) {
            if (keepFrom) keepFrom->endAppearanceTransition();
            to->endAppearanceTransition();
        }
        layoutStack();
        runPending();
    };

    if (!animated || !onScreen) return finish(true);
    transitioning_ = true;
    // The bar shows where the stack is going at once.
    ViewController* target = to.get();
    ViewController* below = nullptr;
    for (size_t i = 1; i < children_.size(); ++i) {
        if (children_[i].get() == target) below = children_[i - 1].get();
    }
    navigationBar_->setItems(&target->navigationItem(), below ? &below->navigationItem() : nullptr);
    toolbar_->setItems(target->toolbarItems());

    const double width = view_->bounds().width();
    const double sign = direction == Direction::Push ? 1.0 : -1.0;
    toView->setTransform(
        AffineTransform::makeTranslation(sign * (direction == Direction::Push ? width : width * kUnderlapShift), 0));
    animate(
        kPushDuration, 0, AnimationOptionCurveEaseInOut,
        [&] {
            toView->setTransform(AffineTransform::identity());
            if (fromView) {
                double shift = direction == Direction::Push ? -width * kUnderlapShift : width;
                fromView->setTransform(AffineTransform::makeTranslation(shift, 0));
            }
        },
        std::move(finish));
}

void NavigationController::pushViewController(std::shared_ptr<ViewController> controller, bool animated) {
    if (!controller) return;
    if (enqueueIfBusy([this, controller, animated] { pushViewController(controller, animated); })) return;
    if (controller->parent_ == this || controller.get() == this) {
        std::fprintf(stderr, "NavigationController: refused to push a controller that is already in the stack\n");
        return;
    }
    ViewController* from = topViewController();
    addChildViewController(controller);
    transition(from, controller, Direction::Push, animated,
               [this, controller] { controller->didMoveToParentViewController(this); });
}

std::shared_ptr<ViewController> NavigationController::popViewController(bool animated) {
    if (enqueueIfBusy([this, animated] { popViewController(animated); })) return nullptr;
    if (children_.size() < 2) return nullptr;
    std::shared_ptr<ViewController> popped = children_.back();
    std::shared_ptr<ViewController> to = children_[children_.size() - 2];
    popped->willMoveToParentViewController(nullptr);
    transition(popped.get(), to, Direction::Pop, animated, [popped] { popped->removeFromParentViewController(); });
    return popped;
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewController(bool animated) {
    if (children_.empty()) return {};
    return popToViewController(children_.front().get(), animated);
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToViewController(const ViewController* controller,
                                                                                       bool animated) {
    if (enqueueIfBusy([this, controller, animated] { popToViewController(controller, animated); })) return {};
    auto it = std::find_if(children_.begin(), children_.end(), [&](const auto& c) { return c.get() == controller; });
    if (it == children_.end() || it + 1 == children_.end()) return {};
    std::vector<std::shared_ptr<ViewController>> popped(it + 1, children_.end());
    std::shared_ptr<ViewController> to = *it;
    std::shared_ptr<ViewController> top = popped.back();
    // The screens in between were never on screen: they simply leave.
    for (size_t i = 0; i + 1 < popped.size(); ++i) {
        popped[i]->willMoveToParentViewController(nullptr);
        popped[i]->removeFromParentViewController();
    }
    top->willMoveToParentViewController(nullptr);
    transition(top.get(), to, Direction::Pop, animated, [top] { top->removeFromParentViewController(); });
    return popped;
}

void NavigationController::setNavigationBarHidden(bool hidden, bool animated) {
    if (navigationBarHidden_ == hidden) return;
    navigationBarHidden_ = hidden;
    navigationBar_->setHidden(hidden);
    if (animated && view_)
        animate(kBarDuration, [this] { layoutStack(); });
    else
        layoutStack();
}

void NavigationController::setToolbarHidden(bool hidden, bool animated) {
    if (toolbarHidden_ == hidden) return;
    toolbarHidden_ = hidden;
    toolbar_->setHidden(hidden);
    if (animated && view_)
        animate(kBarDuration, [this] { layoutStack(); });
    else
        layoutStack();
}

}  // namespace ui
