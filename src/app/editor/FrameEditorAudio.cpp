// Voice-over, audio clips and music in the editor: the voice-over panel that
// records while the movie plays, the chooser of project sounds and library
// songs, the clip panel, and the holds of frames that pause for their clips.

#include "app/audio/KWAudioConfigurationViewController.h"
#include "app/audio/KWAudioController.h"
#include "app/audio/KWAudioExporter.h"
#include "app/audio/KWAudioHelper.h"
#include "app/audio/KWAudioImporter.h"
#include "app/capture/CaptureViewController.h"
#include "app/core/KWAudioClip.h"
#include "app/core/ShowErrorNotification.h"
#include "app/editor/EditorAudio.h"
#include "app/editor/EditorNotifications.h"
#include "app/editor/FrameEditorModel.h"
#include "app/editor/FrameEditorViewController.h"
#include "app/editor/PreviewPlayer.h"
#include "app/widgets/alerts/AlertView.h"
#include "app/widgets/popover/KWPopoverController.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Localized.h"
#include "platform/foundation/Paths.h"
#include "platform/library/MediaItem.h"
#include "platform/ui/compositing/Animation.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/Button.h"

#include <cmath>

namespace n = editornotifications;

namespace {

constexpr double kVoiceOverAnimationSeconds = 0.5;
constexpr double kClipPanelHeightTablet = 214;
constexpr double kClipPanelHeightPhone = 202;
// The clip panel's slide.
constexpr double kClipPanelSeconds = 0.25;
constexpr double kClipPanelDamping = 1.0;
constexpr double kClipPanelVelocity = 10.0;

void setY(ui::View& view, double y) {
    graphics::Rect frame = view.frame();
    frame.origin.y = y;
    view.setFrame(frame);
}

// The views inside a container (the strip's or the timeline's own view).
void setContentAlpha(ui::View& container, double alpha) {
    for (const auto& child : container.subviews()) child->setAlpha(alpha);
}

}  // namespace

// ---- the preview's clock ----------------------------------------------------------------------

void FrameEditorViewController::usePreviewClock(PreviewPlayerDelegate* clock, bool loop) {
    if (!previewPlayer_) return;
    previewPlayer_->setTimerController(clock);
    previewPlayer_->setIsLoopPlayback(loop);
}

std::shared_ptr<ui::Button> FrameEditorViewController::makeCloseModalButton(std::function<void()> onTap) {
    auto button = std::make_shared<ui::Button>(ui::ButtonType::Custom, view()->bounds());
    button->setBackgroundColor(graphics::Color::clear());
    button->addTarget(this, life_.guard([onTap = std::move(onTap)](ui::Control&) { onTap(); }),
                      ui::ControlEventTouchUpInside);
    // Escape closes the sheet over it as a tap beside the sheet does.
    button->setKeyEquivalent(ui::Key::Escape);
    view()->addSubview(button);
    return button;
}

// ---- voice-over panel ----------------------------------------------------------------------------

