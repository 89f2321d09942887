#pragma once

// The screen on which a project's frames are shot. It hosts the current
// capture source in its camera area, takes a picture at the shutter button
// (or by the time-lapse timer, a volume key or a watch request), crops it to
// the digital zoom and stores it as a new picture frame just before the
// project's capture slot; each stored frame is shown in the preview pane.
// Around the live picture it offers zoom, focus, exposure and white-balance
// toggles, tap-to-focus with an exposure slider, a grid, an onion skin and a
// switch for interface sounds.
//
// Two arrangements: on the tablet the frame editor embeds the screen as a
// child and hands it its preview pane; on the phone the screen fills the
// window, makes its own preview pane behind the live picture and leaves
// through its home button.
//
// Its members are split by concern: set-up, sources and lifecycle here
// (CaptureViewController.cpp), taking and storing pictures
// (CaptureViewControllerStore.cpp), the time-lapse timer, volume keys and
// watch requests (CaptureViewControllerTimer.cpp), the camera controls
// (CaptureViewControllerControls.cpp), and the view tree
// (CaptureViewControllerLayout.cpp). The arithmetic is in CaptureScreenRules.
//
// Threads: everything runs on the main thread except
// captureControllerDidTakeImage, which a source may call on its own thread;
// that thread is held until the main thread has stored the picture, or until
// the screen ends (which releases it before it stops the source, so a
// source that waits for its thread never waits for one that waits for us).

#include "app/capture/CaptureController.h"
#include "app/capture/CaptureSourceSelectionView.h"
#include "app/core/Frame.h"
#include "app/core/KWImageProducer.h"
#include "app/core/ProjectModel.h"
#include "app/preview/KWPreviewViewController.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/Image.h"
#include "platform/media/Player.h"
#include "platform/ui/controllers/ViewController.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Button;
class Control;
class GestureRecognizer;
class Label;
class PinchGestureRecognizer;
class Slider;
}  // namespace ui

class AlertView;
class DACircularProgressView;
class Hudy;
class KWPopoverController;
class TimerConfigurationViewController;

