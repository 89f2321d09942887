#pragma once

// The project editor: the frame strip and the timeline with one playhead, the
// preview pane, playback against the project's audio, the toolbar, the
// frame operations, the media imports and the theme cards. On the tablet it
// embeds the capture screen; on the phone the camera button opens it full
// screen. While it is shown it is the one place that inserts frames into the
// open project (addFrames), and every change ends in a save whose failure the
// user is told about.
//
// One class whose members are split by concern across files:
//   FrameEditorViewController.cpp  structure, life cycle, layout, toolbar,
//                                  strip/timeline switch, playback, insertion
//   FrameEditorParts.cpp           the calls into strip, timeline and player
//   FrameEditorRegistry.cpp        the notification registry
//   FrameEditorOperations.cpp      the frame-edit menu's operations
//   FrameEditorImports.cpp         add-media choices and theme cards
//   FrameEditorNotices.cpp         notices and error alerts
//   FrameEditorAudio.cpp           voice-over, clips and music
//   FrameEditorCoachMarks.cpp      coach marks, the help overlay and help pages
// The work itself is in plain functions (FrameEditorModel.h) that tests call.
//
// Main thread only. Completions of importers and the pasteboard that arrive
// on other queues reach the project only through addFrames, which hops to
// the main queue.

#include "app/audio/AudioRecorderViewController.h"
#include "app/audio/NXMediaPickerController.h"
#include "app/core/Frame.h"
#include "app/core/ProjectModel.h"
#include "app/editor/MediaSelectionViewController.h"
#include "app/widgets/views/HelpManager.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Lifetime.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/controllers/ViewController.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Button;
class ImageView;
class Label;
class NavigationController;
class View;
}  // namespace ui

class CaptureViewController;
class FrameEditorHelp;
class Hudy;
class KWAudioClip;
class KWAudioController;
class KWFrameByFrameView;
class KWImageProducer;
class KWPopoverController;
class KWPreviewViewController;
class KWTimelineViewController;
class MainViewControllerDelegate;
class PreviewPlayer;
class ThemeMovieHandler;

