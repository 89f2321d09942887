// The camera controls around the live picture: the panel toggles, tap to
// focus with the exposure slider, digital zoom, the onion skin, the source
// picker, the editor's playback and help pages.

#include "app/capture/CaptureScreenRules.h"
#include "app/capture/CaptureViewController.h"
#include "app/core/DataManager.h"
#include "app/widgets/alerts/Hudy.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/gestures/PinchGestureRecognizer.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"

namespace {

constexpr double kPanelFadeDuration = 0.3;
constexpr double kZoomSliderShowDuration = 0.25;
constexpr double kFocusBoxDuration = 0.25;
constexpr double kFocusBoxSide = 66.0;
constexpr double kExposureSliderShowDuration = 0.3;
constexpr double kFocusBoxFadeDuration = 1.0;
// Where the exposure slider sits next to the focus square's centre.
constexpr graphics::Point kExposureSliderOffset{10.0, 50.0};

double now() { return foundation::RunLoop::main().now(); }

}  // namespace

std::vector<ui::Button*> CaptureViewController::panelButtons() const {
    return {buttonGrid_.get(),         buttonFocus_.get(),         buttonSound_.get(),     buttonExposure_.get(),
            buttonWhiteBalance_.get(), buttonCaptureSource_.get(), capturedeviseBtn_.get()};
}

// ---- panel ---------------------------------------------------------------------------------

void CaptureViewController::actionCameraControls() {
    buttonOptions_->setSelected(!buttonOptions_->isSelected());
    const double alpha = buttonOptions_->isSelected() ? 1.0 : 0.0;
    auto buttons = panelButtons();
    ui::animate(kPanelFadeDuration, [buttons, alpha] {
        for (ui::Button* button : buttons) button->setAlpha(alpha);
    });
}

void CaptureViewController::toggleMode(int64_t (CaptureController::*current)() const,
                                       void (CaptureController::*set)(int64_t), ui::Button* button,
                                       const char* enabledText, const char* disabledText, void (*store)(int64_t)) {
    if (!captureSource_) return;
    CaptureController& source = *captureSource_;
    const int64_t wanted = (source.*current)() == kCaptureModeContinuousAutomatic
                               ? int64_t{kCaptureModeLocked}
                               : int64_t{kCaptureModeContinuousAutomatic};
    (source.*set)(wanted);
    // What the source runs now, which may not be what was asked for.
    const int64_t mode = (source.*current)();
    if (mode != wanted && source.controlError()) {
        // The camera said why: that, rather than the mode it kept.
        showMessageInHUD(source.controlError()->localizedDescription());
        button->setSelected(mode == kCaptureModeContinuousAutomatic);
    } else if (mode == kCaptureModeContinuousAutomatic) {
        showMessageInHUD(foundation::localized(enabledText));
        button->setSelected(true);
    } else if (mode == kCaptureModeLocked) {
        showMessageInHUD(foundation::localized(disabledText));
        button->setSelected(false);
    } else {
        button->setSelected(false);
    }
    store(mode);
    // A control the camera refused is no longer offered.
    updateModeButtons();
}

void CaptureViewController::actionFocus() {
    toggleMode(&CaptureController::focusMode, &CaptureController::setFocusMode, buttonFocus_.get(), "Autofocus enabled",
               "Autofocus disabled", [](int64_t mode) { DataManager::sharedDataManager().setFocusMode(mode); });
}

void CaptureViewController::actionExposure() {
    toggleMode(&CaptureController::exposureMode, &CaptureController::setExposureMode, buttonExposure_.get(),
               "Automatic Exposure enabled", "Automatic Exposure disabled",
               [](int64_t mode) { DataManager::sharedDataManager().setExposureMode(mode); });
}

void CaptureViewController::actionWhiteBalance() {
    toggleMode(&CaptureController::whiteBalanceMode, &CaptureController::setWhiteBalanceMode, buttonWhiteBalance_.get(),
               "Automatic White Balance enabled", "Automatic White Balance disabled",
               [](int64_t mode) { DataManager::sharedDataManager().setWhiteBalanceMode(mode); });
}

void CaptureViewController::actionGrid() {
    buttonGrid_->setSelected(!buttonGrid_->isSelected());
    viewGrid_->setHidden(!buttonGrid_->isSelected());
    DataManager::sharedDataManager().setIsGridEnabled(buttonGrid_->isSelected());
}

void CaptureViewController::actionSound() {
    buttonSound_->setSelected(!buttonSound_->isSelected());
    const bool off = buttonSound_->isSelected();
    DataManager::sharedDataManager().setIsGUISoundEnabled(!off);
    showMessageInHUD(foundation::localized(off ? "Sound disabled" : "Sound enabled"));
}