void FrameEditorViewController::showAudioRecorder() {
    if (!isViewLoaded()) return;
    const graphics::Rect landscape = getOrientationCorrectedRectFromRect(view()->frame());
    const auto height = static_cast<int64_t>(landscape.height());
    const auto width = static_cast<int64_t>(landscape.width());

    if (btnCloseModalController_) btnCloseModalController_->removeFromSuperview();
    btnCloseModalController_ = makeCloseModalButton([this] {
        if (audioRecorderView_) audioRecorderView_->removeRecorderIfNotRecording();
    });

    if (!audioRecorderView_) {
        audioRecorderView_ = std::make_shared<AudioRecorderViewController>();
        ui::View* panel = audioRecorderView_->view();
        const graphics::Size size = panel->frame().size;
        panel->setFrame(
            {static_cast<double>(width / 2) - size.width / 2, static_cast<double>(height), size.width, size.height});
        audioRecorderView_->setDelegate(this);
        auto list = project_->getFrameList();
        const FramePtr frame = list ? list->frameAtPlayhead() : nullptr;
        const int64_t index = list ? frameeditor::expandedIndexOf(*list, frame) : 0;
        audioRecorderView_->setStartRecordingAtTimeIndex(
            frameeditor::voiceOverStartTime(index, frameeditor::framesPerSecond(*project_)));
        audioRecorderView_->setStartRecordingAtFrame(frame);
        addChildViewController(audioRecorderView_);
        view()->addSubview(audioRecorderView_->viewPtr());
        audioRecorderView_->didMoveToParentViewController(this);
        // Where the layout put them; a second showing finds them moved already.
        stripFrameBeforeVoiceOver_ = viewPlayerViewController_->frame();
        timelineFrameBeforeVoiceOver_ = viewTimelineViewController_->frame();
    }

    ui::View* panel = audioRecorderView_->view();
    const double panelHeight = panel->frame().height();
    const bool tablet = isTablet();
    ui::animate(kVoiceOverAnimationSeconds, [this, panel, panelHeight, height, tablet] {
        updateGUIWithStatus(false);
        if (tablet) {
            // Just above the strip, which stays where it is: at the top it
            // would cover the camera's controls. The panel sits between the
            // onion slider and the shutter column, over the picture's foot
            // and the disabled toolbar.
            setY(*panel, viewPlayerViewController_->frame().minY() - panelHeight);
        } else {
            viewLeftControls_->setAlpha(0);
            viewRightControls_->setAlpha(0);
            setContentAlpha(*viewPlayerViewController_, 0);
            setContentAlpha(*viewTimelineViewController_, 0);
            setY(*panel, static_cast<double>(height) - panelHeight);
            // The panel covers the strip's place: strip and timeline show above it.
            setY(*viewPlayerViewController_, 0);
            setY(*viewTimelineViewController_, 0);
        }
    });
    if (captureViewController_) captureViewController_->disableControls(true);
    usePreviewClock(audioRecorderView_.get(), false);
}

void FrameEditorViewController::hideAudioRecorder() {
    if (btnCloseModalController_) btnCloseModalController_->removeFromSuperview();
    btnCloseModalController_.reset();
    auto recorder = audioRecorderView_;
    if (recorder && isViewLoaded()) {
        ui::View* panel = recorder->view();
        const double viewHeight = view()->frame().height();
        const bool tablet = isTablet();
        const graphics::Rect strip = stripFrameBeforeVoiceOver_;
        const graphics::Rect timeline = timelineFrameBeforeVoiceOver_;
        // Strip and timeline go back where the layout put them.
        ui::animate(
            kVoiceOverAnimationSeconds, 0, 0,
            [this, panel, viewHeight, tablet, strip, timeline] {
                if (!tablet) {
                    viewLeftControls_->setAlpha(1);
                    viewRightControls_->setAlpha(1);
                    setContentAlpha(*viewPlayerViewController_, 1);
                    setContentAlpha(*viewTimelineViewController_, 1);
                }
                setY(*panel, viewHeight);
                viewPlayerViewController_->setFrame(strip);
                viewTimelineViewController_->setFrame(timeline);
            },
            life_.guard([this, recorder](bool) {
                updateGUIWithStatus(true);
                recorder->willMoveToParentViewController(nullptr);
                recorder->view()->removeFromSuperview();
                recorder->removeFromParentViewController();
                recorder->setDelegate(nullptr);
                if (audioRecorderView_ == recorder) audioRecorderView_.reset();
            }));
    }
    usePreviewClock(audioController_.get(), true);
}

void FrameEditorViewController::audioRecorderDidStartRecording(AudioRecorderViewController&) { startPlayer(); }

void FrameEditorViewController::audioRecorderDidStartPlayback(AudioRecorderViewController&) { startPlayer(); }

void FrameEditorViewController::audioRecorderDidStopRecording(AudioRecorderViewController& recorder) {
    stopPlayer();
    scrollTimelineToFrame(recorder.startRecordingAtFrame());
}

void FrameEditorViewController::audioRecorderDidStopPlayback(AudioRecorderViewController& recorder) {
    audioRecorderDidStopRecording(recorder);
}

