#include "app/capture/CaptureViewController.h"

#include "app/capture/CaptureCameraSource.h"
#include "app/capture/CaptureScreenRules.h"
#include "app/core/DataManager.h"
#include "app/core/FormatterUtil.h"
#include "app/core/KWWatchKitLocalStorage.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/alerts/Hudy.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "app/widgets/views/DACircularProgressView.h"
#include "platform/capture/CaptureDevice.h"
#include "platform/capture/CaptureTypes.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/NotFound.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controls/Label.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/gestures/PinchGestureRecognizer.h"
#include "platform/ui/gestures/TapGestureRecognizer.h"
#include "platform/ui/host/Application.h"
#include "platform/ui/host/Device.h"

#include <cstdio>

namespace {

// A sound of the bundle; none when it is missing or unreadable (the screen
// then plays nothing).
media::PlayerPtr bundleSound(const char* name, const char* type) {
    auto path = foundation::Bundle::main().pathForResource(name, type);
    if (!path) return nullptr;
    auto player = media::Player::create(*path);
    if (!player.ok()) {
        std::fprintf(stderr, "CaptureViewController: %s\n", player.error().description.c_str());
        return nullptr;
    }
    return *player;
}

}  // namespace

CaptureViewController::CaptureViewController(std::string nibName, ProjectModelPtr project, CaptureSourceList sources)
    : ui::ViewController(std::move(nibName)), project_(std::move(project)), sources_(std::move(sources)) {}

std::shared_ptr<CaptureViewController> CaptureViewController::create(ProjectModelPtr project,
                                                                     CaptureSourceList sources) {
    return std::make_shared<CaptureViewController>(isTablet() ? kNibNameTablet : kNibNamePhone, std::move(project),
                                                   std::move(sources));
}

CaptureViewController::~CaptureViewController() {
    releasePicturesInFlight();
    if (loopTimer_) loopTimer_->invalidate();
    if (captureSource_ && captureSource_->delegate() == this) captureSource_->setDelegate(nullptr);
    if (kwpopoverController_) kwpopoverController_->dismissPopoverAnimated(false);
}

bool CaptureViewController::isTablet() {
    return ui::Device::current().userInterfaceIdiom() == ui::UserInterfaceIdiom::Pad;
}

void CaptureViewController::performOnMain(double delay, std::function<void()> block) {
    life_.performAfter(delay, std::move(block));
}

// ---- set-up -------------------------------------------------------------------------

void CaptureViewController::loadView() { buildViews(); }

void CaptureViewController::viewDidLoad() { initController(); }

void CaptureViewController::initController() {
    // Reading the registry's list makes the registry, so remote-camera
    // discovery runs from here on.
    (void)sources_();
    // The display stays on while pictures are taken.
    ui::Application::shared().setIdleTimerDisabled(true);

    if (!isTablet()) {
        previewViewController_ = std::make_shared<KWPreviewViewController>(project_);
        ui::View* pane = previewViewController_->view();
        pane->setFrame(previewViewControllerPlaceholder_->bounds());
        previewViewControllerPlaceholder_->addSubview(previewViewController_->viewPtr());
        layoutForScreen();
    }

    for (ui::Button* button : panelButtons()) button->setAlpha(0.0);

    auto& settings = DataManager::sharedDataManager();
    buttonSound_->setSelected(!settings.isGUISoundEnabled());
    buttonGrid_->setSelected(settings.isGridEnabled());
    viewGrid_->setHidden(!buttonGrid_->isSelected());

    updateOnionSkinning();
    float overlay = settings.overlaySetting();
    if (isTablet()) {
        auto list = project_->getFrameList();
        FramePtr playhead = list ? list->frameAtPlayhead() : nullptr;
        overlay = playhead && playhead->type() == Frame::kTypeCaptureSlot ? 1.0f : 0.0f;
    }
    sliderOverlayControl_->setValue(overlay);
    actionSliderOverlayValueChanged();

    viewFocusRect_->setHidden(true);
    buttonFocus_->setHidden(true);
    buttonWhiteBalance_->setHidden(true);
    buttonExposure_->setHidden(true);
    capturedeviseBtn_->setHidden(true);

    audioCamera_ = bundleSound("camera3", "wav");
    audioTimer_ = bundleSound("beep", "aiff");

    if (!loopTimer_) {
        loopTimer_ = foundation::RunLoop::main().scheduleTimer(
            capturescreen::kLoopInterval, true, life_.guard([this](foundation::Timer&) { onLoopTimer(); }));
    }

    updateInfoScreen();
    initVolumeControl();

    pinch_ = std::make_shared<ui::PinchGestureRecognizer>(
        life_.guard([this](ui::GestureRecognizer& recognizer) { handlePinchGesture(recognizer); }));
    viewCamera_->addGestureRecognizer(pinch_);
    const double scale = capturescreen::clampZoom(settings.cameraEffectiveScale());
    effectiveScale_.store(scale);
    viewCamera_->setTransform(graphics::AffineTransform::makeScale(scale, scale));
    sliderZoom_->setMinimumValue(capturescreen::kMinimumZoom);
    sliderZoom_->setMaximumValue(capturescreen::kMaximumZoom);
    sliderZoom_->setValue(scale);
    sliderZoom_->setAlpha(0.0);

    addObservers();

    progressTimer_->setInnerTintColor(graphics::Color::clear());
    progressTimer_->setProgressTintColor(graphics::Color::white());
    progressTimer_->setTrackTintColor(graphics::Color::white().withAlpha(0.3));
    progressTimer_->setThicknessRatio(static_cast<double>(0.15f));
    progressTimer_->setClockwiseProgress(1);
    progressTimer_->setProgress(1.0);
}

