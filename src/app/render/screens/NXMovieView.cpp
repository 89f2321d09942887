// The player screen's views, its player and its lifecycle; the controls'
// actions are in NXMovieViewActions.cpp.

#include "app/render/screens/NXMovieView.h"

#include "app/core/BundleImage.h"
#include "app/render/screens/AVPlayerDemoPlaybackView.h"
#include "app/render/screens/RenderProgressViewController.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controllers/Toolbar.h"
#include "platform/ui/controls/ImageView.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"

#include <cmath>
#include <cstdio>

namespace {
// The buttons' pictures keep their own colours in the bars.
graphics::Image buttonImage(const char* name) {
    return bundleImageNamed(name)
        .value_or(graphics::Image())
        .withRenderingMode(graphics::ImageRenderingMode::AlwaysOriginal);
}

constexpr double kToolbarHeight = 44;
constexpr double kScrubberRowHeight = 34;
constexpr double kTimeLabelWidth = 64;
constexpr double kCurtainWidth = 100;
}  // namespace

NXMovieView::NXMovieView(std::string nibName, std::string movieURL, bool showCurtains)
    : ui::ViewController(std::move(nibName)), movieURL_(std::move(movieURL)), showCurtains_(showCurtains) {}

NXMovieView::~NXMovieView() {
    if (touchOnScreen_) touchOnScreen_->delegate = nullptr;
    if (loopTimer_) loopTimer_->invalidate();
    removeTimeObserverFromPlayer();
}

std::string NXMovieView::stringFromTime(float seconds) {
    const double minutes = std::floor(double(seconds) / 60);
    const auto wholeSeconds = int64_t(double(seconds) - 60 * minutes);
    char text[48];
    std::snprintf(text, sizeof text, "%.2lld:%.2lld", static_cast<long long>(minutes),
                  static_cast<long long>(wholeSeconds));
    return text;
}

// ---- views ------------------------------------------------------------------------------------

void NXMovieView::loadView() {
    auto root = ui::makeView<ui::View>(graphics::Rect(0, 0, 1024, 768));
    root->setBackgroundColor(graphics::Color::black());
    root->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    const graphics::Rect bounds = root->bounds();

    mPlaybackView_ = ui::makeView<AVPlayerDemoPlaybackView>(bounds);
    mPlaybackView_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    root->addSubview(mPlaybackView_);

    // The controls lie over the picture; a tap anywhere shows or hides them.
    viewLandscapeControls_ = ui::makeView<ui::View>(bounds);
    viewLandscapeControls_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    root->addSubview(viewLandscapeControls_);
    touchOnScreen_ = std::make_shared<ui::TapGestureRecognizer>([weak = foundation::weakFrom(this)](auto&) {
        if (auto self = weak.lock()) self->actionTouchOnScreen();
    });
    touchOnScreen_->delegate = this;
    root->addGestureRecognizer(touchOnScreen_);

    auto action = [weak = foundation::weakFrom(this)](void (NXMovieView::*method)()) {
        return [weak, method](ui::BarButtonItem&) {
            if (auto self = weak.lock()) (self.get()->*method)();
        };
    };
    auto flexible = [] { return std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::FlexibleSpace, nullptr); };
    btnDone_ = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Done, action(&NXMovieView::actionHome));
    toolBar_ = ui::makeView<ui::Toolbar>();
    toolBar_->setBarStyle(ui::BarStyle::BlackTranslucent);
    toolBar_->setTintColor(graphics::Color::white());
    toolBar_->setItems({btnDone_, flexible()});
    viewLandscapeControls_->addSubview(toolBar_);

    btnRewind_ =
        std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::Rewind, action(&NXMovieView::actionRewind));
    btnReverse_ =
        std::make_shared<ui::BarButtonItem>("-2x", ui::BarButtonItemStyle::Plain, action(&NXMovieView::actionReverse));
    btnPlayPause_ = std::make_shared<ui::BarButtonItem>(buttonImage(kPlayImage), ui::BarButtonItemStyle::Plain,
                                                        action(&NXMovieView::actionPlay));
    btnForward_ =
        std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::FastForward, action(&NXMovieView::actionForward));
    btnLoop_ = std::make_shared<ui::BarButtonItem>(buttonImage(kLoopSelectedImage), ui::BarButtonItemStyle::Plain,
                                                   action(&NXMovieView::actionLoop));
    loopImageName_ = kLoopSelectedImage;
    toolBarLower_ = ui::makeView<ui::Toolbar>();
    toolBarLower_->setBarStyle(ui::BarStyle::BlackTranslucent);
    toolBarLower_->setTintColor(graphics::Color::white());
    toolBarLower_->setItems({flexible(), btnRewind_, flexible(), btnReverse_, flexible(), btnPlayPause_, flexible(),
                             btnForward_, flexible(), btnLoop_, flexible()});
    viewLandscapeControls_->addSubview(toolBarLower_);

    auto timeLabel = [] {
        auto label = ui::makeView<ui::Label>();
        label->setFont(graphics::Font::systemFont(13));
        label->setTextAlignment(graphics::TextAlignment::Center);
        label->setBackgroundColor(graphics::Color::clear());
        label->setText(stringFromTime(0));
        return label;
    };
    labelCurrent_ = timeLabel();
    labelEnd_ = timeLabel();
    viewLandscapeControls_->addSubview(labelCurrent_);
    viewLandscapeControls_->addSubview(labelEnd_);
    scrubber_ = ui::makeView<ui::Slider>();
    scrubber_->addTarget(
        this,
        [weak = foundation::weakFrom(this)](ui::Control&) {
            if (auto self = weak.lock()) self->beginScrubbing();
        },
        ui::ControlEventTouchDown);
    scrubber_->addTarget(
        this,
        [weak = foundation::weakFrom(this)](ui::Control&) {
            if (auto self = weak.lock()) self->scrub();
        },
        ui::ControlEventValueChanged);
    scrubber_->addTarget(
        this,
        [weak = foundation::weakFrom(this)](ui::Control&) {
            if (auto self = weak.lock()) self->endScrubbing();
        },
        ui::ControlEventTouchUpInside | ui::ControlEventTouchUpOutside | ui::ControlEventTouchCancel);
    viewLandscapeControls_->addSubview(scrubber_);

    // The curtains start closed over the picture.
    const graphics::Image curtain = bundleImageNamed(kCurtainImage).value_or(graphics::Image());
    curtainLeft_ = ui::makeView<ui::ImageView>(curtain);
    curtainRight_ = ui::makeView<ui::ImageView>(curtain);
    for (auto* side : {curtainLeft_.get(), curtainRight_.get()}) {
        side->setContentMode(ui::ContentMode::ScaleToFill);
        side->setBackgroundColor(graphics::Color::rgb8(120, 0, 24));
        root->addSubview(side->shared_from_this());
    }
    const double half = std::floor(bounds.width() / 2);
    curtainLeft_->setFrame(graphics::Rect(0, 0, half + 2, bounds.height()));
    curtainRight_->setFrame(graphics::Rect(half, 0, half + 2, bounds.height()));
    setView(root);
    layOutControls();
}

