#include "app/widgets/popover/WEPopoverController.h"

#include "app/widgets/popover/UIBarButtonItem_WEPopover.h"
#include "platform/ui/Window.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/host/Device.h"

using graphics::Rect;
using graphics::Size;

namespace {

constexpr const char* kFadeInAnimation = "FadeIn";
constexpr const char* kFadeOutAnimation = "FadeOut";

}  // namespace

WEPopoverController::WEPopoverController() = default;

WEPopoverController::WEPopoverController(std::shared_ptr<ui::ViewController> contentViewController) {
    setContentViewController(std::move(contentViewController));
}

WEPopoverController::~WEPopoverController() {
    // The non-virtual form: a subclass is already gone here.
    WEPopoverController::dismissPopoverAnimated(false, false);
    contentViewController_.reset();
    containerViewProperties_.reset();
    passthroughViews_.clear();
    context.reset();
}

void WEPopoverController::setContentViewController(std::shared_ptr<ui::ViewController> controller) {
    if (controller == contentViewController_) return;
    contentViewController_ = std::move(controller);
    popoverContentSize_ = Size{0, 0};
}

std::shared_ptr<WEPopoverContainerViewProperties> WEPopoverController::defaultContainerViewProperties() {
    auto p = std::make_shared<WEPopoverContainerViewProperties>();
    p->leftBgMargin = p->rightBgMargin = p->topBgMargin = p->bottomBgMargin = 6.0;
    p->leftBgCapSize = p->topBgCapSize = 15;
    p->bgImageName = "popoverBgSimple.png";
    p->leftContentMargin = p->rightContentMargin = p->topContentMargin = p->bottomContentMargin = 2.0;
    p->arrowMargin = 1.0;
    p->upArrowImageName = "popoverArrowUpSimple.png";
    p->downArrowImageName = "popoverArrowDownSimple.png";
    p->leftArrowImageName = "popoverArrowLeftSimple.png";
    p->rightArrowImageName = "popoverArrowRightSimple.png";
    return p;
}

ui::View* WEPopoverController::keyView(ui::View* anchor) {
    // A presented screen lies in a container of its own above the window's
    // first subview: the popover goes over the screen its anchor is on.
    for (ui::View* view = anchor; view; view = view->superview())
        if (ui::View* parent = view->superview(); parent && parent == view->window()) return view;
    ui::Window* window = ui::Window::keyWindow();
    if (!window) return nullptr;
    if (!window->subviews().empty()) return window->subviews().front().get();
    return window;
}

Rect WEPopoverController::displayAreaForView(ui::View& view) const {
    if (auto* parent = dynamic_cast<WEPopoverParentView*>(&view)) {
        if (auto area = parent->displayAreaForPopover()) return *area;
    }
    // The screen is given in the key window's coordinates; without a key
    // window the view's own window stands in.
    const ui::View* from = ui::Window::keyWindow();
    return view.convertRectFromView(ui::Device::current().screenBounds(), from);
}

void WEPopoverController::loadContentSize() {
    if (!contentViewController_) return;
    contentViewController_->view();
    if (popoverContentSize_ == Size{0, 0}) popoverContentSize_ = contentViewController_->preferredContentSize;
}

std::shared_ptr<WEPopoverContainerView> WEPopoverController::makeContainer(const Rect& anchorRect, ui::View& anchorView,
                                                                           PopoverArrowDirection directions) {
    auto properties = containerViewProperties_ ? containerViewProperties_ : defaultContainerViewProperties();
    auto container = ui::makeView<WEPopoverContainerView>(popoverContentSize_, anchorRect,
                                                          displayAreaForView(anchorView), directions, properties);
    popoverArrowDirection_ = container->arrowDirection();
    savedContainerView_ = container;
    return container;
}