void CaptureViewController::addObservers() {
    auto& center = foundation::NotificationCenter::defaultCenter();
    auto observe = [this, &center](const char* name,
                                   void (CaptureViewController::*handler)(const foundation::Notification&)) {
        observers_.push_back(center.addObserver(
            name, nullptr, life_.guard([this, handler](const foundation::Notification& notification) {
                (this->*handler)(notification);
            })));
    };
    observe(kShowHelpPageNotification, &CaptureViewController::receiveShowHelpPageNotification);
    observe(kDidStartPlayingNotification, &CaptureViewController::receiveNotificationDidStartPlaying);
    observe(kDidStopPlayingNotification, &CaptureViewController::receiveNotificationDidStopPlaying);
    observe(kWatchKitActionCaptureNotification, &CaptureViewController::receiveWatchKitActionCaptureNotification);
    observe(capture::kDeviceWasDisconnectedNotification, &CaptureViewController::receiveCameraLostNotification);
    observe(capture::kDeviceRuntimeErrorNotification, &CaptureViewController::receiveCameraLostNotification);
}

void CaptureViewController::viewDidAppear(bool) {
    if (!sourceChosen_) initCaptureDevice();
}

void CaptureViewController::didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) {
    if (captureSource_) captureSource_->didRotateFromInterfaceOrientation(from);
}

// ---- sources --------------------------------------------------------------------------

void CaptureViewController::initCaptureDevice() {
    const auto& sources = sources_();
    if (sources.empty()) return;
    sourceChosen_ = true;
    auto& settings = DataManager::sharedDataManager();
    CaptureControllerPtr chosen = sources.front();
    const std::string stored = settings.currentCaptureSourceID();
    for (const auto& source : sources) {
        if (source->captureSourceID() == stored) {
            chosen = source;
            break;
        }
    }
    settings.setCurrentCaptureSourceID(chosen->captureSourceID());
    switchCaptureSource(chosen);
    restoreCaptureSourceConfiguration();
}

namespace {

// The source's camera is not there (none plugged in, or unplugged), rather
// than failing: one plugged in brings the source back.
bool isMissingCamera(const foundation::Error& error) {
    for (const foundation::Error* cause = &error; cause; cause = cause->underlying.get()) {
        if (cause->domain == CaptureCameraSource::noCaptureDeviceError().domain &&
            cause->code == CaptureCameraSource::noCaptureDeviceError().code)
            return true;
        if (cause->domain == capture::kCaptureErrorDomain && cause->code == capture::kCaptureErrorDeviceDisconnected)
            return true;
    }
    return false;
}

}  // namespace

void CaptureViewController::switchCaptureSource(const CaptureControllerPtr& source) {
    if (!source) return;
    view();
    if (mIsTimer_) stopTimer();
    stopWatchingForCamera();
    // A picture the old source still owes never comes.
    isTakingPicture_ = false;
    detachFocusTap();
    if (captureSource_) {
        captureSource_->stopCameraCapture();
        captureSource_->setDelegate(nullptr);
        if (captureSource_->isViewLoaded()) captureSource_->view()->removeFromSuperview();
    }
    for (const auto& subview : std::vector<ui::ViewPtr>(viewAddtionalCaptureControls_->subviews()))
        subview->removeFromSuperview();
    // The new source shows the settings button again once it has started.
    if (btnAdditionalCaptureControls_) btnAdditionalCaptureControls_->setHidden(true);

    effectiveScale_.store(1.0);
    viewCamera_->setTransform(graphics::AffineTransform::identity());
    sliderZoom_->setValue(1.0);
    DataManager::sharedDataManager().setCameraEffectiveScale(1.0f);

    captureSource_ = source;
    ui::View* sourceView = source->view();
    sourceView->setFrame(viewCamera_->bounds());
    sourceView->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleHeight);
    viewCamera_->addSubview(source->viewPtr());
    source->setDelegate(this);
    source->setMainViewController(shared_from_this());
    source->setProject(project_);
    startCaptureSource();
}