void FrameEditorViewController::audioRecorderDidCancelRecording(AudioRecorderViewController& recorder) {
    audioRecorderDidStopRecording(recorder);
    hideAudioRecorder();
}

void FrameEditorViewController::audioRecorderDidAcceptRecording(AudioRecorderViewController& recorder,
                                                                const std::string& file) {
    // The frame under the playhead when the take started, not now.
    const FramePtr frame = recorder.startRecordingAtFrame();
    hideAudioRecorder();
    if (!frame) return;
    // The take goes into the project now, before the panel deletes it: kept
    // there, it stays under Recordings whatever the answer below.
    auto clip = KWAudioImporter(project_).prepareAudioClipWithFile(file, foundation::path::lastComponent(file),
                                                                   frameeditor::kAudioTypeRecording);
    if (!clip) return;
    askBeforeReplacingClip(frame, life_.guard([this, frame, clip] { attachClip(frame, clip); }));
}

// ---- attaching -------------------------------------------------------------------------------------

void FrameEditorViewController::addAudioToFrame(const FramePtr& frame, const std::string& fromFile,
                                                const std::optional<std::string>& withName, int32_t andType) {
    if (!frame) return;
    KWAudioImporter importer(project_);
    // A copy failure is posted by the importer; the frame keeps what it had.
    auto clip = importer.prepareAudioClipWithFile(fromFile, withName, andType);
    if (clip) attachClip(frame, clip);
}

void FrameEditorViewController::attachClip(const FramePtr& frame, const std::shared_ptr<KWAudioClip>& clip) {
    frame->setAudio(clip);
    updateAllAndSaveProject();
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::main().async([weak, frame] {
        if (auto self = weak.lock()) self->updateFrameViews(frame);
    });
}

void FrameEditorViewController::askBeforeReplacingClip(const FramePtr& frame, std::function<void()> attach) {
    const std::shared_ptr<KWAudioClip> clip = frame ? frame->getAudio() : nullptr;
    if (!clip) {
        if (frame) attach();
        return;
    }
    // A frame plays one clip: the user decides whether the new one takes the
    // place of the one it has. The old clip's file stays in the project.
    using foundation::localized;
    auto alert = AlertView::create(localized("Replace the sound?"), frameeditor::replaceClipMessage(*clip));
    alert->addButtonWithTitle(localized("Cancel"), {});
    alert->addButtonWithTitle(localized("Replace"), [attach = std::move(attach)](AlertView&, int) { attach(); });
    alert->setCancelButtonIndex(0);
    alert->show();
}

bool FrameEditorViewController::updateAudioHoldForAllFrames() { return frameeditor::updateAudioHolds(project_); }

void FrameEditorViewController::deleteAudioFile(const std::string& fileName) { deleteAudioFiles({fileName}); }

void FrameEditorViewController::deleteAudioFiles(const std::vector<std::string>& fileNames) {
    if (fileNames.empty()) return;
    // A file some clip still plays stays; one no clip uses goes.
    foundation::Status removed = frameeditor::removeUnusedAudioFiles(*project_, fileNames);
    if (!removed) showError(removed.error());
}

// ---- chooser ------------------------------------------------------------------------------------------

void FrameEditorViewController::receiveNotificationFrameEditMenuAudioSelected(
    const foundation::Notification& notification) {
    closeMenu(false);
    const FramePtr frame = n::frameIn(notification.userInfo);
    if (!frame) return;
    if (frame->getAudio())
        showAudioControllerForFrame(frame);
    else
        showAudioChooserForFrame(frame);
}

void FrameEditorViewController::showAudioChooserForFrame(const FramePtr& frame) {
    selectedFrame_ = frame;
    mediaPicker_ = NXMediaPickerController::create(project_);
    mediaPicker_->setDelegate(this);
    auto sheet = mediaPicker_->viewController();
    sheet->modalPresentationStyle = ui::ModalPresentationStyle::FormSheet;
    presentViewController(sheet, true);
}