class FrameEditorViewController : public ui::ViewController,
                                  public AudioRecorderViewDelegate,
                                  public MediaSelectionDelegate,
                                  public NXMediaPickerDelegate,
                                  public HelpManagerDelegate {
public:
    static constexpr const char* kNibNameTablet = "FrameEditorViewController_iPad";
    static constexpr const char* kNibNamePhone = "FrameEditorViewController";

    // The error of a paste that delivered fewer frames than were counted.
    static constexpr const char* kErrorDomain = "FrameEditor";
    static constexpr int64_t kErrorPasteIncomplete = 2090;

    // The registry: every name the editor observes, in registration order.
    static const std::vector<std::string>& notificationNames();

    // `nibName` is kNibNameTablet or kNibNamePhone; nothing happens before the
    // view loads.
    FrameEditorViewController(std::string nibName, ProjectModelPtr project);
    // The editor for this device's idiom.
    static std::shared_ptr<FrameEditorViewController> create(ProjectModelPtr project);
    ~FrameEditorViewController() override;

    MainViewControllerDelegate* delegate() const { return delegate_; }
    void setDelegate(MainViewControllerDelegate* delegate) { delegate_ = delegate; }
    // Hands the project back to the delegate and cancels delayed calls aimed here.
    void closeController();

    // ---- life cycle and layout (FrameEditorViewController.cpp) -------------------------------
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    unsigned supportedInterfaceOrientations() const override { return ui::OrientationMaskLandscape; }
    // Phone idiom: side panels and preview around a 16:9 pane.
    void layoutViews();
    // The hint of an empty project beside the capture slot's tile, which
    // the strip holds in its middle.
    void layoutEmptyHelp();
    static graphics::Rect getOrientationCorrectedRectFromRect(const graphics::Rect& rect);
    static bool isTablet();

    // ---- insertion, saving and controls --------------------------------------------------------
    // Inserts at the index of the frame under the playhead.
    void addFrames(const std::vector<FramePtr>& frames);
    // Runs later on the main queue (so callers on any queue may call it, and
    // two calls in a row run in order): the index is clamped to the list as it
    // is then, the frames keep their order, the strip follows, and the project
    // is saved.
    void addFrames(const std::vector<FramePtr>& frames, int64_t atIndex);
    // Marks the mix stale and the timeline for a rebuild, then saves the
    // project; a failed save is shown in an alert and the change stays in
    // memory for the next save.
    foundation::Status updateAllAndSaveProject();
    // Saves the project (frame list, then metadata), telling the user when it fails.
    foundation::Status saveProjectReportingFailure();
    void updateGUIWithStatus(bool enabled);
    void playPreview();
    void stopPreview();
    bool isPlaying() const;
    void zoomIn();
    void zoomOut();
    void presentViewControllerFromFrameEditorWithZoomIn(std::shared_ptr<ui::ViewController> controller);
    void dismissViewControllerFromFrameEditorWithZoomIn(ui::ViewController* controller, const FramePtr& withFrame);

    // ---- toolbar actions -------------------------------------------------------------------
    void actionProjectExplorer();
    void actionPlayPreview();
    void actionCamera();
    void actionMore();
    void actionMusic();
    void actionAudio();
    void actionTheme();
    void actionHelp();
    void actionBackToFirstFrame();
    void actionGotoCaptureFrame();
    void zoomInAction();
    void zoomOutAction();
    void userStartScrolling();

    // ---- registry (FrameEditorRegistry.cpp) ----------------------------------------------------
    void addNotifications();
    void removeNotifications();
    bool isObserving() const { return !observers_.empty(); }
    void receiveAddFrameNotification(const foundation::Notification& notification);
    void receiveGotoCaptureFrameNotification(const foundation::Notification& notification);
    void receiveMovieEffectDidChangeNotification(const foundation::Notification& notification);
    void receiveNotificationDidMovePlayhead(const foundation::Notification& notification);
    void receiveNotificationTimelineViewDoubleTapped(const foundation::Notification& notification);
    void receiveNotificationFrameByFrameViewDoubleTapped(const foundation::Notification& notification);

    // ---- frame operations (FrameEditorOperations.cpp) --------------------------------------------
    void receiveNotificationDidSelectFrame(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuSelectSelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuDeselectSelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuCopySelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuPasteSelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuDeleteSelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuReverseSelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuHoldSelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuCaptureHereSelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuCropSelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuDrawSelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuEraserSelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuTextSelected(const foundation::Notification& notification);
    void receiveNotificationFrameEditMenuMergeSelected(const foundation::Notification& notification);
    // The keyboard: Delete (or Backspace) asks, as the menu's Delete does, to
    // delete the marked run or else the frame under the playhead; nothing
    // while playing or while a panel or sheet is up.
    bool keyCommand(const ui::KeyPress& press) override;
    // The operations on a range of the frame list; the handlers above call them.
    void copyFrames(int64_t location, int64_t length);
    void pasteFrames(int64_t location);
    // Pasted cards that came without pictures (not rendered in their source
    // yet) are rendered here, from this project's outline or their own text.
    void renderPastedCards(const std::vector<FramePtr>& pasted);
    // The one question before a Delete, from the menu or the key: an action
    // sheet with a destructive "Delete" (titled with the cards that go, see
    // frameeditor::deleteQuestion) whose answer runs deleteFrames. A range
    // with nothing that can go is not asked about and only saves. Returns
    // whether it asked.
    bool askBeforeDeletingFrames(int64_t location, int64_t length);
    void deleteFrames(int64_t location, int64_t length);
    void reverseFrames(int64_t location, int64_t length);
    void frameEditMenuHold(const FramePtr& frame);
    void frameEditMenuCaptureHere(const FramePtr& frame);
    void showImageEditorForFrame(const FramePtr& frame);
    // Stores a cropped picture as the frame's new picture (the crop editor's
    // done callback, with where it put each point of the old picture in unit
    // coordinates); false, with an alert, when it could not be stored.
    bool storeCroppedImage(const graphics::Image& image, const FramePtr& forFrame,
                           const graphics::AffineTransform& pictureMapping);
    // Draw (option 0) or Erase (1) on the frame. Draw on a frame whose
    // painting a mask partly erased asks first, since painting replays the
    // erased strokes; Cancel opens nothing.
    void showPainterWithOption(int32_t option, const FramePtr& forFrame);
    void textCardEditForFrame(const FramePtr& frame);
    void mergeImagesForFrame(const FramePtr& frame);

    // ---- media import and theme cards (FrameEditorImports.cpp) -----------------------------------
    void mediaSelectionDidSelect(MediaSelectionViewController& menu, int64_t didSelect) override;
    void showThemeWithPageOpen(int32_t page);
    void receiveThemeDoneNotification(const foundation::Notification& notification);
    void receiveThemeDidChangeNotification(const foundation::Notification& notification);
    void receiveOutlineHasChangedNotification(const foundation::Notification& notification);
    void receiveThemeRenderingFinishedNotification(const foundation::Notification& notification);
    void receiveThemeShowTitleNotification(const foundation::Notification& notification);
    void receiveThemeShowCreditsNotification(const foundation::Notification& notification);
    // The theme's cards: created (title at 0, credits at the end) for a theme,
    // removed for "no theme" (themeID 0). Rendering follows for a theme.
    void applyTheme(std::optional<int64_t> themeID);

    // ---- notices and errors (FrameEditorNotices.cpp) ----------------------------------------------
    void showInfoNotification(const std::string& text, int64_t hideAfterSeconds, bool isActivity);
    void hideNotification();
    void showError(const std::optional<foundation::Error>& error);
    void receiveShowActivityNotification(const foundation::Notification& notification);
    void receiveHideActivityNotification(const foundation::Notification& notification);
    void receiveShowHUDNotification(const foundation::Notification& notification);
    void receiveShowErrorNotification(const foundation::Notification& notification);

    // ---- audio (FrameEditorAudio.cpp) ----------------------------------------------------------
    void showAudioRecorder();
    void hideAudioRecorder();
    void showAudioChooserForFrame(const FramePtr& frame);
    void showAudioControllerForFrame(const FramePtr& frame);
    void addAudioToFrame(const FramePtr& frame, const std::string& fromFile, const std::optional<std::string>& withName,
                         int32_t andType);
    bool updateAudioHoldForAllFrames();
    void deleteAudioFile(const std::string& fileName);
    void deleteAudioFiles(const std::vector<std::string>& fileNames);
    void receiveNotificationFrameEditMenuAudioSelected(const foundation::Notification& notification);
    void receiveAudioControllerDoneNotification(const foundation::Notification& notification);
    void receiveAudioControllerRemoveClipNotification(const foundation::Notification& notification);
    void audioRecorderDidStartRecording(AudioRecorderViewController& recorder) override;
    void audioRecorderDidStopRecording(AudioRecorderViewController& recorder) override;
    void audioRecorderDidCancelRecording(AudioRecorderViewController& recorder) override;
    void audioRecorderDidStartPlayback(AudioRecorderViewController& recorder) override;
    void audioRecorderDidStopPlayback(AudioRecorderViewController& recorder) override;
    void audioRecorderDidAcceptRecording(AudioRecorderViewController& recorder, const std::string& file) override;
    void nxMediaPicker(NXMediaPickerController& picker, const std::vector<NXMediaPickerItemPtr>& didPickMediaItems,
                       const NXMediaPickerItemPtr& selectedItem) override;
    void nxMediaPicker(NXMediaPickerController& picker, const NXMediaPickerItemPtr& didSelectRemoveItem) override;
    void jgMediaPicker(JGMediaPickerController& picker, const library::MediaItemCollectionPtr& didPickMediaItems,
                       const library::MediaItemPtr& selectedItem) override;
    void jgMediaPickerDidCancel(JGMediaPickerController& picker) override;
    AudioRecorderViewController* audioRecorderView() const { return audioRecorderView_.get(); }
    ui::ViewController* audioConfigurationController() const { return audioConfigurationController_.get(); }
    ui::Button* btnCloseModalController() const { return btnCloseModalController_.get(); }
    const FramePtr& selectedFrame() const { return selectedFrame_; }
    // The picker on screen while a chooser is up.
    NXMediaPickerController* mediaPicker() const { return mediaPicker_.get(); }

    // ---- coach marks and help (FrameEditorHelp.cpp) ----------------------------------------------
    void updateCoachMarks();
    void helpManangerDidFinish(HelpManager& helpManager) override;
    std::shared_ptr<FrameEditorHelp> prepareFrameEditorHelp();
    void showInternalHelp();
    HelpManager* helpManager() const { return helpManager_.get(); }
    FrameEditorHelp* frameEditorHelp() const { return frameEditorHelp_.get(); }
    void receiveFrameEditorHelpCloseNotification(const foundation::Notification& notification);

    // ---- state and outlets (for the other editor files and tests) ----------------------------------
    const ProjectModelPtr& project() const { return project_; }
    KWFrameByFrameView* playerViewController() const { return playerViewController_.get(); }
    KWTimelineViewController* timelineViewController() const { return timelineViewController_.get(); }
    KWPreviewViewController* previewViewController() const { return previewViewController_.get(); }
    PreviewPlayer* previewPlayer() const { return previewPlayer_.get(); }
    KWAudioController* audioController() const { return audioController_.get(); }
    CaptureViewController* captureViewController() const { return captureViewController_.get(); }
    KWPopoverController* popoverController() const { return kwPopoverController_.get(); }
    Hudy* hudy() const { return hudy_.get(); }
    ui::View* viewPlayerViewController() const { return viewPlayerViewController_.get(); }
    ui::View* viewTimelineViewController() const { return viewTimelineViewController_.get(); }
    ui::View* viewPreview() const { return viewPreview_.get(); }
    ui::View* viewCaptureView() const { return viewCaptureView_.get(); }
    ui::View* viewEmptyHelp() const { return viewEmptyHelp_.get(); }
    ui::Label* labelEmptyHelp() const { return labelEmptyHelp_.get(); }
    ui::View* viewLeftControls() const { return viewLeftControls_.get(); }
    ui::View* viewRightControls() const { return viewRightControls_.get(); }
    ui::View* viewSeperator() const { return viewSeperator_.get(); }
    ui::Button* btnExplorer() const { return btnExplorer_.get(); }
    ui::Button* btnAudio() const { return btnAudio_.get(); }
    ui::Button* btnCamera() const { return btnCamera_.get(); }
    ui::Button* btnMore() const { return btnMore_.get(); }
    ui::Button* btnPlay() const { return btnPlay_.get(); }
    ui::Button* btnMusic() const { return btnMusic_.get(); }
    ui::Button* btnHelp() const { return btnHelp_.get(); }
    ui::Button* btnTheme() const { return btnTheme_.get(); }
    ui::Button* btnBackward() const { return btnBackward_.get(); }
    ui::Button* btnForward() const { return btnForward_.get(); }
    ui::Button* btnAdditionCaptureControl() const { return btnAdditionCaptureControl_.get(); }
    bool isTimeline() const { return isTimeline_; }
    bool timeLineNeedsUpdate() const { return timeLineNeedsUpdate_; }
    bool isHelpShownThisTime() const { return isHelpShownThisTime_; }
    bool isCommingBackFromCaptureView() const { return isCommingBackFromCaptureView_; }
    ui::ViewController* outlineNavigationController() const { return outlineNavigationController_.get(); }
    // The last failed save, while no later save succeeded.
    const std::optional<foundation::Error>& pendingSaveError() const { return pendingSaveError_; }

private:
    void buildViews();
    // showPainterWithOption once nothing is left to ask.
    void presentPainterWithOption(int32_t option, const FramePtr& forFrame);
    std::shared_ptr<ui::Button> makeToolbarButton(const char* icon, void (FrameEditorViewController::*action)());
    // The insertion itself, on the main queue. A frame the camera took brings
    // up no coach mark: the user is still shooting.
    void insertFramesNow(const std::vector<FramePtr>& frames, int64_t atIndex, bool fromCamera = false);
    // updateGUIWithStatus without the coach marks.
    void updateControls(bool enabled);
    // A picture is on its way or the time-lapse runs on the embedded camera.
    bool isCameraBusy() const;
    // The strip, timeline and player at work (FrameEditorParts.cpp).
    void createStripAndTimeline();
    void createPreviewPlayer();
    void reloadStrip();
    void insertStripItems(const std::vector<int64_t>& atIndexes);
    // Removes a frame from the strip and then from the list.
    void removeFrameFromStripAndList(const FramePtr& frame, bool animated);
    void scrollStripToFrame(const FramePtr& frame, bool animated);
    void scrollTimelineToFrame(const FramePtr& frame);
    void rebuildTimeline();
    void startPlayer();
    void stopPlayer();
    void enableStripSelection(const FramePtr& anchor);
    void disableStripSelection();
    // The strip's item and the preview pane show the frame's new picture.
    void updateFrameViews(const FramePtr& frame);
    // The dismissed popover (animated) and the strip out of selection mode:
    // what every menu handler but Select and Hold does first.
    void closeMenu(bool keepSelectionMode);
    // Tablet: the embedded capture screen's shutter and timer button where
    // the help's fixed rectangles point (FrameEditorCoachMarks.cpp).
    void alignCaptureControlsWithHelp();
    // The preview's clock and looping (FrameEditorAudio.cpp).
    void usePreviewClock(PreviewPlayerDelegate* clock, bool loop);
    // The transparent full-screen button under a bottom sheet: a tap beside
    // the sheet, or Escape, runs `onTap`.
    std::shared_ptr<ui::Button> makeCloseModalButton(std::function<void()> onTap);
    void importMusicLibraryItem(const FramePtr& frame, const std::string& url, const std::string& title, int32_t type);
    // The clip becomes the frame's, and the project is saved.
    void attachClip(const FramePtr& frame, const std::shared_ptr<KWAudioClip>& clip);
    // Runs `attach` at once for a frame without a clip; for one with a clip
    // only after the user agreed to replace it.
    void askBeforeReplacingClip(const FramePtr& frame, std::function<void()> attach);
    KWImageProducer& imageProducer();
    void addObserver(const char* name, void (FrameEditorViewController::*handler)(const foundation::Notification&));

    // Editor parts.
    std::shared_ptr<KWFrameByFrameView> playerViewController_;
    std::shared_ptr<KWTimelineViewController> timelineViewController_;
    std::shared_ptr<KWPreviewViewController> previewViewController_;
    std::shared_ptr<PreviewPlayer> previewPlayer_;
    std::shared_ptr<KWAudioController> audioController_;
    std::shared_ptr<CaptureViewController> captureViewController_;
    std::shared_ptr<AudioRecorderViewController> audioRecorderView_;
    std::shared_ptr<ui::ViewController> outlineNavigationController_;
    // Importers while their pickers are up.
    std::shared_ptr<void> mediaImporter_;
    std::shared_ptr<FrameEditorHelp> frameEditorHelp_;
    std::shared_ptr<ThemeMovieHandler> themeMovieHandler_;
    std::shared_ptr<ThemeMovieHandler> pastedCardsRenderer_;
    std::unique_ptr<KWImageProducer> imageProducer_;
    std::shared_ptr<HelpManager> helpManager_;
    std::shared_ptr<ui::ViewController> audioConfigurationController_;
    std::shared_ptr<KWPopoverController> kwPopoverController_;
    std::shared_ptr<Hudy> hudy_;
    FramePtr selectedFrame_;
    std::shared_ptr<NXMediaPickerController> mediaPicker_;

    // Views.
    ui::ViewPtr viewPlayerViewController_;
    ui::ViewPtr viewTimelineViewController_;
    ui::ViewPtr viewEmptyHelp_;
    std::shared_ptr<ui::Label> labelEmptyHelp_;
    ui::ViewPtr viewRightControls_;
    ui::ViewPtr viewLeftControls_;
    std::shared_ptr<ui::ImageView> viewRightControlsBg_;
    std::shared_ptr<ui::ImageView> viewLeftControlsBg_;
    ui::ViewPtr viewCaptureView_;
    ui::ViewPtr viewSeperator_;
    ui::ViewPtr viewPreview_;
    std::shared_ptr<ui::Button> btnExplorer_;
    std::shared_ptr<ui::Button> btnAudio_;
    std::shared_ptr<ui::Button> btnCamera_;
    std::shared_ptr<ui::Button> btnMore_;
    std::shared_ptr<ui::Button> btnPlay_;
    std::shared_ptr<ui::Button> btnMusic_;
    std::shared_ptr<ui::Button> btnHelp_;
    std::shared_ptr<ui::Button> btnTheme_;
    std::shared_ptr<ui::Button> btnBackward_;
    std::shared_ptr<ui::Button> btnForward_;
    std::shared_ptr<ui::Button> btnAdditionCaptureControl_;
    std::shared_ptr<ui::Button> btnCloseModalController_;

    // Model and state.
    ProjectModelPtr project_;
    MainViewControllerDelegate* delegate_ = nullptr;
    std::vector<foundation::ObserverToken> observers_;
    std::optional<foundation::Error> pendingSaveError_;
    bool timeLineNeedsUpdate_ = false;
    bool isHelpShownThisTime_ = false;
    bool isCommingBackFromCaptureView_ = false;
    bool shouldPlayZoomOutAnimationFromFullScreenFrame_ = false;
    bool isTimeline_ = false;
    // Where strip and timeline were before the voice-over panel moved them.
    graphics::Rect stripFrameBeforeVoiceOver_;
    graphics::Rect timelineFrameBeforeVoiceOver_;
    foundation::LifeToken life_;
};

using FrameEditorViewControllerPtr = std::shared_ptr<FrameEditorViewController>;