void CaptureViewController::actionCaptureDevice() {
    if (!captureSource_) return;
    useOtherCamera();
    if (isTablet()) foundation::NotificationCenter::defaultCenter().post(kGotoCaptureFrameNotification, this);
}

void CaptureViewController::showCameraName() {
    if (!captureSource_) return;
    if (const std::string name = captureSource_->currentCameraName(); !name.empty()) showMessageInHUD(name);
}

void CaptureViewController::actionCaptureSource() {
    auto picker = std::make_shared<CaptureSourceSelectionView>(sources_);
    picker->delegate = this;
    buttonCaptureSource_->setSelected(true);
    kwpopoverController_ = std::make_shared<KWPopoverController>(picker);
    auto button = buttonCaptureSource_;
    kwpopoverController_->setHandlerDismissPopover([button] { button->setSelected(false); });
    kwpopoverController_->presentPopoverFromRect(buttonCaptureSource_->frame(), *view(), kPopoverArrowDirectionUp,
                                                 true);
}

void CaptureViewController::showMessageInHUD(const std::string& text) {
    // The message before goes: its own timer went with it.
    if (hud_) hud_->dismiss();
    hud_ = std::make_shared<Hudy>();
    hud_->caption = text;
    hud_->showInView(view());
}

// ---- modes and their buttons --------------------------------------------------------------

void CaptureViewController::updateModeButtons() {
    CaptureController& source = *captureSource_;
    buttonFocus_->setHidden(!source.isFocusModeSuported());
    buttonExposure_->setHidden(!source.isExposureModeSuported());
    buttonWhiteBalance_->setHidden(!source.isWhiteBalanceModeSuported());
    buttonFocus_->setSelected(source.focusMode() == kCaptureModeContinuousAutomatic);
    buttonExposure_->setSelected(source.exposureMode() == kCaptureModeContinuousAutomatic);
    buttonWhiteBalance_->setSelected(source.whiteBalanceMode() == kCaptureModeContinuousAutomatic);
}

void CaptureViewController::restoreCaptureSourceConfiguration() {
    if (!captureSource_) return;
    CaptureController& source = *captureSource_;
    auto& settings = DataManager::sharedDataManager();
    source.setFocusMode(settings.focusMode());
    buttonFocus_->setSelected(source.focusMode() == kCaptureModeContinuousAutomatic);
    source.setWhiteBalanceMode(settings.whiteBalanceMode());
    buttonWhiteBalance_->setSelected(source.whiteBalanceMode() == kCaptureModeContinuousAutomatic);
    source.setExposureMode(settings.exposureMode());
    buttonExposure_->setSelected(source.exposureMode() == kCaptureModeContinuousAutomatic);
    sliderExposureBias_->setMinimumValue(source.minExposureTargetBias());
    sliderExposureBias_->setMaximumValue(source.maxExposureTargetBias());
}

void CaptureViewController::captureControllerDidSwitchCaptureDevicePosition(CaptureController& controller, int64_t) {
    if (&controller != captureSource_.get()) return;
    // The other camera gets the locks the screen shows.
    restoreCaptureSourceConfiguration();
    updateModeButtons();
    // Which camera films now; or why the one switched to gave way again.
    if (auto error = controller.error()) {
        showError(error);
    } else {
        showCameraName();
    }
}

void CaptureViewController::captureControllerDidInitCaptureDeviceWithPositon(CaptureController& controller, int64_t) {
    // May come from a source's thread: everything happens on the main queue.
    auto weak = foundation::weakFrom(this);
    const CaptureController* reporter = &controller;
    foundation::DispatchQueue::main().async([weak, reporter] {
        auto self = weak.lock();
        if (!self || reporter != self->captureSource_.get()) return;
        self->viewCamera_->setBackgroundColor(std::nullopt);
        CaptureController& source = *self->captureSource_;
        self->capturedeviseBtn_->setHidden(!source.isMultipleCaptureDeviceAvaliable());
        self->updateModeButtons();
        self->updateAdditionalControlsButton();
    });
}

void CaptureViewController::receiveCameraLostNotification(const foundation::Notification&) {
    // The source hears of it too, perhaps after this screen: look once it has.
    performOnMain(0, [this] {
        if (!captureSource_ || captureSource_->isReadyToCapture()) return;
        updateModeButtons();
        for (ui::View* shown : {viewFocusRect_.get(), static_cast<ui::View*>(sliderExposureBias_.get())})
            shown->setAlpha(0.0);
        if (auto error = captureSource_->error()) alertError(*error, mayOfferOtherCamera(*error));
        watchForCamera();
    });
}