void WEPopoverController::installContainer(const std::shared_ptr<WEPopoverContainerView>& container,
                                           ui::View& anchorView, bool animated) {
    container->setFrame(anchorView.convertRectToView(container->frame(), backgroundView_.get()));
    backgroundView_->addSubview(container);
    if (contentViewController_) {
        // Announced before the view enters the window, so the screen hears of
        // its appearance once, with this animation flag.
        contentViewController_->beginAppearanceTransition(true, animated);
        container->setContentView(contentViewController_->viewPtr());
    }
    container->setAutoresizingMask(ui::AutoresizingFlexibleLeftMargin | ui::AutoresizingFlexibleRightMargin);
    setView(container);
    updateBackgroundPassthroughViews();
}

void WEPopoverController::presentPopoverFromRect(const Rect& rect, ui::View& inView,
                                                 PopoverArrowDirection permittedArrowDirections, bool animated) {
    anchorRect_ = rect;
    rootView_ = inView.weak_from_this();
    // Any popover of this controller goes away at once.
    dismissPopoverAnimated(false);

    ui::View* top = keyView(&inView);
    if (!top) top = inView.window();
    if (!top) return;  // not on screen: nothing to cover

    loadContentSize();
    auto container = makeContainer(rect, inView, permittedArrowDirections);

    auto backdrop = ui::makeView<WETouchableView>(top->bounds());
    backdrop->setContentMode(ui::ContentMode::ScaleToFill);
    backdrop->setAutoresizingMask(0x3f);
    backdrop->setBackgroundColor(graphics::Color::clear());
    backdrop->setOpaque(false);
    backdrop->delegate = this;
    top->addSubview(backdrop);
    backgroundView_ = backdrop;

    installContainer(container, inView, animated);
    container->becomeFirstResponder();

    if (animated) {
        container->setAlpha(0.0);
        std::weak_ptr<WEPopoverContainerView> faded = container;
        ui::animate(
            kFadeDuration, [&] { container->setAlpha(1.0); },
            life_.guard([this, faded](bool) { animationDidStop(kFadeInAnimation, faded.lock(), false); }));
    } else {
        popoverVisible_ = true;
        if (contentViewController_) contentViewController_->endAppearanceTransition();
    }
}

void WEPopoverController::presentPopoverFromBarButtonItem(const ui::BarButtonItem& item,
                                                          PopoverArrowDirection permittedArrowDirections,
                                                          bool animated) {
    ui::View* bar = UIBarButtonItem_WEPopover::superview(item);
    ui::View* top = keyView(bar);
    if (!top || !bar) return;
    Rect rect = UIBarButtonItem_WEPopover::frameInView(item, *top);
    presentPopoverFromRect(rect, *top, permittedArrowDirections, animated);
}

void WEPopoverController::repositionPopoverFromRect(const Rect& rect, ui::View& inView,
                                                    PopoverArrowDirection permittedArrowDirections) {
    if (!view_ || !backgroundView_) return;
    // Later content updates point at the new anchor too.
    anchorRect_ = rect;
    rootView_ = inView.weak_from_this();
    view_->updatePositionWithAnchorRect(rect, displayAreaForView(inView), permittedArrowDirections);
    popoverArrowDirection_ = view_->arrowDirection();
    view_->setFrame(inView.convertRectToView(view_->frame(), backgroundView_.get()));
}

void WEPopoverController::updateContentViewController(std::shared_ptr<ui::ViewController> controller) {
    auto rootView = rootView_.lock();
    if (!backgroundView_ || !rootView || dismissing_) {
        // Nothing shown to update: the new screen is simply the content.
        setContentViewController(std::move(controller));
        return;
    }

    if (contentViewController_) {
        contentViewController_->beginAppearanceTransition(false, false);
        contentViewController_->endAppearanceTransition();
        contentViewController_->removeFromParentViewController();
    }
    Rect previousFrame;
    if (auto saved = savedContainerView_.lock()) {
        previousFrame = saved->frame();
        saved->removeFromSuperview();
    }

    contentViewController_ = std::move(controller);
    popoverContentSize_ = Size{0, 0};
    loadContentSize();

    auto container = makeContainer(anchorRect_, *rootView, popoverArrowDirection_);
    installContainer(container, *rootView, false);

    popoverVisible_ = true;
    if (contentViewController_) contentViewController_->endAppearanceTransition();

    // Grow or shrink from where the old panel was.
    Rect target = container->frame();
    container->setFrame(previousFrame);
    ui::animate(kUpdateMoveDuration, [&] { container->setFrame(target); });
}