void FrameEditorViewController::nxMediaPicker(NXMediaPickerController& picker, const std::vector<NXMediaPickerItemPtr>&,
                                              const NXMediaPickerItemPtr& selectedItem) {
    if (!selectedItem) return;
    const NXMediaPickerItemPtr item = selectedItem;
    auto weak = foundation::weakFrom(this);
    auto keep = picker.shared_from_this();
    picker.viewController()->dismissViewController(true, [weak, item] {
        auto self = weak.lock();
        if (!self) return;
        std::optional<std::string> name;
        int32_t type = frameeditor::kAudioTypeRecording;
        if (!item->isRecord) {
            type = frameeditor::audioTypeForDuration(frameeditor::audioDurationSeconds(item->URL));
            if (type == frameeditor::kAudioTypeSound) name = item->title;
        }
        const std::string path = foundation::path::fromFileURL(item->URL).value_or(item->URL);
        const FramePtr frame = self->selectedFrame_;
        self->askBeforeReplacingClip(frame, [weak, frame, path, name, type] {
            if (auto self = weak.lock()) self->addAudioToFrame(frame, path, name, type);
        });
    });
    keep->cleanUp();
    if (mediaPicker_.get() == &picker) mediaPicker_.reset();
}

void FrameEditorViewController::nxMediaPicker(NXMediaPickerController&,
                                              const NXMediaPickerItemPtr& didSelectRemoveItem) {
    if (!didSelectRemoveItem) return;
    const std::string path = foundation::path::fromFileURL(didSelectRemoveItem->URL).value_or(didSelectRemoveItem->URL);
    deleteAudioFile(foundation::path::lastComponent(path));
}

void FrameEditorViewController::jgMediaPicker(JGMediaPickerController& picker, const library::MediaItemCollectionPtr&,
                                              const library::MediaItemPtr& selectedItem) {
    const std::optional<std::string> url = selectedItem ? selectedItem->assetURL : std::nullopt;
    const std::string title = selectedItem ? selectedItem->title : std::string();
    auto keep = picker.shared_from_this();
    auto weak = foundation::weakFrom(this);
    foundation::DispatchQueue::main().async([weak, keep, url, title] {
        auto self = weak.lock();
        if (!self) return;
        keep->viewController()->dismissViewController(true);
        keep->cleanUp();
        if (self->mediaPicker_ == keep) self->mediaPicker_.reset();
        if (!url) {
            // Copy-protected: nothing is imported.
            auto alert = AlertView::create(foundation::localized("Error"),
                                           foundation::localized("Access denied. This music is protected by a digital "
                                                                 "right management system and cannot be used."));
            alert->addButtonWithTitle(foundation::localized("Dismiss"), {});
            alert->show();
            return;
        }
        const int32_t type = frameeditor::audioTypeForDuration(frameeditor::audioDurationSeconds(*url));
        const FramePtr frame = self->selectedFrame_;
        // Asked before the song is converted into the project.
        self->askBeforeReplacingClip(frame, [weak, frame, url = *url, title, type] {
            if (auto self = weak.lock()) self->importMusicLibraryItem(frame, url, title, type);
        });
    });
}

void FrameEditorViewController::importMusicLibraryItem(const FramePtr& frame, const std::string& url,
                                                       const std::string& title, int32_t type) {
    const auto folder = project_->getProjectPath();
    if (!folder) return;
    foundation::NotificationCenter::defaultCenter().post(
        n::kShowActivity, this, foundation::Dictionary{{n::kInfoKey, foundation::localized("Importing...")}});
    auto exporter = KWAudioExporter::create();
    auto weak = foundation::weakFrom(this);
    exporter->exportFileAtAssetURL(
        url, *folder, [weak, exporter = exporter.get(), frame, title, type](std::optional<std::string> fileURL) {
            const int64_t status = exporter->status();
            const std::optional<foundation::Error> error = exporter->error();
            // The exporter calls back on its own queue; the project is changed
            // on the main queue only.
            foundation::DispatchQueue::main().async([weak, status, error, fileURL, frame, title, type] {
                auto self = weak.lock();
                if (!self) return;
                auto& center = foundation::NotificationCenter::defaultCenter();
                if (status != KWAudioExporter::kStatusDone || !fileURL) {
                    postShowError(error.value_or(KWAudioExporter::exporterError(KWAudioExporter::kErrorNotMedia)),
                                  self.get());
                    center.post(n::kHideActivity, self.get());
                    return;
                }
                self->addAudioToFrame(frame, foundation::path::fromFileURL(*fileURL).value_or(*fileURL), title, type);
                center.post(n::kHideActivity, self.get());
            });
        });
}