bool CaptureViewController::startCaptureSource() {
    const auto before = captureSource_->error();
    captureSource_->initCaptureDevice();
    const auto error = captureSource_->error();
    // Listed, but not back yet: the watch goes on, the message told once.
    if (error && isWatchingForCamera() && isMissingCamera(*error)) return false;
    stopWatchingForCamera();
    if (error) {
        // Presses kept meanwhile end in this error.
        pendingShutterPresses_ = 0;
        // The other camera may do where this one failed.
        capturedeviseBtn_->setHidden(!captureSource_->isMultipleCaptureDeviceAvaliable());
        alertError(*error, mayOfferOtherCamera(*error));
        watchForCamera();
        return false;
    }
    // The message of the failure before is no longer true.
    if (auto shown = errorAlert_.lock();
        before && shown && shown->isVisible() && shown->message() == before->localizedDescription())
        shown->dismissWithClickedButtonIndex(0, true);
    didStartCaptureSource();
    return true;
}

void CaptureViewController::didStartCaptureSource() {
    restoreCaptureSourceConfiguration();
    // The registry's sources come back on the next visit, and a source
    // started again makes a new live view: an old one keeps no tap
    // recognizer of ours.
    detachFocusTap();
    if (auto live = captureSource_->captureSourceViewCamera()) {
        focusTap_ = std::make_shared<ui::TapGestureRecognizer>(
            life_.guard([this](ui::GestureRecognizer& recognizer) { doSingleTap(recognizer); }));
        live->addGestureRecognizer(focusTap_);
    }
    // The live picture takes the onion skin's transparency too.
    applyOverlayValue(static_cast<float>(sliderOverlayControl_->value()));
    // Presses kept for the old source's picture are the new source's to take.
    takeKeptPicture();
}

void CaptureViewController::detachFocusTap() {
    if (!focusTap_) return;
    if (ui::View* tapped = focusTap_->view()) tapped->removeGestureRecognizer(focusTap_.get());
    focusTap_.reset();
}

void CaptureViewController::useOtherCamera() {
    if (!captureSource_) return;
    const bool startAgain = captureSource_->switchOnlyChoosesCamera();
    captureSource_->switchCaptureDevice();
    if (startAgain) {
        if (startCaptureSource()) showCameraName();
        return;
    }
    // A switch that failed says why; the source films on with the camera it had.
    showError(captureSource_->error());
}

void CaptureViewController::captureSourceSelection(CaptureSourceSelectionView&, const CaptureControllerPtr& source) {
    if (auto popover = std::move(kwpopoverController_)) popover->dismissPopoverAnimated(true);
    switchCaptureSource(source);
}

// ---- the screen's other operations ------------------------------------------------

void CaptureViewController::disableControls(bool disabled) {
    view();
    recordBtn_->setEnabled(!disabled);
    buttonOptions_->setEnabled(!disabled);
    btnTimerConfig_->setEnabled(!disabled);
    isControllsDisabled_ = disabled;
    if (disabled && mIsTimer_) stopTimer();
}

void CaptureViewController::stopCameraCapture() {
    if (captureSource_) captureSource_->stopCameraCapture();
}

void CaptureViewController::pauseCameraCapture() {
    if (captureSource_) captureSource_->pauseCameraCapture();
}

void CaptureViewController::resumeCameraCapture() {
    if (captureSource_) captureSource_->resumeCameraCapture();
}

void CaptureViewController::setBtnAdditionalCaptureControls(const std::shared_ptr<ui::Button>& button) {
    btnAdditionalCaptureControls_ = button;
    if (button) {
        button->addTarget(this, life_.guard([this](ui::Control&) { actionShowAdditionalCaptureControls(); }),
                          ui::ControlEventTouchUpInside);
    }
    updateAdditionalControlsButton();
}

void CaptureViewController::actionShowAdditionalCaptureControls() {
    if (captureSource_) captureSource_->showConfiguration(btnAdditionalCaptureControls_.get());
}