void WEPopoverController::dismissPopoverAnimated(bool animated) { dismissPopoverAnimated(animated, false); }

void WEPopoverController::dismissPopoverAnimated(bool animated, bool userInitiated) {
    if (!view_) return;
    if (dismissing_) {
        // Already fading out: only a dismissal without animation still
        // matters, and it ends the fade at once.
        if (!animated) removeFromScreen();
        return;
    }
    if (contentViewController_) contentViewController_->beginAppearanceTransition(false, animated);
    popoverVisible_ = false;
    view_->resignFirstResponder();

    if (animated) {
        dismissing_ = true;
        view_->setUserInteractionEnabled(false);
        // The backdrop stays for the fade but catches nothing more: a click
        // right after Escape or a tap outside goes to what it is aimed at.
        if (backgroundView_) backgroundView_->setUserInteractionEnabled(false);
        auto container = view_;
        // Weak: the animation lives in the panel's layer.
        std::weak_ptr<WEPopoverContainerView> faded = container;
        ui::animate(
            kFadeDuration, [&] { container->setAlpha(0.0); }, life_.guard([this, faded, userInitiated](bool) {
                animationDidStop(kFadeOutAnimation, faded.lock(), userInitiated);
            }));
    } else {
        removeFromScreen();
    }
}

void WEPopoverController::removeFromScreen() {
    popoverVisible_ = false;
    dismissing_ = false;
    if (contentViewController_) contentViewController_->endAppearanceTransition();
    if (view_) view_->removeFromSuperview();
    setView(nullptr);
    if (backgroundView_) {
        backgroundView_->delegate = nullptr;
        backgroundView_->removeFromSuperview();
        backgroundView_.reset();
    }
}

void WEPopoverController::animationDidStop(const std::string& animationID,
                                           const std::shared_ptr<WEPopoverContainerView>& container,
                                           bool userInitiated) {
    // A fade that ends after its panel was taken down or replaced (a new
    // presentation, a dismissal without animation) has nothing left to do.
    if (!container || container != view_) return;
    if (animationID == kFadeInAnimation) {
        if (dismissing_) return;
        view_->setUserInteractionEnabled(true);
        popoverVisible_ = true;
        if (contentViewController_) contentViewController_->endAppearanceTransition();
    } else if (animationID == kFadeOutAnimation) {
        removeFromScreen();
        // Last: the delegate may release this controller.
        if (userInitiated && delegate_) delegate_->popoverControllerDidDismissPopover(*this);
    }
}

void WEPopoverController::viewWasTouched(WETouchableView& view) {
    (void)view;
    // While the panel fades in (or out) touches on the backdrop do nothing.
    if (!popoverVisible_) return;
    if (!delegate_ || delegate_->popoverControllerShouldDismissPopover(*this)) dismissPopoverAnimated(true, true);
}

void WEPopoverController::viewWasEscaped(WETouchableView& view) {
    (void)view;
    // A key is never a stray touch on an arriving panel: Escape during the
    // fade-in closes it too, from the alpha it has reached. Ignored, it would
    // leave the panel up and the backdrop to swallow the next click.
    if (!view_ || dismissing_) return;
    if (!delegate_ || delegate_->popoverControllerShouldDismissPopover(*this)) dismissPopoverAnimated(true, true);
}

void WEPopoverController::setView(std::shared_ptr<WEPopoverContainerView> view) {
    if (view == view_) return;
    view_ = std::move(view);
}

void WEPopoverController::setPassthroughViews(std::vector<ui::ViewPtr> views) {
    passthroughViews_ = std::move(views);
    updateBackgroundPassthroughViews();
}

void WEPopoverController::updateBackgroundPassthroughViews() {
    if (backgroundView_) backgroundView_->setPassthroughViews(passthroughViews_);
}