class CaptureViewController : public ui::ViewController,
                              public CaptureControllerDelegate,
                              public CaptureSourceSelectionDelegate {
public:
    static constexpr const char* kNibNameTablet = "CaptureView-iPad";
    static constexpr const char* kNibNamePhone = "CaptureView_568";

    // Posted after every stored picture (userInfo "FRAME": the frame).
    static constexpr const char* kAddFrameNotification = "AddFrameNotification";
    static constexpr const char* kFrameKey = "FRAME";
    // Posted on the tablet 0.3 s after a capture and after a camera switch.
    static constexpr const char* kGotoCaptureFrameNotification = "GotoCaptureFrameNotification";
    static constexpr double kGotoCaptureFrameDelay = 0.3;
    // Observed.
    static constexpr const char* kShowHelpPageNotification = CaptureSourceSelectionView::kShowHelpPageNotification;
    static constexpr const char* kHelpPageKey = CaptureSourceSelectionView::kHelpPageKey;
    static constexpr const char* kDidStartPlayingNotification = "NotificationDidStartPlaying";
    static constexpr const char* kDidStopPlayingNotification = "NotificationDidStopPlaying";
    static constexpr const char* kWatchKitActionCaptureNotification = "WatchKitActionCapture";

    // The platform's code for an application that may not use the camera.
    static constexpr int64_t kCameraAccessDeniedCode = -11852;
    // The hidden system volume view's tag.
    static constexpr int kVolumeViewTag = 54870149;
    // Volume keys take pictures only this long after set-up.
    static constexpr double kVolumeControlDelay = 2.0;
    static constexpr double kVolumeViewHideDelay = 3.0;
    static constexpr double kHomeExitDelay = 0.1;
    static constexpr double kHomeHudSeconds = 5.0;
    // Sliders fade out this long after their last use.
    static constexpr double kZoomSliderFadeAfter = 3.0;
    static constexpr double kExposureSliderFadeAfter = 2.0;
    // While the source's camera is missing, the screen looks for it this often.
    static constexpr double kCameraWatchInterval = 1.0;

    // `sources`: the registry's live list of sources to choose from.
    CaptureViewController(std::string nibName, ProjectModelPtr project, CaptureSourceList sources);
    // The arrangement of this device: tablet or phone interface file; the
    // sources of the registry unless others are given.
    static std::shared_ptr<CaptureViewController> create(ProjectModelPtr project,
                                                         CaptureSourceList sources = registryCaptureSources());
    ~CaptureViewController() override;

    // ---- lifecycle (CaptureViewController.cpp) --------------------------------------
    void loadView() override;
    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewDidLayoutSubviews() override { layoutFrameInfoAndPanel(); }
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }
    void didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) override;

    void initController();
    // Picks the first source: the stored choice, else the registry's first.
    void initCaptureDevice();
    void switchCaptureSource(const CaptureControllerPtr& source);
    // Enables (false) or disables (true) the shutter, options and timer buttons.
    void disableControls(bool disabled);
    void actionHome();
    void finishUpAndExit();
    void startCameraCapture() {}
    void stopCameraCapture();
    void pauseCameraCapture();
    void resumeCameraCapture();
    void showError(const std::optional<foundation::Error>& error);
    // The switch button and the alert's "Use Other Camera": the source's
    // other camera. One that films switches itself; one whose camera failed
    // (its start, or later) makes the other camera its choice and is started
    // again, with the screen's locks, or says why it cannot.
    void useOtherCamera();
    // The source's camera is missing (unplugged, or none yet): the screen
    // looks for it every kCameraWatchInterval and, once one is listed,
    // starts the source again with the locks the screen shows, quietly
    // while it is still missing.
    void watchForCamera();
    bool isWatchingForCamera() const { return cameraWatch_ != nullptr; }
    void updateInfoScreen();
    void actionLCDScreen();
    void setBtnAdditionalCaptureControls(const std::shared_ptr<ui::Button>& button);
    void actionShowAdditionalCaptureControls();
    // Shows the source-settings button, with the source's icon, while the
    // current source has settings of its own; hides it otherwise.
    void updateAdditionalControlsButton();
    void setPreviewViewController(const KWPreviewViewControllerPtr& preview) { previewViewController_ = preview; }
    const KWPreviewViewControllerPtr& previewViewController() const { return previewViewController_; }
    ui::Button* btnAdditionalCaptureControls() const { return btnAdditionalCaptureControls_.get(); }

    // ---- pictures (CaptureViewControllerStore.cpp) -------------------------------------
    // The shutter (its button, a volume key, a watch request). A press while a
    // picture is on its way is kept and taken once that picture is stored,
    // so every press makes a picture; a press while the time-lapse runs
    // stops it.
    void actionPauseRecord();
    // Presses kept for after the picture on its way.
    int pendingShutterPresses() const { return pendingShutterPresses_; }
    // Stores a picture as a new frame; null after a failure (shown to the user).
    FramePtr storeImageOperation(const graphics::Image& image);
    void captureControllerDidTakeImage(CaptureController& controller, graphics::Image image) override;
    void captureControllerDidInitCaptureDeviceWithPositon(CaptureController& controller, int64_t position) override;
    void captureControllerDidSwitchCaptureDevicePosition(CaptureController& controller, int64_t position) override;
    void captureSourceSelection(CaptureSourceSelectionView& picker, const CaptureControllerPtr& source) override;

    // ---- time-lapse and remote shutters (CaptureViewControllerTimer.cpp) -------------------
    void actionTimerConfiguration();
    void startTimer();
    void stopTimer();
    void onLoopTimer();
    void onCaptureImageTimer();
    void initVolumeControl();
    void volumeChanged(const foundation::Notification& notification);
    void setVolueControllerActive() { isVolumeControllerActiv_ = true; }
    void hideVolumeControllhandler();
    void receiveWatchKitActionCaptureNotification(const foundation::Notification& notification);

    // ---- camera controls (CaptureViewControllerControls.cpp) ----------------------------
    void actionCameraControls();
    void actionFocus();
    void actionExposure();
    void actionWhiteBalance();
    void actionGrid();
    void actionSound();
    void actionCaptureDevice();
    void actionCaptureSource();
    void doSingleTap(ui::GestureRecognizer& recognizer);
    void tapToFocus(graphics::Point point, graphics::Point originalPoint);
    void drawFocusBoxAtPointOfInterest(graphics::Point point);
    // The exposure-bias slider next to a point of the screen, at the
    // source's bias.
    void showExposureSlider(graphics::Point centre);
    static bool hasExposureBias(const CaptureController& source);
    // The current source's camera went away or failed: its controls go,
    // the screen says so, and looks for a missing camera to come back.
    void receiveCameraLostNotification(const foundation::Notification& notification);
    // The HUD names the camera the source films with now.
    void showCameraName();
    void handlePinchGesture(ui::GestureRecognizer& recognizer);
    void actionSliderZoomChanged();
    void updateZoomScale();
    void actionSliderExposureBiasChanged();
    void sliderTouchEnded();
    void actionSliderOverlayValueChanged();
    void updateOnionSkinning();
    // The playhead reached the capture slot: the live picture comes back
    // with the onion skin it had (full when the slider is at 0).
    void showLiveView();
    // The playhead is on a stored frame: it fills the camera area.
    void showImageView();
    void restoreCaptureSourceConfiguration();
    void receiveNotificationDidStartPlaying(const foundation::Notification& notification);
    void receiveNotificationDidStopPlaying(const foundation::Notification& notification);
    void receiveShowHelpPageNotification(const foundation::Notification& notification);
    void showMessageInHUD(const std::string& text);
    // The help screens belong to the application's screens, which build on
    // capture: they hand in how to make the screen of a help page (none:
    // help requests are ignored).
    using HelpPageFactory = std::function<std::shared_ptr<ui::ViewController>(const std::string& page)>;
    static void setHelpPageFactory(HelpPageFactory factory);
    // The screen of a help page ("" for the index), or none without a factory.
    static std::shared_ptr<ui::ViewController> makeHelpPage(const std::string& page);

    // ---- state and outlets (for the editor and tests) --------------------------------------
    const ProjectModelPtr& project() const { return project_; }
    const CaptureControllerPtr& captureSource() const { return captureSource_; }
    double effectiveScale() const { return effectiveScale_.load(); }
    bool isClosing() const { return isClosing_.load(); }
    bool isTimerRunning() const { return mIsTimer_; }
    // Taking pictures: one is on its way, or the time-lapse runs.
    bool isCapturing() const { return isTakingPicture_ || mIsTimer_; }
    int64_t timerInterval() const { return mTimerIntervall_; }
    bool isVolumeControllerActive() const { return isVolumeControllerActiv_; }
    bool isControlsDisabled() const { return isControllsDisabled_; }
    int32_t infoScreenIndex() const { return infoLCDScreenCurrentIndex_; }
    float lastVolume() const { return lastVolume_; }
    ui::View* viewCamera() const { return viewCamera_.get(); }
    ui::View* viewCameraContainer() const { return viewCameraContainer_.get(); }
    ui::View* viewGrid() const { return viewGrid_.get(); }
    ui::View* viewFocusRect() const { return viewFocusRect_.get(); }
    ui::View* previewViewControllerPlaceholder() const { return previewViewControllerPlaceholder_.get(); }
    ui::Button* recordBtn() const { return recordBtn_.get(); }
    ui::Button* capturedeviseBtn() const { return capturedeviseBtn_.get(); }
    ui::Button* buttonOptions() const { return buttonOptions_.get(); }
    ui::Button* buttonHome() const { return buttonHome_.get(); }
    ui::Button* btnTimerConfig() const { return btnTimerConfig_.get(); }
    ui::Button* buttonGrid() const { return buttonGrid_.get(); }
    ui::Button* buttonFocus() const { return buttonFocus_.get(); }
    ui::Button* buttonSound() const { return buttonSound_.get(); }
    ui::Button* buttonExposure() const { return buttonExposure_.get(); }
    ui::Button* buttonWhiteBalance() const { return buttonWhiteBalance_.get(); }
    ui::Button* buttonCaptureSource() const { return buttonCaptureSource_.get(); }
    ui::Label* frameLabel() const { return frameLabel_.get(); }
    ui::Slider* sliderOverlayControl() const { return sliderOverlayControl_.get(); }
    ui::Label* labelOverlayControl() const { return labelOverlayControl_.get(); }
    ui::Slider* sliderZoom() const { return sliderZoom_.get(); }
    ui::Slider* sliderExposureBias() const { return sliderExposureBias_.get(); }
    DACircularProgressView* progressTimer() const { return progressTimer_.get(); }
    KWPopoverController* popoverController() const { return kwpopoverController_.get(); }
    Hudy* hud() const { return hud_.get(); }
    // Pictures whose source thread waits for them to be stored.
    size_t picturesInFlight() {
        std::lock_guard<std::mutex> lock(inFlightMutex_);
        return inFlight_.size();
    }
    const media::PlayerPtr& audioCamera() const { return audioCamera_; }
    const media::PlayerPtr& audioTimer() const { return audioTimer_; }