void CaptureViewController::updateAdditionalControlsButton() {
    ui::Button* settings = btnAdditionalCaptureControls_.get();
    if (!settings) return;
    settings->setHidden(!captureSource_ || !captureSource_->isAdditionalControlsSuported());
    if (settings->isHidden()) return;
    // The source's own menu icon tells its settings from the screen's options.
    if (graphics::Image icon = captureSource_->getCaptureSourceMenuIcon(); !icon.isNull())
        settings->setImage(icon.withRenderingMode(graphics::ImageRenderingMode::AlwaysTemplate),
                           ui::ControlStateNormal);
}

// ---- tap to focus ---------------------------------------------------------------------------

void CaptureViewController::doSingleTap(ui::GestureRecognizer& recognizer) {
    const graphics::Point inCamera = recognizer.locationInView(viewCamera_.get());
    const graphics::Point inScreen = recognizer.locationInView(view());
    if (viewCamera_->frame().contains(inCamera)) tapToFocus(inCamera, inScreen);
}

void CaptureViewController::tapToFocus(graphics::Point point, graphics::Point originalPoint) {
    if (!captureSource_) return;
    if (captureSource_->focusAtPoint(point)) {
        drawFocusBoxAtPointOfInterest(originalPoint);
    } else if (hasExposureBias(*captureSource_)) {
        // A camera that cannot focus at a point (most webcams) still has its
        // exposure bias at the tap, without a square for a focus it did not do.
        showExposureSlider(originalPoint);
    }
}

bool CaptureViewController::hasExposureBias(const CaptureController& source) {
    return source.maxExposureTargetBias() != 0.0f && source.minExposureTargetBias() != 0.0f;
}

void CaptureViewController::showExposureSlider(graphics::Point centre) {
    const CaptureController& source = *captureSource_;
    sliderExposureBias_->setMinimumValue(source.minExposureTargetBias());
    sliderExposureBias_->setMaximumValue(source.maxExposureTargetBias());
    sliderExposureBias_->setCenter({centre.x + kExposureSliderOffset.x, centre.y + kExposureSliderOffset.y});
    sliderExposureBias_->setValue(source.currentExposureTargetBias());
    // The loop fades a shown slider 2 s after its last use: it counts as
    // used from the moment it starts to show, or the loop would take it away
    // again before it is seen.
    dateLastExposureSliderUsed_ = now();
    auto slider = sliderExposureBias_;
    ui::animate(
        kExposureSliderShowDuration, [slider] { slider->setAlpha(1.0); },
        life_.guard([this](bool) { dateLastExposureSliderUsed_ = now(); }));
}

void CaptureViewController::drawFocusBoxAtPointOfInterest(graphics::Point point) {
    auto square = viewFocusRect_;
    square->setHidden(false);
    square->setFrame({{0, 0}, view()->bounds().size});
    square->setAlpha(1.0);
    const graphics::Rect target{point.x - kFocusBoxSide / 2, point.y - kFocusBoxSide / 2, kFocusBoxSide, kFocusBoxSide};
    ui::animate(
        kFocusBoxDuration, [square, target] { square->setFrame(target); }, life_.guard([this](bool) {
            auto square = viewFocusRect_;
            if (!captureSource_) return;
            if (hasExposureBias(*captureSource_)) {
                showExposureSlider(square->center());
            } else {
                ui::animate(kFocusBoxFadeDuration, [square] { square->setAlpha(0.0); });
            }
        }));
}

void CaptureViewController::actionSliderExposureBiasChanged() {
    if (captureSource_) {
        CaptureController& source = *captureSource_;
        source.changeExposureTargetBiasTo(static_cast<float>(sliderExposureBias_->value()));
        if (const auto& failure = source.controlError()) showMessageInHUD(failure->localizedDescription());
        // A camera whose bias is its exposure time keeps that time locked.
        const int64_t exposure = source.exposureMode();
        if (buttonExposure_->isSelected() != (exposure == kCaptureModeContinuousAutomatic)) {
            DataManager::sharedDataManager().setExposureMode(exposure);
            updateModeButtons();
        }
    }
    dateLastExposureSliderUsed_ = now();
}

void CaptureViewController::sliderTouchEnded() { dateLastExposureSliderUsed_ = now(); }

// ---- zoom ---------------------------------------------------------------------------------------