bool NXMovieView::shouldReceiveTouch(ui::GestureRecognizer&, const ui::Touch& touch) {
    for (const ui::View* view = touch.view; view; view = view->superview())
        if (view == toolBar_.get() || view == toolBarLower_.get() || view == scrubber_.get()) return false;
    return true;
}

void NXMovieView::layOutControls() {
    const graphics::Rect bounds = view()->bounds();
    const double w = bounds.width(), h = bounds.height();
    toolBar_->setFrame(graphics::Rect(0, 0, w, kToolbarHeight));
    toolBar_->setAutoresizingMask(ui::AutoresizingFlexibleWidth);
    toolBarLower_->setFrame(graphics::Rect(0, h - kToolbarHeight, w, kToolbarHeight));
    toolBarLower_->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleTopMargin);
    const double rowY = h - kToolbarHeight - kScrubberRowHeight;
    labelCurrent_->setFrame(graphics::Rect(0, rowY, kTimeLabelWidth, kScrubberRowHeight));
    labelCurrent_->setAutoresizingMask(ui::AutoresizingFlexibleTopMargin);
    labelEnd_->setFrame(graphics::Rect(w - kTimeLabelWidth, rowY, kTimeLabelWidth, kScrubberRowHeight));
    labelEnd_->setAutoresizingMask(ui::AutoresizingFlexibleTopMargin | ui::AutoresizingFlexibleLeftMargin);
    scrubber_->setFrame(graphics::Rect(kTimeLabelWidth, rowY, w - 2 * kTimeLabelWidth, kScrubberRowHeight));
    scrubber_->setAutoresizingMask(ui::AutoresizingFlexibleTopMargin | ui::AutoresizingFlexibleWidth);
}

void NXMovieView::viewDidLoad() {
    const graphics::Color accent = RenderProgressViewController::accentColor();
    scrubber_->setMinimumTrackTintColor(accent);
    labelCurrent_->setTextColor(accent);
    labelEnd_->setTextColor(accent);
    if (!showCurtains_) {
        curtainLeft_->removeFromSuperview();
        curtainRight_->removeFromSuperview();
    }
    setAVPlayerItem();
    setPlayButtonImage(kPlayImage);
    if (!loopTimer_) {
        loopTimer_ = foundation::RunLoop::main().scheduleTimer(kLoopTimerSeconds, true,
                                                               [weak = foundation::weakFrom(this)](foundation::Timer&) {
                                                                   if (auto self = weak.lock()) self->onLoopTimer();
                                                               });
    }
}