void CaptureViewController::actionHome() {
    isClosing_.store(true);
    hud_ = std::make_shared<Hudy>();
    hud_->caption = foundation::localized("Please wait.");
    hud_->isActivity = true;
    hud_->dismissAfterTime = kHomeHudSeconds;
    hud_->showInView(view());
    performOnMain(kHomeExitDelay, [this] { finishUpAndExit(); });
}

void CaptureViewController::finishUpAndExit() {
    observers_.clear();
    if (loopTimer_) loopTimer_->invalidate();
    loopTimer_.reset();
    stopWatchingForCamera();
    if (auto saved = project_->saveMetaDataToDisk(); !saved)
        std::fprintf(stderr, "CaptureViewController: %s\n", saved.error().description.c_str());
    // A source thread waiting for its picture to be stored is let go first:
    // stopping the source may wait for that thread.
    isClosing_.store(true);
    releasePicturesInFlight();
    if (captureSource_) captureSource_->stopCameraCapture();
    auto& watch = KWWatchKitLocalStorage::sharedWatchKitLocalStorage();
    watch.setIsReady(false);
    watch.setIsReadyToCapture(false);
    life_.revoke();
    if (isTablet() && parentViewController()) return;  // the editor removes its child itself
    if (presentingViewController()) dismissViewController(true);
}

void CaptureViewController::showError(const std::optional<foundation::Error>& error) {
    if (error) alertError(*error, false);
}

void CaptureViewController::alertError(const foundation::Error& error, bool offerOtherCamera) {
    // Errors here carry no separate failure reason: the description is the message.
    const std::string message = error.localizedDescription();
    // A failure heard twice (a camera's start, then its backend) is told once.
    if (auto shown = errorAlert_.lock(); shown && shown->isVisible() && shown->message() == message) return;
    auto alert = AlertView::create(foundation::localized("Error"), message);
    alert->addButtonWithTitle(foundation::localized("Dismiss"), {});
    // This platform has no settings page to send the user to, so a refused
    // camera gets no button for one; a camera another program streams from
    // may give way to the other camera.
    if (offerOtherCamera) {
        alert->addButtonWithTitle(foundation::localized("Use Other Camera"),
                                  life_.guard([this](AlertView&, int) { useOtherCamera(); }));
    }
    errorAlert_ = alert;
    alert->show();
}

bool CaptureViewController::mayOfferOtherCamera(const foundation::Error& error) const {
    return error.domain == capture::kCaptureErrorDomain && error.code == capture::kCaptureErrorDeviceInUse &&
           captureSource_ && captureSource_->isMultipleCaptureDeviceAvaliable();
}

// ---- a missing camera --------------------------------------------------------------------

void CaptureViewController::watchForCamera() {
    if (cameraWatch_ || isClosing_.load() || !captureSource_) return;
    const auto error = captureSource_->error();
    if (!error || !isMissingCamera(*error)) return;
    cameraWatch_ = foundation::RunLoop::main().scheduleTimer(
        kCameraWatchInterval, true, life_.guard([this](foundation::Timer&) { lookForCamera(); }));
}

void CaptureViewController::stopWatchingForCamera() {
    if (cameraWatch_) cameraWatch_->invalidate();
    cameraWatch_.reset();
}

void CaptureViewController::lookForCamera() {
    const auto missing = captureSource_ ? captureSource_->error() : std::nullopt;
    if (!missing || !isMissingCamera(*missing)) return stopWatchingForCamera();
    // Only a camera the platform lists again is worth starting the source for.
    if (!capture::videoDevices().empty()) startCaptureSource();
}

void CaptureViewController::updateInfoScreen() {
    view();
    auto list = project_->getFrameList();
    const int64_t count = list ? list->count() : 0;
    const int64_t slot = list ? list->getCaptureIndex() : foundation::kNotFound;
    const std::string position = capturescreen::frameInfoText(slot, count);
    if (infoLCDScreenCurrentIndex_ == 0) {
        frameLabel_->setText(position);
    } else {
        const float seconds = static_cast<float>(count - 1) / static_cast<float>(project_->getFPS());
        frameLabel_->setText(FormatterUtil::getFormatedDuration(seconds));
    }
    layoutFrameInfoAndPanel();
    auto& watch = KWWatchKitLocalStorage::sharedWatchKitLocalStorage();
    watch.setName(project_->getName());
    watch.setInfo(position);
    watch.setIsReady(true);
    watch.setIsReadyToCapture(true);
}

void CaptureViewController::actionLCDScreen() {
    infoLCDScreenCurrentIndex_ = infoLCDScreenCurrentIndex_ == 0 ? 1 : 0;
    updateInfoScreen();
}