void CaptureViewController::handlePinchGesture(ui::GestureRecognizer& recognizer) {
    if (!captureSource_ || !captureSource_->getIsZoomSupported()) return;
    auto& pinch = static_cast<ui::PinchGestureRecognizer&>(recognizer);
    switch (pinch.state()) {
        case ui::GestureState::Began: {
            beginGestureScale_ = effectiveScale_.load();
            auto slider = sliderZoom_;
            ui::animate(kZoomSliderShowDuration, [slider] { slider->setAlpha(1.0); });
            break;
        }
        case ui::GestureState::Ended:
        case ui::GestureState::Cancelled:
            dateZoomLastUse_ = now();
            break;
        case ui::GestureState::Changed: {
            // Every finger must lie on the (zoomed) camera picture.
            const graphics::Rect shown{{0, 0}, viewCamera_->bounds().size};
            for (size_t i = 0; i < pinch.numberOfTouches(); ++i) {
                if (!shown.contains(pinch.locationOfTouch(i, viewCamera_.get()))) return;
            }
            effectiveScale_.store(capturescreen::clampZoom(beginGestureScale_ * pinch.scale()));
            updateZoomScale();
            break;
        }
        default:
            break;
    }
}

void CaptureViewController::actionSliderZoomChanged() {
    effectiveScale_.store(capturescreen::clampZoom(sliderZoom_->value()));
    updateZoomScale();
    dateZoomLastUse_ = now();
}

void CaptureViewController::updateZoomScale() {
    const double scale = effectiveScale_.load();
    viewCamera_->setTransform(graphics::AffineTransform::makeScale(scale, scale));
    sliderZoom_->setValue(scale);
    DataManager::sharedDataManager().setCameraEffectiveScale(static_cast<float>(scale));
}

// ---- onion skin -------------------------------------------------------------------------------

void CaptureViewController::applyOverlayValue(float value) {
    if (captureSource_) {
        if (auto live = captureSource_->captureSourceViewCamera()) live->setAlpha(value);
    }
    viewCameraContainer_->setAlpha(value);
}

void CaptureViewController::actionSliderOverlayValueChanged() {
    const float value = capturescreen::snapOnionValue(static_cast<float>(sliderOverlayControl_->value()));
    sliderOverlayControl_->setValue(value);
    applyOverlayValue(value);
    DataManager::sharedDataManager().setOverlaySetting(value);
}

void CaptureViewController::updateOnionSkinning() {
    auto list = project_->getFrameList();
    if (!list || !previewViewController_) return;
    const int64_t index = capturescreen::onionSkinFrameIndex(*list);
    if (index == foundation::kNotFound) return;
    previewViewController_->showFrame(list->getFrameAtIndex(index));
}

void CaptureViewController::showLiveView() {
    if (sliderOverlayControl_->value() != 0.0) return;
    // Back to the onion skin the user had before a frame was shown.
    sliderOverlayControl_->setValue(onionValueBeforeImageView_.value_or(1.0f));
    onionValueBeforeImageView_.reset();
    actionSliderOverlayValueChanged();
}

void CaptureViewController::showImageView() {
    // A frame being edited shows whole, whatever the onion skin was: the
    // live picture steps aside until the playhead is back on the slot.
    const auto value = static_cast<float>(sliderOverlayControl_->value());
    if (value == 0.0f) return;
    onionValueBeforeImageView_ = value;
    sliderOverlayControl_->setValue(0.0);
    actionSliderOverlayValueChanged();
}

void CaptureViewController::receiveNotificationDidStartPlaying(const foundation::Notification&) {
    sliderOnionScreenOriginalValue_ = static_cast<float>(sliderOverlayControl_->value());
    sliderOverlayControl_->setValue(0.0);
    actionSliderOverlayValueChanged();
}

void CaptureViewController::receiveNotificationDidStopPlaying(const foundation::Notification&) {
    sliderOverlayControl_->setValue(sliderOnionScreenOriginalValue_);
    actionSliderOverlayValueChanged();
}

// ---- help ------------------------------------------------------------------------------------

namespace {

CaptureViewController::HelpPageFactory& helpPageFactory() {
    static CaptureViewController::HelpPageFactory factory;
    return factory;
}

}  // namespace

void CaptureViewController::setHelpPageFactory(HelpPageFactory factory) { helpPageFactory() = std::move(factory); }

std::shared_ptr<ui::ViewController> CaptureViewController::makeHelpPage(const std::string& page) {
    const auto& factory = helpPageFactory();
    return factory ? factory(page) : nullptr;
}

void CaptureViewController::receiveShowHelpPageNotification(const foundation::Notification& notification) {
    auto help = makeHelpPage(notification.userInfo.get(kHelpPageKey).asString());
    if (!help) return;
    auto navigation = std::make_shared<ui::NavigationController>(help);
    navigation->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    presentViewController(navigation, true);
}