void NXMovieView::viewDidAppear(bool animated) {
    ui::ViewController::viewDidAppear(animated);
    if (!showCurtains_) return;
    viewLandscapeControls_->setAlpha(0);
    openCurtain();
}

// ---- the player -------------------------------------------------------------------------------

void NXMovieView::setAVPlayerItem() {
    // A "file:" URL or a plain path.
    std::string path = movieURL_;
    if (path.rfind("file://", 0) == 0) path = path.substr(7);
    auto player = media::Player::create(path);
    if (!player) {
        // Nothing to play: the screen stays with its controls and an empty
        // picture, and says why instead of a time.
        playerError_ = player.error();
        labelEnd_->setText("--:--");
        return;
    }
    mPlayer_ = *player;
    mPlaybackView_->setPlayer(mPlayer_);
    mPlaybackView_->setVideoFillMode(AVLayerVideoGravityResizeAspect);
    endObserver_ = foundation::NotificationCenter::defaultCenter().addObserver(
        media::Player::kDidPlayToEndTimeNotification, mPlayer_.get(),
        [weak = foundation::weakFrom(this)](const foundation::Notification&) {
            if (auto self = weak.lock()) self->playerItemDidReachEnd();
        });
    addTimeObserverToPlayer();
    showDuration();
    syncScrubber();
}

bool NXMovieView::hasFiniteDuration() const { return mPlayer_ && std::isfinite(mPlayer_->durationSeconds()); }

void NXMovieView::showDuration() {
    if (!hasFiniteDuration()) return;
    scrubber_->setMaximumValue(mPlayer_->durationSeconds());
    labelEnd_->setText(stringFromTime(float(mPlayer_->durationSeconds())));
}

void NXMovieView::addTimeObserverToPlayer() {
    if (!mPlayer_ || timeObserver_) return;
    timeObserver_ =
        mPlayer_->addPeriodicTimeObserver(kTimeObserverSeconds, [weak = foundation::weakFrom(this)](media::MediaTime) {
            if (auto self = weak.lock()) self->syncScrubber();
        });
}

void NXMovieView::removeTimeObserverFromPlayer() {
    if (mPlayer_ && timeObserver_) mPlayer_->removeTimeObserver(timeObserver_);
    timeObserver_ = 0;
}

void NXMovieView::syncScrubber() {
    if (!hasFiniteDuration()) return;
    const double current = mPlayer_->currentTimeSeconds();
    scrubber_->setValue(current);
    labelCurrent_->setText(stringFromTime(float(current)));
    labelEnd_->setText(stringFromTime(float(mPlayer_->durationSeconds() - current)));
}

// ---- curtains and controls ----------------------------------------------------------------------

void NXMovieView::openCurtain() {
    const graphics::Rect bounds = view()->bounds();
    auto left = curtainLeft_, right = curtainRight_;
    ui::animate(
        kCurtainOpenSeconds,
        [left, right, bounds] {
            left->setFrame(graphics::Rect(-kCurtainWidth, 0, kCurtainWidth, bounds.height()));
            right->setFrame(graphics::Rect(bounds.width(), 0, kCurtainWidth, bounds.height()));
        },
        [weak = foundation::weakFrom(this)](bool) {
            auto self = weak.lock();
            if (!self) return;
            self->isCurtainOpen_ = true;
            self->actionPlay();
        });
}

void NXMovieView::closeCurtain() {
    const graphics::Rect bounds = view()->bounds();
    const double half = double(int64_t(bounds.width()) / 2);
    auto left = curtainLeft_, right = curtainRight_;
    ui::animate(kCurtainCloseSeconds, [left, right, half, bounds] {
        left->setFrame(graphics::Rect(0, 0, half + 2, bounds.height()));
        right->setFrame(graphics::Rect(half, 0, half + 2, bounds.height()));
    });
    isCurtainOpen_ = false;
}

void NXMovieView::fadeControls(double alpha) {
    auto controls = viewLandscapeControls_;
    ui::animate(kControlsFadeSeconds, [controls, alpha] { controls->setAlpha(alpha); });
}

void NXMovieView::onLoopTimer() {
    if (!mPlayer_ || mPlayer_->rate() == 0) {
        noInteractionSinceSeconds_ = 0;
        return;
    }
    const int32_t before = noInteractionSinceSeconds_++;
    if (before >= 3 && viewLandscapeControls_->alpha() > 0) {
        noInteractionSinceSeconds_ = 0;
        fadeControls(0);
    }
}

void NXMovieView::setPlayButtonImage(const char* name) {
    playImageName_ = name;
    btnPlayPause_->setImage(buttonImage(name));
}

void NXMovieView::setLoopButtonImage(const char* name) {
    loopImageName_ = name;
    btnLoop_->setImage(buttonImage(name));
}