void FrameEditorViewController::jgMediaPickerDidCancel(JGMediaPickerController& picker) {
    auto keep = picker.shared_from_this();
    picker.viewController()->dismissViewController(true);
    keep->cleanUp();
    if (mediaPicker_ == keep) mediaPicker_.reset();
}

// ---- clip panel -------------------------------------------------------------------------------------

void FrameEditorViewController::showAudioControllerForFrame(const FramePtr& frame) {
    if (audioConfigurationController_ || !frame || !frame->getAudio() || !isViewLoaded()) return;
    auto clipPanel = std::make_shared<KWAudioConfigurationViewController>(frame, project_);
    auto navigation = std::make_shared<ui::NavigationController>(clipPanel);
    audioConfigurationController_ = navigation;
    std::weak_ptr<KWAudioConfigurationViewController> weakPanel = clipPanel;
    if (btnCloseModalController_) btnCloseModalController_->removeFromSuperview();
    btnCloseModalController_ = makeCloseModalButton([weakPanel] {
        if (auto panel = weakPanel.lock()) panel->actionDone();
    });
    const graphics::Rect bounds = view()->bounds();
    const double height = isTablet() ? kClipPanelHeightTablet : kClipPanelHeightPhone;
    ui::View* panel = navigation->view();
    panel->setFrame({0, bounds.height(), bounds.width(), height});
    addChildViewController(navigation);
    view()->addSubview(navigation->viewPtr());
    navigation->didMoveToParentViewController(this);
    ui::animateWithSpring(kClipPanelSeconds, 0, kClipPanelDamping, kClipPanelVelocity, ui::AnimationOptionNone,
                          [panel, bounds, height] { setY(*panel, bounds.height() - height); });
}

void FrameEditorViewController::receiveAudioControllerDoneNotification(const foundation::Notification& notification) {
    const FramePtr frame = n::frameIn(notification.userInfo);
    if (frame && frame->isFramePausedForDurationOfAudio()) {
        const int64_t hold = KWAudioHelper::calculateHoldForFrameBasedOnAudio(frame, project_);
        if (hold == -1)
            frame->setIsFramePausedForDurationOfAudio(false);
        else
            frame->setDuration(hold);
    }
    updateAllAndSaveProject();
    if (btnCloseModalController_) btnCloseModalController_->removeFromSuperview();
    btnCloseModalController_.reset();
    if (captureViewController_) captureViewController_->disableControls(false);
    auto navigation = audioConfigurationController_;
    if (!navigation || !isViewLoaded()) return;
    ui::View* panel = navigation->view();
    const double bottom = view()->bounds().height();
    ui::animateWithSpring(
        kClipPanelSeconds, 0, kClipPanelDamping, kClipPanelVelocity, ui::AnimationOptionNone,
        [panel, bottom] { setY(*panel, bottom); }, life_.guard([this, navigation](bool) {
            navigation->willMoveToParentViewController(nullptr);
            navigation->view()->removeFromSuperview();
            navigation->removeFromParentViewController();
            if (audioConfigurationController_ == navigation) audioConfigurationController_.reset();
        }));
}

void FrameEditorViewController::receiveAudioControllerRemoveClipNotification(
    const foundation::Notification& notification) {
    const FramePtr frame = n::frameIn(notification.userInfo);
    if (frame) frame->setIsFramePausedForDurationOfAudio(false);
    receiveAudioControllerDoneNotification(notification);
    if (frame) updateFrameViews(frame);
}