private:
    struct PictureInFlight;
    static bool isTablet();
    // Builds the outlets (CaptureViewControllerLayout.cpp).
    void buildViews();
    void layoutForScreen();
    // Sizes the information display to its text and puts the controls panel
    // where it keeps clear of it.
    void layoutFrameInfoAndPanel();
    std::shared_ptr<ui::Button> makeButton(const char* icon, const char* title,
                                           void (CaptureViewController::*action)());
    // The seven buttons of the controls panel.
    std::vector<ui::Button*> panelButtons() const;
    void addObservers();
    // Main thread: handles a picture (Store).
    void didCaptureImage(const graphics::Image& image);
    // Asks the source for a picture (with the shutter sound unless muted or
    // the source's own); the next picture waits for it.
    void takePicture(bool shutterSound);
    // After a picture was handled: the next press or time-lapse picture kept meanwhile.
    void takeKeptPicture();
    // Lets every source thread that waits for a picture to be stored go on.
    void releasePicturesInFlight();
    void forgetPictureInFlight(const std::shared_ptr<PictureInFlight>& picture);
    // The three mode buttons follow what the source supports and runs.
    void updateModeButtons();
    // Shared by the three mode toggles.
    void toggleMode(int64_t (CaptureController::*current)() const, void (CaptureController::*set)(int64_t),
                    ui::Button* button, const char* enabledText, const char* disabledText, void (*store)(int64_t));
    void applyOverlayValue(float value);
    void performOnMain(double delay, std::function<void()> block);
    // Sets the current source up (its first start, a start after a
    // failure, a camera back): false, and the alert of why (quietly while
    // the camera it watches for is still missing), when it cannot film.
    bool startCaptureSource();
    // What follows a source's successful start: the stored modes, tap to
    // focus on its live view, the onion skin, presses kept meanwhile.
    void didStartCaptureSource();
    void detachFocusTap();
    // An alert of the error, offering the other camera when asked; none
    // while the same one shows.
    void alertError(const foundation::Error& error, bool offerOtherCamera);
    // Whether an error alert may offer the other camera: another program
    // streams from this one and the source has another.
    bool mayOfferOtherCamera(const foundation::Error& error) const;
    void lookForCamera();
    void stopWatchingForCamera();

    // Outlets.
    ui::ViewPtr viewCameraContainer_;
    ui::ViewPtr viewCamera_;
    ui::ViewPtr viewGrid_;
    ui::ViewPtr viewFocusRect_;
    ui::ViewPtr viewOverlayControls_;
    ui::ViewPtr viewFrameInfo_;
    ui::ViewPtr viewAddtionalCaptureControls_;
    ui::ViewPtr previewViewControllerPlaceholder_;
    ui::ViewPtr volumeView_;
    std::shared_ptr<ui::Button> recordBtn_;
    std::shared_ptr<ui::Button> capturedeviseBtn_;
    std::shared_ptr<ui::Button> buttonOptions_;
    std::shared_ptr<ui::Button> buttonHome_;
    std::shared_ptr<ui::Button> btnTimerConfig_;
    std::shared_ptr<ui::Button> buttonGrid_;
    std::shared_ptr<ui::Button> buttonFocus_;
    std::shared_ptr<ui::Button> buttonSound_;
    std::shared_ptr<ui::Button> buttonExposure_;
    std::shared_ptr<ui::Button> buttonWhiteBalance_;
    std::shared_ptr<ui::Button> buttonCaptureSource_;
    std::shared_ptr<ui::Button> btnAdditionalCaptureControls_;
    std::shared_ptr<ui::Label> frameLabel_;
    std::shared_ptr<ui::Label> frameTitleLabel_;
    std::shared_ptr<ui::Slider> sliderOverlayControl_;
    std::shared_ptr<ui::Label> labelOverlayControl_;
    std::shared_ptr<ui::Slider> sliderZoom_;
    std::shared_ptr<ui::Slider> sliderExposureBias_;
    std::shared_ptr<DACircularProgressView> progressTimer_;
    std::shared_ptr<ui::PinchGestureRecognizer> pinch_;
    std::shared_ptr<ui::GestureRecognizer> focusTap_;  // on the current source's live view

    // Model and helpers.
    ProjectModelPtr project_;
    CaptureSourceList sources_;
    CaptureControllerPtr captureSource_;
    std::unique_ptr<KWImageProducer> imageProducer_;
    KWPreviewViewControllerPtr previewViewController_;
    std::shared_ptr<KWPopoverController> kwpopoverController_;
    std::shared_ptr<Hudy> hud_;
    media::PlayerPtr audioTimer_;
    media::PlayerPtr audioCamera_;
    foundation::TimerHandle loopTimer_;
    foundation::TimerHandle cameraWatch_;
    // The error alert shown last.
    std::weak_ptr<AlertView> errorAlert_;
    std::vector<foundation::ObserverToken> observers_;
    foundation::LifeToken life_;

    // State.
    std::atomic<double> effectiveScale_{1.0};
    std::atomic<bool> isClosing_{false};
    double beginGestureScale_ = 1.0;
    double lastIntervalTimestamp_ = 0;
    double dateZoomLastUse_ = 0;
    double dateLastExposureSliderUsed_ = 0;
    float lastVolume_ = 0;
    float sliderOnionScreenOriginalValue_ = 0;
    // The onion skin while a stored frame fills the camera area.
    std::optional<float> onionValueBeforeImageView_;
    int32_t infoLCDScreenCurrentIndex_ = 0;
    int64_t mTimerIntervall_ = 0;
    bool mIsTimer_ = false;
    bool mIsTimerAudioPlayed_ = false;
    // A picture was asked of the source and has not come yet.
    bool isTakingPicture_ = false;
    int pendingShutterPresses_ = 0;
    // The time-lapse came round while a picture was on its way (at most one waits).
    bool pendingTimerPicture_ = false;
    bool isVolumeControllerActiv_ = false;
    bool isControllsDisabled_ = false;
    bool sourceChosen_ = false;

    std::mutex inFlightMutex_;
    std::vector<std::shared_ptr<PictureInFlight>> inFlight_;
};

using CaptureViewControllerPtr = std::shared_ptr<CaptureViewController>;
