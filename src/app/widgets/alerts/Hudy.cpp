#include "app/widgets/alerts/Hudy.h"

#include "app/widgets/views/AccentColor.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controls/ActivityIndicatorView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/ProgressView.h"
#include "platform/ui/host/Application.h"

#include <algorithm>

using graphics::Color;
using graphics::Rect;

namespace {

// The panel as it is built, before show sizes it to its caption.
constexpr double kInitialWidth = 200;
constexpr double kInitialHeight = 80;
// The bar sits this far above the panel's bottom and in from its sides.
constexpr double kBarBottomGap = 22;
constexpr double kBarSideInset = 20;

constexpr double kMinCaptionHeight = 30;
constexpr double kMinCaptionWidth = 50;
constexpr double kMinCaptionWidthWithBar = 150;
constexpr double kPanelExtraWidth = 50;
constexpr double kPanelExtraHeight = 20;
constexpr double kCaptionInset = 10;
constexpr double kAccessoryHeight = 30;
constexpr double kSpinnerFromBottom = 25;

}  // namespace

Hudy::Hudy() = default;

// A HUD that goes away is not dismissed later by its own timer: the timer
// belongs to its life token.
Hudy::~Hudy() = default;

void Hudy::loadView() {
    auto root = ui::makeView<ui::View>(Rect(0, 0, kInitialWidth, kInitialHeight));
    root->setBackgroundColor(Color::clear());
    root->setOpaque(false);

    background_ = ui::makeView<ui::View>(root->bounds());
    background_->setBackgroundColor(Color::grey(0.08, 0.82));
    background_->layer().setCornerRadius(10);
    background_->setUserInteractionEnabled(false);
    root->addSubview(background_);

    captionLabel_ = ui::makeView<ui::Label>(
        Rect(kCaptionInset, kCaptionInset, kInitialWidth - 2 * kCaptionInset, kMinCaptionHeight));
    captionLabel_->setFont(graphics::Font::boldSystemFont(15));
    captionLabel_->setTextColor(Color::white());
    captionLabel_->setTextAlignment(graphics::TextAlignment::Center);
    captionLabel_->setBackgroundColor(Color::clear());
    captionLabel_->setOpaque(false);
    root->addSubview(captionLabel_);

    spinner_ = ui::makeView<ui::ActivityIndicatorView>(ui::ActivityIndicatorViewStyle::White);
    spinner_->setHidesWhenStopped(false);
    spinner_->setHidden(true);
    root->addSubview(spinner_);

    // The bar keeps its distance to the bottom and sides whatever size the panel takes.
    bar_ = ui::makeView<ui::ProgressView>(ui::ProgressViewStyle::Default,
                                          Rect(kBarSideInset, kInitialHeight - kBarBottomGap,
                                               kInitialWidth - 2 * kBarSideInset, ui::ProgressView::kHeight));
    bar_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleTopMargin);
    bar_->setProgressTintColor(kAccentColor);
    bar_->setTrackTintColor(Color::grey(1.0, 0.3));
    bar_->setProgress(std::max(0.0f, progress_));
    bar_->setHidden(true);
    root->addSubview(bar_);

    setView(root);
}

ui::View* Hudy::viewBGView() {
    view();
    return background_.get();
}

ui::Label* Hudy::captionView() {
    view();
    return captionLabel_.get();
}

ui::ActivityIndicatorView* Hudy::activityView() {
    view();
    return spinner_.get();
}

ui::ProgressView* Hudy::progressView() {
    view();
    return bar_.get();
}

void Hudy::setProgress(float progress) {
    progress_ = progress;
    if (bar_) bar_->setProgress(progress);
}

void Hudy::showInView(ui::View* superview) {
    ui::View* hud = view();
    hud->setAlpha(0);
    if (superview) superview->addSubview(viewPtr());
    show();
}

void Hudy::show() {
    ui::View* hud = view();
    const bool showsBar = progress_ >= 0;

    captionLabel_->setText(caption.value_or(std::string()));
    // The spinner turns only while it can be seen: its timer would keep the run loop busy.
    if (isActivity)
        spinner_->startAnimating();
    else
        spinner_->stopAnimating();
    spinner_->setHidden(!isActivity);
    bar_->setHidden(!showsBar);

    captionLabel_->sizeToFit();
    const double h = std::max(captionLabel_->frame().height(), kMinCaptionHeight);
    const double w = std::max(captionLabel_->frame().width(), showsBar ? kMinCaptionWidthWithBar : kMinCaptionWidth);

    hud->setFrame(Rect(0, 0, w + kPanelExtraWidth, h + kPanelExtraHeight));
    captionLabel_->setFrame(Rect(kCaptionInset, kCaptionInset, hud->frame().width() - 2 * kCaptionInset, h));

    if (isActivity || showsBar) {
        Rect grown = hud->frame();
        hud->setFrame(Rect(0, 0, grown.width(), grown.height() + kAccessoryHeight));
        spinner_->setCenter({hud->frame().width() / 2, hud->frame().height() - kSpinnerFromBottom});
    }

    if (ui::View* superview = hud->superview()) {
        Rect corrected = getOrientationCorrectedRectFromRect(superview->frame());
        hud->setCenter({corrected.width() / 2, corrected.height() / 2});
    }

    background_->setFrame(hud->bounds());

    ui::animateWithSpring(kFadeDuration, 0, 1.0, 0.25, ui::AnimationOptionNone, [hud] { hud->setAlpha(1.0); });

    if (dismissAfterTime != kStaysUntilDismissed) {
        life_.performAfter(
            dismissAfterTime, [this] { dismiss(); }, "dismiss");
    }
}

void Hudy::updateCaption(std::string newCaption) {
    caption = std::move(newCaption);
    show();
}

void Hudy::dismiss() {
    life_.cancelPerforms("dismiss");
    ui::ViewPtr hud = viewPtr();
    std::weak_ptr<ui::View> weakHud = hud;
    std::weak_ptr<ui::ActivityIndicatorView> weakSpinner = spinner_;
    ui::animateWithSpring(
        kFadeDuration, 0, 1.0, 10.0, ui::AnimationOptionNone, [&hud] { hud->setAlpha(0); },
        [weakHud, weakSpinner](bool) {
            // A show that came during the fade has made the HUD visible
            // again; taking it away then would lose the new message.
            auto hud = weakHud.lock();
            if (!hud || hud->alpha() != 0) return;
            hud->removeFromSuperview();
            if (auto spinner = weakSpinner.lock()) spinner->stopAnimating();
        });
}

Rect Hudy::getOrientationCorrectedRectFromRect(const Rect& rect) {
    ui::InterfaceOrientation orientation = ui::Application::shared().statusBarOrientation();
    const bool portrait = orientation == ui::InterfaceOrientation::Portrait ||
                          orientation == ui::InterfaceOrientation::PortraitUpsideDown;
    const bool swap = portrait ? rect.size.width > rect.size.height : rect.size.width < rect.size.height;
    if (!swap) return rect;
    return Rect(rect.origin, {rect.size.height, rect.size.width});
}
